// The topic table the three loop-change lessons share: the same list on each
// screen, each topic's paragraph and the picture window it opens.

#include "loopchangerig.h"

#include <QtTest>

using namespace valthera;
using namespace valthera::testing;

class LoopChangeTopicTable : public QObject {
    Q_OBJECT
private slots:
    void paragraphsOpenWithTheirWordsAndFitTheTextArea();
    void everyLessonListsTheSameTopics_data();
    void everyLessonListsTheSameTopics();
    void everyTopicOpensItsWindow_data();
    void everyTopicOpensItsWindow();
    void menuEntriesOpenTheLessons();
};

void LoopChangeTopicTable::paragraphsOpenWithTheirWordsAndFitTheTextArea()
{
    const QStringList openings{
        QStringLiteral("AFTERLOAD is an index of the force that ventricle muscle"),
        QStringLiteral("PRELOAD is an index of the sarcomere length at the"),
        QStringLiteral("CONTRACTILITY is an index of intrinsic contraction potential of myocardium."),
        QStringLiteral("PIP stands for Peak Isovolumic Pressure. It is the maximum"),
        QStringLiteral("The main effects of an increase in afterload are to"),
        QStringLiteral("The main effect of an increase in preload is to"),
        QStringLiteral("The main effects of an increase in contractility is to"),
    };
    for (int number = 1; number <= LoopChangeTopics::kCount; ++number) {
        const QString &text = LoopChangeTopics::text(number);
        QVERIFY2(text.startsWith(openings[number - 1] + QLatin1Char(' ')), qPrintable(text));
        QVERIFY2(text.size() >= 500 && text.size() <= 670, qPrintable(QString::number(text.size())));
        QVERIFY(!text.contains(QStringLiteral("  ")));
        QVERIFY(text.endsWith(QLatin1Char('.')));
    }
    // The preload variant differs only in how its preload window comes forward.
    const auto &all = LoopChangeTopics::entries();
    const auto &preload = LoopChangeTopics::entriesOnlyShowingPreloadWindow();
    QCOMPARE(preload.size(), all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        QCOMPARE(preload[i].caption, all[i].caption);
        QCOMPARE(preload[i].paragraph, all[i].paragraph);
        QCOMPARE(preload[i].pictureWindow, all[i].pictureWindow);
        QVERIFY(all[i].bringWindowForward);
        QCOMPARE(preload[i].bringWindowForward, all[i].pictureWindow != QStringLiteral("IncreasedPreload"));
    }
}

void LoopChangeTopicTable::everyLessonListsTheSameTopics_data()
{
    QTest::addColumn<QString>("lesson");
    for (const char *name : {"LoopChangesAfterload", "LoopChangesPreload", "LoopChangesContractility"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void LoopChangeTopicTable::everyLessonListsTheSameTopics()
{
    QFETCH(QString, lesson);
    LoopChangeRig rig(lesson);
    QCOMPARE(rig.screen()->windowTitle(), lesson);
    QVERIFY(rig.screen()->isMaximized());
    QCOMPARE(rig.label(QStringLiteral("Label3"))->text(), QStringLiteral("Click on topic to see related graphic"));
    QCOMPARE(lines(rig.topics()),
        (QStringList{QStringLiteral("  BASIC CONCEPTS OF LOOP CHANGES"),
            QStringLiteral("01. What is meant by AFTERLOAD?"), QStringLiteral("02. What is meant by PRELOAD?"),
            QStringLiteral("03. What is meant by CONTRACTILITY?"), QStringLiteral("04. What is a PIP LINE?"),
            QStringLiteral("05. What are the main AFTERLOAD effects?"),
            QStringLiteral("06. What are the main PRELOAD effects?"),
            QStringLiteral("07. What are the main CONTRACTILITY effects?")}));
    QVERIFY(rig.topics()->selectedItems().isEmpty());
    // The heading is a title: selecting it first leaves the text area hidden.
    rig.pickTopic(0);
    QVERIFY(!rig.text()->isVisible());
    // Choices are drawn in the system window-background colour on dark blue.
    const QPalette palette = rig.choices()->palette();
    QCOMPARE(palette.color(QPalette::Text), QApplication::palette().color(QPalette::Base));
    QCOMPARE(palette.color(QPalette::Base), QColor(0, 0, 192));
}

void LoopChangeTopicTable::everyTopicOpensItsWindow_data()
{
    everyLessonListsTheSameTopics_data();
}

void LoopChangeTopicTable::everyTopicOpensItsWindow()
{
    QFETCH(QString, lesson);
    const QStringList windows{QStringLiteral("IncreasedAfterload"), QStringLiteral("IncreasedPreload"),
        QStringLiteral("IncreasedContractility"), QStringLiteral("PipLine"), QStringLiteral("IncreasedAfterload"),
        QStringLiteral("IncreasedPreload"), QStringLiteral("IncreasedContractility")};
    LoopChangeRig rig(lesson);
    rig.start();
    rig.choose(1);
    const QString feedback = rig.feedback();
    for (int number = 1; number <= LoopChangeTopics::kCount; ++number) {
        rig.closePictureWindows();
        rig.pickTopic(number);
        const QString &expected = windows[number - 1];
        for (const QString &name : pictureWindows()) {
            QWidget *window = rig.window(name);
            QCOMPARE(window && window->isVisible(), name == expected);
        }
        QVERIFY(rig.text()->isVisible());
        QCOMPARE(rig.text()->toPlainText(), LoopChangeTopics::text(number));
        // Topics leave the questions alone.
        QCOMPARE(rig.counter(), 0);
        QCOMPARE(rig.feedback(), feedback);
        QCOMPARE(rig.choiceLines().size(), 6);
    }
}

void LoopChangeTopicTable::menuEntriesOpenTheLessons()
{
    Program program;
    program.start();
    QWidget *welcome = program.registry().find(QStringLiteral("Introduction"));
    QVERIFY(welcome);
    const std::pair<const char *, const char *> entries[]{{"mnuAfterload", "LoopChangesAfterload"},
        {"mnuPreload", "LoopChangesPreload"}, {"mnuContractility", "LoopChangesContractility"}};
    for (const auto &[entry, screen] : entries) {
        auto *action = welcome->findChild<QAction *>(QString::fromLatin1(entry));
        QVERIFY(action);
        action->trigger();
        settle();
        auto *lesson = qobject_cast<LessonScreen *>(program.registry().find(QString::fromLatin1(screen)));
        QVERIFY(lesson && lesson->isMaximized());
    }
    QVERIFY(welcome->isVisible());
}

QTEST_MAIN(LoopChangeTopicTable)
#include "tst_loopchangetopics.moc"
