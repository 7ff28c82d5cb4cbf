#include "diagrams/picturebox.h"

#include "diagrams/explore.h"
#include "ui/accessibility.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

namespace valthera {

PictureBox::PictureBox(PictureId picture, QWidget *parent)
    : QWidget(parent)
    , picture_(picture)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    look::presentAs(staticMetaObject.className(), QAccessible::Graphic);
    setAccessibleName(pictureDescription(picture));
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintPicture(picture_, painter, QRectF(visibleArea()));
}

QRect PictureBox::visibleArea() const
{
    // A box inside a smaller picture box is cut off at its container's edges;
    // the picture is fitted to the part that shows, so no title or axis is lost.
    QRect area = rect();
    if (const auto *outer = qobject_cast<const PictureBox *>(parentWidget()))
        area &= QRect(mapFromParent(QPoint(0, 0)), outer->size());
    return area;
}

void PictureBox::contextMenuEvent(QContextMenuEvent *event)
{
    if (!hasExploreHandler()) {
        event->ignore();
        return;
    }
    // While charts offer the command, a box answers its own right-click, so a
    // schematic lying over a chart does not pass the click to the chart below.
    event->accept();
    showExploreMenu(event->globalPos());
}

void PictureBox::showExploreMenu(const QPoint &globalPos)
{
    if (!hasExploreHandler() || !exploredLoop(picture_))
        return;
    // Without a parent, and nothing of the box touched after the menu's own
    // event loop, the box may close while the menu is up. The lab opens after
    // the menu has closed, not from inside that loop.
    const PictureId picture = picture_;
    QMenu menu;
    menu.setObjectName(QStringLiteral("exploreMenu"));
    menu.setAccessibleName(pictureDescription(picture));
    QAction *command = menu.addAction(exploreCommandText());
    command->setObjectName(QStringLiteral("cmdExplore"));
    if (menu.exec(globalPos) == command)
        explore(picture);
}

PictureBox *pictureOnView(const QWidget *area)
{
    // Children stack in creation order, the last on top; a box shows only while
    // every box around it is shown, and the innermost shown box covers the rest.
    auto topmostShown = [](const QWidget *parent) -> PictureBox * {
        const QObjectList &children = parent->children();
        for (auto it = children.crbegin(); it != children.crend(); ++it) {
            auto *candidate = qobject_cast<PictureBox *>(*it);
            if (candidate && !candidate->isHidden())
                return candidate;
        }
        return nullptr;
    };
    PictureBox *seen = area ? topmostShown(area) : nullptr;
    while (seen) {
        PictureBox *inner = topmostShown(seen);
        if (!inner)
            break;
        seen = inner;
    }
    return seen;
}

} // namespace valthera
