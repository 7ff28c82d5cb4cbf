// valthera-render OUTDIR: draws every picture at the size of its box and every
// registered screen, each at device pixel ratio 1 and 2, into PNG files:
//   OUTDIR/pictures/<name>@1x.png, @2x.png
//   OUTDIR/screens/<name>@1x.png, @2x.png
// Runs offscreen (QT_QPA_PLATFORM=offscreen) so it works without a display.

#include "app/program.h"
#include "diagrams/pictures.h"

#include <QApplication>
#include <QDir>
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

QImage renderPicture(valthera::PictureId id, int ratio)
{
    const QSize size = valthera::pictureDesignSize(id);
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
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

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: valthera-render OUTDIR\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("pictures")) || !out.mkpath(QStringLiteral("screens"))) {
        QTextStream(stderr) << "cannot create " << out.path() << '\n';
        return 1;
    }

    valthera::Program program;
    bool ok = true;
    for (valthera::PictureId id : valthera::allPictures()) {
        for (int ratio : {1, 2}) {
            const QString file = QStringLiteral("pictures/%1@%2x.png").arg(valthera::pictureName(id)).arg(ratio);
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
        for (int ratio : {1, 2}) {
            const QString file = QStringLiteral("screens/%1@%2x.png").arg(name).arg(ratio);
            ok = save(renderWidget(window, ratio), out.filePath(file)) && ok;
        }
    }
    registry.endSession();
    return ok ? 0 : 1;
}
