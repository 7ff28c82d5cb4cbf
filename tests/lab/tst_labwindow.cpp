// The Loop Lab window worked as a student works it: keys on the spin boxes,
// a slider dragged with the mouse, the conditions chosen from the keyboard,
// the baseline, the occlusion run and copying, each seen in the readouts.

#include "app/program.h"
#include "diagrams/explore.h"
#include "lab/exercisepanel.h"
#include "lab/labcharts.h"
#include "lab/looplabwindow.h"
#include "support/accessibilityevents.h"
#include "support/testsupport.h"
#include "ui/controls.h"
#include "ui/zoom.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>
#include <algorithm>

using namespace valthera;
using namespace valthera::lab;

class LabWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        program_ = std::make_unique<Program>();
        lab_ = testing::openLab(*program_);
        QVERIFY(lab_);
    }
    void cleanup() { testing::endProgram(program_); }

    void opensMaximizedWithAControlPairForEveryParameter()
    {
        QCOMPARE(lab_->windowTitle(), QString("Loop Lab"));
        QVERIFY(lab_->windowState() & Qt::WindowMaximized);
        for (const ParamInfo &i : parameterTable()) {
            auto *spin = child<QDoubleSpinBox>(QStringLiteral("spin") + toQString(i.name));
            auto *slider = child<QSlider>(QStringLiteral("slider") + toQString(i.name));
            QVERIFY2(spin && slider, i.name.data());
            QCOMPARE(spin->minimum(), i.min);
            QCOMPARE(spin->maximum(), i.max);
            QCOMPARE(spin->value(), i.defaultValue);
            QCOMPARE(spin->accessibleName(), toQString(i.label));
            // The four main controls stand outside the "More" group, the
            // devices in "Support", the rest in "More".
            const QString group = spin->parentWidget()->objectName();
            QCOMPARE(group == QLatin1String("groupMore"), !i.primary && !i.support);
            QCOMPARE(group == QLatin1String("groupSupport"), i.support);
        }
        auto *presets = child<QComboBox>("presets");
        QCOMPARE(presets->count(), static_cast<int>(model::presets().size()));
        QCOMPARE(presets->itemText(9), QString("Aortic regurgitation"));
        QCOMPARE(presets->currentText(), QString("Control"));
        QCOMPARE(child<QLabel>("valueEDV")->text(), lab_->session().value(Measure::EDV));
        // The measures in clinical words, on screen and for a screen reader.
        QVERIFY(child<QLabel>("valueSV")->accessibleName().startsWith("Stroke volume: SV "));
        QStringList names;
        for (const QLabel *label : child<QWidget>("labReadouts")->findChildren<QLabel *>())
            names << label->text();
        QVERIFY(names.contains("Stroke volume (SV)") && names.contains("Aortic valve peak gradient"));
    }

    // The model is chosen from the keyboard; each shows its own controls and
    // readouts, and starts from its own Control.
    void theModelSwitchesByKeys()
    {
        auto *model = child<QComboBox>("labModel");
        QCOMPARE(model->currentText(), QString("Whole circulation"));
        QCOMPARE(model->accessibleName(), QString("Model"));
        QVERIFY(child<QDoubleSpinBox>("spinVolume")->isVisible());
        QVERIFY(!child<QDoubleSpinBox>("spinPla")->isVisible());
        QVERIFY(child<QLabel>("valueRAP")->isVisible());
        useHeart();
        QCOMPARE(lab_->session().model(), ModelKind::Heart);
        QVERIFY(!child<QDoubleSpinBox>("spinVolume")->isVisible());
        QVERIFY(child<QDoubleSpinBox>("spinPla")->isVisible());
        QVERIFY(!child<QLabel>("valueRAP")->isVisible());
        QCOMPARE(child<QDoubleSpinBox>("spinR")->value(), info(Param::R).heartDefault);
        QVERIFY(lab_->session().baseline().parameters == Parameters(ModelKind::Heart));
        QCOMPARE(child<QLabel>("valueEDV")->text(), lab_->session().value(Measure::EDV));
    }

    // A change plays the beats from the old steady state to the new one,
    // counted, in wall time; Esc goes straight to the end.
    void aChangePlaysItsBeatsAndEscSkipsThem()
    {
        QVERIFY(!child<QPushButton>("cmdSkip")->isEnabled()); // nothing plays yet
        auto *spin = raiseAfterloadByKeys();
        QCOMPARE(lab_->session().transientBeat(), 1);
        auto *counter = child<QLabel>("transientCounter");
        QCOMPARE(counter->text(), QString("Beat 1 of 30 after the change"));
        QTRY_VERIFY_WITH_TIMEOUT(lab_->session().transientBeat() >= 3, 10 * LoopLabWindow::kTransientBeatMs);
        QVERIFY(child<QPushButton>("cmdSkip")->isEnabled());
        QTest::keyClick(spin, Qt::Key_Escape);
        QCOMPARE(lab_->session().transientBeat(), 0);
        QVERIFY(counter->text().isEmpty());
        QVERIFY(!child<QPushButton>("cmdSkip")->isEnabled());
    }

    // The Support page from the keyboard: a pump turned up from off starts
    // at its lowest speed and down from it goes off, the loop without it
    // kept as the baseline; the time chart gains the device flow, an alarm
    // is shown in words, and the isolated heart offers no devices.
    void supportDevicesFromTheKeyboard()
    {
        auto *groups = child<QTabWidget>("labGroups");
        auto *tabs = groups->tabBar();
        tabs->setFocus();
        QTest::keyClick(tabs, Qt::Key_Right);
        QCOMPARE(groups->currentWidget()->objectName(), QString("groupSupport"));
        auto *spin = child<QDoubleSpinBox>("spinAxial");
        auto *slider = child<QSlider>("sliderAxial");
        QVERIFY(spin->isVisible());
        QCOMPARE(spin->text(), QString("Off"));
        spin->setFocus();
        QTest::keyClick(spin, Qt::Key_Up);
        QCOMPARE(spin->value(), 20.0);
        QCOMPARE(slider->value(), 20);
        QTest::keyClick(spin, Qt::Key_Escape);
        testing::settle();
        QCOMPARE(lab_->session().current().parameters[Param::Axial], 20.0);
        QCOMPARE(lab_->session().baseline().parameters[Param::Axial], 0.0);
        QVERIFY(child<QLabel>("valuePumpFlow")->text() != lab_->session().formatValue(Measure::PumpFlow, 0));
        QTest::keyClick(spin, Qt::Key_Down);
        QCOMPARE(spin->value(), 0.0);
        QCOMPARE(slider->value(), 0);
        QCOMPARE(lab_->session().parameters()[Param::Axial], 0.0);

        // Emptied by a fast pump: the alarm in words, read out.
        auto *volume = child<QDoubleSpinBox>("spinVolume");
        volume->setValue(-800);
        auto *lvad = child<QDoubleSpinBox>("spinLVAD");
        lvad->setFocus();
        for (int i = 0; i < 6; ++i)
            QTest::keyClick(lvad, Qt::Key_PageUp);
        QTest::keyClick(lvad, Qt::Key_Escape);
        testing::settle();
        QCOMPARE(lab_->session().current().parameters[Param::LVAD], 6000.0);
        QCOMPARE(child<QLabel>("valueSuction")->text(), QString("YES"));
        QVERIFY(child<QLabel>("supportAlarms")->text().contains("SUCTION"));

        useHeart();
        QVERIFY(!groups->isTabVisible(groups->indexOf(child<QWidget>("groupSupport"))));
        QVERIFY(!child<QDoubleSpinBox>("spinLVAD")->isVisible());
    }

    void tabWalksTheControlsAsTheyRead()
    {
        useHeart();
        auto *presets = child<QComboBox>("presets");
        presets->setFocus();
        QStringList walked;
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(walked, QStringList({"sliderPla", "spinPla", "sliderR", "spinR"}));
    }

    void spinKeysChangeTheParameterAndTheReadout()
    {
        useHeart();
        auto *spin = child<QDoubleSpinBox>("spinPla");
        auto *slider = child<QSlider>("sliderPla");
        const QString edvBefore = child<QLabel>("valueEDV")->text();
        spin->setFocus();
        QTest::keyClick(spin, Qt::Key_Up);
        QTest::keyClick(spin, Qt::Key_Up);
        QCOMPARE(spin->value(), 16.0);
        QCOMPARE(slider->value(), 28); // (16 - 2) / 0.5
        testing::settle();
        QCOMPARE(lab_->session().current().parameters[Param::Pla], 16.0);
        QVERIFY(child<QLabel>("valueEDV")->text() != edvBefore);
        QCOMPARE(child<QLabel>("valueEDV")->text(), lab_->session().value(Measure::EDV));

        // Slider keys move the box with it.
        auto *hr = child<QSlider>("sliderHR");
        QTest::keyClick(hr, Qt::Key_Right);
        QCOMPARE(child<QDoubleSpinBox>("spinHR")->value(), 76.0);
    }

    void draggingASliderSolvesOnceForTheLastPlace()
    {
        auto *slider = child<QSlider>("sliderEes");
        QStyleOptionSlider option;
        option.initFrom(slider);
        option.orientation = slider->orientation();
        option.minimum = slider->minimum();
        option.maximum = slider->maximum();
        option.sliderPosition = slider->sliderPosition();
        option.sliderValue = slider->value();
        const QRect handle =
            slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
        const int solves = lab_->session().solves();
        const double before = lab_->session().parameters()[Param::Ees];

        QTest::mousePress(slider, Qt::LeftButton, {}, handle.center());
        for (int dx = 4; dx <= 40; dx += 4)
            QTest::mouseMove(slider, handle.center() + QPoint(dx, 0));
        QTest::mouseRelease(slider, Qt::LeftButton, {}, handle.center() + QPoint(40, 0));
        QVERIFY(lab_->session().parameters()[Param::Ees] > before);
        QCOMPARE(lab_->session().solves(), solves); // nothing solved inside the moves
        testing::settle();
        QCOMPARE(lab_->session().solves(), solves + 1);
        QCOMPARE(child<QDoubleSpinBox>("spinEes")->value(), lab_->session().current().parameters[Param::Ees]);
    }

    void conditionsComeFromTheKeyboard()
    {
        useHeart();
        testing::click(child<QPushButton>("cmdReset"));
        testing::settle();
        auto *presets = child<QComboBox>("presets");
        presets->setFocus();
        QTest::keyClick(presets, Qt::Key_Down);
        QCOMPARE(presets->currentText(), QString("Increased afterload"));
        testing::settle();
        QCOMPARE(child<QDoubleSpinBox>("spinR")->value(), 1.6);
        QCOMPARE(child<QSlider>("sliderR")->value(), 130);
        QCOMPARE(lab_->session().current().parameters[Param::R], 1.6);

        QTest::keyClick(presets, Qt::Key_End);
        testing::settle();
        QCOMPARE(child<QDoubleSpinBox>("spinMVA")->value(), 1.0);
        QCOMPARE(child<QDoubleSpinBox>("spinR")->value(), info(Param::R).heartDefault);

        testing::click(child<QPushButton>("cmdReset"));
        QCOMPARE(presets->currentIndex(), 0);
        QCOMPARE(child<QDoubleSpinBox>("spinMVA")->value(), info(Param::MVA).heartDefault);
        QVERIFY(lab_->session().parameters() == Parameters(ModelKind::Heart));

        // A setting of the student's own is no longer the condition chosen last.
        QTest::keyClick(child<QDoubleSpinBox>("spinHR"), Qt::Key_Up);
        testing::settle();
        QCOMPARE(presets->currentIndex(), -1);
        QCOMPARE(presets->currentText(), QString());
    }

    void aBaselineShowsChangesAndTheyAreReadOutOnceSettled()
    {
        useHeart();
        testing::AccessibilityEvents events;
        const QLabel *changes = child<QLabel>("labChanges");
        auto heard = [&] { return events.announcements(changes); };
        testing::click(child<QPushButton>("cmdBaseline"));
        auto *spin = child<QDoubleSpinBox>("spinPla");
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(spin, Qt::Key_Up);
            testing::settle();
        }
        auto *delta = child<QLabel>("deltaEDV");
        QVERIFY(delta->text().startsWith("▲ "));
        QVERIFY(delta->accessibleDescription().startsWith("up "));
        QVERIFY(delta->accessibleDescription().endsWith(" ml"));
        QVERIFY(heard().isEmpty()); // not yet: the value may still be moving
        QTRY_COMPARE_WITH_TIMEOUT(heard().size(), 1, 3 * LoopLabWindow::kSettleMs);
        QVERIFY(heard().first().contains("EDV " + child<QLabel>("valueEDV")->text()));
        testing::settle(2 * LoopLabWindow::kSettleMs);
        QCOMPARE(heard().size(), 1);
    }

    void theOcclusionRunIsFittedAndDrawnUntilAChange()
    {
        auto *fit = child<QLabel>("valueEesFit");
        QVERIFY(fit->text().isEmpty());
        QVERIFY(!fit->isVisible()); // no row without a fit
        testing::click(child<QPushButton>("cmdOcclusion"));
        QVERIFY(fit->isVisible());
        QVERIFY(fit->text().endsWith(" mmHg/ml"));
        QCOMPARE(fit->text(), lab_->session().eesFit());
        QCOMPARE(child<QLabel>("valueV0Fit")->text(), lab_->session().v0Fit());
        QVERIFY(child<PvChart>("labChart")->accessibleDescription().contains("Occlusion run"));

        QTest::keyClick(child<QDoubleSpinBox>("spinHR"), Qt::Key_Up);
        testing::settle();
        QVERIFY(fit->text().isEmpty());
        QVERIFY(!fit->isVisible());
    }

    // No line under the cursor or beside the measures outlives the state it
    // told of: every kind of change clears or rewrites it.
    void noLineOutlivesTheStateItToldOf()
    {
        auto *line = child<QLabel>("cursorEvent");
        auto *told = child<QLabel>("labChanges");
        auto *chart = child<PvChart>("labChart");
        const auto *exercise = lab_->findChild<ExercisePanel *>();
        const std::vector<std::pair<const char *, std::function<void()>>> changes{
            {"parameter", [&] { QTest::keyClick(child<QDoubleSpinBox>("spinHR"), Qt::Key_Up); }},
            {"condition", [&] { child<QComboBox>("presets")->setCurrentIndex(1); }},
            {"baseline", [&] { testing::click(child<QPushButton>("cmdBaseline")); }},
            {"reset", [&] { testing::click(child<QPushButton>("cmdReset")); }},
            {"model", [&] { useHeart(); }},
            {"exercise", [&] { emit const_cast<ExercisePanel *>(exercise)->exerciseChecked(exercises().front()); }},
        };
        for (const auto &[kind, change] : changes) {
            chart->setFocus();
            QTest::keyClick(chart, Qt::Key_Home);
            QTest::keyClick(chart, Qt::Key_PageDown);
            QVERIFY2(!line->text().trimmed().isEmpty(), kind);
            testing::settle(2 * LoopLabWindow::kSettleMs); // the changes are read out: "Now: …"
            const QString before = told->text();
            change();
            testing::settle();
            QVERIFY2(line->text().trimmed().isEmpty(), kind);
            QVERIFY2(told->text().isEmpty() || told->text() != before, kind);
        }
    }

    // The baseline is named on screen and to a screen reader, and a
    // condition chosen after a device is compared with Control.
    void theBaselineIsNamedAndHeard()
    {
        testing::AccessibilityEvents events;
        auto *heading = child<QLabel>("labBaseline");
        QCOMPARE(heading->text(), QString("Baseline: Control"));
        auto *presets = child<QComboBox>("presets");
        presets->setCurrentIndex(presets->findText("Heart failure with reduced EF"));
        testing::settle();
        child<QDoubleSpinBox>("spinLVAD")->setValue(3000);
        testing::settle();
        QCOMPARE(heading->text(), QString("Baseline: HFrEF, no support"));
        QCOMPARE(heading->accessibleName(), heading->text());
        QCOMPARE(events.announcements(heading), QStringList(heading->text()));
        presets->setCurrentIndex(presets->findText("Aortic stenosis"));
        testing::settle();
        QCOMPARE(heading->text(), QString("Baseline: Control"));
        QVERIFY(lab_->session().baseline().parameters == Parameters());
    }

    // A number typed beyond a box's range is set to the nearest limit, not
    // cut to its first digits, and the box says what is allowed.
    void aTypedNumberBeyondTheRangeIsClampedAndTheRangeShown()
    {
        auto *spin = child<QDoubleSpinBox>("spinHR");
        auto *note = child<QLabel>("noteHR");
        QVERIFY(!note->isVisible());
        spin->setFocus();
        spin->selectAll();
        QTest::keyClicks(spin, "500");
        QTest::keyClick(spin, Qt::Key_Return);
        testing::settle();
        QCOMPARE(spin->value(), 200.0);
        QCOMPARE(lab_->session().current().parameters[Param::HR], 200.0);
        QVERIFY(note->isVisible());
        QVERIFY2(note->text().contains("30 to 200 beats/min"), qPrintable(note->text()));
        QVERIFY(spin->toolTip().contains("200 beats/min"));
        QTest::keyClick(spin, Qt::Key_Down);
        QVERIFY(!note->isVisible());

        // Whole numbers too (the figure sizes of a saved image).
        look::RangeSpinBox size;
        size.setRange(100, 450);
        size.show();
        size.setFocus();
        size.selectAll();
        QTest::keyClicks(&size, "4500");
        QTest::keyClick(&size, Qt::Key_Return);
        QCOMPARE(size.value(), 450);
    }

    // The widest figures the lab can show, at the design zoom and the largest:
    // every measure, its change and its name whole, never cut to fewer digits.
    void everyReadoutShowsItsWholeFigure()
    {
        child<QDoubleSpinBox>("spinVolume")->setValue(1000);
        child<QDoubleSpinBox>("spinR")->setValue(3.0);
        testing::settle();
        QTest::keyClick(child<QDoubleSpinBox>("spinR"), Qt::Key_Escape);
        QVERIFY(child<QLabel>("valueSW")->text().length() >= 13); // "10294 mmHg·ml"
        for (int percent : {100, 300}) {
            look::Zoom::instance().setPercent(percent);
            testing::settle();
            for (QLabel *label : child<QWidget>("labReadouts")->findChildren<QLabel *>()) {
                if (label->isVisible() && !label->wordWrap())
                    QVERIFY2(label->width() >= label->minimumSizeHint().width(),
                        qPrintable(QStringLiteral("%1 at %2 %").arg(label->text()).arg(percent)));
            }
        }
        look::Zoom::instance().setPercent(100);
    }

    void aLessonChartOpensWithTheParametersThatReproduceIt()
    {
        // A baseline of the student's own gives way to the control loop.
        QTest::keyClick(child<QDoubleSpinBox>("spinEes"), Qt::Key_Up);
        testing::settle();
        testing::click(child<QPushButton>("cmdBaseline"));
        QVERIFY(explore(PictureId::Afterload100));
        testing::settle();
        const ChartMatch &chart = chartMatchFor(LoopId::Afterload100);
        QCOMPARE(child<QDoubleSpinBox>("spinR")->value(), chart.r);
        QCOMPARE(child<QDoubleSpinBox>("spinPla")->value(), chart.pla);
        QVERIFY(lab_->session().parameters() == chart.parameters());
        QVERIFY(!lab_->session().stale());
        QCOMPARE(child<QLabel>("labChanges")->text(), toQString(chart.description));
        QVERIFY(lab_->session().baseline().parameters == Parameters(ModelKind::Heart));
        QCOMPARE(lab_->beatCursor().sample(), lab_->session().events().mitralClose);
        QVERIFY(child<QLabel>("cursorReadout")->text().contains("Mitral valve closes (A, point 1)"));
    }

    // Each key, on either chart, moves the one instant marked on both.
    void theCursorKeysMoveOneInstantOnBothCharts()
    {
        auto *pv = child<PvChart>("labChart");
        auto *time = child<TimeChart>("labTimeChart");
        const BeatCursor &cursor = lab_->beatCursor();
        const double step = lab_->session().shownBeat().step;
        pv->setFocus();
        QTest::keyClick(pv, Qt::Key_Home);
        const double firstStop = timeOf(cursor.beat(), cursor.stops().front().sample);
        struct Press {
            QWidget *on;
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            double after; // s
        };
        for (const Press &p : {Press{pv, Qt::Key_Right, {}, 0.005},
                 Press{time, Qt::Key_Right, Qt::ShiftModifier, 0.055}, Press{pv, Qt::Key_Left, {}, 0.050},
                 Press{time, Qt::Key_Left, Qt::ShiftModifier, 0.0}, Press{pv, Qt::Key_PageDown, {}, firstStop},
                 Press{time, Qt::Key_End, {}, cursor.endTime()}, Press{pv, Qt::Key_Home, {}, 0.0}}) {
            p.on->setFocus();
            QTest::keyClick(p.on, p.key, p.modifiers);
            QCOMPARE(cursor.sample(), static_cast<int>(std::lround(p.after / step)));
            QVERIFY(markedOnBothCharts());
            QVERIFY(child<QLabel>("cursorReadout")->text().startsWith(QString::number(std::lround(p.after * 1000))));
        }
    }

    void clickingOrDraggingOnAChartMovesTheCursor()
    {
        auto *pv = child<PvChart>("labChart");
        auto *time = child<TimeChart>("labTimeChart");
        const BeatCursor &cursor = lab_->beatCursor();
        QTest::mouseClick(time, Qt::LeftButton, {}, QPoint(qRound(time->placeOf(0.3)), time->height() / 2));
        QVERIFY(std::abs(cursor.time() - 0.3) < 0.01);
        QVERIFY(markedOnBothCharts());
        // Dragged along the loop to the aortic valve's closure, the cursor follows.
        const Sample &end = cursor.beat().samples[static_cast<std::size_t>(lab_->session().events().aorticClose)];
        const Sample &start = cursor.beat().samples[static_cast<std::size_t>(lab_->session().events().aorticOpen)];
        QTest::mousePress(pv, Qt::LeftButton, {}, pv->place(start.V, start.Plv).toPoint());
        QVERIFY(std::abs(cursor.time() - start.t) < 0.01);
        QTest::mouseMove(pv, pv->place(end.V, end.Plv).toPoint());
        QTest::mouseRelease(pv, Qt::LeftButton, {}, pv->place(end.V, end.Plv).toPoint());
        QVERIFY(std::abs(cursor.time() - end.t) < 0.01);
        QVERIFY(markedOnBothCharts());
    }

    // What a screen reader hears walking the beat step by step: each valve
    // event and each new phase once, not the steps between.
    void walkingTheBeatReadsOutEventsAndPhasesOnly()
    {
        auto *time = child<TimeChart>("labTimeChart");
        auto *said = child<QLabel>("cursorEvent");
        time->setFocus();
        QTest::keyClick(time, Qt::Key_Home);
        testing::AccessibilityEvents recorder;
        int steps = 0;
        while (lab_->beatCursor().time() < lab_->beatCursor().endTime()) {
            QTest::keyClick(time, Qt::Key_Right);
            ++steps;
        }
        const QStringList heard = recorder.announcements(said);
        QVERIFY2(heard.size() >= 5 && heard.size() * 10 < steps, qPrintable(heard.join(" | ")));
        for (const QString event : {"Mitral valve closes", "aortic valve opens", "aortic valve closes",
                 "mitral valve opens", "atrial contraction begins"})
            QCOMPARE(heard.filter(event, Qt::CaseInsensitive).size(), 1);
        QCOMPARE(heard.filter("ejection").size(), 1);
        QVERIFY(recorder.announcements(child<QLabel>("cursorReadout")).isEmpty());
    }

    // Play runs in wall time (here at a quarter of it) and Space stops it.
    void playRunsInWallTimeAndSpaceStopsIt()
    {
        auto *pv = child<PvChart>("labChart");
        testing::click(child<QCheckBox>("cursorQuarterSpeed"));
        pv->setFocus();
        QTest::keyClick(pv, Qt::Key_Home);
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(pv, Qt::Key_Space);
        QVERIFY(lab_->playing());
        QCOMPARE(child<QPushButton>("cmdPlay")->text(), QString("Pause"));
        QTest::qWait(400);
        QTest::keyClick(pv, Qt::Key_Space);
        const double wall = static_cast<double>(clock.elapsed()) / 1000;
        QVERIFY(!lab_->playing());
        const double t = lab_->beatCursor().time();
        QVERIFY2(t > wall / 4 - 0.02 && t <= wall / 4 + 0.001, qPrintable(QString::number(t)));
        QTest::qWait(100);
        QCOMPARE(lab_->beatCursor().time(), t);
        QCOMPARE(child<QPushButton>("cmdPlay")->text(), QString("Play"));
    }

    // A frame of Play moves the cursor and its readout; nothing is laid out
    // again, which would repaint the charts and the window's scroll bars on
    // every frame.
    void aPlayFrameLaysNothingOut()
    {
        struct LayoutCounter : QObject {
            QWidget *window = nullptr;
            int requests = 0;
            bool eventFilter(QObject *watched, QEvent *event) override
            {
                if (event->type() == QEvent::LayoutRequest && watched->isWidgetType() &&
                    static_cast<QWidget *>(watched)->window() == window && static_cast<QWidget *>(watched)->layout())
                    ++requests;
                return false;
            }
        } counter;
        counter.window = lab_;
        // Once under way: the first frame may take the readout from one line to several.
        for (int frame = 0; frame < 3; ++frame) {
            lab_->playFrame(1.0 / 60);
            testing::settle();
        }
        const QString before = child<QLabel>("cursorReadout")->text();
        qApp->installEventFilter(&counter);
        for (int frame = 0; frame < 20; ++frame) {
            lab_->playFrame(1.0 / 60);
            QApplication::processEvents();
        }
        qApp->removeEventFilter(&counter);
        QVERIFY(child<QLabel>("cursorReadout")->text() != before);
        QCOMPARE(counter.requests, 0);
    }

    // During a transient the cursor runs through its beats, one per pass.
    void playLeadsATransientsBeatsOn()
    {
        raiseAfterloadByKeys();
        QCOMPARE(lab_->session().transientBeat(), 1);
        testing::click(child<QPushButton>("cmdPlay"));
        QTest::qWait(3 * LoopLabWindow::kTransientBeatMs);
        QCOMPARE(lab_->session().transientBeat(), 1); // not on the transient's own clock
        QTRY_VERIFY_WITH_TIMEOUT(lab_->session().transientBeat() >= 3, 6000);
        QCOMPARE(&lab_->beatCursor().beat(), &lab_->session().shownBeat());
        testing::click(child<QPushButton>("cmdPlay"));
        QVERIFY(!lab_->playing());
    }

    // Through a transient the charts show pictures drawn ahead and a family of
    // loops that gains one a beat: each beat must look as the chart drawn
    // afresh for it.
    void eachBeatOfATransientLooksAsDrawnAfresh()
    {
        raiseAfterloadByKeys();
        QCOMPARE(lab_->session().transientBeat(), 1);
        // Pixels that differ more than a rounding of the faded loops would.
        const auto differing = [](const QImage &a, const QImage &b) {
            int count = 0;
            for (int y = 0; y < a.height(); ++y) {
                for (int x = 0; x < a.width(); ++x) {
                    const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                    if (std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                            std::abs(qBlue(p) - qBlue(q))}) > 40)
                        ++count;
                }
            }
            return count;
        };
        for (int beat = 1; beat <= 6;) {
            lab_->playFrame(1.0 / 60);
            if (lab_->session().transientBeat() == beat)
                continue;
            beat = lab_->session().transientBeat();
            for (LabChart *chart : {static_cast<LabChart *>(lab_->findChild<PvChart *>()),
                     static_cast<LabChart *>(lab_->findChild<TimeChart *>())}) {
                const QImage shown = chart->grab().toImage().convertToFormat(QImage::Format_RGB32);
                QImage fresh(shown.size(), QImage::Format_RGB32);
                QPainter painter(&fresh);
                painter.setRenderHint(QPainter::Antialiasing);
                painter.setRenderHint(QPainter::TextAntialiasing);
                chart->paintFigure(painter, shown.size());
                painter.end();
                QVERIFY2(differing(shown, fresh) < shown.width() * shown.height() / 400,
                    qPrintable(chart->objectName() + QStringLiteral(" at beat ") + QString::number(beat)));
            }
        }
    }

    // The charts of a frame are drawn on the window's helper thread: what the
    // window shows after a zoom step is what a fresh drawing gives.
    // In one frame: the layouts the step asks for, and the lists' and scroll
    // areas' own, are done before it is painted, not in a second frame after.
    void aZoomStepShowsBothChartsAsDrawnAfresh()
    {
        testing::FrameCounter counter;
        counter.window = lab_;
        lab_->findChild<QDoubleSpinBox *>(QStringLiteral("spinHR"))->setFocus();
        testing::settle();
        qApp->installEventFilter(&counter);
        QTest::keyClick(lab_, Qt::Key_Plus, Qt::ControlModifier);
        QTRY_COMPARE(look::Zoom::instance().percent(), 110);
        testing::settle();
        qApp->removeEventFilter(&counter);
        QCOMPARE(counter.frames, 1);
        for (LabChart *chart : {static_cast<LabChart *>(lab_->findChild<PvChart *>()),
                 static_cast<LabChart *>(lab_->findChild<TimeChart *>())}) {
            // The part of the chart in view: the window scrolls at this zoom.
            const QRect seen = chart->visibleRegion().boundingRect();
            QVERIFY(seen.height() > chart->height() / 2);
            const QPoint at = chart->mapTo(lab_, seen.topLeft());
            const QImage shown = lab_->screen()
                                     ->grabWindow(lab_->winId(), at.x(), at.y(), seen.width(), seen.height())
                                     .toImage()
                                     .convertToFormat(QImage::Format_RGB32);
            QImage fresh(chart->size(), QImage::Format_RGB32);
            QPainter painter(&fresh);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            chart->paintFigure(painter, chart->size());
            painter.end();
            QCOMPARE(shown, fresh.copy(seen));
        }
    }

    // The lab's labels keep the sizes they work out; what they keep must be
    // what a label would work out now, after zoom steps and new texts.
    void labelsKeepTheirSizesTrue()
    {
        QTest::keyClick(lab_, Qt::Key_Plus, Qt::ControlModifier);
        testing::settle();
        QTest::keyClick(lab_, Qt::Key_Minus, Qt::ControlModifier);
        testing::settle();
        child<QDoubleSpinBox>("spinHR")->setValue(110); // new measures
        testing::settle();
        for (const QLabel *label : lab_->findChildren<QLabel *>()) {
            QLabel plain(label->text());
            plain.setFont(label->font());
            plain.setWordWrap(label->wordWrap());
            plain.setAlignment(label->alignment());
            plain.setContentsMargins(label->contentsMargins());
            plain.setMargin(label->margin());
            plain.setIndent(label->indent());
            plain.setMinimumSize(label->minimumSize());
            QCOMPARE(label->sizeHint(), plain.sizeHint());
            QCOMPARE(label->minimumSizeHint(), plain.minimumSizeHint());
            QCOMPARE(label->heightForWidth(label->width()), plain.heightForWidth(label->width()));
        }
    }

    void copyPutsTheChartAndTheMeasuresOnTheClipboard()
    {
        useHeart();
        QApplication::clipboard()->clear();
        auto *spin = child<QDoubleSpinBox>("spinPla");
        spin->setFocus(); // a spin box would otherwise copy its own text
        QTest::keyClick(spin, Qt::Key_C, Qt::ControlModifier);
        const QMimeData *data = QApplication::clipboard()->mimeData();
        QVERIFY(data);
        QVERIFY(data->hasImage());
        const QImage image = qvariant_cast<QImage>(data->imageData());
        QCOMPARE(image.size(), child<PvChart>("labChart")->size() * lab_->devicePixelRatio());
        QVERIFY(data->text().contains("EDV (end-diastolic volume)\t" + child<QLabel>("valueEDV")->text()));
        QVERIFY(data->text().contains("Preload (left atrial pressure)\t15.0 mmHg"));
    }

private:
    // Whether the cursor's yellow marks the cursor's instant on both charts:
    // the dot on the loop and the line across the time chart.
    bool markedOnBothCharts()
    {
        const auto yellow = [](QRgb c) { return qRed(c) > 200 && qGreen(c) > 180 && qBlue(c) < 90; };
        const BeatCursor &cursor = lab_->beatCursor();
        const Sample &s = cursor.beat().samples[static_cast<std::size_t>(cursor.sample())];
        auto *pv = child<PvChart>("labChart");
        const QImage loop = pv->grab().toImage();
        if (!yellow(loop.pixel(pv->place(s.V, s.Plv).toPoint())))
            return false;
        auto *time = child<TimeChart>("labTimeChart");
        const QImage chart = time->grab().toImage();
        const int x = static_cast<int>(time->placeOf(s.t));
        int run = 0;
        for (int y = 0; y < chart.height(); ++y)
            run += yellow(chart.pixel(x, y));
        return run > chart.height() / 3;
    }

    // Thirty presses of Up on the resistance box, a change that starts the
    // beats after it playing; returns the box, which keeps the focus.
    QDoubleSpinBox *raiseAfterloadByKeys()
    {
        auto *spin = child<QDoubleSpinBox>("spinR");
        spin->setFocus();
        for (int i = 0; i < 30; ++i)
            QTest::keyClick(spin, Qt::Key_Up);
        testing::settle();
        return spin;
    }

    // Switches to the isolated heart as a student would: the model box, then a key.
    void useHeart()
    {
        auto *model = child<QComboBox>("labModel");
        model->setFocus();
        QTest::keyClick(model, Qt::Key_Down);
        testing::settle();
        QCOMPARE(model->currentText(), QString("Isolated heart"));
    }

    template <typename T> T *child(const QString &name)
    {
        T *found = testing::child<T>(lab_, name);
        if (!found)
            qWarning("no %s", qPrintable(name));
        return found;
    }

    std::unique_ptr<Program> program_;
    LoopLabWindow *lab_ = nullptr;
};

QTEST_MAIN(LabWindowTest)
#include "tst_labwindow.moc"
