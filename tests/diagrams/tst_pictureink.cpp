// Every element of every picture leaves ink of its own colour where it has
// to stand, so a picture that lost a title, a label, a curve, a marker or a
// line fails here even though nothing else about it changed.
//
// Pictures are rendered at the size of their box, at a device pixel ratio of
// 2 so that small text still has a fair number of pixels. Charts are checked
// against their own frame (the mapping from ml and mmHg to pixels) and the
// loop table. For what no public geometry places (the schematics, the chart
// letters and notes) the regions below are the boxes the elements take in
// the current rendering, in logical pixels of the design-size box, with the
// least number of device pixels of the element's colour they must hold. Each
// minimum lies halfway between the count with the element and the count
// without it, so a missing element fails while antialiasing noise does not.

#include "diagrams/loopchart.h"
#include "diagrams/loopgeometry.h"
#include "diagrams/pictures.h"
#include "ui/look.h"

#include <QHash>
#include <QImage>
#include <QPainter>
#include <QtTest>

using namespace valthera;

Q_DECLARE_METATYPE(valthera::PictureId)

namespace {

constexpr qreal kRatio = 2;

const QImage &rendering(PictureId id)
{
    static QHash<int, QImage> images;
    auto found = images.find(int(id));
    if (found == images.end()) {
        const QSize size = pictureDesignSize(id);
        QImage image((QSizeF(size) * kRatio).toSize(), QImage::Format_ARGB32);
        image.setDevicePixelRatio(kRatio);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        paintPicture(id, painter, QRectF(QPointF(0, 0), QSizeF(size)));
        painter.end();
        found = images.insert(int(id), image);
    }
    return *found;
}

// Whether a pixel shows ink of that colour over a background: on the straight
// line from the background to the ink in RGB, at least half way to the ink.
// Antialiased edges count as long as the ink dominates them; another colour
// of similar brightness does not.
bool inked(const QColor &pixel, const QColor &ink, const QColor &background)
{
    const double dr = ink.red() - background.red(), dg = ink.green() - background.green(),
                 db = ink.blue() - background.blue();
    const double pr = pixel.red() - background.red(), pg = pixel.green() - background.green(),
                 pb = pixel.blue() - background.blue();
    const double t = (pr * dr + pg * dg + pb * db) / (dr * dr + dg * dg + db * db);
    if (t < 0.5 || t > 1.1)
        return false;
    const double er = pr - t * dr, eg = pg - t * dg, eb = pb - t * db;
    return er * er + eg * eg + eb * eb <= 30.0 * 30.0;
}

// Device pixels of ink within a region given in logical pixels. Schematics
// stand on white; chart ink stands on the green plot or the blue surround.
int inkIn(PictureId id, const QRectF &logical, const QColor &ink)
{
    const QImage &image = rendering(id);
    const QList<QColor> backgrounds =
        isChart(id) ? QList<QColor>{LoopChart::plotColour(), look::windowBlue()} : QList<QColor>{Qt::white};
    const QRect device = QRectF(logical.topLeft() * kRatio, logical.size() * kRatio).toAlignedRect() & image.rect();
    int count = 0;
    for (int y = device.top(); y <= device.bottom(); ++y)
        for (int x = device.left(); x <= device.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            for (const QColor &background : backgrounds) {
                if (background != ink && inked(pixel, ink, background)) {
                    ++count;
                    break;
                }
            }
        }
    return count;
}

const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kGreen(0, 255, 0); // the schematic's contraction
const QColor kEjectionRed(204, 51, 0);
const QColor kRelaxationBlue(51, 51, 204); // the relaxation, and "Closes"
const QColor kValveGreen(0, 196, 0); // "Opens"

struct Element {
    PictureId picture;
    const char *what;
    QRect where; // logical pixels of the design-size box
    QColor ink;
    int least; // device pixels
};

// Measured in the current rendering. Dotted guides too faint to tell from
// their neighbours at this size are left out.
using P = PictureId;
const Element kElements[] = {
    {P::CycleSchematic, "\"P vs Time\" heading", {68, 104, 49, 9}, kBlack, 248},
    {P::CycleSchematic, "time axis", {18, 266, 149, 2}, kBlack, 162},
    {P::CycleSchematic, "time panel pressure axis", {18, 125, 1, 143}, kBlack, 293},
    {P::CycleSchematic, "time tick labels", {16, 272, 155, 6}, kBlack, 154},
    {P::CycleSchematic, "time ticks", {18, 268, 56, 3}, kBlack, 8},
    {P::CycleSchematic, "Aortic pressure, dashed", {93, 173, 77, 19}, kBlack, 97},
    {P::CycleSchematic, "Atrial pressure, dotted", {55, 261, 38, 3}, kBlack, 23},
    {P::CycleSchematic, "Ventricle before A, black", {28, 259, 6, 2}, kBlack, 11},
    {P::CycleSchematic, "Ventricle A to B, green", {38, 190, 13, 72}, kGreen, 221},
    {P::CycleSchematic, "Ventricle B to C, red", {49, 151, 48, 41}, kEjectionRed, 257},
    {P::CycleSchematic, "Ventricle C to D, blue", {95, 171, 15, 88}, kRelaxationBlue, 273},
    {P::CycleSchematic, "Ventricle after D, black", {122, 263, 16, 2}, kBlack, 39},
    {P::CycleSchematic, "\"Aortic\" curve name", {125, 165, 23, 7}, kBlack, 102},
    {P::CycleSchematic, "\"Atrial\" curve name", {135, 245, 21, 7}, kBlack, 97},
    {P::CycleSchematic, "\"Ventricle\" curve name", {34, 143, 34, 7}, kBlack, 145},
    {P::CycleSchematic, "arrow from box A", {31, 237, 4, 12}, kBlack, 17},
    {P::CycleSchematic, "box A", {20, 216, 4, 3}, kBlack, 9},
    {P::CycleSchematic, "letter in box A", {22, 218, 7, 7}, kBlack, 36},
    {P::CycleSchematic, "arrow from box B", {45, 188, 5, 3}, kBlack, 20},
    {P::CycleSchematic, "box B", {34, 174, 4, 3}, kBlack, 11},
    {P::CycleSchematic, "letter in box B", {29, 176, 6, 7}, kBlack, 51},
    {P::CycleSchematic, "arrow from box C", {95, 150, 17, 22}, kBlack, 50},
    {P::CycleSchematic, "box C", {116, 139, 4, 4}, kBlack, 11},
    {P::CycleSchematic, "letter in box C", {111, 142, 7, 7}, kBlack, 36},
    {P::CycleSchematic, "arrow from box D", {108, 217, 18, 41}, kBlack, 74},
    {P::CycleSchematic, "box D", {129, 206, 4, 4}, kBlack, 13},
    {P::CycleSchematic, "letter in box D", {124, 208, 7, 7}, kBlack, 40},
    {P::CycleSchematic, "\"P - V Loop\" heading", {254, 104, 52, 11}, kBlack, 233},
    {P::CycleSchematic, "volume axis", {211, 266, 147, 2}, kBlack, 166},
    {P::CycleSchematic, "pressure axis", {211, 129, 2, 139}, kBlack, 165},
    {P::CycleSchematic, "volume ticks", {242, 268, 44, 3}, kBlack, 6},
    {P::CycleSchematic, "volume label 50", {239, 272, 8, 6}, kBlack, 29},
    {P::CycleSchematic, "volume label 100", {280, 272, 12, 6}, kBlack, 45},
    {P::CycleSchematic, "volume label 150", {323, 272, 12, 6}, kBlack, 41},
    {P::CycleSchematic, "pressure ticks", {209, 153, 2, 57}, kBlack, 8},
    {P::CycleSchematic, "pressure label 0", {204, 264, 5, 7}, kBlack, 16},
    {P::CycleSchematic, "pressure label 30", {200, 237, 9, 6}, kBlack, 30},
    {P::CycleSchematic, "pressure label 60", {200, 217, 9, 7}, kBlack, 32},
    {P::CycleSchematic, "pressure label 80", {200, 199, 9, 6}, kBlack, 33},
    {P::CycleSchematic, "pressure label 100", {196, 175, 13, 7}, kBlack, 39},
    {P::CycleSchematic, "pressure label 120", {196, 151, 13, 6}, kBlack, 39},
    {P::CycleSchematic, "\"LV Volume\" axis title", {258, 284, 53, 8}, kBlack, 212},
    {P::CycleSchematic, "\"LV Pressure\" axis title", {187, 162, 8, 73}, kBlack, 291},
    {P::CycleSchematic, "dotted guide from point 3", {213, 154, 36, 1}, kBlack, 21},
    {P::CycleSchematic, "dotted guide from point 4", {212, 178, 29, 1}, kBlack, 21},
    {P::CycleSchematic, "dotted guide down from point 1", {328, 258, 2, 9}, kBlack, 12},
    {P::CycleSchematic, "loop", {286, 208, 44, 55}, kBlack, 252},
    {P::CycleSchematic, "dot 1", {329, 256, 3, 3}, kBlack, 11},
    {P::CycleSchematic, "number 1", {333, 257, 4, 6}, kBlack, 19},
    {P::CycleSchematic, "dot 2", {326, 204, 6, 5}, kBlack, 42},
    {P::CycleSchematic, "number 2", {333, 203, 5, 6}, kBlack, 23},
    {P::CycleSchematic, "dot 3", {285, 151, 5, 6}, kBlack, 42},
    {P::CycleSchematic, "number 3", {285, 143, 5, 7}, kBlack, 22},
    {P::CycleSchematic, "dot 4", {240, 176, 6, 5}, kBlack, 47},
    {P::CycleSchematic, "number 4", {235, 169, 5, 6}, kBlack, 23},
    {P::CycleSchematic, "dot 5", {241, 260, 2, 2}, kBlack, 10},
    {P::CycleSchematic, "number 5", {235, 258, 5, 6}, kBlack, 25},
    {P::CycleSchematic, "segment letter E", {277, 249, 6, 7}, kBlack, 42},
    {P::CycleSchematic, "segment letter F", {334, 228, 5, 7}, kBlack, 32},
    {P::CycleSchematic, "segment letter G", {324, 158, 7, 7}, kBlack, 42},
    {P::CycleSchematic, "segment letter H", {247, 213, 6, 7}, kBlack, 46},
    {P::LabelledCycleSchematic, "\"P vs Time\" heading", {60, 115, 43, 8}, kBlack, 200},
    {P::LabelledCycleSchematic, "time axis", {15, 258, 132, 2}, kBlack, 143},
    {P::LabelledCycleSchematic, "time panel pressure axis", {15, 133, 2, 127}, kBlack, 138},
    {P::LabelledCycleSchematic, "time tick labels", {14, 263, 137, 6}, kBlack, 128},
    {P::LabelledCycleSchematic, "Aortic pressure, dashed", {82, 176, 68, 16}, kBlack, 72},
    {P::LabelledCycleSchematic, "Atrial pressure, dotted", {41, 254, 27, 2}, kBlack, 19},
    {P::LabelledCycleSchematic, "Ventricle before A, black", {25, 251, 5, 2}, kBlack, 11},
    {P::LabelledCycleSchematic, "Ventricle A to B, green", {34, 191, 11, 63}, kGreen, 172},
    {P::LabelledCycleSchematic, "Ventricle B to C, red", {43, 156, 43, 37}, kEjectionRed, 199},
    {P::LabelledCycleSchematic, "Ventricle C to D, blue", {83, 174, 14, 78}, kRelaxationBlue, 213},
    {P::LabelledCycleSchematic, "Ventricle after D, black", {108, 255, 14, 2}, kBlack, 28},
    {P::LabelledCycleSchematic, "\"Aortic\" curve name", {110, 168, 21, 7}, kBlack, 79},
    {P::LabelledCycleSchematic, "\"Atrial\" curve name", {119, 239, 19, 6}, kBlack, 78},
    {P::LabelledCycleSchematic, "\"Ventricle\" curve name", {30, 149, 30, 6}, kBlack, 120},
    {P::LabelledCycleSchematic, "arrow from box A", {27, 232, 4, 11}, kBlack, 14},
    {P::LabelledCycleSchematic, "box A", {24, 213, 4, 3}, kBlack, 7},
    {P::LabelledCycleSchematic, "letter in box A", {19, 215, 7, 7}, kBlack, 27},
    {P::LabelledCycleSchematic, "arrow from box B", {36, 186, 4, 3}, kBlack, 6},
    {P::LabelledCycleSchematic, "box B", {23, 179, 3, 4}, kBlack, 8},
    {P::LabelledCycleSchematic, "letter in box B", {25, 178, 6, 7}, kBlack, 36},
    {P::LabelledCycleSchematic, "arrow from box C", {84, 155, 15, 20}, kBlack, 43},
    {P::LabelledCycleSchematic, "box C", {103, 153, 3, 3}, kBlack, 9},
    {P::LabelledCycleSchematic, "letter in box C", {98, 148, 6, 7}, kBlack, 26},
    {P::LabelledCycleSchematic, "arrow from box D", {95, 214, 16, 37}, kBlack, 72},
    {P::LabelledCycleSchematic, "box D", {114, 212, 3, 3}, kBlack, 10},
    {P::LabelledCycleSchematic, "letter in box D", {109, 207, 6, 6}, kBlack, 31},
    {P::LabelledCycleSchematic, "\"P - V Loop\" heading", {224, 115, 46, 9}, kBlack, 199},
    {P::LabelledCycleSchematic, "volume axis", {186, 258, 130, 2}, kBlack, 145},
    {P::LabelledCycleSchematic, "pressure axis", {186, 137, 2, 123}, kBlack, 147},
    {P::LabelledCycleSchematic, "volume label 50", {210, 263, 8, 6}, kBlack, 24},
    {P::LabelledCycleSchematic, "volume label 100", {247, 263, 11, 6}, kBlack, 31},
    {P::LabelledCycleSchematic, "volume label 150", {285, 263, 11, 6}, kBlack, 31},
    {P::LabelledCycleSchematic, "pressure label 0", {180, 256, 4, 6}, kBlack, 12},
    {P::LabelledCycleSchematic, "pressure label 30", {176, 232, 8, 6}, kBlack, 24},
    {P::LabelledCycleSchematic, "pressure label 60", {176, 215, 8, 6}, kBlack, 25},
    {P::LabelledCycleSchematic, "pressure label 80", {176, 198, 8, 6}, kBlack, 27},
    {P::LabelledCycleSchematic, "pressure label 100", {173, 178, 11, 6}, kBlack, 32},
    {P::LabelledCycleSchematic, "pressure label 120", {173, 156, 11, 6}, kBlack, 32},
    {P::LabelledCycleSchematic, "\"LV Volume\" axis title", {228, 273, 46, 7}, kBlack, 166},
    {P::LabelledCycleSchematic, "\"LV Pressure\" axis title", {165, 166, 7, 64}, kBlack, 229},
    {P::LabelledCycleSchematic, "dotted guide from point 3", {188, 159, 32, 1}, kBlack, 19},
    {P::LabelledCycleSchematic, "dotted guide from point 4", {187, 180, 26, 2}, kBlack, 23},
    {P::LabelledCycleSchematic, "loop", {278, 174, 13, 16}, kBlack, 37},
    {P::LabelledCycleSchematic, "dot 1", {288, 247, 5, 5}, kBlack, 37},
    {P::LabelledCycleSchematic, "number 1", {293, 250, 5, 5}, kBlack, 15},
    {P::LabelledCycleSchematic, "dot 2", {288, 203, 5, 5}, kBlack, 35},
    {P::LabelledCycleSchematic, "number 2", {294, 205, 2, 3}, kBlack, 6},
    {P::LabelledCycleSchematic, "dot 3", {252, 157, 4, 4}, kBlack, 32},
    {P::LabelledCycleSchematic, "number 3", {251, 149, 5, 6}, kBlack, 19},
    {P::LabelledCycleSchematic, "dot 4", {212, 178, 5, 5}, kBlack, 40},
    {P::LabelledCycleSchematic, "number 4", {207, 172, 5, 6}, kBlack, 26},
    {P::LabelledCycleSchematic, "dot 5", {212, 251, 5, 5}, kBlack, 36},
    {P::LabelledCycleSchematic, "number 5", {209, 253, 3, 3}, kBlack, 7},
    {P::LabelledCycleSchematic, "segment letter E", {244, 243, 6, 6}, kBlack, 34},
    {P::LabelledCycleSchematic, "segment letter F", {294, 224, 5, 6}, kBlack, 23},
    {P::LabelledCycleSchematic, "segment letter G", {286, 162, 6, 7}, kBlack, 33},
    {P::LabelledCycleSchematic, "segment letter H", {218, 210, 6, 7}, kBlack, 27},
    {P::LabelledCycleSchematic, "\"Aortic Valve\" (opens)", {314, 184, 41, 7}, kBlack, 152},
    {P::LabelledCycleSchematic, "\"Opens\", green, at point 2", {314, 193, 23, 7}, kValveGreen, 87},
    {P::LabelledCycleSchematic, "arrow to point 2 (aortic valve opens)", {293, 188, 21, 16}, kBlack, 49},
    {P::LabelledCycleSchematic, "\"Mitral Valve\" (closes)", {315, 216, 39, 7}, kBlack, 162},
    {P::LabelledCycleSchematic, "\"Closes\", blue, at point 1", {314, 224, 24, 7}, kRelaxationBlue, 93},
    {P::LabelledCycleSchematic, "arrow to point 1 (mitral valve closes)", {293, 237, 10, 11}, kBlack, 23},
    {P::LabelledCycleSchematic, "\"EDV\"", {315, 244, 15, 5}, kBlack, 71},
    {P::LabelledCycleSchematic, "arrow to point 1 (EDV)", {293, 246, 21, 5}, kBlack, 44},
    {P::LabelledCycleSchematic, "\"Aortic Valve\" (closes)", {190, 128, 41, 7}, kBlack, 151},
    {P::LabelledCycleSchematic, "\"Closes\", blue, at point 4", {190, 136, 24, 7}, kRelaxationBlue, 91},
    {P::LabelledCycleSchematic, "arrow to point 4 (aortic valve closes)", {211, 169, 3, 10}, kBlack, 19},
    {P::LabelledCycleSchematic, "\"max LVP\"", {261, 144, 30, 6}, kBlack, 110},
    {P::LabelledCycleSchematic, "arrow to point 3 (max LVP)", {255, 150, 9, 7}, kBlack, 23},
    {P::LabelledCycleSchematic, "\"Ejection\"", {244, 174, 28, 7}, kBlack, 121},
    {P::LabelledCycleSchematic, "\"Isovolumic\" (contraction)", {251, 210, 37, 7}, kBlack, 141},
    {P::LabelledCycleSchematic, "\"Contraction\"", {251, 218, 39, 7}, kBlack, 152},
    {P::LabelledCycleSchematic, "\"Isovolumic Relaxation\"", {217, 190, 64, 6}, kBlack, 194},
    {P::LabelledCycleSchematic, "\"Filling\"", {263, 232, 21, 7}, kBlack, 93},
    {P::LabelledCycleSchematic, "\"Mitral Valve\" (opens)", {219, 228, 39, 6}, kBlack, 161},
    {P::LabelledCycleSchematic, "\"Opens\", green, at point 5", {218, 236, 23, 7}, kValveGreen, 89},
    {P::LabelledCycleSchematic, "arrow to point 5 (mitral valve opens)", {215, 242, 9, 10}, kBlack, 22},
    {P::LabelledCycleSchematic, "\"ESV\"", {189, 240, 15, 6}, kBlack, 65},
    {P::LabelledCycleSchematic, "arrow to point 5 (ESV)", {194, 246, 9, 3}, kBlack, 10},
    {P::AfterloadComparison, "\"P - V Loop\" heading", {134, 13, 71, 14}, kBlack, 449},
    {P::AfterloadComparison, "volume axis", {75, 237, 202, 2}, kBlack, 414},
    {P::AfterloadComparison, "pressure axis", {75, 47, 2, 192}, kBlack, 401},
    {P::AfterloadComparison, "volume ticks", {177, 240, 61, 3}, kBlack, 10},
    {P::AfterloadComparison, "volume label 50", {112, 245, 12, 9}, kBlack, 55},
    {P::AfterloadComparison, "volume label 100", {170, 245, 16, 9}, kBlack, 74},
    {P::AfterloadComparison, "volume label 150", {229, 245, 17, 9}, kBlack, 71},
    {P::AfterloadComparison, "pressure ticks", {71, 81, 3, 79}, kBlack, 16},
    {P::AfterloadComparison, "pressure label 0", {65, 234, 6, 9}, kBlack, 29},
    {P::AfterloadComparison, "pressure label 30", {59, 197, 12, 8}, kBlack, 57},
    {P::AfterloadComparison, "pressure label 60", {59, 169, 12, 9}, kBlack, 60},
    {P::AfterloadComparison, "pressure label 80", {59, 144, 12, 8}, kBlack, 59},
    {P::AfterloadComparison, "pressure label 100", {54, 112, 17, 8}, kBlack, 82},
    {P::AfterloadComparison, "pressure label 120", {54, 78, 17, 8}, kBlack, 79},
    {P::AfterloadComparison, "\"LV Volume\" axis title", {139, 261, 73, 11}, kBlack, 395},
    {P::AfterloadComparison, "\"LV Pressure\" axis title", {40, 93, 11, 100}, kBlack, 576},
    {P::AfterloadComparison, "loop", {117, 80, 122, 152}, kBlack, 1459},
    {P::AfterloadComparison, "dot 1", {234, 220, 7, 7}, kBlack, 56},
    {P::AfterloadComparison, "number 1", {243, 224, 6, 8}, kBlack, 34},
    {P::AfterloadComparison, "dot 2", {234, 151, 7, 7}, kBlack, 48},
    {P::AfterloadComparison, "number 2", {243, 150, 6, 8}, kBlack, 45},
    {P::AfterloadComparison, "dot 3", {180, 78, 4, 3}, kBlack, 11},
    {P::AfterloadComparison, "number 3", {177, 67, 6, 9}, kBlack, 43},
    {P::AfterloadComparison, "dot 4", {115, 112, 3, 3}, kBlack, 9},
    {P::AfterloadComparison, "number 4", {108, 102, 6, 9}, kBlack, 44},
    {P::AfterloadComparison, "dot 5", {115, 229, 3, 4}, kBlack, 18},
    {P::AfterloadComparison, "number 5", {108, 225, 6, 9}, kBlack, 46},
    {P::AfterloadComparison, "Loop 2, red dashed", {147, 53, 92, 179}, kRed, 1059},
    {P::AfterloadComparison, "\"Loop 2\", red", {244, 62, 39, 11}, kRed, 235},
    {P::AfterloadComparison, "\"Control\"", {244, 166, 42, 10}, kBlack, 273},
    {P::AfterloadComparison, "\"Loop\" under \"Control\"", {244, 180, 29, 12}, kBlack, 184},
    {P::ThreePatient, "volume axis", {42, 237, 259, 2}, kBlack, 519},
    {P::ThreePatient, "pressure axis", {42, 30, 2, 209}, kBlack, 418},
    {P::ThreePatient, "\"LV Volume\" axis title", {144, 249, 56, 9}, kBlack, 343},
    {P::ThreePatient, "\"LV Pressure\" axis title", {27, 102, 9, 65}, kBlack, 365},
    {P::ThreePatient, "PIP 1 line, red dashed", {55, 57, 70, 178}, kRed, 328},
    {P::ThreePatient, "\"PIP 1\", red", {112, 45, 27, 9}, kRed, 165},
    {P::ThreePatient, "PIP 2 line, black", {55, 178, 41, 57}, kBlack, 186},
    {P::ThreePatient, "\"PIP 2\", black", {165, 53, 27, 8}, kBlack, 184},
    {P::ThreePatient, "PIP 3 line, blue dotted", {55, 75, 179, 160}, kBlue, 189},
    {P::ThreePatient, "\"PIP 3\", blue", {221, 63, 28, 9}, kBlue, 182},
    {P::ThreePatient, "loop 1", {101, 196, 37, 36}, kBlack, 212},
    {P::ThreePatient, "loop 2", {138, 140, 37, 46}, kBlack, 137},
    {P::ThreePatient, "loop 3", {177, 101, 36, 64}, kBlack, 317},
    {P::ThreePatient, "end-systolic dot 1", {99, 112, 3, 4}, kBlack, 11},
    {P::ThreePatient, "number 1", {92, 101, 7, 8}, kBlack, 36},
    {P::ThreePatient, "end-systolic dot 2", {136, 115, 3, 3}, kBlack, 13},
    {P::ThreePatient, "number 2", {129, 106, 6, 9}, kBlack, 48},
    {P::ThreePatient, "end-systolic dot 3", {175, 122, 3, 3}, kBlack, 13},
    {P::ThreePatient, "number 3", {168, 113, 6, 9}, kBlack, 45},
    {P::ThreePatient, "note \"Loops\"", {258, 143, 36, 12}, kBlack, 245},
    {P::ThreePatient, "note \"are for\"", {257, 156, 38, 10}, kBlack, 235},
    {P::ThreePatient, "note \"three\"", {257, 169, 30, 10}, kBlack, 215},
    {P::ThreePatient, "note \"different\"", {257, 183, 49, 10}, kBlack, 348},
    {P::ThreePatient, "note \"patients\"", {258, 197, 46, 12}, kBlack, 340},
    {P::BasicsControl, "segment letter E", {249, 306, 9, 11}, kBlack, 88},
    {P::BasicsControl, "segment letter F", {345, 261, 8, 10}, kBlack, 70},
    {P::BasicsControl, "segment letter G", {290, 127, 11, 11}, kBlack, 94},
    {P::BasicsControl, "segment letter H", {154, 245, 9, 10}, kBlack, 94},
    {P::IncreasedContractility, "note arrow", {132, 69, 27, 15}, kBlack, 118},
    {P::IncreasedContractility, "note \"PIP Line\"", {72, 47, 47, 10}, kBlack, 315},
    {P::IncreasedContractility, "note \"slope is\"", {72, 60, 44, 12}, kBlack, 453},
    {P::IncreasedContractility, "note \"increased\"", {72, 74, 56, 10}, kBlack, 371},
    {P::PipLine, "note arrow", {130, 48, 106, 11}, kBlack, 347},
    {P::PipLine, "note \"PIP Line\"", {75, 40, 47, 10}, kBlack, 303},
};

} // namespace

class TestPictureInk : public QObject {
    Q_OBJECT

private slots:
    void everyPictureIsCovered();
    void elementsLeaveTheirInk_data();
    void elementsLeaveTheirInk();
    void chartTextsAndLoops_data();
    void chartTextsAndLoops();
};

void TestPictureInk::everyPictureIsCovered()
{
    // Schematics and the charts with letters or notes have their rows above;
    // every chart runs through the geometry checks below.
    for (PictureId id : allPictures()) {
        if (isChart(id))
            continue;
        int rows = 0;
        for (const Element &element : kElements)
            rows += element.picture == id;
        QVERIFY2(rows >= 20, qPrintable(pictureName(id)));
    }
}

void TestPictureInk::elementsLeaveTheirInk_data()
{
    QTest::addColumn<PictureId>("picture");
    QTest::addColumn<QRect>("where");
    QTest::addColumn<QColor>("ink");
    QTest::addColumn<int>("least");
    for (const Element &e : kElements)
        QTest::addRow("%s: %s", qPrintable(pictureName(e.picture)), e.what) << e.picture << e.where << e.ink << e.least;
}

void TestPictureInk::elementsLeaveTheirInk()
{
    QFETCH(PictureId, picture);
    QFETCH(QRect, where);
    QFETCH(QColor, ink);
    QFETCH(int, least);
    const int found = inkIn(picture, where, ink);
    QVERIFY2(found >= least,
        qPrintable(QStringLiteral("%1 pixels of %2, at least %3 expected").arg(found).arg(ink.name()).arg(least)));
}

void TestPictureInk::chartTextsAndLoops_data()
{
    QTest::addColumn<PictureId>("picture");
    for (PictureId id : allPictures()) {
        if (isChart(id))
            QTest::addRow("%s", qPrintable(pictureName(id))) << id;
    }
}

// White title, axis titles, axis lines, ticks and every tick label in their
// places on the blue surround; the black frame and grid; every segment of the black control loop and of the red changed
// loop along its line between the markers.
void TestPictureInk::chartTextsAndLoops()
{
    QFETCH(PictureId, picture);
    const LoopChart chart = chartFor(picture);
    const QSizeF size = pictureDesignSize(picture);
    const ChartFrame f = chart.frame(QRectF(QPointF(0, 0), size));
    const QRectF &plot = f.plot;
    const double s = f.scale;
    QStringList missing;
    const auto expect = [&](const QString &what, const QRectF &where, const QColor &ink, int least) {
        const int found = inkIn(picture, where, ink);
        if (found < least)
            missing.append(QStringLiteral("%1 (%2 pixels)").arg(what).arg(found));
    };

    // Texts: the title in the band above the plot, the volume title under the
    // tick labels, the pressure title running up the left edge.
    expect(QStringLiteral("title"), QRectF(0, 0, size.width(), plot.top() - 8 * s), kWhite, 400);
    expect(QStringLiteral("volume axis title"),
        QRectF(plot.left(), plot.bottom() + 21.5 * s, plot.width(), size.height() - plot.bottom() - 21.5 * s), kWhite,
        400);
    expect(QStringLiteral("pressure axis title"), QRectF(0, plot.top(), 19 * s, plot.height()), kWhite, 400);
    // Tick labels right of the ticks' ends and under them, one by one.
    for (int p = 0; p <= 160; p += 20) {
        const double y = f.map(0, p).y();
        expect(QStringLiteral("pressure label %1").arg(p), QRectF(plot.left() - 32 * s, y - 5 * s, 24 * s, 10 * s),
            kWhite, 24);
    }
    const int step = f.volumeMax > 130 ? 20 : 10;
    for (int v = 0; v <= f.volumeMax; v += step) {
        const double x = f.map(v, 0).x();
        expect(QStringLiteral("volume label %1").arg(v), QRectF(x - 10 * s, plot.bottom() + 8 * s, 20 * s, 12 * s),
            kWhite, 24);
    }

    // The black frame and grid over the plot's right end, where no loop
    // reaches; the white axis lines just outside it between their ticks, and
    // every tick.
    const double axisX = plot.left() - 2 * s, axisY = plot.bottom() + 2 * s;
    const double volumeTick = f.volumeMax > 130 ? 10 : 5;
    const double nearEnd = f.volumeMax - volumeTick / 2;
    const double rightX = f.map(nearEnd, 0).x();
    expect(QStringLiteral("frame, right"), QRectF(plot.right() - 0.5 * s, f.map(0, 152).y(), s, 4 * s), kBlack, 4);
    expect(QStringLiteral("frame, bottom"), QRectF(rightX - 2 * s, plot.bottom() - 0.5 * s, 4 * s, s), kBlack, 4);
    for (int p = 20; p < 160; p += 20) {
        const double y = f.map(0, p).y();
        expect(QStringLiteral("grid line %1").arg(p), QRectF(rightX - 2 * s, y - 0.5 * s, 4 * s, s), kBlack, 4);
    }
    expect(QStringLiteral("pressure axis line"), QRectF(axisX - 0.5 * s, f.map(0, 147).y(), s, 4 * s), kWhite, 4);
    expect(QStringLiteral("volume axis line"), QRectF(rightX - 2 * s, axisY - 0.5 * s, 4 * s, s), kWhite, 4);
    for (int p = 0; p <= 160; p += 10) {
        const double y = f.map(0, p).y();
        expect(QStringLiteral("pressure tick %1").arg(p), QRectF(axisX - 2.5 * s, y - s, 1.5 * s, 2 * s), kWhite, 3);
    }
    for (double v = 0; v <= f.volumeMax; v += volumeTick) {
        const double x = f.map(v, 0).x();
        expect(QStringLiteral("volume tick %1").arg(v), QRectF(x - s, axisY + s, 2 * s, 1.5 * s), kWhite, 3);
    }

    // Loops: a little square at the middle of each segment holds the loop's
    // colour. Control segments that the changed loop covers are passed over.
    const std::optional<LoopId> changed = chart.design().changedLoop;
    const auto segmentMiddle = [&](LoopId loop, int n) {
        const LoopGeometry &g = loopGeometry(loop);
        return (f.map(g.point(n)) + f.map(g.point(n % 5 + 1))) / 2;
    };
    const auto coveredByChanged = [&](QPointF place) {
        if (!changed)
            return false;
        const LoopGeometry &g = loopGeometry(*changed);
        for (int n = 1; n <= 5; ++n) {
            const QPointF a = f.map(g.point(n)), b = f.map(g.point(n % 5 + 1));
            const QPointF ab = b - a;
            const double t = std::clamp(QPointF::dotProduct(place - a, ab) / QPointF::dotProduct(ab, ab), 0.0, 1.0);
            const QPointF d = place - (a + ab * t);
            if (std::hypot(d.x(), d.y()) < 7 * s)
                return true;
        }
        return false;
    };
    const QSizeF square(4 * s, 4 * s);
    int controlSeen = 0;
    for (int n = 1; n <= 5; ++n) {
        const QPointF middle = segmentMiddle(LoopId::Control, n);
        if (coveredByChanged(middle))
            continue;
        ++controlSeen;
        expect(QStringLiteral("control segment %1-%2").arg(n).arg(n % 5 + 1),
            QRectF(middle - QPointF(2 * s, 2 * s), square), LoopChart::controlColour(), 12);
    }
    QVERIFY(controlSeen >= 2);
    if (changed) {
        for (int n = 1; n <= 5; ++n) {
            const QPointF middle = segmentMiddle(*changed, n);
            expect(QStringLiteral("changed segment %1-%2").arg(n).arg(n % 5 + 1),
                QRectF(middle - QPointF(2 * s, 2 * s), square), LoopChart::changedColour(), 12);
        }
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral("; "))));
}

QTEST_MAIN(TestPictureInk)
#include "tst_pictureink.moc"
