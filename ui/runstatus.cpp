// SPDX-License-Identifier: MIT
#include "runstatus.h"

#include "detailswindow.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <cerrno>

RunStatus::RunStatus(QWidget *parent)
    : QStatusBar(parent)
    , message(new QLabel(this))
    , preview(new QLabel(this))
    , progress(new QProgressBar(this))
    , count(new QLabel(this))
    , stop(new QPushButton(tr("Stop"), this))
    , details(new QPushButton(tr("Details"), this))
    , undo(new QPushButton(tr("Undo"), this))
{
    message->setObjectName(QStringLiteral("outcome"));
    preview->setObjectName(QStringLiteral("preview"));
    undo->setObjectName(QStringLiteral("Undo"));
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
    setRunShown(false);
    details->hide();
    undo->hide();
    connect(stop, SIGNAL(clicked()), this, SLOT(stopPressed()));
    connect(undo, SIGNAL(clicked()), this, SIGNAL(undoClicked()));
    connect(details, SIGNAL(clicked()), this, SLOT(showDetails()));
}

QString RunStatus::reasonWords(const Reason &reason, int what)
{
    // A remark says more than our words would.
    if (reason.text().endsWith(QLatin1Char(')')))
        return reason.translated();
    // Our words for what a user can act on; the system's for the rest.
    switch (reason.error()) {
    case EEXIST:
        return what == TidyUp::Failure::Move ? tr("the new name is taken")
                                             : tr("the name is taken");
    case ENOSPC:
        return tr("the disk is full");
    case EDQUOT:
        return tr("the quota is used up");
    case EACCES:
    case EPERM:
        return tr("permission denied");
    case EINVAL:
    case EOPNOTSUPP:
    case ENOSYS:
        return tr("refused by the file system");
    case ENOTDIR:
        return tr("not a directory");
    default:
        return reason.translated();
    }
}

QString RunStatus::reasons(const TidyUp::Outcome &outcome, int what)
{
    const QLocale locale;
    QStringList parts;
    int more = 0;
    for (const auto &group : outcome.groups) {
        if (group.what != what)
            continue;
        if (parts.size() < 3)
            parts << tr("%1 (%2)").arg(
                reasonWords(group.reason, what), locale.toString(group.count));
        else
            ++more;
    }
    if (more > 0)
        parts << tr("%Ln more reason(s)", nullptr, more);
    return parts.join(tr(", "));
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
        const char *const stopped = outcome.undone
            ? QT_TR_NOOP("Stopped after %1 of %2: moved %3 back and removed %4.")
            : QT_TR_NOOP("Stopped after %1 of %2: moved %3 and made %4.");
        text = tr(stopped).arg(locale.toString(outcome.done),
            tr("%Ln file(s)", nullptr, outcome.listed), files, links);
    } else if (outcome.undone) {
        text = tr("Moved %1 back to %2 and removed %3.").arg(files, settings.target, links);
    } else {
        text = tr("Moved %1 into %2 and made %3 in %4 s.")
                   .arg(files, settings.origs, links,
                       locale.toString(double(outcome.elapsedMs) / 1000, 'f', 1));
    }
    QStringList sentences { text };
    if (outcome.undone) {
        if (outcome.notMoved > 0) {
            sentences << tr("%Ln file(s) stayed in %1 with their links.", nullptr, outcome.notMoved)
                             .arg(settings.origs);
        }
        if (outcome.linksNotMade > 0)
            sentences << tr("%Ln link(s) were left as they were.", nullptr, outcome.linksNotMade);
    } else {
        if (outcome.notMoved > 0) {
            sentences << tr("%Ln file(s) were not moved: %1.", nullptr, outcome.notMoved)
                             .arg(reasons(outcome, TidyUp::Failure::Move));
        }
        if (outcome.finished > 0)
            sentences << tr("Finished %Ln move(s) that an interrupted run had left.", nullptr,
                outcome.finished);
        if (outcome.restored > 0)
            sentences << tr(
                "Made %Ln link(s) that an interrupted run had left.", nullptr, outcome.restored);
        if (outcome.linksNotMade > 0) {
            sentences << tr("%Ln link(s) were not made: %1.", nullptr, outcome.linksNotMade)
                             .arg(reasons(outcome, TidyUp::Failure::Link));
        }
    }
    return sentences.join(QLatin1Char(' '));
}

QString RunStatus::previewText(const TidyUp::Preview &preview, const TidyUp::Settings &settings)
{
    if (!preview.targetFound)
        return tr("%1 does not exist.").arg(settings.target);
    if (!preview.targetIsDir)
        return tr("%1 is not a directory.").arg(settings.target);
    if (!preview.problem.isEmpty())
        return preview.problem;
    const QString pattern = QStringLiteral("*.") + settings.fileExt;
    QString text;
    if (preview.matching == 0) {
        text = tr("No file matches %1 in %2.").arg(pattern, settings.target);
    } else {
        const int unlinked = preview.matching - preview.linkable;
        const QString energies = tr("%Ln energy(ies)", nullptr, preview.energies);
        const QString shape = qint64(preview.energies) * preview.seqNos == preview.pairs
            ? tr("%1 × %2").arg(energies, tr("%Ln projection(s)", nullptr, preview.seqNos))
            : tr("%1, %2").arg(energies, tr("%Ln projection number(s)", nullptr, preview.seqNos));
        const QString linked = preview.linkable == 0
            ? tr("none to link")
            : tr("%Ln to link (%1)", nullptr, preview.linkable).arg(shape);
        text = unlinked == 0
            ? tr("%Ln file(s) match %1 in %2: %3.", nullptr, preview.matching)
                  .arg(pattern, settings.target, linked)
            : tr("%Ln file(s) match %1 in %2: %3, %4 without energy and number.", nullptr,
                preview.matching)
                  .arg(pattern, settings.target, linked, QLocale().toString(unlinked));
    }
    if (preview.taken > 0) {
        text += QLatin1Char(' ')
            + tr("%Ln file(s) would stay, the new name taken in %1.", nullptr, preview.taken)
                  .arg(settings.origs);
    }
    const QStringList &made = preview.toCreate;
    if (made.size() == 1)
        text += QLatin1Char(' ') + tr("%1 will be created.").arg(made[0]);
    else if (made.size() == 2)
        text += QLatin1Char(' ') + tr("%1 and %2 will be created.").arg(made[0], made[1]);
    else if (made.size() == 3)
        text += QLatin1Char(' ')
            + tr("%1, %2 and %3 will be created.").arg(made[0], made[1], made[2]);
    return text;
}

void RunStatus::showPreview(const TidyUp::Preview &next, const TidyUp::Settings &settings)
{
    const QString text = previewText(next, settings);
    preview->setText(text);
    preview->setToolTip(text);
    const TidyUp::RecordedRun &last = next.lastRun;
    const bool undoable
        = !last.record.isEmpty() && last.moved > 0 && !last.running && !last.otherDirs;
    undo->setVisible(undoable);
    if (outcomeShown)
        return;
    const QLocale locale;
    const QString lastText = undoable
        ? tr("Last run: %1 by %2, %Ln file(s).", nullptr, last.moved)
              .arg(locale.toString(last.started.toLocalTime(), tr("d MMM yyyy HH:mm")), last.user)
        : QString();
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
    message->show();
    // Until the preview that follows the run replaces it.
    preview->clear();
    preview->show();
    outcomeShown = true;
    // Until the preview that follows says what the records hold.
    undo->setVisible(!outcome.undone && outcome.moved > 0);
    shown = outcome;
    shownSettings = settings;
    details->setVisible(!outcome.lines.isEmpty());
    if (detailsView)
        detailsView->showOutcome(outcome, settings, text);
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
        detailsView = new DetailsWindow(this);
        detailsView->showOutcome(shown, shownSettings, message->text());
    }
    detailsView->show();
    detailsView->raise();
    detailsView->activateWindow();
}
