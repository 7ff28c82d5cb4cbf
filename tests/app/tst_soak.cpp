// Opening and closing every screen over and over leaves nothing behind: no
// window, no timer, no object, and no memory beyond a small allowance.

#include "app/program.h"
#include "ui/screenregistry.h"
#include "support/testsupport.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QtTest>
#include <malloc.h>

using namespace valthera;

namespace {

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer holds freed memory back on purpose and is many times slower;
// it still finds every leak at exit, so fewer rounds do and memory is not weighed.
constexpr int kRounds = 60;
constexpr bool kWeighMemory = false;
#else
constexpr int kRounds = 1000;
constexpr bool kWeighMemory = true;
#endif
constexpr int kWarmUp = 30;
constexpr long kAllowanceKiB = 2 * 1024;

// Resident memory now, in KiB, after freed heap pages have gone back.
long residentKiB()
{
    malloc_trim(0);
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// The offscreen platform notes every raise() it cannot do; thousands of those
// would use up the test log's allowance of warnings.
QtMessageHandler passOn = nullptr;
void quietPlatform(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!message.startsWith(QLatin1String("This plugin does not support")))
        passOn(type, context, message);
}

struct Census {
    qsizetype windows = 0;
    qsizetype objects = 0;
    qsizetype timers = 0;

    static Census take()
    {
        Census census;
        const QWidgetList windows = QApplication::topLevelWidgets();
        census.windows = windows.size();
        census.objects = qApp->findChildren<QObject *>().size();
        QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
        census.timers = dispatcher->registeredTimers(qApp).size() + qApp->findChildren<QTimer *>().size();
        for (QWidget *window : windows) {
            census.objects += 1 + window->findChildren<QObject *>().size();
            census.timers += dispatcher->registeredTimers(window).size() + window->findChildren<QTimer *>().size();
        }
        return census;
    }
};

} // namespace

class SoakTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { passOn = qInstallMessageHandler(quietPlatform); }

    void everyScreenOpenedAndClosedOverAndOverLeavesNothing()
    {
        Program program;
        ScreenRegistry &registry = program.registry();
        program.start();
        testing::settle();
        QStringList names = registry.names();
        names.sort();
        names.removeAll(QStringLiteral("Introduction")); // it stays open, as the first window does

        auto round = [&] {
            for (const QString &name : names) {
                QVERIFY(registry.show(name));
                testing::settle();
            }
            // Load steps open picture windows too; every one of them goes.
            for (const QString &name : registry.names()) {
                if (name == QLatin1String("Introduction"))
                    continue;
                if (QWidget *window = registry.find(name))
                    window->close();
            }
            testing::settle();
            for (const QString &name : names)
                QVERIFY2(!registry.find(name), qPrintable(name + " stayed open"));
        };

        for (int i = 0; i < kWarmUp; ++i)
            round();
        const Census before = Census::take();
        const long residentBefore = residentKiB();

        for (int i = 0; i < kRounds; ++i) {
            round();
            if (QTest::currentTestFailed())
                return;
        }

        const Census after = Census::take();
        const long residentAfter = residentKiB();
        qInfo("%d rounds of %lld screens: resident %ld KiB -> %ld KiB; windows %lld -> %lld, objects %lld -> %lld, "
              "timers %lld -> %lld",
            kRounds, static_cast<long long>(names.size()), residentBefore, residentAfter,
            static_cast<long long>(before.windows), static_cast<long long>(after.windows),
            static_cast<long long>(before.objects), static_cast<long long>(after.objects),
            static_cast<long long>(before.timers), static_cast<long long>(after.timers));
        QCOMPARE(after.windows, before.windows);
        QCOMPARE(after.objects, before.objects);
        QCOMPARE(after.timers, before.timers);
        if (kWeighMemory)
            QVERIFY2(residentAfter - residentBefore <= kAllowanceKiB,
                qPrintable(QStringLiteral("resident memory grew by %1 KiB").arg(residentAfter - residentBefore)));
    }
};

QTEST_MAIN(SoakTest)
#include "tst_soak.moc"
