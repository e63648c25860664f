// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <utility>
#include <vector>

namespace TidyUp
{

// The shape of a scan: at every energy of a series, which projections are there. Only the
// cells present are kept, by projection; what lies between them is missing. Names are in the
// file system's encoding, projection numbers bare (see Digits).
struct SurveyCell {
    // In order of urgency: a picture with fewer pixels than cells shows the most urgent.
    enum State : quint8 { Tidied, Waiting, Missing, Duplicate };
    // The cell's projection, an index into SurveySeries::projections.
    quint32 projection = 0;
    State state = Tidied;
};

struct SurveyRow {
    // The energy field as the rule rewrites it, as the energy folders are named.
    QByteArray energy;
    // Where the field reads digits, '_', digits: it is ev electronvolts.
    bool numeric = false;
    double ev = 0;
    // Data files, each of a duplicate counted.
    quint64 files = 0;
    quint64 missing = 0;
    std::vector<SurveyCell> cells;
};

struct SurveySeries {
    using Range = std::pair<QByteArray, QByteArray>;

    // Group 1 of the name rule, its '-' included.
    QByteArray prefix;
    // The tail that most of its names have, from the '.' on.
    QByteArray tail;
    // The number of digits that most of its names give the projection, the fewer on a tie.
    int width = 0;
    // Every projection seen, ascending, and how far each lies from the first: its column.
    std::vector<QByteArray> projections;
    std::vector<quint64> columns;
    // Every projection from the first to the last seen is expected.
    quint64 expected = 0;
    // By energy, ascending; fields that are not numbers after, by their bytes.
    std::vector<SurveyRow> rows;
    quint64 files = 0;
    // Cells: a duplicated cell is neither tidied nor waiting.
    quint64 tidied = 0;
    quint64 waiting = 0;
    quint64 missing = 0;
    quint64 duplicates = 0;

    // The projection field as the series writes it.
    QByteArray field(const QByteArray &projection) const;
    // The name of a cell's file after the rule, from the series' prefix and tail.
    QByteArray fileName(const SurveyRow &row, const QByteArray &projection) const;
    // The fields of the projections that row lacks, as ranges from first to last.
    std::vector<Range> missingRanges(const SurveyRow &row) const;
    std::vector<QByteArray> duplicated(const SurveyRow &row) const;
    // The cell at a column (0 for the first projection) of row: its projection, bare, and its
    // state, which is Missing where no cell is there.
    SurveyCell::State cellAt(const SurveyRow &row, quint64 column, QByteArray &projection) const;
    // Sets expected, and what is missing in each row and in all, from the projections and cells.
    void countMissing();
};

// A row as a follow tells it after a round that changed it.
struct SurveyRowChange {
    QByteArray prefix;
    QByteArray energy;
    bool numeric = false;
    double ev = 0;
    // Its cells of tidied files, and the projections that its series expects so far: a row with
    // as many has no hole yet.
    quint64 tidied = 0;
    quint64 expected = 0;
};

struct Survey {
    // The largest first; of the same size, by prefix.
    std::vector<SurveySeries> series;
    // Data files with fields, and those without, which have no place in a grid.
    quint64 files = 0;
    quint64 withoutFields = 0;
    quint64 missing = 0;
    quint64 duplicates = 0;

    bool complete() const { return missing == 0 && duplicates == 0; }
    // Sets the counts from the series', and puts the series in their order.
    void countSeries();
};

} // namespace TidyUp
