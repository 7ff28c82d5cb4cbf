// The lesson window built from a small lesson made for this test: topics, the
// text area, picture boxes and their buttons, and the question sequence through
// real widget events.

#include "app/program.h"
#include "diagrams/picturebox.h"
#include "lesson/lessonscreen.h"
#include "support/testsupport.h"
#include "ui/choicelist.h"
#include "ui/topictext.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace valthera;

namespace {

LessonDefinition sampleLesson()
{
    LessonDefinition lesson;
    lesson.name = "SampleLesson";
    lesson.caption = "Sample";
    lesson.instruction = "Click on topic to see related text";
    lesson.heading = "  SAMPLE TOPICS";
    lesson.topics = {
        {"01. First", "First paragraph."},
        {"02. Second", "Second paragraph.", {{"Inner", true}}},
        {"      second, continued", "Second paragraph."},
        {"03. Window", "Third paragraph.", {}, "SampleWindow"},
    };
    lesson.initialText = "First paragraph.";
    lesson.boxes = {
        {"Outer", PictureId::CycleSchematic, {4800, 720, 5535, 5895}, true},
        {"Cover", PictureId::LabelledCycleSchematic, {4800, 720, 5535, 5895}, false},
        {"Inner", PictureId::BasicsControl, {0, 0, 5600, 6173}, false, "Outer"},
    };
    lesson.buttons = {
        {"ShowInner", "Inner", {10560, 1800, 975, 855}, {{"Cover", false}, {"Inner", true}}},
        {"ShowCover", "Cover", {10560, 2880, 975, 735}, {{"Cover", true}}},
        {"HideAll", "Hide", {10560, 3720, 975, 735}, {{"Cover", false}, {"Outer", false}}},
    };
    lesson.questions.first = {"1. one?", "a. 1", "b. 2", "c. 3", "d. 4", "e. 5"};
    lesson.questions.store = {"2. two?", "a. x", "b. y", "c. z", "d. w", ""};
    lesson.questions.key = {{0, 5}, {6, 2}};
    lesson.questions.diagramStep = {{"Inner", true}, {"Cover", false}};
    lesson.questions.completionAfter = 6;
    lesson.layout = {11400, 9720, {600, 360, 3855, 375}, {480, 840, 4215, 3660}, {480, 4800, 4215, 2865},
        {4800, 6720, 6735, 1500}, {5880, 8280, 1215, 615}, {7200, 8280, 1335, 615}, {8760, 8280, 1335, 615},
        {7200, 9000, 1455, 255}};
    lesson.clickHidesText = true;
    return lesson;
}

} // namespace

class LessonScreenTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        lesson_ = sampleLesson();
        program_ = std::make_unique<Program>();
        ScreenRegistry &registry = program_->registry();
        registry.add("SampleWindow", [](ScreenRegistry &) { return new QWidget; });
        registry.add(
            lesson_.name, [this](ScreenRegistry &r) { return new LessonScreen(lesson_, r); },
            ScreenRegistry::Opening::Maximized);
        screen_ = qobject_cast<LessonScreen *>(registry.show(lesson_.name));
        testing::settle();
        topics_ = testing::child<QListWidget>(screen_, "basicList1");
        text_ = testing::child<QPlainTextEdit>(screen_, "BasicAnswers1");
        choices_ = testing::child<QListWidget>(screen_, "List2");
        feedback_ = testing::child<QLabel>(screen_, "Label1");
    }
    void cleanup() { program_.reset(); }

    void loadBuildsTheScreen()
    {
        QCOMPARE(screen_->windowTitle(), QString("Sample"));
        QVERIFY(screen_->windowState() & Qt::WindowMaximized);
        QCOMPARE(testing::lines(topics_),
            QStringList({"  SAMPLE TOPICS", "01. First", "02. Second", "      second, continued", "03. Window"}));
        QVERIFY(topics_->selectedItems().isEmpty());
        QVERIFY(!text_->isVisible());
        QCOMPARE(text_->toPlainText(), QString("First paragraph."));
        QVERIFY(!choices_->isVisible());
        QCOMPARE(feedback_->text(), QString());
        QCOMPARE(testing::child<QLabel>(screen_, "Label3")->geometry(), QRect(40, 24, 257, 25));
        QCOMPARE(testing::pictureOnView(screen_)->objectName(), QString("Outer"));
        // A box larger than its container draws its picture into the part that shows.
        QVERIFY(testing::child<PictureBox>(screen_, "Inner")->width() >
            testing::child<PictureBox>(screen_, "Outer")->width());
        QCOMPARE(testing::child<PictureBox>(screen_, "Inner")->visibleArea(),
            QRect(QPoint(0, 0), testing::child<PictureBox>(screen_, "Outer")->size()));
        QCOMPARE(testing::child<PictureBox>(screen_, "Outer")->visibleArea(),
            testing::child<PictureBox>(screen_, "Outer")->rect());
        // Colours of the common look.
        QCOMPARE(topics_->palette().color(QPalette::Base), QColor(0, 0, 192));
        QCOMPARE(
            testing::child<QPushButton>(screen_, "Command6")->palette().color(QPalette::Button), QColor(0, 255, 0));
        QCOMPARE(
            testing::child<QPushButton>(screen_, "Command8")->palette().color(QPalette::Button), QColor(255, 255, 128));
    }

    void topicSelectionShowsTheParagraph()
    {
        // The heading line is a title, not a topic.
        testing::clickRow(topics_, 0);
        QVERIFY(!text_->isVisible());

        testing::clickRow(topics_, 2);
        QVERIFY(text_->isVisible());
        QCOMPARE(text_->toPlainText(), QString("Second paragraph."));
        QCOMPARE(testing::pictureOnView(screen_)->objectName(), QString("Inner")); // its diagram action

        // A click hides the text area; selecting the same line brings it back.
        testing::click(text_->viewport());
        QVERIFY(!text_->isVisible());
        QCOMPARE(text_->toPlainText(), QString("Second paragraph."));
        testing::clickRow(topics_, 2);
        QVERIFY(text_->isVisible());

        // The keyboard selects too, the continuation line shows its topic's paragraph.
        testing::keyToRow(topics_, 1);
        QCOMPARE(text_->toPlainText(), QString("First paragraph."));
        testing::keyToRow(topics_, 3);
        QCOMPARE(text_->toPlainText(), QString("Second paragraph."));

        // A topic can open a picture window.
        testing::keyToRow(topics_, 4);
        QVERIFY(program_->registry().find("SampleWindow"));
        QVERIFY(program_->registry().find("SampleWindow")->isVisible());
    }

    void eachSelectionRunsOnce()
    {
        auto *list = qobject_cast<ChoiceList *>(topics_);
        QSignalSpy chosen(list, &ChoiceList::chosen);
        int changes = 0;
        connect(qobject_cast<TopicText *>(text_), &TopicText::changed, this, [&] { ++changes; });

        // Focus alone selects nothing.
        topics_->setFocus();
        testing::settle();
        QCOMPARE(chosen.count(), 0);

        testing::clickRow(topics_, 2);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(changes, 1);
        testing::clickRow(topics_, 2); // the line already selected runs again
        QCOMPARE(chosen.count(), 2);
        QTest::keyClick(topics_, Qt::Key_Down);
        QCOMPARE(chosen.count(), 3);
        QCOMPARE(chosen.last().first().toInt(), 3);
        // Setting the text the area already holds reports no change.
        QCOMPARE(changes, 1);
        testing::clickRow(topics_, 1);
        QCOMPARE(changes, 2);
    }

    void buttonsSwitchVisibilityOnly()
    {
        auto *inner = testing::child<QPushButton>(screen_, "ShowInner");
        auto *cover = testing::child<QPushButton>(screen_, "ShowCover");
        testing::click(cover);
        QCOMPARE(testing::pictureOnView(screen_)->objectName(), QString("Cover"));
        testing::click(inner);
        QCOMPARE(testing::pictureOnView(screen_)->objectName(), QString("Inner"));
        testing::click(cover);
        QCOMPARE(testing::pictureOnView(screen_)->objectName(), QString("Cover"));
        // A box inside a hidden container is not on view.
        testing::click(testing::child<QPushButton>(screen_, "HideAll"));
        QVERIFY(!testing::pictureOnView(screen_));
        QVERIFY(!text_->isVisible()); // buttons never touch the text area
    }

    void questionsThroughTheWidgets()
    {
        auto *start = testing::child<QPushButton>(screen_, "Command6");
        auto *next = testing::child<QPushButton>(screen_, "Command8");
        auto *reset = testing::child<QPushButton>(screen_, "Command7");

        testing::click(start);
        QVERIFY(choices_->isVisible());
        choices_->setFocus(); // reaching the list marks nothing
        testing::settle();
        QCOMPARE(feedback_->text(), QString());
        QCOMPARE(testing::lines(choices_).first(), QString("1. one?"));
        QCOMPARE(testing::pictureOnView(screen_)->objectName(), QString("Inner")); // the question diagram step
        testing::clickRow(choices_, 5);
        QCOMPARE(feedback_->text(), QString("CORRECT!"));
        testing::clickRow(choices_, 5); // the same line again marks again
        QCOMPARE(feedback_->text(), QString("CORRECT!"));
        testing::keyToRow(choices_, 4);
        QCOMPARE(feedback_->text(), QString("TRY AGAIN"));

        // A topic selection leaves the questions alone.
        testing::clickRow(topics_, 1);
        QCOMPARE(feedback_->text(), QString("TRY AGAIN"));
        QCOMPARE(testing::lines(choices_).size(), 6);

        testing::click(next);
        QCOMPARE(feedback_->text(), QString(" "));
        QCOMPARE(testing::lines(choices_).first(), QString("2. two?"));
        testing::clickRow(choices_, 2);
        QCOMPARE(feedback_->text(), QString("CORRECT!"));

        // After the last question: an empty list and the completion box, again and again.
        for (int round = 0; round < 2; ++round) {
            QString text, title;
            int seen = 0;
            testing::answerNextModal(&text, &title, &seen);
            testing::click(next);
            QCOMPARE(seen, 1);
            QCOMPARE(text, QString("Questions Completed - to do again use the reset"));
            QCOMPARE(title, QString("Done"));
            QCOMPARE(choices_->count(), 0);
        }
        QCOMPARE(program_->registry().counter(lesson_.name), qint16(7));

        testing::click(reset);
        testing::click(start);
        QCOMPARE(testing::lines(choices_).first(), QString("1. one?"));
    }

    void reopeningKeepsTheCounterAndRebuildsTheControls()
    {
        testing::click(testing::child<QPushButton>(screen_, "Command8"));
        QCOMPARE(program_->registry().counter(lesson_.name), qint16(6));
        QPointer<LessonScreen> old = screen_;
        screen_->close();
        testing::settle();
        QVERIFY(!old);
        auto *again = qobject_cast<LessonScreen *>(program_->registry().show(lesson_.name));
        QVERIFY(again);
        QCOMPARE(program_->registry().counter(lesson_.name), qint16(6));
        QCOMPARE(testing::child<QListWidget>(again, "List2")->count(), 0);
        QVERIFY(!testing::child<QPlainTextEdit>(again, "BasicAnswers1")->isVisible());
    }

    void typedChangesAreUndoneWhileATopicIsSelected()
    {
        lesson_.name = "TypingLesson";
        lesson_.clickHidesText = false;
        lesson_.textAcceptsTyping = true;
        lesson_.rerunTopicOnTextChange = true;
        ScreenRegistry &registry = program_->registry();
        registry.add(lesson_.name, [this](ScreenRegistry &r) { return new LessonScreen(lesson_, r); });
        auto *screen = registry.show(lesson_.name);
        testing::settle();
        auto *topics = testing::child<QListWidget>(screen, "basicList1");
        auto *text = testing::child<QPlainTextEdit>(screen, "BasicAnswers1");

        // Nothing selected: typing stays.
        text->show();
        text->setFocus();
        QTest::keyClicks(text, "x");
        testing::settle();
        QVERIFY(text->toPlainText().contains('x'));

        // A topic selected: the typed letter is undone before the next key.
        testing::clickRow(topics, 1);
        QCOMPARE(text->toPlainText(), QString("First paragraph."));
        text->setFocus();
        QTest::keyClick(text, Qt::Key_Z);
        testing::settle();
        QCOMPARE(text->toPlainText(), QString("First paragraph."));
        QTest::keyClicks(text, "abc");
        testing::settle();
        QCOMPARE(text->toPlainText(), QString("First paragraph."));

        // Clicking the text area does not hide it in such a lesson.
        testing::click(text->viewport());
        QVERIFY(text->isVisible());
    }

private:
    LessonDefinition lesson_;
    std::unique_ptr<Program> program_;
    LessonScreen *screen_ = nullptr;
    QListWidget *topics_ = nullptr;
    QPlainTextEdit *text_ = nullptr;
    QListWidget *choices_ = nullptr;
    QLabel *feedback_ = nullptr;
};

QTEST_MAIN(LessonScreenTest)
#include "tst_lessonscreen.moc"
