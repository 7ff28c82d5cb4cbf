#include "lab/parameterpanel.h"

#include "ui/controls.h"
#include "ui/look.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace valthera::lab {

namespace {

// The column, in pixels at zoom 1: a label of two lines, a slider and a box.
constexpr int kWidth = 390;

int sliderSteps(const ParamInfo &i)
{
    return static_cast<int>(std::lround((i.max - i.min) / i.step));
}

int sliderPosition(const ParamInfo &i, double value)
{
    return static_cast<int>(std::lround((value - i.min) / i.step));
}

} // namespace

ParameterPanel::ParameterPanel(const Parameters &start, QWidget *parent)
    : Column(parent)
{
    setObjectName(QStringLiteral("labControls"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    buildChoices(column);
    buildGroups(column);
    buildButtons(column);
    column->addStretch(1);
    showParameters(start);
}

void ParameterPanel::buildChoices(QLayout *column)
{
    auto *modelLabel = whiteLabel(QStringLiteral("Model"), this);
    model_ = new QComboBox(this);
    model_->setObjectName(QStringLiteral("labModel"));
    for (ModelKind kind : {ModelKind::Circulation, ModelKind::Heart})
        model_->addItem(toQString(modelName(kind)));
    model_->setItemData(
        0, QStringLiteral("The heart beats inside a closed circulation: preload is the blood volume"), Qt::ToolTipRole);
    model_->setItemData(
        1, QStringLiteral("The left heart alone, filled from a fixed atrial pressure"), Qt::ToolTipRole);
    model_->setAccessibleName(QStringLiteral("Model"));
    model_->setAccessibleDescription(QStringLiteral("Whole circulation, or the isolated heart for one-thing-at-a-time "
                                                    "experiments; switching starts from the model's Control"));
    modelLabel->setBuddy(model_);
    connect(model_, &QComboBox::currentIndexChanged, this,
        [this](int index) { emit modelChosen(index == 1 ? ModelKind::Heart : ModelKind::Circulation); });
    column->addWidget(modelLabel);
    column->addWidget(model_);

    auto *presetLabel = whiteLabel(QStringLiteral("Condition"), this);
    presets_ = new QComboBox(this);
    presets_->setPlaceholderText(QStringLiteral("Own settings"));
    presets_->setObjectName(QStringLiteral("presets"));
    for (const Preset &preset : presets()) {
        presets_->addItem(toQString(preset.name));
        presets_->setItemData(presets_->count() - 1, toQString(preset.summary), Qt::ToolTipRole);
    }
    presets_->setAccessibleName(QStringLiteral("Condition"));
    presets_->setAccessibleDescription(
        QStringLiteral("Sets every parameter to a ready-made condition, compared with Control"));
    presetLabel->setBuddy(presets_);
    connect(presets_, &QComboBox::currentIndexChanged, this, [this](int index) {
        const auto all = presets();
        if (index >= 0 && index < static_cast<int>(all.size()))
            emit conditionChosen(all[static_cast<std::size_t>(index)]);
    });
    column->addWidget(presetLabel);
    column->addWidget(presets_);
    static_cast<QVBoxLayout *>(column)->addSpacing(6);
}

void ParameterPanel::buildGroups(QLayout *column)
{
    auto *primary = new QGridLayout;
    primary->setHorizontalSpacing(6);
    // "More" and "Support" share one place, one page at a time: the column
    // has no height for both.
    groups_ = new QTabWidget(this);
    groups_->setObjectName(QStringLiteral("labGroups"));
    groups_->setDocumentMode(true);
    groups_->setAccessibleName(QStringLiteral("More parameters and support devices"));
    auto *moreBox = new QWidget(groups_);
    moreBox->setObjectName(QStringLiteral("groupMore"));
    moreBox->setAccessibleName(QStringLiteral("More"));
    auto *more = new QGridLayout(moreBox);
    more->setHorizontalSpacing(6);
    int primaryRow = 0, moreRow = 0;
    for (const ParamInfo &i : parameterTable()) {
        if (i.support)
            continue;
        if (i.primary)
            addParameterRow(this, primary, primaryRow++, i.id);
        else
            addParameterRow(moreBox, more, moreRow++, i.id);
    }
    static_cast<QVBoxLayout *>(column)->addLayout(primary);
    groups_->addTab(moreBox, QStringLiteral("More"));
    groups_->addTab(buildSupportGroup(groups_), QStringLiteral("Support"));
    if (auto *pages = groups_->findChild<QStackedWidget *>())
        pages->setAccessibleName(QStringLiteral("The page chosen above"));
    groups_->tabBar()->setAccessibleName(QStringLiteral("More or Support"));
    column->addWidget(groups_);
}

void ParameterPanel::buildButtons(QLayout *column)
{
    auto *baseline = look::makeButton(this, QStringLiteral("cmdBaseline"), QStringLiteral("Keep as Baseline"), {});
    baseline->setAccessibleDescription(QStringLiteral("Keeps the current loop as the dashed loop to compare with"));
    connect(baseline, &QPushButton::clicked, this, &ParameterPanel::keepBaselineAsked);
    auto *reset = look::makeButton(this, QStringLiteral("cmdReset"), QStringLiteral("Reset to Control"), {});
    reset->setAccessibleDescription(QStringLiteral("Returns every parameter and the baseline to Control"));
    connect(reset, &QPushButton::clicked, this, &ParameterPanel::resetAsked);
    auto *occlusion = look::makeButton(this, QStringLiteral("cmdOcclusion"), QStringLiteral("Occlusion Run"), {});
    occlusion->setAccessibleDescription(QStringLiteral("Lowers the filling pressure over 12 beats and fits the "
                                                       "line through their end-systolic points"));
    connect(occlusion, &QPushButton::clicked, this, &ParameterPanel::occlusionAsked);
    auto *buttons = new QGridLayout;
    buttons->addWidget(baseline, 0, 0);
    buttons->addWidget(reset, 0, 1);
    buttons->addWidget(occlusion, 1, 0, 1, 2);
    for (QPushButton *button : {baseline, reset, occlusion})
        button->setMinimumHeight(28);
    auto *vertical = static_cast<QVBoxLayout *>(column);
    vertical->addSpacing(6);
    vertical->addLayout(buttons);

    // While the beats after a change play: which beat, and a way to the end.
    auto *playing = new QHBoxLayout;
    transientCounter_ = whiteLabel(QString(), this);
    transientCounter_->setObjectName(QStringLiteral("transientCounter"));
    skip_ = look::makeButton(this, QStringLiteral("cmdSkip"), QStringLiteral("Skip"), {});
    skip_->setAccessibleDescription(QStringLiteral("Jumps to the new steady beat (Esc)"));
    skip_->setMinimumHeight(28);
    skip_->setEnabled(false); // no beats to skip yet
    connect(skip_, &QPushButton::clicked, this, &ParameterPanel::skipAsked);
    playing->addWidget(transientCounter_, 1);
    playing->addWidget(skip_);
    vertical->addLayout(playing);
}

void ParameterPanel::addParameterRow(QWidget *parent, QGridLayout *grid, int row, Param p)
{
    const ParamInfo &i = info(p);
    auto *label = whiteLabel(toQString(i.label), parent);
    label->setWordWrap(true);
    label->setToolTip(toQString(i.meaning));

    auto *slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QStringLiteral("slider") + toQString(i.name));
    slider->setRange(0, sliderSteps(i));
    slider->setPageStep(std::max(1, sliderSteps(i) / 10));
    slider->setAccessibleName(toQString(i.label));
    slider->setAccessibleDescription(
        QStringLiteral("Drag, or use the arrow keys, to set %1").arg(toQString(i.meaning)));

    auto *spin = new look::RangeDoubleSpinBox(parent);
    spin->setObjectName(QStringLiteral("spin") + toQString(i.name));
    spin->setDecimals(i.decimals);
    spin->setRange(i.min, i.max);
    spin->setSingleStep(i.step);
    spin->setSuffix(QLatin1Char(' ') + toQString(i.unit));
    spin->setKeyboardTracking(false); // a typed number counts once it is complete
    spin->setAccessibleName(toQString(i.label));
    const QString range = QStringLiteral("%1 to %2").arg(spin->textFromValue(i.min), formatParameter(p, i.max));
    spin->setAccessibleDescription(QStringLiteral("%1, from %2").arg(toQString(i.meaning), range));
    spin->setRangeText(range);
    // A number typed beyond the range is set to the nearest legal value, as the session would.
    spin->setLegal([&i, spin](double typed) { return legalValue(i, typed, spin->value()); });
    QPalette usual = spin->palette();
    usual.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::WindowText));
    spin->setPalette(usual);
    slider->setPalette(usual);
    label->setBuddy(spin);

    // Under the row, shown only when a typed number was brought into range.
    auto *note = whiteLabel(QString(), parent);
    note->setObjectName(QStringLiteral("note") + toQString(i.name));
    note->setWordWrap(true);
    QPalette yellow = note->palette();
    yellow.setColor(QPalette::WindowText, look::nextYellow());
    note->setPalette(yellow);
    spin->setNote(note);

    connect(
        slider, &QSlider::valueChanged, spin, [spin, &i](int position) { spin->setValue(i.min + position * i.step); });
    connect(spin, &QDoubleSpinBox::valueChanged, this, [this, p, slider, &i](double value) {
        {
            const QSignalBlocker blocker(slider);
            slider->setValue(sliderPosition(i, value));
        }
        emit parameterChosen(p, value);
    });

    grid->addWidget(label, 2 * row, 0);
    grid->addWidget(slider, 2 * row, 1);
    grid->addWidget(spin, 2 * row, 2);
    grid->addWidget(note, 2 * row + 1, 0, 1, 3);
    grid->setColumnStretch(0, 1);
    controls_[static_cast<std::size_t>(p)] = {spin, slider, label, note};
}

void ParameterPanel::showParameter(Param p, double value)
{
    const ParameterControls &c = controls_[static_cast<std::size_t>(p)];
    const QSignalBlocker spinBlocker(c.spin);
    const QSignalBlocker sliderBlocker(c.slider);
    c.spin->setValue(value);
    c.slider->setValue(sliderPosition(info(p), value));
}

void ParameterPanel::showParameters(const Parameters &parameters)
{
    for (const ParamInfo &i : parameterTable()) {
        showParameter(i.id, parameters[i.id]);
        // What a note said of a number typed belongs to the parameters before.
        controls_[static_cast<std::size_t>(i.id)].note->hide();
    }
    showModel(parameters.model);
    const Preset *match = nullptr;
    for (const Preset &preset : presets())
        if (!match && preset.parameters(parameters.model) == parameters)
            match = &preset;
    showCondition(match);
}

void ParameterPanel::showCondition(const Preset *match)
{
    // Settings of the student's own name no condition, rather than the last one chosen.
    const QSignalBlocker blocker(presets_);
    presets_->setCurrentIndex(match ? static_cast<int>(match - presets().data()) : -1);
}

void ParameterPanel::showModel(ModelKind kind)
{
    {
        const QSignalBlocker blocker(model_);
        model_->setCurrentIndex(kind == ModelKind::Heart ? 1 : 0);
    }
    for (const ParamInfo &i : parameterTable()) {
        const ParameterControls &c = controls_[static_cast<std::size_t>(i.id)];
        const bool shown = appliesTo(i, kind);
        for (QWidget *w :
            {static_cast<QWidget *>(c.label), static_cast<QWidget *>(c.slider), static_cast<QWidget *>(c.spin)})
            w->setVisible(shown);
        if (!shown)
            c.note->hide();
    }
    // The isolated heart takes no device.
    groups_->setTabVisible(groups_->indexOf(support_), kind == ModelKind::Circulation);
}

void ParameterPanel::showTransient(int beat, int length)
{
    transientCounter_->setText(
        beat > 0 ? QStringLiteral("Beat %1 of %2 after the change").arg(beat).arg(length) : QString());
    skip_->setEnabled(beat > 0);
}

bool ParameterPanel::dragging() const
{
    return std::any_of(
        controls_.begin(), controls_.end(), [](const ParameterControls &c) { return c.slider->isSliderDown(); });
}

void ParameterPanel::setZoom(double zoom)
{
    setColumnWidth(static_cast<int>(std::lround(kWidth * zoom)));
    for (const ParameterControls &c : controls_)
        c.slider->setMinimumWidth(static_cast<int>(std::lround(90 * zoom)));
}

// The model and condition, each parameter's slider then its box (the page
// tabs before the first control under them), then the buttons.
std::vector<QWidget *> ParameterPanel::tabOrder() const
{
    std::vector<QWidget *> order{model_, presets_};
    for (const ParamInfo &i : parameterTable()) {
        const ParameterControls &c = controls_[static_cast<std::size_t>(i.id)];
        if (i.id == Param::V0) {
            // Tab reaches the pages through their tabs alone. The page box
            // would pass its focus on to them from wherever it stands in
            // the chain, and cannot be placed in it apart from them.
            groups_->setFocusProxy(nullptr);
            groups_->setFocusPolicy(Qt::NoFocus);
            order.push_back(groups_->tabBar());
        }
        order.push_back(c.slider);
        order.push_back(c.spin);
    }
    for (const char *button : {"cmdBaseline", "cmdReset", "cmdOcclusion"})
        if (auto *w = findChild<QWidget *>(QLatin1String(button)))
            order.push_back(w);
    order.push_back(skip_);
    return order;
}

} // namespace valthera::lab
