// SPDX-License-Identifier: MIT
#include "tidyup/report/reporter.h"

Reporter::Reporter(const TidyUp::Progress &progress)
    : progress(progress)
{
    clock.start();
}

void Reporter::report(int done, int listed)
{
    if (progress
        && (done == 1 || done == listed || clock.elapsed() - last >= TidyUp::progressIntervalMs)) {
        last = clock.elapsed();
        progress(done, listed);
    }
}
