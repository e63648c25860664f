// SPDX-License-Identifier: MIT
#include "tidyup/follow.h"
#include "tidyup/follow/follower.h"
#include "tidyup/names/dirscan.h"
#include "tidyup/run.h"
#include "tidyup/survey/surveybuilder.h"

#include <QDir>
#include <QFileInfo>

namespace TidyUp
{

Outcome follow(const Settings &settings, const Progress &progress, const std::atomic<bool> *stop,
    const FollowWaker *waker, const RoundReport &report)
{
    // A target that is not there is refused by the run, and nothing is made in its place.
    if (!QFileInfo(settings.target).isDir())
        return run(settings, progress, stop);
    // The file system's clock is read from a file touched beside the records.
    const QString folder = QDir(settings.target).filePath(QStringLiteral(".quorvix-data"));
    QDir().mkpath(folder);
    const QString clock = folder + QStringLiteral("/clock");
    // The originals directory is read this once: the survey follows the moves from here on.
    SurveyBuilder start;
    DirScan::matchingEncoded(
        QDir(settings.target).filePath(settings.origs), settings.fileExt,
        [&start](QByteArray &&name) { start.add(name, SurveyBuilder::Origs); }, stop);
    Outcome outcome;
    {
        Follower follower(settings, clock, stop, waker, start.take(), report);
        outcome = run(settings, progress, stop, &follower);
    }
    outcome.follow = true;
    QFile::remove(clock);
    return outcome;
}

} // namespace TidyUp
