#pragma once
// Every fixed picture a screen can show, addressed by an id. A picture is drawn
// with QPainter into whatever rectangle its box has, so it stays sharp at any
// screen scale; nothing in a picture changes after start-up.

#include <QRectF>
#include <QString>

class QPainter;

namespace valthera {

enum class PictureId {
    // Cycle schematics (smooth curves, a P vs Time panel beside a P-V loop).
    CycleSchematic,
    LabelledCycleSchematic,
    AfterloadComparison,
    ThreePatient,
    // Loop charts (straight-segment loops on pressure-volume axes).
    BasicsControl,          // "Control P-V Loop", with segment letters
    AfterloadControl,       // "Control"
    Afterload90,            // "Afterload = 90 mmHg"
    Afterload100,           // "Afterload = 100 mmHg"
    PreloadControl,         // "Control Preload = 120 ml"
    Preload100,             // "Preload = 100 ml"
    Preload140,             // "Preload = 140 ml"
    ContractilityControl,   // "Control"
    Contractility125,       // "Contractility = 125% of Contol"
    Contractility75,        // "Contractility = 75% of Contol"
    IncreasedAfterload,     // picture window charts
    IncreasedPreload,
    IncreasedContractility,
    PipLine,
};

// Draws the picture to fill target.
void paintPicture(PictureId id, QPainter &painter, const QRectF &target);

// A short description for screen readers: "Chart: " and the chart's title, or
// the schematic's name.
QString pictureDescription(PictureId id);

} // namespace valthera
