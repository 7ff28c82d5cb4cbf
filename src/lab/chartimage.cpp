#include "lab/chartimage.h"

#include "lab/labcharts.h"
#include "ui/controls.h"
#include "ui/look.h"
#include "ui/zoom.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QLabel>
#include <QSpinBox>
#include <QSvgGenerator>
#include <algorithm>

namespace valthera::lab {

using namespace valthera::model;

namespace {

QString writePng(LabChart &chart, QSaveFile &file, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return QStringLiteral("there is not enough memory for a picture of %1 × %2 pixels")
            .arg(size.width())
            .arg(size.height());
    {
        QPainter painter(&image);
        chart.paintFigure(painter, size);
    }
    QImageWriter writer(&file, "png");
    if (!writer.write(image))
        return file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString();
    return {};
}

QString writeSvg(LabChart &chart, QSaveFile &file, QSize size)
{
    QSvgGenerator generator;
    generator.setOutputDevice(&file);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(chart.accessibleName());
    generator.setDescription(chart.accessibleDescription());
    QPainter painter;
    if (!painter.begin(&generator))
        return file.errorString();
    chart.paintFigure(painter, size);
    painter.end();
    return file.error() != QFileDevice::NoError ? file.errorString() : QString();
}

} // namespace

QString writeChartImage(LabChart &chart, const QString &path, QSize size)
{
    if (size.width() < kMinFigureSide || size.height() < kMinFigureSide || size.width() > kMaxFigureSide ||
        size.height() > kMaxFigureSide)
        return QStringLiteral("a figure must be %1 to %2 pixels a side").arg(kMinFigureSide).arg(kMaxFigureSide);
    // Written beside the destination and put in its place once complete, so a
    // failure midway leaves no half-written file and no older one destroyed.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const bool svg = QFileInfo(path).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0;
    const QString error = svg ? writeSvg(chart, file, size) : writePng(chart, file, size);
    if (!error.isEmpty()) {
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
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
