// SPDX-License-Identifier: MIT
#include "tidyup/report/surveyreport.h"

#include <QFile>
#include <QLocale>

QString SurveyReport::prefix(const TidyUp::SurveySeries &series)
{
    return QFile::decodeName(series.prefix);
}

QString SurveyReport::seriesText(const TidyUp::SurveySeries &series)
{
    if (series.missing == 0 && series.duplicates == 0)
        return tr("%1: %2, complete.").arg(prefix(series), Report::surveyGrid(series));
    QStringList lacks;
    if (series.missing > 0) {
        quint64 ragged = 0;
        for (const TidyUp::SurveyRow &row : series.rows)
            ragged += row.missing > 0;
        lacks << tr("%1 at %2")
                     .arg(Report::counted(QT_TR_N_NOOP("%Ln missing"), series.missing),
                         Report::counted(QT_TR_N_NOOP("%Ln energy(ies)"), ragged));
    }
    if (series.duplicates > 0)
        lacks << Report::counted(QT_TR_N_NOOP("%Ln duplicate(s)"), series.duplicates);
    return tr("%1: %2, %3.").arg(prefix(series), Report::surveyGrid(series), lacks.join(tr(", ")));
}

QStringList SurveyReport::holeLines(const TidyUp::Survey &survey, int most)
{
    QStringList lines;
    quint64 more = 0;
    for (const TidyUp::SurveySeries &series : survey.series) {
        for (const TidyUp::SurveyRow &row : series.rows) {
            if (row.missing == 0)
                continue;
            if (lines.size() == most) {
                ++more;
                continue;
            }
            QStringList ranges;
            for (const auto &range : series.missingRanges(row)) {
                ranges << (range.first == range.second
                        ? QString::fromLatin1(range.first)
                        : QString::fromUtf8(range.first + "\u2013" + range.second));
            }
            lines << tr("%1, %2 eV: missing %3.")
                         .arg(prefix(series), QFile::decodeName(row.energy), ranges.join(tr(", ")));
        }
    }
    if (more > 0)
        lines << Report::counted(QT_TR_N_NOOP("\u2026 and %Ln more energy(ies)."), more);
    return lines;
}

QString SurveyReport::text(const TidyUp::Preview &preview, const TidyUp::Settings &settings)
{
    if (!preview.targetIsDir)
        return Report::targetProblem(settings.target, preview.targetFound);
    if (!preview.problem.isEmpty())
        return preview.problem;
    QString lines = text(preview.survey, settings);
    if (preview.stopped)
        lines += QLatin1Char('\n') + tr("Stopped before every name was read.");
    return lines;
}

QString SurveyReport::text(const TidyUp::Survey &survey, const TidyUp::Settings &settings)
{
    QStringList lines;
    if (survey.series.empty()) {
        lines << tr("No file with energy and number matches %1 in %2.")
                     .arg(QStringLiteral("*.") + settings.fileExt, settings.target);
    }
    for (const TidyUp::SurveySeries &series : survey.series)
        lines << seriesText(series);
    lines << holeLines(survey);
    if (survey.withoutFields > 0) {
        lines << Report::counted(
            QT_TR_N_NOOP("%Ln file(s) without energy and number, not in any grid."),
            survey.withoutFields);
    }
    return lines.join(QLatin1Char('\n'));
}

QString SurveyReport::stateName(TidyUp::SurveyCell::State state)
{
    switch (state) {
    case TidyUp::SurveyCell::Tidied:
        return tr("tidied");
    case TidyUp::SurveyCell::Waiting:
        return tr("waiting");
    case TidyUp::SurveyCell::Missing:
        return tr("missing");
    case TidyUp::SurveyCell::Duplicate:
        return tr("duplicate");
    }
    return QString();
}

QStringList SurveyReport::legendParts(const TidyUp::SurveySeries &series)
{
    const QLocale locale;
    return { tr("%1 tidied").arg(locale.toString(series.tidied)),
        tr("%1 waiting").arg(locale.toString(series.waiting)),
        tr("%1 missing").arg(locale.toString(series.missing)),
        tr("%1 duplicate").arg(locale.toString(series.duplicates)) };
}

QString SurveyReport::legend(const TidyUp::SurveySeries &series)
{
    return legendParts(series).join(tr(" · "));
}

QString SurveyReport::cellText(
    const TidyUp::SurveySeries &series, const TidyUp::SurveyRow &row, quint64 column)
{
    QByteArray projection;
    const TidyUp::SurveyCell::State state = series.cellAt(row, column, projection);
    return tr("%1 eV, projection %2: %3, %4")
        .arg(QFile::decodeName(row.energy), QString::fromLatin1(series.field(projection)),
            stateName(state), QFile::decodeName(series.fileName(row, projection)));
}

Report::Status SurveyReport::status(const TidyUp::Preview &preview)
{
    if (!preview.targetIsDir || !preview.problem.isEmpty())
        return Report::BadUsage;
    if (preview.stopped)
        return Report::Stopped;
    return preview.survey.complete() ? Report::Done : Report::SomeLeft;
}
