// SPDX-License-Identifier: MIT
#pragma once

#include "reason.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QString>
#include <functional>
#include <mutex>

// The record of one run, kept in the target's hidden ".quorvix-data/runs" as lines of
// tab-separated fields, written as the run goes: each file's names before it is moved, its
// result after, the folders it makes (before it makes them), and a last line with the counts. Undo
// reads it back, after the window was closed or the machine lost. The file is locked while its run
// writes it.
class RunRecord
{
public:
    // What a record's first lines say of its run.
    struct Header {
        QString path;
        QString version;
        QString user;
        QString host;
        qint64 pid = 0;
        QDateTime started;
        // Absolute, as the run resolved them.
        QString target;
        QString origs;
        QString energy;
        QString seqNo;
        QString fileExt;
        // The files it was about to move, the ones it moved, and whether it ended or was undone.
        int planned = 0;
        int moved = 0;
        bool ended = false;
        bool undone = false;
        // A later run completed it after it was killed.
        bool completed = false;
    };

    static const char folder[];

    QString path() const { return filePath; }

    RunRecord() = default;
    ~RunRecord();
    RunRecord(const RunRecord &) = delete;
    RunRecord &operator=(const RunRecord &) = delete;

    // Makes a new record in header's target and writes its header, with the output directories
    // that the run is about to make; fills in who, where and when. False, with reason, when it
    // cannot be written.
    bool start(Header &header, const QStringList &dirsToMake, Reason &reason);
    // Kept until the next write: the names of a file about to be moved (index from 1 up), its
    // result, a per-energy or per-sequence folder about to be made, a link not made (from any
    // thread).
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
    // Reads a record's header and counts its lines, without keeping them.
    static bool readHeader(const QString &path, Header &header);
    // Calls line with each line's fields, unescaped, and its number; complete is false for a last
    // line that a lost machine cut short. False when the file cannot be read.
    static bool read(const QString &path,
        const std::function<void(const QList<QByteArray> &fields, int number, bool complete)>
            &line);
    // Whether the run that writes path is still going: its lock is held, or where locks are not
    // kept, its process still lives on this host.
    static bool inUse(const QString &path, const Header &header);
    // The user who runs this program.
    static QString user();
    // Appends one line to a finished record.
    static bool append(const QString &path, const QList<QByteArray> &fields, Reason &reason);

    static QByteArray escape(const QByteArray &field);
    // The time now, as the record writes it.
    static QByteArray now();

private:
    static QByteArray line(const QList<QByteArray> &fields);
    void add(const QList<QByteArray> &fields);
    // Adds the lines that other threads kept, in front of what follows.
    void takeOtherThreads();
    void appendNumber(int number);

    QString filePath;
    QFile file;
    QByteArray pending;
    QByteArray pendingFolders;
    std::mutex foldersMutex;
    QElapsedTimer sinceSync;
};
