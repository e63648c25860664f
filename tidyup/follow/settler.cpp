// SPDX-License-Identifier: MIT
#include "tidyup/follow/settler.h"

#include <QSet>
#include <algorithm>

namespace TidyUp
{

Settler::Settler(qint64 settleMs, Clocks clocks)
    : settleMs(settleMs)
    , clocks(std::move(clocks))
{
}

std::vector<QByteArray> Settler::due(const std::vector<QByteArray> &listed)
{
    const qint64 now = clocks.steady();
    // The names still watched after this round: only those need remembering.
    QSet<QByteArray> seen;
    // An entry is opened once a deadline: each open of a file that another NFS client writes
    // recalls that client's delegation.
    std::vector<QByteArray> names;
    for (const QByteArray &name : listed) {
        const auto known = watched.constFind(name);
        if (known != watched.constEnd())
            seen.insert(name);
        if (known == watched.constEnd() || known->deadline <= now)
            names.push_back(name);
    }
    for (auto it = watched.begin(); it != watched.end();)
        it = seen.contains(it.key()) ? std::next(it) : watched.erase(it);
    return names;
}

std::vector<QByteArray> Settler::settled(
    const std::vector<QByteArray> &names, const std::vector<Look> &looks)
{
    const qint64 now = clocks.steady();
    std::vector<QByteArray> ready;
    qint64 fileSystemNow = -1;
    for (size_t i = 0; i < names.size(); ++i) {
        const QByteArray &name = names[i];
        const Look &found = looks[i];
        auto known = watched.find(name);
        if (!found.found) {
            if (known != watched.end())
                watched.erase(known);
            continue;
        }
        if (known == watched.end()) {
            if (fileSystemNow < 0)
                fileSystemNow = clocks.fileSystem();
            if (found.mtimeMs + settleMs <= fileSystemNow && !found.beingWritten)
                ready.push_back(name);
            else
                watched.insert(name, { found.size, found.mtimeMs, now + settleMs });
            continue;
        }
        if (found.size == known->size && found.mtimeMs == known->mtimeMs && !found.beingWritten) {
            watched.erase(known);
            ready.push_back(name);
            continue;
        }
        *known = { found.size, found.mtimeMs, now + settleMs };
    }
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
