// SPDX-License-Identifier: MIT
#include "ui/runstatus.h"

#include "tidyup/report/checkreport.h"
#include "tidyup/report/report.h"
#include "ui/detailswindow.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

RunStatus::RunStatus(QWidget *parent)
    : QStatusBar(parent)
    , message(new QLabel(this))
    , preview(new QLabel(this))
    , progress(new QProgressBar(this))
    , count(new QLabel(this))
    , stop(new QPushButton(tr("Stop"), this))
    , details(new QPushButton(tr("Details"), this))
    , undo(new QPushButton(tr("Undo"), this))
    , check(new QPushButton(tr("Check"), this))
    , repair(new QPushButton(tr("Repair"), this))
{
    message->setObjectName(QStringLiteral("outcome"));
    preview->setObjectName(QStringLiteral("preview"));
    undo->setObjectName(QStringLiteral("Undo"));
    check->setObjectName(QStringLiteral("Check"));
    check->setToolTip(tr("Check that every link of the link trees names its file."));
    repair->setObjectName(QStringLiteral("Repair"));
    repair->setToolTip(tr("Make the missing links and rewrite those naming another file."));
    progress->setObjectName(QStringLiteral("progress"));
    count->setObjectName(QStringLiteral("count"));
    stop->setObjectName(QStringLiteral("Stop"));
    details->setObjectName(QStringLiteral("Details"));
    // A long outcome must not widen the window; the tooltip holds all of it.
    // The last outcome above what a run would do now.
    auto *texts = new QWidget(this);
    auto *lines = new QVBoxLayout(texts);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(0);
    for (QLabel *label : { message, preview }) {
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setWordWrap(true);
        lines->addWidget(label);
    }
    message->hide();
    progress->setTextVisible(false);
    progress->setMaximumWidth(200);
    addWidget(texts, 1);
    addPermanentWidget(progress);
    addPermanentWidget(count);
    addPermanentWidget(stop);
    addPermanentWidget(details);
    addPermanentWidget(undo);
    addPermanentWidget(check);
    addPermanentWidget(repair);
    setRunShown(false);
    details->hide();
    undo->hide();
    check->hide();
    repair->hide();
    connect(stop, &QPushButton::clicked, this, &RunStatus::stopPressed);
    connect(undo, &QPushButton::clicked, this, &RunStatus::undoClicked);
    connect(check, &QPushButton::clicked, this, &RunStatus::checkClicked);
    connect(repair, &QPushButton::clicked, this, &RunStatus::repairClicked);
    connect(details, &QPushButton::clicked, this, &RunStatus::showDetails);
    follow.later.setSingleShot(true);
    connect(&follow.later, &QTimer::timeout, this, &RunStatus::showFollowed);
}

void RunStatus::showPreview(const TidyUp::Preview &next, const TidyUp::Settings &settings)
{
    const QString text = Report::previewText(next, settings);
    preview->setText(text);
    preview->setToolTip(text);
    const bool undoable = Report::undoable(next.lastRun);
    undo->setVisible(undoable);
    check->setVisible(next.tidied);
    // What the check found is of the target it checked.
    repair->setVisible(next.tidied && settings.target == repairable);
    if (outcomeShown)
        return;
    const QString lastText = Report::lastRunText(next.lastRun);
    message->setText(lastText);
    message->setToolTip(lastText);
    message->setVisible(undoable);
}

void RunStatus::showStarted()
{
    message->clear();
    message->setToolTip(QString());
    message->hide();
    preview->hide();
    details->hide();
    undo->hide();
    check->hide();
    repair->hide();
    repairable.clear();
    // Busy until the listing is done and the first entry handled.
    progress->setRange(0, 0);
    count->setText(tr("Listing the files…"));
    stop->setEnabled(true);
    setRunShown(true);
}

void RunStatus::showFollowing(const QString &target)
{
    follow.going = true;
    follow.target = target;
    follow.since = QDateTime::currentDateTime();
    follow.tidied = follow.settling = 0;
    progress->hide();
    count->hide();
    message->show();
    showFollowed();
}

void RunStatus::showRound(const TidyUp::Round &round)
{
    follow.tidied += round.moved;
    follow.settling = round.settling;
    if (!follow.going || follow.later.isActive())
        return;
    const qint64 since = follow.shown.elapsed();
    if (since >= 250)
        showFollowed();
    else
        follow.later.start(int(250 - since));
}

void RunStatus::showFollowed()
{
    const QString text
        = Report::followingText(follow.target, follow.since, follow.tidied, follow.settling);
    message->setText(text);
    message->setToolTip(text);
    follow.shown.start();
}

void RunStatus::showProgress(int done, int listed)
{
    if (!stop->isEnabled() || follow.going)
        return;
    progress->setRange(0, listed);
    progress->setValue(done);
    count->setText(Report::progressText(done, listed));
}

void RunStatus::showOutcome(const TidyUp::Outcome &outcome, const TidyUp::Settings &settings)
{
    // Until the preview that follows says what the records hold.
    const QString text = Report::outcomeText(outcome, settings);
    show(text, Report::detailsText(outcome, text), !outcome.lines.isEmpty(), outcome.moved > 0,
        Report::failureGroups(outcome), settings.target);
}

void RunStatus::showOutcome(const TidyUp::UndoOutcome &outcome, const TidyUp::Settings &settings)
{
    const QString text = Report::outcomeText(outcome, settings);
    show(text, Report::detailsText(outcome, text), !outcome.lines.isEmpty(), false,
        Report::failureGroups(outcome), settings.target);
}

void RunStatus::showOutcome(const TidyUp::CheckOutcome &outcome, const TidyUp::Settings &settings)
{
    const QString text = CheckReport::outcomeText(outcome, settings);
    show(text, CheckReport::detailsText(outcome, text), !outcome.problems.isEmpty(), false,
        CheckReport::groups(outcome), settings.target);
    if (!outcome.repair && outcome.problem.isEmpty() && outcome.missing + outcome.elsewhere > 0)
        repairable = settings.target;
}

void RunStatus::show(const QString &text, const QString &report, bool listed, bool undoable,
    const QVector<Report::Group> &groups, const QString &target)
{
    setRunShown(false);
    follow.going = false;
    follow.later.stop();
    message->setText(text);
    message->setToolTip(text);
    message->show();
    // Until the preview that follows the run replaces it.
    preview->clear();
    preview->show();
    outcomeShown = true;
    undo->setVisible(undoable);
    shownGroups = groups;
    shownReport = report;
    shownTarget = target;
    details->setVisible(listed);
    if (detailsView)
        detailsView->showOutcome(shownGroups, shownReport, shownTarget);
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
    count->show();
    emit stopClicked();
}

void RunStatus::showDetails()
{
    if (!detailsView) {
        detailsView = new DetailsWindow(this);
        detailsView->showOutcome(shownGroups, shownReport, shownTarget);
    }
    detailsView->show();
    detailsView->raise();
    detailsView->activateWindow();
}
