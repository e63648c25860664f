// SPDX-License-Identifier: MIT
#include "detailswindow.h"

#include "runstatus.h"

#include <QClipboard>
#include <QDateTime>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLocale>
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
    connect(Copy, SIGNAL(clicked()), this, SLOT(copyAll()));
    connect(Save, SIGNAL(clicked()), this, SLOT(saveAs()));
}

void DetailsWindow::showOutcome(
    const TidyUp::Outcome &outcome, const TidyUp::Settings &settings, const QString &sentence)
{
    QStringList lines = outcome.lines;
    if (outcome.moreLines > 0)
        lines << tr("… and %Ln more line(s)", nullptr, outcome.moreLines);
    text = sentence + QLatin1String("\n\n") + lines.join(QLatin1Char('\n')) + QLatin1Char('\n');

    // The engine counts every failure it groups, however many it keeps; a failure it does not
    // group (the output directories) makes a group of those kept.
    struct Group {
        TidyUp::Outcome::Group counted;
        QList<const TidyUp::Failure *> kept;
    };
    QVector<Group> groups;
    for (const TidyUp::Outcome::Group &group : outcome.groups)
        groups.append({ group, {} });
    for (const TidyUp::Failure &failure : outcome.failures) {
        auto group = std::find_if(groups.begin(), groups.end(), [&failure](const Group &g) {
            return g.counted.what == failure.what && g.counted.reason == failure.reason;
        });
        if (group == groups.end())
            group = groups.insert(groups.end(), { { failure.what, failure.reason, 0 }, {} });
        group->kept << &failure;
    }

    const auto whatText = [&outcome](TidyUp::Failure::What what) {
        switch (what) {
        case TidyUp::Failure::Move:
            return outcome.undone ? tr("Not moved back") : tr("Not moved");
        case TidyUp::Failure::Link:
            return outcome.undone ? tr("Link left") : tr("Link not made");
        case TidyUp::Failure::Dirs:
            return tr("Output directory");
        case TidyUp::Failure::Record:
            return tr("Record");
        }
        return QString();
    };
    const QLocale locale;
    const QDir target(settings.target);
    failures->clear();
    for (const Group &group : qAsConst(groups)) {
        const int count = std::max(group.counted.count, int(group.kept.size()));
        auto *heading = new QTreeWidgetItem(failures);
        heading->setText(WhatColumn,
            tr("%1: %2 (%3)")
                .arg(whatText(group.counted.what),
                    RunStatus::reasonWords(group.counted.reason, group.counted.what),
                    locale.toString(count)));
        heading->setFirstColumnSpanned(true);
        QFont bold = heading->font(WhatColumn);
        bold.setBold(true);
        heading->setFont(WhatColumn, bold);
        for (const TidyUp::Failure *failure : group.kept) {
            auto *entry = new QTreeWidgetItem(heading);
            const QString path = QFile::decodeName(failure->entry);
            entry->setText(WhatColumn, whatText(failure->what));
            entry->setText(FileColumn, target.relativeFilePath(path));
            entry->setToolTip(FileColumn, path);
            entry->setText(ReasonColumn, failure->reason.translated());
        }
        if (count > group.kept.size()) {
            auto *more = new QTreeWidgetItem(heading);
            more->setText(WhatColumn,
                tr("… and %Ln more, not listed", nullptr, count - int(group.kept.size())));
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
