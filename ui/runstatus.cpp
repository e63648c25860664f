// SPDX-License-Identifier: MIT
#include "runstatus.h"

#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

RunStatus::RunStatus(QWidget *parent)
    : QStatusBar(parent)
    , message(new QLabel(this))
    , progress(new QProgressBar(this))
    , count(new QLabel(this))
    , stop(new QPushButton(tr("Stop"), this))
    , details(new QPushButton(tr("Details"), this))
{
    message->setObjectName(QStringLiteral("outcome"));
    progress->setObjectName(QStringLiteral("progress"));
    count->setObjectName(QStringLiteral("count"));
    stop->setObjectName(QStringLiteral("Stop"));
    details->setObjectName(QStringLiteral("Details"));
    // A long outcome must not widen the window; the tooltip holds all of it.
    message->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    progress->setTextVisible(false);
    progress->setMaximumWidth(200);
    addWidget(message, 1);
    addPermanentWidget(progress);
    addPermanentWidget(count);
    addPermanentWidget(stop);
    addPermanentWidget(details);
    setRunShown(false);
    details->hide();
    connect(stop, SIGNAL(clicked()), this, SLOT(stopPressed()));
    connect(details, SIGNAL(clicked()), this, SLOT(showDetails()));
}

QString RunStatus::outcomeText(const TidyUp::Outcome &outcome, const TidyUp::Settings &settings)
{
    if (!outcome.dirsReady)
        return outcome.dirProblem + QLatin1Char(' ') + tr("Nothing was moved.");
    if (outcome.listed == 0) {
        return tr("No file matches %1 in %2.")
            .arg(QStringLiteral("*.") + settings.fileExt, settings.target);
    }
    const QLocale locale;
    const QString files = tr("%Ln file(s)", nullptr, outcome.moved);
    const QString links = tr("%Ln link(s)", nullptr, outcome.linked);
    QString text;
    if (outcome.stopped) {
        text = tr("Stopped after %1 of %2: moved %3 and made %4.")
                   .arg(locale.toString(outcome.done),
                       tr("%Ln file(s)", nullptr, outcome.listed), files, links);
    } else {
        text = tr("Moved %1 into %2 and made %3 in %4 s.")
                   .arg(files, settings.origs, links,
                       locale.toString(double(outcome.elapsedMs) / 1000, 'f', 1));
    }
    if (outcome.notMoved > 0)
        text += QLatin1Char(' ') + tr("%Ln file(s) were not moved.", nullptr, outcome.notMoved);
    if (outcome.restored > 0) {
        text += QLatin1Char(' ')
            + tr("Made %Ln link(s) that an interrupted run had left.", nullptr, outcome.restored);
    }
    if (outcome.linksNotMade > 0)
        text += QLatin1Char(' ') + tr("%Ln link(s) were not made.", nullptr, outcome.linksNotMade);
    return text;
}

void RunStatus::showStarted()
{
    message->clear();
    message->setToolTip(QString());
    details->hide();
    // Busy until the listing is done and the first entry handled.
    progress->setRange(0, 0);
    count->setText(tr("Listing the files…"));
    stop->setEnabled(true);
    setRunShown(true);
}

void RunStatus::showProgress(int done, int listed)
{
    if (!stop->isEnabled())
        return;
    progress->setRange(0, listed);
    progress->setValue(done);
    const QLocale locale;
    count->setText(tr("%1 of %2").arg(locale.toString(done), locale.toString(listed)));
}

void RunStatus::showOutcome(const TidyUp::Outcome &outcome, const TidyUp::Settings &settings)
{
    setRunShown(false);
    const QString text = outcomeText(outcome, settings);
    message->setText(text);
    message->setToolTip(text);
    detailLines = outcome.lines;
    if (outcome.moreLines > 0)
        detailLines << tr("… and %Ln more line(s)", nullptr, outcome.moreLines);
    details->setVisible(!detailLines.isEmpty());
    if (detailsView)
        detailsView->setPlainText(detailLines.join(QLatin1Char('\n')));
}

void RunStatus::setRunShown(bool shown)
{
    progress->setVisible(shown);
    count->setVisible(shown);
    stop->setVisible(shown);
}

void RunStatus::stopPressed()
{
    stop->setEnabled(false);
    count->setText(tr("Stopping…"));
    emit stopClicked();
}

void RunStatus::showDetails()
{
    if (!detailsView) {
        detailsView = new QPlainTextEdit(this);
        detailsView->setWindowFlag(Qt::Window);
        detailsView->setObjectName(QStringLiteral("details"));
        detailsView->setWindowTitle(tr("Details"));
        detailsView->setReadOnly(true);
        detailsView->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        detailsView->setLineWrapMode(QPlainTextEdit::NoWrap);
        // Left open, it must not keep the program running once the main window is closed.
        detailsView->setAttribute(Qt::WA_QuitOnClose, false);
        detailsView->resize(720, 360);
        detailsView->setPlainText(detailLines.join(QLatin1Char('\n')));
    }
    detailsView->show();
    detailsView->raise();
    detailsView->activateWindow();
}
