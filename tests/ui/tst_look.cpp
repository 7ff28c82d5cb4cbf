// The program's style hands the base style shared palettes so that alike
// controls share their cached pictures; what it draws must stay exactly what
// the base style draws, in every colour group.

#include "ui/look.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QSlider>
#include <QStyleFactory>
#include <QtTest>
#include <functional>
#include <memory>

using namespace valthera;

using Make = std::function<QWidget *()>;
Q_DECLARE_METATYPE(Make)

class LookTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        look::installApplicationLook();
        plain_.reset(QStyleFactory::create(QStringLiteral("Fusion")));
    }

    void controlsLookAsTheBaseStyleDrawsThem_data()
    {
        QTest::addColumn<Make>("make");
        QTest::addColumn<bool>("enabled");
        const std::pair<const char *, Make> controls[] = {
            {"slider",
                [] {
                    auto *s = new QSlider(Qt::Horizontal);
                    s->setValue(40);
                    return s;
                }},
            {"spin box",
                [] {
                    auto *s = new QDoubleSpinBox;
                    s->setSuffix(QStringLiteral(" mmHg"));
                    return s;
                }},
            {"button", [] { return new QPushButton(QStringLiteral("Baseline")); }},
            {"combo box",
                [] {
                    auto *c = new QComboBox;
                    c->addItem(QStringLiteral("Own settings"));
                    return c;
                }},
        };
        for (const auto &[name, make] : controls) {
            QTest::newRow(name) << make << true;
            QTest::addRow("%s, disabled", name) << make << false;
        }
    }
    void controlsLookAsTheBaseStyleDrawsThem()
    {
        QFETCH(Make, make);
        QFETCH(bool, enabled);
        // Colour groups that differ everywhere, so a control drawn in the
        // wrong one shows it.
        QPalette palette;
        palette.setColor(QPalette::Inactive, QPalette::Button, QColor(200, 230, 200));
        palette.setColor(QPalette::Disabled, QPalette::Button, QColor(230, 200, 200));
        palette.setColor(QPalette::Inactive, QPalette::Window, QColor(200, 200, 230));
        palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 0, 0));
        std::unique_ptr<QWidget> ours(make());
        std::unique_ptr<QWidget> base(make());
        base->setStyle(plain_.get());
        for (QWidget *w : {ours.get(), base.get()}) {
            w->setPalette(palette);
            w->setEnabled(enabled);
            w->resize(160, 30);
        }
        // Twice each: the second picture comes from the cache.
        for (int round = 0; round < 2; ++round)
            QCOMPARE(ours->grab().toImage(), base->grab().toImage());
    }

private:
    std::unique_ptr<QStyle> plain_;
};

QTEST_MAIN(LookTest)
#include "tst_look.moc"
