#include "foundation/int_list.h"

#include <gtest/gtest.h>

TEST(IntList, StartsEmptyAndKeepsInsertionOrder) {
    TIntList list;
    EXPECT_EQ(list.FName, "");
    EXPECT_EQ(list.FKind, 0);
    EXPECT_EQ(list.Count(), 0);
    list.Add(7);
    list.Add(-5);
    list.Add(INT32_MAX);
    EXPECT_EQ(list.GetItem(0), 7);
    EXPECT_EQ(list.GetItem(1), -5);
    EXPECT_EQ(list.GetItem(2), INT32_MAX);
}

TEST(IntList, IndexAtOrPastTheEndGivesMinusOneNegativeRaises) {
    TIntList list;
    EXPECT_EQ(list.GetItem(0), -1);
    list.Add(-1);
    list.Add(3);
    EXPECT_EQ(list.GetItem(2), -1);  // index equal to the count
    EXPECT_EQ(list.GetItem(0), -1);  // a stored -1 looks the same
    EXPECT_EQ(list.GetItem(1000), -1);
    EXPECT_THROW(list.GetItem(-1), EIntListIndexError);
}

TEST(IntList, ClearEmptiesNameAndValuesButKeepsKind) {
    TIntList list;
    list.FName = "アルバム";
    list.FKind = 2;
    list.Add(1);
    list.Clear();
    EXPECT_EQ(list.FName, "");
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.FKind, 2);
}

TEST(IntList, AssignToStringsReplacesTheStrings) {
    std::vector<std::string> strings{"old", "lines"};
    TIntList empty;
    EXPECT_EQ(empty.AssignToStrings(strings), 0);
    EXPECT_TRUE(strings.empty());

    TIntList list;
    list.Add(100);
    list.Add(-2147483647 - 1);
    strings = {"x"};
    EXPECT_EQ(list.AssignToStrings(strings), 2);
    EXPECT_EQ(strings, (std::vector<std::string>{"100", "-2147483648"}));
}
