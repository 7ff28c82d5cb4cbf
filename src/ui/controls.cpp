#include "ui/controls.h"

#include "ui/zoom.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
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

void CommandButton::keyPressEvent(QKeyEvent *event)
{
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && plain && !isDefault()) {
        click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

QPushButton *makeButton(
    QWidget *parent, const QString &name, const QString &caption, const Place &place, const QColor &face)
{
    auto *button = new CommandButton(caption, parent);
    button->setObjectName(name);
    styleButton(button, face);
    look::place(button, place);
    button->setAutoDefault(false);
    return button;
}

QLabel *makeLabel(QWidget *parent, const QString &name, const Place &place)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    look::place(label, place);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

void setCaption(QLabel *label, const QString &caption, bool autoSize)
{
    label->setText(caption);
    if (autoSize) {
        markFitsCaption(label);
        label->resize(label->sizeHint());
    }
}

void sizeToDesign(QMainWindow *window, int clientWidthTwips, int clientHeightTwips)
{
    const QSize client(zoomedPx(clientWidthTwips), zoomedPx(clientHeightTwips));
    const QSize bar = window->menuBar()->sizeHint();
    window->resize(std::max(client.width(), bar.width()), client.height() + bar.height());
}

void orderTabsByPlace(QWidget *client)
{
    QList<QWidget *> focusable;
    for (QWidget *widget : client->findChildren<QWidget *>()) {
        if (widget->focusPolicy() & Qt::TabFocus && widget->window() == client->window())
            focusable.append(widget);
    }
    // Controls whose tops lie within half a text line of each other share a row.
    const int rowTolerance = zoomedPx(120);
    auto place = [client](const QWidget *widget) { return widget->mapTo(client, QPoint(0, 0)); };
    std::stable_sort(focusable.begin(), focusable.end(), [&](const QWidget *a, const QWidget *b) {
        const QPoint pa = place(a), pb = place(b);
        if (std::abs(pa.y() - pb.y()) > rowTolerance)
            return pa.y() < pb.y();
        return pa.x() < pb.x();
    });
    for (qsizetype i = 1; i < focusable.size(); ++i)
        QWidget::setTabOrder(focusable[i - 1], focusable[i]);
}

void describeQuestionButtons(QPushButton *start, QPushButton *next, QPushButton *reset)
{
    start->setAccessibleDescription(QStringLiteral("Puts up the first question"));
    next->setAccessibleDescription(QStringLiteral("Puts up the next question"));
    reset->setAccessibleDescription(QStringLiteral("Clears the questions"));
}

void announce(QLabel *label)
{
    QAccessibleEvent nameChanged(label, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&nameChanged);
    QAccessibleEvent alert(label, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

} // namespace valthera::look
