#pragma once
// A box that shows one fixed picture scaled to the box. Boxes nest by widget
// parentage (a box inside another is seen only while its container is) and
// overlap by stacking order; screens switch them by visibility alone.

#include "diagrams/pictures.h"

#include <QWidget>

namespace valthera {

class PictureBox : public QWidget {
    Q_OBJECT
public:
    PictureBox(PictureId picture, QWidget *parent = nullptr);
    PictureId picture() const { return picture_; }
    // The part of the box that can be seen: all of it, or the part inside its container.
    QRect visibleArea() const;
    // The chart's menu with its one command, "Explore in Loop Lab", at a global
    // point; returns when it closes. Nothing for a schematic or while no
    // explore handler is set.
    void showExploreMenu(const QPoint &globalPos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    PictureId picture_;
};

// The picture a student sees in an area: the innermost shown box on top, or
// nullptr when none is shown.
PictureBox *pictureOnView(const QWidget *area);

} // namespace valthera
