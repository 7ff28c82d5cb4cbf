// The lab's charts as the screen last showed them: each is the figure the
// plain drawing functions give for the session's state at the chart's size,
// with the cursor's mark where the cursor is now.

#include "app/program.h"
#include "lab/beatcursor.h"
#include "lab/labcharts.h"
#include "lab/looplabwindow.h"
#include "lab/sessionfigures.h"
#include "support/testsupport.h"
#include "ui/zoom.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPainter>
#include <QScreen>
#include <QtTest>

using namespace valthera;
using namespace valthera::lab;

class LabChartsTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        program_ = std::make_unique<Program>();
        lab_ = testing::openLab(*program_);
        QVERIFY(lab_);
    }
    void cleanup() { testing::endProgram(program_); }

    // Control, a condition against the Control baseline, a pump running, and
    // a transient's first beat; in each the cursor steps to the
    // next event from the keyboard and the frame shows it there.
    void theScreenShowsTheFigureWithTheCursorWhereItIs()
    {
        auto *presets = child<QComboBox>("presets");
        const auto settleSteady = [this] {
            testing::settle();
            for (int i = 0; i < 400 && lab_->session().transientBeat() > 0; ++i)
                lab_->playFrame(1.0);
            testing::settle();
        };
        shownAsDrawn("Control");
        presets->setCurrentIndex(9);
        settleSteady();
        QVERIFY(!(lab_->session().baseline().parameters == lab_->session().current().parameters));
        shownAsDrawn("a condition");
        presets->setCurrentIndex(0);
        settleSteady();
        child<QDoubleSpinBox>("spinLVAD")->setValue(5000);
        settleSteady();
        shownAsDrawn("LVAD");
        child<QDoubleSpinBox>("spinLVAD")->setValue(0);
        settleSteady();
        child<QDoubleSpinBox>("spinR")->setValue(child<QDoubleSpinBox>("spinR")->value() * 1.5);
        testing::settle();
        // The first of the beats after a change: its points wait for the new
        // steady loop. (Further on, the screen fades a kept family of earlier
        // loops a beat at a time, which rounds a little differently from
        // drawing them whole.)
        QCOMPARE(lab_->session().transientBeat(), 1);
        shownAsDrawn("a transient");
    }

private:
    template <typename T> T *child(const char *name) const { return lab_->findChild<T *>(QLatin1String(name)); }

    // What the window's last frame shows of the part of a chart in view (the
    // window scrolls at some zooms), read from its backing store: not a fresh
    // paint, which would find a chart that missed an update. Outside the part
    // in view, and at the edge where the chart with the focus draws its
    // frame, the chart's own colour.
    QImage onScreen(QWidget *chart, const QImage &drawn) const
    {
        const int edge = 4;
        const QRect seen = chart->visibleRegion().boundingRect() & chart->rect().adjusted(edge, edge, -edge, -edge);
        const QPoint at = chart->mapTo(lab_, seen.topLeft());
        QImage shown = drawn.copy();
        QPainter painter(&shown);
        painter.drawImage(seen.topLeft(),
            lab_->screen()->grabWindow(lab_->winId(), at.x(), at.y(), seen.width(), seen.height()).toImage());
        painter.end();
        return shown;
    }

    QImage drawn(QSize size, const std::function<void(QPainter &, const ChartStyle &)> &draw) const
    {
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        draw(painter, ChartStyle{look::Zoom::instance().factor()});
        return image;
    }

    void shownAsDrawn(const char *state)
    {
        auto *pv = child<PvChart>("labChart");
        auto *time = child<TimeChart>("labTimeChart");
        const BeatCursor &cursor = lab_->beatCursor();
        pv->setFocus();
        QTest::keyClick(pv, Qt::Key_Home);
        testing::settle();
        const int before = cursor.sample();
        QTest::keyClick(pv, Qt::Key_PageDown);
        testing::settle();
        QVERIFY2(cursor.sample() != before, state);
        for (LabChart *chart : {static_cast<LabChart *>(pv), static_cast<LabChart *>(time)})
            QVERIFY2(chart->visibleRegion().boundingRect().height() > chart->height() / 2, state);

        const LabSession &session = lab_->session();
        const QImage pvDrawn = drawn(pv->size(), [&](QPainter &painter, const ChartStyle &style) {
            paintPvChart(painter, lab::pvFigure(session, &cursor), style, pv->size());
        });
        const QImage timeDrawn = drawn(time->size(), [&](QPainter &painter, const ChartStyle &style) {
            paintTimeChart(painter, lab::timeFigure(session, &cursor), style, time->size());
        });
        const QImage pvShown = onScreen(pv, pvDrawn);
        QVERIFY2(pvShown == pvDrawn, state);
        QVERIFY2(onScreen(time, timeDrawn) == timeDrawn, state);

        // The mark is the cursor's yellow, at the cursor's sample.
        const Sample &s = cursor.beat().samples[static_cast<std::size_t>(cursor.sample())];
        const QRgb mark = pvShown.pixel(pv->place(s.V, s.Plv).toPoint());
        QVERIFY2(qRed(mark) > 200 && qGreen(mark) > 180 && qBlue(mark) < 90, state);
    }

    std::unique_ptr<Program> program_;
    LoopLabWindow *lab_ = nullptr;
};

QTEST_MAIN(LabChartsTest)
#include "tst_labcharts.moc"
