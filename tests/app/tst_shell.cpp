// The welcome screen, the section menu and the life of screens.

#include "app/program.h"
#include "app/sectionmenu.h"
#include "support/testsupport.h"
#include "ui/look.h"
#include "ui/menuwindow.h"
#include "ui/screenregistry.h"

#include <QAction>
#include <QApplication>
#include <QBackingStore>
#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QWindow>
#include <QtTest>

using namespace valthera;

class ShellTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        program_ = std::make_unique<Program>();
        program_->registry().setQuitHandler([this] { ++quits_; });
        quits_ = 0;
        program_->start();
        testing::settle();
    }
    void cleanup() { program_.reset(); }

    void welcomeScreenGreetsFromTopToBottom()
    {
        QWidget *welcome = program_->registry().find("Introduction");
        QVERIFY(welcome);
        QCOMPARE(welcome->windowTitle(), QString("Introduction"));
        QVERIFY(welcome->isVisible());
        QVERIFY(welcome->windowState() & Qt::WindowMaximized);
        QCOMPARE(QApplication::topLevelWidgets().size() > 0, true);

        const QStringList names{"Label1", "Label2", "Label3"};
        const QStringList texts{"Orvek Welcomes You To", "VALTHERA",
            "We recommend that you start your first session by visiting the instructions page"};
        int lastTop = -1;
        for (int i = 0; i < 3; ++i) {
            auto *label = testing::child<QLabel>(welcome, names[i]);
            QVERIFY(label);
            QCOMPARE(label->text(), texts[i]);
            QVERIFY(label->geometry().top() > lastTop);
            lastTop = label->geometry().top();
            QVERIFY(label->font().bold());
        }
        // The recommendation is longer than its label is wide: it wraps onto more lines.
        auto *recommendation = testing::child<QLabel>(welcome, "Label3");
        QVERIFY(recommendation->wordWrap());
        QCOMPARE(recommendation->geometry(), QRect(248, 376, 361, 57));
        QVERIFY(recommendation->heightForWidth(recommendation->width()) > recommendation->fontMetrics().height());
    }

    void everyMenuCarriesTheTenCommandsInOrder()
    {
        auto *welcome = qobject_cast<QMainWindow *>(program_->registry().find("Introduction"));
        const QList<QAction *> actions = welcome->menuBar()->actions();
        QCOMPARE(actions.size(), 10);
        const QStringList captions{"Instructions", "Loop Basics", "Relation to Cardiac Cycle", "Afterload Affects",
            "Preload Affects", "Contractility Affects", "Loop Lab", "Glossary/Formulas", "Test", "End Session"};
        const QStringList names{"mnuInstruct", "mnuBasics", "mnuRelationships", "mnuAfterload", "mnuPreload",
            "mnuContractility", "mnuLab", "mnuGlossary", "mnuTest", "mnuEnd"};
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(actions[i]->text(), captions[i]);
            QCOMPARE(actions[i]->objectName(), names[i]);
            QVERIFY(!actions[i]->menu()); // a command, not a drop-down
            QVERIFY(!actions[i]->text().contains('&'));
        }

        // Elsewhere the third command has its other name.
        MenuWindow other(program_->registry(), "other", 1500, 1500);
        QCOMPARE(other.menuBar()->actions().at(2)->objectName(), QString("mnuRelations"));
        // A restored window, however small its design, is wide enough for
        // every command, as far as its screen allows.
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        const int needed = other.menuBar()->sizeHint().width();
        const int screenWidth = other.screen()->availableGeometry().width();
        QVERIFY(other.width() >= std::min(needed, screenWidth));
        if (needed <= screenWidth) {
            const auto *overflow = other.menuBar()->findChild<QWidget *>(QStringLiteral("qt_menubar_ext_button"));
            QVERIFY(!overflow || !overflow->isVisible());
            for (QAction *action : other.menuBar()->actions())
                QVERIFY(other.menuBar()->rect().contains(other.menuBar()->actionGeometry(action)));
        }

        // The lab command opens the lab.
        welcome->findChild<QAction *>("mnuLab")->trigger();
        testing::settle();
        QWidget *lab = program_->registry().find("LoopLab");
        QVERIFY(lab && lab->isVisible());
        QCOMPARE(lab->windowTitle(), QString("Loop Lab"));
    }

    void showingCreatesOnceAndKeepsTheScreenBehind()
    {
        ScreenRegistry &registry = program_->registry();
        QWidget *welcome = registry.find("Introduction");
        auto *instruct = welcome->findChild<QAction *>("mnuInstruct");
        instruct->trigger();
        testing::settle();
        QPointer<QWidget> page = registry.find("Instructions");
        QVERIFY(page);
        QVERIFY(page->isVisible());
        QVERIFY(welcome->isVisible()); // still open behind
        QVERIFY(!page->parentWidget()); // its own top-level window
        QVERIFY(!page->isModal());

        // A second show finds the same window instead of making another.
        instruct->trigger();
        testing::settle();
        QCOMPARE(registry.find("Instructions"), page.data());
        int pages = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            pages += w->objectName() == "Instructions" && w->isVisible();
        QCOMPARE(pages, 1);

        // Closing removes the window; the next show builds it again.
        page->close();
        testing::settle();
        QVERIFY(!page);
        QVERIFY(!registry.find("Instructions"));
        QWidget *again = registry.show("Instructions");
        QVERIFY(again);
        QVERIFY(again->isVisible());
    }

    void countersOutliveTheirWindowAndUnknownSectionsDoNothing()
    {
        ScreenRegistry &registry = program_->registry();
        registry.counter("somewhere") = 42;
        QCOMPARE(registry.counter("somewhere"), qint16(42));
        QCOMPARE(registry.counter("elsewhere"), qint16(0));
        QVERIFY(!registry.show("NoSuchScreen"));
        QVERIFY(!registry.makeVisible("NoSuchScreen"));
    }

    void closingTheWelcomeScreenKeepsTheOthers()
    {
        ScreenRegistry &registry = program_->registry();
        registry.show("Glossary");
        QPointer<QWidget> welcome = registry.find("Introduction");
        welcome->close();
        testing::settle();
        QVERIFY(!welcome);
        QVERIFY(registry.find("Glossary")->isVisible());
        QCOMPARE(quits_, 0);
    }

    void endSessionClosesEveryWindowAtOnce()
    {
        ScreenRegistry &registry = program_->registry();
        registry.show("Instructions");
        registry.show("Glossary");
        QPointer<QWidget> welcome = registry.find("Introduction");
        welcome->findChild<QAction *>("mnuEnd")->trigger();
        testing::settle();
        QCOMPARE(quits_, 1);
        for (const char *name : {"Introduction", "Instructions", "Glossary"})
            QVERIFY(!registry.find(name) || !registry.find(name)->isVisible());
        QVERIFY(!welcome);
        // After the end nothing opens again.
        QVERIFY(!registry.show("Instructions"));
    }

    void programNamesItsDesktopEntry()
    {
        // Desktops match the running windows to the installed entry and icon by this name.
        QCOMPARE(QGuiApplication::desktopFileName(), QString("org.valthera.Valthera"));
    }

    void restoredLessonCannotShrinkBelowItsDesign()
    {
        auto *lesson = qobject_cast<MenuWindow *>(program_->registry().show("LoopChangesAfterload"));
        QVERIFY(lesson);
        lesson->showNormal();
        testing::settle();
        const QSize design = look::toPixels(11400, 9720);
        // At least the design: a control placed a little past it is held too.
        QVERIFY(lesson->client()->minimumWidth() >= design.width());
        QVERIFY(lesson->client()->minimumHeight() >= design.height());
        lesson->resize(200, 150);
        testing::settle();
        QVERIFY(lesson->client()->width() >= design.width());
        QVERIFY(lesson->client()->height() >= design.height());
    }

    void screenLeftForAnotherGivesBackItsImageAndDrawsItselfWholeWhenUncovered()
    {
        QWidget *welcome = program_->registry().find("Introduction");
        QWidget *instructions = program_->registry().show("Instructions");
        QTRY_VERIFY(instructions->isActiveWindow());
        QTRY_VERIFY(welcome->backingStore()->size().isEmpty());
        QCOMPARE(instructions->backingStore()->size(), instructions->size());

        QExposeEvent uncovered{QRegion(welcome->rect())};
        QCoreApplication::sendEvent(welcome->windowHandle(), &uncovered);
        QCOMPARE(welcome->backingStore()->size(), welcome->size());
        const QImage shown = welcome->screen()->grabWindow(welcome->winId()).toImage();
        QCOMPARE(shown.convertToFormat(QImage::Format_RGB32),
            welcome->grab().toImage().convertToFormat(QImage::Format_RGB32));
    }

    void factoryThatRegistersOthersLeavesTheRegistryWhole()
    {
        // Each add may rehash the table the running factory came from.
        ScreenRegistry registry;
        const QString title("Grower");
        registry.add("Grower", [title](ScreenRegistry &r) {
            for (int i = 0; i < 200; ++i)
                r.add(QString("Extra%1").arg(i), [](ScreenRegistry &) { return new QWidget; });
            auto *window = new QWidget;
            window->setWindowTitle(title);
            return window;
        });
        QWidget *grower = registry.show("Grower");
        QVERIFY(grower);
        QCOMPARE(grower->windowTitle(), title);
        QCOMPARE(registry.find("Grower"), grower);
        QCOMPARE(registry.names().size(), 201);
        QVERIFY(registry.show("Extra199"));
    }

private:
    std::unique_ptr<Program> program_;
    int quits_ = 0;
};

QTEST_MAIN(ShellTest)
#include "tst_shell.moc"
