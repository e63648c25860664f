// SPDX-License-Identifier: MIT
// Times the scan view on a grid of 100 energies × 10,000 projections with a few holes, at
// 1600 × 600 pixels: the picture drawn off the GUI thread, and the painting that grab() does,
// each twenty times, as medians with the least and most. Not gated: figures to read, not to fail.
#include "ui/scanpicture.h"
#include "ui/scanview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{

TidyUp::Survey grid(int rows, int projections)
{
    TidyUp::SurveySeries series;
    series.prefix = "sample-";
    series.tail = ".img";
    series.width = 5;
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
            // A hole a tenth of the way through every seventh energy.
            if (r % 7 == 3 && p == projections / 10 + r)
                continue;
            row.cells.push_back({ quint32(p), TidyUp::SurveyCell::Tidied });
        }
    }
    TidyUp::Survey survey;
    survey.series.push_back(std::move(series));
    return survey;
}

void print(const char *what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-32s median %7.2f ms  (least %.2f, most %.2f, %zu runs)\n", what,
        times[times.size() / 2], times.front(), times.back(), times.size());
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const TidyUp::Survey survey = grid(100, 10000);
    ScanView view;
    view.resize(1600, 600);
    view.show();
    QSignalSpy ready(&view, &ScanView::pictureReady);
    view.showSurvey(survey, QString());
    if (!ready.wait(60000))
        return 1;
    std::vector<double> renders;
    std::vector<double> grabs;
    for (int run = 0; run < 20; ++run) {
        QElapsedTimer timer;
        timer.start();
        const QImage picture = ScanPicture::render(survey.series.front(), view.gridRect().size());
        renders.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        const QPixmap shot = view.grab();
        grabs.push_back(timer.nsecsElapsed() / 1e6);
        if (picture.isNull() || shot.isNull())
            return 1;
    }
    std::printf("a grid of 100 x 10,000 cells on %d x %d pixels\n", view.gridRect().width(),
        view.gridRect().height());
    print("picture (off the GUI thread)", renders);
    print("grab() of the view", grabs);
    return 0;
}
