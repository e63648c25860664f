// SPDX-License-Identifier: MIT
#include "tidyup/follow.h"
#include "tidyup/follow/follower.h"
#include "tidyup/run.h"

#include <QDir>
#include <QFileInfo>

namespace TidyUp
{

Outcome follow(const Settings &settings, const Progress &progress, const std::atomic<bool> *stop,
    const FollowWaker *waker)
{
    // A target that is not there is refused by the run, and nothing is made in its place.
    if (!QFileInfo(settings.target).isDir())
        return run(settings, progress, stop);
    // The file system's clock is read from a file touched beside the records.
    const QString folder = QDir(settings.target).filePath(QStringLiteral(".quorvix-data"));
    QDir().mkpath(folder);
    const QString clock = folder + QStringLiteral("/clock");
    Outcome outcome;
    {
        Follower follower(settings, clock, stop, waker);
        outcome = run(settings, progress, stop, &follower);
    }
    outcome.follow = true;
    QFile::remove(clock);
    return outcome;
}

} // namespace TidyUp
