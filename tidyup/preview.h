// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/tidyup.h"

#include <atomic>

namespace TidyUp
{

// Lists the target and reads the originals directory once, holding no name of either;
// gives up, with what it has, once stop is set.
Preview preview(const Settings &settings, const std::atomic<bool> *stop = nullptr);

} // namespace TidyUp
