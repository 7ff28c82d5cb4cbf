#pragma once
// The small widgets the lab's panels are made of: labels that keep the sizes
// they worked out, in the light text of the lab's dark ground, a box of
// readout lines laid out by hand, and a column whose width follows the zoom.

#include <QHash>
#include <QLabel>
#include <QWidget>

namespace valthera::lab {

// A label that keeps the sizes it worked out. A label lays its text out again
// for each size it is asked, and a wrapped one several times over, for every
// width a layout asks about; the lab's hundred labels did it at every zoom
// step and again on the way back. Kept by font, text and width, so a zoom step
// seen before finds them all.
class KeptSizeLabel : public QLabel {
public:
    using QLabel::QLabel;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;

private:
    static constexpr int kSizeHint = -2, kMinimumSizeHint = -3; // beside the widths asked
    static constexpr qsizetype kMostKept = 64;

    // Whatever else a label's size follows is set once, when it is made.
    struct Key {
        QFont font;
        QString text;
        int what;
        bool wrap;
        int alignment;
        bool operator==(const Key &) const = default;
    };
    friend size_t qHash(const Key &key, size_t seed = 0)
    {
        return qHashMulti(seed, key.font, key.text, key.what, key.wrap, key.alignment);
    }

    template <typename Work> QSize kept(int what, Work work) const
    {
        const Key key{font(), text(), what, wordWrap(), static_cast<int>(alignment())};
        if (const auto found = sizes_.constFind(key); found != sizes_.cend())
            return *found;
        if (sizes_.size() >= kMostKept)
            sizes_.clear();
        return *sizes_.insert(key, work());
    }

    mutable QHash<Key, QSize> sizes_;
};

// A kept-size label in the lab's light text.
QLabel *whiteLabel(const QString &text, QWidget *parent);

// Lines of text one under the other whose text changes on every frame of
// Play: laid out here by hand, a new text asks only this box to place its
// lines again, and the window's layouts (and the charts and scroll bars they
// would repaint) hear of it only when the height the lines need changes.
class ReadoutBox : public QWidget {
public:
    explicit ReadoutBox(QWidget *parent);

    QSize sizeHint() const override { return {0, neededHeight()}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *) override { placeLines(); }

private:
    QList<QLabel *> lines() const { return findChildren<QLabel *>(Qt::FindDirectChildrenOnly); }
    int neededHeight() const;
    void placeLines();

    int laidOut_ = -1;
};

// A column of the lab whose width follows the zoom. The width is the column's
// size hint, not a fixed size: a fixed size resizes the column, and lays out
// every control in it, there and then, before the zoom has given them their
// new fonts; a hint is taken once, when the window is laid out for the zoom.
class Column : public QWidget {
public:
    explicit Column(QWidget *parent);

    void setColumnWidth(int width);
    QSize sizeHint() const override { return {width_, QWidget::sizeHint().height()}; }
    QSize minimumSizeHint() const override { return {width_, QWidget::minimumSizeHint().height()}; }

private:
    int width_ = 0;
};

} // namespace valthera::lab
