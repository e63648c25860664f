// SPDX-License-Identifier: MIT
#include "ui/detailswindow.h"

#include <QClipboard>
#include <QDateTime>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QSaveFile>
#include <algorithm>

namespace
{

enum Column { WhatColumn, FileColumn, ReasonColumn };

} // namespace

DetailsWindow::DetailsWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setupUi(this);
    // Left open, it must not keep the program running once the main window is closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    connect(Copy, &QPushButton::clicked, this, &DetailsWindow::copyAll);
    connect(Save, &QPushButton::clicked, this, &DetailsWindow::saveAs);
}

void DetailsWindow::showOutcome(
    const QVector<Report::Group> &groups, const QString &report, const QString &targetPath)
{
    text = report;
    const QDir target(targetPath);
    failures->clear();
    for (const Report::Group &group : groups) {
        auto *heading = new QTreeWidgetItem(failures);
        heading->setText(WhatColumn, group.heading);
        heading->setFirstColumnSpanned(true);
        QFont bold = heading->font(WhatColumn);
        bold.setBold(true);
        heading->setFont(WhatColumn, bold);
        for (const Report::Entry &failure : group.entries) {
            auto *entry = new QTreeWidgetItem(heading);
            entry->setText(WhatColumn, failure.what);
            entry->setText(FileColumn, target.relativeFilePath(failure.path));
            entry->setToolTip(FileColumn, failure.path);
            entry->setText(ReasonColumn, failure.reason);
        }
        if (!group.more.isEmpty()) {
            auto *more = new QTreeWidgetItem(heading);
            more->setText(WhatColumn, group.more);
            more->setFirstColumnSpanned(true);
        }
    }
    failures->expandAll();
    failures->resizeColumnToContents(WhatColumn);
    // The reason stays in sight: a long name gives way, shortened in its middle, and shows whole
    // in its tooltip.
    failures->resizeColumnToContents(FileColumn);
    failures->setColumnWidth(FileColumn, std::min(failures->columnWidth(FileColumn), width() / 2));
}

bool DetailsWindow::save(const QString &path, QString *error) const
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0 && file.commit())
        return true;
    *error = file.errorString();
    return false;
}

void DetailsWindow::copyAll()
{
    QGuiApplication::clipboard()->setText(text);
}

void DetailsWindow::saveAs()
{
    const QString name
        = QStringLiteral("quorvix-data-%1.txt")
              .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmm")));
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Save Details"), QDir::home().filePath(name), tr("Text files (*.txt)"));
    QString error;
    if (!path.isEmpty() && !save(path, &error))
        QMessageBox::warning(this, tr("Save Details"), tr("Can't save %1: %2").arg(path, error));
}
