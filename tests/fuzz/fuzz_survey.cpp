// SPDX-License-Identifier: MIT
// The survey of any names, one a line, those starting with 'O' in the originals directory: every
// series' cells add up to its grid, each row's cells are in order and its holes are its missing
// cells, every name is counted once, and each series is written as one JSON object. A tracker
// that starts from the originals and then lists the others, and tidies them, keeps the survey that
// the builder makes of the same names.
#include "tidyup/report/jsonlines.h"
#include "tidyup/survey/digits.h"
#include "tidyup/survey/surveybuilder.h"
#include "tidyup/survey/surveytracker.h"

#include <QJsonDocument>
#include <QSet>
#include <cstdlib>
#include <limits>

namespace
{

constexpr quint64 most = std::numeric_limits<quint64>::max();

void check(bool holds)
{
    if (!holds)
        std::abort();
}

// The same grid: series, projections, rows and their cells; not the width or the tail, which a
// tracker keeps from a series' first name.
bool sameGrid(const TidyUp::Survey &a, const TidyUp::Survey &b)
{
    if (a.series.size() != b.series.size() || a.files != b.files || a.missing != b.missing
        || a.duplicates != b.duplicates || a.withoutFields != b.withoutFields)
        return false;
    for (size_t i = 0; i < a.series.size(); ++i) {
        const TidyUp::SurveySeries &x = a.series[i];
        const TidyUp::SurveySeries &y = b.series[i];
        if (x.prefix != y.prefix || x.projections != y.projections || x.columns != y.columns
            || x.expected != y.expected || x.rows.size() != y.rows.size() || x.files != y.files
            || x.tidied != y.tidied || x.waiting != y.waiting || x.missing != y.missing
            || x.duplicates != y.duplicates)
            return false;
        for (size_t r = 0; r < x.rows.size(); ++r) {
            const TidyUp::SurveyRow &p = x.rows[r];
            const TidyUp::SurveyRow &q = y.rows[r];
            if (p.energy != q.energy || p.files != q.files || p.missing != q.missing
                || p.cells.size() != q.cells.size())
                return false;
            for (size_t c = 0; c < p.cells.size(); ++c) {
                if (p.cells[c].projection != q.cells[c].projection
                    || p.cells[c].state != q.cells[c].state)
                    return false;
            }
        }
    }
    return true;
}

// Of names, the originals in a builder and the others, once each, as a listing; tidied, all of
// them as originals.
void checkTracker(const QList<QByteArray> &names)
{
    TidyUp::SurveyBuilder origs;
    std::vector<QByteArray> listed;
    QSet<QByteArray> seen;
    for (const QByteArray &name : names) {
        if (name.startsWith('O'))
            origs.add(name, TidyUp::SurveyBuilder::Origs);
        else if (!seen.contains(name)) {
            seen.insert(name);
            listed.push_back(name);
        }
    }
    const auto builtWith = [&](TidyUp::SurveyBuilder::Place place) {
        TidyUp::SurveyBuilder builder;
        for (const QByteArray &name : names) {
            if (name.startsWith('O'))
                builder.add(name, TidyUp::SurveyBuilder::Origs);
        }
        for (const QByteArray &name : listed)
            builder.add(name, place);
        return builder.take();
    };
    TidyUp::SurveyTracker tracker(origs.take());
    tracker.listed(listed);
    check(sameGrid(tracker.survey(), builtWith(TidyUp::SurveyBuilder::Target)));
    for (const QByteArray &name : listed)
        tracker.tidied(name);
    check(sameGrid(tracker.survey(), builtWith(TidyUp::SurveyBuilder::Origs)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> names
        = QByteArray(reinterpret_cast<const char *>(data), int(size)).split('\n');
    TidyUp::SurveyBuilder builder;
    for (const QByteArray &name : names) {
        builder.add(name, name.startsWith('O') ? TidyUp::SurveyBuilder::Origs
                                               : TidyUp::SurveyBuilder::Target);
    }
    const TidyUp::Survey survey = builder.take();
    check(survey.files + survey.withoutFields == quint64(names.size()));
    quint64 files = 0;
    for (const TidyUp::SurveySeries &series : survey.series) {
        quint64 grid = 0;
        const bool fits = !__builtin_mul_overflow(quint64(series.rows.size()), series.expected, &grid);
        const quint64 cells = series.tidied + series.waiting + series.duplicates;
        check(!fits || cells + series.missing == grid);
        quint64 rowFiles = 0;
        for (const TidyUp::SurveyRow &row : series.rows) {
            rowFiles += row.files;
            // Columns past the largest count there is all stand at it.
            for (size_t i = 1; i < row.cells.size(); ++i) {
                const quint64 column = series.columns[row.cells[i].projection];
                check(series.columns[row.cells[i - 1].projection] < column || column == most);
            }
            quint64 holes = 0;
            for (const auto &range : series.missingRanges(row)) {
                const QByteArray first = Digits::bare(range.first.constData(), range.first.size());
                const QByteArray last = Digits::bare(range.second.constData(), range.second.size());
                check(Digits::compare(first, last) <= 0);
                const quint64 span = Digits::distance(first, last);
                holes = span >= most - holes ? most : holes + span + 1;
            }
            check(series.expected == most || holes == row.missing);
        }
        check(rowFiles == series.files);
        files += series.files;
        QJsonParseError error;
        QJsonDocument::fromJson(JsonLines::series(series), &error);
        check(error.error == QJsonParseError::NoError);
    }
    check(files == survey.files);
    checkTracker(names);
    return 0;
}
