// SPDX-License-Identifier: MIT
#include "ui/scanpicture.h"

#include <QPainter>
#include <algorithm>

namespace
{

// A series may expect more projections than 64 bits times a pixel count can hold.
__extension__ typedef unsigned __int128 Wide;

using State = TidyUp::SurveyCell::State;

// The most urgent state in columns [first, end) of row, and at which column; from is where to
// start looking among the row's cells, moved on past those before first.
State urgent(const TidyUp::SurveySeries &series, const TidyUp::SurveyRow &row,
    ScanPicture::Span columns, size_t &from, quint64 *at = nullptr)
{
    const auto columnOf = [&](size_t cell) { return series.columns[row.cells[cell].projection]; };
    while (from < row.cells.size() && columnOf(from) < columns.first)
        ++from;
    int state = -1;
    quint64 where = columns.first;
    // The first column not yet seen: a cell further on leaves a gap, which is missing.
    quint64 next = columns.first;
    for (size_t cell = from; cell < row.cells.size() && columnOf(cell) < columns.end; ++cell) {
        if (columnOf(cell) > next && state < State::Missing)
            state = State::Missing, where = next;
        if (row.cells[cell].state > state)
            state = row.cells[cell].state, where = columnOf(cell);
        next = columnOf(cell) + 1;
    }
    if (next < columns.end && state < State::Missing)
        state = State::Missing, where = next;
    if (at)
        *at = where;
    return State(state);
}

} // namespace

ScanPicture::Span ScanPicture::span(int pixel, int pixels, quint64 cells)
{
    const auto at = [&](int p) { return quint64(Wide(cells) * Wide(p) / Wide(pixels)); };
    const quint64 first = at(pixel);
    return { first, std::max(first + 1, at(pixel + 1)) };
}

QColor ScanPicture::colour(TidyUp::SurveyCell::State state)
{
    static const QRgb colours[] = { 0xff0072b2, 0xff56b4e9, 0xffd55e00, 0xfff0e442 };
    return QColor::fromRgb(colours[state]);
}

QImage ScanPicture::render(const TidyUp::SurveySeries &series, const QSize &size)
{
    QImage picture(size, QImage::Format_RGB32);
    const quint64 rows = series.rows.size();
    if (size.isEmpty() || rows == 0 || series.expected == 0)
        return picture;
    QRgb rgb[4];
    for (int state = 0; state < 4; ++state)
        rgb[state] = colour(State(state)).rgb();
    std::vector<Span> columns(size_t(size.width()));
    for (int x = 0; x < size.width(); ++x)
        columns[size_t(x)] = span(x, size.width(), series.expected);
    std::vector<quint8> line(size_t(size.width()));
    for (int y = 0; y < size.height(); ++y) {
        const Span across = span(y, size.height(), rows);
        auto *pixels = reinterpret_cast<QRgb *>(picture.scanLine(y));
        // Pixel lines that show the same row as the line above copy it.
        if (y > 0 && across.first == span(y - 1, size.height(), rows).first) {
            std::copy_n(
                reinterpret_cast<const QRgb *>(picture.constScanLine(y - 1)), size.width(), pixels);
            continue;
        }
        std::fill(line.begin(), line.end(), quint8(State::Tidied));
        for (quint64 r = across.first; r < across.end; ++r) {
            size_t from = 0;
            for (size_t x = 0; x < line.size(); ++x)
                line[x]
                    = std::max<quint8>(line[x], urgent(series, series.rows[r], columns[x], from));
        }
        for (size_t x = 0; x < line.size(); ++x)
            pixels[x] = rgb[line[x]];
    }

    // A cross tells a missing cell without its colour, where a cell is big enough to hold one.
    const double cellWidth = double(size.width()) / double(series.expected);
    const double cellHeight = double(size.height()) / double(rows);
    if (cellWidth < 6 || cellHeight < 6)
        return picture;
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.5));
    for (quint64 r = 0; r < rows; ++r) {
        for (quint64 c = 0; c < series.expected; ++c) {
            QByteArray projection;
            if (series.cellAt(series.rows[r], c, projection) != State::Missing)
                continue;
            const QRectF cell = QRectF(c * cellWidth, r * cellHeight, cellWidth, cellHeight)
                                    .adjusted(2, 2, -2, -2);
            painter.drawLine(cell.topLeft(), cell.bottomRight());
            painter.drawLine(cell.topRight(), cell.bottomLeft());
        }
    }
    return picture;
}

bool ScanPicture::cellAt(const TidyUp::SurveySeries &series, const QSize &size, int x, int y,
    quint64 &row, quint64 &column)
{
    if (x < 0 || y < 0 || x >= size.width() || y >= size.height() || series.rows.empty()
        || series.expected == 0)
        return false;
    const Span across = span(y, size.height(), series.rows.size());
    const Span columns = span(x, size.width(), series.expected);
    int most = -1;
    for (quint64 r = across.first; r < across.end; ++r) {
        size_t from = 0;
        quint64 at = 0;
        const int state = urgent(series, series.rows[r], columns, from, &at);
        if (state > most)
            most = state, row = r, column = at;
    }
    return true;
}
