// SPDX-License-Identifier: MIT
#include "tidyup/tidyupjob.h"
#include "tidyup/run.h"
#include "tidyup/undo.h"

TidyUpJob::TidyUpJob(Kind kind, const TidyUp::Settings &settings, QObject *parent)
    : QObject(parent)
    , kind(kind)
    , runSettings(settings)
{
    qRegisterMetaType<TidyUp::Outcome>();
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
        emit finished(kind == Run ? TidyUp::run(runSettings, report, &stopRequested)
                                  : TidyUp::undo(runSettings, report, &stopRequested));
    }));
    thread->start();
}

void TidyUpJob::stop()
{
    stopRequested = true;
}
