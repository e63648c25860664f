// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/tidyup.h"

#include <QObject>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

namespace TidyUp
{
class FollowWaker;
}

// One tidy-up run, the undo of one, or a check or repair of the link trees, on a thread of its own,
// so that the window answers throughout. Its signals are emitted on that thread: receivers on other
// threads get them queued, by value.
class TidyUpJob : public QObject
{
    Q_OBJECT

public:
    enum Kind { Run, Undo, Check, Repair, Follow };
    // request is a repair's.
    TidyUpJob(Kind kind, const TidyUp::Settings &settings, QObject *parent = nullptr,
        const TidyUp::RepairRequest &request = {});
    // A follow's rounds then carry the whole survey.
    void tellSurvey() { surveyTold = true; }
    // Stops the run as stop() does, and waits for the entry in hand.
    ~TidyUpJob() override;

    const TidyUp::Settings &settings() const { return runSettings; }
    void start();

public slots:
    // Asks the run to end after the entry in hand; it then reports its outcome as usual.
    void stop();

signals:
    void progress(int done, int listed);
    // Of a follow, after each round that changed something.
    void round(const TidyUp::Round &round);
    // One of them, as the job's kind.
    void finished(const TidyUp::Outcome &outcome);
    void undone(const TidyUp::UndoOutcome &outcome);
    // Of a check or a repair.
    void checked(const TidyUp::CheckOutcome &outcome);

private:
    const Kind kind;
    const TidyUp::Settings runSettings;
    const TidyUp::RepairRequest repairRequest;
    std::atomic<bool> stopRequested { false };
    bool surveyTold = false;
    // Ends a follow's wait for files at once.
    std::unique_ptr<TidyUp::FollowWaker> waker;
    std::unique_ptr<QThread> thread;
};
