#include "ui/menuwindow.h"

#include "ui/controls.h"
#include "ui/look.h"
#include "ui/screenregistry.h"
#include "ui/zoom.h"

#include <QAction>
#include <QApplication>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <cmath>

namespace valthera {

namespace {

void fillSectionMenu(QMenuBar *bar, ScreenRegistry &registry)
{
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

    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    look::paintBackground(client_, look::windowBlue());
    client_->setMinimumSize(minimumClient());
    setCentralWidget(client_);
    look::sizeToDesign(this, clientWidthTwips, clientHeightTwips);
    zoomedSize_ = size();
    connect(&look::Zoom::instance(), &look::Zoom::changed, this, &MenuWindow::followZoom);
}

QSize MenuWindow::minimumClient() const
{
    const QSize design = look::toPixels(clientWidthTwips_, clientHeightTwips_);
    QSize zoomed(look::zoomedPx(clientWidthTwips_), look::zoomedPx(clientHeightTwips_));
    // Enlarged past what the screen can hold, the client would drag a maximized
    // window off the screen: there it takes the room the screen has, and never
    // less than the design size.
    if (const QScreen *screen = this->screen(); screen && (zoomed.width() > design.width())) {
        const QSize frame = frameGeometry().size() - size();
        const QSize room = screen->availableGeometry().size() - frame - QSize(0, menuBar()->sizeHint().height());
        zoomed = zoomed.boundedTo(room.expandedTo(design));
    }
    return zoomed;
}

void MenuWindow::followZoom(qreal factor, qreal previous)
{
    const bool untouched = size() == zoomedSize_;
    client_->setMinimumSize(minimumClient());
    // The window's own minimum follows its client's now, not at the next pass of
    // the event loop, so a smaller restored size below is not refused.
    if (layout())
        layout()->activate();
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
        look::keepOnScreen(this);
    }
    zoomedSize_ = size();
}

} // namespace valthera
