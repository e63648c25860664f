// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <functional>

// A hidden file in the originals directory, ".quorvix-data-run-XXXXXX", that says a run is
// going there. It is locked while the run lasts, and the kernel drops the lock when the process
// dies: a marker that can be locked was left by a run that was killed, or lost its power, maybe
// before the links of its last moved files were made. Linux only; elsewhere nothing is marked.
class RunMarker
{
public:
    // Marks a run in dir (in the file system's encoding).
    explicit RunMarker(const QByteArray &dir);
    // Removes the marker: the run has ended, its links made; unless kept.
    ~RunMarker();
    RunMarker(const RunMarker &) = delete;
    RunMarker &operator=(const RunMarker &) = delete;

    // Leaves the marker when the run ends, as a killed run does, so that the next run finishes
    // what this one left undone.
    void keep() { kept = true; }

    // When dir holds markers of runs that have died, calls complete once and then removes
    // them. Markers of runs still going are left alone.
    static void completeAbandoned(const QByteArray &dir, const std::function<void()> &complete);

private:
    QByteArray path;
    int fd = -1;
    bool kept = false;
};
