#include "diagrams/explore.h"

#include "diagrams/loopchart.h"
#include "diagrams/picturebox.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

namespace valthera {

namespace {

ExploreHandler &handler()
{
    static ExploreHandler h;
    return h;
}

// Watches one window for the keys and the keyboard context-menu event its
// controls let pass.
class ExploreKeys : public QObject {
public:
    ExploreKeys(QWidget *window, std::function<PictureBox *()> chartOnView)
        : QObject(window)
        , window_(window)
        , chartOnView_(std::move(chartOnView))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != window_ || !hasExploreHandler())
            return false;
        if (event->type() == QEvent::ContextMenu) {
            const auto *menuEvent = static_cast<QContextMenuEvent *>(event);
            return menuEvent->reason() == QContextMenuEvent::Keyboard && taken(event, openMenu());
        }
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (key->key() == Qt::Key_L && modifiers == Qt::ControlModifier) {
            PictureBox *box = chartOnView_();
            return taken(event, box && explore(box->picture()));
        }
        // The context-menu key arrives as the platform's keyboard context-menu
        // event above; answering its key press as well would open the menu twice.
        if (key->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier)
            return taken(event, openMenu());
        return false;
    }

private:
    static bool taken(QEvent *event, bool done)
    {
        if (done)
            event->accept();
        return done;
    }

    bool openMenu()
    {
        PictureBox *box = chartOnView_();
        if (!box || !exploredLoop(box->picture()))
            return false;
        // The menu opens on the chart itself, as if it had been right-clicked there.
        box->showExploreMenu(box->mapToGlobal(box->visibleArea().center()));
        return true;
    }

    QPointer<QWidget> window_;
    std::function<PictureBox *()> chartOnView_;
};

} // namespace

void setExploreHandler(ExploreHandler h)
{
    handler() = std::move(h);
}

bool hasExploreHandler()
{
    return static_cast<bool>(handler());
}

std::optional<LoopId> exploredLoop(PictureId id)
{
    if (!isChart(id))
        return std::nullopt;
    return chartFor(id).design().changedLoop.value_or(LoopId::Control);
}

bool explore(PictureId id)
{
    const std::optional<LoopId> loop = exploredLoop(id);
    if (!loop || !hasExploreHandler())
        return false;
    // A copy: the handler may replace itself while it runs.
    const ExploreHandler h = handler();
    h(*loop);
    return true;
}

QString exploreCommandText()
{
    return QStringLiteral("Explore in Loop Lab");
}

void addExploreKeys(QWidget *window, std::function<PictureBox *()> chartOnView)
{
    new ExploreKeys(window, std::move(chartOnView));
}

} // namespace valthera
