// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QHash>
#include <QtGlobal>
#include <functional>
#include <vector>

namespace TidyUp
{

// Decides which files of a directory that a writer is still filling have settled: a file whose
// modification time is older than the settle time by the file system's clock at first sight, or
// whose size and modification time, read on a descriptor opened for the purpose (which makes an
// NFS client revalidate what it caches), stayed the same for the settle time; on a local file
// system, only where no process of this machine has it open for writing.
class Settler
{
public:
    struct Clocks {
        // Steady milliseconds, for deadlines.
        std::function<qint64()> steady;
        // The file system's own clock, in milliseconds since the epoch: the modification time of
        // a file just touched there. Where it cannot be read, steady's wall counterpart stands in.
        std::function<qint64()> fileSystem;
    };
    // What one look at an entry gave: whether it is there, its size and modification time, and
    // whether a writer of this machine holds it open.
    struct Look {
        bool found = false;
        qint64 size = 0;
        qint64 mtimeMs = 0;
        bool beingWritten = false;
    };

    Settler(qint64 settleMs, Clocks clocks);

    // Of the names listed this round, in their order, those to look at now: each is looked at
    // again once its deadline has passed, not before. What is listed no more is watched no more.
    std::vector<QByteArray> due(const std::vector<QByteArray> &listed);
    // Of names due, given a look at each, those settled now, in their order; the others are
    // watched.
    std::vector<QByteArray> settled(
        const std::vector<QByteArray> &names, const std::vector<Look> &looks);
    // How many listed files are still settling, and the steady time of the earliest deadline
    // (-1 for none).
    int settling() const { return int(watched.size()); }
    qint64 nextDeadline() const;

private:
    struct Watched {
        qint64 size;
        qint64 mtimeMs;
        qint64 deadline;
    };

    qint64 settleMs;
    Clocks clocks;
    QHash<QByteArray, Watched> watched;
};

} // namespace TidyUp
