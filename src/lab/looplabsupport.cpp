// The Loop Lab's "Support" page: the balloon pump, the axial and centrifugal
// pumps and VA-ECMO, each a row of the parameter table like every other
// control, and the alarms the model raises, in words.

#include "lab/parameterpanel.h"
#include "ui/controls.h"
#include "ui/look.h"

#include <QGridLayout>
#include <QLabel>
#include <QStringList>
#include <QVBoxLayout>

namespace valthera::lab {

QWidget *ParameterPanel::buildSupportGroup(QWidget *parent)
{
    auto *box = new QWidget(parent);
    box->setObjectName(QStringLiteral("groupSupport"));
    box->setAccessibleName(QStringLiteral("Support devices"));
    auto *column = new QVBoxLayout(box);
    column->setContentsMargins(0, 4, 0, 0);
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    column->addLayout(grid);
    int row = 0;
    for (const ParamInfo &i : parameterTable()) {
        if (!i.support)
            continue;
        addParameterRow(box, grid, row++, i.id);
        look::RangeDoubleSpinBox *spin = controls_[static_cast<std::size_t>(i.id)].spin;
        if (i.id != Param::IABPvol)
            spin->setSpecialValueText(QStringLiteral("Off"));
        if (i.id == Param::IABP) {
            // Read as the assist ratio: 1:1, 1:2, 1:3.
            spin->setPrefix(QStringLiteral("1:"));
            spin->setSuffix(QString());
        }
    }
    supportAlarms_ = new QLabel(box);
    supportAlarms_->setObjectName(QStringLiteral("supportAlarms"));
    supportAlarms_->setWordWrap(true);
    QPalette alarm = supportAlarms_->palette();
    alarm.setColor(QPalette::WindowText, look::nextYellow());
    supportAlarms_->setPalette(alarm);
    supportAlarms_->hide();
    column->addWidget(supportAlarms_);
    column->addStretch(1);
    support_ = box;
    return box;
}

void ParameterPanel::showAlarms(const Measures &m)
{
    QStringList alarms;
    if (m[Measure::Suction] > 0)
        alarms << QStringLiteral("SUCTION: the ventricle is emptied, the pump's inflow is limited");
    if (m[Measure::DrainageLimited] > 0)
        alarms << QStringLiteral("DRAINAGE LIMITED: too little venous blood for the set ECMO flow");
    const QString text = alarms.join(QLatin1Char('\n'));
    if (text == supportAlarms_->text())
        return;
    supportAlarms_->setText(text);
    supportAlarms_->setVisible(!text.isEmpty());
    supportAlarms_->setAccessibleName(text.isEmpty() ? QStringLiteral("No device alarms") : text);
    if (!text.isEmpty())
        look::announce(supportAlarms_);
}

} // namespace valthera::lab
