// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/tidyup.h"

#include <QImage>
#include <QThreadPool>
#include <QWidget>
#include <memory>

class QTabBar;

// The scan as a grid: a row for each energy, lowest at the top, a column for each projection
// from the first to the last, each cell coloured by its state, one series at a time, chosen with
// tabs. The picture is drawn off the GUI thread whenever the survey or the size changes.
class ScanView : public QWidget
{
    Q_OBJECT

public:
    explicit ScanView(QWidget *parent = nullptr);
    ~ScanView() override;

    const TidyUp::Survey &survey() const { return *shown; }
    // The series shown, an index into survey().series.
    int currentSeries() const;
    // The grid with its axes and legend, as a PNG file.
    bool savePicture(const QString &file);
    // Where the grid is drawn, axes and legend around it; empty without a series to draw.
    QRect gridRect() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    void showPreview(const TidyUp::Preview &preview, const TidyUp::Settings &settings);
    // description: what the view shows, in words, for those who cannot see it.
    void showSurvey(const TidyUp::Survey &survey, const QString &description);
    void showSurvey(std::shared_ptr<const TidyUp::Survey> survey, const QString &description);

signals:
    // The picture of the current series at the current size is there to be painted.
    void pictureReady();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void renderLater();
    void askToSave();
    const TidyUp::SurveySeries *series() const;

    QTabBar *tabs;
    std::shared_ptr<const TidyUp::Survey> shown;
    QString emptyText;
    QImage picture;
    // Of the newest picture asked for; one that comes after a newer request is dropped.
    quint64 requested = 0;
    // Last: destroyed first, it waits for a picture being drawn.
    QThreadPool renderer;
};
