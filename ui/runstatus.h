// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/report/report.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QStatusBar>
#include <QTimer>

class DetailsWindow;
class QLabel;
class QProgressBar;
class QPushButton;

// The window's status bar as the tracker of a run: before it, what it would do; while it goes,
// a progress bar, the count and "Stop"; when it ends, what it did, with "Details" when anything
// failed and "Undo" when it moved anything; "Check" where the target has link trees, and
// "Repair" after a check that found links to mend.
class RunStatus : public QStatusBar
{
    Q_OBJECT

public:
    explicit RunStatus(QWidget *parent = nullptr);

    void showStarted();
    // The job started is a follow of target: its progress is what it has tidied since.
    void showFollowing(const QString &target);
    void showOutcome(const TidyUp::Outcome &outcome, const TidyUp::Settings &settings);
    void showOutcome(const TidyUp::UndoOutcome &outcome, const TidyUp::Settings &settings);
    void showOutcome(const TidyUp::CheckOutcome &outcome, const TidyUp::Settings &settings);

signals:
    void stopClicked();
    void undoClicked();
    void checkClicked();
    void repairClicked();

public slots:
    void showProgress(int done, int listed);
    // Of a follow; shown at most every 250 ms.
    void showRound(const TidyUp::Round &round);
    void showPreview(const TidyUp::Preview &next, const TidyUp::Settings &settings);

private slots:
    void stopPressed();
    void showDetails();
    void showFollowed();

private:
    void setRunShown(bool shown);
    // report: what Details copies and saves; listed: whether there is anything to detail.
    void show(const QString &text, const QString &report, bool listed, bool undoable,
        const QVector<Report::Group> &groups, const QString &target);

    QLabel *message;
    QLabel *preview;
    QProgressBar *progress;
    QLabel *count;
    QPushButton *stop;
    QPushButton *details;
    QPushButton *undo;
    QPushButton *check;
    QPushButton *repair;
    // The target whose check found links to mend; empty when none did.
    QString repairable;
    // What failed in the last outcome shown, for the details when they are asked for.
    QVector<Report::Group> shownGroups;
    QString shownReport;
    QString shownTarget;
    // An outcome shown in this window stays above the preview; before one, the last recorded run
    // of the target is shown there.
    bool outcomeShown = false;
    // Of the follow going, if one is.
    struct {
        bool going = false;
        QString target;
        QDateTime since;
        int tidied = 0;
        int settling = 0;
        QElapsedTimer shown;
        QTimer later;
    } follow;
    // A window of its own, not modal, made when first asked for.
    DetailsWindow *detailsView = nullptr;
};
