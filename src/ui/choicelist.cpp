#include "ui/choicelist.h"

#include <QMouseEvent>

namespace valthera {

ChoiceList::ChoiceList(QWidget *parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
}

void ChoiceList::setLines(const QStringList &lines)
{
    refilling_ = true;
    clear();
    addItems(lines);
    refilling_ = false;
}

QStringList ChoiceList::lines() const
{
    QStringList result;
    for (int i = 0; i < count(); ++i)
        result.append(item(i)->text());
    return result;
}

namespace {

// The same press or release without the keyboard modifiers: Ctrl would deselect
// the line already chosen, and a choice is the line clicked whatever key is held.
QMouseEvent withoutModifiers(const QMouseEvent *event)
{
    return QMouseEvent(event->type(), event->position(), event->scenePosition(), event->globalPosition(),
        event->button(), event->buttons(), Qt::NoModifier, event->pointingDevice());
}

} // namespace

void ChoiceList::mousePressEvent(QMouseEvent *event)
{
    // Only the left button chooses; another leaves the highlight where it is,
    // so no line stands highlighted that was not marked.
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    // The press selects the line under the pointer; that selection is reported
    // once below, even when the line was already the current one.
    QMouseEvent plain = withoutModifiers(event);
    pressing_ = true;
    QListWidget::mousePressEvent(&plain);
    pressing_ = false;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        emit chosen(index.row());
}

void ChoiceList::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QMouseEvent plain = withoutModifiers(event);
    QListWidget::mouseReleaseEvent(&plain);
}

void ChoiceList::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QListWidget::selectionChanged(selected, deselected);
    if (pressing_ || refilling_ || selected.indexes().isEmpty())
        return;
    emit chosen(selected.indexes().first().row());
}

} // namespace valthera
