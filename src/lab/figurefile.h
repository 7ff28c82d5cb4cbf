#pragma once
// Writing a figure to a file: a PNG picture or an SVG drawing, whole or not
// at all. Plain drawing, apart from any window.

#include <QSize>
#include <QString>
#include <functional>

class QPainter;

namespace valthera::lab {

// The largest figure, in pixels a side: a teacher's slide needs far less, and a
// picture this size already takes 64 MiB while it is drawn.
constexpr int kMaxFigureSide = 4000;
constexpr int kMinFigureSide = 100;

// What an SVG figure says of itself.
struct FigureText {
    QString title;
    QString description;
};

// Draws a figure at size into path with draw, as SVG when the name ends in
// .svg (any case) and as PNG otherwise. The file appears whole or not at all:
// an existing file is replaced only once the new one is complete. Returns why
// it could not be written, or an empty string once it is.
QString writeFigure(
    const QString &path, QSize size, const FigureText &text, const std::function<void(QPainter &, QSize)> &draw);

} // namespace valthera::lab
