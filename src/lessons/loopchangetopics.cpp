#include "lessons/loopchangetopics.h"

#include <array>

namespace valthera {

namespace {

// One paragraph per topic; every variant of the table refers to these.
const std::array<QString, LoopChangeTopics::kCount> &paragraphs()
{
    static const std::array<QString, LoopChangeTopics::kCount> texts{
        QStringLiteral(
            "AFTERLOAD is an index of the force that ventricle muscle cells must develop to begin ejection "
            "and to keep it going. Blood leaves the ventricle only once left ventricular pressure (LVP) rises "
            "above aortic pressure. Although LVP goes on rising during ejection, afterload is greatest at the "
            "end of isovolumic contraction, where the product of LVP and chamber radius is largest. The "
            "aortic pressure, usually its diastolic value, is therefore a good clinical estimate of "
            "myocardial afterload. As ejection proceeds, afterload in fact falls, because the chamber radius "
            "shrinks and the ventricle wall becomes thicker."),
        QStringLiteral(
            "PRELOAD is an index of the sarcomere length at the moment ventricular systole begins. In the "
            "intact heart the best measure of preload is the ventricular volume at that moment, the end "
            "diastolic volume (EDV). With contractility held constant, a change in EDV changes the peak "
            "isovolumic pressure (PIP) and the stroke volume (SV) through the Frank-Starling mechanism. A "
            "rise in SV that comes from a larger EDV is not a rise in contractility: the intrinsic "
            "contraction potential of the myocardium is unchanged, so the PIP line keeps the same slope when "
            "preload changes."),
        QStringLiteral(
            "CONTRACTILITY is an index of intrinsic contraction potential of myocardium. In a single cell it "
            "corresponds to the maximum shortening velocity of a contracting myocyte. In the intact heart, "
            "greater contractility produces more force, and a faster build-up of force, at any preload; "
            "clinically it shows as a faster rate of LVP development and a higher ejection velocity. On the "
            "diagram an increase in contractility makes the PIP line steeper. Whatever modifies contractility "
            "does so through myocardial calcium, and a drug that increases contractility is called a positive "
            "inotropic agent."),
        QStringLiteral("PIP stands for Peak Isovolumic Pressure. It is the maximum pressure that the ventricle can "
                       "develop at a given preload and contractility. Through the Frank-Starling mechanism a larger "
                       "preload (EDV) raises PIP, and the PIP line traces PIP across the range of preload values; a "
                       "higher contractility makes the line steeper. The end systolic pressure point (ESP) of any loop "
                       "lies on the PIP line, which is why the line is also called the end-systolic pressure-volume "
                       "relation. Note that in the diagram the PIP line passes through the ESP of both loops."),
        QStringLiteral(
            "The main effects of an increase in afterload are to lower stroke volume (SV) and ejection "
            "fraction (EF). The ventricle must build a higher LVP before ejection can begin, and because "
            "ejection still ends on the PIP line, the loop becomes narrower and SV smaller. EF falls because "
            "EF = SV / EDV, and EDV at first stays the same. The larger volume left in the ventricle after "
            "ejection is then added to the next filling and raises EDV; through the Frank-Starling mechanism "
            "this partly restores SV, but at the price of more cardiac work."),
        QStringLiteral(
            "The main effect of an increase in preload is to raise stroke volume (SV). It does so directly, "
            "through the Frank-Starling mechanism: a larger end diastolic volume (EDV) stretches the "
            "sarcomeres further, and the ventricle contracts more forcefully. The larger SV lifts the aortic "
            "systolic pressure a little, which the loop shows as a higher maximum LVP in its ejection "
            "segment. Lower preload, for example from reduced venous return, has the reverse effects: a "
            "smaller SV and a lower maximum LVP. Since SV grows in step with EDV, the ejection fraction (EF = "
            "SV / EDV) hardly changes."),
        QStringLiteral(
            "The main effects of an increase in contractility is to steepen the PIP line, so that the "
            "ventricle empties further before ejection ends and both stroke volume (SV) and ejection fraction "
            "(EF) increase. Because pressure also builds faster and blood is ejected faster, the maximum "
            "ventricular pressure rises as well, chiefly because the more forceful ejection raises the aortic "
            "systolic pressure. A fall in contractility, as in heart failure, has the opposite effects: the "
            "PIP line becomes flatter, SV and EF fall, and both pressure development and ejection slow down."),
    };
    return texts;
}

const std::array<QString, LoopChangeTopics::kCount> &captions()
{
    static const std::array<QString, LoopChangeTopics::kCount> lines{
        QStringLiteral("01. What is meant by AFTERLOAD?"),
        QStringLiteral("02. What is meant by PRELOAD?"),
        QStringLiteral("03. What is meant by CONTRACTILITY?"),
        QStringLiteral("04. What is a PIP LINE?"),
        QStringLiteral("05. What are the main AFTERLOAD effects?"),
        QStringLiteral("06. What are the main PRELOAD effects?"),
        QStringLiteral("07. What are the main CONTRACTILITY effects?"),
    };
    return lines;
}

const QString &preloadWindow()
{
    static const QString name = QStringLiteral("IncreasedPreload");
    return name;
}

const std::array<QString, LoopChangeTopics::kCount> &windows()
{
    static const QString afterload = QStringLiteral("IncreasedAfterload");
    const QString &preload = preloadWindow();
    static const QString contractility = QStringLiteral("IncreasedContractility");
    static const std::array<QString, LoopChangeTopics::kCount> names{
        afterload,
        preload,
        contractility,
        QStringLiteral("PipLine"),
        afterload,
        preload,
        contractility,
    };
    return names;
}

std::size_t slot(int number)
{
    Q_ASSERT(number >= 1 && number <= LoopChangeTopics::kCount);
    return static_cast<std::size_t>(number - 1);
}

std::vector<TopicEntry> makeEntries(bool preloadWindowForward)
{
    std::vector<TopicEntry> entries;
    for (int number = 1; number <= LoopChangeTopics::kCount; ++number) {
        TopicEntry entry{captions()[slot(number)], paragraphs()[slot(number)]};
        entry.pictureWindow = windows()[slot(number)];
        entry.bringWindowForward = preloadWindowForward || entry.pictureWindow != preloadWindow();
        entries.push_back(entry);
    }
    return entries;
}

} // namespace

const QString &LoopChangeTopics::heading()
{
    static const QString line = QStringLiteral("  BASIC CONCEPTS OF LOOP CHANGES");
    return line;
}

const QString &LoopChangeTopics::text(int number)
{
    return paragraphs()[slot(number)];
}

const std::vector<TopicEntry> &LoopChangeTopics::entries()
{
    static const std::vector<TopicEntry> table = makeEntries(true);
    return table;
}

const std::vector<TopicEntry> &LoopChangeTopics::entriesOnlyShowingPreloadWindow()
{
    static const std::vector<TopicEntry> table = makeEntries(false);
    return table;
}

LessonDefinition LoopChangeLesson::frame(const QString &name, const std::vector<TopicEntry> &topics)
{
    LessonDefinition lesson;
    lesson.name = name;
    lesson.caption = name;
    lesson.instruction = QStringLiteral("Click on topic to see related graphic");
    lesson.heading = LoopChangeTopics::heading();
    lesson.topics = topics;
    lesson.layout.clientWidth = 11400;
    lesson.layout.clientHeight = 9720;
    lesson.layout.choicesText = QPalette::Base;
    lesson.questions.restartAt = kRestartAt;
    return lesson;
}

std::vector<QString> LoopChangeLesson::store(
    const std::vector<std::array<QString, 6>> &questions, const QString &closing)
{
    constexpr int kFilledUpTo = 60;
    std::vector<QString> fromSlotOne;
    for (const auto &question : questions)
        fromSlotOne.insert(fromSlotOne.end(), question.begin(), question.end());
    fromSlotOne.push_back(closing);
    Q_ASSERT(static_cast<int>(fromSlotOne.size()) <= kFilledUpTo - 2);
    fromSlotOne.resize(kFilledUpTo - 2);
    fromSlotOne.push_back(QStringLiteral(" "));
    fromSlotOne.push_back(QStringLiteral(" "));
    return fromSlotOne;
}

std::map<int, int> LoopChangeLesson::key(std::initializer_list<int> upToRestart, int afterRestart)
{
    Q_ASSERT(upToRestart.size() == kRestartAt / 6 + 1);
    std::map<int, int> byCounter;
    int counter = 0;
    for (int line : upToRestart) {
        byCounter[counter] = line;
        counter += 6;
    }
    for (; counter <= 120; counter += 6)
        byCounter[counter] = afterRestart;
    return byCounter;
}

} // namespace valthera
