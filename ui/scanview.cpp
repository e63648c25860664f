// SPDX-License-Identifier: MIT
#include "ui/scanview.h"
#include "ui/scanpicture.h"

#include "tidyup/report/surveyreport.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QHelpEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QTabBar>
#include <QToolTip>

namespace
{

constexpr int gap = 6;
constexpr int swatch = 10;

} // namespace

ScanView::ScanView(QWidget *parent)
    : QWidget(parent)
    , tabs(new QTabBar(this))
    , shown(std::make_shared<TidyUp::Survey>())
{
    setAccessibleName(tr("Scan"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    tabs->setDrawBase(false);
    tabs->setExpanding(false);
    tabs->hide();
    renderer.setMaxThreadCount(1);
    connect(tabs, &QTabBar::currentChanged, this, [this] {
        picture = QImage();
        renderLater();
    });
}

ScanView::~ScanView() = default;

QSize ScanView::sizeHint() const
{
    return { 600, 12 * fontMetrics().height() };
}

QSize ScanView::minimumSizeHint() const
{
    return { 200, 7 * fontMetrics().height() };
}

int ScanView::currentSeries() const
{
    return tabs->isHidden() ? (shown->series.empty() ? -1 : 0) : tabs->currentIndex();
}

const TidyUp::SurveySeries *ScanView::series() const
{
    const int index = currentSeries();
    return index < 0 ? nullptr : &shown->series[size_t(index)];
}

void ScanView::showPreview(const TidyUp::Preview &preview, const TidyUp::Settings &settings)
{
    showSurvey(preview.survey, SurveyReport::text(preview, settings));
}

void ScanView::showSurvey(const TidyUp::Survey &survey, const QString &description)
{
    showSurvey(std::make_shared<const TidyUp::Survey>(survey), description);
}

void ScanView::showSurvey(std::shared_ptr<const TidyUp::Survey> survey, const QString &description)
{
    // The series chosen stays chosen while it is there.
    const TidyUp::SurveySeries *before = series();
    const QByteArray chosen = before ? before->prefix : QByteArray();
    shown = std::move(survey);
    emptyText = description;
    setAccessibleDescription(description);
    const QSignalBlocker blocker(tabs);
    while (tabs->count() > 0)
        tabs->removeTab(0);
    for (const TidyUp::SurveySeries &each : shown->series) {
        const int tab = tabs->addTab(SurveyReport::prefix(each));
        if (each.prefix == chosen)
            tabs->setCurrentIndex(tab);
    }
    tabs->setVisible(shown->series.size() > 1);
    tabs->adjustSize();
    renderLater();
    update();
}

QRect ScanView::gridRect() const
{
    const TidyUp::SurveySeries *each = series();
    if (!each || each->rows.empty())
        return {};
    const QFontMetrics metrics = fontMetrics();
    int left = 0;
    for (const TidyUp::SurveyRow *row : { &each->rows.front(), &each->rows.back() }) {
        left = qMax(
            left, metrics.horizontalAdvance(tr("%1 eV").arg(QFile::decodeName(row->energy))));
    }
    const int top = (tabs->isVisible() ? tabs->height() : 0) + gap;
    const int bottom = 2 * metrics.height() + 3 * gap;
    return QRect(left + 2 * gap, top, width() - left - 3 * gap, height() - top - bottom);
}

void ScanView::renderLater()
{
    const TidyUp::SurveySeries *each = series();
    const QSize size = gridRect().size();
    if (!each || size.isEmpty())
        return;
    const quint64 request = ++requested;
    renderer.start([this, request, size, survey = shown, index = currentSeries()] {
        QImage drawn = ScanPicture::render(survey->series[size_t(index)], size);
        // Dropped, with the view, where the view is gone before it comes.
        QMetaObject::invokeMethod(
            this,
            [this, request, drawn] {
                if (request != requested)
                    return;
                picture = drawn;
                update();
                emit pictureReady();
            },
            Qt::QueuedConnection);
    });
}

void ScanView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    tabs->setGeometry(0, 0, width(), tabs->sizeHint().height());
    renderLater();
}

void ScanView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const TidyUp::SurveySeries *each = series();
    const QRect grid = gridRect();
    if (!each || grid.isEmpty()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(rect().adjusted(gap, gap, -gap, -gap), Qt::AlignCenter | Qt::TextWordWrap,
            emptyText.section(QLatin1Char('\n'), 0, 0));
        return;
    }
    // Until the picture of this size comes, the one before stands in, stretched.
    if (!picture.isNull())
        painter.drawImage(grid, picture);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(grid.adjusted(-1, -1, 0, 0));

    const QFontMetrics metrics = fontMetrics();
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect energies(0, grid.top(), grid.left() - gap, grid.height());
    painter.drawText(energies, Qt::AlignRight | Qt::AlignTop,
        tr("%1 eV").arg(QFile::decodeName(each->rows.front().energy)));
    if (each->rows.size() > 1) {
        painter.drawText(energies, Qt::AlignRight | Qt::AlignBottom,
            tr("%1 eV").arg(QFile::decodeName(each->rows.back().energy)));
    }
    const QRect projections(grid.left(), grid.bottom() + gap, grid.width(), metrics.height());
    painter.drawText(
        projections, Qt::AlignLeft, QString::fromLatin1(each->field(each->projections.front())));
    painter.drawText(projections, Qt::AlignHCenter, tr("projection"));
    if (each->expected > 1) {
        painter.drawText(projections, Qt::AlignRight,
            QString::fromLatin1(each->field(each->projections.back())));
    }

    int x = grid.left();
    const int y = projections.bottom() + gap;
    const QStringList parts = SurveyReport::legendParts(*each);
    for (int state = 0; state < parts.size(); ++state) {
        const QRect box(x, y + (metrics.height() - swatch) / 2, swatch, swatch);
        painter.fillRect(box, ScanPicture::colour(TidyUp::SurveyCell::State(state)));
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        x = box.right() + gap;
        painter.drawText(QRect(x, y, width() - x, metrics.height()), Qt::AlignLeft, parts[state]);
        x += metrics.horizontalAdvance(parts[state]) + 3 * gap;
    }
}

bool ScanView::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QRect grid = gridRect();
    const TidyUp::SurveySeries *each = series();
    quint64 row = 0;
    quint64 column = 0;
    if (each
        && ScanPicture::cellAt(*each, grid.size(), help->pos().x() - grid.left(),
            help->pos().y() - grid.top(), row, column)) {
        QToolTip::showText(
            help->globalPos(), SurveyReport::cellText(*each, each->rows[row], column), this);
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

void ScanView::contextMenuEvent(QContextMenuEvent *event)
{
    if (!series())
        return;
    QMenu menu(this);
    connect(menu.addAction(tr("Save Picture…")), &QAction::triggered, this, &ScanView::askToSave);
    menu.exec(event->globalPos());
}

void ScanView::askToSave()
{
    const QString file = QFileDialog::getSaveFileName(
        this, tr("Save Picture"), tr("scan.png"), tr("PNG pictures (*.png)"));
    if (!file.isEmpty() && !savePicture(file))
        QMessageBox::warning(
            this, tr("Save Picture"), tr("Can't save the picture to %1.").arg(file));
}

bool ScanView::savePicture(const QString &file)
{
    const int top = tabs->isVisible() ? tabs->height() : 0;
    return grab(QRect(0, top, width(), height() - top)).save(file, "PNG");
}
