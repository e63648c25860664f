// SPDX-License-Identifier: MIT
#include "tidyup/follow/settler.h"

#include <QSet>
#include <algorithm>

namespace TidyUp
{

Settler::Settler(qint64 settleMs, Clocks clocks, Looker look)
    : settleMs(settleMs)
    , clocks(std::move(clocks))
    , look(std::move(look))
{
}

std::vector<QByteArray> Settler::settled(const std::vector<QByteArray> &listed)
{
    std::vector<QByteArray> ready;
    const qint64 now = clocks.steady();
    qint64 fileSystemNow = -1;
    // The names still watched after this round: only those need remembering.
    QSet<QByteArray> seen;
    for (const QByteArray &name : listed) {
        auto known = watched.find(name);
        // An entry is opened once a deadline: each open of a file that another NFS client
        // writes recalls that client's delegation.
        if (known != watched.end() && known->deadline > now) {
            seen.insert(name);
            continue;
        }
        const Look found = look(name);
        if (!found.found) {
            if (known != watched.end())
                watched.erase(known);
            continue;
        }
        if (known == watched.end()) {
            if (fileSystemNow < 0)
                fileSystemNow = clocks.fileSystem();
            if (found.mtimeMs + settleMs <= fileSystemNow && !found.beingWritten) {
                ready.push_back(name);
                continue;
            }
            watched.insert(name, { found.size, found.mtimeMs, now + settleMs });
            seen.insert(name);
            continue;
        }
        if (found.size == known->size && found.mtimeMs == known->mtimeMs && !found.beingWritten) {
            watched.erase(known);
            ready.push_back(name);
            continue;
        }
        *known = { found.size, found.mtimeMs, now + settleMs };
        seen.insert(name);
    }
    // What is listed no more (moved by someone else, removed) is watched no more.
    for (auto it = watched.begin(); it != watched.end();)
        it = seen.contains(it.key()) ? std::next(it) : watched.erase(it);
    return ready;
}

qint64 Settler::nextDeadline() const
{
    qint64 earliest = -1;
    for (const Watched &each : watched)
        earliest = earliest < 0 ? each.deadline : std::min(earliest, each.deadline);
    return earliest;
}

} // namespace TidyUp
