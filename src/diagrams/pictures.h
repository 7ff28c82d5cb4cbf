#pragma once
// Every fixed picture a screen can show, addressed by an id. A picture is drawn
// with QPainter into whatever rectangle its box has, so it stays sharp at any
// screen scale; nothing in a picture changes after start-up.

#include <QRectF>
#include <QSize>
#include <QString>
#include <vector>

class QPainter;

namespace valthera {

enum class PictureId {
    // Cycle schematics (smooth curves, a P vs Time panel beside a P-V loop).
    CycleSchematic,
    LabelledCycleSchematic,
    AfterloadComparison,
    ThreePatient,
    // Loop charts (straight-segment loops on pressure-volume axes).
    BasicsControl, // "Control P-V Loop", with segment letters
    AfterloadControl, // "Control"
    Afterload90, // "Afterload = 90 mmHg"
    Afterload100, // "Afterload = 100 mmHg"
    PreloadControl, // "Control Preload = 120 ml"
    Preload100, // "Preload = 100 ml"
    Preload140, // "Preload = 140 ml"
    ContractilityControl, // "Control"
    Contractility125, // "Contractility = 125% of Contol"
    Contractility75, // "Contractility = 75% of Contol"
    IncreasedAfterload, // picture window charts
    IncreasedPreload,
    IncreasedContractility,
    PipLine,
};

// Draws the picture to fill target.
void paintPicture(PictureId id, QPainter &painter, const QRectF &target);

// A short description for screen readers: "Chart: " and the chart's title, or
// the schematic's name.
QString pictureDescription(PictureId id);

// Every picture id, in declaration order, and a name for each (for files and tests).
const std::vector<PictureId> &allPictures();
QString pictureName(PictureId id);

// The size in pixels of the box the picture is shown in on its screen.
QSize pictureDesignSize(PictureId id);

// Charts are the straight-segment loop pictures; the rest are schematics.
bool isChart(PictureId id);
class LoopChart;
LoopChart chartFor(PictureId id); // only for charts

} // namespace valthera
