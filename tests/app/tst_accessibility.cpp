// What assistive technology is told about every screen: windows, controls and
// pictures carry names, painted pages expose their text, and each marking of
// an answer is announced.

#include "ui/controls.h"
#include "app/program.h"
#include "ui/screenregistry.h"
#include "diagrams/picturebox.h"
#include "lesson/lessonscreen.h"
#include "lesson/questionsequence.h"
#include "reference/referencepage.h"
#include "support/accessibilityevents.h"
#include "support/testsupport.h"

#include <QAccessible>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

using namespace valthera;

namespace {

// Every visible control below iface that a user can reach or read, with the
// interfaces that merely group other controls left out.
void collectControls(QAccessibleInterface *iface, QList<QAccessibleInterface *> &out)
{
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface *child = iface->child(i);
        if (!child || child->state().invisible)
            continue;
        switch (child->role()) {
        case QAccessible::Client:
        case QAccessible::Pane:
        case QAccessible::Grouping:
        case QAccessible::ScrollBar:
        case QAccessible::Separator:
            break;
        default:
            out.append(child);
        }
        // List rows are reported through their list.
        if (child->role() != QAccessible::List)
            collectControls(child, out);
    }
}

QString describe(QAccessibleInterface *iface)
{
    return QStringLiteral("%1 (role %2)")
        .arg(iface->object() ? iface->object()->objectName() : QStringLiteral("?"))
        .arg(int(iface->role()));
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        program_ = std::make_unique<Program>();
        program_->registry().setQuitHandler([] {});
        heard_ = std::make_unique<testing::AccessibilityEvents>();
    }
    void cleanup()
    {
        heard_.reset();
        testing::endProgram(program_);
    }

    void everyScreenAndControlHasAName()
    {
        ScreenRegistry &registry = program_->registry();
        QStringList unnamed;
        for (const QString &name : registry.names()) {
            QWidget *window = registry.show(name);
            QVERIFY(window);
            testing::settle();
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(window);
            QVERIFY(iface);
            // Screen readers announce a window by its caption.
            QCOMPARE(iface->role(), QAccessible::Window);
            QCOMPARE(iface->text(QAccessible::Name), window->windowTitle());
            QVERIFY(!window->windowTitle().isEmpty());

            QList<QAccessibleInterface *> controls;
            collectControls(iface, controls);
            for (QAccessibleInterface *control : controls) {
                // A blank feedback label has nothing to say yet.
                auto *label = qobject_cast<QLabel *>(control->object());
                if (label && label->text().trimmed().isEmpty())
                    continue;
                if (control->text(QAccessible::Name).trimmed().isEmpty())
                    unnamed.append(name + QLatin1Char('/') + describe(control));
            }
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
    }

    void lessonControlsReadAsWhatTheyAre()
    {
        auto *lesson = qobject_cast<LessonScreen *>(program_->registry().show(QStringLiteral("LoopChangesAfterload")));
        QVERIFY(lesson);
        const auto nameOf = [](QWidget *widget) {
            return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
        };
        const auto roleOf = [](QWidget *widget) { return QAccessible::queryAccessibleInterface(widget)->role(); };

        auto *topics = testing::child<QListWidget>(lesson, "basicList1");
        QCOMPARE(nameOf(topics), QString("Topics"));
        QCOMPARE(roleOf(topics), QAccessible::List);
        // The instruction above the list is its description, read when it takes focus.
        QCOMPARE(QAccessible::queryAccessibleInterface(topics)->text(QAccessible::Description),
            QString("Click on topic to see related graphic"));
        QCOMPARE(nameOf(testing::child<QListWidget>(lesson, "List2")), QString("Question choices"));

        // The topic text is readable through the text interface once a topic is chosen.
        testing::clickRow(topics, 1);
        QWidget *text = testing::child<QWidget>(lesson, "BasicAnswers1");
        QCOMPARE(nameOf(text), QString("Topic text"));
        QAccessibleTextInterface *reader = QAccessible::queryAccessibleInterface(text)->textInterface();
        QVERIFY(reader);
        QCOMPARE(reader->text(0, reader->characterCount()), lesson->lesson().topics.at(0).paragraph);

        // Buttons are named by their captions and say which chart they bring up.
        auto *start = testing::child<QPushButton>(lesson, "Command6");
        QCOMPARE(roleOf(start), QAccessible::Button);
        QCOMPARE(nameOf(start), QString("Start Questions"));
        auto *hundred = testing::child<QPushButton>(lesson, "cmdAfterLoad100");
        QCOMPARE(nameOf(hundred), QString("100 mmHg"));
        QCOMPARE(QAccessible::queryAccessibleInterface(hundred)->text(QAccessible::Description),
            QString("Shows Chart: Afterload = 100 mmHg"));

        // Pictures are graphics named by their chart.
        for (PictureBox *box : lesson->findChildren<PictureBox *>()) {
            QCOMPARE(roleOf(box), QAccessible::Graphic);
            QCOMPARE(nameOf(box), pictureDescription(box->picture()));
        }
        QVERIFY(lesson->findChildren<PictureBox *>().size() >= 3);

        // The menu commands keep their captions.
        QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(lesson->menuBar());
        QCOMPARE(bar->childCount(), 10);
        QCOMPARE(bar->child(3)->text(QAccessible::Name), QString("Afterload Affects"));
        QCOMPARE(bar->child(6)->text(QAccessible::Name), QString("Loop Lab"));
        QCOMPARE(bar->child(9)->text(QAccessible::Name), QString("End Session"));
    }

    void pictureWindowsAndSchematicsAreNamed()
    {
        QWidget *window = program_->registry().show(QStringLiteral("PipLine"));
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(window);
        QCOMPARE(iface->role(), QAccessible::Window);
        QCOMPARE(iface->text(QAccessible::Name), QString("PIP Line"));
        auto *box = window->findChild<PictureBox *>();
        QCOMPARE(QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name), QString("Chart: PIP Line"));

        QWidget *lesson = program_->registry().show(QStringLiteral("CardiacCycleRelationships"));
        bool schematic = false;
        for (PictureBox *each : lesson->findChildren<PictureBox *>()) {
            if (each->picture() == PictureId::CycleSchematic || each->picture() == PictureId::LabelledCycleSchematic) {
                const QString name = QAccessible::queryAccessibleInterface(each)->text(QAccessible::Name);
                QVERIFY2(!name.isEmpty() && !name.startsWith(QLatin1String("Chart: ")), qPrintable(name));
                schematic = true;
            }
        }
        QVERIFY(schematic);
    }

    void referencePagesExposeTheirPrintedLines_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("title");
        QTest::newRow("instructions") << "Instructions"
                                      << "Instructions";
        QTest::newRow("glossary") << "Glossary"
                                  << "Abbreviations-Definitions-Formulas";
    }
    void referencePagesExposeTheirPrintedLines()
    {
        QFETCH(QString, screen);
        QFETCH(QString, title);
        auto *page = qobject_cast<ReferencePage *>(program_->registry().show(screen));
        QVERIFY(page);
        testing::settle();
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(page);
        QCOMPARE(iface->role(), QAccessible::Window);
        QCOMPARE(iface->text(QAccessible::Name), title);
        QCOMPARE(iface->text(QAccessible::Description), page->lines().join('\n'));

        QAccessibleTextInterface *text = iface->textInterface();
        QVERIFY(text);
        const QString all = page->lines().join('\n');
        QCOMPARE(text->characterCount(), int(all.size()));
        QCOMPARE(text->text(0, text->characterCount()), all);
        QCOMPARE(text->text(-5, 3), all.left(3));
        QCOMPARE(text->text(all.size() - 2, all.size() + 10), all.right(2));
        QCOMPARE(text->selectionCount(), 0);

        // Each character is found where it is printed, and back: the third
        // character of the second line lies in that line's band on screen.
        const int offset = int(page->lines().at(0).size()) + 1 + 2;
        const QRect place = text->characterRect(offset);
        QVERIFY(place.isValid());
        const QPoint origin = page->mapToGlobal(QPoint(0, 0));
        QCOMPARE(place.top() - origin.y(), page->lineTop(1));
        QCOMPARE(place.height(), page->lineHeight());
        QCOMPARE(text->offsetAtPoint(place.center()), offset);
        // Later on a line lies further right.
        QVERIFY(text->characterRect(offset + 5).left() > place.left());
        QCOMPARE(text->offsetAtPoint(origin + QPoint(2, page->lineTop(page->lines().size()) + 4)), -1);
        QCOMPARE(text->characterRect(all.size() + 3), QRect());
    }

    void feedbackIsAnnouncedAtEveryMarking()
    {
        auto *lesson = qobject_cast<LessonScreen *>(program_->registry().show(QStringLiteral("basics1")));
        QVERIFY(lesson);
        auto *feedback = testing::child<QLabel>(lesson, "Label1");
        auto *choices = testing::child<QListWidget>(lesson, "List2");
        const auto alertsFor = [this, feedback] { return heard_->announcements(feedback); };
        testing::click(testing::child<QPushButton>(lesson, "Command6"));
        QVERIFY(alertsFor().isEmpty());

        const int key = lesson->lesson().questions.key.at(0);
        const int wrong = key == 1 ? 2 : 1;
        const int otherWrong = key == 3 ? 4 : 3;
        testing::keyToRow(choices, wrong);
        testing::clickRow(choices, otherWrong); // the label stays "TRY AGAIN" …
        testing::clickRow(choices, key);
        // … yet each marking is heard, with the label's text as the spoken name.
        QCOMPARE(alertsFor(),
            (QStringList{QuestionSequence::kTryAgain, QuestionSequence::kTryAgain, QuestionSequence::kCorrect}));

        // Moving on blanks the label; the blank is passed on, so nothing stale is read.
        heard_->clear();
        testing::click(testing::child<QPushButton>(lesson, "Command8"));
        QCOMPARE(feedback->text(), QuestionSequence::kCleared);
        QCOMPARE(alertsFor(), QStringList{QuestionSequence::kCleared});
    }

    void testScreenAnnouncesItsMarkingsToo()
    {
        QWidget *test = program_->registry().show(QStringLiteral("Test"));
        auto *feedback = testing::child<QLabel>(test, "Label1");
        testing::click(testing::child<QPushButton>(test, "cmdStart"));
        heard_->clear();
        auto *choices = testing::child<QListWidget>(test, "List2");
        for (int row = 1; row <= 5; ++row)
            testing::clickRow(choices, row);
        const QStringList said = heard_->announcements(feedback);
        QCOMPARE(said.size(), 5);
        for (const QString &text : said)
            QVERIFY(!text.isEmpty());
        // The alerts are the feedback label's alone.
        for (const auto &event : heard_->events())
            QVERIFY(event.type != QAccessible::Alert || event.object == feedback);
        QCOMPARE(QAccessible::queryAccessibleInterface(test->findChild<QWidget *>("Text"))->text(QAccessible::Name),
            QString("Explanation of the answer"));
    }

private:
    std::unique_ptr<Program> program_;
    std::unique_ptr<testing::AccessibilityEvents> heard_;
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
