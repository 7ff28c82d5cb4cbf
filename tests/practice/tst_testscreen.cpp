// The practice test taken through its window with real clicks and keys.

#include "app/program.h"
#include "ui/screenregistry.h"
#include "diagrams/picturebox.h"
#include "practice/testbank.h"
#include "practice/testscreen.h"
#include "support/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <memory>

using namespace valthera;
using namespace valthera::testing;

namespace {

QStringList pageLines(int number)
{
    QStringList result;
    for (const QString &line : testcontent::page(number))
        result.append(line);
    return result;
}

} // namespace

class TestScreenTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScreenRegistry> registry_;
    QWidget *window_ = nullptr;

    QWidget *open()
    {
        window_ = registry_->show(QStringLiteral("Test"));
        settle();
        return window_;
    }
    QListWidget *list() { return child<QListWidget>(window_, QStringLiteral("List2")); }
    QString feedback() { return child<QLabel>(window_, QStringLiteral("Label1"))->text(); }
    QString explanation() { return child<QPlainTextEdit>(window_, QStringLiteral("Text"))->toPlainText(); }
    qint16 counter() { return registry_->counter(QStringLiteral("Test")); }
    void press(const char *button) { click(child<QPushButton>(window_, QString::fromLatin1(button))); }

    // The name of the picture the student sees in the picture area, "" if none.
    QString pictureSeen()
    {
        auto *area = child<QWidget>(window_, QStringLiteral("BasicLoop"));
        auto *client = area->parentWidget();
        QWidget *seen = client->childAt(area->geometry().center());
        return qobject_cast<PictureBox *>(seen) ? seen->objectName() : QString();
    }

private slots:
    void init()
    {
        registry_ = std::make_unique<ScreenRegistry>();
        registry_->setQuitHandler([] {});
        registerScreens(*registry_);
        QVERIFY(open());
    }
    void cleanup()
    {
        registry_.reset();
        window_ = nullptr;
    }

    void freshScreenShowsNoQuestionOrPicture()
    {
        QCOMPARE(window_->windowTitle(), QStringLiteral("Test"));
        QVERIFY(window_->isMaximized());
        QVERIFY(window_->findChild<QMenuBar *>()->findChild<QAction *>(QStringLiteral("mnuTest")));
        QCOMPARE(child<QLabel>(window_, QStringLiteral("Label3"))->text(), QStringLiteral("Explanations of Answers"));
        QVERIFY(list()->isHidden());
        QCOMPARE(list()->count(), 0);
        QCOMPARE(pictureSeen(), QString());
        QCOMPARE(explanation(), QString());
        QCOMPARE(feedback(), QString());
        // The later pictures lie inside the schematic's box and cover it exactly.
        auto *basicLoop = child<QWidget>(window_, QStringLiteral("BasicLoop"));
        for (const char *inner : {"Afterload", "Contractility"}) {
            auto *box = child<QWidget>(window_, QString::fromLatin1(inner));
            QCOMPARE(box->parentWidget(), basicLoop);
            QCOMPARE(box->geometry(), basicLoop->rect());
        }
    }

    void wholeTestEndToEnd()
    {
        press("cmdStart");
        clickRow(list(), 4);
        press("cmdStart");
        QVERIFY(list()->isVisible());
        QCOMPARE(lines(list()), pageLines(1));
        QCOMPARE(pictureSeen(), QStringLiteral("BasicLoop"));
        QCOMPARE(feedback(), QStringLiteral("TRY AGAIN")); // Start leaves the feedback alone

        // Question 1 keeps its explanation up after a wrong line.
        clickRow(list(), 1);
        QCOMPARE(feedback(), QStringLiteral("CORRECT!"));
        QCOMPARE(explanation(), testcontent::key(1).explanation);
        clickRow(list(), 3);
        QCOMPARE(feedback(), QStringLiteral("TRY AGAIN"));
        QCOMPARE(explanation(), testcontent::key(1).explanation);

        for (int question = 2; question <= testcontent::kQuestions; ++question) {
            press("cmdNext");
            const TestKeyEntry &key = testcontent::key(question);
            QCOMPARE(counter(), 6 * (question - 1));
            QCOMPARE(lines(list()), pageLines(question));
            QCOMPARE(feedback(), QStringLiteral(" "));
            QCOMPARE(explanation(), QString());
            const char *expected = question >= 16 ? "Contractility" : question >= 11 ? "Afterload" : "BasicLoop";
            QCOMPARE(pictureSeen(), QString::fromLatin1(expected));

            clickRow(list(), key.line);
            QCOMPARE(feedback(), QStringLiteral("CORRECT!"));
            QCOMPARE(explanation(), key.explanation);
            // A wrong line (by keyboard on even questions) empties the box again.
            const int wrong = key.line % 5 + 1;
            if (question % 2 == 0)
                keyToRow(list(), wrong);
            else
                clickRow(list(), wrong);
            QCOMPARE(feedback(), QStringLiteral("TRY AGAIN"));
            QCOMPARE(explanation(), QString());
            clickRow(list(), 0);
            QCOMPARE(feedback(), QStringLiteral("TRY AGAIN"));
        }

        // Closing pages and the blank page: nothing marks.
        clickRow(list(), testcontent::key(20).line);
        for (int page = 21; page <= 26; ++page) {
            press("cmdNext");
            QCOMPARE(counter(), 6 * (page - 1));
            QCOMPARE(lines(list()), page <= 25 ? pageLines(page) : QStringList(6, QString()));
            for (int row = 0; row < 6; ++row) {
                clickRow(list(), row);
                QCOMPARE(feedback(), QStringLiteral(" "));
                QCOMPARE(explanation(), QString());
            }
            QCOMPARE(pictureSeen(), QStringLiteral("Contractility"));
        }
        QCOMPARE(lines(list()).first(), QString());

        // The blank page is the last: a further Next stays where it is.
        list()->setCurrentRow(2);
        press("cmdNext");
        press("cmdNext");
        QCOMPARE(counter(), 150);
        QCOMPARE(lines(list()), QStringList(6, QString()));
        QCOMPARE(list()->currentRow(), 2); // not refilled
    }

    void startOnLateQuestionKeepsPictureUntilReset()
    {
        press("cmdStart");
        for (int i = 0; i < 16; ++i)
            press("cmdNext");
        QCOMPARE(lines(list()).first(), pageLines(17).first());
        clickRow(list(), 2);
        press("cmdStart");
        QCOMPARE(counter(), 0);
        QCOMPARE(lines(list()), pageLines(1));
        QCOMPARE(pictureSeen(), QStringLiteral("Contractility"));
        QCOMPARE(feedback(), QStringLiteral("TRY AGAIN"));
        clickRow(list(), 1);
        QCOMPARE(explanation(), testcontent::key(1).explanation);

        press("cmdReset");
        QCOMPARE(counter(), 0);
        QVERIFY(list()->isVisible());
        QCOMPARE(list()->count(), 0);
        QCOMPARE(explanation(), QString());
        QCOMPARE(feedback(), QStringLiteral("CORRECT!"));
        QCOMPARE(pictureSeen(), QStringLiteral("BasicLoop"));

        press("cmdNext"); // Reset leads on to question 2, not 1
        QCOMPARE(lines(list()), pageLines(2));
        QCOMPARE(pictureSeen(), QStringLiteral("BasicLoop"));
    }

    void nextBeforeStartFillsHiddenList()
    {
        press("cmdNext");
        QVERIFY(list()->isHidden());
        QCOMPARE(lines(list()), pageLines(2));
        QCOMPARE(pictureSeen(), QString());
        press("cmdStart");
        QVERIFY(list()->isVisible());
        QCOMPARE(lines(list()), pageLines(1));
    }

    void reopeningRebuildsControlsAndKeepsCounter()
    {
        press("cmdStart");
        for (int i = 0; i < 11; ++i)
            press("cmdNext");
        QCOMPARE(counter(), 66);
        QPointer<QWidget> old = window_;
        window_->close();
        settle();
        QVERIFY(old.isNull());

        open();
        QVERIFY(window_);
        QVERIFY(list()->isHidden());
        QCOMPARE(list()->count(), 0);
        QCOMPARE(pictureSeen(), QString());
        QCOMPARE(feedback(), QString());
        QCOMPARE(counter(), 66);
        // The bank is loaded again: Next reads on from where the counter stands.
        press("cmdNext");
        QCOMPARE(lines(list()), pageLines(13));
        press("cmdStart");
        QCOMPARE(lines(list()), pageLines(1));
        QCOMPARE(pictureSeen(), QStringLiteral("Afterload"));
    }
};

QTEST_MAIN(TestScreenTest)
#include "tst_testscreen.moc"
