// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/names/namerule.h"
#include "tidyup/survey/survey.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <utility>
#include <vector>

namespace TidyUp
{

// Keeps a survey true while a follow sees files arrive in the target and tidies them, from the
// names it lists and moves: the originals directory is read once, for the survey it starts from.
// What it keeps beyond the survey grows with the files waiting in the target, not the tidied.
// A series keeps the tail and width that it had when first seen.
class SurveyTracker
{
public:
    explicit SurveyTracker(Survey start = {});

    // The target's data files as listed now: those not listed before are waiting in the survey,
    // and those gone that were not tidied leave it.
    void listed(const std::vector<QByteArray> &names);
    // A waiting file, by its name in the target, moved into the originals directory.
    void tidied(const QByteArray &name);

    const Survey &survey() const { return current; }
    // The rows that changed since the last call, in the survey's order.
    std::vector<SurveyRowChange> takeChanged();

private:
    enum Change { Arrived, Tidied, Left };
    // The series, row and cell of a name, made where missing for an arrival; false for a
    // name without fields, or one that the survey does not hold.
    void change(const QByteArray &name, Change change);
    SurveySeries *series(bool make);
    SurveyRow *row(SurveySeries &series, bool make);
    // The projection's index, inserted where it is new.
    bool projection(SurveySeries &series, bool make, quint32 &index);

    Survey current;
    // The names waiting in the target, each with the number of the listing that last held it.
    QHash<QByteArray, quint64> waiting;
    quint64 listing = 0;
    // Where the name before went, -1 for none: the series, its row, and the projection.
    struct {
        int series = -1;
        int row = -1;
        int projection = -1;
    } last;
    QByteArray bare;
    QSet<std::pair<QByteArray, QByteArray>> changed;
    NameFields fields;
};

} // namespace TidyUp
