#include "lab/pvchart.h"

#include "diagrams/drawing.h"
#include "lab/beatcursor.h"
#include "lab/labsession.h"
#include "lab/sessionfigures.h"

#include <QPainter>
#include <cstring>

namespace valthera::lab {

PvChart::PvChart(const LabSession &session, QWidget *parent)
    : LabChart(session, staticMetaObject.className(), QStringLiteral("labChart"),
          QStringLiteral("Pressure-volume loop chart"), QSize(280, 240), parent)
{
    refresh();
}

void PvChart::refresh()
{
    setAccessibleDescription(session_.describeLoop() + cursorKeys());
    markStale();
    update();
}

void PvChart::paint(QPainter &painter)
{
    layout_ = paintPvContent(painter, pvFigure(session_), style(), size(), this);
}

void PvChart::paintCursor(QPainter &painter, const Sample &at)
{
    paintPvCursor(painter, layout_, at, style());
}

void PvChart::drawFigure(QPainter &painter, QSize size)
{
    paintPvChart(painter, pvFigure(session_, cursor()), style(), size);
}

int PvChart::sampleAt(QPointF at, const BeatCursor &cursor) const
{
    if (layout_.plot.isEmpty())
        return -1;
    const auto &samples = cursor.beat().samples;
    int best = -1;
    double bestDistance = 0;
    for (std::size_t k = 0; k < samples.size(); ++k) {
        const QPointF d = place(samples[k].V, samples[k].Plv) - at;
        const double distance = QPointF::dotProduct(d, d);
        if (best < 0 || distance < bestDistance) {
            best = static_cast<int>(k);
            bestDistance = distance;
        }
    }
    return best;
}

void PvChart::drawFamily(QPainter &painter, const QRectF &clip, const QString &key, const Plot &plot,
    std::span<const Beat> family, const ChartStyle &style)
{
    const int earlier = static_cast<int>(family.size());
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = pixelSize();
    if (key != familyKey_ || family_.size() != pixels || family_.devicePixelRatio() != ratio ||
        familyCount_ > earlier) {
        family_ = drawing::canvas(pixels, QImage::Format_ARGB32_Premultiplied);
        family_.setDevicePixelRatio(ratio);
        family_.fill(Qt::transparent);
        familyKey_ = key;
        familyCount_ = 0;
        nextFamilyCount_ = 0;
    }
    if (familyCount_ + 1 == earlier && nextFamilyCount_ == earlier && nextFamily_.size() == family_.size()) {
        std::swap(family_, nextFamily_);
        familyCount_ = earlier;
    }
    nextFamilyCount_ = 0;
    if (familyCount_ < earlier) {
        QPainter layer(&family_);
        layer.setRenderHint(QPainter::Antialiasing, false);
        layer.setClipRect(clip);
        if (familyCount_ == 0) {
            paintFamily(layer, plot, family, style);
        } else {
            // A beat further on: every loop so far a step fainter, then the
            // one just played over them at the newest shade.
            for (; familyCount_ < earlier; ++familyCount_)
                fadeAndAdd(layer, clip, plot, family[static_cast<std::size_t>(familyCount_)], style);
        }
        familyCount_ = earlier;
    }
    painter.save();
    painter.setClipRect(clip);
    painter.drawImage(QPointF(0, 0), family_);
    painter.restore();
}

bool PvChart::prepareNextBeat()
{
    finishDrawing();
    const Transient *transient = session_.playingTransient();
    const int shown = session_.transientBeat();
    if (!transient || shown >= static_cast<int>(transient->beats.size()) || family_.isNull() ||
        familyCount_ != shown - 1 || nextFamilyCount_ == shown)
        return false;
    // Into the picture the last beat left behind, not fresh memory.
    if (nextFamily_.size() != family_.size() || nextFamily_.format() != family_.format())
        nextFamily_ = drawing::canvas(family_.size(), family_.format());
    nextFamily_.setDevicePixelRatio(family_.devicePixelRatio());
    std::memcpy(nextFamily_.bits(), family_.constBits(), static_cast<std::size_t>(family_.sizeInBytes()));
    QPainter layer(&nextFamily_);
    const QRectF clip = layout_.plot.adjusted(-1, -1, 1, 1);
    layer.setClipRect(clip);
    fadeAndAdd(layer, clip, Plot{layout_.plot, layout_.volume, layout_.pressure},
        transient->beats[static_cast<std::size_t>(shown - 1)], style());
    nextFamilyCount_ = shown;
    return true;
}

} // namespace valthera::lab
