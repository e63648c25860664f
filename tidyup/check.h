// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/tidyup.h"

#include <atomic>

class LinkMender;

namespace TidyUp
{

// Why settings' target cannot be checked or repaired, translated; empty where it can.
QString uncheckable(const Settings &settings);

// Reads the originals directory and both link trees of settings' target: each link a data file
// expects is in place when its text, taken from its folder where it is relative, names that file;
// decided from the text alone. Changes nothing, but where a mender is given: it is handed each link
// to mend, on the check's threads, as the check finds it. Refused while a run of the target goes.
CheckOutcome check(const Settings &settings, const Progress &progress = {},
    const std::atomic<bool> *stop = nullptr, LinkMender *mender = nullptr);

// A temporary name that a repair makes its new links under, passed over by the check.
constexpr char temporaryPrefix[] = ".quorvix-data-tmp-";

} // namespace TidyUp
