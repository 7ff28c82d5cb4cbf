#include "ui/menuwindow.h"

#include "ui/controls.h"
#include "ui/look.h"
#include "ui/screenregistry.h"
#include "ui/zoom.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QLayout>
#include <QMenuBar>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <QScrollArea>
#include <cmath>
#include <utility>

namespace valthera {

namespace {

// The bar's commands padded half as much as the style would: all ten then fit
// a window on a 1024-pixel-wide screen, where the last would otherwise go
// behind the overflow button, out of the keyboard's reach.
class CompactBarStyle : public QProxyStyle {
public:
    QSize sizeFromContents(
        ContentsType type, const QStyleOption *option, const QSize &contents, const QWidget *widget) const override
    {
        QSize size = QProxyStyle::sizeFromContents(type, option, contents, widget);
        if (type == CT_MenuBarItem && !contents.isEmpty())
            size.setWidth(contents.width() + (size.width() - contents.width()) / 2);
        return size;
    }
};

QStyle *compactBarStyle()
{
    // One for every bar, going with the application.
    static QPointer<CompactBarStyle> style;
    if (!style) {
        style = new CompactBarStyle;
        style->setParent(qApp);
    }
    return style;
}

void fillSectionMenu(QMenuBar *bar, ScreenRegistry &registry)
{
    bar->setStyle(compactBarStyle());
    bar->setObjectName(QStringLiteral("SectionMenu"));
    bar->setAccessibleName(QStringLiteral("Section menu"));
    bar->setNativeMenuBar(false);
    // The bar keeps the system's colours, not the blue of the window under it.
    QPalette system = QApplication::palette();
    for (auto role : {QPalette::Window, QPalette::WindowText, QPalette::Button, QPalette::ButtonText})
        system.setColor(role, system.color(role)); // set explicitly, so the window's blue is not inherited
    bar->setPalette(system);
    bar->setAutoFillBackground(true);
    for (const ScreenRegistry::MenuCommand &command : registry.menu()) {
        QAction *action = bar->addAction(command.caption);
        action->setObjectName(command.name);
        if (command.target.isEmpty()) {
            QObject::connect(action, &QAction::triggered, &registry, [&registry] { registry.endSession(); });
        } else {
            const QString target = command.target;
            QObject::connect(action, &QAction::triggered, &registry, [&registry, target] { registry.show(target); });
        }
    }
}

} // namespace

MenuWindow::MenuWindow(ScreenRegistry &registry, const QString &caption, int clientWidthTwips, int clientHeightTwips)
    : clientWidthTwips_(clientWidthTwips)
    , clientHeightTwips_(clientHeightTwips)
{
    setWindowTitle(caption);
    look::paintBackground(this, look::windowBlue());
    fillSectionMenu(menuBar(), registry);

    view_ = new QScrollArea(this);
    view_->setObjectName(QStringLiteral("clientView"));
    view_->setFrameShape(QFrame::NoFrame);
    // Tab goes to the controls; the view follows the focus by itself.
    view_->setFocusPolicy(Qt::NoFocus);
    view_->setAccessibleName(caption);
    look::paintBackground(view_->viewport(), look::windowBlue());
    client_ = new QWidget;
    client_->setObjectName(QStringLiteral("client"));
    look::paintBackground(client_, look::windowBlue());
    view_->setWidget(client_);
    setCentralWidget(view_);
    view_->viewport()->installEventFilter(this);
    client_->installEventFilter(this);
    fitClient();
    look::sizeToDesign(this, clientWidthTwips, clientHeightTwips);
    sizeToScreen();
    zoomedSize_ = size();
    builtAt_ = look::Zoom::instance().factor();
    connect(qApp, &QApplication::focusChanged, this, &MenuWindow::showFocus);
}

// The controls going with the window move the focus; by then it is no longer
// a MenuWindow to scroll.
MenuWindow::~MenuWindow()
{
    disconnect(qApp, &QApplication::focusChanged, this, &MenuWindow::showFocus);
}

void MenuWindow::showEvent(QShowEvent *event)
{
    // Followed from the first showing on, so that on every step the controls
    // already have their new places (their follower was made with the window)
    // when the client is sized to hold them.
    if (!followingZoom_) {
        followingZoom_ = true;
        connect(&look::Zoom::instance(), &look::Zoom::changed, this, &MenuWindow::followZoom);
        if (look::Zoom::instance().factor() != builtAt_)
            followZoom(look::Zoom::instance().factor(), builtAt_);
    }
    QMainWindow::showEvent(event);
}

bool MenuWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The viewport resized, or the client's layout about to be redone for new
    // sizes of its controls: the client takes the room it needs first.
    if ((watched == view_->viewport() && event->type() == QEvent::Resize) ||
        (watched == client_ && event->type() == QEvent::LayoutRequest))
        fitClient();
    return QMainWindow::eventFilter(watched, event);
}

bool MenuWindow::event(QEvent *event)
{
    if (event->type() == QEvent::UpdateRequest)
        settleLayouts();
    return QMainWindow::event(event);
}

void MenuWindow::settleLayouts()
{
    // A layout redone for new sizes of its controls asks the one around it
    // next, through the event queue, and a scroll area whose range changed
    // shows or hides its scroll bars in a call of its own, queued too; and
    // each pass of the queue takes only what was asked before it began, the
    // frame among them. A zoom step's frame then showed the controls half laid
    // out, and a second frame followed. The lab nests six layouts deep. Other
    // frames are left to the queue's own order.
    if (!std::exchange(zoomedSinceFrame_, false))
        return;
    const QList<QAbstractScrollArea *> areas = findChildren<QAbstractScrollArea *>();
    const auto settle = [&areas] {
        for (int pass = 0; pass < 8; ++pass) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            for (QAbstractScrollArea *area : areas)
                QCoreApplication::sendPostedEvents(area, QEvent::MetaCall);
        }
    };
    settle();
    // A list of wrapped lines lays its lines out a tenth of a second after it
    // was resized, or as it is painted, which needs another frame. Its lines
    // laid out may show or hide its scroll bar and resize it once more.
    for (int pass = 0; pass < 2; ++pass) {
        for (QAbstractScrollArea *area : areas) {
            if (auto *view = qobject_cast<QAbstractItemView *>(area); view && view->isVisible())
                view->doItemsLayout();
        }
        settle();
    }
    // A scroll bar shown as its area was laid out asks to be painted in the
    // next frame; it is painted in this one.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateLater);
}

void MenuWindow::fitClient(bool askLayout)
{
    QSize needed(look::zoomedPx(clientWidthTwips_), look::zoomedPx(clientHeightTwips_));
    if (QLayout *layout = client_->layout()) {
        if (askLayout)
            needed = needed.expandedTo(layout->totalMinimumSize());
    } else {
        // Controls placed by hand may reach a little past the design size;
        // those shown later count too.
        for (const QObject *object : client_->children()) {
            if (const auto *control = qobject_cast<const QWidget *>(object); control && !control->isWindow())
                needed = needed.expandedTo(QSize(control->geometry().right() + 1, control->geometry().bottom() + 1));
        }
    }
    // Sized once: a minimum raised first would resize the client to it, and
    // lay out all its controls, before the resize to its own size did again.
    const QSize size = view_->viewport()->size().expandedTo(needed);
    if (client_->minimumSize() != needed)
        client_->setMinimumSize(needed.boundedTo(client_->minimumSize()));
    if (client_->size() != size)
        client_->resize(size);
    if (client_->minimumSize() != needed)
        client_->setMinimumSize(needed);
}

void MenuWindow::sizeToScreen()
{
    const QScreen *screen = this->screen();
    if (!screen || (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)))
        return;
    const QSize frame = frameGeometry().size() - size();
    const QSize room = screen->availableGeometry().size() - frame;
    if (width() > room.width() || height() > room.height())
        resize(size().boundedTo(room));
}

void MenuWindow::showFocus()
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus || focus == client_ || !client_->isAncestorOf(focus))
        return;
    // The whole control where it fits, else its top left: a list's or a text's
    // own idea of where its focus is (the current line) would leave the rest
    // of it out of view.
    const QRect place(focus->mapTo(client_, QPoint()), focus->size());
    const QSize view = view_->viewport()->size();
    const int margin = look::zoomedPx(120);
    // Half the room each way around the control, with what margin there is room for.
    const auto half = [margin](int length, int room) {
        return std::min(length, room) / 2 + std::clamp((room - length) / 2, 0, margin);
    };
    const int x = place.x() + std::min(place.width(), view.width()) / 2;
    const int y = place.y() + std::min(place.height(), view.height()) / 2;
    view_->ensureVisible(x, y, half(place.width(), view.width()), half(place.height(), view.height()));
}

void MenuWindow::followZoom(qreal factor, qreal previous)
{
    const bool untouched = size() == zoomedSize_;
    zoomedSinceFrame_ = true;
    // A client with a layout is fitted when the layout is redone for its
    // controls' new fonts, once; fitted now, it would be laid out twice.
    if (QLayout *layout = client_->layout())
        layout->invalidate();
    else
        fitClient(false);
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized))) {
        if (untouched) {
            look::sizeToDesign(this, clientWidthTwips_, clientHeightTwips_);
        } else {
            // The student sized it: the client keeps its proportion to the zoom.
            const int bar = menuBar()->sizeHint().height();
            const qreal ratio = factor / previous;
            resize(static_cast<int>(std::lround(width() * ratio)),
                static_cast<int>(std::lround((height() - bar) * ratio)) + bar);
        }
        sizeToScreen();
        look::keepOnScreen(this);
    }
    zoomedSize_ = size();
    // Once the controls have their new places, the one with the focus is shown.
    QMetaObject::invokeMethod(this, &MenuWindow::showFocus, Qt::QueuedConnection);
}

} // namespace valthera
