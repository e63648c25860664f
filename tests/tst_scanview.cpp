// SPDX-License-Identifier: MIT
// The scan view drawn off screen from surveys built cell by cell: where a missing cell shows,
// and that one missing or duplicate cell among a million still shows on a few hundred pixels.
#include "ui/scanpicture.h"
#include "ui/scanview.h"

#include <QSignalSpy>
#include <QtTest>

class TestScanView : public QObject
{
    Q_OBJECT

private slots:
    void cells_data();
    void cells();
    void saved();
};

namespace
{

using State = TidyUp::SurveyCell::State;

// rows × projections cells, all tidied but those in odd, which have the state given.
TidyUp::Survey grid(int rows, int projections, const QList<QList<int>> &odd)
{
    TidyUp::SurveySeries series;
    series.prefix = "a-";
    series.tail = ".img";
    series.width = 4;
    for (int p = 0; p < projections; ++p) {
        series.projections.push_back(QByteArray::number(p + 1));
        series.columns.push_back(quint64(p));
    }
    series.expected = quint64(projections);
    series.rows.resize(size_t(rows));
    for (int r = 0; r < rows; ++r) {
        TidyUp::SurveyRow &row = series.rows[size_t(r)];
        row.energy = QByteArray::number(7000 + r) + "_00";
        for (int p = 0; p < projections; ++p) {
            State state = State::Tidied;
            for (const QList<int> &cell : odd) {
                if (cell[0] == r && cell[1] == p)
                    state = State(cell[2]);
            }
            if (state != State::Missing)
                row.cells.push_back({ quint32(p), state });
            (state == State::Missing ? row.missing : row.files) += 1;
        }
    }
    TidyUp::Survey survey;
    survey.series.push_back(std::move(series));
    return survey;
}

// A pixel of those where cell of cells shows along a side of pixels: a part of the way from the
// first to the last.
int pixelOf(qint64 cell, qint64 cells, qint64 pixels, int part)
{
    qint64 first = cell * pixels / cells;
    while ((first + 1) * cells / pixels <= cell)
        ++first;
    qint64 last = first;
    while (last + 1 < pixels && (last + 1) * cells / pixels <= cell)
        ++last;
    return int(first + (last - first) / part);
}

} // namespace

void TestScanView::cells_data()
{
    QTest::addColumn<QList<int>>("shape"); // rows, projections, view width, height
    QTest::addColumn<QList<QList<int>>>("odd"); // row, projection, state
    QTest::addColumn<QList<QList<int>>>("seen"); // row, projection, the state its pixels show
    // clang-format off
    QTest::newRow("a small grid, a cell a block") << QList<int>{ 4, 5, 400, 240 } << QList<QList<int>>{ { 2, 3, State::Missing }, { 0, 0, State::Waiting } }
        << QList<QList<int>>{ { 2, 3, State::Missing }, { 0, 0, State::Waiting }, { 1, 1, State::Tidied }, { 3, 4, State::Tidied } };
    QTest::newRow("one missing among a million cells, 400 pixels wide") << QList<int>{ 100, 10000, 400, 300 } << QList<QList<int>>{ { 57, 6543, State::Missing } }
        << QList<QList<int>>{ { 57, 6543, State::Missing }, { 57, 6000, State::Tidied }, { 10, 6543, State::Tidied } };
    QTest::newRow("a duplicate beats a missing cell beside it") << QList<int>{ 100, 10000, 400, 300 } << QList<QList<int>>{ { 57, 6543, State::Missing }, { 57, 6544, State::Duplicate } }
        << QList<QList<int>>{ { 57, 6543, State::Duplicate }, { 57, 6544, State::Duplicate } };
    QTest::newRow("one waiting row among more rows than pixels") << QList<int>{ 2000, 50, 400, 200 } << QList<QList<int>>{ { 1234, 20, State::Waiting } }
        << QList<QList<int>>{ { 1234, 20, State::Waiting }, { 1234, 21, State::Tidied } };
    // clang-format on
}

void TestScanView::cells()
{
    QFETCH(QList<int>, shape);
    QFETCH(QList<QList<int>>, odd);
    QFETCH(QList<QList<int>>, seen);
    ScanView view;
    view.resize(shape[2], shape[3]);
    QSignalSpy ready(&view, &ScanView::pictureReady);
    view.showSurvey(grid(shape[0], shape[1], odd), QString());
    // The first picture may be of the size before the view was laid out: wait for its own.
    const QRect area = view.gridRect();
    QVERIFY(ready.wait(10000));
    const QImage shot = view.grab().toImage();
    for (const QList<int> &cell : seen) {
        // Off the centre, clear of the cross on a missing cell big enough for one.
        const int x = area.left() + pixelOf(cell[1], shape[1], area.width(), 2);
        const int y = area.top() + pixelOf(cell[0], shape[0], area.height(), 4);
        QCOMPARE(QColor(shot.pixel(x, y)).name(), ScanPicture::colour(State(cell[2])).name());
    }
}

void TestScanView::saved()
{
    QTemporaryDir tmp;
    ScanView view;
    view.resize(500, 300);
    QSignalSpy ready(&view, &ScanView::pictureReady);
    view.showSurvey(grid(3, 4, { { 1, 1, State::Missing } }), QString());
    QVERIFY(ready.wait(10000));
    const QString file = tmp.filePath("scan.png");
    QVERIFY(view.savePicture(file));
    const QImage saved(file);
    QCOMPARE(saved.size(), view.size());
    QVERIFY(!view.savePicture(tmp.filePath("no/such/folder.png")));
}

QTEST_MAIN(TestScanView)
#include "tst_scanview.moc"
