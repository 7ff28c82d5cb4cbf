#include "app/controls.h"

#include <QLabel>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace valthera::look {

void CommandButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    painter.setPen(palette().color(QPalette::ButtonText));
    const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, caption);
}

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption, const Place &place,
                        const QColor &face)
{
    auto *button = new CommandButton(caption, parent);
    button->setObjectName(name);
    styleButton(button, face);
    button->setGeometry(toPixels(place));
    button->setAutoDefault(false);
    return button;
}

QLabel *makeLabel(QWidget *parent, const QString &name, const Place &place)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(toPixels(place));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

void setCaption(QLabel *label, const QString &caption, bool autoSize)
{
    label->setText(caption);
    if (autoSize)
        label->resize(label->sizeHint());
}

} // namespace valthera::look
