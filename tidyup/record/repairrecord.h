// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <mutex>

// The record of one repair of the link trees, kept in the target's ".quorvix-data/repairs", apart
// from the runs' records: what style it gave the links, and each link it made or rewrote. The file
// is locked while its repair goes, so that a second repair of the target waits for the first.
class RepairRecord
{
public:
    static const char folder[];
    static const char magic[];

    RepairRecord() = default;
    ~RepairRecord();
    RepairRecord(const RepairRecord &) = delete;
    RepairRecord &operator=(const RepairRecord &) = delete;

    // Makes and locks a new record in target; false, with problem translated, when it cannot be
    // written, or when another repair of target still holds its record.
    bool start(const QString &target, const QString &links, bool relink, QString &problem);
    // From any thread: a link made, or rewritten from old to new.
    void made(const QByteArray &entry, const QByteArray &text);
    void rewrote(const QByteArray &entry, const QByteArray &old, const QByteArray &text);
    // The last line; a record of a repair that changed nothing is removed.
    void end(int made, int rewritten);
    QString path() const { return filePath; }

    // The style that the newest relink of target gave its links, and when it began; empty where
    // there was none.
    static QString newestRelink(const QString &target, QDateTime &started);
    // The same, of the first bytes of one record: empty where it is no relink's record.
    static QString relinkStyle(const QByteArray &head, QDateTime &started);

private:
    void add(const QList<QByteArray> &fields);

    QString filePath;
    QFile file;
    QByteArray pending;
    std::mutex mutex;
    bool changed = false;
};
