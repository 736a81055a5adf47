// The SMART store: the "SMART.ini" catalogue, the parse of a drive's 512-byte
// SMART data into its slot, and the lookups the pages make.

#include <gtest/gtest.h>

#include <cstring>

#include "SmartStore.h"
#include "TempDir.h"

namespace {

// A 512-byte SMART block with the given (entry index, id, current, worst, raw, threshold) rows.
struct Entry {
    int index;
    BYTE id;
    BYTE current;
    BYTE worst;
    DWORD raw;
    BYTE threshold;
};

void PutEntries(BYTE* block, std::initializer_list<Entry> entries)
{
    memset(block, 0, 512);
    for (const Entry& e : entries) {
        BYTE* p = block + 2 + 12 * e.index;
        p[0] = e.id;
        p[3] = e.current;
        p[4] = e.worst;
        memcpy(p + 5, &e.raw, 4);
        p[9] = 0x77; // upper raw bytes: not part of the 32-bit raw value
        p[11] = e.threshold;
    }
}

} // namespace

TEST(SmartStoreCatalogue, ReadsSectionsUpToMaxWithFirstIdWinningAndLowByteKept)
{
    TempDir dir;
    CString ini = dir.Write(L"SMART.ini", "[General]\r\nMax Attributes=4\r\n"
                                          "[Attribute0]\r\nId=12\r\nCritical=1\r\nName=First\r\nDetails=Cycles\r\n"
                                          "[Attribute2]\r\nId=265\r\nName=Nine\r\n"
                                          "[Attribute3]\r\nId=12\r\nCritical=0\r\nName=Second\r\n"
                                          "[Attribute4]\r\nId=13\r\nName=Beyond max\r\n");
    SmartStore store;
    store.LoadAttributeDefsFrom(ini);

    const SmartAttributeDef* first = store.FindAttributeDef(12);
    ASSERT_NE(nullptr, first);
    EXPECT_STREQ(L"First", first->name);
    EXPECT_STREQ(L"Cycles", first->details);
    EXPECT_EQ(1, first->critical);

    const SmartAttributeDef* nine = store.FindAttributeDef(9);
    ASSERT_NE(nullptr, nine);
    EXPECT_STREQ(L"Nine", nine->name);

    // The missing Attribute1 reads as defaults: an entry for id 0.
    const SmartAttributeDef* missing = store.FindAttributeDef(0);
    ASSERT_NE(nullptr, missing);
    EXPECT_TRUE(missing->name.IsEmpty());

    EXPECT_EQ(nullptr, store.FindAttributeDef(13));
}

TEST(SmartStoreCatalogue, ReadingStopsAfterTheHighestSectionBelowTheCount)
{
    struct Case {
        const char* count;
        BYTE id;
        bool found;
    };
    // Sections 256 and 1000000 exist; nothing else does.
    const Case cases[] = {
        {"257", 9, true},                                 // a section past 255 is still read
        {"256", 9, false},                                // ... but not at or beyond the count
        {"2000000000", 7, true},                          // a huge count reads the sections there are, and ends
        {"1000000", 7, false},   {"2000000000", 0, true}, // the gap before section 256 reads as the defaults
    };
    TempDir dir;
    CString ini = dir.Write(L"SMART.ini", "[General]\r\nMax Attributes=1\r\n"
                                          "[Attribute256]\r\nId=9\r\nName=Late\r\n"
                                          "[Attribute1000000]\r\nId=7\r\nName=Far\r\n"
                                          "[Attribute0256]\r\nId=5\r\nName=Not as the catalogue names it\r\n");
    for (const Case& c : cases) {
        WritePrivateProfileStringW(L"General", L"Max Attributes", CString(c.count), ini);
        SmartStore store;
        store.LoadAttributeDefsFrom(ini);
        EXPECT_EQ(c.found, store.FindAttributeDef(c.id) != nullptr) << c.count << " id " << int(c.id);
        EXPECT_EQ(nullptr, store.FindAttributeDef(5));
    }
    SmartStore store;
    WritePrivateProfileStringW(L"General", L"Max Attributes", L"257", ini);
    store.LoadAttributeDefsFrom(ini);
    ASSERT_NE(nullptr, store.FindAttributeDef(9));
    EXPECT_STREQ(L"Late", store.FindAttributeDef(9)->name);
}

TEST(SmartStoreCatalogue, MissingFileGivesEmptyCatalogue)
{
    TempDir dir;
    SmartStore store;
    store.LoadAttributeDefsFrom(dir.Path(L"SMART.ini"));
    EXPECT_EQ(nullptr, store.FindAttributeDef(0));
    EXPECT_EQ(nullptr, store.FindAttributeDef(9));
}

TEST(SmartStoreParse, StoresNonZeroEntriesInTheSlotAndFindsThemThere)
{
    BYTE block[512];
    PutEntries(block, {{0, 9, 100, 98, 0x00012345, 0}, {1, 0, 1, 1, 1, 1}, {2, 12, 99, 97, 42, 5}});
    SmartStore store;
    store.ParseAttributeData(2 + SMART_NVME_SLOT_BASE, block);

    const SmartDriveInfo& record = store.GetDriveRecord(18);
    EXPECT_EQ(2, record.attributeCount);
    EXPECT_EQ(18, record.slot);
    EXPECT_EQ(9, record.attributes[0].id);
    EXPECT_EQ(12, record.attributes[1].id);

    const SmartAttribute* hours = store.FindAttribute(record.slot, 9);
    ASSERT_NE(nullptr, hours);
    EXPECT_EQ(0x00012345u, hours->raw);
    EXPECT_EQ(100, hours->current);
    EXPECT_EQ(98, hours->worst);
    ASSERT_NE(nullptr, store.FindAttribute(18, 12));
    EXPECT_EQ(5u, store.FindAttribute(18, 12)->threshold);

    // Slot 16 is another drive's (library index 0).
    EXPECT_EQ(nullptr, store.FindAttribute(16, 9));
    EXPECT_EQ(nullptr, store.FindAttribute(18, 0));
}

TEST(SmartStoreParse, SlotNotReadYetHasItsNumberAndNoAttributes)
{
    SmartStore store;
    for (BYTE slot : {0, 5, 31}) {
        const SmartDriveInfo& record = store.GetDriveRecord(slot);
        EXPECT_EQ(slot, record.slot);
        EXPECT_EQ(0, record.attributeCount);
        EXPECT_EQ(nullptr, store.FindAttribute(record.slot, 9));
    }
}

TEST(SmartStoreParse, ReReadDropsIdsTheDriveNoLongerReports)
{
    BYTE block[512];
    SmartStore store;
    PutEntries(block, {{0, 9, 100, 100, 1, 0}, {1, 12, 100, 100, 2, 0}, {2, 194, 100, 100, 3, 0}});
    store.ParseAttributeData(3, block);
    PutEntries(block, {{0, 12, 90, 90, 20, 0}});
    store.ParseAttributeData(3, block);

    EXPECT_EQ(1, store.GetDriveRecord(3).attributeCount);
    EXPECT_EQ(nullptr, store.FindAttribute(3, 9));
    EXPECT_EQ(nullptr, store.FindAttribute(3, 194));
    ASSERT_NE(nullptr, store.FindAttribute(3, 12));
    EXPECT_EQ(20u, store.FindAttribute(3, 12)->raw);
}

TEST(SmartStoreParse, SlotsWithoutRecordAreRefusedAndFindNothing)
{
    BYTE block[512];
    PutEntries(block, {{0, 9, 100, 100, 1234, 0}});
    SmartStore store;
    for (int slot : {32, 16 + 16, 40, 255, -1}) {
        store.ParseAttributeData(slot, block);
    }
    EXPECT_EQ(nullptr, store.FindAttribute(32, 9));
    EXPECT_EQ(nullptr, store.FindAttribute(255, 9));
    const SmartDriveInfo& none = store.GetDriveRecord(40);
    EXPECT_EQ(0, none.attributeCount);
    EXPECT_EQ(nullptr, store.FindAttribute(none.slot, 9));
    // The last real slot is untouched by the refused writes.
    EXPECT_EQ(0, store.GetDriveRecord(31).attributeCount);
    EXPECT_EQ(nullptr, store.FindAttribute(31, 9));

    // NVMe library index 240 gives slot 256, which is not slot 0.
    store.ParseAttributeData(0, block);
    const SmartDriveInfo& high = store.GetDriveRecord(240 + SMART_NVME_SLOT_BASE);
    EXPECT_EQ(nullptr, store.FindAttribute(high.slot, 9));
}
