#include "ui/topictext.h"

#include <QEvent>

namespace valthera {

TopicText::TopicText(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab leaves the box, so a keyboard user is never trapped in it; a box the
    // student cannot type into can still be read line by line from the keyboard.
    setTabChangesFocus(true);
    viewport()->installEventFilter(this);
    connect(this, &QPlainTextEdit::textChanged, this, &TopicText::noteChange);
}

void TopicText::setReadOnly(bool readOnly)
{
    QPlainTextEdit::setReadOnly(readOnly);
    if (readOnly)
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void TopicText::setText(const QString &text)
{
    if (text == known_)
        return;
    setPlainText(text);
}

void TopicText::noteChange()
{
    // textChanged also fires for edits that leave the text as it was (an undo
    // step, a format change); only a different text is a change.
    const QString now = toPlainText();
    if (now == known_)
        return;
    known_ = now;
    emit changed();
}

bool TopicText::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == viewport() && event->type() == QEvent::MouseButtonPress)
        emit clicked();
    return QPlainTextEdit::eventFilter(watched, event);
}

} // namespace valthera
