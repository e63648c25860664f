// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup.h"
#include "ui_body.h"

#include <QMainWindow>
#include <QThreadPool>
#include <QTimer>
#include <atomic>
#include <memory>

class ParamTable;
class TidyUpJob;

// The main window: the target directory above the output names, "Exec" below, and the status
// bar that says what a run would do, follows it, and offers to undo it.
class Body : public QMainWindow, private Ui_Body
{
    Q_OBJECT

public:
    explicit Body(const ParamTable &args, QWidget *parent = nullptr);
    ~Body() override;

signals:
    void finishing();
    void log(QString msg);

private slots:
    void doTidyUp();
    void undoLastRun();
    void runFinished(const TidyUp::Outcome &outcome);
    void updatePreview();
    void fieldsEdited();

private:
    TidyUp::Settings fieldSettings() const;
    void startJob(TidyUpJob *newJob);
    void setFieldsEnabled(bool enabled);
    void abandonPreview();

    TidyUpJob *job = nullptr;
    // What undoing the last run needs; empty when there is nothing to undo.
    TidyUp::UndoRecord lastRun;
    // Restarted by every edit: the preview follows once typing pauses.
    QTimer previewTimer;
    std::shared_ptr<std::atomic<bool>> previewAbandoned = std::make_shared<std::atomic<bool>>();
    QThreadPool previews;
};
