// The program on a screen scaled by two: controls keep their laid-out places in
// device-independent pixels, so they cover twice the device pixels, and
// pictures and text are drawn at the full device resolution, not enlarged.

#include "app/program.h"
#include "diagrams/picturebox.h"
#include "lesson/lessonscreen.h"
#include "support/testsupport.h"
#include "ui/look.h"
#include "ui/screenregistry.h"

#include <QPainter>
#include <QPushButton>
#include <QtTest>

using namespace valthera;

namespace {

// Mean absolute difference per channel of two images of one size.
double difference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size())
        return 255;
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            sum += std::abs(qRed(p[col]) - qRed(q[col])) + std::abs(qGreen(p[col]) - qGreen(q[col])) +
                std::abs(qBlue(p[col]) - qBlue(q[col]));
        }
    }
    return sum / (3.0 * x.width() * x.height());
}

QImage paintedAt(PictureId id, QSize size, qreal ratio)
{
    QImage image((QSizeF(size) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintPicture(id, painter, QRectF(QPointF(), QSizeF(size)));
    return image;
}

} // namespace

class ScalingTest : public QObject {
    Q_OBJECT
public:
    // Runs before the application exists, as the scale must.
    static void initMain() { qputenv("QT_SCALE_FACTOR", "2"); }

private slots:
    void init()
    {
        program_ = std::make_unique<Program>();
        program_->registry().setQuitHandler([] {});
    }
    void cleanup()
    {
        program_->registry().endSession();
        testing::settle();
        program_.reset();
    }

    void controlsKeepTheirPlacesAtTwiceTheDevicePixels()
    {
        auto *lesson = qobject_cast<LessonScreen *>(program_->registry().show(QStringLiteral("LoopChangesAfterload")));
        QVERIFY(lesson);
        testing::settle();
        QCOMPARE(lesson->devicePixelRatio(), 2.0);

        // Laid out in device-independent pixels exactly as at scale 1 …
        auto *start = testing::child<QPushButton>(lesson, "Command6");
        QCOMPARE(start->geometry(), look::toPixels(lesson->lesson().layout.start));
        const QWidget *topics = testing::child<QWidget>(lesson, "basicList1");
        QCOMPARE(topics->geometry(), look::toPixels(lesson->lesson().layout.topics));

        // … so every control covers twice the device pixels each way.
        const QPixmap grabbed = start->grab();
        QCOMPARE(grabbed.devicePixelRatio(), 2.0);
        QCOMPARE(grabbed.size(), start->size() * 2);
        QCOMPARE(lesson->client()->grab().size(), lesson->client()->size() * 2);
    }

    void chartsAndTheirTextAreDrawnAtFullResolution()
    {
        auto *lesson = qobject_cast<LessonScreen *>(program_->registry().show(QStringLiteral("LoopChangesAfterload")));
        QVERIFY(lesson);
        testing::settle();
        PictureBox *box = testing::pictureOnView(lesson);
        QVERIFY(box);
        const QImage onScreen = box->grab().toImage();
        QCOMPARE(onScreen.size(), box->size() * 2);

        // The box shows the chart as drawn for two device pixels per pixel,
        // not the chart drawn at one and enlarged: enlarging blurs the lines
        // and the lettering.
        const QImage sharp = paintedAt(box->picture(), box->size(), 2);
        const QImage enlarged = paintedAt(box->picture(), box->size(), 1)
                                    .scaled(box->size() * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const double toSharp = difference(onScreen, sharp);
        const double toEnlarged = difference(onScreen, enlarged);
        QVERIFY2(toSharp * 4 < toEnlarged, qPrintable(QStringLiteral("%1 vs %2").arg(toSharp).arg(toEnlarged)));
    }

    void pictureWindowsScaleWithTheirChart()
    {
        QWidget *window = program_->registry().show(QStringLiteral("IncreasedAfterload"));
        QVERIFY(window);
        testing::settle();
        auto *box = window->findChild<PictureBox *>();
        QVERIFY(box);
        // The chart fills the window's client area, in device-independent pixels.
        QCOMPARE(box->geometry(), window->rect());
        QCOMPARE(box->grab().size(), window->size() * 2);
    }

private:
    std::unique_ptr<Program> program_;
};

QTEST_MAIN(ScalingTest)
#include "tst_scaling.moc"
