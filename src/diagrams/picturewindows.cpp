#include "diagrams/picturewindows.h"

#include "ui/accessibility.h"
#include "ui/screenregistry.h"
#include "diagrams/explore.h"
#include "diagrams/loopchart.h"
#include "diagrams/picturebox.h"
#include "ui/zoom.h"

#include <QEvent>
#include <QVBoxLayout>

namespace valthera {

PictureWindow::PictureWindow(PictureId picture, std::optional<look::Place> placement)
    : QWidget(nullptr, Qt::Window)
    , picture_(picture)
    , placement_(placement)
{
    // Without a role of its own a bare widget window reads as an unnamed pane.
    look::presentAs(staticMetaObject.className(), QAccessible::Window);
    setWindowTitle(chartFor(picture).design().title);
    look::paintBackground(this, look::windowBlue());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *box = new PictureBox(picture, this);
    layout->addWidget(box);
    addExploreKeys(this, [box] { return box; });
    look::sizeForZoom(this, designSize(), 1.0);
    if (placement_)
        place();
    // At another zoom the window keeps its placement rule, or grows or shrinks
    // with the zoom; the chart draws itself afresh at the new size.
    connect(&look::Zoom::instance(), &look::Zoom::changed, this, [this](qreal, qreal previous) {
        if (placement_)
            place(false);
        else
            look::sizeForZoom(this, designSize(), previous);
    });
}

QSize PictureWindow::designSize()
{
    return look::toPixels(kIncreasedPreloadPlace.width, kIncreasedPreloadPlace.height);
}

bool PictureWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && placement_)
        place();
    return QWidget::event(event);
}

void PictureWindow::place(bool counted)
{
    // Top, height, left, width, one after the other. Position and size are the
    // outer frame's (move() places a window's frame); the client area is what
    // the frame leaves of the size.
    const QSize frameExtra = frameGeometry().size() - size();
    move(pos().x(), look::zoomedPx(placement_->top));
    resize(width(), std::max(1, look::zoomedPx(placement_->height) - frameExtra.height()));
    move(look::zoomedPx(placement_->left), pos().y());
    resize(std::max(1, look::zoomedPx(placement_->width) - frameExtra.width()), height());
    if (counted)
        ++placements_;
}

void registerPictureWindows(ScreenRegistry &registry)
{
    const auto window = [](PictureId id, std::optional<look::Place> placement = std::nullopt) {
        return [id, placement](ScreenRegistry &) -> QWidget * { return new PictureWindow(id, placement); };
    };
    registry.add(QStringLiteral("IncreasedAfterload"), window(PictureId::IncreasedAfterload));
    registry.add(QStringLiteral("IncreasedPreload"), window(PictureId::IncreasedPreload, kIncreasedPreloadPlace));
    registry.add(QStringLiteral("IncreasedContractility"), window(PictureId::IncreasedContractility));
    registry.add(QStringLiteral("PipLine"), window(PictureId::PipLine));
}

} // namespace valthera
