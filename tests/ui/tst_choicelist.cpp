// The choice list under real mouse clicks: only the left button chooses, and
// it chooses the line clicked whatever modifier keys are held.

#include "ui/choicelist.h"

#include <QSignalSpy>
#include <QtTest>

using namespace valthera;

class ChoiceListTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        list_ = std::make_unique<ChoiceList>();
        list_->setLines({"question?", "a. one", "b. two", "c. three"});
        list_->resize(200, 120);
        list_->show();
        QVERIFY(QTest::qWaitForWindowExposed(list_.get()));
    }
    void cleanup() { list_.reset(); }

    void otherButtonsChangeNothing()
    {
        QSignalSpy chosen(list_.get(), &ChoiceList::chosen);
        const int current = list_->currentRow(); // the focus frame, on no chosen line
        click(2, Qt::RightButton);
        click(3, Qt::MiddleButton);
        QCOMPARE(chosen.count(), 0);
        QVERIFY(list_->selectedItems().isEmpty());
        QCOMPARE(list_->currentRow(), current);

        click(1);
        click(2, Qt::RightButton); // the chosen line stays the highlighted one
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(list_->currentRow(), 1);
        QCOMPARE(list_->selectedItems(), QList<QListWidgetItem *>{list_->item(1)});
    }

    void modifiersClickLikeAPlainClick()
    {
        QSignalSpy chosen(list_.get(), &ChoiceList::chosen);
        click(1);
        click(1, Qt::LeftButton, Qt::ControlModifier); // Ctrl on the chosen line keeps it chosen
        QCOMPARE(list_->selectedItems(), QList<QListWidgetItem *>{list_->item(1)});
        click(3, Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(list_->selectedItems(), QList<QListWidgetItem *>{list_->item(3)});
        QCOMPARE(chosen.count(), 3);
        QCOMPARE(chosen.at(1).first().toInt(), 1);
        QCOMPARE(chosen.at(2).first().toInt(), 3);
    }

private:
    void click(int row, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers keys = {})
    {
        const QPoint at = list_->visualItemRect(list_->item(row)).center();
        QTest::mouseClick(list_->viewport(), button, keys, at);
    }

    std::unique_ptr<ChoiceList> list_;
};

QTEST_MAIN(ChoiceListTest)
#include "tst_choicelist.moc"
