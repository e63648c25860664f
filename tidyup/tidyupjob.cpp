// SPDX-License-Identifier: MIT
#include "tidyupjob.h"

TidyUpJob::TidyUpJob(const TidyUp::Settings &settings, QObject *parent)
    : TidyUpJob(
        settings,
        [settings](const TidyUp::Progress &progress, const std::atomic<bool> *stop) {
            return TidyUp::run(settings, progress, stop);
        },
        parent)
{
}

TidyUpJob::TidyUpJob(const TidyUp::UndoRecord &record, QObject *parent)
    : TidyUpJob(
        record.settings,
        [record](const TidyUp::Progress &progress, const std::atomic<bool> *stop) {
            return TidyUp::undo(record, progress, stop);
        },
        parent)
{
}

TidyUpJob::TidyUpJob(const TidyUp::Settings &settings, Work work, QObject *parent)
    : QObject(parent)
    , runSettings(settings)
    , work(std::move(work))
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
        emit finished(
            work([this](int done, int listed) { emit progress(done, listed); }, &stopRequested));
    }));
    thread->start();
}

void TidyUpJob::stop()
{
    stopRequested = true;
}
