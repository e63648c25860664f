// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/names/namerule.h"
#include "tidyup/survey/survey.h"

#include <QByteArray>
#include <QHash>
#include <vector>

namespace TidyUp
{

// Puts a scan's names into its survey: names in, the survey out, nothing read from a disk.
// What it keeps grows with the cells and the distinct fields, never with the numbers in the
// names.
class SurveyBuilder
{
public:
    enum Place : quint8 { Target, Origs };

    // A data file's name, in the file system's encoding, and where it lies.
    void add(const QByteArray &name, Place place);
    // The survey of every name added; the builder is then empty.
    Survey take();

    // Whether the row of energy field a comes before that of b: numbers by value, the other
    // fields after them, by their bytes.
    static bool energyBefore(const QByteArray &a, const QByteArray &b);
    // An empty row of an energy field, with its value where it has one.
    static SurveyRow row(const QByteArray &energy);

private:
    struct Entry {
        quint32 energy;
        quint32 projection;
        Place place;
    };
    // A series while names come: its fields numbered as first seen.
    struct Building {
        QHash<QByteArray, quint32> energyIds;
        std::vector<QByteArray> energies;
        QHash<QByteArray, quint32> projectionIds;
        std::vector<QByteArray> projections;
        QHash<QByteArray, quint64> tails;
        // How many names write the projection with as many digits as the index.
        std::vector<quint64> widths;
        std::vector<Entry> entries;
    };

    static SurveySeries finish(const QByteArray &prefix, Building &building);

    QHash<QByteArray, quint32> seriesIds;
    std::vector<QByteArray> prefixes;
    std::vector<Building> building;
    quint64 withoutFields = 0;
    // The series and energy of the name before, -1 for none.
    struct {
        int series = -1;
        int energy = -1;
    } last;
    NameFields fields;
    QByteArray bare;
};

} // namespace TidyUp
