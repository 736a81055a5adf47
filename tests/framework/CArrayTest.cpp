#include <gtest/gtest.h>

#include "CArray.h"

TEST(CArray, GrowsInsertsAndRemovesWithinBounds)
{
    CArray<int> items;
    EXPECT_EQ(0, items.Add(1));
    EXPECT_EQ(1, items.Add(3));
    items.InsertAt(1, 2);
    items.InsertAt(5, 9); // past the end: the gap is filled with defaults
    ASSERT_EQ(6, items.GetSize());
    EXPECT_EQ(2, items[1]);
    EXPECT_EQ(0, items[3]);
    EXPECT_EQ(9, items[5]);

    // Out-of-range indices change nothing.
    items.InsertAt(-1, 7);
    items.RemoveAt(-1);
    items.RemoveAt(6);
    EXPECT_EQ(6, items.GetSize());

    items.RemoveAt(3, 100);
    EXPECT_EQ(3, items.GetSize());
    EXPECT_EQ(3, items.GetAt(items.GetUpperBound()));
    items.RemoveAll();
    EXPECT_TRUE(items.IsEmpty());
}
