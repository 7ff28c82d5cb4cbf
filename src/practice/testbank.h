#pragma once
// The practice test's content: twenty six-line questions with their keys and
// explanations, five closing pages, and the bank of text slots that Next reads.

#include "lesson/slotstore.h"

#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace valthera {

// One page of the test: the stem or heading (line 0) and the five lettered lines.
using TestPage = std::array<QString, 6>;

// What marks one question: the index of its correct line in the choice list
// (1 for the "a." line to 5 for the "e." line) and the explanation shown for it.
struct TestKeyEntry {
    int line = 0;
    QString explanation; // empty where the question has none
};

namespace testcontent {

inline constexpr int kQuestions = 20;
inline constexpr int kPages = 25; // the questions and the closing pages

// Page number 1 to 25; 1 is put up by Start, 2 to 25 are read from the bank.
const TestPage &page(int number);
// Key of question 1 to 20.
const TestKeyEntry &key(int question);

} // namespace testcontent

// The 151 text slots, 0 to 150, that Next reads. Page k (k >= 2) stands in
// slots 6(k-2)+1 to 6(k-2)+6; slot 0 and slots 145 to 150 stay empty.
using TestBank = SlotStore<151>;

namespace testcontent {

// Pages 2 to 25, line by line, as the bank holds them from slot 1 on.
std::vector<QString> bankText();

} // namespace testcontent

// The key by counter value: question k is on display at counter 6(k-1).
class TestAnswerKey {
public:
    static std::optional<TestKeyEntry> lookup(int counter);
};

} // namespace valthera
