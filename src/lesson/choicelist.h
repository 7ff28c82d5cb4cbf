#pragma once
// A list whose every selection is reported exactly once: a click on a line
// (also the line already selected), a keyboard move, or a programmatic change
// of the current line. Refilling the list reports nothing.

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
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    bool pressing_ = false;
    bool refilling_ = false;
};

} // namespace valthera
