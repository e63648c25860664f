// SPDX-License-Identifier: MIT
#include "tidyup/report/checkreport.h"

#include <QFile>
#include <QLocale>
#include <algorithm>

QString CheckReport::outcomeText(
    const TidyUp::CheckOutcome &outcome, const TidyUp::Settings &settings)
{
    if (!outcome.problem.isEmpty())
        return outcome.problem;
    if (outcome.repair)
        return repairText(outcome, settings);
    const QLocale locale;
    const int links = outcome.inPlace + outcome.elsewhere + outcome.notALink + outcome.missing;
    QStringList sentences { outcome.elsewhere + outcome.notALink + outcome.missing == 0
            ? tr("Checked %Ln link(s) in %1: all in place.", nullptr, links).arg(settings.target)
            : tr("Checked %Ln link(s) in %1: %2 in place, %3 elsewhere, %4 missing, %5 not a "
                 "link.",
                nullptr, links)
                  .arg(settings.target, locale.toString(outcome.inPlace),
                      locale.toString(outcome.elsewhere), locale.toString(outcome.missing),
                      locale.toString(outcome.notALink)) };
    if (outcome.intoElsewhereDir > 0) {
        sentences << tr("%Ln link(s) point into %1.", nullptr, outcome.intoElsewhereDir)
                         .arg(outcome.elsewhereDir);
    }
    if (outcome.stray > 0)
        sentences << tr("%Ln other entry(ies) in the link folders.", nullptr, outcome.stray);
    if (outcome.stopped)
        sentences << tr("The check was stopped before the end.");
    return sentences.join(QLatin1Char(' '));
}

QString CheckReport::repairText(
    const TidyUp::CheckOutcome &outcome, const TidyUp::Settings &settings)
{
    const QLocale locale;
    const int links = outcome.inPlace + outcome.elsewhere + outcome.notALink + outcome.missing;
    const int mended = outcome.made + outcome.rewritten;
    QStringList sentences { mended == 0
            ? tr("Checked %Ln link(s) in %1: none repaired.", nullptr, links).arg(settings.target)
            : tr("Repaired %Ln link(s) in %1: %2 made, %3 rewritten.", nullptr, mended)
                  .arg(settings.target, locale.toString(outcome.made),
                      locale.toString(outcome.rewritten)) };
    if (mended > 0 && outcome.links == QLatin1String(TidyUp::relativeLinks))
        sentences << tr("The links made are relative.");
    if (outcome.halted) {
        for (const TidyUp::LinkProblem &problem : outcome.problems) {
            if (problem.reason.error() != 0) {
                sentences << tr("Stopped at %1: %2.")
                                 .arg(QFile::decodeName(problem.entry),
                                     Report::reasonWords(problem.reason, TidyUp::Failure::Link));
                break;
            }
        }
    }
    if (outcome.notRepaired > 0) {
        sentences << tr("%Ln link(s) could not be repaired.", nullptr, outcome.notRepaired);
    }
    if (outcome.notALink > 0) {
        sentences << tr("%Ln entry(ies) under a link's name are not links: left as they are.",
            nullptr, outcome.notALink);
    }
    if (outcome.stray > 0)
        sentences << tr("%Ln other entry(ies) in the link folders.", nullptr, outcome.stray);
    if (outcome.stopped)
        sentences << tr("The repair was stopped before the end.");
    return sentences.join(QLatin1Char(' '));
}

QVector<Report::Group> CheckReport::groups(const TidyUp::CheckOutcome &outcome)
{
    using Kind = TidyUp::LinkProblem::Kind;
    // A repair's counts are of what it found; its groups are of what it left, as listed.
    const auto count = [&outcome](Kind kind, int found) {
        if (!outcome.repair)
            return found;
        return int(std::count_if(outcome.problems.cbegin(), outcome.problems.cend(),
            [kind](const TidyUp::LinkProblem &problem) { return problem.kind == kind; }));
    };
    const int missing = count(Kind::Missing, outcome.missing);
    const int elsewhere = count(Kind::Elsewhere, outcome.elsewhere);
    const int restyled = count(Kind::InPlace, 0);
    const struct {
        Kind kind;
        int count;
        QString heading;
    } kinds[] = {
        { Kind::Missing, missing, tr("Missing (%Ln)", nullptr, missing) },
        { Kind::Elsewhere, elsewhere, tr("Naming another file (%Ln)", nullptr, elsewhere) },
        { Kind::InPlace, restyled, tr("Not rewritten (%Ln)", nullptr, restyled) },
        { Kind::NotALink, outcome.notALink, tr("Not a link (%Ln)", nullptr, outcome.notALink) },
        { Kind::Stray, outcome.stray, tr("Not expected (%Ln)", nullptr, outcome.stray) },
    };
    QVector<Report::Group> groups;
    for (const auto &kind : kinds) {
        if (kind.count == 0)
            continue;
        Report::Group group { kind.heading, {}, {} };
        for (const TidyUp::LinkProblem &problem : outcome.problems) {
            if (problem.kind != kind.kind)
                continue;
            const QString why = !problem.reason.text().isEmpty()
                ? Report::reasonWords(problem.reason, TidyUp::Failure::Link)
                : problem.isLink ? tr("names %1").arg(QFile::decodeName(problem.text))
                : problem.expected.isEmpty()
                ? tr("not a symbolic link")
                : tr("should name %1").arg(QFile::decodeName(problem.expected));
            group.entries.append({ kind.heading, QFile::decodeName(problem.entry), why });
        }
        if (group.entries.size() < kind.count) {
            group.more = QCoreApplication::translate("DetailsWindow", "… and %Ln more, not listed",
                nullptr, kind.count - int(group.entries.size()));
        }
        groups.append(group);
    }
    return groups;
}

QString CheckReport::detailsText(const TidyUp::CheckOutcome &outcome, const QString &sentence)
{
    QStringList lines { sentence };
    for (const Report::Group &group : groups(outcome)) {
        for (const Report::Entry &entry : group.entries)
            lines << entry.what + QStringLiteral(": ") + entry.path + QStringLiteral(": ")
                    + entry.reason;
        if (!group.more.isEmpty())
            lines << group.more;
    }
    return lines.join(QLatin1Char('\n'));
}

Report::Status CheckReport::status(const TidyUp::CheckOutcome &outcome, bool signalled)
{
    if (!outcome.problem.isEmpty())
        return Report::BadUsage;
    if (outcome.stopped && signalled)
        return Report::Stopped;
    const int left = outcome.repair ? outcome.notRepaired + outcome.halted
                                    : outcome.missing + outcome.elsewhere;
    return left > 0 || outcome.stopped ? Report::SomeLeft : Report::Done;
}
