// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/tidyup.h"

#include <atomic>

namespace TidyUp
{

// Reads the originals directory and both link trees of settings' target, and changes nothing:
// each link a data file expects is in place when its text, taken from its folder where it is
// relative, names that file; decided from the text alone. Refused while a run of the target goes.
CheckOutcome check(const Settings &settings, const Progress &progress = {},
    const std::atomic<bool> *stop = nullptr);

// A temporary name that a repair makes its new links under, passed over by the check.
constexpr char temporaryPrefix[] = ".quorvix-data-tmp-";

} // namespace TidyUp
