// SPDX-License-Identifier: MIT
#include "tidyup/tidyupjob.h"
#include "tidyup/check.h"
#include "tidyup/follow.h"
#include "tidyup/follow/follower.h"
#include "tidyup/repairer.h"
#include "tidyup/run.h"
#include "tidyup/undo.h"

TidyUpJob::TidyUpJob(Kind kind, const TidyUp::Settings &settings, QObject *parent,
    const TidyUp::RepairRequest &request)
    : QObject(parent)
    , kind(kind)
    , runSettings(settings)
    , repairRequest(request)
    , waker(std::make_unique<TidyUp::FollowWaker>())
{
    qRegisterMetaType<TidyUp::Outcome>();
    qRegisterMetaType<TidyUp::Round>();
    qRegisterMetaType<TidyUp::UndoOutcome>();
    qRegisterMetaType<TidyUp::CheckOutcome>();
}

TidyUpJob::~TidyUpJob()
{
    stop();
    if (thread)
        thread->wait();
}

void TidyUpJob::start()
{
    thread.reset(QThread::create([this] {
        const TidyUp::Progress report
            = [this](int done, int listed) { emit progress(done, listed); };
        if (kind == Run)
            emit finished(TidyUp::run(runSettings, report, &stopRequested));
        else if (kind == Follow)
            emit finished(TidyUp::follow(runSettings, report, &stopRequested, waker.get(),
                [this](const TidyUp::Round &done, const TidyUp::Survey &survey) {
                    if (!surveyTold) {
                        emit round(done);
                        return;
                    }
                    TidyUp::Round told = done;
                    told.survey = std::make_shared<const TidyUp::Survey>(survey);
                    emit round(told);
                }));
        else if (kind == Undo)
            emit undone(TidyUp::undo(runSettings, report, &stopRequested));
        else if (kind == Check)
            emit checked(TidyUp::check(runSettings, report, &stopRequested));
        else
            emit checked(TidyUp::repair(runSettings, repairRequest, report, &stopRequested));
    }));
    thread->start();
}

void TidyUpJob::stop()
{
    stopRequested = true;
    waker->wake();
}
