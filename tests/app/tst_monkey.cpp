// Random student sessions over the whole program, checked after every action.
//
//   VALTHERA_MONKEY_SEED=7 VALTHERA_MONKEY_STEPS=200000 ./app_tst_monkey runs one long session;
//   VALTHERA_MONKEY_REPLAY=actions.txt ./app_tst_monkey replays the lines a failing run printed.

#include "app/program.h"
#include "ui/screenregistry.h"
#include "ui/choicelist.h"
#include "ui/zoom.h"
#include "support/monkey.h"
#include "support/testsupport.h"

#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QtTest>

using namespace valthera;
using namespace valthera::testing;

namespace {

QString runAndReport(Monkey &monkey, int steps)
{
    QElapsedTimer clock;
    clock.start();
    const QString fault = monkey.run(steps);
    const auto &done = monkey.performed();
    qInfo("%d steps in %.1f s, %d sessions, %d completion boxes answered; menu %d, click %d, row %d, key %d, "
          "type %d, press %d, close %d, switch %d, zoom %d",
        monkey.steps(), static_cast<double>(clock.elapsed()) / 1000.0, monkey.sessions(), monkey.boxesAnswered(),
        done[0], done[1], done[2], done[3], done[4], done[5], done[6], done[7], done[8]);
    QStringList highest;
    for (auto it = monkey.highestCounters().cbegin(); it != monkey.highestCounters().cend(); ++it)
        highest.append(QStringLiteral("%1 %2").arg(it.key()).arg(it.value()));
    qInfo("highest counters: %s", qPrintable(highest.join(QStringLiteral(", "))));
    return fault.isEmpty() ? fault : monkey.report(fault);
}

} // namespace

class MonkeyTest : public QObject {
    Q_OBJECT
private slots:
    void randomSessionsKeepEveryPromise_data()
    {
        QTest::addColumn<quint64>("seed");
        QTest::addColumn<int>("steps");
        const quint64 steps = monkeyEnvironment("STEPS", 0);
        if (steps > 0) {
            QTest::newRow("from the environment") << monkeyEnvironment("SEED", 1) << static_cast<int>(steps);
            return;
        }
        for (quint64 seed : {7u, 11u, 23u, 31u})
            QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed << 2500;
    }

    void randomSessionsKeepEveryPromise()
    {
        QFETCH(quint64, seed);
        QFETCH(int, steps);
        Monkey monkey(seed);
        const QString fault = runAndReport(monkey, steps);
        if (!fault.isEmpty())
            QFAIL(qPrintable(fault));
        QCOMPARE(monkey.steps(), steps);
        // A run that never reaches the far corners proves little: every kind of
        // action ran, and the lessons that end with a box were taken to the end.
        for (size_t kind = 0; kind + 1 < monkey.performed().size(); ++kind)
            QVERIFY2(monkey.performed()[kind] > 0, qPrintable(QStringLiteral("action kind %1 never ran").arg(kind)));
        QVERIFY(monkey.boxesAnswered() > 0);
    }

    void sameSeedSameSession()
    {
        auto session = [](quint64 seed) {
            Monkey monkey(seed);
            monkey.run(150);
            return monkey.report(QString());
        };
        QCOMPARE(session(5), session(5));
        QVERIFY(session(5) != session(6));
    }

    // The checks are worth something only if they see a broken program.
    void checksCatchBrokenState()
    {
        Monkey monkey(1);
        ScreenRegistry &registry = monkey.program().registry();
        QCOMPARE(monkey.checkNow(), QString());

        registry.counter("basics1") = 122;
        QVERIFY(monkey.checkNow().contains("counter 122 out of range"));
        registry.counter("basics1") = 0;

        // The lab's box and its session disagreeing.
        QWidget *lab = registry.show("LoopLab");
        settle();
        QCOMPARE(monkey.checkNow(), QString());
        auto *preload = lab->findChild<QDoubleSpinBox *>("spinPla");
        {
            const QSignalBlocker quiet(preload);
            preload->setValue(30);
        }
        QVERIFY(monkey.checkNow().contains("the lab's Pla box shows 30"));
        lab->close();
        settle();

        QWidget *lesson = registry.show("LoopChangesAfterload");
        settle();
        QCOMPARE(monkey.checkNow(), QString());
        auto *choices = lesson->findChild<ChoiceList *>("List2");
        choices->setLines({"1. not a question of this lesson", "a.", "b.", "c.", "d.", "e."});
        QVERIFY(monkey.checkNow().contains("LoopChangesAfterload shows"));
        choices->setLines({});
        // A control left behind by a zoom step.
        look::Zoom::instance().setPercent(150);
        QCOMPARE(monkey.checkNow(), QString());
        lesson->findChild<QWidget *>("Command6")->move(0, 0);
        QVERIFY(monkey.checkNow().contains("Command6 is not at its place at 150 %"));
        look::Zoom::instance().reset();
        for (QWidget *box : lesson->findChildren<QWidget *>()) {
            if (box->inherits("valthera::PictureBox"))
                box->hide();
        }
        QVERIFY(monkey.checkNow().contains("shows no picture"));

        // A second window under a screen's name.
        QWidget copy;
        copy.setObjectName("Glossary");
        QVERIFY(monkey.checkNow().contains("the registry does not know"));
    }

    void actionsReadBackFromTheirText()
    {
        const QStringList lines{"menu basics1 mnuTest", "click Test cmdNext", "row basics1 List2 3",
            "key LoopChangesPreload basicList1 PageDown", "press basics1 BasicAnswers1", "close IncreasedPreload",
            "switch Introduction", "zoom Test WheelOut", "zoom basics1 Reset", "restart"};
        for (const QString &line : lines) {
            const auto action = MonkeyAction::parse(line);
            QVERIFY2(action, qPrintable(line));
            QCOMPARE(action->text(), line);
        }
        MonkeyAction typing{MonkeyAction::Kind::Type, "LoopChangesPreload", "BasicAnswers1", "a b\b\r%"};
        QCOMPARE(MonkeyAction::parse(typing.text())->argument, typing.argument);
        QVERIFY(!MonkeyAction::parse("key basics1 List2 Escape"));
        QVERIFY(!MonkeyAction::parse("row basics1 List2"));
        QVERIFY(!MonkeyAction::parse("zoom basics1 Sideways"));
    }

    void replayFromFile()
    {
        const QString path = qEnvironmentVariable("VALTHERA_MONKEY_REPLAY");
        if (path.isEmpty())
            QSKIP("set VALTHERA_MONKEY_REPLAY to a file of printed actions");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QList<MonkeyAction> actions;
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (const auto action = MonkeyAction::parse(QString::fromUtf8(line)))
                actions.append(*action);
        }
        Monkey monkey(0);
        const QString fault = monkey.replay(actions);
        qInfo("%lld actions replayed, %d skipped (their window was not open)", static_cast<long long>(actions.size()),
            monkey.skipped());
        if (!fault.isEmpty())
            QFAIL(qPrintable(monkey.report(fault)));
    }
};

QTEST_MAIN(MonkeyTest)
#include "tst_monkey.moc"
