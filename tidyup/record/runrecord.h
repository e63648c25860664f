// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/record/recordcontents.h"
#include "tidyup/report/reason.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QString>
#include <mutex>

// The record of one run, kept in the target's hidden ".quorvix-data/runs" as lines of
// tab-separated fields, written as the run goes: each file's names before it is moved, its
// result after, the folders it makes (before it makes them), and a last line with the counts. Undo
// reads it back, after the window was closed or the machine lost. The file is locked while its run
// writes it.
class RunRecord
{
public:
    static const char folder[];

    QString path() const { return filePath; }

    RunRecord() = default;
    ~RunRecord();
    RunRecord(const RunRecord &) = delete;
    RunRecord &operator=(const RunRecord &) = delete;

    // Makes a new record in header's target and writes its header, with the output directories
    // that the run is about to make; fills in who, where and when. False, with reason, when it
    // cannot be written.
    bool start(RecordContents::Header &header, const QStringList &dirsToMake, Reason &reason);
    // Kept until the next write: the names of a file about to be moved (index from 1 up), its
    // result, a per-energy or per-sequence folder about to be made, a link not made. Only plan and
    // moved are for the moving thread alone.
    void plan(int index, const QByteArray &name, const QByteArray &newName);
    void moved(int index);
    void left(int index, const Reason &reason);
    void folderMade(int tree, const QByteArray &sub);
    void linkNotMade(int index, int tree);
    // Writes what is kept in one call, and makes it durable when a second has passed since it
    // last did (always with sync); false, with reason, when that failed.
    bool write(Reason &reason, bool sync = false);
    // The last line, with the counts; then the record is durable and closed.
    void end(const QList<QPair<const char *, int>> &counts);

    // The records in target, oldest first.
    static QStringList all(const QString &target);
    // Reads what a record holds from its bytes alone, trusting nothing: the files' indexes must
    // run 1, 2, 3, … as a run writes them, a result must follow its file's plan, a directory must
    // be one of the output directories of the header or one of their parents. plan, where given,
    // gets each file whose names are the ones a run gives, refused each line left out. False
    // when the bytes are not a record.
    static bool parse(const QByteArray &bytes, RecordContents &contents,
        const RecordContents::PlanFound &plan = {}, const RecordContents::Refused &refused = {});
    // The same, read from the file at path as it goes; false too when it cannot be read.
    static bool read(const QString &path, RecordContents &contents,
        const RecordContents::PlanFound &plan = {}, const RecordContents::Refused &refused = {});
    // The header alone, with what the lines from the end line on say (moved: as the end line
    // counts them; planned: 0). Only a record without an end line is read in full.
    static bool readHeader(const QString &path, RecordContents::Header &header);
    // A header naming another target, the scan having moved, with every output directory under
    // that target: its paths moved onto target. False, header unchanged, for any other.
    static bool rebase(RecordContents::Header &header, const QString &target);
    // Whether the run that writes path is still going: its lock is held, or where locks are not
    // kept, its process still lives on this host.
    static bool inUse(const QString &path, const RecordContents::Header &header);
    // The user who runs this program.
    static QString user();
    // Appends one line to a finished record.
    static bool append(const QString &path, const QList<QByteArray> &fields, Reason &reason);
    // Removes the record of a run that changed nothing, and the folders that start made for it
    // where they are empty.
    void discard();

    static QByteArray escape(const QByteArray &field);
    // The fields escaped and joined with tabs, with a line break.
    static QByteArray line(const QList<QByteArray> &fields);
    // The time now, as the record writes it.
    static QByteArray now();

private:
    void add(const QList<QByteArray> &fields);
    // Adds the lines that other threads kept, in front of what follows.
    void takeOtherThreads();
    void appendNumber(int number);

    QString filePath;
    // The folders that start made, deepest first.
    QStringList madeFolders;
    QFile file;
    QByteArray pending;
    QByteArray sharedLines;
    std::mutex sharedMutex;
    QElapsedTimer sinceSync;
};
