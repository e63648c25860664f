// SPDX-License-Identifier: MIT
#include "tidyup/tidyupsession.h"
#include "tidyup/preview.h"
#include "tidyup/tidyupjob.h"

TidyUpSession::TidyUpSession(QObject *parent)
    : QObject(parent)
{
    // Its signals can then be queued and watched.
    qRegisterMetaType<TidyUp::Settings>();
    qRegisterMetaType<TidyUp::Preview>();
    previewTimer.setSingleShot(true);
    previewTimer.setInterval(300);
    connect(&previewTimer, &QTimer::timeout, this, &TidyUpSession::previewEdited);
}

TidyUpSession::~TidyUpSession()
{
    delete job;
    abandonPreview();
    surveyStopped->store(true);
    previews.waitForDone();
}

void TidyUpSession::edit(const TidyUp::Settings &settings)
{
    // What is being worked out no longer matters; the next one waits for a pause in typing.
    abandonPreview();
    edited = settings;
    previewTimer.start();
}

void TidyUpSession::previewEdited()
{
    preview(edited);
}

void TidyUpSession::preview(const TidyUp::Settings &settings)
{
    if (job)
        return;
    abandonPreview();
    previewAbandoned = std::make_shared<std::atomic<bool>>(false);
    // A slow directory must not hold up the caller: the listing runs on a pool thread, and a
    // result that comes after the settings changed again is dropped.
    previews.start([this, abandoned = previewAbandoned, settings] {
        const TidyUp::Preview preview = TidyUp::preview(settings, abandoned.get());
        QMetaObject::invokeMethod(
            this,
            [this, abandoned, preview, settings] {
                if (!abandoned->load())
                    emit previewed(preview, settings);
            },
            Qt::QueuedConnection);
    });
}

void TidyUpSession::run(const TidyUp::Settings &settings)
{
    if (!job)
        start(new TidyUpJob(TidyUpJob::Run, settings, this));
}

void TidyUpSession::follow(const TidyUp::Settings &settings, bool withSurvey)
{
    if (job)
        return;
    auto *following = new TidyUpJob(TidyUpJob::Follow, settings, this);
    if (withSurvey)
        following->tellSurvey();
    start(following);
}

void TidyUpSession::undo(const TidyUp::Settings &settings)
{
    if (!job)
        start(new TidyUpJob(TidyUpJob::Undo, settings, this));
}

void TidyUpSession::check(const TidyUp::Settings &settings)
{
    if (!job)
        start(new TidyUpJob(TidyUpJob::Check, settings, this));
}

void TidyUpSession::repair(const TidyUp::Settings &settings, const TidyUp::RepairRequest &request)
{
    if (!job)
        start(new TidyUpJob(TidyUpJob::Repair, settings, this, request));
}

void TidyUpSession::survey(const TidyUp::Settings &settings)
{
    surveyStopped = std::make_shared<std::atomic<bool>>(false);
    previews.start([this, stop = surveyStopped, settings] {
        const TidyUp::Preview preview = TidyUp::preview(settings, stop.get());
        QMetaObject::invokeMethod(
            this, [this, preview, settings] { emit surveyed(preview, settings); },
            Qt::QueuedConnection);
    });
}

void TidyUpSession::stop()
{
    if (job)
        job->stop();
    surveyStopped->store(true);
}

void TidyUpSession::start(TidyUpJob *newJob)
{
    abandonPreview();
    job = newJob;
    connect(job, &TidyUpJob::progress, this, &TidyUpSession::progress);
    connect(job, &TidyUpJob::round, this, &TidyUpSession::round);
    connect(job, &TidyUpJob::finished, this, &TidyUpSession::jobFinished);
    connect(job, &TidyUpJob::undone, this, &TidyUpSession::jobUndone);
    connect(job, &TidyUpJob::checked, this, &TidyUpSession::jobChecked);
    emit started();
    job->start();
}

TidyUp::Settings TidyUpSession::endJob()
{
    const TidyUp::Settings settings = job->settings();
    // The thread has nothing left to do but return.
    delete job;
    job = nullptr;
    return settings;
}

void TidyUpSession::jobFinished(const TidyUp::Outcome &outcome)
{
    emit finished(outcome, endJob());
}

void TidyUpSession::jobUndone(const TidyUp::UndoOutcome &outcome)
{
    emit undone(outcome, endJob());
}

void TidyUpSession::jobChecked(const TidyUp::CheckOutcome &outcome)
{
    emit checked(outcome, endJob());
}

void TidyUpSession::abandonPreview()
{
    previewTimer.stop();
    previewAbandoned->store(true);
}
