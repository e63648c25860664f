// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/tidyup.h"

#include <QElapsedTimer>

// Reports after the first entry, after the last, and in between at most every interval.
class Reporter
{
public:
    explicit Reporter(const TidyUp::Progress &progress);

    void report(int done, int listed);

    qint64 elapsed() const { return clock.elapsed(); }

private:
    const TidyUp::Progress &progress;
    QElapsedTimer clock;
    qint64 last = 0;
};
