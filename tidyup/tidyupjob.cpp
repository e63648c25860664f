// SPDX-License-Identifier: MIT
#include "tidyupjob.h"

TidyUpJob::TidyUpJob(const TidyUp::Settings &settings, QObject *parent)
    : QObject(parent)
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
        emit finished(TidyUp::run(
            runSettings, [this](int done, int listed) { emit progress(done, listed); },
            &stopRequested));
    }));
    thread->start();
}

void TidyUpJob::stop()
{
    stopRequested = true;
}
