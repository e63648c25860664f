// SPDX-License-Identifier: MIT
#pragma once

#include "ui_body.h"

#include <QMainWindow>

class ParamTable;

// The main window: the target directory above the output names, and "Exec" below.
class Body : public QMainWindow, private Ui_Body
{
    Q_OBJECT

public:
    explicit Body(const ParamTable &args, QWidget *parent = nullptr);

signals:
    void finishing();
    void log(QString msg);

private slots:
    void doTidyUp();
};
