// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/tidyup.h"
#include "ui_body.h"

#include <QMainWindow>

class ParamTable;
class TidyUpSession;

// The main window: the target directory above the output names, "Exec" below, the scan's grid
// under them, and the status bar that says what a run would do, follows it, and offers to undo
// it.
class Body : public QMainWindow, private Ui_Body
{
    Q_OBJECT

public:
    explicit Body(const ParamTable &args, QWidget *parent = nullptr);
    ~Body() override;

signals:
    void finishing();
    void log(QString msg);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void doTidyUp();
    void undoLastRun();
    void runStarted();
    void runFinished(const TidyUp::Outcome &outcome, const TidyUp::Settings &settings);
    void undoFinished(const TidyUp::UndoOutcome &outcome, const TidyUp::Settings &settings);
    void checkLinks();
    void repairLinks();
    void checkFinished(const TidyUp::CheckOutcome &outcome, const TidyUp::Settings &settings);
    void roundDone(const TidyUp::Round &round);
    void fieldsEdited();

private:
    TidyUp::Settings fieldSettings() const;
    // After the outcome is shown.
    void jobEnded();
    void setFieldsEnabled(bool enabled);

    TidyUpSession *session;
    // How long a file must stay unchanged before a follow moves it, as configured.
    qint64 settleMs = TidyUp::Settings().settleMs;
    // The job going is a follow, with these settings.
    bool following = false;
    TidyUp::Settings followed;
};
