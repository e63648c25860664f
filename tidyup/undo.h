// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/tidyup.h"

#include <atomic>

namespace TidyUp
{

// Reverses the newest run of the settings' target that is not undone, from its record:
// moves each file it moved back to its old name where that is free, removing its links
// while they still lead where the run made them, and then the folders the run made, where
// empty; the record is then marked undone. A file that cannot go back keeps its links;
// lines of the record that cannot be trusted are refused, one line each. Stopped, each file
// is either back or untouched, and the record can be undone again.
UndoOutcome undo(const Settings &settings, const Progress &progress = {},
    const std::atomic<bool> *stop = nullptr);

// What undo would take on; nothing is changed.
RecordedRun lastRun(const Settings &settings);

} // namespace TidyUp
