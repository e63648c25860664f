// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/tidyup.h"

#include <atomic>
#include <vector>

namespace TidyUp
{

// The names a run moves, round by round. A plain run has one round, its listing; a run that
// follows a measurement being written has one for each batch of files that settled.
class Rounds
{
public:
    virtual ~Rounds() = default;
    // The names of the next round, in the file system's encoding, in the order to move them,
    // once there are any; false when the rounds are over.
    virtual bool next(std::vector<QByteArray> &names) = 0;
    // Files of the target still settling when the rounds ended.
    virtual int settling() const { return 0; }
    // A name of the round, moved into the originals directory.
    virtual void moved(const QByteArray & /*name*/) { }
    // The round's moves and links are done: the run's counts so far and its failures.
    virtual void ended(
        int /*moved*/, int /*notMoved*/, int /*linked*/, const QVector<Failure> & /*failures*/)
    {
    }
};

// One whole tidy-up. Failed moves and links are written to the debug channel and the run
// goes on; the lines of the link threads may come out of listing order. Once stop is set,
// the entry in hand is finished (a copy to another file system is abandoned, its source
// untouched), the files moved get their links, and the run ends. With rounds, the run takes its
// names from them, after the first listing has finished what a killed run left.
Outcome run(const Settings &settings, const Progress &progress = {},
    const std::atomic<bool> *stop = nullptr, Rounds *rounds = nullptr);

} // namespace TidyUp
