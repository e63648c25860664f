// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/tidyup.h"

#include <atomic>

namespace TidyUp
{

class FollowWaker;

// A run that goes on while the measurement is written: round by round, the files of the target
// that have settled are moved and linked as a run does, under one record, until stop is set
// (waker then ends a wait at once) or, with the settings' idle time, nothing has settled or
// arrived for that long. The files still settling at the end stay, counted in the outcome. After
// each round that changed something, report hears what it did.
Outcome follow(const Settings &settings, const Progress &progress = {},
    const std::atomic<bool> *stop = nullptr, const FollowWaker *waker = nullptr,
    const RoundReport &report = {});

} // namespace TidyUp
