#include "lab/timechart.h"

#include "diagrams/drawing.h"
#include "lab/beatcursor.h"
#include "lab/labsession.h"
#include "lab/sessionfigures.h"

#include <QPainter>
#include <algorithm>

namespace valthera::lab {

TimeChart::TimeChart(const LabSession &session, QWidget *parent)
    : LabChart(session, staticMetaObject.className(), QStringLiteral("labTimeChart"),
          QStringLiteral("Pressures and volume over one beat"), QSize(280, 200), parent)
{
    refresh();
}

void TimeChart::refresh()
{
    const Beat &beat = session_.current().beat;
    const ValveEvents &ev = session_.events();
    const auto at = [&beat](int k) { return QString::number(timeOf(beat, k), 'f', 2); };
    const QString span = beat.beats > 1
        ? QStringLiteral("A balloon pump cycle of %1 beats, the first assisted, lasting %2 s.")
              .arg(beat.beats)
              .arg(QString::number(beat.period, 'f', 2))
        : QStringLiteral("A beat of %1 s.").arg(QString::number(beat.period, 'f', 2));
    QString text = span +
        QStringLiteral(" Aortic pressure between %1 and %2; ventricular volume between %3 and %4.")
            .arg(session_.value(Measure::DBP), session_.value(Measure::SBP), session_.value(Measure::ESV),
                session_.value(Measure::EDV));
    if (ev.mitralClose >= 0)
        text += QStringLiteral(" The mitral valve closes at %1 s (point 1).").arg(at(ev.mitralClose));
    if (ev.aorticOpen >= 0)
        text += QStringLiteral(" The aortic valve opens at %1 s (point 2).").arg(at(ev.aorticOpen));
    if (ev.aorticClose >= 0)
        text += QStringLiteral(" The aortic valve closes at %1 s (point 4).").arg(at(ev.aorticClose));
    if (ev.mitralOpen >= 0)
        text += QStringLiteral(" The mitral valve opens at %1 s (point 5).").arg(at(ev.mitralOpen));
    setAccessibleDescription(text + cursorKeys());
    markStale();
    update();
}

void TimeChart::paint(QPainter &painter)
{
    layout_ = paintTimeContent(painter, timeFigure(session_), style(), size(), this);
}

void TimeChart::paintCursor(QPainter &painter, const Sample &at)
{
    paintTimeCursor(painter, layout_, at, style());
}

void TimeChart::drawFigure(QPainter &painter, QSize size)
{
    paintTimeChart(painter, timeFigure(session_, cursor()), style(), size);
}

int TimeChart::sampleAt(QPointF at, const BeatCursor &cursor) const
{
    if (layout_.upper.isEmpty())
        return -1;
    const Beat &beat = cursor.beat();
    const AxisRange &time = layout_.time;
    const double t = time.min + (at.x() - layout_.upper.left()) / layout_.upper.width() * (time.max - time.min);
    const int last = static_cast<int>(beat.samples.size()) - 1;
    return std::clamp(static_cast<int>(std::lround(t / beat.step)), 0, last);
}

QString TimeChart::pictureKey(const Beat &beat, bool transient) const
{
    return QStringLiteral("%1x%2 %3 %4 %5 ")
               .arg(width())
               .arg(height())
               .arg(devicePixelRatioF())
               .arg(zoom_)
               .arg(transient) +
        parametersKey(session_.current().parameters) + beatKey(beat);
}

bool TimeChart::prepareNextBeat()
{
    finishDrawing();
    const Transient *transient = session_.playingTransient();
    const int shown = session_.transientBeat();
    if (!transient || shown >= static_cast<int>(transient->beats.size()) || !isVisible())
        return false;
    const Beat &next = transient->beats[static_cast<std::size_t>(shown)];
    const QString key = pictureKey(next, true);
    if (key == preparedKey_)
        return false;
    if (prepared_.size() != pixelSize())
        prepared_ = drawing::canvas(pixelSize(), QImage::Format_RGB32);
    prepared_.setDevicePixelRatio(devicePixelRatioF());
    {
        QPainter chart(&prepared_);
        chart.setRenderHint(QPainter::Antialiasing);
        chart.setRenderHint(QPainter::TextAntialiasing);
        preparedLayout_ = paintTimeContent(chart, timeFigure(session_, nullptr, &next), style(), size(), this);
    }
    preparedKey_ = key;
    return true;
}

bool TimeChart::hasPrepared() const
{
    return !preparedKey_.isEmpty() && preparedKey_ == pictureKey(session_.shownBeat(), session_.transientBeat() > 0);
}

bool TimeChart::takePrepared(QImage &content)
{
    if (!hasPrepared() || prepared_.size() != content.size())
        return false;
    std::swap(content, prepared_);
    layout_ = preparedLayout_;
    preparedKey_.clear();
    return true;
}

} // namespace valthera::lab
