// SPDX-License-Identifier: MIT
// The window's tidy-up: it reads the panels' fields and runs the engine on a thread of its own,
// with the status bar following the run; it offers to undo the last run, and says beforehand
// what a run would do.
#include "body.h"
#include "tidyupjob.h"

#include <QLineEdit>

TidyUp::Settings Body::fieldSettings() const
{
    return { TargetDir->selectedDir(), TUInfo->origsDir(), TUInfo->energyDir(), TUInfo->seqNoDir(),
        TUInfo->fileExt() };
}

void Body::doTidyUp()
{
    if (!job)
        startJob(new TidyUpJob(fieldSettings(), this));
}

void Body::undoLastRun()
{
    if (!job && !lastRun.moved.isEmpty())
        startJob(new TidyUpJob(lastRun, this));
}

void Body::startJob(TidyUpJob *newJob)
{
    // The run has read the fields: an edit during the run would only mislead.
    setFieldsEnabled(false);
    TargetDir->pauseDialog();
    abandonPreview();
    // Undo is for the last run only; a new one takes its place.
    lastRun = {};
    job = newJob;
    connect(job, SIGNAL(progress(int, int)), statusbar, SLOT(showProgress(int, int)));
    connect(job, SIGNAL(finished(TidyUp::Outcome)), this, SLOT(runFinished(TidyUp::Outcome)));
    connect(statusbar, SIGNAL(stopClicked()), job, SLOT(stop()));
    statusbar->showStarted();
    job->start();
}

void Body::runFinished(const TidyUp::Outcome &outcome)
{
    lastRun = outcome.undo;
    statusbar->showOutcome(outcome, job->settings());
    // The thread has nothing left to do but return.
    delete job;
    job = nullptr;
    TargetDir->resumeDialog();
    setFieldsEnabled(true);
    // Disabling "Exec" sent the focus to "Stop", which has gone.
    if (!focusWidget() || !focusWidget()->isVisible())
        Exec->setFocus();
    updatePreview();
}

void Body::setFieldsEnabled(bool enabled)
{
    TargetDir->setEnabled(enabled);
    TUInfo->setEnabled(enabled);
    Exec->setEnabled(enabled);
}

void Body::abandonPreview()
{
    previewTimer.stop();
    previewAbandoned->store(true);
}

void Body::fieldsEdited()
{
    // What is being worked out no longer matters; the next one waits for a pause in typing.
    abandonPreview();
    previewTimer.start();
}

void Body::updatePreview()
{
    if (job)
        return;
    abandonPreview();
    previewAbandoned = std::make_shared<std::atomic<bool>>(false);
    // A slow directory must not hold up the window: the listing runs on a pool thread, and a
    // result that comes after the fields changed again is dropped.
    previews.start([this, abandoned = previewAbandoned, settings = fieldSettings()] {
        const TidyUp::Preview preview = TidyUp::preview(settings, abandoned.get());
        QMetaObject::invokeMethod(
            this,
            [this, abandoned, preview, settings] {
                if (!abandoned->load())
                    statusbar->showPreview(preview, settings);
            },
            Qt::QueuedConnection);
    });
}
