#pragma once
// The lab's column of measures: the baseline they are compared with, by
// name, every measure that has a value in clinical words with its value and
// its change, the occlusion run's fit once there is one, and what changed,
// in a sentence read out once the values rest.

#include "lab/labsession.h"
#include "lab/labwidgets.h"

#include <QTimer>
#include <array>

class QGridLayout;
class QLabel;
class QVBoxLayout;

namespace valthera::lab {

class MeasuresPanel : public Column {
    Q_OBJECT
public:
    explicit MeasuresPanel(const LabSession &session, QWidget *parent);

    // How long the readouts must rest before a change is read out.
    static constexpr int kSettleMs = 500;

    // Shows the session's measures against its baseline, hides the rows
    // without a value and, once they rest, reads out what changed.
    void showSession();
    // Says something in place of what changed, and reads it out.
    void tell(const QString &text);
    // The line of what changed, cleared: what it said belonged to a state now gone.
    void clearTold();
    // Takes the values on show as heard, so that only later changes are read out.
    void takeAsHeard();

    // Below the measures: the rest of the column (the exercises).
    void addBelow(QWidget *widget, int stretch);
    void setZoom(double zoom);

private:
    struct Readout {
        QLabel *label = nullptr;
        QLabel *value = nullptr;
        QLabel *delta = nullptr;
    };

    void buildRows(QGridLayout *grid);
    void buildChanges(QVBoxLayout *column);
    void showBaseline();
    void announceChanges();
    QLabel *addFit(QGridLayout *grid, int row, const QString &caption, const QString &name, const QString &meaning,
        QLabel *&label);

    const LabSession &session_;
    QLabel *baseline_ = nullptr;
    std::array<Readout, kMeasureCount> readouts_{};
    std::array<QString, kMeasureCount> announced_{};
    QString announcedFit_;
    QLabel *eesFitLabel_ = nullptr;
    QLabel *eesFit_ = nullptr;
    QLabel *v0FitLabel_ = nullptr;
    QLabel *v0Fit_ = nullptr;
    QLabel *changes_ = nullptr;
    QWidget *changesArea_ = nullptr;
    QTimer settleTimer_;
};

// A measure in clinical words, with its abbreviation where clinicians have
// one: "Stroke volume (SV)", "Atrial share of filling".
QString measureTitle(Measure m);

} // namespace valthera::lab
