#include "lesson/lessonscreen.h"

#include "diagrams/explore.h"
#include "diagrams/picturebox.h"
#include "ui/choicelist.h"
#include "ui/controls.h"
#include "ui/look.h"
#include "ui/screenregistry.h"
#include "ui/topictext.h"
#include "ui/zoom.h"

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

namespace valthera {

LessonScreen::LessonScreen(const LessonDefinition &lesson, ScreenRegistry &registry)
    : MenuWindow(registry, lesson.caption, lesson.layout.clientWidth, lesson.layout.clientHeight)
    , lesson_(lesson)
    , registry_(registry)
    , sequence_(lesson.questions, registry.counter(lesson.name))
{
    setObjectName(lesson.name);
    build();
    addExploreKeys(this, [this] { return pictureOnView(client()); });
    load();
}

void LessonScreen::build()
{
    const LessonLayout &layout = lesson_.layout;
    QWidget *client = this->client();
    instruction_ = look::makeLabel(client, QStringLiteral("Label3"), layout.instruction);
    look::styleDarkBox(instruction_);
    instruction_->setText(lesson_.instruction);

    topics_ = new ChoiceList(client);
    topics_->setObjectName(QStringLiteral("basicList1"));
    look::styleDarkBox(topics_);
    look::place(topics_, layout.topics);
    topics_->setAccessibleName(QStringLiteral("Topics"));
    topics_->setAccessibleDescription(lesson_.instruction);
    connect(topics_, &ChoiceList::chosen, this, &LessonScreen::selectTopic);

    text_ = new TopicText(client);
    text_->setObjectName(QStringLiteral("BasicAnswers1"));
    look::styleDarkBox(text_);
    look::place(text_, layout.text);
    text_->setReadOnly(!lesson_.textAcceptsTyping);
    text_->setAccessibleName(QStringLiteral("Topic text"));
    text_->hide();
    connect(text_, &TopicText::clicked, this, [this] {
        if (lesson_.clickHidesText)
            text_->hide();
    });
    if (lesson_.rerunTopicOnTextChange) {
        // A change made by the program runs the selection again at once (the
        // nested pass finds the text already in place and ends there). A change
        // typed by the student is undone after the edit has finished, before the
        // next key is handled, so the editor is never re-entered mid-keystroke.
        // The pass run by a change always brings the topic's picture window
        // forward, also for a topic whose own selection only makes it visible.
        connect(text_, &TopicText::changed, this, [this] {
            if (rerunDepth_ > 0)
                runTopic(topics_->currentRow(), true);
            else
                QMetaObject::invokeMethod(
                    this, [this] { runTopic(topics_->currentRow(), true); }, Qt::QueuedConnection);
        });
    }

    for (const PictureBoxDef &def : lesson_.boxes) {
        QWidget *parent = def.parent.isEmpty() ? client : boxes_.value(def.parent, nullptr);
        Q_ASSERT_X(parent, "LessonScreen", "a picture box names a container defined before it");
        auto *box = new PictureBox(def.picture, parent ? parent : client);
        box->setObjectName(def.name);
        look::place(box, def.place);
        box->setHidden(!def.visible);
        boxes_.insert(def.name, box);
    }

    for (const ButtonDef &def : lesson_.buttons) {
        QPushButton *button = look::makeButton(client, def.name, def.caption, def.place);
        button->setFont(look::sansSerif(def.pointSize));
        button->setAccessibleDescription(describeSteps(def.steps));
        connect(button, &QPushButton::clicked, this, [this, &def] { applySteps(def.steps); });
    }

    for (const LabelDef &def : layout.labels) {
        QLabel *label = look::makeLabel(client, def.name, def.place);
        look::styleBlueLabel(label);
        label->setFont(look::sansSerif(def.pointSize));
        look::setCaption(label, def.caption, def.autoSize);
    }

    QuestionPanelDesign panel;
    panel.choices = layout.choices;
    panel.choicesText = layout.choicesText;
    panel.feedback = layout.feedback;
    panel.feedbackAutoSize = layout.feedbackAutoSize;
    panel.start = {QStringLiteral("Command6"), layout.start};
    panel.next = {QStringLiteral("Command8"), layout.next};
    panel.reset = {QStringLiteral("Command7"), layout.reset};
    panel_.emplace(client, panel);
    connect(panel_->choices(), &ChoiceList::chosen, this, [this](int row) {
        sequence_.mark(row);
        showSequence(true);
    });
    connect(panel_->startButton(), &QPushButton::clicked, this, [this] {
        sequence_.start();
        showSequence();
    });
    connect(panel_->nextButton(), &QPushButton::clicked, this, &LessonScreen::onNext);
    connect(panel_->resetButton(), &QPushButton::clicked, this, [this] {
        sequence_.reset();
        showSequence();
    });

    look::orderTabsByPlace(client);

    sequence_.setDiagramStep([this] { applySteps(lesson_.questions.diagramStep); });
}

void LessonScreen::load()
{
    if (!lesson_.openAtLoad.isEmpty()) {
        if (lesson_.openAtLoadBringsForward)
            registry_.show(lesson_.openAtLoad);
        else
            registry_.makeVisible(lesson_.openAtLoad);
    }
    if (!lesson_.initialText.isEmpty()) {
        ++rerunDepth_;
        text_->setText(lesson_.initialText);
        --rerunDepth_;
    }
    QStringList entries{lesson_.heading};
    for (const TopicEntry &topic : lesson_.topics)
        entries.append(topic.caption);
    topics_->setLines(entries);
    topics_->setCurrentRow(-1);
    sequence_.load();
}

void LessonScreen::selectTopic(int index)
{
    runTopic(index, false);
}

void LessonScreen::runTopic(int index, bool fromTextChange)
{
    if (index < 1 || index > static_cast<int>(lesson_.topics.size()))
        return;
    const TopicEntry &topic = lesson_.topics[static_cast<size_t>(index - 1)];
    text_->show();
    applySteps(topic.diagramAction);
    if (!topic.pictureWindow.isEmpty()) {
        if (topic.bringWindowForward || fromTextChange)
            registry_.show(topic.pictureWindow);
        else
            registry_.makeVisible(topic.pictureWindow);
    }
    ++rerunDepth_;
    text_->setText(topic.paragraph);
    --rerunDepth_;
}

QString LessonScreen::describeSteps(const VisibilitySteps &steps) const
{
    // The box a button shows last is the one on view after it: name its picture.
    for (auto step = steps.crbegin(); step != steps.crend(); ++step) {
        if (!step->visible)
            continue;
        for (const PictureBoxDef &def : lesson_.boxes) {
            if (def.name == step->box)
                return QStringLiteral("Shows ") + pictureDescription(def.picture);
        }
    }
    return {};
}

void LessonScreen::applySteps(const VisibilitySteps &steps)
{
    for (const Visibility &step : steps) {
        if (PictureBox *target = boxes_.value(step.box, nullptr))
            target->setHidden(!step.visible);
    }
}

void LessonScreen::showSequence(bool marked)
{
    ChoiceList *choices = panel_->choices();
    if (choices->lines() != sequence_.lines())
        choices->setLines(sequence_.lines());
    if (sequence_.listVisible())
        choices->show();
    panel_->showFeedback(sequence_.feedback(), marked);
}

void LessonScreen::onNext()
{
    const auto outcome = sequence_.next();
    showSequence();
    if (outcome == QuestionSequence::NextOutcome::Completed)
        showCompletion();
}

void LessonScreen::showCompletion()
{
    QMessageBox box(QMessageBox::NoIcon, QuestionSequence::kCompletionTitle, QuestionSequence::kCompletionMessage,
        QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("CompletionMessage"));
    // A window of its own, so the zoom would not reach it through the lesson:
    // it follows the zoom itself, from the program's font.
    box.setFont(QApplication::font());
    look::followZoom(&box);
    box.exec();
}

} // namespace valthera
