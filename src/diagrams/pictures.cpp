#include "diagrams/pictures.h"

#include "app/look.h"

#include <QPainter>

namespace valthera {

// Placeholder drawing until the diagram set is in: a blue field with the picture's name.
void paintPicture(PictureId id, QPainter &painter, const QRectF &target)
{
    painter.fillRect(target, look::windowBlue());
    painter.setPen(Qt::white);
    painter.drawText(target, Qt::AlignCenter, pictureDescription(id));
}

QString pictureDescription(PictureId id)
{
    return QStringLiteral("Picture %1").arg(static_cast<int>(id));
}

} // namespace valthera
