// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/follow/filelook.h"
#include "tidyup/follow/settler.h"
#include "tidyup/run.h"

#include <QDir>
#include <QSet>
#include <atomic>

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
// the settings' idle time.
class Follower : public Rounds
{
public:
    Follower(const Settings &settings, const QString &clockFile, const std::atomic<bool> *stop,
        const FollowWaker *waker);
    ~Follower() override;

    bool next(std::vector<QByteArray> &names) override;
    int settling() const override { return settler.settling(); }

private:
    bool stopped() const;
    // Waits until the next round is due, a file is reported or the follow is woken.
    void wait(qint64 roundStarted);
    // Whether the system's reports since the last read name a file of the writer's.
    bool reported();

    const Settings settings;
    const QDir target;
    const std::atomic<bool> *stop;
    const FollowWaker *waker;
    FileLook look;
    Settler settler;
    int inotifyFd = -1;
    // The names handed over in the round before; one still listed was not moved, and is not
    // tried again.
    std::vector<QByteArray> handed;
    QSet<QByteArray> failed;
    QSet<QByteArray> outputs;
    qint64 lastActivity = 0;
    qint64 lastRound = -1;
};

} // namespace TidyUp
