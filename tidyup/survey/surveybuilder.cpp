// SPDX-License-Identifier: MIT
#include "tidyup/survey/surveybuilder.h"
#include "tidyup/survey/digits.h"

#include <QStringBuilder>
#include <algorithm>
#include <cstring>
#include <numeric>

namespace
{

// An energy field's value, where it reads digits, '_', digits: its whole and fractional digits.
struct Value {
    bool numeric = false;
    QByteArray whole;
    QByteArray fraction;
};

Value valueOf(const QByteArray &field)
{
    Value value;
    const qsizetype mark = field.indexOf('_');
    if (mark <= 0 || mark + 1 == field.size())
        return value;
    const auto digits = [](const char *from, const char *to) {
        return std::all_of(from, to, [](char c) { return c >= '0' && c <= '9'; });
    };
    const char *const bytes = field.constData();
    if (!digits(bytes, bytes + mark) || !digits(bytes + mark + 1, bytes + field.size()))
        return value;
    value.numeric = true;
    value.whole = Digits::bare(bytes, mark);
    value.fraction = field.mid(mark + 1);
    while (value.fraction.endsWith('0'))
        value.fraction.chop(1);
    return value;
}

// Numbers by value, then the others by their bytes.
bool before(const Value &x, const QByteArray &a, const Value &y, const QByteArray &b)
{
    if (x.numeric != y.numeric)
        return x.numeric;
    if (x.numeric) {
        const int whole = Digits::compare(x.whole, y.whole);
        if (whole != 0)
            return whole < 0;
        if (x.fraction != y.fraction)
            return x.fraction < y.fraction;
    }
    return a < b;
}

} // namespace

namespace TidyUp
{

void SurveyBuilder::add(const QByteArray &name, Place place)
{
    if (!nameFields(name, fields)) {
        ++withoutFields;
        return;
    }
    // A directory lists a series' names together, and often an energy's: the last one found is
    // tried first.
    if (last.series < 0 || fields.prefix != prefixes[size_t(last.series)]) {
        auto series = seriesIds.constFind(fields.prefix);
        if (series == seriesIds.constEnd()) {
            series = seriesIds.insert(fields.prefix, quint32(building.size()));
            prefixes.push_back(fields.prefix);
            building.emplace_back();
        }
        last = { int(*series), -1 };
    }
    Building &into = building[size_t(last.series)];
    const auto idOf = [](QHash<QByteArray, quint32> &ids, std::vector<QByteArray> &names,
                          const QByteArray &key) {
        auto found = ids.constFind(key);
        if (found == ids.constEnd()) {
            found = ids.insert(key, quint32(names.size()));
            names.push_back(key);
        }
        return *found;
    };
    if (last.energy < 0 || fields.energy != into.energies[size_t(last.energy)])
        last.energy = int(idOf(into.energyIds, into.energies, fields.energy));
    // The projection without its leading zeros, in storage kept from name to name.
    const qsizetype width = fields.seqNo.size();
    qsizetype zeros = 0;
    while (zeros + 1 < width && fields.seqNo.constData()[zeros] == '0')
        ++zeros;
    bare.resize(width - zeros);
    std::memcpy(bare.data(), fields.seqNo.constData() + zeros, size_t(width - zeros));
    const quint32 projection = idOf(into.projectionIds, into.projections, bare);
    ++into.tails[fields.tail];
    if (into.widths.size() <= size_t(width))
        into.widths.resize(size_t(width) + 1);
    ++into.widths[size_t(width)];
    into.entries.push_back({ quint32(last.energy), projection, place });
}

bool SurveyBuilder::energyBefore(const QByteArray &a, const QByteArray &b)
{
    return before(valueOf(a), a, valueOf(b), b);
}

SurveyRow SurveyBuilder::row(const QByteArray &energy)
{
    SurveyRow row;
    row.energy = energy;
    const Value value = valueOf(energy);
    row.numeric = value.numeric;
    if (row.numeric)
        row.ev = QByteArray(value.whole + '.' + value.fraction + '0').toDouble();
    return row;
}

Survey SurveyBuilder::take()
{
    Survey survey;
    survey.withoutFields = withoutFields;
    for (size_t i = 0; i < building.size(); ++i)
        survey.series.push_back(finish(prefixes[i], building[i]));
    survey.countSeries();
    *this = SurveyBuilder();
    return survey;
}

SurveySeries SurveyBuilder::finish(const QByteArray &prefix, Building &building)
{
    SurveySeries series;
    series.prefix = prefix;
    series.files = building.entries.size();
    series.width = int(
        std::max_element(building.widths.begin(), building.widths.end()) - building.widths.begin());
    quint64 mostTails = 0;
    for (auto tail = building.tails.cbegin(); tail != building.tails.cend(); ++tail) {
        if (tail.value() > mostTails || (tail.value() == mostTails && tail.key() < series.tail)) {
            mostTails = tail.value();
            series.tail = tail.key();
        }
    }

    // Projections by number, energies by value and then by their bytes.
    const auto order = [](size_t size, auto before) {
        std::vector<quint32> sorted(size);
        std::iota(sorted.begin(), sorted.end(), 0);
        std::sort(sorted.begin(), sorted.end(), before);
        std::vector<quint32> rank(size);
        for (size_t i = 0; i < size; ++i)
            rank[sorted[i]] = quint32(i);
        return std::make_pair(sorted, rank);
    };
    const auto [projectionOrder, projectionRank]
        = order(building.projections.size(), [&](quint32 a, quint32 b) {
              return Digits::compare(building.projections[a], building.projections[b]) < 0;
          });
    std::vector<Value> values(building.energies.size());
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = valueOf(building.energies[i]);
    const auto [energyOrder, energyRank]
        = order(building.energies.size(), [&](quint32 a, quint32 b) {
              return before(values[a], building.energies[a], values[b], building.energies[b]);
          });

    for (const quint32 id : projectionOrder)
        series.projections.push_back(building.projections[id]);
    for (const QByteArray &projection : series.projections)
        series.columns.push_back(Digits::distance(series.projections.front(), projection));
    series.rows.resize(building.energies.size());
    for (size_t i = 0; i < energyOrder.size(); ++i)
        series.rows[i] = row(building.energies[energyOrder[i]]);

    // Each cell's files side by side: a cell with more than one is a duplicate.
    std::vector<Entry> &entries = building.entries;
    for (Entry &entry : entries) {
        entry.energy = energyRank[entry.energy];
        entry.projection = projectionRank[entry.projection];
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.energy != b.energy ? a.energy < b.energy : a.projection < b.projection;
    });
    for (size_t i = 0; i < entries.size();) {
        size_t end = i + 1;
        while (end < entries.size() && entries[end].energy == entries[i].energy
            && entries[end].projection == entries[i].projection)
            ++end;
        SurveyRow &row = series.rows[entries[i].energy];
        const SurveyCell::State state = end - i > 1 ? SurveyCell::Duplicate
            : entries[i].place == Origs             ? SurveyCell::Tidied
                                                    : SurveyCell::Waiting;
        row.cells.push_back({ entries[i].projection, state });
        row.files += end - i;
        (state == SurveyCell::Duplicate       ? series.duplicates
                : state == SurveyCell::Tidied ? series.tidied
                                              : series.waiting)
            += 1;
        i = end;
    }
    series.countMissing();
    return series;
}

} // namespace TidyUp
