#include "ui/choicelist.h"

#include "ui/zoom.h"

#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace valthera {

namespace {

// Lines keep the share of the list they have at 100 %. The style's spacing
// around a line's text and the list's frame stay the same at every font size,
// so a list laid out for six lines would otherwise lose its last line when
// zoomed out, and gain empty space when zoomed in.
class ZoomedLines : public QStyledItemDelegate {
public:
    explicit ZoomedLines(QAbstractScrollArea *list)
        : QStyledItemDelegate(list)
        , list_(list)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const qreal factor = look::Zoom::instance().factor();
        if (factor == 1.0 || option.font.pointSizeF() <= 0)
            return size;
        QFont design = option.font;
        design.setPointSizeF(look::designPointSize(list_));
        const int designLine = QFontMetrics(design).height() + size.height() - option.fontMetrics.height();
        // The room inside the frame now, against the room at 100 %.
        const int room = list_->contentsRect().height();
        const qreal designRoom = list_->height() / factor - (list_->height() - room);
        const int zoomed = designRoom > 0 ? static_cast<int>(designLine * room / designRoom) : size.height();
        size.setHeight(std::max(zoomed, option.fontMetrics.height())); // never lower than the text
        return size;
    }

private:
    QAbstractScrollArea *list_;
};

} // namespace

ChoiceList::ChoiceList(QWidget *parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    setItemDelegate(new ZoomedLines(this));
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
