// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/files/fileops.h"
#include "tidyup/tidyup.h"

#include <QString>
#include <atomic>
#include <mutex>

class RunRecord;

// What a run writes and counts from the moving thread and the link threads at once.
class Tally
{
public:
    explicit Tally(TidyUp::Counts &outcome);

    void line(const QString &line);

    // The line of a failure, kept with what failed, where and why.
    void failed(
        TidyUp::Failure::What what, const QString &path, const Reason &reason, const QString &line);

    // An entry that stays where it is, with its line.
    void notMoved(const QString &from, const char *joint, const QString &to, const Reason &reason);

    // A link not made goes into record; those made are counted by linked().
    void link(const FileOps &ops, FileOps::Tree tree, const QByteArray &sub,
        const QByteArray &newName, RunRecord &record, int index);

    // Makes a link that an interrupted run left unmade; a name that is taken stays as it is.
    void restore(
        const FileOps &ops, FileOps::Tree tree, const QByteArray &sub, const QByteArray &newName);

    // A move that gave the file its new name beside the old one but could not remove the old
    // one, for why. The file went back to the old name where the new one could be removed
    // (newNameRemoved), as if never moved; else it stays under both. Either way it counts as not
    // moved, though the moving thread counted it as moved.
    Reason takenBack(const Reason &why, bool newNameRemoved, const QString &from, const char *joint,
        const QString &to);

    // Moves counted by the moving thread that takenBack took back; and whether a file stays
    // under both names.
    int takenBack() const { return movesTakenBack; }
    bool bothNamesLeft() const { return underBothNames; }
    // Folders of the link trees made by link and restore; links that restore made.
    int madeFolders() const { return foldersMade; }
    int restored() const { return linksRestored; }
    // Links made by link, or removed by unlink.
    int linked() const { return links; }

    // A link that is not there, never made or removed already, is no matter; those removed are
    // counted by linked(). Where the run did not make it (made false), neither is an entry there
    // that is no link of the file.
    void unlink(const FileOps &ops, FileOps::Tree tree, const QByteArray &sub,
        const QByteArray &newName, bool made = true);

private:
    // Writes line to the debug channel and keeps it for the outcome, up to a bound: a run where
    // every move fails must not hold a hundred thousand lines. False once the bound is reached.
    bool write(const QString &line);

    std::mutex mutex;
    TidyUp::Counts &outcome;
    int movesTakenBack = 0;
    bool underBothNames = false;
    std::atomic<int> foldersMade { 0 };
    std::atomic<int> linksRestored { 0 };
    // Two for every file, from every link thread: no lock.
    std::atomic<int> links { 0 };
};
