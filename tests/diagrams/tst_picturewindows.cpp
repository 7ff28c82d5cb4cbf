// The four picture windows: plain modeless windows with one chart, and the
// preload window that keeps putting itself back in its place.
#include "app/program.h"
#include "diagrams/picturebox.h"
#include "diagrams/picturewindows.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QMenuBar>
#include <QtTest>

using namespace valthera;

Q_DECLARE_METATYPE(valthera::PictureId)

class TestPictureWindows : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void windowsShowTheirChart_data();
    void windowsShowTheirChart();
    void preloadPlacesItself();
    void othersStayWhereMoved();

private:
    std::unique_ptr<ScreenRegistry> registry_;
};

void TestPictureWindows::init()
{
    registry_ = std::make_unique<ScreenRegistry>();
    registry_->setQuitHandler([] {});
    registerScreens(*registry_);
}

void TestPictureWindows::cleanup()
{
    registry_->endSession();
    testing::settle();
    registry_.reset();
}

void TestPictureWindows::windowsShowTheirChart_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<PictureId>("picture");
    QTest::addColumn<QString>("caption");
    QTest::newRow("afterload") << "IncreasedAfterload" << PictureId::IncreasedAfterload << "Increased Afterload";
    QTest::newRow("preload") << "IncreasedPreload" << PictureId::IncreasedPreload << "Increased Preload";
    QTest::newRow("contractility") << "IncreasedContractility" << PictureId::IncreasedContractility
                                   << "Increased Contractility";
    QTest::newRow("pip line") << "PipLine" << PictureId::PipLine << "PIP Line";
}

void TestPictureWindows::windowsShowTheirChart()
{
    QFETCH(QString, name);
    QFETCH(PictureId, picture);
    QFETCH(QString, caption);

    QVERIFY(registry_->knows(name));
    QWidget *window = registry_->show(name);
    QVERIFY(window);
    testing::settle();
    QCOMPARE(window->objectName(), name);
    QVERIFY(window->isWindow());
    QVERIFY(!window->parentWidget());
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowModality(), Qt::NonModal);
    QCOMPARE(window->windowTitle(), caption);
    QVERIFY(!window->findChild<QMenuBar *>());

    const auto boxes = window->findChildren<PictureBox *>();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first()->picture(), picture);
    QCOMPARE(boxes.first()->size(), window->size()); // the chart fills the window
    // About 393 x 307: the preload window's frame is exactly that, the others' client area.
    const QSize size = name == QStringLiteral("IncreasedPreload") ? window->frameGeometry().size() : window->size();
    QCOMPARE(size, QSize(393, 307));

    // Showing again finds the same window.
    QCOMPARE(registry_->show(name), window);
}

void TestPictureWindows::preloadPlacesItself()
{
    const QRect place(377, 280, 393, 307); // left 5655, top 4200, width 5895, height 4605 twips
    QWidget *preload = registry_->show(QStringLiteral("IncreasedPreload"));
    testing::settle();
    QCOMPARE(preload->frameGeometry(), place);
    auto *window = qobject_cast<PictureWindow *>(preload);
    QVERIFY(window);

    // Moved and resized by the student, it goes back when it becomes active again.
    QWidget *other = registry_->show(QStringLiteral("IncreasedAfterload"));
    testing::settle();
    preload->move(20, 30);
    preload->resize(200, 150);
    QCOMPARE(preload->frameGeometry().topLeft(), QPoint(20, 30));
    const int before = window->placements();
    QApplication::setActiveWindow(other);
    testing::settle();
    QApplication::setActiveWindow(preload);
    testing::settle();
    QVERIFY(window->placements() > before);
    QCOMPARE(preload->frameGeometry(), place);

    // The same through a show from the registry.
    preload->move(50, 60);
    preload->resize(100, 100);
    QApplication::setActiveWindow(other);
    testing::settle();
    registry_->show(QStringLiteral("IncreasedPreload"));
    QApplication::setActiveWindow(preload);
    testing::settle();
    QCOMPARE(preload->frameGeometry(), place);

    // Closed and shown again: built afresh, placed at creation.
    preload->close();
    testing::settle();
    QVERIFY(!registry_->find(QStringLiteral("IncreasedPreload")));
    QWidget *again = registry_->show(QStringLiteral("IncreasedPreload"));
    testing::settle();
    QCOMPARE(again->frameGeometry(), place);
}

void TestPictureWindows::othersStayWhereMoved()
{
    QWidget *afterload = registry_->show(QStringLiteral("IncreasedAfterload"));
    QWidget *pip = registry_->show(QStringLiteral("PipLine"));
    testing::settle();
    afterload->setGeometry(40, 50, 300, 200);
    QApplication::setActiveWindow(pip);
    testing::settle();
    QApplication::setActiveWindow(afterload);
    testing::settle();
    QCOMPARE(afterload->geometry(), QRect(40, 50, 300, 200));
    QCOMPARE(qobject_cast<PictureWindow *>(afterload)->placements(), 0);
}

QTEST_MAIN(TestPictureWindows)
#include "tst_picturewindows.moc"
