// The lab's charts saved as figures: the file holds the chart as the screen
// shows it, a failed write is told and leaves the chart alone, and the legend
// draws each sample with its curve's pen.

#include "app/program.h"
#include "lab/chartimage.h"
#include "lab/labcharts.h"
#include "lab/looplabwindow.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QFileDialog>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace valthera;
using namespace valthera::lab;

namespace {

// What a saved SVG draws, in order: each shape with the pen of its group.
struct Drawn {
    enum Kind { Fill, Stroke, Dot, Text } kind;
    QString pen; // colour, width and dash pattern; "none" for no pen
    QString text;
};

QList<Drawn> drawnIn(const QString &svg)
{
    QFile file(svg);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Drawn> drawn;
    QString pen, fill;
    for (QXmlStreamReader xml(&file); !xml.atEnd();) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto at = xml.attributes();
        const QStringView name = xml.name();
        if (name == u"g") {
            pen = QStringLiteral("%1/%2/%3")
                      .arg(at.value("stroke"), at.value("stroke-width"), at.value("stroke-dasharray"));
            fill = at.value("fill").toString();
        } else if (name == u"text") {
            drawn.append({Drawn::Text, pen, xml.readElementText()});
        } else if (name == u"ellipse" || name == u"circle") {
            drawn.append({Drawn::Dot, pen, {}});
        } else if (name == u"rect" && fill != u"none") {
            drawn.append({Drawn::Fill, pen, {}});
        } else if (name == u"rect" || name == u"polyline" || name == u"polygon" || name == u"path" || name == u"line") {
            drawn.append({Drawn::Stroke, pen, {}});
        }
    }
    return drawn;
}

} // namespace

class ChartImageTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        program_ = std::make_unique<Program>();
        lab_ = testing::openLab(*program_);
        QVERIFY(lab_);
        QVERIFY(dir_.isValid());
    }
    void cleanup() { testing::endProgram(program_); }

    void aFigureIsTheChartAsOnScreen()
    {
        for (LabChart *chart : charts()) {
            const QString png = dir_.filePath(chart->objectName() + ".png");
            QCOMPARE(writeChartImage(*chart, png, chart->size()), QString());
            const QImage onScreen = chart->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(QImage(png).convertToFormat(QImage::Format_RGB32), onScreen);

            // At the size asked, with vector lines and real text, not the cached picture of the axes.
            const QString svg = dir_.filePath(chart->objectName() + ".svg");
            QCOMPARE(writeChartImage(*chart, svg, QSize(800, 600)), QString());
            QFile file(svg);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString xml = QString::fromUtf8(file.readAll());
            QVERIFY(xml.contains("viewBox=\"0 0 800 600\""));
            QVERIFY(xml.contains(">TIME (s)<") || xml.contains(">VENTRICLE VOLUME (ml)<"));
            QVERIFY(xml.count("<polyline") + xml.count("<path") > 10);
            QVERIFY(!xml.contains("<image"));
        }
    }

    void aFailedWriteSaysWhyAndKeepsTheChart()
    {
        QFile plain(dir_.filePath("notafolder"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QString path = dir_.filePath("notafolder/chart.png");
        PvChart *chart = lab_->findChild<PvChart *>("labChart");
        const QImage before = chart->grab().toImage();
        QString said;
        testing::answerNextModal(&said);
        QVERIFY(!lab_->saveChartImage(0, path, chart->size()));
        QVERIFY2(said.contains(QDir::toNativeSeparators(path)), qPrintable(said));
        QVERIFY2(said.contains(':') && !said.endsWith(": ."), qPrintable(said)); // and why
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(chart->grab().toImage(), before);
        // Nor is a size past what can be drawn attempted.
        QVERIFY(!writeChartImage(*chart, dir_.filePath("huge.png"), QSize(kMaxFigureSide + 1, 100)).isEmpty());
        QVERIFY(!QFileInfo::exists(dir_.filePath("huge.png")));
    }

    // The figure is drawn and written beside its file, but putting it in
    // place fails: its folder went meanwhile. The failure is told and no file is left.
    void aFigureThatCannotTakeItsPlaceIsNotSaved()
    {
        const QString folder = dir_.filePath("going");
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + "/chart.png";
        const QString error = writeFigure(path, QSize(200, 150), {}, [&folder](QPainter &painter, QSize size) {
            painter.fillRect(QRect(QPoint(0, 0), size), Qt::blue);
            QVERIFY(QDir(folder).removeRecursively());
        });
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFileInfo::exists(path));
    }

    // Ctrl+S from a spin box: the chart chosen, its size on screen offered,
    // and only the file named in the save dialog written.
    void ctrlSSavesTheChosenChartIntoTheChosenFile()
    {
        auto *timeChart = lab_->findChild<TimeChart *>("labTimeChart");
        const QTemporaryDir here;
        const QString path = here.filePath("beat.svg");
        QSize offered;
        bool sawFiles = false;
        QTimer::singleShot(0, this, [&] {
            auto *choice = qobject_cast<ChartImageDialog *>(QApplication::activeModalWidget());
            QVERIFY(choice);
            choice->findChild<QComboBox *>("imageChart")->setCurrentIndex(1);
            offered = choice->figureSize();
            QTimer::singleShot(0, this, [&] {
                auto *files = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
                QVERIFY(files);
                sawFiles = true;
                files->selectFile(path);
                static_cast<QDialog *>(files)->accept(); // as its Save button does
            });
            choice->accept();
        });
        auto *spin = lab_->findChild<QDoubleSpinBox *>("spinR");
        spin->setFocus();
        QTest::keyClick(spin, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(sawFiles);
        QCOMPARE(offered, timeChart->size());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains(">One Beat<"));

        // Cancelled at the first question, nothing is asked further or written.
        lab_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(lab_));
        bool asked = false;
        QTimer::singleShot(0, this, [&asked] {
            if (QWidget *choice = QApplication::activeModalWidget()) {
                asked = true;
                choice->close();
            }
        });
        QTest::keyClick(spin, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(asked);
        QCOMPARE(QDir(here.path()).entryList(QDir::Files), QStringList{"beat.svg"});
    }

    // Every legend sample is drawn with the pen of a curve on the plot: colour
    // and dash. The charts draw title, frame and legend first, then the curves.
    void legendSamplesWearTheirCurvesPens()
    {
        lab_->findChild<QPushButton *>("cmdOcclusion")->click(); // its three entries too
        testing::settle();
        for (LabChart *chart : charts()) {
            const QString svg = dir_.filePath("legend.svg");
            QCOMPARE(writeChartImage(*chart, svg, chart->size()), QString());
            const QList<Drawn> drawn = drawnIn(svg);
            // A sample: a filled patch, one stroke, perhaps a dot, then its name.
            QMap<QString, QString> samples;
            qsizetype lastName = -1;
            for (qsizetype i = 0; i + 2 < drawn.size(); ++i) {
                if (drawn[i].kind != Drawn::Fill || drawn[i + 1].kind != Drawn::Stroke)
                    continue;
                qsizetype k = i + 2;
                while (k < drawn.size() && drawn[k].kind == Drawn::Dot)
                    ++k;
                if (k == drawn.size() || drawn[k].kind != Drawn::Text)
                    continue;
                if (!drawn[i + 1].pen.startsWith(QLatin1String("none")))
                    samples[drawn[k].text] = drawn[i + 1].pen;
                lastName = k;
            }
            QSet<QString> curves;
            for (qsizetype i = lastName + 1; i < drawn.size(); ++i) {
                if (drawn[i].kind == Drawn::Stroke)
                    curves.insert(drawn[i].pen);
            }
            QVERIFY2(samples.size() >= 4, qPrintable(chart->objectName()));
            for (auto it = samples.cbegin(); it != samples.cend(); ++it)
                QVERIFY2(curves.contains(it.value()), qPrintable(it.key() + " drawn as " + it.value()));
        }
    }

private:
    QList<LabChart *> charts() const
    {
        return {lab_->findChild<PvChart *>("labChart"), lab_->findChild<TimeChart *>("labTimeChart")};
    }

    std::unique_ptr<Program> program_;
    LoopLabWindow *lab_ = nullptr;
    QTemporaryDir dir_;
};

QTEST_MAIN(ChartImageTest)
#include "tst_chartimage.moc"
