// SPDX-License-Identifier: MIT
#pragma once

#include "reason.h"

#include <QDateTime>
#include <QDir>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVector>
#include <atomic>
#include <functional>
#include <vector>

// Moves the data files of a target directory into an originals directory and links each moved
// file into a per-energy and a per-sequence-number subdirectory. No widget code: the window,
// the tests and the benchmark all drive it the same way.
class TidyUp
{
public:
    // What a run works on, as the user typed it. Names are relative to the target or absolute.
    struct Settings {
        QString target;
        QString origs;
        QString energy;
        QString seqNo;
        QString fileExt;
        // Threads that make the links while this one moves the files.
        int linkThreads = 8;
        // Off only to measure what the record of a run costs.
        bool record = true;
    };

    // The newest run of a target that is not undone, as its record says.
    struct RecordedRun {
        // Empty when there is none.
        QString record;
        QDateTime started;
        QString user;
        // The files it moved; of a run that was killed, those it was about to move.
        int moved = 0;
        // Its process still writes it.
        bool running = false;
        // It used other output directories than the settings name: Undo leaves it alone.
        bool otherDirs = false;
    };

    // An entry left where it was, a link not made or left, or output directories not set up.
    struct Failure {
        // A new kind needs its name below: the build refuses a switch that misses one.
        enum What { Move, Link, Dirs, Record };
        // The kind as a script reads it.
        static const char *name(What what);
        What what = Move;
        // The file that stays (for a move), the link, the output directory, or the record
        // with a line it cannot trust, as a path in the file system's encoding.
        QByteArray entry;
        Reason reason;
    };

    // What a run or an undo did. The counts are of what happened on disk, not of what was
    // tried. For an undo, moved counts the files moved back, linked the links removed,
    // notMoved the files left in the originals directory and linksNotMade the links left.
    struct Outcome {
        bool undone = false;
        // False when the output directories could not be set up; nothing was listed then.
        bool dirsReady = false;
        // The check's message, translated, when dirsReady is false.
        QString dirProblem;
        bool stopped = false;
        int listed = 0;
        // Entries finished: moved with their links, or left where they were with a line.
        int done = 0;
        int moved = 0;
        int notMoved = 0;
        int linked = 0;
        int linksNotMade = 0;
        // Links of files that an interrupted earlier run moved but did not link.
        int restored = 0;
        // Moves that an interrupted earlier run left with the file under both names.
        int finished = 0;
        qint64 elapsedMs = 0;
        // The lines the run wrote to the debug channel, the first maxLines of them.
        QStringList lines;
        int moreLines = 0;
        // What went wrong, one for each line but the last of a failed directory check.
        QVector<Failure> failures;
        // Every failure counted by what failed and why, however many lines were kept; the
        // largest group first.
        struct Group {
            Failure::What what = Failure::Move;
            Reason reason;
            int count = 0;
        };
        QVector<Group> groups;
        // The record of the run, or of the run undone.
        QString record;
    };

    // What a run would do with the settings as they stand; nothing on disk changes.
    struct Preview {
        bool targetFound = false;
        bool targetIsDir = false;
        // What the run's check of the output directories would say, translated; else empty.
        QString problem;
        // The output names that a run would create, in the order origs, energy, seqNo.
        QStringList toCreate;
        int matching = 0;
        // With energy and sequence fields, and so linked.
        int linkable = 0;
        int energies = 0;
        int seqNos = 0;
        // Different (energy, sequence) pairs; energies × seqNos of them make a full grid.
        int pairs = 0;
        // Whose new name is taken in the originals directory, or by an earlier entry.
        int taken = 0;
        RecordedRun lastRun;
    };
    static constexpr int maxLines = 10000;

    // Called on the running thread with the entries finished and listed: after the first
    // entry, after the last, and in between at most every progressInterval.
    using Progress = std::function<void(int done, int listed)>;
    static constexpr int progressIntervalMs = 60;
    // Moved files waiting for their links, at most.
    static constexpr int linkQueueLength = 64;

    // The name with "_00" inserted after its energy field when that field holds no underscore.
    // energy and seqNo receive the name's fields; they are left alone when the name is not of
    // the form prefix-<energy>eV-<sequence>.<tail>.
    static QString rewriteFileName(const QString &fileName, QString &energy, QString &seqNo);

    // Creates the three output directories under target where missing; false, with one debug
    // line about the first problem, when any of them is not a directory afterwards. problem
    // receives that line's message, failure what went wrong where.
    static bool prepareDirs(const QDir &target, const QString &origs, const QString &energy,
        const QString &seqNo, QString *problem = nullptr, Failure *failure = nullptr);

    // The names that a run handles, in the file system's encoding: entries of target matching
    // "*.<fileExt>" (case ignored), hidden ones, "." and ".." left out, in case-insensitive name
    // order.
    static std::vector<QByteArray> listEntries(const QDir &target, const QString &fileExt);

    // One whole tidy-up. Failed moves and links are written to the debug channel and the run
    // goes on; the lines of the link threads may come out of listing order. Once stop is set,
    // the entry in hand is finished (a copy to another file system is abandoned, its source
    // untouched), the files moved get their links, and the run ends.
    static Outcome run(const Settings &settings, const Progress &progress = {},
        const std::atomic<bool> *stop = nullptr);

    // Reverses the newest run of the settings' target that is not undone, from its record:
    // moves each file it moved back to its old name where that is free, removing its links
    // while they still lead where the run made them, and then the folders the run made, where
    // empty; the record is then marked undone. A file that cannot go back keeps its links;
    // lines of the record that cannot be trusted are refused, one line each. Stopped, each file
    // is either back or untouched, and the record can be undone again.
    static Outcome undo(const Settings &settings, const Progress &progress = {},
        const std::atomic<bool> *stop = nullptr);

    // What undo would take on; nothing is changed.
    static RecordedRun lastRun(const Settings &settings);

    // Lists the target and reads the originals directory once, holding no name of either;
    // gives up, with what it has, once stop is set.
    static Preview preview(const Settings &settings, const std::atomic<bool> *stop = nullptr);
};

Q_DECLARE_METATYPE(TidyUp::Settings)
Q_DECLARE_METATYPE(TidyUp::Preview)
Q_DECLARE_METATYPE(TidyUp::Outcome)
