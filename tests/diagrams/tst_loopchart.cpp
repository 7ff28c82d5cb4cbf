// Charts drawn from the table: loop points land where the axes say, the plot
// sits where the frame says, and painting at a higher pixel ratio draws finer.
#include "ui/look.h"
#include "diagrams/loopchart.h"
#include "diagrams/picturebox.h"
#include "diagrams/pictures.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

using namespace valthera;

Q_DECLARE_METATYPE(valthera::PictureId)

namespace {

QImage render(PictureId id, QSize size, qreal ratio = 1)
{
    QImage image((QSizeF(size) * ratio).toSize(), QImage::Format_ARGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    paintPicture(id, painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

QColor at(const QImage &image, QPointF logical)
{
    const qreal r = image.devicePixelRatio();
    return image.pixelColor(qFloor(logical.x() * r), qFloor(logical.y() * r));
}

bool isBlack(const QColor &c)
{
    return c.red() < 60 && c.green() < 60 && c.blue() < 60;
}
bool isRed(const QColor &c)
{
    return c.red() > 200 && c.green() < 60 && c.blue() < 60;
}
bool isGreen(const QColor &c)
{
    return c.red() < 40 && c.green() > 220 && c.blue() < 40;
}
bool isBlue(const QColor &c)
{
    return c == look::windowBlue();
}

// A filled marker, not just a corner of the loop line: its colour all round
// the centre, out beyond the line's half width.
template <typename Test> bool discAt(const QImage &image, QPointF centre, double radius, Test test)
{
    for (int k = 0; k < 8; ++k) {
        const double angle = k * M_PI / 4 + M_PI / 8;
        const QPointF p = centre + radius * QPointF(std::cos(angle), std::sin(angle));
        if (!test(image.pixelColor(qFloor(p.x() * image.devicePixelRatio()), qFloor(p.y() * image.devicePixelRatio()))))
            return false;
    }
    return true;
}

// Whether any pixel within `radius` logical pixels of a place passes the test.
template <typename Test> bool near(const QImage &image, QPointF logical, double radius, Test test)
{
    for (double dx = -radius; dx <= radius; dx += 0.5)
        for (double dy = -radius; dy <= radius; dy += 0.5) {
            const QPointF p = logical + QPointF(dx, dy);
            if (p.x() >= 0 && p.y() >= 0 && p.x() < image.deviceIndependentSize().width() &&
                p.y() < image.deviceIndependentSize().height() && test(at(image, p)))
                return true;
        }
    return false;
}

} // namespace

class TestLoopChart : public QObject {
    Q_OBJECT

private slots:
    void frameFollowsAxes_data();
    void frameFollowsAxes();
    void markersWhereAxesPut_data();
    void markersWhereAxesPut();
    void gridAndSurround();
    void pipLinesRunThroughPointFour();
    void wideVolumeAxisMovesLoopLeft();
    void descriptions();
    void sharpAtDoubleRatio();
};

void TestLoopChart::frameFollowsAxes_data()
{
    QTest::addColumn<PictureId>("id");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("volumeMax");
    QTest::newRow("lesson chart") << PictureId::Afterload100 << QSize(393, 307) << 130.0;
    QTest::newRow("tall basics chart") << PictureId::BasicsControl << QSize(373, 411) << 130.0;
    QTest::newRow("low contractility chart") << PictureId::Contractility75 << QSize(393, 281) << 130.0;
    QTest::newRow("wide axis") << PictureId::Preload140 << QSize(393, 307) << 160.0;
}

void TestLoopChart::frameFollowsAxes()
{
    QFETCH(PictureId, id);
    QFETCH(QSize, size);
    QFETCH(double, volumeMax);
    const LoopChart chart = chartFor(id);
    const QRectF target(QPointF(0, 0), QSizeF(size));
    const ChartFrame frame = chart.frame(target);

    QCOMPARE(frame.volumeMax, volumeMax);
    QCOMPARE(frame.pressureMax, 160.0);
    QCOMPARE(frame.map(0, 0), frame.plot.bottomLeft());
    QCOMPARE(frame.map(volumeMax, 160), frame.plot.topRight());
    QVERIFY(target.contains(frame.plot));
    // The plot takes most of the box whatever its shape, leaving room for the labels.
    QVERIFY(frame.plot.width() > 0.75 * size.width());
    QVERIFY(frame.plot.height() > 0.65 * size.height());
    QVERIFY(frame.plot.left() > 40 * frame.scale && frame.plot.top() > 20 * frame.scale);

    // Just inside each plot corner is the green area, just outside is the blue surround.
    const QImage image = render(id, size);
    const QRectF plot = frame.plot;
    const double in = 3, out = 3.5;
    for (const QPointF &corner : {plot.topLeft(), plot.topRight(), plot.bottomLeft(), plot.bottomRight()}) {
        const QPointF inward((corner.x() < plot.center().x() ? in : -in), (corner.y() < plot.center().y() ? in : -in));
        QVERIFY2(isGreen(at(image, corner + inward)),
            qPrintable(QStringLiteral("inside corner %1,%2").arg(corner.x()).arg(corner.y())));
    }
    QVERIFY(isBlue(at(image, plot.topRight() + QPointF(out, -out))));
    QVERIFY(isBlue(at(image, plot.topLeft() + QPointF(-out - 3, -out))));
    QVERIFY(isBlue(at(image, QPointF(size.width() - 1, size.height() - 1))));
    QVERIFY(isBlue(at(image, QPointF(1, 1))));
}

void TestLoopChart::markersWhereAxesPut_data()
{
    QTest::addColumn<PictureId>("id");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("changed"); // -1: control only
    QTest::newRow("control") << PictureId::AfterloadControl << QSize(393, 307) << -1;
    QTest::newRow("basics tall") << PictureId::BasicsControl << QSize(373, 411) << -1;
    QTest::newRow("afterload 90") << PictureId::Afterload90 << QSize(393, 307) << int(LoopId::Afterload90);
    QTest::newRow("afterload 100") << PictureId::Afterload100 << QSize(393, 307) << int(LoopId::Afterload100);
    QTest::newRow("preload 100") << PictureId::Preload100 << QSize(393, 307) << int(LoopId::Preload100);
    QTest::newRow("preload 140 window") << PictureId::IncreasedPreload << QSize(393, 307) << int(LoopId::Preload140);
    QTest::newRow("contractility 125") << PictureId::Contractility125 << QSize(393, 281)
                                       << int(LoopId::Contractility125);
    QTest::newRow("contractility 75") << PictureId::Contractility75 << QSize(393, 281) << int(LoopId::Contractility75);
    QTest::newRow("big box") << PictureId::PipLine << QSize(800, 620) << int(LoopId::Afterload100);
    // The rest of the charts, each at the size of its box.
    QTest::newRow("preload control") << PictureId::PreloadControl << QSize(393, 307) << -1;
    QTest::newRow("preload 140") << PictureId::Preload140 << QSize(393, 307) << int(LoopId::Preload140);
    QTest::newRow("contractility control") << PictureId::ContractilityControl << QSize(393, 281) << -1;
    QTest::newRow("afterload window") << PictureId::IncreasedAfterload << QSize(393, 307) << int(LoopId::Afterload100);
    QTest::newRow("contractility window")
        << PictureId::IncreasedContractility << QSize(393, 307) << int(LoopId::Contractility125);
    QTest::newRow("PIP line window") << PictureId::PipLine << QSize(393, 307) << int(LoopId::Afterload100);
}

void TestLoopChart::markersWhereAxesPut()
{
    QFETCH(PictureId, id);
    QFETCH(QSize, size);
    QFETCH(int, changed);
    const ChartFrame frame = chartFor(id).frame(QRectF(QPointF(0, 0), QSizeF(size)));
    const QImage image = render(id, size);

    const LoopGeometry *red = changed >= 0 ? &loopGeometry(static_cast<LoopId>(changed)) : nullptr;
    // Whether the red loop (line or marker) is drawn over a place of the chart.
    const auto coveredByRed = [&](QPointF place) {
        if (!red)
            return false;
        const double reach = 6 * frame.scale;
        for (int n = 1; n <= 5; ++n) {
            const QPointF a = frame.map(red->point(n));
            const QPointF b = frame.map(red->point(n % 5 + 1));
            const QPointF ab = b - a;
            const double t = std::clamp(QPointF::dotProduct(place - a, ab) / QPointF::dotProduct(ab, ab), 0.0, 1.0);
            const QPointF d = place - (a + ab * t);
            if (std::hypot(d.x(), d.y()) < reach)
                return true;
        }
        return false;
    };
    // Black marker centres of the control loop, with their white rim, unless red lies over them.
    int blackSeen = 0;
    for (int n = 1; n <= 5; ++n) {
        const QPointF place = frame.map(loopGeometry(LoopId::Control).point(n));
        if (coveredByRed(place))
            continue;
        const QColor c = at(image, place);
        QVERIFY2(isBlack(c), qPrintable(QStringLiteral("control point %1: %2").arg(n).arg(c.name())));
        QVERIFY2(
            discAt(image, place, 2.4 * frame.scale, isBlack), qPrintable(QStringLiteral("control marker %1").arg(n)));
        QVERIFY(near(
            image, place, 6 * frame.scale, [](const QColor &q) { return q.lightness() > 230 && q.saturation() < 40; }));
        ++blackSeen;
    }
    QVERIFY(blackSeen >= 1);
    if (red) {
        for (int n = 1; n <= 5; ++n)
            QVERIFY2(isRed(at(image, frame.map(red->point(n)))) &&
                    discAt(image, frame.map(red->point(n)), 2.4 * frame.scale, isRed),
                qPrintable(QStringLiteral("changed point %1").arg(n)));
    }
    // Between markers, the segment 2 -> 3 of the loop on top is drawn along its line.
    const LoopGeometry &top = red ? *red : loopGeometry(LoopId::Control);
    const LoopPoint mid{
        (top.point(2).volume + top.point(3).volume) / 2, (top.point(2).pressure + top.point(3).pressure) / 2};
    QVERIFY(near(image, frame.map(mid), 0.5, red ? isRed : isBlack));
    // And an empty place of the plot stays green.
    QVERIFY(isGreen(at(image, frame.map(125, 150))));
}

void TestLoopChart::gridAndSurround()
{
    const QSize size(393, 307);
    const ChartFrame frame = chartFor(PictureId::AfterloadControl).frame(QRectF(QPointF(0, 0), QSizeF(size)));
    const QImage image = render(PictureId::AfterloadControl, size);
    // A thin black line over green, possibly spread over two rows by antialiasing.
    const auto gridLine = [](const QColor &c) { return c.red() < 40 && c.blue() < 40 && c.green() < 150; };
    for (int p = 20; p < 160; p += 20) {
        QVERIFY2(near(image, frame.map(5, p), 1, gridLine), qPrintable(QStringLiteral("grid at %1").arg(p)));
        QVERIFY(isGreen(at(image, frame.map(5, p + 10))));
    }
    // White labels and titles stand on the blue surround, left of and under the plot.
    const auto white = [](const QColor &c) { return c.red() > 200 && c.green() > 200 && c.blue() > 200; };
    int whiteLeft = 0, whiteBelow = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < int(frame.plot.left()) - 3; ++x)
            whiteLeft += white(image.pixelColor(x, y));
    for (int y = int(frame.plot.bottom()) + 3; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            whiteBelow += white(image.pixelColor(x, y));
    QVERIFY(whiteLeft > 300);
    QVERIFY(whiteBelow > 300);
}

void TestLoopChart::pipLinesRunThroughPointFour()
{
    const QSize size(393, 307);
    const ChartFrame frame = chartFor(PictureId::IncreasedContractility).frame(QRectF(QPointF(0, 0), QSizeF(size)));
    const QImage image = render(PictureId::IncreasedContractility, size);
    // A dotted line: count how many places along it have its colour nearby.
    const auto hits = [&](double slope, auto test) {
        int count = 0;
        for (double p = 20; p <= 90; p += 5)
            count += near(image, frame.map(p / slope, p), 1.5, test);
        return count;
    };
    QVERIFY2(hits(2.5, isRed) >= 10, "red PIP line, slope 2.5");
    QVERIFY2(hits(2.0, isBlack) >= 10, "black PIP line, slope 2");
    // Nothing dotted on a slope nobody drew.
    QCOMPARE(hits(1.2, isRed), 0);

    const ChartFrame pipFrame = chartFor(PictureId::PipLine).frame(QRectF(QPointF(0, 0), QSizeF(size)));
    const QImage pip = render(PictureId::PipLine, size);
    const auto isLineBlue = [](const QColor &c) { return c.blue() > 200 && c.red() < 60 && c.green() < 120; };
    int blue = 0;
    for (double p = 20; p <= 90; p += 5)
        blue += near(pip, pipFrame.map(p / 2, p), 1.5, isLineBlue);
    QVERIFY2(blue >= 10, "blue PIP line through point 4 of the 100 mmHg loop");
}

void TestLoopChart::wideVolumeAxisMovesLoopLeft()
{
    const QRectF target(0, 0, 393, 307);
    const ChartFrame narrow = chartFor(PictureId::AfterloadControl).frame(target);
    const ChartFrame wide = chartFor(PictureId::PreloadControl).frame(target);
    const LoopPoint &p1 = loopGeometry(LoopId::Control).point(1);
    QVERIFY(wide.map(p1).x() < narrow.map(p1).x());
    QCOMPARE(wide.map(p1).y(), narrow.map(p1).y());
    // Same values read back: 120 ml is 120/160 of the way along the wider axis.
    QVERIFY(std::abs((wide.map(p1).x() - wide.plot.left()) / wide.plot.width() - 0.75) < 1e-9);
}

void TestLoopChart::descriptions()
{
    QCOMPARE(pictureDescription(PictureId::Contractility75), QStringLiteral("Chart: Contractility = 75% of Contol"));
    QCOMPARE(pictureDescription(PictureId::PreloadControl), QStringLiteral("Chart: Control Preload = 120 ml"));
    QCOMPARE(pictureDescription(PictureId::BasicsControl), QStringLiteral("Chart: Control P-V Loop"));
    QCOMPARE(pictureDescription(PictureId::CycleSchematic), QStringLiteral("Cycle schematic"));
    QVERIFY(!isChart(PictureId::ThreePatient));
    QVERIFY(isChart(PictureId::PipLine));
    // Every picture has its own description and a box to be drawn in.
    QSet<QString> seen;
    for (PictureId id : allPictures()) {
        if (isChart(id))
            QVERIFY(pictureDescription(id).startsWith(QStringLiteral("Chart: ")));
        QVERIFY(!pictureDesignSize(id).isEmpty());
        seen.insert(pictureName(id));
    }
    QCOMPARE(seen.size(), 18);
}

void TestLoopChart::sharpAtDoubleRatio()
{
    for (PictureId id : {PictureId::BasicsControl, PictureId::CycleSchematic}) {
        const QSize size = pictureDesignSize(id);
        const QImage once = render(id, size, 1);
        const QImage twice = render(id, size, 2);
        QCOMPARE(twice.size(), once.size() * 2);

        // A box paints at the pixel ratio of its device, not from a cached bitmap.
        PictureBox box(id);
        box.resize(size);
        QImage boxed(size * 2, QImage::Format_ARGB32);
        boxed.setDevicePixelRatio(2);
        boxed.fill(Qt::magenta);
        box.render(&boxed);
        QCOMPARE(boxed.convertToFormat(QImage::Format_RGB32), twice.convertToFormat(QImage::Format_RGB32));

        // Detail below one logical pixel: many 2x2 blocks are not uniform, which
        // a scaled-up DPR-1 image would not give; and the two renderings agree at large.
        int mixedBlocks = 0;
        for (int y = 0; y + 1 < twice.height(); y += 2)
            for (int x = 0; x + 1 < twice.width(); x += 2) {
                const QRgb a = twice.pixel(x, y);
                mixedBlocks +=
                    a != twice.pixel(x + 1, y) || a != twice.pixel(x, y + 1) || a != twice.pixel(x + 1, y + 1);
            }
        QVERIFY2(mixedBlocks > 500, qPrintable(QString::number(mixedBlocks)));
        const QImage scaled = once.scaled(twice.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
        int differing = 0;
        for (int y = 0; y < twice.height(); ++y)
            for (int x = 0; x < twice.width(); ++x)
                differing += twice.pixel(x, y) != scaled.pixel(x, y);
        QVERIFY(differing > twice.width() * twice.height() / 100);
        QVERIFY(differing < twice.width() * twice.height() / 5);
    }
}

QTEST_MAIN(TestLoopChart)
#include "tst_loopchart.moc"
