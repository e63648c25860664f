// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/tidyup.h"

#include <atomic>

namespace TidyUp
{

// One whole tidy-up. Failed moves and links are written to the debug channel and the run
// goes on; the lines of the link threads may come out of listing order. Once stop is set,
// the entry in hand is finished (a copy to another file system is abandoned, its source
// untouched), the files moved get their links, and the run ends.
Outcome run(const Settings &settings, const Progress &progress = {},
    const std::atomic<bool> *stop = nullptr);

} // namespace TidyUp
