#include "lessons/contractility.h"

#include "lessons/loopchangetopics.h"

namespace valthera {

namespace {

LessonDefinition makeContractility()
{
    LessonDefinition lesson =
        LoopChangeLesson::frame(QStringLiteral("LoopChangesContractility"), LoopChangeTopics::entries());
    lesson.initialText = LoopChangeTopics::text(3);
    lesson.openAtLoad = QStringLiteral("IncreasedContractility");
    lesson.textAcceptsTyping = true;
    lesson.rerunTopicOnTextChange = true;

    // The 75 % chart lies inside the control chart; the 125 % chart is a sibling
    // lying over both, so it covers them whenever it is shown.
    const QString control = QStringLiteral("control");
    const QString ct75 = QStringLiteral("Contractility75");
    const QString ct125 = QStringLiteral("Contractility125");
    lesson.boxes = {
        {control, PictureId::ContractilityControl, {5640, 240, 5895, 4215}, true},
        {ct75, PictureId::Contractility75, {0, 0, 5895, 4215}, false, control},
        {ct125, PictureId::Contractility125, {5640, 240, 5895, 4215}, false},
    };
    // The column runs by contractility: 75 %, control, 125 %. The control
    // chart is never hidden, so the lower settings leave it alone.
    constexpr double kSmallPoints = 8.25;
    lesson.buttons = {
        {QStringLiteral("cmdContractility75"), QStringLiteral("75% Control"), {5760, 6720, 1335, 375},
            {{ct75, true}, {ct125, false}}, kSmallPoints},
        {QStringLiteral("cmdControl"), QStringLiteral("Control"), {5760, 7080, 1335, 375},
            {{control, true}, {ct75, false}, {ct125, false}}, kSmallPoints},
        {QStringLiteral("cmdContractility125"), QStringLiteral("125% Control"), {5760, 7440, 1335, 375},
            {{ct125, true}}, kSmallPoints},
    };

    LessonLayout &layout = lesson.layout;
    layout.topics = {240, 720, 5175, 2220};
    layout.text = {240, 3720, 5175, 3495};
    layout.instruction = {960, 240, 3855, 375};
    layout.choices = {5760, 4800, 5895, 1470};
    layout.feedback = {9210, 6720, 105, 240};
    layout.feedbackAutoSize = true;
    layout.start = {7320, 7080, 1215, 615};
    layout.next = {8640, 7080, 1335, 615};
    layout.reset = {10080, 7080, 1335, 615};
    layout.labels = {
        {QStringLiteral("Label2"), QStringLiteral("Contractility (CT)"), {5760, 6480, 1440, 195}, true, kSmallPoints}};

    QuestionContent &questions = lesson.questions;
    questions.first = {
        QStringLiteral("1. Set CT=125%. Which is definitely greater than control?"),
        QStringLiteral("a. Stroke Volume (SV)"),
        QStringLiteral("b. Stroke Work (SW)"),
        QStringLiteral("c. Ejection Fraction (EF)"),
        QStringLiteral("d. Both a. AND b. are greater"),
        QStringLiteral("e. All of a. , b. AND c. are greater"),
    };
    questions.store = LoopChangeLesson::store(
        {
            {QStringLiteral("2. Set CT=75%. Compared to control which is true?"), QStringLiteral("a. SV is increased"),
                QStringLiteral("b. EF is increased"), QStringLiteral("c. Slope of the PIP line would be decreased"),
                QStringLiteral("d. Stroke Work is increased"), QStringLiteral("e. Both a. AND b. are true")},
            {QStringLiteral("3. Set CT=125%. Stroke Volume is closest to:"), QStringLiteral("a. 40 ml"),
                QStringLiteral("b. 50 ml"), QStringLiteral("c. 70 ml"), QStringLiteral("d. 80 ml"),
                QStringLiteral("e. 120 ml")},
            {QStringLiteral("4. Set CT=125%. Ejection fraction is closest to:"), QStringLiteral("a. 1/4"),
                QStringLiteral("b. 1/3"), QStringLiteral("c. 1/2"), QStringLiteral("d. 2/3"), QStringLiteral("e. 1.0")},
            {QStringLiteral("5. Set CT=75%: Which of the following decrease?"), QStringLiteral("a. Stroke work"),
                QStringLiteral("b. Stroke volume"), QStringLiteral("c. Ejection fraction"),
                QStringLiteral("d. Rate of ejection"), QStringLiteral("e. All of the above decrease")},
        },
        QStringLiteral("6. NO MORE CONTRACTILITY QUESTIONS"));
    questions.key = LoopChangeLesson::key({5, 3, 4, 4, 5, 2, 5, 3, 4, 5, 2, 2, 3, 2, 3, 2}, 5);
    return lesson;
}

} // namespace

const LessonDefinition &contractilityLesson()
{
    static const LessonDefinition lesson = makeContractility();
    return lesson;
}

} // namespace valthera
