// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/tidyup.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <atomic>
#include <memory>

class TidyUpJob;

// What a user does with the tidy-up, without a widget: see what a run would do, run it or undo
// the last one, check and repair the link trees, and stop it. The window is one face of it; its
// signals carry values, and come on the thread it lives on.
class TidyUpSession : public QObject
{
    Q_OBJECT

public:
    explicit TidyUpSession(QObject *parent = nullptr);
    // A run still going stops after its entry in hand; this waits for that.
    ~TidyUpSession() override;

public slots:
    // The settings changed: what a run would do follows once they rest a moment.
    void edit(const TidyUp::Settings &settings);
    // What a run would do with settings, worked out on a pool thread; nothing while a run goes.
    void preview(const TidyUp::Settings &settings);
    void run(const TidyUp::Settings &settings);
    // A run that goes on while the measurement is written, until stopped or idle; reported as a
    // run is, and round by round, with the whole survey where withSurvey.
    void follow(const TidyUp::Settings &settings, bool withSurvey = false);
    // Undoes the newest run of the settings' target that is not undone, from its record.
    void undo(const TidyUp::Settings &settings);
    // Checks the link trees of the settings' target; changes nothing.
    void check(const TidyUp::Settings &settings);
    // Mends the link trees of the settings' target as request asks; reported as a check is.
    void repair(const TidyUp::Settings &settings, const TidyUp::RepairRequest &request = {});
    // The scan's shape as a preview gives it, which stop ends early, with what was read.
    void survey(const TidyUp::Settings &settings);
    void stop();

signals:
    void previewed(const TidyUp::Preview &preview, const TidyUp::Settings &settings);
    void started();
    void progress(int done, int listed);
    // Of a follow, after each round that changed something.
    void round(const TidyUp::Round &round);
    void finished(const TidyUp::Outcome &outcome, const TidyUp::Settings &settings);
    void undone(const TidyUp::UndoOutcome &outcome, const TidyUp::Settings &settings);
    void checked(const TidyUp::CheckOutcome &outcome, const TidyUp::Settings &settings);
    void surveyed(const TidyUp::Preview &preview, const TidyUp::Settings &settings);

private slots:
    void jobFinished(const TidyUp::Outcome &outcome);
    void jobUndone(const TidyUp::UndoOutcome &outcome);
    void jobChecked(const TidyUp::CheckOutcome &outcome);
    void previewEdited();

private:
    void start(TidyUpJob *newJob);
    void abandonPreview();
    // The settings of the job that has ended, which is then gone.
    TidyUp::Settings endJob();

    TidyUpJob *job = nullptr;
    // Restarted by every edit.
    QTimer previewTimer;
    TidyUp::Settings edited;
    std::shared_ptr<std::atomic<bool>> previewAbandoned = std::make_shared<std::atomic<bool>>();
    std::shared_ptr<std::atomic<bool>> surveyStopped = std::make_shared<std::atomic<bool>>();
    QThreadPool previews;
};
