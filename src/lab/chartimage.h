#pragma once
// Saving a lab chart as a figure: a PNG picture or an SVG drawing of the chart
// as the screen shows it, at a size the student chooses, and the small dialog
// that asks which chart and how large.

#include "lab/figurefile.h"

#include <QDialog>
#include <QSize>
#include <QString>

class QComboBox;
class QSpinBox;

namespace valthera::lab {

class LabChart;

// Draws chart, as the screen shows it, at size into path (see writeFigure),
// titled and described as the chart reads to assistive technology. Returns
// why it could not be written, or an empty string once it is.
QString writeChartImage(LabChart &chart, const QString &path, QSize size);

// Which of the charts to save and at what size; choosing a chart offers its
// size on screen.
class ChartImageDialog : public QDialog {
    Q_OBJECT
public:
    ChartImageDialog(const QList<LabChart *> &charts, int chosen, QWidget *parent);
    LabChart *chart() const;
    QSize figureSize() const;

private:
    void chartChosen(int index);

    QList<LabChart *> charts_;
    QComboBox *chart_ = nullptr;
    QSpinBox *width_ = nullptr;
    QSpinBox *height_ = nullptr;
};

} // namespace valthera::lab
