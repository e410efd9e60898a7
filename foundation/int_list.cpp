#include "foundation/int_list.h"

void TIntList::Clear() {
    FName.clear();
    FItems.clear();
}

void TIntList::Add(int32_t value) { FItems.push_back(TIntItem{value}); }

int32_t TIntList::GetItem(int32_t index) const {
    if (index < 0) throw EIntListIndexError("List index out of bounds (" + std::to_string(index) + ")");
    if (index >= Count()) return -1;
    return FItems[static_cast<size_t>(index)].FValue;
}

int32_t TIntList::AssignToStrings(std::vector<std::string>& strings) const {
    strings.clear();
    for (const auto& item : FItems) strings.push_back(std::to_string(item.FValue));
    return static_cast<int32_t>(strings.size());
}
