#include "ui/look.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHash>
#include <QLabel>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <vector>

namespace valthera::look {

namespace {

// The style keeps what it paints (a slider's groove and handle, a spin box's
// frame, a button's face) in the pixmap cache under a name that includes the
// palette's identity. Qt gives every widget a palette of its own identity,
// even when its colours are its neighbour's, so each control painted its
// pictures anew (a zoom step painted fifteen alike sliders fifteen times) and
// every window opened filed pictures that were never found again. This style
// hands the base style one palette for each set of colours, so controls that
// look alike share their pictures, and the names stay as few as the sizes and
// sets of colours in use however many windows are opened.
class SharedPaletteStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(
        PrimitiveElement element, const QStyleOption *option, QPainter *painter, const QWidget *widget) const override
    {
        const Shared shared(option);
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
    void drawControl(
        ControlElement element, const QStyleOption *option, QPainter *painter, const QWidget *widget) const override
    {
        const Shared shared(option);
        QProxyStyle::drawControl(element, option, painter, widget);
    }
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
        const QWidget *widget) const override
    {
        const Shared shared(option);
        QProxyStyle::drawComplexControl(control, option, painter, widget);
    }

    // The same icon for the same picture: the base style makes a new one on
    // every call, and the pixmap cache files an icon's drawings under its
    // identity, so each window's buttons (a menu bar's overflow arrow) added
    // drawings that were never found again.
    QIcon standardIcon(StandardPixmap picture, const QStyleOption *option, const QWidget *widget) const override
    {
        if (QThread::currentThread() != qApp->thread())
            return QProxyStyle::standardIcon(picture, option, widget);
        const Qt::LayoutDirection direction = option ? option->direction
            : widget                                 ? widget->layoutDirection()
                                                     : QGuiApplication::layoutDirection();
        const int key = static_cast<int>(picture) * 2 + (direction == Qt::RightToLeft ? 1 : 0);
        auto found = icons_.find(key);
        if (found == icons_.end())
            found = icons_.insert(key, QProxyStyle::standardIcon(picture, option, widget));
        return *found;
    }

private:
    mutable QHash<int, QIcon> icons_;

    // The option's palette replaced, while it is drawn, by the one shared
    // palette of the same colours; the caller gets its own back.
    class Shared {
    public:
        explicit Shared(const QStyleOption *option)
        {
            // The pixmap cache, and so this table, belong to the window thread.
            if (!option || QThread::currentThread() != qApp->thread())
                return;
            option_ = const_cast<QStyleOption *>(option);
            own_ = option_->palette;
            option_->palette = shared(own_);
            option_->palette.setCurrentColorGroup(own_.currentColorGroup());
        }
        ~Shared()
        {
            if (option_)
                option_->palette = own_;
        }
        Shared(const Shared &) = delete;
        Shared &operator=(const Shared &) = delete;

    private:
        QStyleOption *option_ = nullptr;
        QPalette own_;
    };

    static constexpr std::size_t kMostPalettes = 64;

    static const QPalette &shared(const QPalette &palette)
    {
        static std::vector<QPalette> distinct;
        static QHash<qint64, std::size_t> known; // a palette's identity: its index in distinct
        if (const auto found = known.constFind(palette.cacheKey()); found != known.cend())
            return distinct[*found];
        auto same = std::find(distinct.begin(), distinct.end(), palette);
        const std::size_t index = static_cast<std::size_t>(same - distinct.begin());
        if (same == distinct.end()) {
            // Colours made on the fly would each stay here for good; past a
            // few sets, a palette is drawn as it comes.
            if (distinct.size() >= kMostPalettes)
                return palette;
            distinct.push_back(palette);
        }
        // Identities are never reused, so an old one only takes room.
        if (known.size() > 4096)
            known.clear();
        known.insert(palette.cacheKey(), index);
        return distinct[index];
    }
};

} // namespace

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
    if (QStyle *fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(new SharedPaletteStyle(fusion));
    QApplication::setFont(sansSerif());
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
