// SPDX-License-Identifier: MIT
#include "tidyup/report/report.h"

#include <QLocale>
#include <algorithm>
#include <cerrno>
#include <limits>

QString Report::reasonWords(const Reason &reason, int what)
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

QString Report::reasons(const TidyUp::Counts &outcome, int what)
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

QString Report::nothingDone(const TidyUp::Counts &outcome, const TidyUp::Settings &settings)
{
    if (!outcome.dirsReady)
        return outcome.dirProblem + QLatin1Char(' ') + tr("Nothing was moved.");
    if (outcome.listed == 0) {
        return tr("No file matches %1 in %2.")
            .arg(QStringLiteral("*.") + settings.fileExt, settings.target);
    }
    return QString();
}

QString Report::stoppedText(const TidyUp::Counts &outcome, const char *text)
{
    return tr(text).arg(QLocale().toString(outcome.done),
        tr("%Ln file(s)", nullptr, outcome.listed), tr("%Ln file(s)", nullptr, outcome.moved),
        tr("%Ln link(s)", nullptr, outcome.linked));
}

QString Report::outcomeText(const TidyUp::Outcome &outcome, const TidyUp::Settings &settings)
{
    const QString nothing = nothingDone(outcome, settings);
    if (!nothing.isEmpty())
        return nothing;
    QStringList sentences { outcome.stopped && !outcome.follow
            ? stoppedText(outcome, QT_TR_NOOP("Stopped after %1 of %2: moved %3 and made %4."))
            : tr("Moved %1 into %2 and made %3 in %4 s.")
                  .arg(tr("%Ln file(s)", nullptr, outcome.moved), settings.origs,
                      tr("%Ln link(s)", nullptr, outcome.linked),
                      QLocale().toString(double(outcome.elapsedMs) / 1000, 'f', 1)) };
    if (outcome.settling > 0) {
        sentences << tr(
            "%Ln file(s) were still being written and stay in %1.", nullptr, outcome.settling)
                         .arg(settings.target);
    }
    if (outcome.notMoved > 0) {
        sentences << tr("%Ln file(s) were not moved: %1.", nullptr, outcome.notMoved)
                         .arg(reasons(outcome, TidyUp::Failure::Move));
    }
    if (outcome.finished > 0)
        sentences << tr(
            "Finished %Ln move(s) that an interrupted run had left.", nullptr, outcome.finished);
    if (outcome.restored > 0)
        sentences << tr(
            "Made %Ln link(s) that an interrupted run had left.", nullptr, outcome.restored);
    if (outcome.linksNotMade > 0) {
        sentences << tr("%Ln link(s) were not made: %1.", nullptr, outcome.linksNotMade)
                         .arg(reasons(outcome, TidyUp::Failure::Link));
    }
    return sentences.join(QLatin1Char(' '));
}

QString Report::outcomeText(const TidyUp::UndoOutcome &outcome, const TidyUp::Settings &settings)
{
    const QString nothing = nothingDone(outcome, settings);
    if (!nothing.isEmpty())
        return nothing;
    QStringList sentences { outcome.stopped
            ? stoppedText(
                outcome, QT_TR_NOOP("Stopped after %1 of %2: moved %3 back and removed %4."))
            : tr("Moved %1 back to %2 and removed %3.")
                  .arg(tr("%Ln file(s)", nullptr, outcome.moved), settings.target,
                      tr("%Ln link(s)", nullptr, outcome.linked)) };
    if (outcome.notMoved > 0) {
        sentences << tr("%Ln file(s) stayed in %1 with their links.", nullptr, outcome.notMoved)
                         .arg(settings.origs);
    }
    if (outcome.linksNotMade > 0)
        sentences << tr("%Ln link(s) were left as they were.", nullptr, outcome.linksNotMade);
    if (!outcome.tidiedAs.isEmpty())
        sentences << tr("This scan was tidied as %1.").arg(outcome.tidiedAs);
    return sentences.join(QLatin1Char(' '));
}

QString Report::previewText(const TidyUp::Preview &preview, const TidyUp::Settings &settings)
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
        const QString linked = preview.linkable == 0
            ? tr("none to link")
            : tr("%Ln to link (%1)", nullptr, preview.linkable).arg(surveyShape(preview.survey));
        text = unlinked == 0
            ? tr("%Ln file(s) match %1 in %2: %3.", nullptr, preview.matching)
                  .arg(pattern, settings.target, linked)
            : tr("%Ln file(s) match %1 in %2: %3, %4 without energy and number.", nullptr,
                preview.matching)
                  .arg(pattern, settings.target, linked, QLocale().toString(unlinked));
    }
    if (settings.relative())
        text += QLatin1Char(' ') + tr("The links will be relative.");
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

QString Report::counted(const char *text, quint64 count)
{
    constexpr int most = std::numeric_limits<int>::max();
    QString words = QCoreApplication::translate(
        "SurveyReport", text, nullptr, int(qMin<quint64>(count, most)));
    if (count > quint64(most))
        words.replace(QLocale().toString(most), QLocale().toString(count));
    return words;
}

QString Report::surveyGrid(const TidyUp::SurveySeries &series)
{
    return QCoreApplication::translate("SurveyReport", "%1 × %2")
        .arg(counted(QT_TRANSLATE_N_NOOP("SurveyReport", "%Ln energy(ies)"), series.rows.size()),
            counted(QT_TRANSLATE_N_NOOP("SurveyReport", "%Ln projection(s)"), series.expected));
}

QString Report::surveyShape(const TidyUp::Survey &survey)
{
    if (survey.series.empty())
        return QString();
    QStringList words { surveyGrid(survey.series.front()) };
    if (survey.complete())
        words << QCoreApplication::translate("SurveyReport", "complete");
    if (survey.missing > 0)
        words << counted(QT_TRANSLATE_N_NOOP("SurveyReport", "%Ln missing"), survey.missing);
    if (survey.duplicates > 0) {
        words << counted(
            QT_TRANSLATE_N_NOOP("SurveyReport", "%Ln duplicate(s)"), survey.duplicates);
    }
    return words.join(QCoreApplication::translate("SurveyReport", ", "));
}

bool Report::undoable(const TidyUp::RecordedRun &run)
{
    return !run.record.isEmpty() && run.moved > 0 && !run.running && !run.otherDirs;
}

QString Report::lastRunText(const TidyUp::RecordedRun &run)
{
    if (!undoable(run))
        return QString();
    const QLocale locale;
    if (run.followed && run.ended.isValid()) {
        return tr("Last run: followed %1–%2 by %3, %Ln file(s).", nullptr, run.moved)
            .arg(locale.toString(run.started.toLocalTime(), tr("d MMM yyyy HH:mm")),
                locale.toString(run.ended.toLocalTime(), tr("HH:mm")), run.user);
    }
    return tr("Last run: %1 by %2, %Ln file(s).", nullptr, run.moved)
        .arg(locale.toString(run.started.toLocalTime(), tr("d MMM yyyy HH:mm")), run.user);
}

QString Report::progressText(int done, int listed)
{
    const QLocale locale;
    return tr("%1 of %2").arg(locale.toString(done), locale.toString(listed));
}

QString Report::followingText(
    const QString &target, const QDateTime &since, int tidied, int settling)
{
    const QLocale locale;
    return tr("Following %1 since %2: %Ln file(s) tidied, %3 settling.", nullptr, tidied)
        .arg(target, locale.toString(since.toLocalTime(), tr("HH:mm")), locale.toString(settling));
}

QString Report::targetProblem(const QString &target, bool exists)
{
    return (exists ? tr("%1 is not a directory.") : tr("%1 does not exist.")).arg(target);
}

QVector<Report::Group> Report::failureGroups(const TidyUp::Outcome &outcome)
{
    return failureGroups(outcome, false);
}

QVector<Report::Group> Report::failureGroups(const TidyUp::UndoOutcome &outcome)
{
    return failureGroups(outcome, true);
}

QVector<Report::Group> Report::failureGroups(const TidyUp::Counts &outcome, bool undone)
{
    // The engine counts every failure it groups, however many it keeps; a failure it does not
    // group (the output directories) makes a group of those kept.
    struct Counted {
        TidyUp::Counts::Group group;
        QVector<const TidyUp::Failure *> kept;
    };
    QVector<Counted> counted;
    for (const TidyUp::Counts::Group &group : outcome.groups)
        counted.append({ group, {} });
    for (const TidyUp::Failure &failure : outcome.failures) {
        auto group = std::find_if(counted.begin(), counted.end(), [&failure](const Counted &c) {
            return c.group.what == failure.what && c.group.reason == failure.reason;
        });
        if (group == counted.end())
            group = counted.insert(counted.end(), { { failure.what, failure.reason, 0 }, {} });
        group->kept << &failure;
    }
    const auto whatText = [undone](TidyUp::Failure::What what) {
        switch (what) {
        case TidyUp::Failure::Move:
            return undone ? QCoreApplication::translate("DetailsWindow", "Not moved back")
                          : QCoreApplication::translate("DetailsWindow", "Not moved");
        case TidyUp::Failure::Link:
            return undone ? QCoreApplication::translate("DetailsWindow", "Link left")
                          : QCoreApplication::translate("DetailsWindow", "Link not made");
        case TidyUp::Failure::Dirs:
            return QCoreApplication::translate("DetailsWindow", "Output directory");
        case TidyUp::Failure::Record:
            return QCoreApplication::translate("DetailsWindow", "Record");
        }
        return QString();
    };
    const QLocale locale;
    QVector<Group> groups;
    for (const Counted &c : qAsConst(counted)) {
        const int count = std::max(c.group.count, int(c.kept.size()));
        Group group;
        group.heading = QCoreApplication::translate("DetailsWindow", "%1: %2 (%3)")
                            .arg(whatText(c.group.what), reasonWords(c.group.reason, c.group.what),
                                locale.toString(count));
        for (const TidyUp::Failure *failure : c.kept) {
            group.entries.append({ whatText(failure->what), QFile::decodeName(failure->entry),
                failure->reason.translated() });
        }
        if (count > c.kept.size())
            group.more = QCoreApplication::translate(
                "DetailsWindow", "… and %Ln more, not listed", nullptr, count - int(c.kept.size()));
        groups.append(group);
    }
    return groups;
}

QString Report::detailsText(const TidyUp::Counts &outcome, const QString &sentence)
{
    QStringList lines = outcome.lines;
    if (outcome.moreLines > 0)
        lines << QCoreApplication::translate(
            "DetailsWindow", "… and %Ln more line(s)", nullptr, outcome.moreLines);
    return sentence + QLatin1String("\n\n") + lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

Report::Status Report::status(const TidyUp::Counts &outcome, bool signalled)
{
    if (!outcome.dirsReady)
        return BadUsage;
    if (outcome.stopped && signalled)
        return Stopped;
    // Stopped without a signal: the record could not be written, and entries were left.
    if (outcome.stopped || outcome.notMoved > 0 || outcome.linksNotMade > 0
        || !outcome.failures.isEmpty())
        return SomeLeft;
    return Done;
}

Report::Status Report::status(const TidyUp::Outcome &outcome, bool signalled)
{
    if (outcome.follow && signalled && outcome.stopped) {
        TidyUp::Counts ended = outcome;
        ended.stopped = false;
        return status(ended, false);
    }
    return status(static_cast<const TidyUp::Counts &>(outcome), signalled);
}

Report::Status Report::status(const TidyUp::Preview &preview)
{
    return !preview.targetIsDir || !preview.problem.isEmpty() ? BadUsage : Done;
}
