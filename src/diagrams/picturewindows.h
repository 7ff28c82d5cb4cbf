#pragma once
// The four picture windows the loop-change lessons bring forward: modeless,
// parentless, without a menu, each filled by its one chart.

#include "ui/look.h"
#include "diagrams/pictures.h"

#include <QWidget>
#include <optional>

namespace valthera {

class ScreenRegistry;

class PictureWindow : public QWidget {
    Q_OBJECT
public:
    // placement: where the window puts itself at creation and every time it
    // becomes the active window (outer frame, twips, at the program's zoom);
    // none for the others.
    PictureWindow(PictureId picture, std::optional<look::Place> placement = std::nullopt);

    PictureId picture() const { return picture_; }
    int placements() const { return placements_; }

protected:
    bool event(QEvent *event) override;

private:
    // Applies the placement rule; counted unless it only follows a zoom change.
    void place(bool counted = true);
    static QSize designSize();

    PictureId picture_;
    std::optional<look::Place> placement_;
    int placements_ = 0;
};

// IncreasedAfterload, IncreasedPreload, IncreasedContractility and PipLine.
void registerPictureWindows(ScreenRegistry &registry);

// Where IncreasedPreload keeps itself.
inline constexpr look::Place kIncreasedPreloadPlace{5655, 4200, 5895, 4605};

} // namespace valthera
