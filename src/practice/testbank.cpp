#include "practice/testbank.h"

namespace valthera {

namespace {

using S = QString;

struct Question {
    TestPage lines;
    TestKeyEntry key;
};

// Questions 1 to 4 ask for a point of the cycle schematic, 5 and 6 for a pair of
// its segments; each group shares its choices.
TestPage pointQuestion(const char *stem)
{
    return {S::fromLatin1(stem), S("a. 1"), S("b. 2"), S("c. 3"), S("d. 4"), S("e. 5")};
}

TestPage segmentQuestion(const char *stem)
{
    return {S::fromLatin1(stem), S("a. E and F "), S("b. F and G"), S("c. G and H"), S("d. F and H"),
        S("e. None of the above")};
}

const std::vector<Question> &questions()
{
    static const std::vector<Question> table{
        // Questions 1 to 10: the cycle schematic.
        {pointQuestion("1. At what point does the mitral valve close?"),
            {1,
                S("Correct! The mitral valve closes when the intraventicular pressure, the left ventricular "
                  "pressure (LVP), rises above the pressure in the left atrium. This reverses the pressure "
                  "gradient across the mitral valve and makes it snap shut. Remember that the first heart "
                  "sound is associated with the closure of the inlet valves.")}},
        {pointQuestion("2. At what point does the mitral valve open?"),
            {5,
                S("Correct! The mitral valve opens when intraventricular pressure falls below the pressure "
                  "in the atrium. This happens at the end of the isovolumic relaxation phase, while the LVP "
                  "is still falling, and the opening of the mitral valve starts the filling phase.")}},
        {pointQuestion("3. At what point does the aortic valve open?"),
            {2,
                S("Correct! The aortic valve opens when the intraventricular pressure rises above the "
                  "pressure in the aorta. The aortic pressure at that instant is the arterial diastolic "
                  "pressure, the lowest aortic pressure of the cardiac cycle.")}},
        {pointQuestion("4. At what point does the aortic valve close?"),
            {4,
                S("Correct! The aortic valve closes when the declining pressure in the ventricle falls "
                  "below the pressure in the aorta. The closure of the aortic valve is associated with the "
                  "second heart sound.")}},
        {segmentQuestion("5. During which segments are inlet and outlet valves both closed?"),
            {4,
                S("Correct! Inlet and outlet valves are closed during the two isovolumic phases, F and H. "
                  "During isovolumic contraction (F) the mitral valve has been forced shut and the aortic "
                  "valve has not yet opened. During isovolumic relaxation (H) the aortic valve is closed "
                  "and the mitral valve has not yet opened.")}},
        {segmentQuestion("6. During which segments are inlet and outlet valves both open?"),
            {5,
                S("Correct! Normally there is no time at which both the inlet (mitral) and the outlet "
                  "(aortic) valves are open. The two can be open together only with valve disease, for "
                  "example when the aortic valve does not close fully.")}},
        {{S("7. For the shown loop, what is the Stroke Volume in ml?"), S("a. 50 "), S("b. 100 "), S("c. 120 "),
             S("d. 150 "), S("e. between 120 and 130 ")},
            {2,
                S("Correct! Stroke volume is the amount of blood ejected by the ventricle with each beat. "
                  "Numerically it is the end diastolic volume (EDV) minus the end systolic volume (ESV), "
                  "here 150 - 50 = 100 ml. The width of the P-V loop equals the stroke volume.")}},
        {{S("8. For the shown loop, what is the Ejection Fraction?"), S("a. 1/4"), S("b. 1/3"), S("c. 1/2"),
             S("d. 2/3"), S("e. 3/4 ")},
            {4,
                S("Correct! The ejection fraction (EF) is the fraction the ventricle ejects of the total "
                  "blood volume it holds at the end of filling. Numerically it is SV divided by EDV, here "
                  "100/150 = 2/3. The ejection fraction is an excellent measure of the pumping action of "
                  "the heart; values below 1/2 are abnormally low and point to possible cardiac systolic "
                  "dysfunction.")}},
        {{S("9. For the shown loop, estimate aortic diastolic pressure in mmHg."), S("a. 70"),
             S("b. between 70 and 80"), S("c. 100"), S("d. 120"), S("e. 150")},
            {2,
                S("Correct! The aortic valve opens at about the level of the aortic diastolic pressure, "
                  "which the graph shows between 70 and 80 mmHg. In abnormal situations, such as aortic "
                  "stenosis, this simple relation between ventricular and aortic pressure no longer "
                  "holds.")}},
        {{S("10. For the shown loop, estimate aortic systolic pressure in mmHg."), S("a. 70"),
             S("b. between 70 and 80"), S("c. 100"), S("d. 120"), S("e. 150 ")},
            {4,
                S("Correct! In a normal situation the maximum of the left ventricular pressure corresponds "
                  "closely to aortic systolic blood pressure.")}},
        // Questions 11 to 15: loop 2 against the control loop.
        {{S("11. What event would likely explain loop 2 as compared to the control loop?"), S("a.increased preload"),
             S("b. decreased preload"), S("c. increased afterload"), S("d.decreased afterload "),
             S("e.increased contractility ")},
            {3,
                S("Correct! An increase in afterload is demonstrated by the fact that the aortic valve opens "
                  "at a higher than normal pressure.")}},
        {{S("12. Which is true of loop 2 compared to the control loop?"), S("a. greater stroke volume"),
             S("b. greater preload"), S("c. greater ejection fraction"), S("d. greater slope of the PIP line"),
             S("e. greater myocardial oxygen consumption")},
            {5,
                S("Correct! Because of the increased afterload the ventricle must develop a greater pressure "
                  "before ejection can start. This pressure is built up during the isovolumic phase, while "
                  "the ventricle does not get any smaller, which puts a great deal of extra mechanical "
                  "stress on the cardiac muscle and so increases its need for oxygen.")}},
        {{S("13. If the loops are for two patients with the same heart rate then:"),
             S("a. they have the same cardiac output"), S("b. the person with loop 2 has a higher cardiac output"),
             S("c. the person with loop 2 has a higher total peripheral resistance"),
             S("d. it is unclear which has the higher cardiac output"),
             S("e. it is unclear which has the higher total peripheral resistance")},
            {3,
                S("Correct! This is a tough question. At the same heart rate the cardiac output is less for "
                  "the loop with the lower stroke volume, loop 2, because CO = SV x HR. Since its aortic "
                  "pressure is nevertheless higher, its total peripheral resistance must be higher, as "
                  "TPR = MAP / CO.")}},
        {{S("14. For loop 2 as compared to control, the 2nd heart sound is heard at"), S("a. a higher pressure."),
             S("b. a lower pressure "), S("c. the same pressure"), S("d. point 5"), S("e. point 2")},
            {1,
                S("Correct! The second heart sound is associated with closure of the aortic valve. Since "
                  "this valve closes at a higher pressure in loop 2, the sound is heard at a higher "
                  "pressure.")}},
        {{S("15. For loop 2 as compared to control, the 1st heart sound is heard at"), S("a. a higher pressure"),
             S("b. a lower pressure"), S("c. the same pressure"), S("d. point 5"), S("e. point 2")},
            {3,
                S("Correct! The first sound is associated with mitral valve closure. Since EDV and EDP do "
                  "not change, it is heard at about the same pressure in both cases.")}},
        // Questions 16 to 20: the three patients.
        {{S("16. Considering the P-V loops for the three patients, choose the best answer. "),
             S("a. Pt 1 has a greater contractility than Pt 2"), S("b. Pt 2 has a greater contractility than Pt 3"),
             S("c. the slope of the PIP line for pt 1 is greater than that of pt 3"),
             S("d. the preloads for all patients are the same"), S("e. all of the above statements are true")},
            {5,
                S("Correct! The slope of the peak isovolumic pressure (PIP) line increases with an increase "
                  "in contractility and decreases with a decrease in contractility. The PIP line of Pt 1 is "
                  "the steepest and that of Pt 3 the shallowest, and all three loops fill to the same "
                  "point 1, so all of the choices are correct.")}},
        {{S("17. Considering the P-V loops for the three patients, choose the best answer."),
             S("a. They all have the same stroke volume"), S("b. They all have the same ejection fraction"),
             S("c. Pt 1 has the least ejection fraction"), S("d. Pt 3 has the least stroke volume"),
             S("e. Pt 2 has the greatest end diastolic volume")},
            {4,
                S("Correct! An increase in contractility is associated with a greater absolute force and a "
                  "greater rate of force development, mainly through the positive inotropic effect of "
                  "increased calcium. Its effects include a higher early systolic rate of ejection and a "
                  "larger stroke volume, so Pt 3, with the least contractility, has the least stroke "
                  "volume.")}},
        {{S("18. Considering the P-V loops for the three patients, choose the best answer."),
             S("a. Pt 1 is likely to have the greatest rate of early ventricular ejection"),
             S("b. Pt 2 is likely to have the greatest aortic systolic pressure"),
             S("c. Pt 3 does the greatest amount of stroke work"),
             S("d. All patients have the same end systolic pressure"),
             S("e. All patients have the same end systolic volume")},
            {1, S("Correct! Same reasons as previous question.")}},
        {{S("19. If the three loops represent different states for the same patient then,"),
             S("a. loop 1 could occur if a negative inotropic agent were given"),
             S("b. loop 1 could occur if a positive inotropic agent were given"),
             S("c. compared to loop 3, loop 1 may indicate a failing heart "),
             S("d. compared to loop 1, loop 3 may indicate a failing heart"), S("e. both b. and d. could be true")},
            {5, S()}},
        {{S("20. Which of the following is a true about loop 1 as compared to loop 3?"),
             S("a. Its greater area is due to the Frank-Starling mechanism"),
             S("b. The slope of its PIP line is determined by the Frank-Starling mechanism"),
             S("c. It could be produced by strong vagal activation of the myocardium"),
             S("d. It could be produced by a cardioselective beta-blocker"),
             S("e. It could be produced by a cardioselective beta-agonist")},
            {5,
                S("Correct! Beta-adrenergic receptors in the myocardium when activated further increase "
                  "calcium availability and result in an increase in contractility.")}},
    };
    return table;
}

// Pages 21 to 25 close the test: a heading and five bare letters, no key.
const std::vector<TestPage> &closingPages()
{
    static const std::vector<TestPage> pages = [] {
        std::vector<TestPage> result;
        const std::array<S, 5> headings{
            S("21. THATS ALL FOLKS! HOPE YOU HAD FUN."), S("22. "), S("23. "), S("24. "), S("25. ")};
        for (const S &heading : headings)
            result.push_back({heading, S("a. "), S("b. "), S("c. "), S("d. "), S("e. ")});
        return result;
    }();
    return pages;
}

} // namespace

namespace testcontent {

const TestPage &page(int number)
{
    Q_ASSERT(number >= 1 && number <= kPages);
    if (number <= kQuestions)
        return questions()[static_cast<size_t>(number - 1)].lines;
    return closingPages()[static_cast<size_t>(number - kQuestions - 1)];
}

const TestKeyEntry &key(int question)
{
    Q_ASSERT(question >= 1 && question <= kQuestions);
    return questions()[static_cast<size_t>(question - 1)].key;
}

std::vector<QString> bankText()
{
    std::vector<QString> text;
    for (int number = 2; number <= kPages; ++number) {
        const TestPage &lines = page(number);
        text.insert(text.end(), lines.begin(), lines.end());
    }
    return text;
}

} // namespace testcontent

std::optional<TestKeyEntry> TestAnswerKey::lookup(int counter)
{
    if (counter < 0 || counter % 6 != 0)
        return std::nullopt;
    const int question = counter / 6 + 1;
    if (question > testcontent::kQuestions)
        return std::nullopt;
    return testcontent::key(question);
}

} // namespace valthera
