#include "diagrams/picturebox.h"

#include "ui/accessibility.h"

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

} // namespace valthera
