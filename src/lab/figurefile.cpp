#include "lab/figurefile.h"

#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace valthera::lab {

namespace {

using Draw = std::function<void(QPainter &, QSize)>;

QString writePng(QSaveFile &file, QSize size, const Draw &draw)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return QStringLiteral("there is not enough memory for a picture of %1 × %2 pixels")
            .arg(size.width())
            .arg(size.height());
    {
        QPainter painter(&image);
        draw(painter, size);
    }
    QImageWriter writer(&file, "png");
    if (!writer.write(image))
        return file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString();
    return {};
}

QString writeSvg(QSaveFile &file, QSize size, const FigureText &text, const Draw &draw)
{
    QSvgGenerator generator;
    generator.setOutputDevice(&file);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(text.title);
    generator.setDescription(text.description);
    QPainter painter;
    if (!painter.begin(&generator))
        return file.errorString();
    draw(painter, size);
    painter.end();
    return file.error() != QFileDevice::NoError ? file.errorString() : QString();
}

} // namespace

QString writeFigure(const QString &path, QSize size, const FigureText &text, const Draw &draw)
{
    if (size.width() < kMinFigureSide || size.height() < kMinFigureSide || size.width() > kMaxFigureSide ||
        size.height() > kMaxFigureSide)
        return QStringLiteral("a figure must be %1 to %2 pixels a side").arg(kMinFigureSide).arg(kMaxFigureSide);
    // Written beside the destination and put in its place once complete, so a
    // failure midway leaves no half-written file and no older one destroyed.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const bool svg = QFileInfo(path).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0;
    const QString error = svg ? writeSvg(file, size, text, draw) : writePng(file, size, draw);
    if (!error.isEmpty()) {
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace valthera::lab
