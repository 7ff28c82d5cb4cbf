#include "ui/windowimage.h"

#include <QApplication>
#include <QBackingStore>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace valthera {

namespace {

// Lives as a child of its window, so it goes with it.
class ImageRelease : public QObject {
public:
    explicit ImageRelease(QWidget *window)
        : QObject(window)
        , window_(window)
    {
        window->installEventFilter(this);
        watchHandle();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == window_) {
            if (event->type() == QEvent::WindowDeactivate) {
                // After the deactivation's own repaints, and only if the
                // student did not come straight back.
                QTimer::singleShot(0, this, [this] { releaseIfReplaced(); });
            } else if (event->type() == QEvent::Show || event->type() == QEvent::WinIdChange) {
                watchHandle();
            }
        } else if (watched == handle_ && event->type() == QEvent::Expose) {
            // Uncovered after its image went: with nothing to copy back, the
            // window draws itself whole before the exposed part is shown.
            const QBackingStore *store = window_->backingStore();
            if (store && store->size() != window_->size())
                window_->update();
        }
        return false;
    }

private:
    void watchHandle()
    {
        QWindow *handle = window_->windowHandle();
        if (handle == handle_)
            return;
        if (handle_)
            handle_->removeEventFilter(this);
        handle_ = handle;
        if (handle_)
            handle_->installEventFilter(this);
    }

    void releaseIfReplaced()
    {
        if (!window_->isVisible() || window_->isActiveWindow())
            return;
        // Left for another program, or for a dialog or window of its own.
        const QWidget *active = QApplication::activeWindow();
        if (!active)
            return;
        for (const QWidget *w = active; w; w = w->parentWidget()) {
            if (w->window() == window_)
                return;
        }
        // Losing the focus repaints a few controls in their inactive colours:
        // that paint first, so it does not bring the image straight back.
        QCoreApplication::sendPostedEvents(window_, QEvent::UpdateRequest);
        QBackingStore *store = window_->backingStore();
        if (store && !store->size().isEmpty())
            store->resize(QSize(0, 0)); // the next paint finds it the wrong size and draws everything
    }

    QWidget *window_;
    QPointer<QWindow> handle_;
};

bool platformFreesImages()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("offscreen"));
}

} // namespace

void releaseImageWhenReplaced(QWidget *window)
{
    if (window && window->isWindow() && platformFreesImages())
        new ImageRelease(window);
}

} // namespace valthera
