#include "diagrams/picturebox.h"

#include "app/accessibility.h"

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
    paintPicture(picture_, painter, QRectF(rect()));
}

} // namespace valthera
