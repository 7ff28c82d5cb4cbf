#include "lab/chartimage.h"

#include "lab/labcharts.h"
#include "ui/controls.h"
#include "ui/look.h"
#include "ui/zoom.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPainter>
#include <QPushButton>
#include <QLabel>
#include <QSpinBox>
#include <algorithm>

namespace valthera::lab {

using namespace valthera::model;

QString writeChartImage(LabChart &chart, const QString &path, QSize size)
{
    return writeFigure(path, size, {chart.accessibleName(), chart.accessibleDescription()},
        [&chart](QPainter &painter, QSize at) { chart.paintFigure(painter, at); });
}

ChartImageDialog::ChartImageDialog(const QList<LabChart *> &charts, int chosen, QWidget *parent)
    : QDialog(parent)
    , charts_(charts)
{
    setObjectName(QStringLiteral("SaveImageDialog"));
    setWindowTitle(QStringLiteral("Save Image"));
    setAccessibleName(QStringLiteral("Save image"));
    auto *form = new QFormLayout(this);

    chart_ = new QComboBox(this);
    chart_->setObjectName(QStringLiteral("imageChart"));
    chart_->setAccessibleName(QStringLiteral("Chart"));
    for (const LabChart *chart : charts_)
        chart_->addItem(chart->accessibleName());
    form->addRow(QStringLiteral("&Chart"), chart_);

    // A size typed beyond the range is set to the nearest limit, told in a
    // note under the box, rather than cut to its first digits.
    auto side = [this, form](const QString &name, const QString &accessible, const QString &caption) {
        auto *spin = new look::RangeSpinBox(this);
        spin->setObjectName(name);
        spin->setAccessibleName(accessible);
        spin->setRange(kMinFigureSide, kMaxFigureSide);
        spin->setSuffix(QStringLiteral(" px"));
        auto *note = new QLabel(this);
        note->setObjectName(name + QStringLiteral("Note"));
        note->setWordWrap(true);
        spin->setNote(note);
        form->addRow(caption, spin);
        form->addRow(QString(), note);
        return spin;
    };
    width_ = side(QStringLiteral("imageWidth"), QStringLiteral("Width in pixels"), QStringLiteral("&Width"));
    height_ = side(QStringLiteral("imageHeight"), QStringLiteral("Height in pixels"), QStringLiteral("&Height"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Save…"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);

    connect(chart_, &QComboBox::currentIndexChanged, this, &ChartImageDialog::chartChosen);
    chart_->setCurrentIndex(std::clamp(chosen, 0, static_cast<int>(charts_.size()) - 1));
    chartChosen(chart_->currentIndex());

    // In the lab's type, at its design size: the zoom rescales a font a window sets itself.
    setFont(look::sansSerif(look::kOrdinaryPointSize));
    look::followZoom(this);
}

void ChartImageDialog::chartChosen(int index)
{
    if (index < 0 || index >= charts_.size())
        return;
    const QSize onScreen = charts_[index]->size();
    width_->setValue(onScreen.width());
    height_->setValue(onScreen.height());
}

LabChart *ChartImageDialog::chart() const
{
    const int index = chart_->currentIndex();
    return index >= 0 && index < charts_.size() ? charts_[index] : nullptr;
}

QSize ChartImageDialog::figureSize() const
{
    return {width_->value(), height_->value()};
}

} // namespace valthera::lab
