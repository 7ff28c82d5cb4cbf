#include "lessons/preload.h"

#include "lessons/loopchangetopics.h"

namespace valthera {

namespace {

LessonDefinition makePreload()
{
    LessonDefinition lesson = LoopChangeLesson::frame(
        QStringLiteral("LoopChangesPreload"), LoopChangeTopics::entriesOnlyShowingPreloadWindow());
    lesson.initialText = LoopChangeTopics::text(2);
    lesson.openAtLoad = QStringLiteral("IncreasedPreload");
    lesson.openAtLoadBringsForward = false;
    lesson.textAcceptsTyping = true;
    lesson.rerunTopicOnTextChange = true;

    // The 140 ml chart lies inside the control chart; the 100 ml chart is a
    // sibling lying over both, so it covers them whenever it is shown.
    const QString control = QStringLiteral("control");
    const QString pl140 = QStringLiteral("Preload140");
    const QString pl100 = QStringLiteral("Preload100");
    lesson.boxes = {
        {control, PictureId::PreloadControl, {5640, 240, 5895, 4600}, true},
        {pl140, PictureId::Preload140, {0, 0, 5895, 4600}, false, control},
        {pl100, PictureId::Preload100, {5640, 240, 5895, 4600}, false},
    };
    constexpr double kButtonPoints = 8.25;
    lesson.buttons = {
        {QStringLiteral("cmdControl"), QStringLiteral("Control"), {5760, 6960, 1455, 375},
            {{control, true}, {pl140, false}, {pl100, false}}, kButtonPoints},
        {QStringLiteral("cmdPreload100"), QStringLiteral("100 ml"), {5760, 7320, 1455, 375},
            {{control, true}, {pl140, true}, {pl100, true}}, kButtonPoints},
        {QStringLiteral("cmdPreload140"), QStringLiteral("140 ml"), {5760, 7680, 1455, 375},
            {{control, true}, {pl140, true}, {pl100, false}}, kButtonPoints},
    };

    LessonLayout &layout = lesson.layout;
    layout.topics = {240, 720, 5175, 2460};
    layout.text = {240, 3720, 5175, 3135};
    layout.instruction = {840, 240, 3855, 375};
    layout.choices = {5760, 4850, 5895, 1470};
    layout.feedback = {9210, 6960, 105, 240};
    layout.feedbackAutoSize = true;
    layout.start = {7320, 7320, 1215, 615};
    layout.next = {8640, 7320, 1335, 615};
    layout.reset = {10080, 7320, 1335, 615};
    layout.labels = {{QStringLiteral("Label2"), QStringLiteral("Preload (PL)"), {5760, 6600, 1320, 240}, true}};

    QuestionContent &questions = lesson.questions;
    questions.first = {
        QStringLiteral("1. Set PL =140. Which is definitely is greater than control?"),
        QStringLiteral("a. Stroke Volume (SV)"),
        QStringLiteral("b. End Diastolic Volume (EDV)"),
        QStringLiteral("c. Ejection Fraction (EF)"),
        QStringLiteral("d. Both a. AND b. are greater"),
        QStringLiteral("e. All of a. , b. AND c. are greater"),
    };
    questions.store = LoopChangeLesson::store(
        {
            {QStringLiteral("2. Set PL=100. How much did SV decrease from control?"), QStringLiteral("a. 20 ml"),
                QStringLiteral("b. 30 ml"), QStringLiteral("c. 100 ml"), QStringLiteral("d. 120 ml"),
                QStringLiteral("e. 150 ml")},
            {QStringLiteral("3. Set PL=140. What explains the increased SV?"),
                QStringLiteral("a. greater contractility"), QStringLiteral("b. greater afterload"),
                QStringLiteral("c. the Frank-Starling mechanism"), QStringLiteral("d. greater EDV"),
                QStringLiteral("e. Both c. AND d. explain the increase")},
            {QStringLiteral("4. Which of the following statements is true?"),
                QStringLiteral("a. SV at PL=100 is more than SV at PL=140"),
                QStringLiteral("b. Both SV and EF increase with increasing preload"),
                QStringLiteral("c. PIP line slope for PL=100 is greater than for control"),
                QStringLiteral("d. PIP line slope for PL=140 is less than for control"),
                QStringLiteral("e. None of the above are true")},
            {QStringLiteral("5. Compared to control, a PL=100 results in:"), QStringLiteral("a. Less stroke work "),
                QStringLiteral("b. More stroke work"), QStringLiteral("c. greater systolic peak pressure"),
                QStringLiteral("d. both a AND c"), QStringLiteral("e. both b AND c")},
        },
        QStringLiteral("6. NO MORE PRELOAD QUESTIONS"));
    // Question 5 is keyed to "a. Less stroke work ": the 100 ml loop ejects
    // 50 ml against the control's 70 ml and peaks at 108 mmHg against 120, so it
    // does less work and reaches a lower peak; no other line is true of it.
    questions.key = LoopChangeLesson::key({4, 1, 5, 2, 1, 2, 5, 3, 4, 5, 2, 2, 3, 2, 3, 2}, 4);
    return lesson;
}

} // namespace

const LessonDefinition &preloadLesson()
{
    static const LessonDefinition lesson = makePreload();
    return lesson;
}

} // namespace valthera
