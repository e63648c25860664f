// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/report/report.h"
#include "ui_detailswindow.h"

#include <QWidget>

// What a run or an undo left undone, grouped by what failed and why, the largest group first,
// each entry under its group by its name in the target. The outcome and every line the run wrote
// can be copied or saved, for a report to a colleague. A window of its own, not modal.
class DetailsWindow : public QWidget, private Ui_DetailsWindow
{
    Q_OBJECT

public:
    explicit DetailsWindow(QWidget *parent = nullptr);

    // The groups of failures as the report gives them, names shortened to their path in target;
    // report: what Copy and Save give.
    void showOutcome(
        const QVector<Report::Group> &groups, const QString &report, const QString &target);
    // The outcome's sentence, then the lines as the run wrote them.
    const QString &report() const { return text; }
    // Writes report() to path, as UTF-8; false with the reason in error.
    bool save(const QString &path, QString *error) const;

private slots:
    void copyAll();
    void saveAs();

private:
    QString text;
};
