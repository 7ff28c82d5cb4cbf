#pragma once
// A list whose every selection is reported exactly once: a left click on a line
// (also the line already selected, whatever keys are held), a keyboard move, or a programmatic
// selection. Refilling the list reports nothing, and neither does the focus
// frame that lands on the first line when the list gains focus: that line is
// current but not selected.

#include <QListWidget>

namespace valthera {

class ChoiceList : public QListWidget {
    Q_OBJECT
public:
    explicit ChoiceList(QWidget *parent = nullptr);

    // Replaces the lines without reporting a selection.
    void setLines(const QStringList &lines);
    QStringList lines() const;

signals:
    void chosen(int row);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

private:
    bool pressing_ = false;
    bool refilling_ = false;
};

} // namespace valthera
