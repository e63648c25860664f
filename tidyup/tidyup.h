// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/report/reason.h"
#include "tidyup/survey/survey.h"

#include <QDateTime>
#include <QDir>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVector>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

// What the tidy-up works on and gives back: it moves the data files of a target directory into
// an originals directory and links each moved file into a per-energy and a per-sequence-number
// subdirectory. Each job has a header of its own: run.h, undo.h, preview.h. No widget code: the
// window, the tests and the benchmark all drive it the same way.
namespace TidyUp
{

// How a link names its moved file, as the configuration and the command line spell it: by the
// file's absolute path, or by a path from the link's folder, which still holds once the scan is
// moved or copied whole.
constexpr char absoluteLinks[] = "absolute";
constexpr char relativeLinks[] = "relative";

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
    // absoluteLinks or relativeLinks; anything else is taken as absoluteLinks.
    QString links = QLatin1String(absoluteLinks);
    bool relative() const { return links == QLatin1String(relativeLinks); }
    // Of a run that follows a measurement being written: how long a file's size and time must
    // stay the same, the longest wait between two looks at the target, and how long nothing
    // may settle or arrive before the follow ends by itself (-1: never).
    qint64 settleMs = 10000;
    qint64 pollMs = 2000;
    qint64 untilIdleMs = -1;
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
    // It followed a measurement being written, until ended.
    bool followed = false;
    QDateTime ended;
    // It used other output directories than the settings name: Undo leaves it alone.
    bool otherDirs = false;
    // Where the record says the scan was tidied, when that is not where it is now: the scan was
    // moved, or is mounted under another path. Empty otherwise.
    QString tidiedAs;
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

// What a run or an undo did, the part they share. The counts are of what happened on disk, not
// of what was tried.
struct Counts {
    // False when the run could not begin (the output directories, the record) or there was
    // nothing to undo; nothing was changed then.
    bool dirsReady = false;
    // Why, translated, when dirsReady is false.
    QString dirProblem;
    bool stopped = false;
    int listed = 0;
    // Entries finished: moved with their links, or left where they were with a line.
    int done = 0;
    int moved = 0;
    int notMoved = 0;
    int linked = 0;
    int linksNotMade = 0;
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

// What a run did: moved and linked count the files moved and the links made.
struct Outcome : Counts {
    // Links of files that an interrupted earlier run moved but did not link.
    int restored = 0;
    // Moves that an interrupted earlier run left with the file under both names.
    int finished = 0;
    // Of a run that followed a measurement being written: the files still being written when it
    // ended, which stay in the target.
    bool follow = false;
    int settling = 0;
};

// What a round of a follow did, told once it ends: its own counts, not the follow's so far.
struct Round {
    int moved = 0;
    int linked = 0;
    // Files of the target still settling after it.
    int settling = 0;
    qint64 elapsedMs = 0;
    // Its failures, as the outcome will hold them.
    QVector<Failure> failures;
    // The survey's rows that changed since the round before, files arrived in the target
    // included: a round that only saw files arrive moved nothing.
    std::vector<SurveyRowChange> rows;
    // The whole survey after it, where the follow was asked for it: one copy, shared by whoever
    // shows it, never changed.
    std::shared_ptr<const Survey> survey;
};

// What an undo did: moved counts the files moved back, linked the links removed, notMoved the
// files left in the originals directory and linksNotMade the links left.
struct UndoOutcome : Counts {
    // The run undone tidied the scan at this path, not at the target's; else empty.
    QString tidiedAs;
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
    // Whose new name is taken in the originals directory, or by an earlier entry.
    int taken = 0;
    // The originals directory holds data files: there are link trees to check.
    bool tidied = false;
    RecordedRun lastRun;
    // The scan's shape, from the target and the originals directory together.
    Survey survey;
    // Stopped before both were read.
    bool stopped = false;
    qint64 elapsedMs = 0;
};
// An entry of a link tree that is not what a run would have left.
struct LinkProblem {
    // A new kind needs its name below: the build refuses a switch that misses one.
    // InPlace only for a link that a relink could not rewrite.
    enum Kind { Missing, Elsewhere, NotALink, Stray, InPlace };
    // The kind as a script reads it.
    static const char *name(Kind kind);
    Kind kind = Missing;
    // The link's absolute path, in the file system's encoding.
    QByteArray entry;
    // The file in the originals directory that it should name; empty for a stray entry.
    QByteArray expected;
    // What the link says, where the entry is a symbolic link.
    QByteArray text;
    bool isLink = false;
    // Why a repair could not mend it; empty for what a repair leaves on purpose.
    Reason reason;
};

// What a check of the link trees found: every link expected, by kind, and the entries of the
// link folders that no data file expects.
struct CheckOutcome {
    // Empty where the trees could be checked; else why not, translated.
    QString problem;
    bool stopped = false;
    // Data files of the originals directory with an energy and a number: two links each.
    int files = 0;
    int inPlace = 0;
    int elsewhere = 0;
    int notALink = 0;
    int missing = 0;
    int stray = 0;
    // Where most "elsewhere" links point into, and how many do.
    QString elsewhereDir;
    int intoElsewhereDir = 0;
    // The first maxLines problems; how many more there were.
    QVector<LinkProblem> problems;
    int moreProblems = 0;
    qint64 elapsedMs = 0;

    // A repair's: the counts above are of what it found. The style it gave the links, the links it
    // made and rewrote, and those it could not mend, which problems lists.
    bool repair = false;
    QString links;
    int made = 0;
    int rewritten = 0;
    int notRepaired = 0;
    // The file system refused a symbolic link: the repair went no further.
    bool halted = false;
    // Its record; empty where it changed nothing.
    QString record;
};

// What a repair is asked for: links, the style to give the links (absoluteLinks or
// relativeLinks), or empty for the one that the newest run or relink of the target gave, else the
// settings'; relink, every expected link rewritten into that style, not just those out of place.
struct RepairRequest {
    QString links;
    bool relink = false;
};

constexpr int maxLines = 10000;

// Called on the running thread with the entries finished and listed: after the first
// entry, after the last, and in between at most every progressInterval.
using Progress = std::function<void(int done, int listed)>;
constexpr int progressIntervalMs = 60;
// Called on the running thread after each round of a follow that changed something, with the
// survey as it stands, which a receiver on another thread copies.
using RoundReport = std::function<void(const Round &round, const Survey &survey)>;
// Moved files waiting for their links, at most.
constexpr int linkQueueLength = 64;

} // namespace TidyUp

Q_DECLARE_METATYPE(TidyUp::Settings)
Q_DECLARE_METATYPE(TidyUp::Preview)
Q_DECLARE_METATYPE(TidyUp::Outcome)
Q_DECLARE_METATYPE(TidyUp::Round)
Q_DECLARE_METATYPE(TidyUp::UndoOutcome)
Q_DECLARE_METATYPE(TidyUp::CheckOutcome)
