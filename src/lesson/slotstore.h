#pragma once
// A fixed run of text slots, 0 to Slots - 1, that a question sequence reads six
// at a time: filled from slot 1 on, slot 0 always empty.

#include <QString>
#include <algorithm>
#include <array>
#include <vector>

namespace valthera {

template <int Slots> class SlotStore {
public:
    static constexpr int kSlots = Slots;
    static constexpr int kLast = kSlots - 1;

    // Empties the store, then fills it from slot 1 on; text beyond the last slot is dropped.
    void fill(const std::vector<QString> &fromSlotOne)
    {
        clear();
        const int count = std::min<int>(static_cast<int>(fromSlotOne.size()), kLast);
        for (int i = 0; i < count; ++i)
            slots_[static_cast<size_t>(i + 1)] = fromSlotOne[static_cast<size_t>(i)];
    }

    void clear() { slots_.fill(QString()); }

    // The text of a slot; a slot outside 0 to kLast reads as empty.
    QString at(int slot) const
    {
        if (slot < 0 || slot > kLast)
            return {};
        return slots_[static_cast<size_t>(slot)];
    }

private:
    std::array<QString, kSlots> slots_;
};

} // namespace valthera
