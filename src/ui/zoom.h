#pragma once
// One zoom for the whole program, for reading the screens from the back of a
// lecture hall. Every window is laid out in twips at 100 %; at another zoom
// each control sits at its design place times the zoom and its text is the
// design point size times the zoom, so the screens look the same, only larger
// or smaller. The pictures draw themselves from their widget's size, so they
// stay sharp at every zoom. The zoom is kept for the run only, never stored.
//
// How a window follows the zoom:
//   - followZoom(window) once the window is built (the screen registry does it
//     for every screen it creates); it rescales the window's controls and
//     fonts now and on every change. Call it again after adding controls.
//   - place(widget, twips) places a control so that the zoom knows its exact
//     design place; controls placed otherwise are rescaled from the pixel
//     geometry they had when followZoom first saw them.
//   - A window's own size is its own business: connect to Zoom::changed and
//     use sizeForZoom() (a plain window) or MenuWindow (which does it itself).
//   - Zoom::instance().factor() is the current factor; Zoom::changed tells of
//     every change.
// ZoomKeys maps Ctrl+Plus, Ctrl+=, Ctrl+Minus, Ctrl+0 and Ctrl+wheel on every
// window that follows the zoom.

#include "ui/look.h"

#include <QObject>
#include <QSize>
#include <array>
#include <functional>

class QPainter;
class QString;
class QWidget;

namespace valthera::look {

class Zoom : public QObject {
    Q_OBJECT
public:
    // The zoom steps, in percent of the design size.
    static constexpr std::array<int, 12> kSteps{50, 67, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300};

    static Zoom &instance();

    int percent() const { return kSteps[step_]; }
    qreal factor() const { return percent() / 100.0; }

    // One step up or down; nothing happens past the last step.
    void zoomIn();
    void zoomOut();
    // Back to 100 %.
    void reset();
    // Goes to the step of that percentage (ignored if it is not a step).
    void setPercent(int percent);

signals:
    // After the factor changed; previous is the factor before.
    void changed(qreal factor, qreal previous);

private:
    Zoom() = default;
    void go(size_t step);

    size_t step_ = 4; // 100 %
};

// The point size of text designed at designPointSize, at zoom factor on a
// display of dpi dots per inch: as near the design times the zoom as whole
// pixels allow, never larger.
qreal zoomedPointSize(qreal designPointSize, qreal factor, int dpi);
// The point size a control's own font was designed at (its present one if the
// zoom has not seen it).
qreal designPointSize(const QWidget *widget);

// Pixels of a length in twips at the current zoom (equal to px() at 100 %).
int zoomedPx(int twips);
// A place in twips as pixels at the current zoom.
QRect zoomedPixels(const Place &place);

// Marks a label that sizes itself to its caption: at every zoom it keeps its
// place and takes the size its caption needs in the zoomed font.
void markFitsCaption(QWidget *label);

// Makes a window's controls follow the zoom (see the top of this file).
void followZoom(QWidget *window);
bool followsZoom(const QWidget *window);

// Readies, while the program is idle, what a window's first step to each zoom
// would otherwise make on the spot: the fonts at that size and the glyphs of
// the window's texts in them (about 2 ms a size for the Loop Lab, more than a
// step to a size shown before takes to lay out). A step at a moment the work
// has not reached pays as before. alsoReady, if given, is called with each
// factor readied, the present one first, for what the window draws elsewhere
// (its own threads). Starts a moment after the window shows; once per window.
void readyZoomSteps(QWidget *window, std::function<void(qreal factor)> alsoReady = {});

// Draws characters in the painter's font onto its device (a scratch picture
// of 384 × 96 pixels is enough), so that the glyphs a later text in that font
// needs on this thread are already made.
void makeGlyphs(QPainter &painter, const QString &characters);

// The size a plain top-level window takes at the current zoom, for a window of
// designSize at 100 %: designSize times the zoom, or, when the student has
// resized the window since, its present size scaled from the previous zoom.
// Maximized and full-screen windows keep their size. The window is kept on
// its screen.
void sizeForZoom(QWidget *window, QSize designSize, qreal previousFactor);

// Moves a restored top-level window so as much of it as can lies on its screen,
// its top-left corner always.
void keepOnScreen(QWidget *window);

// Maps the zoom keys and Ctrl+wheel for every window that follows the zoom.
// Installed on the application for as long as the object lives.
class ZoomKeys : public QObject {
    Q_OBJECT
public:
    ZoomKeys();
    ~ZoomKeys() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int wheelRest_ = 0; // angle not yet turned into a step (fine-grained wheels)
};

} // namespace valthera::look
