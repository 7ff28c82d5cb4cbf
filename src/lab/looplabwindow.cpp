#include "lab/looplabwindow.h"

#include "lab/chartimage.h"
#include "lab/exercisepanel.h"
#include "lab/labcharts.h"
#include "lab/parameterpanel.h"
#include "ui/controls.h"
#include "ui/look.h"
#include "ui/zoom.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QThread>
#include <QThreadPool>
#include <QVBoxLayout>
#include <algorithm>

namespace valthera {

using namespace lab;

namespace {

// The client area a restored window keeps, in twips: room for the controls,
// both charts and the readouts side by side.
constexpr int kClientWidth = 14400;
constexpr int kClientHeight = 9600;

} // namespace

LoopLabWindow::LoopLabWindow(ScreenRegistry &registry)
    : MenuWindow(registry, QStringLiteral("Loop Lab"), kClientWidth, kClientHeight)
{
    auto *columns = new QHBoxLayout(client());
    columns->setContentsMargins(8, 8, 8, 8);
    columns->setSpacing(10);
    parameters_ = new ParameterPanel(session_.parameters(), client());
    columns->addWidget(parameters_);

    buildCharts();
    cursor_ = new CursorPanel(chart_, timeChart_, client());
    auto *charts = new QVBoxLayout;
    charts->setSpacing(6);
    charts->addWidget(chart_, 5);
    charts->addWidget(timeChart_, 4);
    charts->addWidget(cursor_);
    columns->addLayout(charts, 1);

    measures_ = new MeasuresPanel(session_, client());
    auto *exercise = new ExercisePanel(measures_);
    connect(exercise, &ExercisePanel::exerciseChecked, this, &LoopLabWindow::exerciseChecked);
    measures_->addBelow(exercise, 1);
    columns->addWidget(measures_);
    // Painted after every other control (they do not overlap), so that the
    // charts, drawn on other processors meanwhile, are ready when their turn
    // in the frame comes.
    chart_->raise();
    timeChart_->raise();

    buildActions();
    connectParameters();
    recomputeTimer_.setSingleShot(true);
    recomputeTimer_.setInterval(0);
    connect(&recomputeTimer_, &QTimer::timeout, this, &LoopLabWindow::recompute);
    playTimer_.setInterval(kTransientBeatMs);
    connect(&playTimer_, &QTimer::timeout, this, &LoopLabWindow::nextTransientBeat);
    cursor_->setNextBeat([this] { return session_.transientBeat() > 0 && (nextTransientBeat(), true); });
    connect(cursor_, &CursorPanel::playStarted, &playTimer_, &QTimer::stop);

    // Text is set here at its design size: the program's zoom rescales every
    // font a window sets itself. The fixed widths and the charts follow the
    // zoom through setZoom.
    client()->setFont(look::sansSerif(look::kOrdinaryPointSize));
    for (QPushButton *button : client()->findChildren<QPushButton *>())
        button->setFont(look::sansSerif(look::kOrdinaryPointSize));
    setZoom(look::Zoom::instance().factor());
    connect(&look::Zoom::instance(), &look::Zoom::changed, this, [this](qreal factor) { setZoom(factor); });
    refreshCharts();
    measures_->takeAsHeard();
    orderTabs();
}

void LoopLabWindow::buildCharts()
{
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
}

void LoopLabWindow::buildActions()
{
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
    auto *skipKey = new QAction(QStringLiteral("Skip to the new steady beat"), this);
    skipKey->setObjectName(QStringLiteral("actSkip"));
    skipKey->setShortcut(Qt::Key_Escape);
    connect(skipKey, &QAction::triggered, this, &LoopLabWindow::skipTransient);
    addAction(skipKey);
}

void LoopLabWindow::connectParameters()
{
    connect(parameters_, &ParameterPanel::parameterChosen, this, &LoopLabWindow::parameterChosen);
    connect(parameters_, &ParameterPanel::conditionChosen, this, &LoopLabWindow::conditionChosen);
    connect(parameters_, &ParameterPanel::modelChosen, this, &LoopLabWindow::modelChosen);
    connect(parameters_, &ParameterPanel::skipAsked, this, &LoopLabWindow::skipTransient);
    connect(parameters_, &ParameterPanel::keepBaselineAsked, this, [this] {
        session_.keepBaseline();
        showSession();
    });
    connect(parameters_, &ParameterPanel::resetAsked, this, [this] {
        recomputeTimer_.stop();
        skipTransient();
        session_.reset();
        sessionReplaced();
    });
    connect(parameters_, &ParameterPanel::occlusionAsked, this, [this] {
        recomputeTimer_.stop();
        skipTransient();
        session_.runOcclusion();
        showSession();
    });
    // A spin box would take Ctrl+C for its own text; in the lab it copies the
    // chart and the measures wherever the focus is.
    for (QAbstractSpinBox *spin : parameters_->findChildren<QAbstractSpinBox *>())
        spin->installEventFilter(this);
}

// Tab walks the window as it reads, whatever order the panels were built in:
// the parameter panel, the charts that take the cursor's keys, Play, then the
// measures' column top to bottom.
void LoopLabWindow::orderTabs()
{
    std::vector<QWidget *> order = parameters_->tabOrder();
    order.push_back(chart_);
    order.push_back(timeChart_);
    for (QWidget *w : cursor_->tabOrder())
        order.push_back(w);
    for (QWidget *w : measures_->findChildren<QWidget *>())
        if (w->focusPolicy() & Qt::TabFocus && !w->focusProxy())
            order.push_back(w);
    for (std::size_t k = 1; k < order.size(); ++k)
        QWidget::setTabOrder(order[k - 1], order[k]);
    // And round again from the last to the first.
    QWidget::setTabOrder(order.back(), order.front());
}

void LoopLabWindow::setZoom(double zoom)
{
    zoom_ = std::clamp(zoom, 0.5, 4.0);
    parameters_->setZoom(zoom_);
    measures_->setZoom(zoom_);
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
    if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy))
        return true;
    return MenuWindow::eventFilter(watched, event);
}

void LoopLabWindow::startFrom(const Parameters &parameters)
{
    recomputeTimer_.stop();
    skipTransient();
    session_.startFrom(parameters);
    sessionReplaced();
}

void LoopLabWindow::sessionReplaced()
{
    parameters_->showParameters(session_.parameters());
    showSession();
}

void LoopLabWindow::showSession()
{
    measures_->clearTold();
    cursor_->clearEvent();
    measures_->showSession();
    parameters_->showAlarms(session_.measures());
    refreshCharts();
}

void LoopLabWindow::parameterChosen(Param p, double value)
{
    if (session_.setParameter(p, value)) {
        parameters_->showCondition(session_.matchingPreset());
        scheduleRecompute();
    }
    // A device's gap between off and its lowest speed is no setting: the
    // controls show where the session put it.
    if (const double set = session_.parameters()[p]; set != value)
        parameters_->showParameter(p, set);
}

void LoopLabWindow::conditionChosen(const Preset &preset)
{
    session_.applyPreset(preset);
    parameters_->showParameters(session_.parameters());
    scheduleRecompute();
}

void LoopLabWindow::modelChosen(ModelKind kind)
{
    if (kind == session_.model())
        return;
    recomputeTimer_.stop();
    skipTransient();
    session_.setModel(kind);
    sessionReplaced();
    measures_->tell(toQString(modelName(kind)) + QStringLiteral(": Control, kept as the baseline"));
}

void LoopLabWindow::exploreChart(const ChartMatch &chart)
{
    // Compared with the control loop, whatever baseline the student had kept.
    startFrom(chart.parameters());
    // The chart's story begins where its loop does.
    cursor_->jumpTo(timeOf(session_.shownBeat(), session_.events().mitralClose));
    measures_->tell(toQString(chart.description));
}

void LoopLabWindow::exerciseChecked(const Exercise &exercise)
{
    startFrom(exercise.parameters());
    playTransient();
    measures_->tell(toQString(exercise.name) + QStringLiteral(", against Control (dashed)"));
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
    if (changed && !parameters_->dragging())
        playTransient();
}

void LoopLabWindow::playTransient()
{
    playTimer_.stop();
    if (!session_.startTransient()) {
        showTransient();
        return;
    }
    showTransient();
    refreshCharts();
    // While the cursor plays, it leads the beats on as it reaches each one's end.
    if (!playing())
        playTimer_.start();
}

bool LoopLabWindow::nextTransientBeat()
{
    if (!session_.advanceTransient())
        playTimer_.stop();
    showTransient();
    refreshCharts();
    return true;
}

void LoopLabWindow::skipTransient()
{
    if (session_.transientBeat() == 0)
        return;
    playTimer_.stop();
    session_.stopTransient();
    showTransient();
    refreshCharts();
}

void LoopLabWindow::showTransient()
{
    parameters_->showTransient(session_.transientBeat(), session_.transientLength());
}

void LoopLabWindow::refreshCharts()
{
    cursor_->showBeat(session_.shownBeat());
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
        measures_->tell(QStringLiteral("Saved the chart to %1").arg(QDir::toNativeSeparators(path)));
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
