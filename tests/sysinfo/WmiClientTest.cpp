// The WMI client over a stand-in locator (exact values, every failure road)
// and over the platform's own WMI.

#include "FakeWmi.h"
#include "WmiClient.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

namespace {

// The thread's COM is started by the test, so the clients own none of it.
class FakeWmiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        fake.reset(new FakeWmi);
        FakeObject first = {
            {L"Flag", CIM_BOOLEAN, FakeValue::Bool(false)},
            {L"On", CIM_BOOLEAN, FakeValue::Bool(true)},
            {L"Name", CIM_STRING, FakeValue::Text(L"Alpha")},
            {L"Width", CIM_UINT16, FakeValue::Number(64)},
            {L"Cores", CIM_UINT32, FakeValue::Number(8)},
            {L"Byte", CIM_UINT8, FakeValue::Number(200, VT_UI1)},
            {L"Size", CIM_UINT64, FakeValue::Text(L"18446744073709551615")},
            {L"NullName", CIM_STRING, FakeValue::Null()},
            {L"NullText", CIM_STRING, FakeValue::NullText()},
            {L"NullSize", CIM_UINT64, FakeValue::Null()},
            {L"NullFlag", CIM_BOOLEAN, FakeValue::Null()},
            {L"NullSizeText", CIM_UINT64, FakeValue::NullText()},
            {L"Garbled", CIM_UINT64, FakeValue::Text(L"many")},
            {L"Signed", CIM_UINT64, FakeValue::Text(L" +42")}, // read as scanf reads it
            {L"Liar", CIM_STRING, FakeValue::Number(5)},       // a text that holds a number
        };
        FakeObject second = {{L"Name", CIM_STRING, FakeValue::Text(L"Beta")},
                             {L"Cores", CIM_UINT32, FakeValue::Number(-1)}};
        fake->AddObject(L"Thing", first);
        fake->AddObject(L"Thing", second);
    }
    void TearDown() override
    {
        fake.reset();
        ::CoUninitialize();
    }

    std::unique_ptr<FakeWmi> fake;
};

// Sentinels: a getter that fails must leave them as they are.
struct Outs {
    BOOL flag = 7;
    CString text = L"unchanged";
    UINT8 u8 = 0x5A;
    UINT16 u16 = 0x5A5A;
    UINT32 u32 = 0x5A5A5A5A;
    UINT64 u64 = 0x5A5A5A5A5A5A5A5AULL;
};

enum Getter { kBool, kString, kUInt8, kUInt16, kUInt32, kUInt64 };

BOOL Get(WmiClient& client, Getter getter, const wchar_t* query, UINT32 index, Outs& out)
{
    switch (getter) {
    case kBool:
        return client.GetBool(query, out.flag, index);
    case kString:
        return client.GetString(query, out.text, index);
    case kUInt8:
        return client.GetUInt8(query, out.u8, index);
    case kUInt16:
        return client.GetUInt16(query, out.u16, index);
    case kUInt32:
        return client.GetUInt32(query, out.u32, index);
    default:
        return client.GetUInt64(query, out.u64, index);
    }
}

// The out value of a getter as a number (texts: 1 when they equal `text`).
uint64_t Seen(Getter getter, const Outs& out, const wchar_t* text)
{
    switch (getter) {
    case kBool:
        return static_cast<uint64_t>(out.flag);
    case kString:
        return out.text == text ? 1 : 0;
    case kUInt8:
        return out.u8;
    case kUInt16:
        return out.u16;
    case kUInt32:
        return out.u32;
    default:
        return out.u64;
    }
}

} // namespace

TEST_F(FakeWmiTest, ConnectsToItsNamespaceAndCountsObjects)
{
    WmiClient client;
    EXPECT_EQ(client.Connect(), S_OK);
    EXPECT_EQ(fake->connectedNamespace, L"root\\CIMV2");
    EXPECT_EQ(client.Count(L"SELECT * FROM Thing"), 2);
    EXPECT_EQ(client.Count(L"SELECT * FROM Nothing"), 0) << "a failing query counts nothing";
    EXPECT_EQ(client.Count(L""), static_cast<int>(E_FAIL));
    EXPECT_EQ(fake->queries, (std::vector<std::wstring>{L"SELECT * FROM Thing", L"SELECT * FROM Nothing"}))
        << "an empty query never reaches WMI";

    WmiClient other(L"root\\WMI");
    other.Connect();
    EXPECT_EQ(fake->connectedNamespace, L"root\\WMI");
}

TEST_F(FakeWmiTest, GettersTakeOnlyTheirOwnTypeAndAnswerOnlyOnSuccess)
{
    struct Case {
        Getter getter;
        const wchar_t* query;
        UINT32 index;
        BOOL result;
        uint64_t value; // what the out value holds afterwards
        const wchar_t* text;
    } cases[] = {
        {kBool, L"SELECT Flag FROM Thing", 0, TRUE, FALSE, nullptr},
        {kBool, L"SELECT On FROM Thing", 0, TRUE, TRUE, nullptr},
        {kBool, L"SELECT NullFlag FROM Thing", 0, TRUE, FALSE, nullptr},
        {kString, L"SELECT Name FROM Thing", 0, TRUE, 1, L"Alpha"},
        {kString, L"SELECT Name FROM Thing", 1, TRUE, 1, L"Beta"},
        {kString, L"SELECT NullName FROM Thing", 0, TRUE, 1, L""},
        {kString, L"SELECT NullText FROM Thing", 0, TRUE, 1, L""},
        {kString, L"SELECT Liar FROM Thing", 0, FALSE, 1, L"unchanged"},
        {kUInt8, L"SELECT Byte FROM Thing", 0, TRUE, 200, nullptr},
        {kUInt16, L"SELECT Width FROM Thing", 0, TRUE, 64, nullptr},
        {kUInt32, L"SELECT Width FROM Thing", 0, FALSE, 0x5A5A5A5A, nullptr}, // wrong width
        {kUInt32, L"SELECT Cores FROM Thing", 0, TRUE, 8, nullptr},
        {kUInt32, L"SELECT Cores FROM Thing", 1, TRUE, 0xFFFFFFFF, nullptr},
        {kUInt64, L"SELECT Size FROM Thing", 0, TRUE, 18446744073709551615ULL, nullptr},
        {kUInt64, L"SELECT NullSize FROM Thing", 0, TRUE, 0, nullptr},
        {kUInt64, L"SELECT NullSizeText FROM Thing", 0, TRUE, 0, nullptr},
        {kUInt64, L"SELECT Garbled FROM Thing", 0, TRUE, 0, nullptr},
        {kUInt64, L"SELECT Signed FROM Thing", 0, TRUE, 42, nullptr},
        {kUInt64, L"SELECT Cores FROM Thing", 0, FALSE, 0x5A5A5A5A5A5A5A5AULL, nullptr},
        // The second object has no Width: WMI answers WBEM_S_NO_MORE_DATA, a success code.
        {kUInt16, L"SELECT Width FROM Thing", 1, FALSE, 0x5A5A, nullptr},
        {kString, L"SELECT Name FROM Thing", 2, FALSE, 1, L"unchanged"}, // index = count: nothing to fetch
        {kString, L"SELECT Name FROM Thing", 3, FALSE, 1, L"unchanged"}, // beyond: the skip fails
        {kString, L"SELECT Name FROM Nothing", 0, FALSE, 1, L"unchanged"},
        {kString, L"", 0, FALSE, 1, L"unchanged"},
        {kBool, L"", 0, FALSE, 7, nullptr},
        {kUInt64, L"", 0, FALSE, 0x5A5A5A5A5A5A5A5AULL, nullptr},
    };
    {
        WmiClient client;
        client.Connect();
        for (const Case& c : cases) {
            Outs out;
            EXPECT_EQ(Get(client, c.getter, c.query, c.index, out), c.result) << c.query << " at " << c.index;
            EXPECT_EQ(Seen(c.getter, out, c.text), c.value) << c.query << " at " << c.index;
        }
        EXPECT_EQ(fake->live, 2) << "only the locator and the services stay: every enumerator and object is released";
    }
    EXPECT_EQ(fake->live, 0) << "the client releases its locator and services";
}

TEST_F(FakeWmiTest, PropertyComesAsWmiHandsItOut)
{
    WmiClient client;
    client.Connect();
    WmiPropertyValue value;
    ASSERT_EQ(client.GetProperty(L"SELECT Width FROM Thing", value, 0), S_OK);
    EXPECT_EQ(value.type, CIM_UINT16);
    EXPECT_EQ(value.value.vt, VT_I4);
    EXPECT_EQ(value.value.lVal, 64);

    WmiPropertyValue missing;
    EXPECT_EQ(client.GetProperty(L"SELECT Width FROM Thing", missing, 1), WBEM_S_NO_MORE_DATA);
    WmiPropertyValue beyond;
    EXPECT_EQ(client.GetProperty(L"SELECT Name FROM Thing", beyond, 5), WBEM_S_FALSE);
    EXPECT_EQ(client.GetProperty(L"", beyond, 0), E_FAIL);
}

TEST_F(FakeWmiTest, AReadThatEndsInAnotherSuccessCodeIsNoAnswer)
{
    fake->endEnumerationResult = WBEM_S_FALSE; // the property was handed out all the same
    WmiClient client;
    client.Connect();
    WmiPropertyValue value;
    EXPECT_EQ(client.GetProperty(L"SELECT Name FROM Thing", value, 0), WBEM_S_FALSE);
    Outs out;
    EXPECT_FALSE(client.GetString(L"SELECT Name FROM Thing", out.text, 0));
    EXPECT_FALSE(client.GetUInt64(L"SELECT Size FROM Thing", out.u64, 0));
    EXPECT_FALSE(client.GetBool(L"SELECT On FROM Thing", out.flag, 0));
    EXPECT_EQ(out.text, L"unchanged");
    EXPECT_EQ(out.u64, 0x5A5A5A5A5A5A5A5AULL);
    EXPECT_EQ(out.flag, 7);
}

TEST_F(FakeWmiTest, QueriesOfAClientWhoseConnectFailedReportFailure)
{
    fake->connectResult = WBEM_E_INVALID_NAMESPACE;
    WmiClient client;
    EXPECT_EQ(client.Connect(), WBEM_E_INVALID_NAMESPACE);
    EXPECT_EQ(client.Count(L"SELECT * FROM Thing"), 0);
    WmiPropertyValue value;
    EXPECT_NE(client.GetProperty(L"SELECT Name FROM Thing", value, 0), S_OK);
    Outs out;
    for (Getter getter : {kBool, kString, kUInt8, kUInt16, kUInt32, kUInt64})
        EXPECT_FALSE(Get(client, getter, L"SELECT Name FROM Thing", 0, out));
    EXPECT_EQ(out.text, L"unchanged");
    EXPECT_TRUE(fake->queries.empty());

    WmiClient never; // not connected at all
    EXPECT_EQ(never.Count(L"SELECT * FROM Thing"), 0);
    EXPECT_FALSE(never.GetString(L"SELECT Name FROM Thing", out.text, 0));
}

// The platform's own WMI: the processor and the operating system answer.
TEST(RealWmiTest, AnswersTheProcessorAndRefusesAnUnknownNamespace)
{
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        WmiClient client;
        ASSERT_EQ(client.Connect(), S_OK);
        int processors = client.Count(L"SELECT * FROM Win32_Processor");
        EXPECT_GE(processors, 1);
        CString name = L"unchanged";
        EXPECT_TRUE(client.GetString(L"SELECT Name FROM Win32_Processor", name, 0));
        EXPECT_NE(name, L"unchanged");
        UINT16 width = 0;
        EXPECT_TRUE(client.GetUInt16(L"SELECT AddressWidth FROM Win32_Processor", width, 0));
        EXPECT_EQ(width, 64);
        UINT32 wide = 7;
        EXPECT_FALSE(client.GetUInt32(L"SELECT AddressWidth FROM Win32_Processor", wide, 0));
        EXPECT_EQ(wide, 7u);
        UINT32 cores = 0;
        EXPECT_TRUE(client.GetUInt32(L"SELECT NumberOfCores FROM Win32_Processor", cores, 0));
        EXPECT_GE(cores, 1u);
        EXPECT_FALSE(client.GetString(L"SELECT Name FROM Win32_Processor", name, static_cast<UINT32>(processors)));

        WmiClient nowhere(L"root\\nothing");
        EXPECT_EQ(nowhere.Connect(), static_cast<HRESULT>(0x8004100E));
        EXPECT_EQ(nowhere.Count(L"SELECT * FROM Win32_Processor"), 0);
        EXPECT_FALSE(nowhere.GetString(L"SELECT Name FROM Win32_Processor", name, 0));
    }
    ::CoUninitialize();
}
