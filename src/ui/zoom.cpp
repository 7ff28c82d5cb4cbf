#include "ui/zoom.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTextEdit>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>
#include <cmath>
#include <optional>
#include <set>
#include <vector>

namespace valthera::look {

namespace {

// Dynamic properties a control carries for the zoom.
constexpr char kPlaceProperty[] = "valthera_designPlace"; // QRect of twips
constexpr char kFitsCaptionProperty[] = "valthera_fitsCaption";
constexpr char kFollowsProperty[] = "valthera_zoomFollower"; // the window's ZoomFollower
constexpr char kSeenProperty[] = "valthera_zoomSeen"; // noted by the window's ZoomFollower
constexpr char kDesignPointSizeProperty[] = "valthera_designPointSize";
constexpr char kZoomedSizeProperty[] = "valthera_zoomedSize"; // the size the zoom gave a window last

int scaled(qreal value, qreal factor)
{
    return static_cast<int>(std::lround(value * factor));
}

QRect scaledTwips(const QRect &twips, qreal factor)
{
    const qreal perPixel = factor / kTwipsPerPixel;
    return {scaled(twips.x(), perPixel), scaled(twips.y(), perPixel), scaled(twips.width(), perPixel),
        scaled(twips.height(), perPixel)};
}

QRect scaledPixels(const QRect &pixels, qreal factor)
{
    return {scaled(pixels.x(), factor), scaled(pixels.y(), factor), scaled(pixels.width(), factor),
        scaled(pixels.height(), factor)};
}

bool inMenuBar(const QWidget *widget, const QWidget *window)
{
    for (const QWidget *w = widget; w && w != window; w = w->parentWidget()) {
        if (qobject_cast<const QMenuBar *>(w))
            return true;
    }
    return false;
}

// Sized by a layout, or by the scroll area it is the content of.
bool managedByLayout(const QWidget *widget)
{
    const QWidget *parent = widget->parentWidget();
    if (const auto *area = qobject_cast<const QScrollArea *>(parent ? parent->parentWidget() : nullptr);
        area && area->widget() == widget)
        return true;
    return parent && parent->layout() && parent->layout()->indexOf(const_cast<QWidget *>(widget)) >= 0;
}

// The design geometry and font of every control of one window, and their
// rescaling. Lives as a child of the window, so it goes with it.
class ZoomFollower : public QObject {
public:
    explicit ZoomFollower(QWidget *window)
        : QObject(window)
        , window_(window)
    {
        connect(&Zoom::instance(), &Zoom::changed, this, [this](qreal factor) { apply(factor); });
    }

    // Notes the design of controls not seen before; they are as the window built them.
    void record()
    {
        std::erase_if(controls_, [](const Control &control) { return control.widget.isNull(); });
        QList<QWidget *> widgets = window_->findChildren<QWidget *>();
        widgets.prepend(window_);
        for (QWidget *widget : widgets) {
            // The mark dies with its widget, so a widget made later at a freed
            // address is never taken for one already seen.
            if (widget->property(kSeenProperty).isValid() || (widget != window_ && widget->isWindow()) ||
                inMenuBar(widget, window_))
                continue;
            widget->setProperty(kSeenProperty, true);
            Control control{widget, {}, {}, {}};
            if (auto *scrolled = qobject_cast<QAbstractScrollArea *>(widget))
                control.wantedTop = control.leftAtTop = scrolled->verticalScrollBar()->value();
            if (const QVariant place = widget->property(kPlaceProperty); place.isValid()) {
                control.twips = place.toRect();
            } else if (widget != window_ && !widget->objectName().isEmpty() &&
                !widget->objectName().startsWith(QLatin1String("qt_")) && !managedByLayout(widget)) {
                control.pixels = widget->geometry();
            }
            if (widget->testAttribute(Qt::WA_SetFont)) {
                control.font = widget->font();
                widget->setProperty(kDesignPointSizeProperty, widget->font().pointSizeF());
            }
            if (control.twips || control.pixels || control.font)
                controls_.push_back(std::move(control));
        }
    }

    void apply(qreal factor)
    {
        for (Control &control : controls_) {
            QWidget *widget = control.widget;
            if (!widget)
                continue;
            // Scrolling is counted in lines, which a zoom leaves as they are;
            // but a smaller zoom may need no scrolling at all. The line the
            // student scrolled to is kept until they scroll again, so zooming
            // out and back in shows the same lines.
            auto *scrolled = qobject_cast<QAbstractScrollArea *>(widget);
            if (scrolled && scrolled->verticalScrollBar()->value() != control.leftAtTop)
                control.wantedTop = scrolled->verticalScrollBar()->value();
            if (control.font) {
                QFont font = *control.font;
                if (factor == 1.0) {
                    // the design font itself
                } else if (font.pointSizeF() > 0) {
                    font.setPointSizeF(zoomedPointSize(font.pointSizeF(), factor, widget->logicalDpiY()));
                } else if (font.pixelSize() > 0) {
                    font.setPixelSize(std::max(1, static_cast<int>(font.pixelSize() * factor)));
                }
                widget->setFont(font);
            }
            if (!control.twips && !control.pixels)
                continue;
            const QRect rect =
                control.twips ? scaledTwips(*control.twips, factor) : scaledPixels(*control.pixels, factor);
            // A label may come to size itself to its caption after it was recorded.
            if (widget->property(kFitsCaptionProperty).toBool()) {
                widget->move(rect.topLeft());
                widget->resize(widget->sizeHint());
            } else {
                widget->setGeometry(rect);
            }
        }
        for (Control &control : controls_) {
            auto *scrolled = qobject_cast<QAbstractScrollArea *>(control.widget.data());
            if (!scrolled)
                continue;
            if (auto *view = qobject_cast<QAbstractItemView *>(scrolled))
                view->doItemsLayout(); // the scroll range for the new row height, now
            scrolled->verticalScrollBar()->setValue(control.wantedTop);
            control.leftAtTop = scrolled->verticalScrollBar()->value();
        }
    }

private:
    struct Control {
        QPointer<QWidget> widget;
        std::optional<QRect> twips; // placed by place()
        std::optional<QRect> pixels; // placed in pixels at 100 %
        std::optional<QFont> font; // its own font at 100 %
        int wantedTop = 0; // a scroll area's first line, as the student left it
        int leftAtTop = 0; // its first line after the last zoom step
    };

    QWidget *window_;
    std::vector<Control> controls_;
};

// What a control writes, as far as its kind tells; the characters matter, not
// their order.
QString shownText(const QWidget *widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (const auto *box = qobject_cast<const QGroupBox *>(widget))
        return box->title();
    if (const auto *edit = qobject_cast<const QLineEdit *>(widget))
        return edit->text() + edit->placeholderText();
    if (const auto *edit = qobject_cast<const QTextEdit *>(widget))
        return edit->toPlainText();
    QString all;
    if (const auto *combo = qobject_cast<const QComboBox *>(widget)) {
        for (int i = 0; i < combo->count(); ++i)
            all += combo->itemText(i);
    } else if (const auto *tabs = qobject_cast<const QTabBar *>(widget)) {
        for (int i = 0; i < tabs->count(); ++i)
            all += tabs->tabText(i);
    } else if (const auto *view = qobject_cast<const QAbstractItemView *>(widget); view && view->model()) {
        const QAbstractItemModel *model = view->model();
        for (int row = 0; row < std::min(model->rowCount(view->rootIndex()), 200); ++row)
            all += model->data(model->index(row, 0, view->rootIndex())).toString();
    }
    return all;
}

// The font a control will write in at factor: its own, or the one it takes
// from the nearest control around it whose font follows the zoom.
std::optional<QFont> fontAtZoom(const QWidget *widget, qreal factor)
{
    for (const QWidget *w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        const QVariant design = w->property(kDesignPointSizeProperty);
        if (!design.isValid())
            continue;
        if (design.toReal() <= 0)
            return std::nullopt;
        QFont font = widget->font();
        font.setPointSizeF(
            factor == 1.0 ? design.toReal() : zoomedPointSize(design.toReal(), factor, w->logicalDpiY()));
        return font;
    }
    return std::nullopt;
}

// Makes the fonts of one window at the zoom steps it has not been shown at,
// while the program is idle, nearest the present step first.
class ZoomReadier : public QObject {
public:
    ZoomReadier(QWidget *window, std::function<void(qreal)> alsoReady)
        : QObject(window)
        , window_(window)
        , alsoReady_(std::move(alsoReady))
    {
        next_.setSingleShot(true);
        connect(&next_, &QTimer::timeout, this, &ZoomReadier::readyNext);
        // Not while the window opens and first paints, which it does at once.
        next_.start(kSettleMs);
        qApp->installEventFilter(this);
    }

protected:
    // Nor while the student works, or watches the program draw (a beat
    // played, a transient's beats), whom a piece of it would keep waiting.
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::UpdateRequest: // a window about to paint
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
            next_.start(kSettleMs);
            break;
        default:
            break;
        }
        return false;
    }

private:
    static constexpr int kSettleMs = 250;

    // One font of one step at a time, a millisecond or less, so that what
    // else the program does meanwhile (a beat played) waits little.
    void readyNext()
    {
        if (!window_->isVisible()) {
            next_.start(kSettleMs);
            return;
        }
        if (!pending_.empty()) {
            readyFont(pending_.back().first, pending_.back().second);
            pending_.pop_back();
            next_.start(0);
            return;
        }
        const int now = Zoom::instance().percent();
        if (done_.empty() && alsoReady_)
            alsoReady_(now / 100.0); // shown here, not yet elsewhere
        done_.insert(now); // a step shown is ready
        std::optional<int> nearest;
        for (const int percent : Zoom::kSteps) {
            if (!done_.contains(percent) && (!nearest || std::abs(percent - now) < std::abs(*nearest - now)))
                nearest = percent;
        }
        if (!nearest) {
            qApp->removeEventFilter(this);
            scratch_ = QImage();
            return;
        }
        done_.insert(*nearest);
        collectTexts(*nearest / 100.0);
        if (alsoReady_)
            alsoReady_(*nearest / 100.0);
        next_.start(0);
    }

    // The fonts the window's controls write in at factor, each with the
    // characters it writes.
    void collectTexts(qreal factor)
    {
        QHash<QString, qsizetype> byKey; // a font's place in pending_
        QList<QWidget *> widgets = window_->findChildren<QWidget *>();
        widgets.prepend(window_);
        for (const QWidget *widget : widgets) {
            if (inMenuBar(widget, window_) || (widget != window_ && widget->isWindow()))
                continue;
            const QString text = shownText(widget);
            if (text.isEmpty())
                continue;
            const std::optional<QFont> font = fontAtZoom(widget, factor);
            if (!font)
                continue;
            const QString key = font->key();
            if (!byKey.contains(key)) {
                byKey.insert(key, static_cast<qsizetype>(pending_.size()));
                pending_.emplace_back(*font, QString());
            }
            QString &characters = pending_[static_cast<std::size_t>(byKey.value(key))].second;
            for (const QChar c : text) {
                if (!c.isSpace() && !characters.contains(c))
                    characters += c;
            }
        }
    }

    void readyFont(const QFont &font, const QString &characters)
    {
        // Drawn as the window draws: at its resolution and pixel ratio.
        if (scratch_.isNull()) {
            scratch_ = QImage(384, 96, QImage::Format_ARGB32_Premultiplied);
            scratch_.setDotsPerMeterX(std::lround(window_->logicalDpiX() / 0.0254));
            scratch_.setDotsPerMeterY(std::lround(window_->logicalDpiY() / 0.0254));
            scratch_.setDevicePixelRatio(window_->devicePixelRatioF());
        }
        QPainter painter(&scratch_);
        painter.setFont(font);
        makeGlyphs(painter, characters);
        // Kept, so the font's glyphs stay made until the window goes.
        fonts_.push_back(font);
        QFontMetricsF(fonts_.back()).height();
    }

    QWidget *window_;
    std::function<void(qreal)> alsoReady_;
    QTimer next_;
    std::set<int> done_;
    std::vector<std::pair<QFont, QString>> pending_; // of the step being readied
    QImage scratch_;
    std::vector<QFont> fonts_;
};

constexpr char kReadierProperty[] = "valthera_zoomReadier";

} // namespace

void makeGlyphs(QPainter &painter, const QString &characters)
{
    const qreal baseline = QFontMetricsF(painter.font(), painter.device()).ascent();
    // A short run at a time, so each stays within a small picture at the
    // largest zoom; at each quarter pixel, as a glyph is made for each
    // quarter of a pixel it may start at.
    for (qsizetype i = 0; i < characters.size(); i += 8) {
        for (const qreal x : {0.0, 0.25, 0.5, 0.75})
            painter.drawText(QPointF(x, baseline), characters.mid(i, 8));
    }
}

void readyZoomSteps(QWidget *window, std::function<void(qreal factor)> alsoReady)
{
    if (window->property(kReadierProperty).isValid())
        return;
    window->setProperty(
        kReadierProperty, QVariant::fromValue<QObject *>(new ZoomReadier(window, std::move(alsoReady))));
}

Zoom &Zoom::instance()
{
    static Zoom zoom;
    return zoom;
}

void Zoom::go(size_t step)
{
    if (step >= kSteps.size() || step == step_)
        return;
    const qreal previous = factor();
    step_ = step;
    emit changed(factor(), previous);
}

void Zoom::zoomIn()
{
    go(step_ + 1);
}

void Zoom::zoomOut()
{
    if (step_ > 0)
        go(step_ - 1);
}

void Zoom::reset()
{
    setPercent(100);
}

void Zoom::setPercent(int percent)
{
    for (size_t i = 0; i < kSteps.size(); ++i) {
        if (kSteps[i] == percent)
            go(i);
    }
}

qreal zoomedPointSize(qreal designPointSize, qreal factor, int dpi)
{
    // Text is set in whole pixels, rounded to the nearest: a size that rounds
    // up would set the text wider than its control grew, and cut it off. So
    // the size is the design's times the zoom, rounded down to a whole pixel.
    const qreal pixels = std::floor(designPointSize * dpi / 72.0 * factor + 1e-6);
    return std::max(1.0, pixels) * 72.0 / dpi;
}

qreal designPointSize(const QWidget *widget)
{
    const QVariant size = widget->property(kDesignPointSizeProperty);
    return size.isValid() ? size.toReal() : widget->font().pointSizeF();
}

int zoomedPx(int twips)
{
    return scaled(twips, Zoom::instance().factor() / kTwipsPerPixel);
}

QRect zoomedPixels(const Place &place)
{
    return scaledTwips(QRect(place.left, place.top, place.width, place.height), Zoom::instance().factor());
}

void place(QWidget *widget, const Place &twips)
{
    widget->setProperty(kPlaceProperty, QRect(twips.left, twips.top, twips.width, twips.height));
    widget->setGeometry(zoomedPixels(twips));
}

void markFitsCaption(QWidget *label)
{
    label->setProperty(kFitsCaptionProperty, true);
}

void followZoom(QWidget *window)
{
    auto *follower = static_cast<ZoomFollower *>(window->property(kFollowsProperty).value<QObject *>());
    if (!follower) {
        follower = new ZoomFollower(window);
        window->setProperty(kFollowsProperty, QVariant::fromValue<QObject *>(follower));
    }
    follower->record();
    // At 100 % the window is already as it was built.
    if (Zoom::instance().percent() != 100)
        follower->apply(Zoom::instance().factor());
}

bool followsZoom(const QWidget *window)
{
    return window && window->property(kFollowsProperty).value<QObject *>();
}

void sizeForZoom(QWidget *window, QSize designSize, qreal previousFactor)
{
    const qreal factor = Zoom::instance().factor();
    const QVariant given = window->property(kZoomedSizeProperty);
    if (!(window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized))) {
        QSize size(scaled(designSize.width(), factor), scaled(designSize.height(), factor));
        // A window the student sized differently keeps its proportion to the zoom.
        if (given.isValid() && given.toSize() != window->size())
            size = QSize(
                scaled(window->width(), factor / previousFactor), scaled(window->height(), factor / previousFactor));
        window->resize(size);
        keepOnScreen(window);
    }
    window->setProperty(kZoomedSizeProperty, window->size());
}

void keepOnScreen(QWidget *window)
{
    if (!window->isVisible() || (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    int x = frame.x();
    int y = frame.y();
    x -= std::max(0, frame.right() - available.right());
    y -= std::max(0, frame.bottom() - available.bottom());
    x = std::max(x, available.left());
    y = std::max(y, available.top());
    if (x != frame.x() || y != frame.y())
        window->move(x, y);
}

ZoomKeys::ZoomKeys()
{
    qApp->installEventFilter(this);
}

ZoomKeys::~ZoomKeys()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool ZoomKeys::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::Wheel) || !watched->isWidgetType())
        return false;
    if (!followsZoom(static_cast<QWidget *>(watched)->window()))
        return false;
    Zoom &zoom = Zoom::instance();

    if (type == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // Shift is how Plus is typed on many keyboards; the keypad's keys count too.
        if ((key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) != Qt::ControlModifier)
            return false;
        switch (key->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            zoom.zoomIn();
            return true;
        case Qt::Key_Minus:
            zoom.zoomOut();
            return true;
        case Qt::Key_0:
            zoom.reset();
            return true;
        default:
            return false;
        }
    }

    const auto *wheel = static_cast<QWheelEvent *>(event);
    if ((wheel->modifiers() & ~Qt::ShiftModifier) != Qt::ControlModifier)
        return false;
    const int delta = wheel->angleDelta().y() != 0 ? wheel->angleDelta().y() : wheel->angleDelta().x();
    // A wheel that turns in small steps adds up to one notch (120) per zoom step.
    if ((delta > 0) != (wheelRest_ > 0))
        wheelRest_ = 0;
    wheelRest_ += delta;
    for (; wheelRest_ >= 120; wheelRest_ -= 120)
        zoom.zoomIn();
    for (; wheelRest_ <= -120; wheelRest_ += 120)
        zoom.zoomOut();
    return true;
}

} // namespace valthera::look
