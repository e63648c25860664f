// SPDX-License-Identifier: MIT
// The survey of any names, one a line, those starting with 'O' in the originals directory: every
// series' cells add up to its grid, each row's cells are in order and its holes are its missing
// cells, every name is counted once, and each series is written as one JSON object.
#include "tidyup/report/jsonlines.h"
#include "tidyup/survey/digits.h"
#include "tidyup/survey/surveybuilder.h"

#include <QJsonDocument>
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
    return 0;
}
