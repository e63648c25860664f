// SPDX-License-Identifier: MIT
// The window's tidy-up: it reads the panels' fields and runs the engine on a thread of its own,
// with the status bar following the run.
#include "body.h"
#include "tidyupjob.h"

void Body::doTidyUp()
{
    if (job)
        return;
    // The run has read the fields: an edit during the run would only mislead.
    setFieldsEnabled(false);
    TargetDir->pauseDialog();
    job = new TidyUpJob({ TargetDir->selectedDir(), TUInfo->origsDir(), TUInfo->energyDir(),
                            TUInfo->seqNoDir(), TUInfo->fileExt() },
        this);
    connect(job, SIGNAL(progress(int, int)), statusbar, SLOT(showProgress(int, int)));
    connect(job, SIGNAL(finished(TidyUp::Outcome)), this, SLOT(runFinished(TidyUp::Outcome)));
    connect(statusbar, SIGNAL(stopClicked()), job, SLOT(stop()));
    statusbar->showStarted();
    job->start();
}

void Body::runFinished(const TidyUp::Outcome &outcome)
{
    statusbar->showOutcome(outcome, job->settings());
    // The thread has nothing left to do but return.
    delete job;
    job = nullptr;
    TargetDir->resumeDialog();
    setFieldsEnabled(true);
    // Disabling "Exec" sent the focus to "Stop", which has gone.
    if (!focusWidget() || !focusWidget()->isVisible())
        Exec->setFocus();
}

void Body::setFieldsEnabled(bool enabled)
{
    TargetDir->setEnabled(enabled);
    TUInfo->setEnabled(enabled);
    Exec->setEnabled(enabled);
}
