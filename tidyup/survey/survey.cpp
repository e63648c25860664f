// SPDX-License-Identifier: MIT
#include "tidyup/survey/survey.h"
#include "tidyup/survey/digits.h"

#include <QStringBuilder>
#include <algorithm>
#include <limits>

namespace
{

quint64 saturatingAdd(quint64 a, quint64 b)
{
    return a > std::numeric_limits<quint64>::max() - b ? std::numeric_limits<quint64>::max()
                                                       : a + b;
}

} // namespace

namespace TidyUp
{

QByteArray SurveySeries::field(const QByteArray &projection) const
{
    return Digits::padded(projection, width);
}

QByteArray SurveySeries::fileName(const SurveyRow &row, const QByteArray &projection) const
{
    return prefix + row.energy + "eV-" + field(projection) + tail;
}

std::vector<SurveySeries::Range> SurveySeries::missingRanges(const SurveyRow &row) const
{
    std::vector<Range> ranges;
    if (projections.empty())
        return ranges;
    // The gaps before, between and after the cells present; an empty row lacks everything.
    const QByteArray *before = nullptr;
    const auto gap = [&](const QByteArray *after) {
        const QByteArray first = before ? Digits::next(*before) : projections.front();
        const QByteArray last = after ? Digits::previous(*after) : projections.back();
        if (Digits::compare(first, last) <= 0)
            ranges.emplace_back(field(first), field(last));
    };
    for (const SurveyCell &cell : row.cells) {
        const QByteArray &projection = projections[cell.projection];
        if (before ? Digits::compare(Digits::next(*before), projection) != 0
                   : Digits::compare(projections.front(), projection) != 0)
            gap(&projection);
        before = &projection;
    }
    if (!before || Digits::compare(*before, projections.back()) != 0)
        gap(nullptr);
    return ranges;
}

std::vector<QByteArray> SurveySeries::duplicated(const SurveyRow &row) const
{
    std::vector<QByteArray> fields;
    for (const SurveyCell &cell : row.cells) {
        if (cell.state == SurveyCell::Duplicate)
            fields.push_back(field(projections[cell.projection]));
    }
    return fields;
}

SurveyCell::State SurveySeries::cellAt(
    const SurveyRow &row, quint64 column, QByteArray &projection) const
{
    const auto found = std::lower_bound(row.cells.begin(), row.cells.end(), column,
        [this](const SurveyCell &cell, quint64 at) { return columns[cell.projection] < at; });
    if (found != row.cells.end() && columns[found->projection] == column) {
        projection = projections[found->projection];
        return found->state;
    }
    projection = projections.empty() ? QByteArray() : Digits::plus(projections.front(), column);
    return SurveyCell::Missing;
}

void SurveySeries::countMissing()
{
    expected = projections.empty()
        ? 0
        : saturatingAdd(Digits::distance(projections.front(), projections.back()), 1);
    missing = 0;
    for (SurveyRow &row : rows) {
        row.missing = expected - row.cells.size();
        missing = saturatingAdd(missing, row.missing);
    }
}

void Survey::countSeries()
{
    files = missing = duplicates = 0;
    for (const SurveySeries &each : series) {
        files += each.files;
        missing = saturatingAdd(missing, each.missing);
        duplicates += each.duplicates;
    }
    std::sort(series.begin(), series.end(), [](const SurveySeries &a, const SurveySeries &b) {
        return a.files != b.files ? a.files > b.files : a.prefix < b.prefix;
    });
}

} // namespace TidyUp
