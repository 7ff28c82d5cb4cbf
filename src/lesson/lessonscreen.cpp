#include "lesson/lessonscreen.h"

#include "ui/controls.h"
#include "ui/look.h"
#include "ui/screenregistry.h"
#include "diagrams/picturebox.h"
#include "ui/choicelist.h"
#include "ui/topictext.h"

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

    choices_ = new ChoiceList(client);
    choices_->setObjectName(QStringLiteral("List2"));
    look::styleDarkBox(choices_, layout.choicesText);
    look::place(choices_, layout.choices);
    choices_->setAccessibleName(QStringLiteral("Question choices"));
    choices_->hide();
    connect(choices_, &ChoiceList::chosen, this, [this](int row) {
        sequence_.mark(row);
        showSequence(true);
    });

    start_ = look::makeButton(
        client, QStringLiteral("Command6"), QStringLiteral("Start Questions"), layout.start, look::startGreen());
    next_ = look::makeButton(
        client, QStringLiteral("Command8"), QStringLiteral("Next Question"), layout.next, look::nextYellow());
    reset_ = look::makeButton(client, QStringLiteral("Command7"), QStringLiteral("Reset Questions"), layout.reset);
    look::describeQuestionButtons(start_, next_, reset_);
    connect(start_, &QPushButton::clicked, this, [this] {
        sequence_.start();
        showSequence();
    });
    connect(next_, &QPushButton::clicked, this, &LessonScreen::onNext);
    connect(reset_, &QPushButton::clicked, this, [this] {
        sequence_.reset();
        showSequence();
    });

    feedback_ = look::makeLabel(client, QStringLiteral("Label1"), layout.feedback);
    look::styleBlueLabel(feedback_);
    feedback_->setWordWrap(false);
    feedback_->setAccessibleDescription(QStringLiteral("Answer feedback"));

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

PictureBox *LessonScreen::box(const QString &name) const
{
    return boxes_.value(name, nullptr);
}

PictureBox *LessonScreen::boxOnView() const
{
    // Children stack in creation order, the last on top; a box shows only while
    // every box around it is shown, and the innermost shown box covers the rest.
    auto topmostShown = [](const QWidget *parent) -> PictureBox * {
        const QObjectList &children = parent->children();
        for (auto it = children.crbegin(); it != children.crend(); ++it) {
            auto *candidate = qobject_cast<PictureBox *>(*it);
            if (candidate && !candidate->isHidden())
                return candidate;
        }
        return nullptr;
    };
    PictureBox *seen = topmostShown(client());
    while (seen) {
        PictureBox *inner = topmostShown(seen);
        if (!inner)
            break;
        seen = inner;
    }
    return seen;
}

void LessonScreen::showSequence(bool marked)
{
    if (choices_->lines() != sequence_.lines())
        choices_->setLines(sequence_.lines());
    if (sequence_.listVisible())
        choices_->show();
    // Every marking is spoken, also a second "TRY AGAIN" in a row: the label
    // does not change then, but a listener would otherwise hear nothing.
    const bool changed = feedback_->text() != sequence_.feedback();
    if (changed)
        look::setCaption(feedback_, sequence_.feedback(), lesson_.layout.feedbackAutoSize);
    if (changed || (marked && !feedback_->text().isEmpty()))
        look::announce(feedback_);
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
    box.exec();
}

} // namespace valthera
