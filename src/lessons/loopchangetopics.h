#pragma once
// The heading and seven topics shared by the three loop-change lessons
// (afterload, preload, contractility). Each topic shows one paragraph and brings
// forward one of the four picture windows.

#include "lesson/lessondefinition.h"

#include <QString>
#include <array>
#include <initializer_list>
#include <vector>

namespace valthera {

struct LoopChangeTopics {
    static constexpr int kCount = 7;

    // Entry 0 of the topic list.
    static const QString &heading();
    // The paragraph of topic number (1 to 7).
    static const QString &text(int number);

    // The seven topics; each shows its window and brings it forward.
    static const std::vector<TopicEntry> &entries();
    // The same topics for the preload lesson, whose increased-preload topics (2
    // and 6) only make that window visible: the lesson's text-change handling
    // brings it forward when the selection changes the text.
    static const std::vector<TopicEntry> &entriesOnlyShowingPreloadWindow();
};

// What else the three loop-change lessons share: the frame of the screen and the
// shape of their question stores and keys.
struct LoopChangeLesson {
    // Counter at which a mark empties the choice list and starts over.
    static constexpr int kRestartAt = 90;

    // Name (also the caption), instruction, heading, topics, design client
    // area, choice-list colours and the restart; the rest is the lesson's own.
    static LessonDefinition frame(const QString &name, const std::vector<TopicEntry> &topics);

    // Store slots from slot 1: the stored questions (2, 3, …) six lines each,
    // then the closing line, then empty slots up to 60, of which 59 and 60 hold
    // a single blank.
    static std::vector<QString> store(const std::vector<std::array<QString, 6>> &questions, const QString &closing);

    // The key by view: the correct line for counters 0, 6, … 90 in order, and
    // one line for every view after that (96 to 120).
    static std::map<int, int> key(std::initializer_list<int> upToRestart, int afterRestart);
};

} // namespace valthera
