// SPDX-License-Identifier: MIT
#pragma once

#include <QDir>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

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
    };

    // What a run did. The counts are of what happened on disk, not of what was tried.
    struct Outcome {
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
        qint64 elapsedMs = 0;
        // The lines the run wrote to the debug channel, the first maxLines of them.
        QStringList lines;
        int moreLines = 0;
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
    // receives that line's message.
    static bool prepareDirs(const QDir &target, const QString &origs, const QString &energy,
        const QString &seqNo, QString *problem = nullptr);

    // The names that a run handles: entries of target matching "*.<fileExt>" (case ignored),
    // hidden ones, "." and ".." left out, in case-insensitive name order.
    static QStringList listEntries(const QDir &target, const QString &fileExt);

    // One whole tidy-up. Failed moves and links are written to the debug channel and the run
    // goes on; the lines of the link threads may come out of listing order. Once stop is set,
    // the entry in hand is finished (a copy to another file system is abandoned, its source
    // untouched), the files moved get their links, and the run ends.
    static Outcome run(const Settings &settings, const Progress &progress = {},
        const std::atomic<bool> *stop = nullptr);
};

Q_DECLARE_METATYPE(TidyUp::Outcome)
