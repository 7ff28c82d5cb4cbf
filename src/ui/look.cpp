#include "ui/look.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPixmapCache>
#include <QStyleFactory>
#include <QWidget>
#include <cmath>

namespace valthera::look {

int px(int twips)
{
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

QRect toPixels(const Place &place)
{
    return {px(place.left), px(place.top), px(place.width), px(place.height)};
}

QSize toPixels(int widthTwips, int heightTwips)
{
    return {px(widthTwips), px(heightTwips)};
}

QColor windowBlue()
{
    return {0, 0, 255};
}
QColor darkBlue()
{
    return {0, 0, 192};
}
QColor startGreen()
{
    return {0, 255, 0};
}
QColor nextYellow()
{
    return {255, 255, 128};
}

QColor lightText()
{
    return QApplication::palette().color(QPalette::Active, QPalette::HighlightedText);
}

QFont sansSerif(double pointSize, bool bold)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont arial(double pointSize, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

void installApplicationLook()
{
    // Liberation Sans has Arial's metrics and is the closest installed face to
    // the old MS Sans Serif; DejaVu Sans is the last resort on a bare system.
    const QStringList fallbacks{QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
        QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")};
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), fallbacks);
    QFont::insertSubstitutions(
        QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    // Fusion honours palette colours on buttons, which the coloured button faces need.
    if (auto *style = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(style);
    QApplication::setFont(sansSerif());
    // The style keeps painted button faces in the pixmap cache under a name that
    // includes the palette, and every window made here gives its buttons a
    // palette of their own, so no face is ever found again once its window has
    // closed. Each opening only added entries, and the cache keeps the names of
    // the entries it drops, so memory grew with every window opened. Painting
    // the faces directly costs less than storing them.
    QPixmapCache::setCacheLimit(0);
}

void paintBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void styleDarkBox(QWidget *widget, QPalette::ColorRole textRole)
{
    const QColor text = QApplication::palette().color(QPalette::Active, textRole);
    QPalette palette = widget->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, darkBlue());
        palette.setColor(group, QPalette::Window, darkBlue());
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::WindowText, text);
    }
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
    widget->setFont(sansSerif());
}

void styleBlueLabel(QLabel *label)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, windowBlue());
    palette.setColor(QPalette::WindowText, lightText());
    label->setPalette(palette);
    label->setAutoFillBackground(true);
    label->setFont(sansSerif());
}

void styleButton(QAbstractButton *button, const QColor &face)
{
    button->setFont(sansSerif());
    if (!face.isValid())
        return;
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, face);
    palette.setColor(QPalette::ButtonText, Qt::black);
    button->setPalette(palette);
}

} // namespace valthera::look
