// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/follow/filelook.h"
#include "tidyup/follow/settler.h"
#include "tidyup/run.h"
#include "tidyup/survey/surveytracker.h"

#include <QDir>
#include <QSet>
#include <atomic>
#include <future>

namespace TidyUp
{

// Wakes a follow that waits for files, so that it sees its stop at once.
class FollowWaker
{
public:
    FollowWaker();
    ~FollowWaker();
    FollowWaker(const FollowWaker &) = delete;
    FollowWaker &operator=(const FollowWaker &) = delete;
    void wake() const;
    int fd() const { return eventFd; }

private:
    int eventFd = -1;
};

// The rounds of a run that follows a measurement being written: each lists the target and hands
// over the files that have settled. A round comes at the earliest settle deadline, after the poll
// interval at the latest, or soon after the system reports a file made or closed in the target,
// at most one every 250 ms. The rounds end on stop, or once nothing has settled or arrived for
// the settings' idle time. The survey, from start on, follows the files listed and moved; report
// hears of each round that changed something.
class Follower : public Rounds
{
public:
    Follower(const Settings &settings, const QString &clockFile, const std::atomic<bool> *stop,
        const FollowWaker *waker, Survey start = {}, RoundReport report = {});
    ~Follower() override;

    bool next(std::vector<QByteArray> &names) override;
    // Files settled and handed over that a stop left unmoved, and those of a long listing not
    // yet looked at, stay with those still settling.
    int settling() const override { return settler.settling() + unmoved + int(backlog.size()); }
    void moved(const QByteArray &name) override;
    void ended(int moved, int notMoved, int linked, const QVector<Failure> &failures) override;

private:
    bool stopped() const;
    // Waits until the next round is due, a file is reported or the follow is woken.
    void wait(qint64 roundStarted);
    // Whether the system's reports since the last read name a file of the writer's.
    bool reported();
    // Tells of a round that changed something, with the survey's rows that changed.
    void tell(Round &round);

    const Settings settings;
    const QDir target;
    const std::atomic<bool> *stop;
    const FollowWaker *waker;
    FileLook look;
    Settler settler;
    SurveyTracker tracker;
    const RoundReport report;
    // The run's counts after the round before.
    int movedBefore = 0;
    int linkedBefore = 0;
    int notMovedBefore = 0;
    int failuresBefore = 0;
    // Of the names handed over last, those neither moved nor failed yet.
    int unmoved = 0;
    int inotifyFd = -1;
    // The names handed over since the last listing; one still listed was not moved, and is not
    // tried again.
    std::vector<QByteArray> handed;
    // Of a long listing, the names not yet handed over, and the looks at the first of them.
    static constexpr size_t firstPartSize = 1024;
    static constexpr size_t partSize = 8192;
    std::vector<QByteArray> backlog;
    std::future<std::vector<Settler::Look>> ahead;
    QSet<QByteArray> failed;
    QSet<QByteArray> outputs;
    qint64 lastActivity = 0;
    qint64 lastRound = -1;
    qint64 partStarted = 0;
};

} // namespace TidyUp
