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

void ChoiceList::mousePressEvent(QMouseEvent *event)
{
    // The press selects the line under the pointer; that selection is reported
    // once below, even when the line was already the current one.
    pressing_ = true;
    QListWidget::mousePressEvent(event);
    pressing_ = false;
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        emit chosen(index.row());
}

void ChoiceList::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QListWidget::selectionChanged(selected, deselected);
    if (pressing_ || refilling_ || selected.indexes().isEmpty())
        return;
    emit chosen(selected.indexes().first().row());
}

} // namespace valthera
