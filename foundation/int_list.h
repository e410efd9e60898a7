// A named list of signed 32-bit integers (an album of the photo database: its title, the ids of
// its pictures, and a kind number that only the owner reads).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/errors.h"

// The module's exception; declared for callers, raised by nothing here.
class TIntException : public ETolvError {
public:
    using ETolvError::ETolvError;
};

// A negative index given to GetItem (the list's own index error).
class EIntListIndexError : public ETolvError {
public:
    using ETolvError::ETolvError;
};

struct TIntItem {
    int32_t FValue = 0;
};

class TIntList {
public:
    std::string FName;             // the list's name (UTF-8)
    std::vector<TIntItem> FItems;  // in insertion order
    int32_t FKind = 0;             // set and read by the owner only

    // Empties the name and the values; FKind stays.
    void Clear();
    void Add(int32_t value);
    // The value at the 0-based index; -1 at or past the end (not to be told from a stored -1).
    // A negative index raises EIntListIndexError.
    int32_t GetItem(int32_t index) const;
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    // Replaces the strings by the values as decimal text, in order; returns their count.
    int32_t AssignToStrings(std::vector<std::string>& strings) const;
};
