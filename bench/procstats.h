// SPDX-License-Identifier: MIT
#pragma once

// What this process has used, for the benchmark and the probe it loads into the program.
namespace ProcStats
{
// CPU time of this process and of the children it has waited for, in ms.
double cpuMs();
// Peak resident memory since the last reset, in kB.
long peakKb();
void resetPeak();
} // namespace ProcStats
