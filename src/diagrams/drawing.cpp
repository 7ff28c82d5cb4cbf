#include "diagrams/drawing.h"

#include "ui/look.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPaintEngine>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace valthera::drawing {

QFont arialPixels(double pixels, bool bold)
{
    QFont font = look::arial(look::kOrdinaryPointSize, bold);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    return font;
}

namespace {

// Points to a run when a long line is drawn in runs.
constexpr qsizetype kRun = 48;

// Memory the canvas store keeps unused at most: a few full-screen charts, so
// both charts of the lab find memory for every zoom size after the first visit.
constexpr qsizetype kKeptBytes = 24 << 20;

// Each block starts with its capacity and how much of it has been written
// (the rest may still be pages never touched); the pixels follow, aligned for
// SIMD.
constexpr qsizetype kHeader = 64;
constexpr qsizetype kPage = 4096;

class CanvasStore {
public:
    static CanvasStore &instance()
    {
        // Never destroyed: an image may let go of its block after exit began.
        static auto *store = new CanvasStore;
        return *store;
    }

    // A kept block that holds `bytes`, one written that far first, the
    // smallest; or a new one. The canvas is drawn on whole, so it counts as
    // written.
    uchar *take(qsizetype bytes)
    {
        uchar *block = nullptr;
        {
            const std::lock_guard lock(mutex_);
            block = takeKept(bytes, [bytes](const uchar *a, const uchar *b) {
                const bool aWritten = written(a) >= bytes, bWritten = written(b) >= bytes;
                return aWritten != bWritten ? aWritten : capacity(a) < capacity(b);
            });
        }
        if (!block)
            block = allocate(bytes);
        if (block)
            setWritten(block, std::max(written(block), bytes));
        return block;
    }

    // Unless a kept block already holds `bytes` written, writes a kept one
    // (the one with least left to write) or a new one that far, and keeps it.
    void ready(qsizetype bytes)
    {
        uchar *block = nullptr;
        {
            const std::lock_guard lock(mutex_);
            for (const uchar *kept : free_) {
                if (capacity(kept) >= bytes && written(kept) >= bytes)
                    return;
            }
            block = takeKept(bytes, [](const uchar *a, const uchar *b) { return written(a) > written(b); });
        }
        if (!block)
            block = allocate(bytes);
        if (!block)
            return;
        // A byte a page brings each page in; the kernel clears it.
        for (qsizetype at = written(block) / kPage * kPage; at < bytes; at += kPage)
            block[kHeader + at] = 0;
        setWritten(block, bytes);
        give(block);
    }

    // Kept for the next canvas; the longest unused go when too many are kept.
    void give(uchar *block)
    {
        std::vector<uchar *> dropped;
        {
            const std::lock_guard lock(mutex_);
            free_.push_back(block);
            keptBytes_ += capacity(block);
            while (keptBytes_ > kKeptBytes) {
                keptBytes_ -= capacity(free_.front());
                dropped.push_back(free_.front());
                free_.erase(free_.begin());
            }
        }
        for (uchar *old : dropped)
            std::free(old);
    }

private:
    static qsizetype capacity(const uchar *block) { return reinterpret_cast<const qsizetype *>(block)[0]; }
    static qsizetype written(const uchar *block) { return reinterpret_cast<const qsizetype *>(block)[1]; }
    static void setWritten(uchar *block, qsizetype bytes) { reinterpret_cast<qsizetype *>(block)[1] = bytes; }

    static uchar *allocate(qsizetype bytes)
    {
        // Room to grow: the next, larger size writes only its extra pages
        // fresh, and pages never written take no memory.
        const qsizetype capacity = (bytes + bytes / 2 + kHeader - 1) / kHeader * kHeader;
        auto *block = static_cast<uchar *>(std::aligned_alloc(kHeader, static_cast<std::size_t>(kHeader + capacity)));
        if (block) {
            reinterpret_cast<qsizetype *>(block)[0] = capacity;
            setWritten(block, 0);
        }
        return block;
    }

    // The kept block holding `bytes` that `better` puts first, out of the
    // store; the caller holds the lock.
    template <typename Better> uchar *takeKept(qsizetype bytes, Better better)
    {
        auto best = free_.end();
        for (auto it = free_.begin(); it != free_.end(); ++it) {
            if (capacity(*it) >= bytes && (best == free_.end() || better(*it, *best)))
                best = it;
        }
        if (best == free_.end())
            return nullptr;
        uchar *block = *best;
        keptBytes_ -= capacity(block);
        free_.erase(best);
        return block;
    }

    std::mutex mutex_;
    std::vector<uchar *> free_; // longest unused first
    qsizetype keptBytes_ = 0;
};

void giveBack(void *block)
{
    CanvasStore::instance().give(static_cast<uchar *>(block));
}

} // namespace

QPolygonF simplified(const QPolygonF &line, double tolerance)
{
    const qsizetype n = line.size();
    if (n < 3)
        return line;
    // Each span keeps the point farthest from its chord, where that is beyond
    // the tolerance, and is split there.
    std::vector<char> keep(static_cast<std::size_t>(n), 0);
    keep.front() = keep.back() = 1;
    std::vector<std::pair<qsizetype, qsizetype>> spans{{0, n - 1}};
    const double limit = tolerance * tolerance;
    while (!spans.empty()) {
        const auto [first, last] = spans.back();
        spans.pop_back();
        const QPointF from = line[first];
        const QPointF chord = line[last] - from;
        const double length = QPointF::dotProduct(chord, chord);
        double farthest = limit;
        qsizetype at = -1;
        for (qsizetype i = first + 1; i < last; ++i) {
            // From the chord as a segment, not a line: a curve that turns back
            // past the chord's end keeps its turn.
            const QPointF v = line[i] - from;
            const double t = length > 0 ? std::clamp(QPointF::dotProduct(v, chord) / length, 0.0, 1.0) : 0.0;
            const QPointF off = v - t * chord;
            if (const double d = QPointF::dotProduct(off, off); d > farthest) {
                farthest = d;
                at = i;
            }
        }
        if (at >= 0) {
            keep[static_cast<std::size_t>(at)] = 1;
            spans.push_back({first, at});
            spans.push_back({at, last});
        }
    }
    QPolygonF kept;
    for (qsizetype i = 0; i < n; ++i) {
        if (keep[static_cast<std::size_t>(i)])
            kept.append(line[i]);
    }
    return kept;
}

namespace {

// Rows as QImage lays them out: whole 32-bit words.
qsizetype rowBytes(QSize pixels, QImage::Format format)
{
    const qsizetype depth = QImage::toPixelFormat(format).bitsPerPixel();
    return (pixels.width() * depth + 31) / 32 * 4;
}

} // namespace

QImage canvas(QSize pixels, QImage::Format format)
{
    if (pixels.isEmpty())
        return QImage();
    const qsizetype row = rowBytes(pixels, format);
    uchar *block = CanvasStore::instance().take(row * pixels.height());
    if (!block)
        return QImage(pixels, format);
    return QImage(block + kHeader, pixels.width(), pixels.height(), row, format, giveBack, block);
}

void readyCanvas(QSize pixels, QImage::Format format)
{
    if (!pixels.isEmpty())
        CanvasStore::instance().ready(rowBytes(pixels, format) * pixels.height());
}

// In runs of kRun segments, each overlapping the next by one segment. The
// raster engine's work on one stroke grows much faster than its length: a
// beat's curve across a full-screen chart took four times as long in one piece
// as in runs. Where runs overlap, an opaque pen covers the line twice, which
// shows only as a barely heavier edge pixel; a dashed pen's pattern goes on
// from run to run. A translucent pen, whose overlaps would show, draws the
// line whole.
void curve(QPainter &painter, const QPolygonF &line, bool closed)
{
    const QPen pen = painter.pen();
    // A vector figure (a saved SVG) keeps each line one path, as a teacher
    // editing it would expect; only the raster engine gains from runs.
    const bool raster = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster;
    const bool inRuns = raster && pen.style() != Qt::NoPen && pen.brush().style() == Qt::SolidPattern &&
        pen.color().alpha() == 255 && painter.compositionMode() == QPainter::CompositionMode_SourceOver &&
        (!closed || painter.brush().style() == Qt::NoBrush) && line.size() > 2 * kRun;
    if (!inRuns) {
        if (closed)
            painter.drawPolygon(line);
        else
            painter.drawPolyline(line);
        return;
    }
    QPolygonF path = line;
    if (closed)
        path << line[0] << line[1]; // round to the start, and on over the first segment
    const bool dashed = pen.style() != Qt::SolidLine;
    const double unit = pen.widthF() > 0 ? pen.widthF() : 1; // a dash pattern's unit
    double along = 0; // from the line's start to the run's, for the pattern
    for (qsizetype from = 0; from + 1 < path.size(); from += kRun) {
        const qsizetype count = std::min(kRun + 2, path.size() - from);
        if (dashed) {
            QPen run = pen;
            run.setDashOffset(pen.dashOffset() + along / unit);
            painter.setPen(run);
            for (qsizetype i = from; i < from + kRun && i + 1 < path.size(); ++i)
                along += QLineF(path[i], path[i + 1]).length();
        }
        painter.drawPolyline(path.constData() + from, static_cast<int>(count));
    }
    painter.setPen(pen);
}

void arrow(QPainter &painter, QPointF from, QPointF to, double width, double headLength)
{
    const QColor colour = painter.pen().color();
    const QLineF shaft(from, to);
    if (shaft.length() <= 0)
        return;
    const QLineF unit = shaft.unitVector();
    const QPointF direction(unit.dx(), unit.dy());
    const QPointF normal(-direction.y(), direction.x());
    const QPointF base = to - direction * headLength;
    const double half = headLength * 0.45;

    painter.save();
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(from, base);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(QPolygonF{{to, base + normal * half, base - normal * half}});
    painter.restore();
}

void centredText(QPainter &painter, QPointF centre, const QString &text)
{
    const QFontMetricsF metrics(painter.font());
    const double width = metrics.horizontalAdvance(text);
    painter.drawText(QPointF(centre.x() - width / 2, centre.y() + (metrics.ascent() - metrics.descent()) / 2), text);
}

void annotate(QPainter &painter, const Annotation &note, const AnnotationStyle &style)
{
    const auto place = [&style](QPointF at) { return style.place ? style.place(at) : at; };
    const double s = style.scale;
    painter.setPen(note.colour);
    painter.setFont(arialPixels(note.pixels * s, true));
    const QFontMetricsF metrics(painter.font());
    QPointF at = place(note.textAt) + QPointF(0, metrics.ascent());
    for (qsizetype i = 0; i < note.lines.size(); ++i) {
        if (i + 1 == note.lines.size() && note.lastLine.isValid())
            painter.setPen(note.lastLine);
        painter.drawText(at, note.lines.at(i));
        at.ry() += metrics.height();
    }
    if (note.arrow) {
        painter.setPen(note.colour);
        arrow(painter, place(note.arrow->p1()), place(note.arrow->p2()), style.arrowWidth * s, style.headLength * s);
    }
}

} // namespace valthera::drawing
