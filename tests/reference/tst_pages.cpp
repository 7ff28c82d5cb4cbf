// The instructions and glossary pages: their lines, where they are printed, and
// that bringing a page forward again never prints a second copy.

#include "app/program.h"
#include "reference/referencepage.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QtTest>

using namespace valthera;

namespace {

// Rows of the image that hold any pixel in the text colour.
QVector<bool> inkRows(const QImage &image, const QColor &ink)
{
    QVector<bool> rows(image.height(), false);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width() && !rows[y]; ++x)
            rows[y] = image.pixelColor(x, y) == ink;
    return rows;
}

bool anyInk(const QVector<bool> &rows, int from, int to)
{
    for (int y = std::max(0, from); y < std::min<int>(rows.size(), to); ++y)
        if (rows[y])
            return true;
    return false;
}

// The leftmost column with ink between two rows.
int firstInkColumn(const QImage &image, const QColor &ink, int from, int to)
{
    for (int x = 0; x < image.width(); ++x)
        for (int y = from; y < to; ++y)
            if (image.pixelColor(x, y) == ink)
                return x;
    return -1;
}

} // namespace

class PagesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { program_ = std::make_unique<Program>(); }
    void cleanupTestCase() { program_.reset(); }

    void instructionsPage()
    {
        auto *page = qobject_cast<ReferencePage *>(program_->registry().show("Instructions"));
        QVERIFY(page);
        testing::settle();
        QCOMPARE(page->windowTitle(), QString("Instructions"));
        QCOMPARE(page->size(), QSize(629, 337));
        QCOMPARE(page->palette().color(QPalette::Window), QColor(0, 0, 192));
        QCOMPARE(page->lines().size(), 19);
        QCOMPARE(page->lines().at(0), QString(" "));
        QCOMPARE(page->lines().at(1), QString("  This interactive learning module consists of five major segments"));
        QCOMPARE(page->lines().at(7),
            QString("  In each segment you will be able to interactively vary loop parameters and will have "));
        QVERIFY(page->font().bold());
        QCOMPARE(page->font().pointSizeF(), 9.75);

        const QImage image = page->grab().toImage();
        const QColor ink = QApplication::palette().color(QPalette::HighlightedText);
        const QVector<bool> rows = inkRows(image, ink);
        const int h = page->lineHeight();
        // The first printed line is a single blank: the top line stays empty and
        // the text starts on the second line.
        QVERIFY(!anyInk(rows, 0, h));
        QVERIFY(anyInk(rows, h, 2 * h));
        QVERIFY(!anyInk(rows, 2 * h, 3 * h)); // line 3 is empty
        QVERIFY(anyInk(rows, 18 * h, 19 * h));
        QVERIFY(!anyInk(rows, 19 * h + 2, image.height()));
    }

    void glossaryPage()
    {
        auto *page = qobject_cast<ReferencePage *>(program_->registry().show("Glossary"));
        QVERIFY(page);
        testing::settle();
        QCOMPARE(page->windowTitle(), QString("Abbreviations-Definitions-Formulas"));
        QCOMPARE(page->size(), QSize(659, 540));
        QCOMPARE(page->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Button));
        QCOMPARE(page->lines().size(), 32);
        QCOMPARE(page->lines().first(),
            QString("EDV.........................  End Diastolic Volume = LV volume at the onset of systole"));
        QVERIFY(page->lines().last().startsWith("Systolic P ..........."));
        QVERIFY(page->lines().at(1).endsWith("systole "));

        // Dot leaders keep their own lengths; nothing pads them to one width.
        auto dots = [](const QString &line) {
            const int start = line.indexOf('.');
            int end = start;
            while (end < line.size() && line[end] == '.')
                ++end;
            return end - start;
        };
        QCOMPARE(dots(page->lines().at(0)), 25);
        QCOMPARE(dots(page->lines().at(7)), 7);
        QCOMPARE(dots(page->lines().at(25)), 17);
        QCOMPARE(page->lines().at(9).indexOf(QRegularExpression("\\S")), 33);

        const QImage image = page->grab().toImage();
        const QColor ink = QApplication::palette().color(QPalette::ButtonText);
        const QVector<bool> rows = inkRows(image, ink);
        const int h = page->lineHeight();
        QVERIFY(anyInk(rows, 0, h)); // the first line stands at the very top
        QVERIFY(firstInkColumn(image, ink, 0, h) <= 2); // and at the left edge
        QVERIFY(anyInk(rows, 31 * h, 32 * h));
        QVERIFY(!anyInk(rows, 32 * h + 2, image.height()));
    }

    void bringingAPageForwardAgainPrintsItOnce()
    {
        ScreenRegistry &registry = program_->registry();
        auto *page = qobject_cast<ReferencePage *>(registry.show("Instructions"));
        testing::settle();
        const QImage before = page->grab().toImage();
        for (int i = 0; i < 3; ++i) {
            registry.show("Glossary");
            testing::settle();
            registry.show("Instructions");
            testing::settle();
        }
        QCOMPARE(registry.find("Instructions"), page);
        QCOMPARE(page->grab().toImage(), before);
    }

private:
    std::unique_ptr<Program> program_;
};

QTEST_MAIN(PagesTest)
#include "tst_pages.moc"
