// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup.h"

#include <QStatusBar>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

// The window's status bar as the tracker of a run: while it goes, a progress bar, the count and
// "Stop"; when it ends, what it did, with "Details" when anything failed.
class RunStatus : public QStatusBar
{
    Q_OBJECT

public:
    explicit RunStatus(QWidget *parent = nullptr);

    void showStarted();
    void showOutcome(const TidyUp::Outcome &outcome, const TidyUp::Settings &settings);

signals:
    void stopClicked();

public slots:
    void showProgress(int done, int listed);

private slots:
    void stopPressed();
    void showDetails();

private:
    static QString outcomeText(const TidyUp::Outcome &outcome, const TidyUp::Settings &settings);
    void setRunShown(bool shown);

    QLabel *message;
    QProgressBar *progress;
    QLabel *count;
    QPushButton *stop;
    QPushButton *details;
    QStringList detailLines;
    // A window of its own, not modal, made when first asked for.
    QPlainTextEdit *detailsView = nullptr;
};
