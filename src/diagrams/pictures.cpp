#include "diagrams/pictures.h"

#include "diagrams/cycleschematic.h"
#include "diagrams/loopchart.h"

#include <QPainter>
#include <optional>

namespace valthera {

namespace {

std::optional<CycleSchematic::Design> schematicDesign(PictureId id)
{
    switch (id) {
    case PictureId::CycleSchematic:
        return CycleSchematic::Design::Cycle;
    case PictureId::LabelledCycleSchematic:
        return CycleSchematic::Design::Labelled;
    case PictureId::AfterloadComparison:
        return CycleSchematic::Design::AfterloadComparison;
    case PictureId::ThreePatient:
        return CycleSchematic::Design::ThreePatient;
    default:
        return std::nullopt;
    }
}

LoopChartDesign changed(QString title, VolumeAxis axis, LoopId loop)
{
    LoopChartDesign design;
    design.title = std::move(title);
    design.volumeAxis = axis;
    design.changedLoop = loop;
    return design;
}

LoopChartDesign controlOnly(QString title, VolumeAxis axis)
{
    LoopChartDesign design;
    design.title = std::move(title);
    design.volumeAxis = axis;
    return design;
}

LoopChartDesign chartDesign(PictureId id)
{
    using V = VolumeAxis;
    switch (id) {
    case PictureId::BasicsControl: {
        LoopChartDesign design = controlOnly(QStringLiteral("Control P-V Loop"), V::To130);
        design.segmentLetters = true;
        return design;
    }
    case PictureId::AfterloadControl:
    case PictureId::ContractilityControl:
        return controlOnly(QStringLiteral("Control"), V::To130);
    case PictureId::Afterload90:
        return changed(QStringLiteral("Afterload = 90 mmHg"), V::To130, LoopId::Afterload90);
    case PictureId::Afterload100:
        return changed(QStringLiteral("Afterload = 100 mmHg"), V::To130, LoopId::Afterload100);
    case PictureId::PreloadControl:
        return controlOnly(QStringLiteral("Control Preload = 120 ml"), V::To160);
    case PictureId::Preload100:
        return changed(QStringLiteral("Preload = 100 ml"), V::To160, LoopId::Preload100);
    case PictureId::Preload140:
        return changed(QStringLiteral("Preload = 140 ml"), V::To160, LoopId::Preload140);
    case PictureId::Contractility125:
        return changed(QStringLiteral("Contractility = 125% of Contol"), V::To130, LoopId::Contractility125);
    case PictureId::Contractility75:
        return changed(QStringLiteral("Contractility = 75% of Contol"), V::To130, LoopId::Contractility75);
    case PictureId::IncreasedAfterload:
        return changed(QStringLiteral("Increased Afterload"), V::To130, LoopId::Afterload100);
    case PictureId::IncreasedPreload:
        return changed(QStringLiteral("Increased Preload"), V::To160, LoopId::Preload140);
    case PictureId::IncreasedContractility: {
        LoopChartDesign design = changed(QStringLiteral("Increased Contractility"), V::To160, LoopId::Contractility125);
        design.pipLines = {{LoopId::Control, Qt::black}, {LoopId::Contractility125, QColor(255, 0, 0)}};
        // Up and left of the loops, pointing at the steeper (red) line.
        design.notes = {{{QStringLiteral("PIP Line"), QStringLiteral("slope is"), QStringLiteral("increased")},
            {6, 152}, QLineF(37, 134, 49.5, 124.5)}};
        return design;
    }
    case PictureId::PipLine: {
        LoopChartDesign design = changed(QStringLiteral("PIP Line"), V::To130, LoopId::Afterload100);
        design.pipLines = {{LoopId::Afterload100, QColor(0, 0, 255)}};
        design.notes = {{{QStringLiteral("PIP Line")}, {6, 157}, QLineF(29, 149, 72, 144.5)}};
        return design;
    }
    default:
        return {};
    }
}

} // namespace

bool isChart(PictureId id)
{
    return !schematicDesign(id).has_value();
}

LoopChart chartFor(PictureId id)
{
    return LoopChart(chartDesign(id));
}

void paintPicture(PictureId id, QPainter &painter, const QRectF &target)
{
    if (const auto design = schematicDesign(id))
        CycleSchematic(*design).paint(painter, target);
    else
        chartFor(id).paint(painter, target);
}

QString pictureDescription(PictureId id)
{
    if (const auto design = schematicDesign(id))
        return CycleSchematic(*design).name();
    return QStringLiteral("Chart: ") + chartDesign(id).title;
}

QSize pictureDesignSize(PictureId id)
{
    // The box each picture was drawn for (twips / 15).
    switch (id) {
    case PictureId::CycleSchematic:
    case PictureId::LabelledCycleSchematic:
        return {369, 393};
    case PictureId::AfterloadComparison:
    case PictureId::ThreePatient:
        return {313, 281};
    case PictureId::BasicsControl:
        return {373, 412};
    case PictureId::ContractilityControl:
    case PictureId::Contractility125:
    case PictureId::Contractility75:
        return {393, 281};
    default:
        return {393, 307};
    }
}

const std::vector<PictureId> &allPictures()
{
    static const std::vector<PictureId> ids{
        PictureId::CycleSchematic,
        PictureId::LabelledCycleSchematic,
        PictureId::AfterloadComparison,
        PictureId::ThreePatient,
        PictureId::BasicsControl,
        PictureId::AfterloadControl,
        PictureId::Afterload90,
        PictureId::Afterload100,
        PictureId::PreloadControl,
        PictureId::Preload100,
        PictureId::Preload140,
        PictureId::ContractilityControl,
        PictureId::Contractility125,
        PictureId::Contractility75,
        PictureId::IncreasedAfterload,
        PictureId::IncreasedPreload,
        PictureId::IncreasedContractility,
        PictureId::PipLine,
    };
    return ids;
}

QString pictureName(PictureId id)
{
    switch (id) {
    case PictureId::CycleSchematic:
        return QStringLiteral("CycleSchematic");
    case PictureId::LabelledCycleSchematic:
        return QStringLiteral("LabelledCycleSchematic");
    case PictureId::AfterloadComparison:
        return QStringLiteral("AfterloadComparison");
    case PictureId::ThreePatient:
        return QStringLiteral("ThreePatient");
    case PictureId::BasicsControl:
        return QStringLiteral("BasicsControl");
    case PictureId::AfterloadControl:
        return QStringLiteral("AfterloadControl");
    case PictureId::Afterload90:
        return QStringLiteral("Afterload90");
    case PictureId::Afterload100:
        return QStringLiteral("Afterload100");
    case PictureId::PreloadControl:
        return QStringLiteral("PreloadControl");
    case PictureId::Preload100:
        return QStringLiteral("Preload100");
    case PictureId::Preload140:
        return QStringLiteral("Preload140");
    case PictureId::ContractilityControl:
        return QStringLiteral("ContractilityControl");
    case PictureId::Contractility125:
        return QStringLiteral("Contractility125");
    case PictureId::Contractility75:
        return QStringLiteral("Contractility75");
    case PictureId::IncreasedAfterload:
        return QStringLiteral("IncreasedAfterload");
    case PictureId::IncreasedPreload:
        return QStringLiteral("IncreasedPreload");
    case PictureId::IncreasedContractility:
        return QStringLiteral("IncreasedContractility");
    case PictureId::PipLine:
        return QStringLiteral("PipLine");
    }
    return {};
}

} // namespace valthera
