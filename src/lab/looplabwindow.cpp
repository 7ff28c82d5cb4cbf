#include "lab/looplabwindow.h"

#include "lab/chartimage.h"
#include "lab/exercisepanel.h"
#include "lab/labcharts.h"
#include "ui/controls.h"
#include "ui/look.h"
#include "ui/zoom.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QThreadPool>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace valthera {

using namespace lab;

namespace {

// The client area a restored window keeps, in twips: room for the controls,
// both charts and the readouts side by side.
constexpr int kClientWidth = 14400;
constexpr int kClientHeight = 9600;
// The measures' column, in pixels at zoom 1: room for the longest name
// (DrainageLimited), a five-digit stroke work with its unit and its change; the
// window's restored width still holds it beside the controls and the charts.
constexpr int kReadoutsWidth = 270;

QString name(std::string_view text)
{
    return toQString(text);
}

int sliderSteps(const ParamInfo &i)
{
    return static_cast<int>(std::lround((i.max - i.min) / i.step));
}

int sliderPosition(const ParamInfo &i, double value)
{
    return static_cast<int>(std::lround((value - i.min) / i.step));
}

// Lines of the "what changed" sentence shown before it scrolls.
constexpr int kChangesLines = 6;

// A label that keeps the sizes it worked out. A label lays its text out again
// for each size it is asked, and a wrapped one several times over, for every
// width a layout asks about; the lab's hundred labels did it at every zoom
// step and again on the way back. Kept by font, text and width, so a zoom step
// seen before finds them all.
class KeptSizeLabel : public QLabel {
public:
    using QLabel::QLabel;

    QSize sizeHint() const override
    {
        return kept(kSizeHint, [this] { return QLabel::sizeHint(); });
    }
    QSize minimumSizeHint() const override
    {
        return kept(kMinimumSizeHint, [this] { return QLabel::minimumSizeHint(); });
    }
    int heightForWidth(int width) const override
    {
        return kept(width, [this, width] { return QSize(0, QLabel::heightForWidth(width)); }).height();
    }

private:
    static constexpr int kSizeHint = -2, kMinimumSizeHint = -3; // beside the widths asked
    static constexpr qsizetype kMostKept = 64;

    // Whatever else a label's size follows is set once, when it is made.
    struct Key {
        QFont font;
        QString text;
        int what;
        bool wrap;
        int alignment;
        bool operator==(const Key &) const = default;
    };
    friend size_t qHash(const Key &key, size_t seed = 0)
    {
        return qHashMulti(seed, key.font, key.text, key.what, key.wrap, key.alignment);
    }

    template <typename Work> QSize kept(int what, Work work) const
    {
        const Key key{font(), text(), what, wordWrap(), static_cast<int>(alignment())};
        if (const auto found = sizes_.constFind(key); found != sizes_.cend())
            return *found;
        if (sizes_.size() >= kMostKept)
            sizes_.clear();
        return *sizes_.insert(key, work());
    }

    mutable QHash<Key, QSize> sizes_;
};

QLabel *whiteLabel(const QString &text, QWidget *parent)
{
    auto *label = new KeptSizeLabel(text, parent);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, look::lightText());
    label->setPalette(palette);
    return label;
}

// The cursor's readout lines, one under the other. Their text changes on
// every frame of Play: laid out here by hand, a new text asks only this box
// to place its lines again, and the window's layouts (and the charts and
// scroll bars they would repaint) hear of it only when the height the lines
// need changes.
class ReadoutBox : public QWidget {
public:
    explicit ReadoutBox(QWidget *parent)
        : QWidget(parent)
    {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override { return {0, neededHeight()}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::LayoutRequest) {
            if (const int needed = neededHeight(); needed != laidOut_) {
                laidOut_ = needed;
                updateGeometry();
            }
            placeLines();
            return true;
        }
        return QWidget::event(event);
    }
    void resizeEvent(QResizeEvent *) override { placeLines(); }

private:
    QList<QLabel *> lines() const { return findChildren<QLabel *>(Qt::FindDirectChildrenOnly); }
    int neededHeight() const
    {
        int height = 0;
        for (const QLabel *line : lines())
            height += line->sizeHint().height();
        return height;
    }
    void placeLines()
    {
        int top = 0;
        for (QLabel *line : lines()) {
            const int height = line->sizeHint().height();
            line->setGeometry(0, top, width(), height);
            top += height;
        }
    }

    int laidOut_ = -1;
};

// A column of the lab whose width follows the zoom. The width is the column's
// size hint, not a fixed size: a fixed size resizes the column, and lays out
// every control in it, there and then, before the zoom has given them their
// new fonts; a hint is taken once, when the window is laid out for the zoom.
class Column : public QWidget {
public:
    explicit Column(QWidget *parent)
        : QWidget(parent)
    {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    }

    void setColumnWidth(int width)
    {
        if (width != width_) {
            width_ = width;
            updateGeometry();
        }
    }
    QSize sizeHint() const override { return {width_, QWidget::sizeHint().height()}; }
    QSize minimumSizeHint() const override { return {width_, QWidget::minimumSizeHint().height()}; }

private:
    int width_ = 0;
};

} // namespace

LoopLabWindow::LoopLabWindow(ScreenRegistry &registry)
    : MenuWindow(registry, QStringLiteral("Loop Lab"), kClientWidth, kClientHeight)
{
    auto *columns = new QHBoxLayout(client());
    columns->setContentsMargins(8, 8, 8, 8);
    columns->setSpacing(10);
    columns->addWidget(buildControls());

    chart_ = new PvChart(session_, client());
    timeChart_ = new TimeChart(session_, client());
    // The charts are drawn ahead on the processors this thread leaves free.
    // With two, one thread draws both in turn: three threads on two
    // processors slowed this one, which paints the rest of the frame, most.
    // Kept while the window lives, so their fonts stay ready.
    if (const int spare = QThread::idealThreadCount() - 1; spare > 0) {
        auto *threads = new QThreadPool(this);
        threads->setMaxThreadCount(std::min(spare, 2));
        threads->setExpiryTimeout(-1);
        chart_->drawAheadOn(threads);
        timeChart_->drawAheadOn(threads);
        // Its fonts at every zoom are made there while the window is idle,
        // after what any chart asks of it.
        look::readyZoomSteps(this, [this, threads](qreal factor) {
            for (std::function<void()> &piece : LabChart::fontReadying(factor, devicePixelRatioF()))
                threads->start(std::move(piece), -1);
        });
    } else {
        look::readyZoomSteps(this);
    }
    auto *charts = new QVBoxLayout;
    charts->setSpacing(6);
    charts->addWidget(chart_, 5);
    charts->addWidget(timeChart_, 4);
    charts->addWidget(buildCursorPanel());
    columns->addLayout(charts, 1);
    columns->addWidget(buildReadouts());
    // Painted after every other control (they do not overlap), so that the
    // charts, drawn on other processors meanwhile, are ready when their turn
    // in the frame comes.
    chart_->raise();
    timeChart_->raise();

    auto *copy = new QAction(QStringLiteral("Copy chart and measures"), this);
    copy->setObjectName(QStringLiteral("actCopy"));
    copy->setShortcut(QKeySequence::Copy);
    connect(copy, &QAction::triggered, this, &LoopLabWindow::copyToClipboard);
    addAction(copy);
    auto *save = new QAction(QStringLiteral("Save image…"), this);
    save->setObjectName(QStringLiteral("actSaveImage"));
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, [this] { saveImage(0); });
    addAction(save);
    // Right-clicking a chart offers that one.
    for (int which : {0, 1}) {
        LabChart *chart = which == 0 ? static_cast<LabChart *>(chart_) : timeChart_;
        auto *saveThis = new QAction(QStringLiteral("Save image…"), chart);
        saveThis->setObjectName(QStringLiteral("actSaveChartImage"));
        connect(saveThis, &QAction::triggered, this, [this, which] { saveImage(which); });
        chart->addAction(saveThis);
        chart->setContextMenuPolicy(Qt::ActionsContextMenu);
    }

    recomputeTimer_.setSingleShot(true);
    recomputeTimer_.setInterval(0);
    connect(&recomputeTimer_, &QTimer::timeout, this, &LoopLabWindow::recompute);
    playTimer_.setInterval(kTransientBeatMs);
    connect(&playTimer_, &QTimer::timeout, this, &LoopLabWindow::nextTransientBeat);
    auto *skipKey = new QAction(QStringLiteral("Skip to the new steady beat"), this);
    skipKey->setObjectName(QStringLiteral("actSkip"));
    skipKey->setShortcut(Qt::Key_Escape);
    connect(skipKey, &QAction::triggered, this, &LoopLabWindow::skipTransient);
    addAction(skipKey);
    settleTimer_.setSingleShot(true);
    settleTimer_.setInterval(kSettleMs);
    connect(&settleTimer_, &QTimer::timeout, this, &LoopLabWindow::announceChanges);

    // Text is set here at its design size: the program's zoom rescales every
    // font a window sets itself. The fixed widths and the charts follow the
    // zoom through setZoom.
    client()->setFont(look::sansSerif(look::kOrdinaryPointSize));
    for (QPushButton *button : client()->findChildren<QPushButton *>())
        button->setFont(look::sansSerif(look::kOrdinaryPointSize));
    setZoom(look::Zoom::instance().factor());
    connect(&look::Zoom::instance(), &look::Zoom::changed, this, [this](qreal factor) { setZoom(factor); });
    // A combo box with a placeholder starts on it, not on its first item.
    showCondition();
    showModel();
    showSession();
    showTransientCounter(); // Skip waits for beats to skip
    for (const MeasureInfo &i : measureTable())
        announced_[static_cast<std::size_t>(i.id)] = announcedState(i.id);
    settleTimer_.stop();
    orderTabs();
}

// Tab walks the window as it reads, whatever order the panels were built in:
// the model and condition, each parameter's slider then its box (the page
// tabs before the first control under them), the buttons, the charts that
// take the cursor's keys, Play, then the measures' column top to bottom.
void LoopLabWindow::orderTabs()
{
    std::vector<QWidget *> order{model_, presets_};
    for (const ParamInfo &i : parameterTable()) {
        const ParameterControls &c = controls_[static_cast<std::size_t>(i.id)];
        if (i.id == Param::V0)
            if (auto *groups = findChild<QTabWidget *>(QStringLiteral("labGroups"))) {
                // Tab reaches the pages through their tabs alone. The page box
                // would pass its focus on to them from wherever it stands in
                // the chain, and cannot be placed in it apart from them.
                groups->setFocusProxy(nullptr);
                groups->setFocusPolicy(Qt::NoFocus);
                order.push_back(groups->tabBar());
            }
        order.push_back(c.slider);
        order.push_back(c.spin);
    }
    for (const char *button : {"cmdBaseline", "cmdReset", "cmdOcclusion"})
        if (auto *w = findChild<QWidget *>(QLatin1String(button)))
            order.push_back(w);
    for (QWidget *w : {static_cast<QWidget *>(skip_), static_cast<QWidget *>(chart_),
             static_cast<QWidget *>(timeChart_), static_cast<QWidget *>(play_), static_cast<QWidget *>(quarterSpeed_)})
        order.push_back(w);
    if (auto *readouts = findChild<QWidget *>(QStringLiteral("labReadouts")))
        for (QWidget *w : readouts->findChildren<QWidget *>())
            if (w->focusPolicy() & Qt::TabFocus && !w->focusProxy())
                order.push_back(w);
    for (std::size_t k = 1; k < order.size(); ++k)
        QWidget::setTabOrder(order[k - 1], order[k]);
    // And round again from the last to the first.
    QWidget::setTabOrder(order.back(), order.front());
}

QWidget *LoopLabWindow::buildControls()
{
    auto *panel = new Column(client());
    panel->setObjectName(QStringLiteral("labControls"));
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);

    auto *modelLabel = whiteLabel(QStringLiteral("Model"), panel);
    model_ = new QComboBox(panel);
    model_->setObjectName(QStringLiteral("labModel"));
    for (ModelKind kind : {ModelKind::Circulation, ModelKind::Heart})
        model_->addItem(name(modelName(kind)));
    model_->setItemData(
        0, QStringLiteral("The heart beats inside a closed circulation: preload is the blood volume"), Qt::ToolTipRole);
    model_->setItemData(
        1, QStringLiteral("The left heart alone, filled from a fixed atrial pressure"), Qt::ToolTipRole);
    model_->setAccessibleName(QStringLiteral("Model"));
    model_->setAccessibleDescription(QStringLiteral("Whole circulation, or the isolated heart for one-thing-at-a-time "
                                                    "experiments; switching starts from the model's Control"));
    modelLabel->setBuddy(model_);
    connect(model_, &QComboBox::currentIndexChanged, this, &LoopLabWindow::modelChosen);
    column->addWidget(modelLabel);
    column->addWidget(model_);

    auto *presetLabel = whiteLabel(QStringLiteral("Condition"), panel);
    presets_ = new QComboBox(panel);
    presets_->setPlaceholderText(QStringLiteral("Own settings"));
    presets_->setObjectName(QStringLiteral("presets"));
    for (const Preset &preset : presets()) {
        presets_->addItem(name(preset.name));
        presets_->setItemData(presets_->count() - 1, name(preset.summary), Qt::ToolTipRole);
    }
    presets_->setAccessibleName(QStringLiteral("Condition"));
    presets_->setAccessibleDescription(QStringLiteral("Sets every parameter to a ready-made condition"));
    presetLabel->setBuddy(presets_);
    connect(presets_, &QComboBox::currentIndexChanged, this, &LoopLabWindow::presetChosen);
    column->addWidget(presetLabel);
    column->addWidget(presets_);
    column->addSpacing(6);

    auto *primary = new QGridLayout;
    primary->setHorizontalSpacing(6);
    // "More" and "Support" share one place, one page at a time: the column
    // has no height for both.
    auto *groups = new QTabWidget(panel);
    groups->setObjectName(QStringLiteral("labGroups"));
    groups->setDocumentMode(true);
    groups->setAccessibleName(QStringLiteral("More parameters and support devices"));
    auto *moreBox = new QWidget(groups);
    moreBox->setObjectName(QStringLiteral("groupMore"));
    moreBox->setAccessibleName(QStringLiteral("More"));
    auto *more = new QGridLayout(moreBox);
    more->setHorizontalSpacing(6);
    int primaryRow = 0, moreRow = 0;
    for (const ParamInfo &i : parameterTable()) {
        if (i.support)
            continue;
        if (i.primary)
            addParameterRow(panel, primary, primaryRow++, i.id);
        else
            addParameterRow(moreBox, more, moreRow++, i.id);
    }
    column->addLayout(primary);
    groups->addTab(moreBox, QStringLiteral("More"));
    groups->addTab(buildSupportGroup(groups), QStringLiteral("Support"));
    if (auto *pages = groups->findChild<QStackedWidget *>())
        pages->setAccessibleName(QStringLiteral("The page chosen above"));
    groups->tabBar()->setAccessibleName(QStringLiteral("More or Support"));
    column->addWidget(groups);

    auto *baseline = look::makeButton(panel, QStringLiteral("cmdBaseline"), QStringLiteral("Keep as Baseline"), {});
    baseline->setAccessibleDescription(QStringLiteral("Keeps the current loop as the dashed loop to compare with"));
    connect(baseline, &QPushButton::clicked, this, [this] {
        session_.keepBaseline();
        showSession();
    });
    auto *reset = look::makeButton(panel, QStringLiteral("cmdReset"), QStringLiteral("Reset to Control"), {});
    reset->setAccessibleDescription(QStringLiteral("Returns every parameter and the baseline to Control"));
    connect(reset, &QPushButton::clicked, this, [this] {
        recomputeTimer_.stop();
        skipTransient();
        session_.reset();
        syncControls();
        showSession();
    });
    auto *occlusion = look::makeButton(panel, QStringLiteral("cmdOcclusion"), QStringLiteral("Occlusion Run"), {});
    occlusion->setAccessibleDescription(QStringLiteral("Lowers the filling pressure over 12 beats and fits the "
                                                       "line through their end-systolic points"));
    connect(occlusion, &QPushButton::clicked, this, [this] {
        recomputeTimer_.stop();
        skipTransient();
        session_.runOcclusion();
        showSession();
    });
    auto *buttons = new QGridLayout;
    buttons->addWidget(baseline, 0, 0);
    buttons->addWidget(reset, 0, 1);
    buttons->addWidget(occlusion, 1, 0, 1, 2);
    for (QPushButton *button : {baseline, reset, occlusion})
        button->setMinimumHeight(28);
    column->addSpacing(6);
    column->addLayout(buttons);

    // While the beats after a change play: which beat, and a way to the end.
    auto *playing = new QHBoxLayout;
    transientCounter_ = whiteLabel(QString(), panel);
    transientCounter_->setObjectName(QStringLiteral("transientCounter"));
    skip_ = look::makeButton(panel, QStringLiteral("cmdSkip"), QStringLiteral("Skip"), {});
    skip_->setAccessibleDescription(QStringLiteral("Jumps to the new steady beat (Esc)"));
    skip_->setMinimumHeight(28);
    connect(skip_, &QPushButton::clicked, this, &LoopLabWindow::skipTransient);
    playing->addWidget(transientCounter_, 1);
    playing->addWidget(skip_);
    column->addLayout(playing);

    column->addStretch(1);
    return panel;
}

void LoopLabWindow::addParameterRow(QWidget *parent, QGridLayout *grid, int row, Param p)
{
    const ParamInfo &i = info(p);
    auto *label = whiteLabel(name(i.label), parent);
    label->setWordWrap(true);
    label->setToolTip(name(i.meaning));

    auto *slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QStringLiteral("slider") + name(i.name));
    slider->setRange(0, sliderSteps(i));
    slider->setPageStep(std::max(1, sliderSteps(i) / 10));
    slider->setValue(sliderPosition(i, session_.parameters()[p]));
    slider->setAccessibleName(name(i.label));
    slider->setAccessibleDescription(QStringLiteral("Drag, or use the arrow keys, to set %1").arg(name(i.meaning)));

    auto *spin = new QDoubleSpinBox(parent);
    spin->setObjectName(QStringLiteral("spin") + name(i.name));
    spin->setDecimals(i.decimals);
    spin->setRange(i.min, i.max);
    spin->setSingleStep(i.step);
    spin->setSuffix(QLatin1Char(' ') + name(i.unit));
    spin->setKeyboardTracking(false); // a typed number counts once it is complete
    spin->setValue(session_.parameters()[p]);
    spin->setAccessibleName(name(i.label));
    spin->setAccessibleDescription(
        QStringLiteral("%1, from %2 to %3").arg(name(i.meaning), formatParameter(p, i.min), formatParameter(p, i.max)));
    spin->installEventFilter(this);
    QPalette usual = spin->palette();
    usual.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::WindowText));
    spin->setPalette(usual);
    slider->setPalette(usual);
    label->setBuddy(spin);

    connect(
        slider, &QSlider::valueChanged, spin, [spin, &i](int position) { spin->setValue(i.min + position * i.step); });
    connect(spin, &QDoubleSpinBox::valueChanged, this, [this, p](double value) { parameterEdited(p, value); });

    grid->addWidget(label, row, 0);
    grid->addWidget(slider, row, 1);
    grid->addWidget(spin, row, 2);
    grid->setColumnStretch(0, 1);
    controls_[static_cast<std::size_t>(p)] = {spin, slider, label};
}

QWidget *LoopLabWindow::buildReadouts()
{
    auto *panel = new Column(client());
    panel->setObjectName(QStringLiteral("labReadouts"));
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    auto *heading = whiteLabel(QStringLiteral("Measures (change from baseline)"), panel);
    heading->setWordWrap(true);
    column->addWidget(heading);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(0);
    int row = 0;
    for (const MeasureInfo &i : measureTable()) {
        auto *label = whiteLabel(name(i.name), panel);
        label->setToolTip(name(i.meaning));
        auto *value = whiteLabel(QString(), panel);
        value->setObjectName(QStringLiteral("value") + name(i.name));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setAccessibleDescription(name(i.meaning));
        auto *delta = whiteLabel(QString(), panel);
        delta->setObjectName(QStringLiteral("delta") + name(i.name));
        delta->setAccessibleName(name(i.name) + QStringLiteral(" against the baseline"));
        grid->addWidget(label, row, 0);
        grid->addWidget(value, row, 1);
        grid->addWidget(delta, row, 2);
        readouts_[static_cast<std::size_t>(i.id)] = {value, delta, label};
        ++row;
    }
    auto addFit = [&](const QString &caption, const QString &objectName, const QString &meaning) {
        auto *label = whiteLabel(caption, panel);
        auto *value = whiteLabel(QString(), panel);
        value->setObjectName(objectName);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setAccessibleDescription(meaning);
        grid->addWidget(label, row, 0);
        grid->addWidget(value, row, 1, 1, 2);
        ++row;
        return value;
    };
    grid->setRowMinimumHeight(row++, 10);
    eesFit_ = addFit(QStringLiteral("Ees (fit)"), QStringLiteral("valueEesFit"),
        QStringLiteral("slope of the line through the occlusion run's end-systolic points"));
    v0Fit_ = addFit(QStringLiteral("V0 (fit)"), QStringLiteral("valueV0Fit"),
        QStringLiteral("volume where that line meets zero pressure"));
    column->addLayout(grid);

    // What changed is told in a sentence that can run to many lines; it
    // scrolls within a few lines so it never squeezes the measures above it.
    // It repeats the table, and is read out when it changes, so it takes no
    // place in the Tab order.
    auto *changesArea = new QScrollArea(panel);
    changesArea->setObjectName(QStringLiteral("labChangesArea"));
    changesArea->setFrameShape(QFrame::NoFrame);
    changesArea->setWidgetResizable(true);
    changesArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    changesArea->setFocusPolicy(Qt::NoFocus);
    changesArea->viewport()->setAutoFillBackground(false);
    changes_ = whiteLabel(QString(), changesArea);
    changes_->setObjectName(QStringLiteral("labChanges"));
    changes_->setWordWrap(true);
    changes_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    changesArea->setWidget(changes_);
    column->addSpacing(8);
    column->addWidget(changesArea);
    auto *exercise = new ExercisePanel(panel);
    connect(exercise, &ExercisePanel::exerciseChecked, this, [this](const Exercise &e) {
        recomputeTimer_.stop();
        skipTransient();
        session_.setParameters(Parameters(e.model));
        session_.reset();
        session_.setParameters(e.parameters());
        session_.update();
        syncControls();
        showModel();
        showSession();
        playTransient();
        changes_->setText(name(e.name) + QStringLiteral(", against Control (dashed)"));
    });
    column->addWidget(exercise, 1);
    return panel;
}

void LoopLabWindow::setZoom(double zoom)
{
    zoom_ = std::clamp(zoom, 0.5, 4.0);
    if (auto *panel = static_cast<Column *>(client()->findChild<QWidget *>(QStringLiteral("labControls"))))
        panel->setColumnWidth(static_cast<int>(std::lround(390 * zoom_)));
    if (auto *panel = static_cast<Column *>(client()->findChild<QWidget *>(QStringLiteral("labReadouts"))))
        panel->setColumnWidth(static_cast<int>(std::lround(kReadoutsWidth * zoom_)));
    if (auto *area = client()->findChild<QWidget *>(QStringLiteral("labChangesArea")))
        area->setMaximumHeight(static_cast<int>(std::lround(kChangesLines * 16 * zoom_)));
    for (const ParameterControls &c : controls_)
        c.slider->setMinimumWidth(static_cast<int>(std::lround(90 * zoom_)));
    chart_->setZoom(zoom_);
    timeChart_->setZoom(zoom_);
}

bool LoopLabWindow::event(QEvent *event)
{
    if (event->type() != QEvent::UpdateRequest)
        return MenuWindow::event(event);
    // A frame: the charts draw on other processors while the controls are
    // painted here, and are in place when the frame is shown. Their sizes are
    // settled first, since they may not change while a chart draws.
    settleLayouts();
    chart_->drawAhead();
    timeChart_->drawAhead();
    const bool handled = MenuWindow::event(event);
    chart_->finishDrawing();
    timeChart_->finishDrawing();
    return handled;
}

bool LoopLabWindow::eventFilter(QObject *watched, QEvent *event)
{
    // A spin box would take Ctrl+C for its own text; in the lab it copies the
    // chart and the measures wherever the focus is.
    if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy))
        return true;
    if (event->type() == QEvent::KeyPress && (watched == chart_ || watched == timeChart_) &&
        cursorKey(static_cast<QKeyEvent *>(event)))
        return true;
    return MenuWindow::eventFilter(watched, event);
}

void LoopLabWindow::parameterEdited(Param p, double value)
{
    const ParameterControls &c = controls_[static_cast<std::size_t>(p)];
    {
        const QSignalBlocker blocker(c.slider);
        c.slider->setValue(sliderPosition(info(p), value));
    }
    if (session_.setParameter(p, value)) {
        showCondition();
        scheduleRecompute();
    }
    // A device's gap between off and its lowest speed is no setting: the
    // controls show where the session put it.
    const double set = session_.parameters()[p];
    if (set != value) {
        const QSignalBlocker spinBlocker(c.spin);
        const QSignalBlocker sliderBlocker(c.slider);
        c.spin->setValue(set);
        c.slider->setValue(sliderPosition(info(p), set));
    }
}

void LoopLabWindow::exploreChart(const ChartMatch &chart)
{
    recomputeTimer_.stop();
    skipTransient();
    // Compared with the control loop, whatever baseline the student had kept.
    session_.setParameters(chart.parameters());
    session_.reset();
    session_.setParameters(chart.parameters());
    session_.update();
    syncControls();
    showModel();
    showSession();
    // The chart's story begins where its loop does.
    cursor_.jumpTo(timeOf(session_.shownBeat(), session_.events().mitralClose));
    showCursor({});
    changes_->setText(name(chart.description));
    look::announce(changes_);
}

void LoopLabWindow::presetChosen(int index)
{
    const auto all = presets();
    if (index < 0 || index >= static_cast<int>(all.size()))
        return;
    session_.applyPreset(all[static_cast<std::size_t>(index)]);
    syncControls();
    scheduleRecompute();
}

void LoopLabWindow::scheduleRecompute()
{
    // While a slider is dragged every move lands here; only the last
    // parameters set before the event loop comes round are solved.
    if (!recomputeTimer_.isActive())
        recomputeTimer_.start();
}

void LoopLabWindow::recompute()
{
    const bool changed = session_.stale();
    session_.update();
    showSession();
    // A slider being dragged shows each steady loop at once; a change made
    // at one go plays the beats that lead to it.
    const bool dragging = std::any_of(
        controls_.begin(), controls_.end(), [](const ParameterControls &c) { return c.slider->isSliderDown(); });
    if (changed && !dragging)
        playTransient();
}

void LoopLabWindow::modelChosen(int index)
{
    const ModelKind kind = index == 1 ? ModelKind::Heart : ModelKind::Circulation;
    if (kind == session_.model())
        return;
    recomputeTimer_.stop();
    skipTransient();
    session_.setModel(kind);
    syncControls();
    showModel();
    showSession();
    changes_->setText(name(modelName(kind)) + QStringLiteral(": Control, kept as the baseline"));
    look::announce(changes_);
}

void LoopLabWindow::showModel()
{
    const ModelKind kind = session_.model();
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
    }
    // The isolated heart takes no device.
    if (auto *groups = findChild<QTabWidget *>(QStringLiteral("labGroups")))
        groups->setTabVisible(groups->indexOf(support_), kind == ModelKind::Circulation);
    for (const MeasureInfo &i : measureTable()) {
        const Readout &r = readouts_[static_cast<std::size_t>(i.id)];
        const bool shown = !(i.circulationOnly && kind == ModelKind::Heart);
        for (QLabel *w : {r.label, r.value, r.delta})
            w->setVisible(shown);
    }
}

void LoopLabWindow::playTransient()
{
    playTimer_.stop();
    if (!session_.startTransient()) {
        showTransientCounter();
        return;
    }
    showTransientCounter();
    refreshCharts();
    // While the cursor plays, it leads the beats on as it reaches each one's end.
    if (!playing())
        playTimer_.start();
}

void LoopLabWindow::nextTransientBeat()
{
    if (!session_.advanceTransient())
        playTimer_.stop();
    showTransientCounter();
    refreshCharts();
}

void LoopLabWindow::skipTransient()
{
    if (session_.transientBeat() == 0)
        return;
    playTimer_.stop();
    session_.stopTransient();
    showTransientCounter();
    refreshCharts();
}

void LoopLabWindow::showTransientCounter()
{
    const int beat = session_.transientBeat();
    transientCounter_->setText(beat > 0
            ? QStringLiteral("Beat %1 of %2 after the change").arg(beat).arg(session_.transientLength())
            : QString());
    skip_->setEnabled(beat > 0);
}

void LoopLabWindow::syncControls()
{
    for (const ParamInfo &i : parameterTable()) {
        const ParameterControls &c = controls_[static_cast<std::size_t>(i.id)];
        const double value = session_.parameters()[i.id];
        const QSignalBlocker spinBlocker(c.spin);
        const QSignalBlocker sliderBlocker(c.slider);
        c.spin->setValue(value);
        c.slider->setValue(sliderPosition(i, value));
    }
    showCondition();
}

void LoopLabWindow::showCondition()
{
    // Settings of the student's own name no condition, rather than the last one chosen.
    const QSignalBlocker blocker(presets_);
    const Preset *match = session_.matchingPreset();
    presets_->setCurrentIndex(match ? static_cast<int>(match - presets().data()) : -1);
}

void LoopLabWindow::showSession()
{
    for (const MeasureInfo &i : measureTable()) {
        const Readout &r = readouts_[static_cast<std::size_t>(i.id)];
        r.value->setText(session_.value(i.id));
        r.value->setAccessibleName(name(i.name) + QLatin1Char(' ') + r.value->text());
        r.delta->setText(session_.delta(i.id));
        r.delta->setAccessibleDescription(session_.deltaDescription(i.id));
    }
    eesFit_->setText(session_.eesFit());
    v0Fit_->setText(session_.v0Fit());
    showSupport();
    eesFit_->setAccessibleName(QStringLiteral("Ees from the occlusion run ") + eesFit_->text());
    v0Fit_->setAccessibleName(QStringLiteral("V0 from the occlusion run ") + v0Fit_->text());
    refreshCharts();
    settleTimer_.start();
}

QString LoopLabWindow::announcedState(Measure m) const
{
    return session_.value(m);
}

void LoopLabWindow::announceChanges()
{
    QStringList changed;
    for (const MeasureInfo &i : measureTable()) {
        QString &last = announced_[static_cast<std::size_t>(i.id)];
        const QString now = announcedState(i.id);
        if (now == last)
            continue;
        last = now;
        const QString delta = session_.deltaDescription(i.id);
        changed << QStringLiteral("%1 %2 (%3)").arg(name(i.name), now, delta);
    }
    const QString fit = session_.eesFit();
    if (fit != announcedFit_) {
        announcedFit_ = fit;
        if (!fit.isEmpty())
            changed << QStringLiteral("Ees from the occlusion run %1, V0 %2").arg(fit, session_.v0Fit());
    }
    if (changed.isEmpty())
        return;
    changes_->setText(QStringLiteral("Now: ") + changed.join(QStringLiteral("; ")));
    look::announce(changes_);
}

void LoopLabWindow::copyToClipboard()
{
    auto *data = new QMimeData;
    data->setImageData(chart_->grab().toImage());
    data->setText(session_.report());
    QApplication::clipboard()->setMimeData(data);
}

void LoopLabWindow::saveImage(int chart)
{
    ChartImageDialog choice({chart_, timeChart_}, chart, this);
    if (choice.exec() != QDialog::Accepted)
        return;
    const int chosen = choice.chart() == timeChart_ ? 1 : 0;

    QFileDialog files(this, QStringLiteral("Save Image"));
    files.setObjectName(QStringLiteral("SaveImageFile"));
    files.setAcceptMode(QFileDialog::AcceptSave);
    const QString png = QStringLiteral("PNG picture (*.png)"), svg = QStringLiteral("SVG drawing (*.svg)");
    files.setNameFilters({png, svg});
    // A name typed without an extension gets the chosen type's, before the
    // dialog asks about replacing a file of that name.
    files.setDefaultSuffix(QStringLiteral("png"));
    connect(&files, &QFileDialog::filterSelected, &files,
        [&files, svg](const QString &filter) { files.setDefaultSuffix(filter == svg ? "svg" : "png"); });
    files.selectFile(chosen == 0 ? QStringLiteral("pv-loop.png") : QStringLiteral("one-beat.png"));
    if (files.exec() != QDialog::Accepted || files.selectedFiles().isEmpty())
        return;
    saveChartImage(chosen, files.selectedFiles().constFirst(), choice.figureSize());
}

bool LoopLabWindow::saveChartImage(int chart, const QString &path, QSize size)
{
    LabChart &which = chart == 1 ? static_cast<LabChart &>(*timeChart_) : *chart_;
    const QString error = writeChartImage(which, path, size);
    if (error.isEmpty()) {
        changes_->setText(QStringLiteral("Saved the chart to %1").arg(QDir::toNativeSeparators(path)));
        look::announce(changes_);
        return true;
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Save Image"),
        QStringLiteral("The image could not be saved to %1: %2.").arg(QDir::toNativeSeparators(path), error),
        QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("SaveImageFailed"));
    box.exec();
    return false;
}

} // namespace valthera

namespace valthera {

using namespace lab;

namespace {

// Wall time since the last frame of Play, in s. A stalled machine resumes
// where it was rather than leaping beats ahead.
double sinceLastFrame(const QElapsedTimer &clock)
{
    return std::min(0.25, static_cast<double>(clock.nsecsElapsed()) / 1e9);
}

} // namespace

QWidget *LoopLabWindow::buildCursorPanel()
{
    auto *panel = new QWidget(client());
    panel->setObjectName(QStringLiteral("labCursor"));
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    auto *buttons = new QVBoxLayout;
    play_ = look::makeButton(panel, QStringLiteral("cmdPlay"), QStringLiteral("Play"), {});
    play_->setAccessibleDescription(
        QStringLiteral("Runs the cursor through the beat and on, beat after beat (Space on a chart)"));
    play_->setMinimumHeight(28);
    connect(play_, &QPushButton::clicked, this, [this] { setPlaying(!playing()); });
    quarterSpeed_ = new QCheckBox(QStringLiteral("\u00bc speed"), panel);
    quarterSpeed_->setObjectName(QStringLiteral("cursorQuarterSpeed"));
    quarterSpeed_->setAccessibleName(QStringLiteral("Quarter speed"));
    quarterSpeed_->setAccessibleDescription(QStringLiteral("Plays the beat at a quarter of real time"));
    QPalette white = quarterSpeed_->palette();
    white.setColor(QPalette::WindowText, look::lightText());
    quarterSpeed_->setPalette(white);
    buttons->addWidget(play_);
    buttons->addWidget(quarterSpeed_);
    buttons->addStretch(1);
    row->addLayout(buttons);

    auto *text = new ReadoutBox(panel);
    cursorReadout_ = whiteLabel(QString(), text);
    cursorReadout_->setObjectName(QStringLiteral("cursorReadout"));
    cursorReadout_->setAccessibleDescription(QStringLiteral(
        "The instant marked on both charts. On a chart: Left and Right step 5 ms, with Shift 50 ms; Page Up and "
        "Page Down go to the previous and next valve event; Home and End to the beat's start and end; Space plays"));
    cursorReadout_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    cursorEvent_ = whiteLabel(QStringLiteral(" "), text);
    cursorEvent_->setObjectName(QStringLiteral("cursorEvent"));
    row->addWidget(text, 1);

    for (LabChart *chart : {static_cast<LabChart *>(chart_), static_cast<LabChart *>(timeChart_)}) {
        chart->setBeatCursor(&cursor_);
        chart->installEventFilter(this);
        connect(chart, &LabChart::samplePicked, this,
            [this](int sample) { showCursor(cursor_.jumpTo(timeOf(cursor_.beat(), sample))); });
    }
    cursorTimer_.setInterval(kFrameMs);
    cursorTimer_.setTimerType(Qt::PreciseTimer);
    connect(&cursorTimer_, &QTimer::timeout, this, [this] {
        const double wall = sinceLastFrame(cursorClock_);
        cursorClock_.start();
        playFrame(wall);
    });
    return panel;
}

void LoopLabWindow::refreshCharts()
{
    cursor_.setBeat(session_.shownBeat());
    chart_->refresh();
    timeChart_->refresh();
    if (cursorReadout_)
        cursorReadout_->setText(cursor_.readout());
}

void LoopLabWindow::showCursor(const QString &said)
{
    cursorReadout_->setText(cursor_.readout());
    chart_->cursorMoved();
    timeChart_->cursorMoved();
    if (said.isEmpty())
        return;
    cursorEvent_->setText(said);
    look::announce(cursorEvent_);
}

bool LoopLabWindow::cursorKey(const QKeyEvent *event)
{
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))
        return false; // Ctrl and Alt keys are the window's
    switch (event->key()) {
    case Qt::Key_Left:
        showCursor(cursor_.stepBy(shift ? -BeatCursor::kLongStep : -BeatCursor::kStep));
        return true;
    case Qt::Key_Right:
        showCursor(cursor_.stepBy(shift ? BeatCursor::kLongStep : BeatCursor::kStep));
        return true;
    case Qt::Key_PageUp:
        showCursor(cursor_.previousEvent());
        return true;
    case Qt::Key_PageDown:
        showCursor(cursor_.nextEvent());
        return true;
    case Qt::Key_Home:
        showCursor(cursor_.toStart());
        return true;
    case Qt::Key_End:
        showCursor(cursor_.toEnd());
        return true;
    case Qt::Key_Space:
        setPlaying(!playing());
        return true;
    default:
        return false;
    }
}

void LoopLabWindow::setPlaying(bool on)
{
    if (on == playing())
        return;
    if (on) {
        playTimer_.stop(); // the cursor leads a transient's beats on from here
        cursorClock_.start();
        cursorTimer_.start();
    } else {
        // Up to the moment of the pause, not the last frame before it.
        cursorTimer_.stop();
        playFrame(sinceLastFrame(cursorClock_));
    }
    play_->setText(on ? QStringLiteral("Pause") : QStringLiteral("Play"));
}

void LoopLabWindow::playFrame(double wallSeconds)
{
    const double speed = quarterSpeed_->isChecked() ? 0.25 : 1.0;
    bool nextBeat = false;
    const QString said = cursor_.advance(wallSeconds * speed, [this, &nextBeat] {
        if (session_.transientBeat() == 0)
            return;
        session_.advanceTransient();
        showTransientCounter();
        refreshCharts();
        nextBeat = true;
    });
    showCursor(said);
    // A frame that only moved the cursor draws ahead what the next beat
    // changes, one chart a frame, so no frame does both.
    if (!nextBeat && !chart_->prepareNextBeat())
        timeChart_->prepareNextBeat();
}

} // namespace valthera
