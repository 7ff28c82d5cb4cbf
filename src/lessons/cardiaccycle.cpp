#include "lessons/cardiaccycle.h"

#include <array>
#include <initializer_list>

namespace valthera {

namespace {

// One paragraph per topic; every list line of a topic shows its topic's paragraph.
const QString kPressureVersusTime = QStringLiteral(
    "The pressure (P) vs. Time (T) diagram shows how the ventricular, atrial and aortic pressures change from "
    "moment to moment through one cardiac cycle. The P-V loop plots ventricular pressure against ventricular "
    "volume and does NOT show time at all. Each view has its uses, and in this lesson you will learn how the "
    "events seen in one view appear in the other.");

const QString kTimedEvents = QStringLiteral(
    "Virtually all mechanical, electrical and heart sound events that have a definite time in the cardiac cycle "
    "can be tied to a segment or a point of the P-V loop. This module deals only with the mechanical events and "
    "the heart sounds; the electrical relationships (cardiac action potential and ekg) will be covered in a later "
    "module. The valve events get special attention, and they are the subject of the questions.");

// The mitral valve separates the left atrium from the left ventricle, so its
// state follows the left atrial pressure.
const QString kValveState = QStringLiteral(
    "For the normal heart a valve will be open as long as the pressure on its proximal side exceeds the pressure "
    "on its distal side, and it closes when that pressure difference reverses. For example, the mitral valve is "
    "open while the left atrial pressure (LAP) exceeds the left ventricular pressure (LVP). To find the state of "
    "each valve, look in the diagrams for the points where the pressure differences reverse.");

const QString kHeartSounds = QStringLiteral(
    "The 1st and 2nd heart sounds respectively occur in step with the closing of the inlet and outlet valves: the "
    "first sound comes at about the moment the inlet (mitral) valve closes, the second at about the moment the "
    "outlet (aortic) valve closes. So once you have found where the valves change state, you can place both heart "
    "sounds on the P-T and the P-V diagrams.");

std::vector<TopicEntry> topics()
{
    return {
        {QStringLiteral("01. How does the P vs. Time diagram"), kPressureVersusTime},
        {QStringLiteral("      differ from the P-V loop diagram?"), kPressureVersusTime},
        {QStringLiteral("02. What important events can be "), kTimedEvents},
        {QStringLiteral("      defined by their time of occurance"), kTimedEvents},
        {QStringLiteral("      on the P-T diagram AND by their "), kTimedEvents},
        {QStringLiteral("      position on the P-V Loop?"), kTimedEvents},
        {QStringLiteral("03. What are the main factors that "), kValveState},
        {QStringLiteral("      determine whether the cardiac"), kValveState},
        {QStringLiteral("      valves are open or closed?"), kValveState},
        {QStringLiteral("04. What about heart sounds?"), kHeartSounds},
    };
}

// The choice lines a to e that several questions share.
using Choices = std::array<const char *, 5>;
constexpr Choices kPhases{"a. ventricle filling", "b. isovolumic contraction", "c. isovolumic relaxation",
    "d. ventricle ejection", "e. atrial systole"};
constexpr Choices kValvesSecondSound{"a. mitral valve opens", "b. mitral valve closes", "c. aortic valve opens",
    "d. aortic valve closes", "e. the 2nd heart sound"};
constexpr Choices kValvesFirstSound{"a. mitral valve opens", "b. mitral valve closes", "c. aortic valve opens",
    "d. aortic valve closes", "e. the 1st heart sound"};
constexpr Choices kPoints{"a. 1", "b. 2", "c. 3", "d. 4", "e. 5"};
constexpr Choices kSegments{"a. E", "b. F", "c. G", "d. H", "e. E and F"};
constexpr Choices kFirstSoundTimes{
    "a. between A and B", "b. between B and C", "c. between C and D", "d. exactly at point C", "e. exactly at point D"};
constexpr Choices kSecondSoundTimes{
    "a. between A and B", "b. between B and C", "c. between C and D", "d. exactly at point A", "e. exactly at point B"};
constexpr Choices kValvesOpen{
    "a. between A and B", "b. between B and C", "c. between C and D", "d. exactly at point A", "e. none of the above"};
constexpr Choices kVolumes{"a. 50", "b. 80", "c. 100", "d. 120", "e. 150"};

void addQuestion(std::vector<QString> &store, const char *stem, const Choices &choices)
{
    store.push_back(QString::fromUtf8(stem));
    for (const char *choice : choices)
        store.push_back(QString::fromUtf8(choice));
}

// Questions 2 to 20, store slots 1 to 114.
std::vector<QString> questionStore()
{
    std::vector<QString> s;
    addQuestion(s, "2. What event occurs at point A??", kValvesSecondSound);
    addQuestion(s, "3. Which point on the loop corresponds to the event at A?", kPoints);
    addQuestion(s, "4. What event occurs at point B?", kValvesFirstSound);
    addQuestion(s, "5. Which point on the loop corresponds to the event at B?", kPoints);
    addQuestion(s, "6. What event occurs at point C?", kValvesSecondSound);
    addQuestion(s, "7. Which point on the loop corresponds to the event at C?", kPoints);
    addQuestion(s, "8. What event occurs at point D?", kValvesFirstSound);
    addQuestion(s, "9. Which point on the loop corresponds to the event at D?", kPoints);
    addQuestion(s, "10. What happens during red part of the P-T diagram?", kPhases);
    addQuestion(s, "11. Which P-V segment corresponds to red on the P-T diagram?", kSegments);
    addQuestion(s, "12. What happens during green part of the P-T diagram?", kPhases);
    addQuestion(s, "13. Which P-V segment corresponds to green on the P-T diagram?", kSegments);
    addQuestion(s, "14. What happens during blue part of the P-T diagram?", kPhases);
    addQuestion(s, "15. Which P-V segment corresponds to blue on the P-T diagram?", kSegments);
    addQuestion(s, "16. When is the first heart sound heard?", kFirstSoundTimes);
    addQuestion(s, "17. When is the second heart sound heard?", kSecondSoundTimes);
    addQuestion(s, "18. When are inlet AND outlet valves open?", kValvesOpen);
    addQuestion(s, "19. From the P-V loop, what is the stroke volume?", kVolumes);
    addQuestion(s, "20. From the P-V loop, what is the end diastolic volume?", kVolumes);
    return s;
}

QuestionContent questions()
{
    QuestionContent q;
    // Question 1 is the phases set with two blanks after "c.".
    q.first = {QStringLiteral("1. What happens during the green part of the P-Time diagram?"),
        QString::fromUtf8(kPhases[0]), QString::fromUtf8(kPhases[1]), QStringLiteral("c.  isovolumic relaxation"),
        QString::fromUtf8(kPhases[3]), QString::fromUtf8(kPhases[4])};
    q.store = questionStore();
    // Keyed by the counter while each question is on display: 6 x (question - 1).
    q.key = {{0, 2}, {6, 2}, {12, 1}, {18, 3}, {24, 2}, {30, 4}, {36, 4}, {42, 1}, {48, 5}, {54, 4}, {60, 3}, {66, 2},
        {72, 2}, {78, 3}, {84, 4}, {90, 1}, {96, 3}, {102, 5}, {108, 3}, {114, 5}};
    // The one diagram stays on view: no question diagram step.
    q.completionAfter = 114;
    return q;
}

LessonLayout layout()
{
    LessonLayout l;
    l.clientWidth = 11400;
    l.clientHeight = 8865;
    l.instruction = {120, 360, 3855, 375};
    l.topics = {120, 840, 3975, 3180};
    l.text = {120, 4440, 3975, 3135};
    l.choices = {4200, 4680, 7695, 1470};
    l.start = {5520, 6600, 1215, 615};
    l.next = {6840, 6600, 1335, 615};
    l.reset = {8280, 6600, 1335, 615};
    // The feedback label starts narrow and grows to fit "CORRECT!" or "TRY AGAIN".
    l.feedback = {7410, 6240, 105, 240};
    l.feedbackAutoSize = true;
    return l;
}

LessonDefinition build()
{
    LessonDefinition d;
    d.name = QStringLiteral("CardiacCycleRelationships");
    d.caption = QStringLiteral("CardiacCycleRelationships");
    d.instruction = QStringLiteral("Click on topic to see related text");
    d.heading = QStringLiteral("  CARDIAC CYCLE RELATIONSHIPS");
    d.topics = topics();
    d.boxes = {{QStringLiteral("Picture1"), PictureId::CycleSchematic, {4200, 240, 7695, 4095}, true}};
    d.questions = questions();
    d.layout = layout();
    // A click on the text area leaves it as it is.
    d.clickHidesText = false;
    return d;
}

} // namespace

const LessonDefinition &cardiacCycleLesson()
{
    static const LessonDefinition lesson = build();
    return lesson;
}

} // namespace valthera
