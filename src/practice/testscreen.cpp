#include "practice/testscreen.h"

#include "diagrams/picturebox.h"
#include "ui/choicelist.h"
#include "ui/controls.h"
#include "ui/look.h"
#include "ui/screenregistry.h"
#include "ui/topictext.h"

#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

namespace valthera {

namespace {

using look::Place;

// Design client area, twips.
constexpr int kClientWidth = 11160;
constexpr int kClientHeight = 8190;

constexpr Place kHeadingPlace{1800, 240, 3015, 375};
constexpr Place kTextPlace{1680, 720, 3255, 3615};
constexpr Place kBasicLoopPlace{5640, 120, 4695, 4215};
constexpr Place kInnerPicturePlace{0, 0, 4695, 4215};
constexpr Place kChoicesPlace{2160, 4560, 8055, 1470};
constexpr Place kFeedbackPlace{5850, 6120, 0, 0}; // grows to fit its caption
constexpr Place kStartPlace{3960, 6480, 1215, 615};
constexpr Place kNextPlace{5280, 6480, 1335, 615};
constexpr Place kResetPlace{6720, 6480, 1335, 615};

PictureBox *makePicture(QWidget *parent, const char *name, PictureId picture, const Place &place)
{
    auto *box = new PictureBox(picture, parent);
    box->setObjectName(QString::fromLatin1(name));
    look::place(box, place);
    box->hide();
    return box;
}

} // namespace

TestScreen::TestScreen(ScreenRegistry &registry)
    : MenuWindow(registry, QStringLiteral("Test"), kClientWidth, kClientHeight)
    , test_(registry.counter(QString::fromLatin1(kName)))
{
    setObjectName(QString::fromLatin1(kName));
    build();
    test_.load();
}

void TestScreen::build()
{
    QWidget *client = this->client();

    QLabel *heading = look::makeLabel(client, QStringLiteral("Label3"), kHeadingPlace);
    look::styleDarkBox(heading);
    heading->setText(QStringLiteral("Explanations of Answers"));

    // The explanations are the program's; the student reads them, not edits them.
    text_ = new TopicText(client);
    text_->setObjectName(QStringLiteral("Text"));
    look::styleDarkBox(text_);
    text_->setReadOnly(true);
    look::place(text_, kTextPlace);
    text_->setAccessibleName(QStringLiteral("Explanation of the answer"));

    // Boxes made later stack on top: the three-patient loops cover the afterload
    // comparison when both are up, and both are seen only inside the schematic's box.
    basicLoop_ = makePicture(client, "BasicLoop", PictureId::CycleSchematic, kBasicLoopPlace);
    afterload_ = makePicture(basicLoop_, "Afterload", PictureId::AfterloadComparison, kInnerPicturePlace);
    contractility_ = makePicture(basicLoop_, "Contractility", PictureId::ThreePatient, kInnerPicturePlace);

    QuestionPanelDesign panel;
    panel.choices = kChoicesPlace;
    // Text in the system's window colour: the white of a text box's background.
    panel.choicesText = QPalette::Base;
    panel.feedback = kFeedbackPlace;
    panel.feedbackAutoSize = true;
    panel.feedbackBeforeButtons = true;
    panel.start = {QStringLiteral("cmdStart"), kStartPlace};
    panel.next = {QStringLiteral("cmdNext"), kNextPlace};
    panel.reset = {QStringLiteral("cmdReset"), kResetPlace};
    panel_.emplace(client, panel);
    connect(panel_->choices(), &ChoiceList::chosen, this, [this](int row) {
        test_.mark(row);
        showState(false, true);
    });
    connect(panel_->startButton(), &QPushButton::clicked, this, [this] {
        test_.start();
        showState(true);
    });
    connect(panel_->nextButton(), &QPushButton::clicked, this, [this] {
        if (test_.next())
            showState(true);
    });
    connect(panel_->resetButton(), &QPushButton::clicked, this, [this] {
        test_.reset();
        showState(true);
    });
    look::orderTabsByPlace(client);
}

void TestScreen::showState(bool refill, bool marked)
{
    text_->setText(test_.explanation());
    panel_->showFeedback(test_.feedback(), marked);
    if (refill)
        panel_->choices()->setLines(test_.lines());
    panel_->choices()->setVisible(test_.listVisible());
    basicLoop_->setVisible(test_.basicLoopVisible());
    afterload_->setVisible(test_.afterloadVisible());
    contractility_->setVisible(test_.contractilityVisible());
}

} // namespace valthera
