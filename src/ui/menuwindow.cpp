#include "ui/menuwindow.h"

#include "ui/controls.h"
#include "ui/look.h"
#include "ui/screenregistry.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>

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
{
    setWindowTitle(caption);
    look::paintBackground(this, look::windowBlue());
    fillSectionMenu(menuBar(), registry);

    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    look::paintBackground(client_, look::windowBlue());
    client_->setMinimumSize(look::toPixels(clientWidthTwips, clientHeightTwips));
    setCentralWidget(client_);
    look::sizeToDesign(this, clientWidthTwips, clientHeightTwips);
}

QMenuBar *MenuWindow::sectionMenu() const
{
    return menuBar();
}

} // namespace valthera
