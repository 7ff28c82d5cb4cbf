#pragma once
// The frame of every window that carries the section menu: caption, blue
// background, the menu bar of plain commands, and a blue client area laid out
// in twips. The client keeps its design size times the zoom (or what its
// layout needs, if more) and scrolls inside the window when the window is
// smaller, so every control stays reachable on a small screen or at a large
// zoom; a control that takes the focus is scrolled into view. A restored window
// opens at the design client size (widened so every menu command shows), as
// far as its screen allows. The bar keeps the desktop's size.

#include <QMainWindow>

class QScrollArea;

namespace valthera {

class ScreenRegistry;

class MenuWindow : public QMainWindow {
    Q_OBJECT
public:
    MenuWindow(ScreenRegistry &registry, const QString &caption, int clientWidthTwips, int clientHeightTwips);
    ~MenuWindow() override;

    QWidget *client() const { return client_; }
    // The scrolled view of the client.
    QScrollArea *clientView() const { return view_; }

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;
    // After a zoom step, does every layout the step asked for before its frame
    // is painted (the window does it itself at each of its frames).
    void settleLayouts();

private:
    void followZoom(qreal factor, qreal previous);
    void fitClient(bool askLayout = true);
    void sizeToScreen();
    void showFocus();

    QScrollArea *view_ = nullptr;
    QWidget *client_ = nullptr;
    int clientWidthTwips_ = 0;
    int clientHeightTwips_ = 0;
    QSize zoomedSize_; // the restored size the zoom gave the window last
    qreal builtAt_ = 1; // the zoom the window was built at
    bool followingZoom_ = false;
    bool zoomedSinceFrame_ = false;
};

} // namespace valthera
