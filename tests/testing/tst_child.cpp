// A control a test looks for and does not find fails that test with the
// control's name, and the test program lives on to report it.

#include "support/testsupport.h"

#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

using namespace valthera;

namespace {

// Run in a child process: looks for a button the window lacks, then uses it.
class LooksForAMissingButton : public QObject {
    Q_OBJECT
private slots:
    void missingButton()
    {
        QWidget window;
        window.setObjectName("SomeWindow");
        QPushButton *button = testing::child<QPushButton>(&window, "cmdAbsent");
        button->click();
        QVERIFY(!button->isVisible());
    }
    void runsOn() { }
};

const char *const kChildFlag = "--look-for-missing";

} // namespace

class ChildTest : public QObject {
    Q_OBJECT
private slots:
    void missingControlFailsByNameWithoutACrash()
    {
        QProcess run;
        run.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kChildFlag)});
        QVERIFY(run.waitForFinished(60000));
        const QString output = QString::fromLocal8Bit(run.readAllStandardOutput());
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 1); // one failed test function
        QVERIFY2(output.contains("FAIL!  : LooksForAMissingButton::missingButton()"), qPrintable(output));
        QVERIFY2(output.contains("cmdAbsent") && output.contains("SomeWindow"), qPrintable(output));
        QVERIFY2(output.contains("PASS   : LooksForAMissingButton::runsOn()"), qPrintable(output));
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], kChildFlag) == 0) {
        LooksForAMissingButton inner;
        return QTest::qExec(&inner, 1, argv);
    }
    ChildTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_child.moc"
