// The program-wide zoom, driven as a student drives it: Ctrl+Plus, Ctrl+=,
// Ctrl+Minus, Ctrl+0 and Ctrl+wheel. At every step each control sits at its
// design place times the zoom with its font scaled alike, nothing that fitted
// at 100 % is cut off, the pictures are drawn afresh at their new size, every
// window of the program follows, and the student's work is left as it was.

#include "app/program.h"
#include "diagrams/picturebox.h"
#include "diagrams/picturewindows.h"
#include "lesson/lessonscreen.h"
#include "reference/referencepage.h"
#include "support/testsupport.h"
#include "ui/choicelist.h"
#include "ui/look.h"
#include "ui/menuwindow.h"
#include "ui/topictext.h"
#include "ui/zoom.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QtTest>

using namespace valthera;
using look::Zoom;

namespace {

void zoomKey(QWidget *target, Qt::Key key)
{
    QTest::keyClick(target, key, Qt::ControlModifier);
}

void zoomWheel(QWidget *target, int delta)
{
    const QPointF at = QRectF(target->rect()).center();
    QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::ControlModifier,
        Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

// The area a window's controls are laid out on (scrolled by its frame).
QWidget *clientOf(QMainWindow *window)
{
    auto *framed = qobject_cast<MenuWindow *>(window);
    return framed ? framed->client() : window->centralWidget();
}

bool named(const QWidget *widget)
{
    return !widget->objectName().isEmpty() && !widget->objectName().startsWith(QLatin1String("qt_"));
}

QRectF designPixels(const look::Place &place)
{
    const qreal k = look::kTwipsPerPixel;
    return {place.left / k, place.top / k, place.width / k, place.height / k};
}

// Whether a control's caption or lines show whole in its present size and font.
bool showsWhole(const QWidget *widget)
{
    if (const auto *button = qobject_cast<const QPushButton *>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        const QRect area = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        const QRect needed =
            button->fontMetrics().boundingRect(area, Qt::AlignCenter | Qt::TextWordWrap, button->text());
        return needed.width() <= area.width() && needed.height() <= area.height();
    }
    if (const auto *label = qobject_cast<const QLabel *>(widget)) {
        if (label->wordWrap())
            return label->heightForWidth(label->width()) <= label->height();
        return label->sizeHint().width() <= label->width() && label->sizeHint().height() <= label->height();
    }
    if (const auto *list = qobject_cast<const ChoiceList *>(widget)) {
        const QFontMetrics metrics = list->fontMetrics();
        const QRect view = list->viewport()->rect();
        // The style sets a line's text this far in from each side, and elides what does not fit.
        const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
        for (int row = 0; row < list->count(); ++row) {
            const QRect line = list->visualItemRect(list->item(row));
            if (!view.contains(line) || line.height() < metrics.height() ||
                metrics.horizontalAdvance(list->item(row)->text()) > line.width() - 2 * margin)
                return false;
        }
    }
    return true;
}

// Whether text of designPoints points, zoomed by factor, is as large as whole
// pixels allow and no larger.
bool zoomedFont(const QWidget *widget, qreal designPoints, qreal factor)
{
    const qreal want = designPoints * widget->logicalDpiY() / 72.0 * factor;
    const qreal got = widget->font().pointSizeF() * widget->logicalDpiY() / 72.0;
    return got <= want + 1e-6 && got > want - 1;
}

// A control as laid out at 100 %.
struct Design {
    QPointer<QWidget> widget;
    QRectF rect; // pixels at 100 %, unrounded
    qreal pointSize = 0;
    bool fitsCaption = false; // sized to its caption: only its place is fixed
    bool whole = false;
};

QList<Design> designOf(QMainWindow *window)
{
    // Places of the lessons' controls in twips; the other screens' places are
    // whole pixels, so their geometry at 100 % is their design.
    QHash<QString, std::pair<look::Place, bool>> places;
    if (auto *lesson = qobject_cast<LessonScreen *>(window)) {
        const LessonLayout &l = lesson->lesson().layout;
        places = {{"Label3", {l.instruction, false}}, {"basicList1", {l.topics, false}},
            {"BasicAnswers1", {l.text, false}}, {"List2", {l.choices, false}}, {"Command6", {l.start, false}},
            {"Command8", {l.next, false}}, {"Command7", {l.reset, false}},
            {"Label1", {l.feedback, l.feedbackAutoSize}}};
        for (const LabelDef &def : l.labels)
            places.insert(def.name, {def.place, def.autoSize});
        for (const ButtonDef &def : lesson->lesson().buttons)
            places.insert(def.name, {def.place, false});
        for (const PictureBoxDef &def : lesson->lesson().boxes)
            places.insert(def.name, {def.place, false});
    } else if (window->objectName() == QLatin1String("Test")) {
        places.insert("Label1", {look::Place{}, true});
    }
    QList<Design> controls;
    for (QWidget *widget : clientOf(window)->findChildren<QWidget *>()) {
        if (!named(widget))
            continue;
        // Only a control's own font is the design's; the others follow their parent's.
        const qreal pointSize = widget->testAttribute(Qt::WA_SetFont) ? widget->font().pointSizeF() : 0;
        Design design{widget, QRectF(widget->geometry()), pointSize, false, showsWhole(widget)};
        if (const auto it = places.constFind(widget->objectName()); it != places.constEnd()) {
            if (!it->second)
                design.rect = designPixels(it->first);
            design.fitsCaption = it->second;
        }
        controls.append(design);
    }
    return controls;
}

QString misfits(const QList<Design> &controls, qreal factor)
{
    QStringList faults;
    for (const Design &design : controls) {
        const QWidget *w = design.widget;
        const QRectF want(design.rect.topLeft() * factor, design.rect.size() * factor);
        const QRect got = w->geometry();
        const bool placed = std::abs(got.x() - want.x()) <= 1 && std::abs(got.y() - want.y()) <= 1;
        const bool sized = design.fitsCaption ||
            (std::abs(got.width() - want.width()) <= 1 && std::abs(got.height() - want.height()) <= 1);
        if (!placed || !sized)
            faults << QStringLiteral("%1 at %2,%3 %4x%5")
                          .arg(w->objectName())
                          .arg(got.x())
                          .arg(got.y())
                          .arg(got.width())
                          .arg(got.height());
        if (design.pointSize > 0 && !zoomedFont(w, design.pointSize, factor))
            faults << QStringLiteral("%1 font %2 pt").arg(w->objectName()).arg(w->font().pointSizeF());
        if (design.whole && !showsWhole(w))
            faults << QStringLiteral("%1 is cut off (%2x%3 for %4x%5)")
                          .arg(w->objectName())
                          .arg(w->width())
                          .arg(w->height())
                          .arg(w->sizeHint().width())
                          .arg(w->sizeHint().height());
    }
    return faults.join(QStringLiteral("; "));
}

// What the student has done and sees, apart from sizes.
QStringList stateOf(QMainWindow *window, ScreenRegistry &registry)
{
    QStringList state{QString::number(registry.counter(window->objectName())),
        QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString()};
    for (QWidget *widget : clientOf(window)->findChildren<QWidget *>()) {
        if (!named(widget))
            continue;
        QString line = widget->objectName() + (widget->isHidden() ? " hidden" : " shown");
        if (auto *list = qobject_cast<ChoiceList *>(widget)) {
            line += QStringLiteral(" row %1 top %2 [%3]")
                        .arg(list->currentRow())
                        .arg(list->verticalScrollBar()->value())
                        .arg(list->lines().join(QLatin1Char('|')));
            for (const QListWidgetItem *item : list->selectedItems())
                line += QStringLiteral(" selected %1").arg(list->row(item));
        } else if (auto *text = qobject_cast<TopicText *>(widget)) {
            line += QStringLiteral(" top %1 cursor %2 \"%3\"")
                        .arg(text->verticalScrollBar()->value())
                        .arg(text->textCursor().position())
                        .arg(text->text());
        } else if (auto *label = qobject_cast<QLabel *>(widget)) {
            line += QStringLiteral(" \"%1\"").arg(label->text());
        }
        if (!widget->accessibleName().isEmpty())
            line += QStringLiteral(" named \"%1\"").arg(widget->accessibleName());
        state.append(line);
    }
    if (auto *lesson = qobject_cast<LessonScreen *>(window))
        state.append(QStringLiteral("on view ") + (testing::pictureOnView(lesson) ? testing::pictureOnView(lesson)->objectName() : "none"));
    return state;
}

// Mean absolute difference per channel of two images of one size.
double difference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size())
        return 255;
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            sum += std::abs(qRed(p[col]) - qRed(q[col])) + std::abs(qGreen(p[col]) - qGreen(q[col])) +
                std::abs(qBlue(p[col]) - qBlue(q[col]));
    }
    return sum / (3.0 * x.width() * x.height());
}

QImage painted(PictureId id, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintPicture(id, painter, QRectF(QPointF(), QSizeF(size)));
    return image;
}

} // namespace

class ZoomTest : public QObject {
    Q_OBJECT
public:
    // A screen large enough for every window at 300 %, so the restored sizes
    // are what the zoom makes them and not what the screen leaves.
    static void initMain()
    {
        testing::useOffscreenScreen("wall", 2600, 2100);
    }

private slots:
    void init()
    {
        program_ = std::make_unique<Program>();
        program_->registry().setQuitHandler([] {});
    }
    void cleanup()
    {
        program_->registry().endSession();
        testing::settle();
        program_.reset();
    }

    void everyStepScalesEveryControl_data()
    {
        QTest::addColumn<QString>("screen");
        for (const char *name : {"Introduction", "basics1", "CardiacCycleRelationships", "LoopChangesAfterload",
                 "LoopChangesPreload", "LoopChangesContractility", "Test"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void everyStepScalesEveryControl()
    {
        QFETCH(QString, screen);
        auto *window = qobject_cast<QMainWindow *>(program_->registry().show(screen));
        QVERIFY(window);
        // Bring up what starts hidden: the question list, its feedback, the topic text.
        for (QPushButton *button : window->findChildren<QPushButton *>()) {
            if (button->objectName() == QLatin1String("Command6") || button->objectName() == QLatin1String("cmdStart"))
                testing::click(button);
        }
        if (auto *choices = window->findChild<ChoiceList *>(QStringLiteral("List2")); choices && choices->count())
            testing::clickRow(choices, 1);
        if (auto *topics = window->findChild<ChoiceList *>(QStringLiteral("basicList1")))
            testing::clickRow(topics, 1);
        testing::settle();
        const QList<Design> design = designOf(window);
        QVERIFY(design.size() >= 3);
        const QImage before = clientOf(window)->grab().toImage();
        const QFont barFont = window->menuBar()->font();

        // Up with both spellings of Plus, down with the wheel, past both ends.
        QWidget *target = clientOf(window);
        for (size_t step = 5; step < Zoom::kSteps.size(); ++step) {
            zoomKey(target, step % 2 ? Qt::Key_Plus : Qt::Key_Equal);
            testing::settle();
            QCOMPARE(Zoom::instance().percent(), Zoom::kSteps[step]);
            const QString faults = misfits(design, Zoom::instance().factor());
            QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("%1 %: %2").arg(Zoom::kSteps[step]).arg(faults)));
        }
        zoomKey(target, Qt::Key_Plus);
        QCOMPARE(Zoom::instance().percent(), 300);
        for (size_t step = Zoom::kSteps.size() - 1; step-- > 0;) {
            zoomWheel(target, -120);
            testing::settle();
            QCOMPARE(Zoom::instance().percent(), Zoom::kSteps[step]);
            const QString faults = misfits(design, Zoom::instance().factor());
            QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("%1 %: %2").arg(Zoom::kSteps[step]).arg(faults)));
        }
        zoomKey(target, Qt::Key_Minus);
        QCOMPARE(Zoom::instance().percent(), 50);
        QCOMPARE(window->menuBar()->font(), barFont);

        // Ctrl+0 brings back the very picture of 100 %.
        zoomKey(target, Qt::Key_0);
        testing::settle();
        QCOMPARE(Zoom::instance().percent(), 100);
        QCOMPARE(clientOf(window)->grab().toImage(), before);
    }

    void zoomingLeavesTheWorkAsItWas_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<int>("topic");
        QTest::addColumn<int>("answer");
        QTest::newRow("lesson") << "basics1" << 3 << 2;
        QTest::newRow("typed-into lesson") << "LoopChangesPreload" << 2 << 4;
        QTest::newRow("test") << "Test" << -1 << 3;
    }
    void zoomingLeavesTheWorkAsItWas()
    {
        QFETCH(QString, screen);
        QFETCH(int, topic);
        QFETCH(int, answer);
        ScreenRegistry &registry = program_->registry();
        auto *window = qobject_cast<QMainWindow *>(registry.show(screen));
        QVERIFY(window);
        testing::settle();
        if (topic >= 0) {
            auto *topics = testing::child<ChoiceList>(window, "basicList1");
            testing::keyToRow(topics, topic);
            auto *text = window->findChild<TopicText *>();
            text->verticalScrollBar()->setValue(text->verticalScrollBar()->maximum());
        }
        for (QPushButton *button : window->findChildren<QPushButton *>()) {
            if (button->objectName() == QLatin1String("Command6") || button->objectName() == QLatin1String("cmdStart"))
                testing::click(button);
        }
        auto *choices = testing::child<ChoiceList>(window, "List2");
        testing::keyToRow(choices, answer);
        testing::settle();
        const QStringList before = stateOf(window, registry);

        // In through a list, a text box and the window; out with the wheel over a picture.
        QWidget *box = window->findChild<PictureBox *>();
        QWidget *text = window->findChild<TopicText *>();
        zoomKey(choices, Qt::Key_Plus);
        zoomKey(text, Qt::Key_Plus);
        zoomKey(window, Qt::Key_Equal);
        testing::settle();
        QCOMPARE(Zoom::instance().percent(), 150);
        QCOMPARE(stateOf(window, registry), before);
        for (int i = 0; i < 6; ++i)
            zoomWheel(box, -120);
        testing::settle();
        QCOMPARE(Zoom::instance().percent(), 67);
        QCOMPARE(stateOf(window, registry), before);
        zoomKey(choices, Qt::Key_0);
        testing::settle();
        QCOMPARE(stateOf(window, registry), before);
    }

    void keysForTextStayWithTheText()
    {
        auto *window = program_->registry().show(QStringLiteral("LoopChangesPreload"));
        auto *topics = testing::child<ChoiceList>(window, "basicList1");
        testing::keyToRow(topics, 1);
        auto *text = window->findChild<TopicText *>();
        QVERIFY(!text->isReadOnly());
        testing::settle();
        text->setFocus();

        // Ctrl+C copies; plain + - = 0 are typed.
        QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(text, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), text->toPlainText());
        QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
        const qsizetype length = text->toPlainText().size();
        QTest::keyClicks(text, QStringLiteral("+-=0"));
        QVERIFY(text->toPlainText().size() > length); // typed (the lesson may put its text back later)
        QCOMPARE(Zoom::instance().percent(), 100);

        // A read-only box would enlarge its own text on Ctrl+wheel; here the whole program zooms.
        auto *topicsText = window->findChild<TopicText *>();
        const qreal design = topicsText->font().pointSizeF();
        auto *test = program_->registry().show(QStringLiteral("Test"));
        auto *explanation = test->findChild<TopicText *>();
        QVERIFY(explanation->isReadOnly());
        zoomWheel(explanation->viewport(), 240);
        testing::settle();
        QCOMPARE(Zoom::instance().percent(), 125);
        QVERIFY(zoomedFont(explanation, design, 1.25));
        QVERIFY(zoomedFont(topicsText, design, 1.25));
    }

    void everyWindowFollowsOneZoom()
    {
        ScreenRegistry &registry = program_->registry();
        auto *lesson = qobject_cast<QMainWindow *>(registry.show(QStringLiteral("basics1")));
        auto *test = qobject_cast<QMainWindow *>(registry.show(QStringLiteral("Test")));
        test->showNormal();
        auto *instructions = qobject_cast<ReferencePage *>(registry.show(QStringLiteral("Instructions")));
        QWidget *afterload = registry.show(QStringLiteral("IncreasedAfterload"));
        QWidget *preload = registry.show(QStringLiteral("IncreasedPreload"));
        testing::settle();
        QVERIFY(lesson->isMaximized());
        const QSize lessonSize = lesson->size();
        const QSize testClient = clientOf(test)->size();
        const QSize testMinimum = clientOf(test)->minimumSize();
        const QSize pageSize = instructions->size();
        const int lineHeight = instructions->lineHeight();
        const QSize afterloadSize = afterload->size();
        const QRect preloadFrame = preload->frameGeometry();

        // A zoom step on any window, even a picture window, moves them all.
        for (int percent : {200, 300, 50}) {
            Zoom::instance().reset();
            while (Zoom::instance().percent() < percent)
                zoomWheel(preload, 120);
            while (Zoom::instance().percent() > percent)
                zoomKey(instructions, Qt::Key_Minus);
            testing::settle();
            const qreal f = percent / 100.0;
            auto near = [](QSize a, QSizeF b) {
                return std::abs(a.width() - b.width()) <= 1 && std::abs(a.height() - b.height()) <= 1;
            };
            QVERIFY(lesson->isMaximized());
            QCOMPARE(lesson->size(), lessonSize);
            // Widened, where need be, so every menu command shows.
            const QSizeF testWant(std::max(testMinimum.width() * f, qreal(test->menuBar()->sizeHint().width())),
                testMinimum.height() * f);
            QVERIFY2(near(clientOf(test)->size(), testWant),
                qPrintable(QStringLiteral("%1 %: %2x%3")
                               .arg(percent)
                               .arg(clientOf(test)->width())
                               .arg(clientOf(test)->height())));
            QVERIFY(near(clientOf(test)->minimumSize(), QSizeF(testMinimum) * f));
            QVERIFY(near(instructions->size(), QSizeF(pageSize) * f));
            // The page prints in the zoomed font, and every line still lands on it.
            QVERIFY(zoomedFont(instructions, look::kOrdinaryPointSize, f));
            QVERIFY(instructions->lineTop(instructions->lines().size()) <= instructions->height());
            QVERIFY(near(afterload->size(), QSizeF(afterloadSize) * f));
            QVERIFY2(std::abs(preload->frameGeometry().x() - preloadFrame.x() * f) <= 1 &&
                    std::abs(preload->frameGeometry().y() - preloadFrame.y() * f) <= 1 &&
                    near(preload->frameGeometry().size(), QSizeF(preloadFrame.size()) * f),
                qPrintable(QStringLiteral("%1 %").arg(percent)));
            for (QWidget *window : {afterload, preload, static_cast<QWidget *>(instructions)})
                QCOMPARE(window->findChild<PictureBox *>() ? window->findChild<PictureBox *>()->size() : window->size(),
                    window->size());
        }

        // Opened later, a window opens at the zoom in force.
        auto *glossary = registry.show(QStringLiteral("Glossary"));
        testing::settle();
        QVERIFY(zoomedFont(glossary, look::kOrdinaryPointSize, 0.5));

        zoomKey(glossary, Qt::Key_0);
        testing::settle();
        QCOMPARE(clientOf(test)->size(), testClient);
        QCOMPARE(clientOf(test)->minimumSize(), testMinimum);
        QCOMPARE(instructions->size(), pageSize);
        QCOMPARE(instructions->lineHeight(), lineHeight);
        QCOMPARE(afterload->size(), afterloadSize);
        QCOMPARE(preload->frameGeometry(), preloadFrame);
    }

    // Each step shows the window laid out anew in one frame, also where the
    // window's scroll bars come and go: a second would show it half done.
    void everyStepIsShownInOneFrame()
    {
        testing::FrameCounter counter;
        for (const char *name : {"LoopLab", "basics1"}) {
            QWidget *window = program_->registry().show(QString::fromLatin1(name));
            window->showMaximized();
            testing::settle();
            counter.window = window;
            qApp->installEventFilter(&counter);
            for (const Qt::Key key : {Qt::Key_Plus, Qt::Key_Minus}) {
                const int last = key == Qt::Key_Plus ? Zoom::kSteps.back() : Zoom::kSteps.front();
                while (Zoom::instance().percent() != last) {
                    counter.frames = 0;
                    zoomKey(window, key);
                    testing::settle();
                    QVERIFY2(counter.frames == 1,
                        qPrintable(QStringLiteral("%1: %2 frames at %3 %")
                                       .arg(QLatin1String(name))
                                       .arg(counter.frames)
                                       .arg(Zoom::instance().percent())));
                }
            }
            qApp->removeEventFilter(&counter);
            Zoom::instance().reset();
            testing::settle();
        }
    }

    // Readied while idle once the window shows, and not while the student
    // works: every step once, the one shown first (for the window's other
    // threads), then nearest first.
    void everyStepIsReadiedOnceAfterTheWindowShows()
    {
        Zoom::instance().setPercent(125);
        QWidget window;
        look::followZoom(&window);
        std::vector<int> readied;
        look::readyZoomSteps(&window, [&readied](qreal factor) { readied.push_back(qRound(factor * 100)); });
        QTest::qWait(400);
        QVERIFY(readied.empty());
        window.show();
        for (int i = 0; i < 6; ++i) {
            QTest::mouseMove(&window, QPoint(10 + i, 10));
            QTest::qWait(100);
        }
        QVERIFY(readied.empty());
        QTRY_COMPARE(readied.size(), Zoom::kSteps.size());
        QCOMPARE(readied.front(), 125);
        for (std::size_t i = 1; i + 1 < readied.size(); ++i)
            QVERIFY(std::abs(readied[i] - 125) <= std::abs(readied[i + 1] - 125));
        std::sort(readied.begin(), readied.end());
        QVERIFY(std::equal(readied.begin(), readied.end(), Zoom::kSteps.begin(), Zoom::kSteps.end()));
        QTest::qWait(300);
        QCOMPARE(readied.size(), Zoom::kSteps.size());
        Zoom::instance().reset();
    }

    void picturesAreDrawnAtTheirZoomedSize()
    {
        auto *lesson = qobject_cast<LessonScreen *>(program_->registry().show(QStringLiteral("LoopChangesAfterload")));
        testing::settle();
        PictureBox *box = testing::pictureOnView(lesson);
        QVERIFY(box);
        const QSize design = box->size();
        const QImage atDesign = box->grab().toImage();
        Zoom::instance().setPercent(200);
        testing::settle();
        QVERIFY(std::abs(box->width() - design.width() * 2) <= 1 && std::abs(box->height() - design.height() * 2) <= 1);

        // The chart drawn for the new size, with lines and lettering as thin as
        // at 100 %, not the 100 % picture enlarged.
        const QImage onScreen = box->grab().toImage();
        const QImage sharp = painted(box->picture(), box->size());
        const QImage enlarged = atDesign.scaled(box->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const double toSharp = difference(onScreen, sharp);
        const double toEnlarged = difference(onScreen, enlarged);
        QVERIFY2(toSharp * 4 < toEnlarged, qPrintable(QStringLiteral("%1 vs %2").arg(toSharp).arg(toEnlarged)));
    }

private:
    std::unique_ptr<Program> program_;
};

QTEST_MAIN(ZoomTest)
#include "tst_zoom.moc"
