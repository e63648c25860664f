// SPDX-License-Identifier: MIT
#include "tidyup/follow/follower.h"
#include "tidyup/names/listing.h"
#include "tidyup/outputdirs.h"

#include <QFile>
#include <algorithm>
#include <chrono>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace
{

constexpr qint64 roundGapMs = 250;

qint64 steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

qint64 wallMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

namespace TidyUp
{

FollowWaker::FollowWaker()
    : eventFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

FollowWaker::~FollowWaker()
{
    if (eventFd >= 0)
        ::close(eventFd);
}

void FollowWaker::wake() const
{
    const quint64 one = 1;
    if (eventFd >= 0 && ::write(eventFd, &one, sizeof one) < 0) { }
}

Follower::Follower(const Settings &settings, const QString &clockFile,
    const std::atomic<bool> *stop, const FollowWaker *waker, Survey start, RoundReport report)
    : settings(settings)
    , target(settings.target)
    , stop(stop)
    , waker(waker)
    , settler(settings.settleMs,
          { steadyMs,
              [this] {
                  // Where the file system's clock cannot be read, this machine's stands in.
                  const qint64 there = look.fileSystemNow();
                  return there >= 0 ? there : wallMs();
              } })
    , tracker(std::move(start))
    , report(std::move(report))
{
    look.open(settings.target, clockFile);
    // Reports from other NFS clients never come: polling goes on regardless.
    inotifyFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotifyFd >= 0
        && ::inotify_add_watch(inotifyFd, QFile::encodeName(settings.target).constData(),
               IN_CREATE | IN_CLOSE_WRITE | IN_MOVED_TO)
            < 0) {
        ::close(inotifyFd);
        inotifyFd = -1;
    }
    for (const QString &entry :
        outputDirEntries(target, { settings.origs, settings.energy, settings.seqNo }))
        outputs.insert(QFile::encodeName(entry));
    lastActivity = steadyMs();
}

Follower::~Follower()
{
    if (inotifyFd >= 0)
        ::close(inotifyFd);
}

bool Follower::stopped() const
{
    return stop && stop->load(std::memory_order_relaxed);
}

bool Follower::next(std::vector<QByteArray> &names)
{
    while (!stopped()) {
        std::vector<QByteArray> part;
        std::vector<Settler::Look> looks;
        if (!backlog.empty()) {
            // The rest of a long listing, looked at while the part before it moved.
            partStarted = steadyMs();
            looks = ahead.get();
            part.assign(std::make_move_iterator(backlog.begin()),
                std::make_move_iterator(backlog.begin() + qsizetype(looks.size())));
            backlog.erase(backlog.begin(), backlog.begin() + qsizetype(looks.size()));
        } else {
            if (lastRound >= 0)
                wait(lastRound);
            if (stopped())
                return false;
            lastRound = steadyMs();
            partStarted = lastRound;
            std::vector<QByteArray> listed = listEntries(target, settings.fileExt);
            // A file handed over before and still here was not moved: it is reported once, and
            // left alone from then on.
            const QSet<QByteArray> tried(handed.begin(), handed.end());
            for (const QByteArray &name : listed) {
                if (tried.contains(name))
                    failed.insert(name);
            }
            handed.clear();
            listed.erase(std::remove_if(listed.begin(), listed.end(),
                             [this](const QByteArray &name) { return outputs.contains(name); }),
                listed.end());
            tracker.listed(listed);
            listed.erase(std::remove_if(listed.begin(), listed.end(),
                             [this](const QByteArray &name) { return failed.contains(name); }),
                listed.end());
            part = settler.due(listed);
            // A long listing (a finished scan) goes in parts: each is looked at while the one
            // before it moves, the first a small one, so that the moves begin soon.
            if (part.size() > firstPartSize) {
                backlog.assign(std::make_move_iterator(part.begin() + firstPartSize),
                    std::make_move_iterator(part.end()));
                part.resize(firstPartSize);
            }
        }
        if (!backlog.empty()) {
            std::vector<QByteArray> following(
                backlog.begin(), backlog.begin() + qsizetype(std::min(partSize, backlog.size())));
            ahead = std::async(std::launch::async,
                [this, following = std::move(following)] { return look.look(following); });
        }
        if (looks.empty())
            looks = look.look(part);
        const int before = settler.settling();
        std::vector<QByteArray> ready = settler.settled(part, looks);
        const qint64 now = steadyMs();
        if (!ready.empty() || settler.settling() > 0 || before > 0)
            lastActivity = now;
        if (!ready.empty()) {
            handed.insert(handed.end(), ready.begin(), ready.end());
            unmoved = int(ready.size());
            names.swap(ready);
            return true;
        }
        if (!backlog.empty())
            continue;
        // Files arrived, or left, while none settled.
        Round arrivals;
        tell(arrivals);
        if (settings.untilIdleMs >= 0 && settler.settling() == 0
            && now - lastActivity >= settings.untilIdleMs)
            return false;
    }
    return false;
}

void Follower::moved(const QByteArray &name)
{
    --unmoved;
    tracker.tidied(name);
}

void Follower::ended(int moved, int notMoved, int linked, const QVector<Failure> &failures)
{
    unmoved -= notMoved - notMovedBefore;
    notMovedBefore = notMoved;
    Round round;
    round.moved = moved - movedBefore;
    round.linked = linked - linkedBefore;
    round.failures = failures.mid(failuresBefore);
    movedBefore = moved;
    linkedBefore = linked;
    failuresBefore = int(failures.size());
    tell(round);
}

void Follower::tell(Round &round)
{
    round.rows = tracker.takeChanged();
    if (!report
        || (round.moved == 0 && round.linked == 0 && round.failures.isEmpty()
            && round.rows.empty()))
        return;
    round.settling = settling();
    round.elapsedMs = steadyMs() - partStarted;
    report(round, tracker.survey());
}

bool Follower::reported()
{
    alignas(inotify_event) char buffer[4096];
    bool news = false;
    for (ssize_t size; (size = ::read(inotifyFd, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at < size;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            news = news
                || (event->len > 0 && event->name[0] != '.'
                    && !outputs.contains(QByteArray(event->name)));
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    return news;
}

void Follower::wait(qint64 roundStarted)
{
    const qint64 now = steadyMs();
    qint64 until = roundStarted + settings.pollMs;
    const qint64 deadline = settler.nextDeadline();
    if (deadline >= 0)
        until = std::min(until, deadline);
    if (settings.untilIdleMs >= 0 && settler.settling() == 0)
        until = std::min(until, lastActivity + settings.untilIdleMs);
    // Rounds come at most every 250 ms, however often the system reports.
    until = std::max(until, roundStarted + roundGapMs);
    pollfd fds[2] = { { waker ? waker->fd() : -1, POLLIN, 0 }, { inotifyFd, POLLIN, 0 } };
    for (qint64 left = until - now; left > 0 && !stopped(); left = until - steadyMs()) {
        if (::poll(fds, 2, int(left)) <= 0)
            continue;
        if (fds[0].revents & POLLIN)
            return;
        // A file came or closed: a round as soon as the gap allows. What the follow makes
        // itself (the output directories, its hidden files) is no news.
        if ((fds[1].revents & POLLIN) && reported()) {
            until = std::max(steadyMs(), roundStarted + roundGapMs);
            fds[1].fd = -1;
        }
    }
}

} // namespace TidyUp
