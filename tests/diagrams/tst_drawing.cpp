// A long line drawn in runs must look like the line drawn whole: no gap where
// two runs meet, the loop closed, a dash pattern unbroken, and a pen whose
// overlaps would show drawn exactly as one stroke. A line simplified keeps
// every point it drops within the tolerance, and its peaks. A canvas's memory
// serves the next canvas once it is let go, and never two at once; memory
// made ready for a size is written already when a canvas of it comes.

#include "diagrams/drawing.h"

#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <sys/resource.h>
#include <thread>

using namespace valthera;

namespace {

long pageFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Page faults while a canvas of this size is taken and drawn on whole.
long faultsDrawing(QSize size)
{
    const long before = pageFaults();
    QImage canvas = drawing::canvas(size, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    return pageFaults() - before;
}

// A curve like a beat's across a full-screen chart, or a loop like its P-V loop.
QPolygonF wave(bool closed)
{
    QPolygonF line;
    const int n = 700;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / n;
        line << (closed ? QPointF(400 + 300 * std::cos(2 * M_PI * t),
                              300 + 200 * std::sin(2 * M_PI * t) + 30 * std::sin(12 * M_PI * t))
                        : QPointF(20 + 760 * t, 300 + 200 * std::sin(9 * t) + 60 * std::sin(40 * t)));
    }
    return line;
}

QImage drawn(const QPolygonF &line, bool closed, const QPen &pen, bool inRuns)
{
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(pen);
    if (inRuns)
        drawing::curve(painter, line, closed);
    else if (closed)
        painter.drawPolygon(line);
    else
        painter.drawPolyline(line);
    return image;
}

int difference(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

} // namespace

class DrawingTest : public QObject {
    Q_OBJECT
private slots:
    void aCurveInRunsLooksLikeOneStroke_data()
    {
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QPen>("pen");
        QTest::newRow("curve, square caps") << false << QPen(QColor(220, 0, 0), 6);
        QTest::newRow("loop, flat caps") << true << QPen(Qt::black, 4, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin);
        QTest::newRow("thin curve") << false << QPen(Qt::black, 2);
        QTest::newRow("dashed loop") << true << QPen(Qt::gray, 2, Qt::DashLine, Qt::FlatCap, Qt::BevelJoin);
    }
    void aCurveInRunsLooksLikeOneStroke()
    {
        QFETCH(bool, closed);
        QFETCH(QPen, pen);
        const QPolygonF line = wave(closed);
        const QImage whole = drawn(line, closed, pen, false);
        const QImage runs = drawn(line, closed, pen, true);
        int apart = 0;
        for (int y = 0; y < whole.height(); ++y) {
            for (int x = 0; x < whole.width(); ++x) {
                const int d = difference(whole.pixel(x, y), runs.pixel(x, y));
                // A pixel the whole stroke covers fully is covered in runs too,
                // but for rounding where two runs' edges add up.
                if (whole.pixel(x, y) == pen.color().rgb())
                    QVERIFY2(d < 16, qPrintable(QStringLiteral("a gap at %1, %2").arg(x).arg(y)));
                apart += d > 40;
            }
        }
        // Only edge pixels where runs meet, a handful at each of some fifteen joins.
        QVERIFY2(apart < 150, qPrintable(QString::number(apart)));
    }

    void aPenWhoseOverlapsWouldShowDrawsTheLineWhole_data()
    {
        QTest::addColumn<QPen>("pen");
        QTest::newRow("translucent") << QPen(QColor(0, 0, 0, 120), 4);
        QTest::newRow("translucent, dashed") << QPen(QColor(255, 255, 255, 200), 2, Qt::DashLine);
    }
    void aPenWhoseOverlapsWouldShowDrawsTheLineWhole()
    {
        QFETCH(QPen, pen);
        for (bool closed : {false, true})
            QCOMPARE(drawn(wave(closed), closed, pen, true), drawn(wave(closed), closed, pen, false));
    }

    void aSimplifiedLineMissesNoPointByMoreThanTheTolerance()
    {
        // A beat's curve at a pixel or so a point, with a one-sample spike.
        QPolygonF line = wave(false);
        line[300].ry() -= 40;
        const double tolerance = 0.1;
        const QPolygonF kept = drawing::simplified(line, tolerance);
        QCOMPARE(kept.front(), line.front());
        QCOMPARE(kept.back(), line.back());
        QVERIFY(kept.contains(line[300]));
        QVERIFY2(kept.size() < line.size() / 2, qPrintable(QString::number(kept.size())));
        // A trace that runs on and comes half way back keeps where it turned.
        QPolygonF turn;
        for (int i = 0; i <= 100; ++i)
            turn << QPointF(i, 0);
        for (int i = 99; i >= 50; --i)
            turn << QPointF(i, 0);
        QCOMPARE(drawing::simplified(turn, tolerance), QPolygonF({QPointF(0, 0), QPointF(100, 0), QPointF(50, 0)}));
        // Every point of the line lies within the tolerance of some segment kept.
        for (const QPointF &p : line) {
            double nearest = 1e9;
            for (qsizetype i = 0; i + 1 < kept.size(); ++i) {
                const QPointF d = kept[i + 1] - kept[i];
                const double length = QPointF::dotProduct(d, d);
                const double t = length > 0 ? std::clamp(QPointF::dotProduct(p - kept[i], d) / length, 0.0, 1.0) : 0;
                const QPointF off = p - kept[i] - t * d;
                nearest = std::min(nearest, std::sqrt(QPointF::dotProduct(off, off)));
            }
            QVERIFY2(nearest <= tolerance + 1e-9, qPrintable(QStringLiteral("%1, %2").arg(p.x()).arg(p.y())));
        }
    }

    void aCanvasTakesMemoryLetGoAndNeverMemoryInUse()
    {
        QImage first = drawing::canvas(QSize(640, 480), QImage::Format_RGB32);
        QCOMPARE(first.size(), QSize(640, 480));
        QCOMPARE(first.bytesPerLine(), QImage(640, 480, QImage::Format_RGB32).bytesPerLine());
        first.fill(Qt::red);
        // Odd widths of a narrower format keep QImage's row layout.
        QImage narrow = drawing::canvas(QSize(33, 7), QImage::Format_Grayscale8);
        QCOMPARE(narrow.bytesPerLine(), QImage(33, 7, QImage::Format_Grayscale8).bytesPerLine());
        narrow.fill(0);

        QImage second = drawing::canvas(QSize(600, 400), QImage::Format_RGB32);
        QVERIFY(second.constBits() != first.constBits());
        second.fill(Qt::blue);
        QCOMPARE(first.pixel(639, 479), qRgb(255, 0, 0));

        // Let go on another thread, as a chart's picture may be.
        const uchar *memory = first.constBits();
        std::thread([image = std::move(first)]() mutable { image = QImage(); }).join();
        QImage third = drawing::canvas(QSize(500, 300), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(third.constBits(), memory);
        // A copy drawn on leaves the canvas as it was.
        QImage copy = third;
        third.fill(Qt::transparent);
        copy.fill(Qt::green);
        QCOMPARE(third.pixel(0, 0), qRgba(0, 0, 0, 0));
        QCOMPARE(copy.pixel(0, 0), qRgb(0, 255, 0));
    }

    void memoryMadeReadyTakesNoPageFaults()
    {
        // A kept block with room, written only partly, is written on.
        QImage smaller = drawing::canvas(QSize(1000, 1000), QImage::Format_RGB32);
        smaller.fill(Qt::black);
        smaller = QImage();
        drawing::readyCanvas(QSize(1100, 1200), QImage::Format_RGB32);
        QVERIFY(faultsDrawing(QSize(1100, 1200)) < 50);
        // Readying again what is kept ready costs nothing.
        const long before = pageFaults();
        drawing::readyCanvas(QSize(1100, 1200), QImage::Format_RGB32);
        QVERIFY(pageFaults() - before < 5);
        // Fresh memory for a large picture faults a page at a time (about
        // 2,000 pages here): what the readying spares a frame.
        QVERIFY(faultsDrawing(QSize(1500, 1400)) > 500);
    }
};

QTEST_MAIN(DrawingTest)
#include "tst_drawing.moc"
