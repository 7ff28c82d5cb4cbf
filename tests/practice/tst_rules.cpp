// The practice test's rules and content without a window.

#include "diagrams/schematicgeometry.h"
#include "practice/practicetest.h"
#include "practice/testbank.h"

#include <QRegularExpression>
#include <QTest>

using namespace valthera;

namespace {

// The text of question's correct line, without its letter.
QString correctChoice(int question)
{
    const TestPage &page = testcontent::page(question);
    return page[static_cast<size_t>(testcontent::key(question).line)].mid(2).trimmed();
}

} // namespace

class RulesTest : public QObject {
    Q_OBJECT

private slots:
    void keysByCounter()
    {
        const QList<int> expected{1, 5, 2, 4, 4, 5, 2, 4, 2, 4, 3, 5, 3, 1, 3, 5, 4, 1, 5, 5};
        for (int question = 1; question <= 20; ++question) {
            const auto entry = TestAnswerKey::lookup(6 * (question - 1));
            QVERIFY(entry);
            QCOMPARE(entry->line, expected.at(question - 1));
            QCOMPARE(entry->explanation.isEmpty(), question == 19);
            if (question != 19)
                QVERIFY(entry->explanation.startsWith(QStringLiteral("Correct!")));
        }
        for (int counter : {-6, 1, 5, 7, 115, 120, 144, 150, 32766})
            QVERIFY2(!TestAnswerKey::lookup(counter), qPrintable(QString::number(counter)));
    }

    void keysAgreeWithCycleSchematic()
    {
        const SchematicLoopValues &loop = kCycleSchematicValues;
        QCOMPARE(correctChoice(7).toDouble(), loop.strokeVolume());
        const QStringList fraction = correctChoice(8).split(QLatin1Char('/'));
        QCOMPARE(fraction.size(), 2);
        QCOMPARE(fraction[0].toDouble() / fraction[1].toDouble(), loop.ejectionFraction());
        QCOMPARE(correctChoice(10).toDouble(), loop.peakPressure);
        // The worked figures in the explanations are the schematic's too.
        QVERIFY(testcontent::key(7).explanation.contains(
            QStringLiteral("%1 - %2 = %3 ml").arg(loop.edv).arg(loop.esv).arg(loop.strokeVolume())));
        QVERIFY(testcontent::key(8).explanation.contains(
            QStringLiteral("%1/%2 = 2/3").arg(loop.strokeVolume()).arg(loop.edv)));
    }

    void mitralValveClosesAgainstLeftAtrium()
    {
        const QString text = testcontent::key(1).explanation;
        QVERIFY(text.contains(QStringLiteral("left atrium")));
        QVERIFY(!text.contains(QStringLiteral("right atri")));
    }

    void everyQuestionNumbersItselfAndLettersItsChoices()
    {
        for (int number = 1; number <= testcontent::kPages; ++number) {
            const TestPage &page = testcontent::page(number);
            QVERIFY(page[0].startsWith(QString::number(number) + QStringLiteral(". ")));
            for (int line = 1; line <= 5; ++line)
                QVERIFY(page[static_cast<size_t>(line)].startsWith(QString(QChar(u'a' + line - 1)) + u'.'));
        }
    }

    void bankHoldsPagesTwoToTwentyFive()
    {
        TestBank bank;
        bank.fill(testcontent::bankText());
        QCOMPARE(bank.at(0), QString());
        QCOMPARE(bank.at(1), testcontent::page(2)[0]);
        QCOMPARE(bank.at(144), testcontent::page(25)[5]);
        for (int slot : {145, 150, 151, -1})
            QCOMPARE(bank.at(slot), QString());
    }

    void pictureThresholdsAndBlankPage()
    {
        qint16 counter = 0;
        PracticeTest test(counter);
        test.load();
        test.start();
        QCOMPARE(test.pictureSeen(), PracticeTest::Picture::BasicLoop);
        for (int page = 2; page <= 26; ++page) {
            QVERIFY(test.next());
            const auto expected = page >= 16 ? PracticeTest::Picture::Contractility
                : page >= 11                 ? PracticeTest::Picture::Afterload
                                             : PracticeTest::Picture::BasicLoop;
            QCOMPARE(test.pictureSeen(), expected);
        }
        QCOMPARE(counter, qint16(150));
        QVERIFY(!test.next());
        QCOMPARE(counter, qint16(150));
        test.reset();
        QCOMPARE(test.pictureSeen(), PracticeTest::Picture::BasicLoop);
        QVERIFY(!test.afterloadVisible() && !test.contractilityVisible());
    }
};

QTEST_MAIN(RulesTest)
#include "tst_rules.moc"
