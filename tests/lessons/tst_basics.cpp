#include "diagrams/loopgeometry.h"
#include "diagrams/picturebox.h"
#include "lessons/basics.h"
#include "lessonwalk.h"
#include "ui/topictext.h"

#include <algorithm>
#include <functional>

using namespace valthera;
using namespace valthera::testing;

class BasicsLessonTest : public QObject {
    Q_OBJECT
private slots:
    void loadsWithSchematicOnViewAndEverythingElseHidden();
    void diagramsFollowEveryOrderOfPresses();
    void textAreaHidesOnClickAndComesBackWithTheTopic();
    void questionButtonsInAnyOrder();
    void everyQuestionMarksOnlyItsKeyLine();
    void buttonCaptionsWrapInsideTheirButtons();
    void numericKeysAgreeWithTheControlLoop();
    void mitralValveParagraphsNameTheLeftAtrium();
};

void BasicsLessonTest::loadsWithSchematicOnViewAndEverythingElseHidden()
{
    Program program;
    LessonScreen *s = openLesson(program, "basics1");
    QVERIFY(s);
    QCOMPARE(s->windowTitle(), QStringLiteral("Loop Basics"));
    QCOMPARE(pictureOnView(s), child<PictureBox>(s, "Picture1"));
    // The chart lies inside the schematic's box and overflows it; the labelled
    // schematic covers exactly the same rectangle.
    QCOMPARE(child<PictureBox>(s, "Picture3")->parentWidget(), child<PictureBox>(s, "Picture1"));
    QVERIFY(child<PictureBox>(s, "Picture3")->width() > child<PictureBox>(s, "Picture1")->width());
    QVERIFY(child<PictureBox>(s, "Picture3")->height() > child<PictureBox>(s, "Picture1")->height());
    QCOMPARE(child<PictureBox>(s, "Picture2")->geometry(), child<PictureBox>(s, "Picture1")->geometry());

    auto *text = child<TopicText>(s, "BasicAnswers1");
    QVERIFY(text->isHidden());
    QCOMPARE(text->text(), basicsLesson().topics.front().paragraph);
    QVERIFY(listOf(s, "List2")->isHidden());
    QCOMPARE(feedbackOf(s), QString());

    QListWidget *topics = listOf(s, "basicList1");
    const QStringList shown = lines(topics);
    QCOMPARE(shown.size(), 15);
    QCOMPARE(shown[0], QStringLiteral("  BASIC FEATURES OF P-V LOOPS"));
    for (int i = 1; i < shown.size(); ++i)
        QVERIFY2(shown[i].startsWith(QStringLiteral("%1. ").arg(i, 2, 10, QLatin1Char('0'))), qPrintable(shown[i]));
    clickRow(topics, 0);
    QVERIFY(text->isHidden());
}

void BasicsLessonTest::diagramsFollowEveryOrderOfPresses()
{
    Program program;
    LessonScreen *s = openLesson(program, "basics1");
    QListWidget *topics = listOf(s, "basicList1");
    // What each press does to the labels box and the chart box (-1: untouched).
    struct Press {
        const char *name;
        std::function<void()> act;
        int labels;
        int chart;
    };
    const std::vector<Press> presses = {
        {"Straight Line Loop", [&] { press(s, "Command3"); }, 0, 1},
        {"Real Loop", [&] { press(s, "Command4"); }, 0, 0},
        {"Show Labels", [&] { press(s, "ShowLabels"); }, 1, -1},
        {"topic 14", [&] { clickRow(topics, 14); }, -1, 1},
        {"Start", [&] { press(s, "Command6"); }, 0, 1},
        {"Next", [&] { press(s, "Command8"); }, 0, 1},
    };
    const size_t n = presses.size();
    for (size_t order = 0; order < n * n * n; ++order) {
        press(s, "Command6"); // counter back to 0, so Next never reaches the end
        press(s, "Command4"); // the view at load
        bool labels = false, chart = false;
        QString done;
        for (size_t step = 0, code = order; step < 3; ++step, code /= n) {
            const Press &p = presses[code % n];
            p.act();
            if (p.labels >= 0)
                labels = p.labels;
            if (p.chart >= 0)
                chart = p.chart;
            done += QLatin1String(p.name) + QStringLiteral(" / ");
            const char *expected = labels ? "Picture2" : chart ? "Picture3" : "Picture1";
            QVERIFY2(pictureOnView(s) == child<PictureBox>(s, expected), qPrintable(done + expected));
            QVERIFY(!child<PictureBox>(s, "Picture1")->isHidden());
        }
    }
}

void BasicsLessonTest::textAreaHidesOnClickAndComesBackWithTheTopic()
{
    Program program;
    LessonScreen *s = openLesson(program, "basics1");
    QListWidget *topics = listOf(s, "basicList1");
    auto *text = child<TopicText>(s, "BasicAnswers1");
    const auto &paragraphs = basicsLesson().topics;

    clickRow(topics, 3);
    QVERIFY(text->isVisible());
    QCOMPARE(text->text(), paragraphs[2].paragraph);
    click(text->viewport());
    QVERIFY(text->isHidden());
    QCOMPARE(text->text(), paragraphs[2].paragraph);
    clickRow(topics, 3);
    QVERIFY(text->isVisible());
    QCOMPARE(text->text(), paragraphs[2].paragraph);

    keyToRow(topics, 6);
    QCOMPARE(text->text(), paragraphs[5].paragraph);
    // Buttons and the heading line leave the text area alone.
    press(s, "ShowLabels");
    press(s, "Command3");
    clickRow(topics, 0);
    QVERIFY(text->isVisible());
    QCOMPARE(text->text(), paragraphs[5].paragraph);
}

void BasicsLessonTest::questionButtonsInAnyOrder()
{
    Program program;
    LessonScreen *s = openLesson(program, "basics1");
    QListWidget *choices = listOf(s, "List2");

    press(s, "Command8"); // before any Start: nothing shows
    QVERIFY(choices->isHidden());
    press(s, "Command6");
    QVERIFY(choices->isVisible());
    QCOMPARE(lines(choices).at(5), QStringLiteral("e. 120"));
    QCOMPARE(int(program.registry().counter(s->objectName())), 0);
    clickRow(choices, 5);
    QCOMPARE(feedbackOf(s), QStringLiteral("CORRECT!"));

    // A topic chosen mid-question touches nothing of the question.
    const QStringList question = lines(choices);
    clickRow(listOf(s, "basicList1"), 4);
    QCOMPARE(lines(choices), question);
    QCOMPARE(feedbackOf(s), QStringLiteral("CORRECT!"));
    QCOMPARE(int(program.registry().counter(s->objectName())), 0);

    press(s, "Command8");
    QCOMPARE(lines(choices).at(0), QStringLiteral("2. What is the value of aortic diastolic pressure in mmHg?"));
    clickRow(choices, 3);
    QCOMPARE(feedbackOf(s), QStringLiteral("CORRECT!"));
    // Reset empties the list but keeps the feedback; Next then puts up question 2.
    press(s, "Command7");
    QCOMPARE(choices->count(), 0);
    QVERIFY(choices->isVisible());
    QCOMPARE(feedbackOf(s), QStringLiteral("CORRECT!"));
    press(s, "Command8");
    QVERIFY(lines(choices).at(0).startsWith(QStringLiteral("2. ")));
    press(s, "Command8");
    // Start in mid-sequence goes back to question 1, marked with its own key.
    press(s, "Command6");
    QVERIFY(lines(choices).at(0).startsWith(QStringLiteral("1. ")));
    clickRow(choices, 3);
    QCOMPARE(feedbackOf(s), QStringLiteral("TRY AGAIN"));
}

void BasicsLessonTest::everyQuestionMarksOnlyItsKeyLine()
{
    Program program;
    LessonScreen *s = openLesson(program, "basics1");
    walkAllQuestions(program, s,
        {"e. 120", "c. 80", "a. 50", "e. 120", "b. 70", "c. 15", "c. 80", "d. H", "c. G", "a. E", "b. F", "b. 10",
            "c. G", "b. F", "d. 100", "b. 15"});
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(pictureOnView(s), child<PictureBox>(s, "Picture3"));
    press(s, "Command7");
    press(s, "Command6");
    QCOMPARE(lines(listOf(s, "List2")),
        QStringList(basicsLesson().questions.first.begin(), basicsLesson().questions.first.end()));
    QCOMPARE(int(program.registry().counter(s->objectName())), 0);
}

void BasicsLessonTest::buttonCaptionsWrapInsideTheirButtons()
{
    Program program;
    LessonScreen *s = openLesson(program, "basics1");
    // Each caption is wider than its button: it must break into lines of black
    // text that stay clear of the button's left and right edges.
    for (const char *name : {"Command3", "Command4", "ShowLabels", "Command6"}) {
        auto *button = child<QPushButton>(s, name);
        const QImage image = button->grab().toImage();
        const int scale = qRound(button->devicePixelRatioF());
        int bands = 0;
        bool inText = false;
        for (int y = 0; y < image.height(); ++y) {
            bool dark = false;
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)}) < 60) {
                    dark = true;
                    QVERIFY2(x >= 2 * scale && x < image.width() - 2 * scale, name);
                }
            }
            bands += dark && !inText;
            inText = dark;
        }
        QVERIFY2(bands >= 2, name);
    }
}

void BasicsLessonTest::numericKeysAgreeWithTheControlLoop()
{
    const LessonDefinition &lesson = basicsLesson();
    const LoopGeometry &loop = loopGeometry(LoopId::Control);
    QCOMPARE(choiceValue(keyLine(lesson, 1)), loop.edv());
    QCOMPARE(choiceValue(keyLine(lesson, 2)), loop.aorticOpening());
    QCOMPARE(choiceValue(keyLine(lesson, 3)), loop.esv());
    QCOMPARE(choiceValue(keyLine(lesson, 4)), loop.peakPressure());
    QCOMPARE(choiceValue(keyLine(lesson, 5)), loop.strokeVolume());
    QCOMPARE(choiceValue(keyLine(lesson, 6)), loop.point(1).pressure); // mitral valve closes
    QCOMPARE(choiceValue(keyLine(lesson, 7)), loop.point(2).pressure); // aortic valve opens
    QCOMPARE(choiceValue(keyLine(lesson, 12)), loop.point(5).pressure); // mitral valve opens
    QCOMPARE(choiceValue(keyLine(lesson, 15)), loop.point(4).pressure); // aortic closing, 2nd sound
    QCOMPARE(choiceValue(keyLine(lesson, 16)), loop.point(1).pressure); // mitral closing, 1st sound
}

void BasicsLessonTest::mitralValveParagraphsNameTheLeftAtrium()
{
    const auto &topics = basicsLesson().topics;
    QCOMPARE(topics.size(), size_t(14));
    for (const TopicEntry &topic : topics)
        QVERIFY(!topic.paragraph.contains(QStringLiteral("right atrial"), Qt::CaseInsensitive));
    // The mitral valve sits between the left atrium and the left ventricle.
    QVERIFY(topics[5].paragraph.contains(QStringLiteral("left atrial pressure (LAP)")));
    QVERIFY(topics[9].paragraph.contains(QStringLiteral("left atrial pressure (LAP)")));
}

QTEST_MAIN(BasicsLessonTest)
#include "tst_basics.moc"
