// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup.h"
#include "ui_body.h"

#include <QMainWindow>

class ParamTable;
class TidyUpJob;

// The main window: the target directory above the output names, "Exec" below, and the status
// bar that follows a run.
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
    void runFinished(const TidyUp::Outcome &outcome);

private:
    void setFieldsEnabled(bool enabled);

    TidyUpJob *job = nullptr;
};
