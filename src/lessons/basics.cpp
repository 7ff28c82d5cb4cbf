#include "lessons/basics.h"

#include <initializer_list>

namespace valthera {

namespace {

// The lesson's picture boxes. Picture3 lies inside Picture1 and is larger than
// it, so the chart fills the whole diagram area while both are shown; Picture2
// is made after Picture1 at the same place and therefore covers it.
const QString kSchematic = QStringLiteral("Picture1");
const QString kLabelled = QStringLiteral("Picture2");
const QString kChart = QStringLiteral("Picture3");

std::vector<TopicEntry> topics()
{
    return {
        {QStringLiteral("01. What is a P-V Loop?"),
            QStringLiteral("A P-V Loop is the graphical representation of the relationship between ventricular "
                           "pressure (P) and ventricular volume (V) through one whole cardiac cycle. In the diagram "
                           "the pressure is the left ventricular (LV) pressure in mmHg "
                           "and the volume is the LV volume in ml. The loop has four main segments, shown in the "
                           "diagram as E, F, G and H.          Click on the 'SHOW LABELS' button to see the loop "
                           "with its labels.")},
        {QStringLiteral("02. What does segment E represent?"),
            QStringLiteral("Segment E (between points 5 and 1) corresponds to the FILLING phase of the LV. Blood "
                           "flows into the relaxed ventricle, so the LV volume increases, while the pressure in the "
                           "ventricle rises only slightly.")},
        {QStringLiteral("03. What does segment F represent?"),
            QStringLiteral("Segment F (between points 1 and 2) corresponds to the ISOVOLUMIC CONTRACTION phase of the "
                           "LV. It begins with ventricular systole and ends when the LVP exceeds the pressure in the "
                           "aorta (point 2); at point 2 the EJECTION of blood into the aorta starts. During this phase "
                           "the pressure climbs steeply but the volume of the ventricle does not change.")},
        {QStringLiteral("04. What does segment G represent?"),
            QStringLiteral("Segment G (between points 2 and 4) corresponds to the EJECTION phase. It begins when the "
                           "LVP exceeds the aortic pressure (AP) and ends when the LVP falls below AP (point 4). While "
                           "blood is entering the aorta the LVP keeps rising to a maximum (point 3), and then it falls "
                           "as the ventricle starts to relax.")},
        {QStringLiteral("05. What does segment H represent?"),
            QStringLiteral("Segment H (between points 4 and 5) corresponds to the ISOVOLUMIC RELAXATION phase. It "
                           "begins when the LVP falls below AP and ends when the LVP is low enough for the FILLING "
                           "phase to begin again (point 5). During this phase the pressure drops steeply but the "
                           "volume of the ventricle does not change.")},
        // The mitral valve separates the left atrium from the left ventricle, so
        // it is the left atrial pressure that the ventricle rises above here.
        {QStringLiteral("06. What is significant about point 1?"),
            QStringLiteral("Point 1 corresponds to end diastolic volume (EDV), the volume of blood in the ventricle "
                           "at the start of ventricular systole. As systole starts, the LVP rises quickly above the "
                           "left atrial pressure (LAP) and the MITRAL VALVE closes; this ends filling and starts "
                           "isovolumic contraction. Because closing of the mitral valve goes with the 1st heart sound, "
                           "point 1 also marks that event.")},
        {QStringLiteral("07. What is significant about point 2?"),
            QStringLiteral("Point 2 corresponds to the opening of the AORTIC VALVE, which happens when the LVP exceeds "
                           "the aortic pressure. The aortic pressure at this point is the DIASTOLIC pressure. Point 2 "
                           "ends isovolumic contraction and starts ejection.")},
        {QStringLiteral("08. What is significant about point 3?"),
            QStringLiteral("Point 3 corresponds to the maximum of the ventricular pressure during systole. Since the "
                           "aortic valve is open at that moment, it is also the maximum aortic pressure of the cardiac "
                           "cycle: the SYSTOLIC PRESSURE.")},
        {QStringLiteral("09. What is significant about point 4?"),
            QStringLiteral("Point 4 corresponds to the closure of the aortic valve as the LVP falls below the aortic "
                           "pressure. Because closing of the aortic valve goes with the start of the 2nd heart sound, "
                           "point 4 also marks that event.")},
        {QStringLiteral("10. What is significant about point 5?"),
            QStringLiteral("Point 5 corresponds to the re-opening of the mitral valve as the LVP falls below the left "
                           "atrial pressure (LAP). The ventricular volume at this point is the end systolic volume "
                           "(ESV), and the pressure is the end systolic pressure (ESP).")},
        {QStringLiteral("11. What does the loop width represent?"),
            QStringLiteral(
                "The width of the P-V Loop is numerically equal to the STROKE VOLUME (SV), the volume of "
                "blood ejected by the ventricle with each beat. It is the volume present at the start of "
                "systole (EDV, point 1) minus the volume remaining at its end (ESV, point 5). So SV = EDV "
                "- ESV, which is exactly the width of the loop. For example: SV = 150 ml - 50 ml = 100 ml.")},
        {QStringLiteral("12. What about Ejection Fraction?"),
            QStringLiteral("Ejection Fraction (EF) is defined as the FRACTION (or percentage) of the blood volume in "
                           "the ventricle that is ejected with each beat. Since the amount ejected is SV and the "
                           "amount present at the start is EDV, EF = (SV / EDV). For example: EF = (100 ml / 150 ml) "
                           "= 2/3 = 67%, so with each beat the ventricle ejects 2/3 of its blood volume into the "
                           "aorta.")},
        {QStringLiteral("13. What does the loop area represent?"),
            QStringLiteral("The loop area is an index of physical work done by the ventricle with each beat: the "
                           "larger the area, the more STROKE WORK (SW). A larger area can come from a greater height "
                           "(pressure) or from a greater width (SV), so the same SW can carry quite different "
                           "myocardial ENERGY DEMANDS. Increases in SW due to a greater SV need less myocardial "
                           "energy than increases due to a greater pressure.")},
        {QStringLiteral("14. STRAIGHT LINE LOOP DIAGRAM"),
            QStringLiteral("To simplify things the loop is shown with straight lines instead of curves for the "
                           "filling (E) and ejection (G) segments. This gives clearly defined values for the "
                           "multiple-choice questions of this program; for example, the max LVP (point 3) is plainly "
                           "120 mmHg. Note that the ejection segment (G) is the whole segment 2-3-4. The chart is "
                           "called 'Control' because later lessons study changes from 'control'."),
            {{kChart, true}}},
    };
}

// Appends one question's six lines: its stem and its five choice lines.
void addQuestion(std::vector<QString> &store, const char *stem, std::initializer_list<const char *> choices)
{
    store.push_back(QString::fromUtf8(stem));
    for (const char *choice : choices)
        store.push_back(QString::fromUtf8(choice));
}

// Questions 2 to 16, store slots 1 to 90.
std::vector<QString> questionStore()
{
    std::vector<QString> s;
    addQuestion(s, "2. What is the value of aortic diastolic pressure in mmHg?",
        {"a. 50", "b. 70", "c. 80", "d. 90", "e. 100"});
    addQuestion(s, "3. What is the end systolic volume (ESV) in ml?", {"a. 50", "b. 70", "c. 80", "d. 90", "e. 120"});
    addQuestion(s, "4. What is value of systolic pressure in the aorta in mmHg?",
        {"a. 50", "b. 80", "c. 90", "d. 100", "e. 120"});
    addQuestion(s, "5. What is the value of stroke volume in ml?", {"a. 50", "b. 70", "c. 80", "d. 100", "e. 120"});
    addQuestion(
        s, "6. At what LV pressure does this mitral valve close?", {"a. 0", "b. 10", "c. 15", "d. 20", "e. 50"});
    addQuestion(
        s, "7. At what LV pressure does the aortic valve open?", {"a. 50", "b. 70", "c. 80", "d. 100", "e. 120"});
    addQuestion(s, "8. Which segment is isovolumic relaxation?", {"a. E", "b. F", "c. G", "d. H", ""});
    addQuestion(s, "9. Which segment is ejection?", {"a. E", "b. F", "c. G", "d. H", ""});
    addQuestion(s, "10. Which segment is filling?", {"a. E", "b. F", "c. G", "d. H", ""});
    addQuestion(s, "11. Which segment is isovolumic contraction?", {"a. E", "b. F", "c. G", "d. H", ""});
    addQuestion(
        s, "12. At what LV pressure does this mitral valve open?", {"a. 0", "b. 10", "c. 15", "d. 20", "e. 50"});
    addQuestion(
        s, "13. During which segment is aortic blood flow the greatest?", {"a. E", "b. F", "c. G", "d. H", " "});
    addQuestion(s, "14. In what segment is myocardial O2 demand the greatest?", {"a. E", "b. F", "c. G", "d. H", " "});
    addQuestion(
        s, "15. At what pressure would you hear the 2nd heart sound?", {"a. 50", "b. 70", "c. 80", "d. 100", "e. 120"});
    addQuestion(s, "16. At what LV pressure would you hear the 1st heart sound?",
        {"a. 10", "b. 15", "c. 80", "d. 100", "e. 120"});
    return s;
}

QuestionContent questions()
{
    QuestionContent q;
    q.first = {QStringLiteral("1. What is the value of End Diastolic Volume (EDV) in ml?"), QStringLiteral("a. 50"),
        QStringLiteral("b. 70"), QStringLiteral("c.  80"), QStringLiteral("d. 100"), QStringLiteral("e. 120")};
    q.store = questionStore();
    // Keyed by the counter while each question is on display: 6 x (question - 1).
    q.key = {{0, 5}, {6, 3}, {12, 1}, {18, 5}, {24, 2}, {30, 3}, {36, 3}, {42, 4}, {48, 3}, {54, 1}, {60, 2}, {66, 2},
        {72, 3}, {78, 2}, {84, 4}, {90, 2}};
    // The questions are read off the straight-line chart, so it comes on view
    // with every question, over whatever the student was looking at.
    q.diagramStep = {{kChart, true}, {kLabelled, false}};
    q.completionAfter = 90;
    return q;
}

LessonLayout layout()
{
    LessonLayout l;
    // The window opens maximized; this is its size when restored, wide and tall
    // enough for every control with a margin.
    l.clientWidth = 11880;
    l.clientHeight = 9600;
    l.instruction = {600, 360, 3855, 375};
    l.topics = {480, 840, 4215, 3660};
    l.text = {480, 4800, 4215, 2865};
    l.choices = {4800, 6720, 6735, 1500};
    l.start = {5880, 8280, 1215, 615};
    l.next = {7200, 8280, 1335, 615};
    l.reset = {8760, 8280, 1335, 615};
    l.feedback = {7200, 9000, 1455, 255};
    return l;
}

LessonDefinition build()
{
    LessonDefinition d;
    d.name = QStringLiteral("basics1");
    d.caption = QStringLiteral("Loop Basics");
    d.instruction = QStringLiteral("Click on topic to see related text");
    d.heading = QStringLiteral("  BASIC FEATURES OF P-V LOOPS");
    d.topics = topics();
    d.initialText = d.topics.front().paragraph;
    d.boxes = {
        {kSchematic, PictureId::CycleSchematic, {4800, 720, 5535, 5895}, true},
        {kChart, PictureId::BasicsControl, {0, 0, 5600, 6173}, false, kSchematic},
        {kLabelled, PictureId::LabelledCycleSchematic, {4800, 720, 5535, 5895}, false},
    };
    d.buttons = {
        {QStringLiteral("Command3"), QStringLiteral("Straight Line Loop"), {10560, 1800, 975, 855},
            {{kLabelled, false}, {kChart, true}}},
        {QStringLiteral("Command4"), QStringLiteral("\"Real\" Loop"), {10560, 2880, 975, 735},
            {{kChart, false}, {kLabelled, false}, {kSchematic, true}}},
        {QStringLiteral("ShowLabels"), QStringLiteral("Show Labels"), {10560, 3840, 975, 735}, {{kLabelled, true}}},
    };
    d.questions = questions();
    d.layout = layout();
    d.clickHidesText = true;
    return d;
}

} // namespace

const LessonDefinition &basicsLesson()
{
    static const LessonDefinition lesson = build();
    return lesson;
}

} // namespace valthera
