// SPDX-License-Identifier: MIT
#include "tidyup/survey/surveytracker.h"
#include "tidyup/survey/digits.h"
#include "tidyup/survey/surveybuilder.h"

#include <algorithm>

namespace TidyUp
{

SurveyTracker::SurveyTracker(Survey start)
    : current(std::move(start))
{
}

void SurveyTracker::listed(const std::vector<QByteArray> &names)
{
    // Each name listed carries the number of this listing: those left with an older one are gone.
    ++listing;
    for (const QByteArray &name : names) {
        auto known = waiting.find(name);
        if (known != waiting.end()) {
            *known = listing;
            continue;
        }
        waiting.insert(name, listing);
        change(name, Arrived);
    }
    for (auto name = waiting.begin(); name != waiting.end();) {
        if (*name == listing) {
            ++name;
            continue;
        }
        change(name.key(), Left);
        name = waiting.erase(name);
    }
    for (SurveySeries &series : current.series)
        series.countMissing();
    // The series change places: none is the last any more.
    current.countSeries();
    last = {};
}

void SurveyTracker::tidied(const QByteArray &name)
{
    if (waiting.remove(name))
        change(name, Tidied);
}

std::vector<SurveyRowChange> SurveyTracker::takeChanged()
{
    std::vector<SurveyRowChange> rows;
    for (const SurveySeries &series : current.series) {
        for (const SurveyRow &row : series.rows) {
            if (!changed.contains({ series.prefix, row.energy }))
                continue;
            const auto tidied = std::count_if(row.cells.cbegin(), row.cells.cend(),
                [](const SurveyCell &cell) { return cell.state == SurveyCell::Tidied; });
            rows.push_back({ series.prefix, row.energy, row.numeric, row.ev, quint64(tidied),
                series.expected });
        }
    }
    changed.clear();
    return rows;
}

void SurveyTracker::change(const QByteArray &name, Change change)
{
    const bool arrived = change == Arrived;
    if (!nameFields(name, fields)) {
        // A name without fields stays one wherever it lies.
        if (arrived)
            ++current.withoutFields;
        else if (change == Left)
            --current.withoutFields;
        return;
    }
    SurveySeries *into = series(arrived);
    SurveyRow *at = into ? row(*into, arrived) : nullptr;
    quint32 index = 0;
    if (!at || !projection(*into, arrived, index))
        return;
    auto cell = std::lower_bound(at->cells.begin(), at->cells.end(), index,
        [](const SurveyCell &cell, quint32 projection) { return cell.projection < projection; });
    const bool found = cell != at->cells.end() && cell->projection == index;
    const auto count = [into](SurveyCell::State state) -> quint64 & {
        return state == SurveyCell::Duplicate ? into->duplicates
            : state == SurveyCell::Tidied     ? into->tidied
                                              : into->waiting;
    };
    if (arrived) {
        ++at->files;
        ++into->files;
        if (!found) {
            at->cells.insert(cell, { index, SurveyCell::Waiting });
            ++into->waiting;
        } else if (cell->state != SurveyCell::Duplicate) {
            --count(cell->state);
            cell->state = SurveyCell::Duplicate;
            ++into->duplicates;
        }
    } else if (!found) {
        return;
    } else if (change == Tidied) {
        // A duplicate stays one: its other file is still there.
        if (cell->state == SurveyCell::Waiting) {
            cell->state = SurveyCell::Tidied;
            --into->waiting;
            ++into->tidied;
        }
    } else {
        --at->files;
        --into->files;
        // A duplicate's files are not told apart: it stays one until the survey is taken again.
        if (cell->state == SurveyCell::Waiting) {
            at->cells.erase(cell);
            --into->waiting;
        }
    }
    changed.insert({ into->prefix, at->energy });
}

SurveySeries *SurveyTracker::series(bool make)
{
    // Names come by series, energy and projection as a rule: the last place is tried first.
    if (last.series >= 0 && current.series[size_t(last.series)].prefix == fields.prefix)
        return &current.series[size_t(last.series)];
    last = {};
    for (SurveySeries &series : current.series) {
        if (series.prefix == fields.prefix) {
            last.series = int(&series - current.series.data());
            return &series;
        }
    }
    if (!make)
        return nullptr;
    last.series = int(current.series.size());
    SurveySeries series;
    series.prefix = fields.prefix;
    series.tail = fields.tail;
    series.width = int(fields.seqNo.size());
    current.series.push_back(std::move(series));
    return &current.series.back();
}

SurveyRow *SurveyTracker::row(SurveySeries &series, bool make)
{
    if (last.row >= 0 && series.rows[size_t(last.row)].energy == fields.energy)
        return &series.rows[size_t(last.row)];
    last.row = -1;
    last.projection = -1;
    const auto row = std::lower_bound(series.rows.begin(), series.rows.end(), fields.energy,
        [](const SurveyRow &row, const QByteArray &energy) {
            return SurveyBuilder::energyBefore(row.energy, energy);
        });
    if (row != series.rows.end() && row->energy == fields.energy) {
        last.row = int(row - series.rows.begin());
        return &*row;
    }
    if (!make)
        return nullptr;
    SurveyRow made = SurveyBuilder::row(fields.energy);
    made.missing = series.expected;
    last.row = int(row - series.rows.begin());
    return &*series.rows.insert(row, std::move(made));
}

bool SurveyTracker::projection(SurveySeries &series, bool make, quint32 &index)
{
    bare = Digits::bare(fields.seqNo.constData(), fields.seqNo.size());
    std::vector<QByteArray> &projections = series.projections;
    // The projection after the last one, or the last one again.
    for (const int guess : { last.projection + 1, last.projection }) {
        if (guess >= 0 && size_t(guess) < projections.size()
            && projections[size_t(guess)] == bare) {
            index = quint32(last.projection = guess);
            return true;
        }
    }
    const auto at = std::lower_bound(projections.begin(), projections.end(), bare,
        [](const QByteArray &a, const QByteArray &b) { return Digits::compare(a, b) < 0; });
    index = quint32(at - projections.begin());
    last.projection = int(index);
    if (at != projections.end() && *at == bare)
        return true;
    if (!make) {
        last.projection = -1;
        return false;
    }
    // Projections come in order as a rule; one before others moves every cell after it along, and
    // a new first one every column.
    projections.insert(at, bare);
    if (index + 1 < projections.size()) {
        for (SurveyRow &row : series.rows) {
            for (SurveyCell &cell : row.cells)
                cell.projection += cell.projection >= index ? 1 : 0;
        }
    }
    series.columns.resize(projections.size());
    for (size_t i = index; i < projections.size(); ++i)
        series.columns[i] = Digits::distance(projections.front(), projections[i]);
    return true;
}

} // namespace TidyUp
