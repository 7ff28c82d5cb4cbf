#include "diagrams/picturebox.h"
#include "diagrams/schematicgeometry.h"
#include "lessons/cardiaccycle.h"
#include "lessonwalk.h"
#include "ui/topictext.h"

using namespace valthera;
using namespace valthera::testing;

class CardiacCycleLessonTest : public QObject {
    Q_OBJECT
private slots:
    void topicLinesShowTheirTopicsParagraph();
    void textAreaStaysUpWhenClicked();
    void questionButtonsInAnyOrder();
    void everyQuestionMarksOnlyItsKeyLine();
    void volumeKeysAgreeWithTheSchematic();
    void paragraphsOpenAsWrittenAndKeepTheirLength();
};

void CardiacCycleLessonTest::topicLinesShowTheirTopicsParagraph()
{
    Program program;
    LessonScreen *s = openLesson(program, "CardiacCycleRelationships");
    QVERIFY(s);
    QListWidget *topics = listOf(s, "basicList1");
    auto *text = child<TopicText>(s, "BasicAnswers1");
    QCOMPARE(topics->count(), 11);
    QCOMPARE(lines(topics).at(0), QStringLiteral("  CARDIAC CYCLE RELATIONSHIPS"));
    QCOMPARE(lines(topics).at(5), QStringLiteral("      on the P-T diagram AND by their "));

    // The heading before any topic: the text area stays hidden and empty.
    clickRow(topics, 0);
    QVERIFY(text->isHidden());
    QCOMPARE(text->text(), QString());

    const auto &entries = cardiacCycleLesson().topics;
    const int topicOf[] = {0, 1, 1, 2, 2, 2, 2, 3, 3, 3, 4};
    QString paragraphOf[5];
    for (int row = 1; row <= 10; ++row) {
        clickRow(topics, row);
        QVERIFY(text->isVisible());
        QString &seen = paragraphOf[topicOf[row]];
        if (seen.isEmpty())
            seen = text->text();
        QCOMPARE(text->text(), seen);
        QCOMPARE(text->text(), entries[size_t(row - 1)].paragraph);
    }
    // Four different paragraphs, and the keyboard finds the same ones.
    QCOMPARE(QStringList({paragraphOf[1], paragraphOf[2], paragraphOf[3], paragraphOf[4]}).removeDuplicates(), 0);
    keyToRow(topics, 2);
    QCOMPARE(text->text(), paragraphOf[1]);
    keyToRow(topics, 8);
    QCOMPARE(text->text(), paragraphOf[3]);
}

void CardiacCycleLessonTest::textAreaStaysUpWhenClicked()
{
    Program program;
    LessonScreen *s = openLesson(program, "CardiacCycleRelationships");
    auto *text = child<TopicText>(s, "BasicAnswers1");
    clickRow(listOf(s, "basicList1"), 7);
    const QString paragraph = text->text();
    click(text->viewport());
    QVERIFY(text->isVisible());
    QCOMPARE(text->text(), paragraph);
}

void CardiacCycleLessonTest::questionButtonsInAnyOrder()
{
    Program program;
    LessonScreen *s = openLesson(program, "CardiacCycleRelationships");
    QListWidget *choices = listOf(s, "List2");
    auto *feedback = child<QLabel>(s, "Label1");
    const int left = feedback->x();

    // Next before Start fills the hidden list with question 2; Start then shows question 1.
    press(s, "Command8");
    QVERIFY(choices->isHidden());
    QCOMPARE(lines(choices).at(0), QStringLiteral("2. What event occurs at point A??"));
    press(s, "Command6");
    QVERIFY(choices->isVisible());
    QCOMPARE(lines(choices).at(3), QStringLiteral("c.  isovolumic relaxation"));
    clickRow(choices, 2);
    QCOMPARE(feedback->text(), QStringLiteral("CORRECT!"));
    // The label grows to its caption and keeps its left edge.
    QVERIFY(feedback->width() >= feedback->sizeHint().width());
    QCOMPARE(feedback->x(), left);
    clickRow(choices, 3);
    QCOMPARE(feedback->text(), QStringLiteral("TRY AGAIN"));

    const QStringList question = lines(choices);
    clickRow(listOf(s, "basicList1"), 4);
    QCOMPARE(lines(choices), question);
    QCOMPARE(feedback->text(), QStringLiteral("TRY AGAIN"));

    press(s, "Command8");
    press(s, "Command8");
    press(s, "Command7");
    QCOMPARE(choices->count(), 0);
    press(s, "Command8");
    QVERIFY(lines(choices).at(0).startsWith(QStringLiteral("2. ")));
    QCOMPARE(int(program.registry().counter(s->objectName())), 6);
}

void CardiacCycleLessonTest::everyQuestionMarksOnlyItsKeyLine()
{
    Program program;
    LessonScreen *s = openLesson(program, "CardiacCycleRelationships");
    walkAllQuestions(program, s,
        {"b. isovolumic contraction", "b. mitral valve closes", "a. 1", "c. aortic valve opens", "b. 2",
            "d. aortic valve closes", "d. 4", "a. mitral valve opens", "e. 5", "d. ventricle ejection", "c. G",
            "b. isovolumic contraction", "b. F", "c. isovolumic relaxation", "d. H", "a. between A and B",
            "c. between C and D", "e. none of the above", "c. 100", "e. 150"});
    if (QTest::currentTestFailed())
        return;
    // The one diagram never leaves the screen, and the text area is untouched.
    QCOMPARE(pictureOnView(s), child<PictureBox>(s, "Picture1"));
    QVERIFY(child<TopicText>(s, "BasicAnswers1")->isHidden());
    press(s, "Command6");
    QVERIFY(lines(listOf(s, "List2")).at(0).startsWith(QStringLiteral("1. ")));
    QCOMPARE(int(program.registry().counter(s->objectName())), 0);
}

void CardiacCycleLessonTest::volumeKeysAgreeWithTheSchematic()
{
    const LessonDefinition &lesson = cardiacCycleLesson();
    QCOMPARE(choiceValue(keyLine(lesson, 19)), kCycleSchematicValues.strokeVolume());
    QCOMPARE(choiceValue(keyLine(lesson, 20)), kCycleSchematicValues.edv);
}

void CardiacCycleLessonTest::paragraphsOpenAsWrittenAndKeepTheirLength()
{
    const QStringList openings = {
        "The pressure (P) vs. Time (T) diagram shows how",
        "Virtually all mechanical, electrical and heart sound events that",
        "For the normal heart a valve will be open",
        "The 1st and 2nd heart sounds respectively occur in",
    };
    const auto &topics = cardiacCycleLesson().topics;
    const size_t firstLine[] = {0, 2, 6, 9};
    for (int p = 0; p < 4; ++p) {
        const QString &paragraph = topics[firstLine[p]].paragraph;
        QVERIFY2(paragraph.startsWith(openings[p]), qPrintable(paragraph));
        QVERIFY2(paragraph.size() >= 240 && paragraph.size() <= 435, qPrintable(QString::number(paragraph.size())));
        QVERIFY(!paragraph.contains(QStringLiteral("right atrial"), Qt::CaseInsensitive));
    }
    QVERIFY(topics[6].paragraph.contains(QStringLiteral("left atrial pressure (LAP)")));
}

QTEST_MAIN(CardiacCycleLessonTest)
#include "tst_cardiaccycle.moc"
