#include "lab/labwidgets.h"

#include "ui/look.h"

#include <QEvent>

namespace valthera::lab {

QSize KeptSizeLabel::sizeHint() const
{
    return kept(kSizeHint, [this] { return QLabel::sizeHint(); });
}

QSize KeptSizeLabel::minimumSizeHint() const
{
    return kept(kMinimumSizeHint, [this] { return QLabel::minimumSizeHint(); });
}

int KeptSizeLabel::heightForWidth(int width) const
{
    return kept(width, [this, width] { return QSize(0, QLabel::heightForWidth(width)); }).height();
}

QLabel *whiteLabel(const QString &text, QWidget *parent)
{
    auto *label = new KeptSizeLabel(text, parent);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, look::lightText());
    label->setPalette(palette);
    return label;
}

ReadoutBox::ReadoutBox(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

bool ReadoutBox::event(QEvent *event)
{
    if (event->type() == QEvent::LayoutRequest) {
        if (const int needed = neededHeight(); needed != laidOut_) {
            laidOut_ = needed;
            updateGeometry();
        }
        placeLines();
        return true;
    }
    return QWidget::event(event);
}

int ReadoutBox::neededHeight() const
{
    int height = 0;
    for (const QLabel *line : lines())
        height += line->sizeHint().height();
    return height;
}

void ReadoutBox::placeLines()
{
    int top = 0;
    for (QLabel *line : lines()) {
        const int height = line->sizeHint().height();
        line->setGeometry(0, top, width(), height);
        top += height;
    }
}

Column::Column(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void Column::setColumnWidth(int width)
{
    if (width != width_) {
        width_ = width;
        updateGeometry();
    }
}

} // namespace valthera::lab
