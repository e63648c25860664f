// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/report/report.h"
#include "tidyup/tidyup.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// What a person is told of a scan's shape: a sentence a series, a line for each energy with a
// hole, the preview's words for the grid, and the names of the cells' states.
class SurveyReport
{
    Q_DECLARE_TR_FUNCTIONS(SurveyReport)

public:
    // "sample-: 6 energies × 10 projections, 13 missing at 6 energies, 1 duplicate."
    static QString seriesText(const TidyUp::SurveySeries &series);
    // "sample-, 7002_5 eV: missing 0003, 0007–0010.", by series and energy, at most most of
    // them, then how many more energies have a hole.
    static QStringList holeLines(const TidyUp::Survey &survey, int most = 20);
    // All that --survey says: the sentences of every series, then the holes.
    static QString text(const TidyUp::Preview &preview, const TidyUp::Settings &settings);
    // The same of a survey that a follow keeps.
    static QString text(const TidyUp::Survey &survey, const TidyUp::Settings &settings);
    // "20 tidied · 0 waiting · 1 missing · 0 duplicate", and its four parts, by state.
    static QString legend(const TidyUp::SurveySeries &series);
    static QStringList legendParts(const TidyUp::SurveySeries &series);
    // What a cell is: "7002_5 eV, projection 0003: missing, sample-7002_5eV-0003.img".
    static QString cellText(
        const TidyUp::SurveySeries &series, const TidyUp::SurveyRow &row, quint64 column);
    static QString stateName(TidyUp::SurveyCell::State state);
    static QString prefix(const TidyUp::SurveySeries &series);
    // 0 complete, 1 something missing or duplicated, 2 nothing to survey, 3 stopped.
    static Report::Status status(const TidyUp::Preview &preview);
};
