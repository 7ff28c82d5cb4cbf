#include "lessons/afterload.h"

#include "lessons/loopchangetopics.h"

namespace valthera {

namespace {

LessonDefinition makeAfterload()
{
    LessonDefinition lesson =
        LoopChangeLesson::frame(QStringLiteral("LoopChangesAfterload"), LoopChangeTopics::entries());
    lesson.initialText = LoopChangeTopics::text(1);
    lesson.openAtLoad = QStringLiteral("IncreasedAfterload");

    // Three charts nested inside one another: the innermost shown one is on view.
    const QString control = QStringLiteral("control");
    const QString al90 = QStringLiteral("AfterLoad90");
    const QString al100 = QStringLiteral("AfterLoad100");
    lesson.boxes = {
        {control, PictureId::AfterloadControl, {5640, 240, 5895, 4600}, true},
        {al90, PictureId::Afterload90, {0, 0, 5895, 4600}, false, control},
        {al100, PictureId::Afterload100, {0, 0, 5895, 4600}, false, al90},
    };
    lesson.buttons = {
        {QStringLiteral("cmdControl"), QStringLiteral("Control"), {5760, 6960, 1455, 375},
            {{control, true}, {al90, false}, {al100, false}}},
        {QStringLiteral("cmdAfterLoad90"), QStringLiteral("90 mmHg"), {5760, 7320, 1455, 375},
            {{control, true}, {al90, true}, {al100, false}}},
        {QStringLiteral("cmdAfterLoad100"), QStringLiteral("100 mmHg"), {5760, 7680, 1455, 375},
            {{control, true}, {al90, true}, {al100, true}}},
    };

    LessonLayout &layout = lesson.layout;
    layout.topics = {240, 720, 5175, 2460};
    layout.text = {240, 3720, 5175, 3495};
    layout.instruction = {840, 240, 3855, 375};
    layout.choices = {5760, 4800, 5895, 1470};
    layout.feedback = {8040, 6495, 1785, 240};
    layout.start = {7440, 6960, 1215, 615};
    layout.next = {8760, 6960, 1335, 615};
    layout.reset = {10200, 6960, 1335, 615};
    layout.labels = {{QStringLiteral("Label2"), QStringLiteral("Afterload (AL)"), {5760, 6720, 1560, 300}}};

    QuestionContent &questions = lesson.questions;
    questions.first = {
        QStringLiteral("1. Set AL =100. Which quantity decreases from control?"),
        QStringLiteral("a. Stroke Volume (SV)"),
        QStringLiteral("b. End Diastolic Volume (EDV)"),
        QStringLiteral("c.  End Systolic Volume (ESV)"),
        QStringLiteral("d. End Diastolic Pressure (EDP)"),
        QStringLiteral("e. Both a. AND b. decrease"),
    };
    const std::array<QString, 5> valveChoices{
        QStringLiteral("a. 50 mmHg"),
        QStringLiteral("b. 100 mmHg"),
        QStringLiteral("c. 120 mmHg"),
        QStringLiteral("d. 150 mmHg"),
        QStringLiteral("e. between 120 and 130 mmHg"),
    };
    auto withValveChoices = [&valveChoices](const QString &stem) {
        std::array<QString, 6> question{stem};
        std::copy(valveChoices.begin(), valveChoices.end(), question.begin() + 1);
        return question;
    };
    questions.store = LoopChangeLesson::store(
        {
            {QStringLiteral("2. By how much did the max ventricle pressure increase?"), QStringLiteral("a. 30 mmHg"),
                QStringLiteral("b. 50 mmHg"), QStringLiteral("c. 100 mmHg"), QStringLiteral("d. 120 mmHg"),
                QStringLiteral("e. 150 mmHg")},
            {QStringLiteral("3. Estimate aortic PULSE PRESSURE?"), QStringLiteral("a. 30 mmHg"),
                QStringLiteral("b. 50 mmHg"), QStringLiteral("c. 80 mmHg"), QStringLiteral("d. 100 mmHg"),
                QStringLiteral("e. 120 mmHg")},
            {QStringLiteral("4. Which of the following statements is true?"),
                QStringLiteral("a. SV at an AL=100 is more than at an AL=90"),
                QStringLiteral("b. EF at an AL=100 is more than at control"),
                QStringLiteral("c. PIP line slope for AL=100 is greater than for control"),
                QStringLiteral("d. PIP line slope for AL=100 is less than for control"),
                QStringLiteral("e. None of the above are true")},
            {QStringLiteral("5. Compared to control, and an AL=90 mmHg results in:"),
                QStringLiteral("a. increased ESP"), QStringLiteral("b. more myocardial O2 demand"),
                QStringLiteral("c. greater EDV"), QStringLiteral("d. increased contractility"),
                QStringLiteral("e. both a AND b")},
            withValveChoices(QStringLiteral("6. For AL=100, the aortic valve opens at:?")),
            withValveChoices(QStringLiteral("7. For AL=100, the aortic valve closes at:")),
            {QStringLiteral("8. If AL increases, what compensation maintains SV?"),
                QStringLiteral("a. Increased contractility"), QStringLiteral("b. Decreased contractility"),
                QStringLiteral("c. Increased preload"), QStringLiteral("d. Decreased preload"),
                QStringLiteral("e. Increase aortic pressure ")},
            {QStringLiteral("9. If AL decreases, what initially happens?"), QStringLiteral("a. SV decreases"),
                QStringLiteral("b. ESP increases"), QStringLiteral("c. EDP increases"),
                QStringLiteral("d. EF increases"), QStringLiteral("e. EDV increases")},
            {QStringLiteral("10. A person with essential hypertension likely has:"), QStringLiteral("a. increased SV"),
                QStringLiteral("b. increased EF"), QStringLiteral("c. increased Afterload"),
                QStringLiteral("d. increased Preload"), QStringLiteral("e. both c and d ")},
        },
        QStringLiteral("NO MORE AFTERLOAD QUESTIONS"));
    // Questions 1 to 10, then the closing view and the blank views after it.
    questions.key = LoopChangeLesson::key({1, 1, 2, 5, 5, 2, 5, 3, 4, 5, 2, 2, 3, 2, 3, 2}, 1);
    return lesson;
}

} // namespace

const LessonDefinition &afterloadLesson()
{
    static const LessonDefinition lesson = makeAfterload();
    return lesson;
}

} // namespace valthera
