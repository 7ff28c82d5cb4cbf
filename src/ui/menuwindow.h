#pragma once
// The frame of every window that carries the section menu: caption, blue
// background, the menu bar of plain commands, and a blue client area laid out
// in twips. A restored window has the design client size (widened so every
// menu command shows) and cannot be shrunk below it. Both follow the program's
// zoom, as do the controls on the client area; the bar keeps the desktop's size.

#include <QMainWindow>


namespace valthera {

class ScreenRegistry;

class MenuWindow : public QMainWindow {
    Q_OBJECT
public:
    MenuWindow(ScreenRegistry &registry, const QString &caption, int clientWidthTwips, int clientHeightTwips);

    QWidget *client() const { return client_; }

private:
    void followZoom(qreal factor, qreal previous);
    QSize minimumClient() const;

    QWidget *client_ = nullptr;
    int clientWidthTwips_ = 0;
    int clientHeightTwips_ = 0;
    QSize zoomedSize_; // the restored size the zoom gave the window last
};

} // namespace valthera
