// valthera-render [--scale S] OUTDIR: draws every picture at the size of its box
// and every registered screen into PNG files.
//   Without --scale, each at device pixel ratio 1 and 2:
//     OUTDIR/pictures/<name>@1x.png, @2x.png
//     OUTDIR/screens/<name>@1x.png, @2x.png
//   With --scale S, the whole program runs at screen scale S (as QT_SCALE_FACTOR
//   would make it) and every screen is grabbed as the display would show it:
//     OUTDIR/pictures/<name>@<S>x.png, OUTDIR/screens/<name>@<S>x.png
//   With --zoom P (a zoom step in percent), the program runs at that zoom and
//   only the screens are grabbed, on a screen enlarged by the zoom so the whole
//   of each window shows: OUTDIR/screens/<name>@zoom<P>.png
//   With --readme DIR, the README's screenshots: every screen at scale 1 as
//   DIR/<name>.png, then the Loop Lab in each state of tools/labstates.cpp.
//   ./dev.sh screenshots runs it on docs/screenshots.
// Runs offscreen (QT_QPA_PLATFORM=offscreen) so it works without a display; the
// offscreen screen is then made 1024 x 768 device-independent pixels at every
// scale, so maximized screens keep one size whatever the scale.

#include "app/program.h"
#include "diagrams/pictures.h"
#include "lab/looplabwindow.h"
#include "labstates.h"
#include "ui/zoom.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTextStream>
#include <QWidget>

namespace {

bool save(const QImage &image, const QString &path)
{
    if (image.save(path))
        return true;
    QTextStream(stderr) << "cannot write " << path << '\n';
    return false;
}

QImage renderPicture(valthera::PictureId id, qreal ratio)
{
    const QSize size = valthera::pictureDesignSize(id);
    QImage image((QSizeF(size) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    valthera::paintPicture(id, painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

QImage renderWidget(QWidget *widget, int ratio)
{
    QImage image(widget->size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    widget->render(&image);
    return image;
}

constexpr QSize kLabShotSize(1280, 1024);

// The README's pictures: each screen as it opens, then the lab in each of its states.
bool renderReadme(valthera::Program &program, const QDir &out)
{
    auto &registry = program.registry();
    const QString labName = QStringLiteral("LoopLab");
    bool ok = true;
    for (const QString &name : registry.names()) {
        if (name == labName)
            continue; // among the lab's states
        QWidget *window = registry.show(name);
        if (!window)
            continue;
        QApplication::processEvents();
        ok = save(window->grab().toImage(), out.filePath(name + QStringLiteral(".png"))) && ok;
    }
    for (const LabState &state : labStates()) {
        // Each state from a lab just opened, as a student would come to it.
        if (QWidget *open = registry.find(labName)) {
            open->close();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        auto *lab = qobject_cast<valthera::LoopLabWindow *>(registry.show(labName));
        if (!lab) {
            QTextStream(stderr) << "the Loop Lab did not open\n";
            return false;
        }
        // Drawn as on a screen with room for every measure; the lessons keep the 1024 x 768 one.
        lab->setWindowState(Qt::WindowNoState);
        lab->resize(kLabShotSize);
        settleLab(*lab);
        state.setUp(*lab);
        ok = save(lab->grab().toImage(), out.filePath(QString::fromLatin1(state.file) + QStringLiteral(".png"))) && ok;
    }
    return ok;
}

} // namespace

QString ratioName(qreal ratio)
{
    return QString::number(ratio, 'g', 3) + QLatin1Char('x');
}

// An offscreen screen of 1024 x 768 device-independent pixels at scale, so the
// maximized screens are laid out alike at every scale. Does nothing on a real display.
void sizeOffscreenScreen(qreal scale, const QString &configPath, qreal zoom = 1)
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform != "offscreen")
        return;
    QFile config(configPath);
    if (!config.open(QIODevice::WriteOnly))
        return;
    config.write(QStringLiteral(R"({"screens":[{"name":"render","x":0,"y":0,"width":%1,"height":%2,"logicalDpi":96}]})")
                     .arg(qRound(1024 * scale * zoom))
                     .arg(qRound(768 * scale * zoom))
                     .toUtf8());
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + configPath.toLocal8Bit());
}

int main(int argc, char **argv)
{
    // The scale must be known before the application starts.
    qreal scale = 0; // 0: no scale given
    int zoom = 0; // 0: no zoom given
    QString outPath;
    bool readme = false;
    bool usable = true;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--scale" && i + 1 < argc) {
            scale = QByteArray(argv[++i]).toDouble();
            usable = usable && scale >= 0.5 && scale <= 4;
        } else if (arg == "--zoom" && i + 1 < argc) {
            zoom = QByteArray(argv[++i]).toInt();
            usable =
                usable && std::count(valthera::look::Zoom::kSteps.begin(), valthera::look::Zoom::kSteps.end(), zoom);
        } else if (arg == "--readme") {
            readme = true;
        } else if (outPath.isEmpty() && !arg.startsWith("--")) {
            outPath = QString::fromLocal8Bit(arg);
        } else {
            usable = false; // an unknown option or a second directory
        }
    }
    if (outPath.isEmpty() || !usable || (readme && (scale > 0 || zoom > 0))) {
        QTextStream(stderr) << "usage: valthera-render [--scale S] [--zoom P] OUTDIR   (S from 0.5 to 4, P a zoom "
                               "step: 50, 67, 80, 90, 100, 110, 125, 150, 175, 200, 250 or 300)\n"
                               "       valthera-render --readme DIR   (the README's screenshots, at scale 1)\n";
        return 2;
    }
    if (readme)
        scale = 1;
    if (scale > 0 || zoom > 0) {
        if (scale > 0)
            qputenv("QT_SCALE_FACTOR", QByteArray::number(scale));
        sizeOffscreenScreen(scale > 0 ? scale : 1, QDir::temp().filePath(QStringLiteral("valthera-render-screen.json")),
            zoom > 0 ? zoom / 100.0 : 1);
    }
    QApplication app(argc, argv);
    const QDir out(outPath);
    if (readme) {
        if (!out.mkpath(QStringLiteral("."))) {
            QTextStream(stderr) << "cannot create " << out.path() << '\n';
            return 1;
        }
        valthera::Program program;
        program.registry().setQuitHandler([] {});
        const bool ok = renderReadme(program, out);
        program.registry().endSession();
        return ok ? 0 : 1;
    }
    if (!out.mkpath(QStringLiteral("pictures")) || !out.mkpath(QStringLiteral("screens"))) {
        QTextStream(stderr) << "cannot create " << out.path() << '\n';
        return 1;
    }

    valthera::Program program;
    bool ok = true;
    const QList<qreal> ratios = scale > 0 ? QList<qreal>{scale} : QList<qreal>{1, 2};
    if (zoom > 0)
        valthera::look::Zoom::instance().setPercent(zoom);
    for (valthera::PictureId id : valthera::allPictures()) {
        if (zoom > 0)
            break;
        for (qreal ratio : ratios) {
            const QString file = QStringLiteral("pictures/%1@%2.png").arg(valthera::pictureName(id), ratioName(ratio));
            ok = save(renderPicture(id, ratio), out.filePath(file)) && ok;
        }
    }

    auto &registry = program.registry();
    registry.setQuitHandler([] {});
    for (const QString &name : registry.names()) {
        QWidget *window = registry.show(name);
        if (!window)
            continue;
        QApplication::processEvents();
        if (zoom > 0) {
            const QString file = QStringLiteral("screens/%1@zoom%2.png").arg(name).arg(zoom);
            ok = save(window->grab().toImage(), out.filePath(file)) && ok;
            continue;
        }
        if (scale > 0) {
            // What the display shows: the window drawn at its own device pixel ratio.
            const QString file = QStringLiteral("screens/%1@%2.png").arg(name, ratioName(scale));
            ok = save(window->grab().toImage(), out.filePath(file)) && ok;
            continue;
        }
        for (int ratio : {1, 2}) {
            const QString file = QStringLiteral("screens/%1@%2x.png").arg(name).arg(ratio);
            ok = save(renderWidget(window, ratio), out.filePath(file)) && ok;
        }
    }
    registry.endSession();
    return ok ? 0 : 1;
}
