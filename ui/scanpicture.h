// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/survey/survey.h"

#include <QColor>
#include <QImage>
#include <QSize>

// A series' grid as a picture, each pixel coloured by the most urgent state among the cells it
// covers: with a million cells on a few hundred pixels one missing projection still shows,
// which no smoothing or sampling of a picture a cell a pixel would keep.
class ScanPicture
{
public:
    // The cells a pixel covers along one side: first up to, not with, end.
    struct Span {
        quint64 first;
        quint64 end;
    };
    // Of cells cells along a side of pixels pixels; every cell falls in one pixel at least.
    static Span span(int pixel, int pixels, quint64 cells);

    // Colours that stay apart for the common kinds of colour blindness (Okabe and Ito).
    static QColor colour(TidyUp::SurveyCell::State state);
    // Rows top to bottom as the series orders them; a cross on missing cells big enough for one.
    static QImage render(const TidyUp::SurveySeries &series, const QSize &size);
    // The most urgent cell of those a pixel of a picture of size covers: its row and column.
    static bool cellAt(const TidyUp::SurveySeries &series, const QSize &size, int x, int y,
        quint64 &row, quint64 &column);
};
