#include <gtest/gtest.h>

#include <map>
#include <string>

#include "RegistryOp.h"
#include "TraceCapture.h"

namespace {

// A key of its own under HKEY_CURRENT_USER, removed with everything in it.
class RegistryOpTest : public testing::Test {
protected:
    RegistryOpTest()
    {
        base.Format(L"Software\\KestrovaTest_%lu", ::GetCurrentProcessId());
        HKEY key = nullptr;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, base, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        ::RegCloseKey(key);
    }
    ~RegistryOpTest() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, base); }

    CString Sub(LPCWSTR name) const { return base + L"\\" + name; }

    void SetRaw(LPCWSTR name, DWORD type, const void* data, DWORD bytes)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, base, 0, KEY_ALL_ACCESS, &key));
        ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes);
        ::RegCloseKey(key);
    }

    CString base;
    RegistryOp reg{HKEY_CURRENT_USER};
};

TEST_F(RegistryOpTest, WritesAndReadsBackValues)
{
    ASSERT_TRUE(reg.OpenKey(base));
    EXPECT_TRUE(reg.Write(L"dword", static_cast<DWORD>(0x89ABCDEF)));
    EXPECT_TRUE(reg.Write(L"int", -5));
    EXPECT_TRUE(reg.Write(L"text", L"C:\\Program Files\\Kestrova"));
    DWORD dword = 0;
    int number = 0;
    CString text;
    EXPECT_TRUE(reg.Read(L"dword", dword));
    EXPECT_EQ(0x89ABCDEFu, dword);
    EXPECT_TRUE(reg.Read(L"int", number));
    EXPECT_EQ(-5, number);
    EXPECT_TRUE(reg.Read(L"text", text));
    EXPECT_STREQ(L"C:\\Program Files\\Kestrova", text);

    // No text at all is stored as an empty one rather than read through NULL.
    EXPECT_TRUE(reg.Write(L"none", static_cast<LPCWSTR>(nullptr)));
    EXPECT_TRUE(reg.Read(L"none", text));
    EXPECT_STREQ(L"", text);

    EXPECT_TRUE(reg.VerifyValue(L"text"));
    EXPECT_TRUE(reg.DeleteValue(L"text"));
    EXPECT_FALSE(reg.DeleteValue(L"text"));
    EXPECT_FALSE(reg.VerifyValue(L"text"));
}

TEST_F(RegistryOpTest, FailuresAreLoggedWithTheirCode)
{
    TraceCapture trace;
    CString missing = Sub(L"missing");
    EXPECT_FALSE(reg.OpenKey(missing));
    DWORD value = 77;
    EXPECT_FALSE(reg.Read(L"any", value)); // no key held
    EXPECT_EQ(77u, value);
    std::wstring expected = L"RegistryOp::OpenKey -> " + std::wstring(missing.GetString()) + L" Error return: 2\n";
    EXPECT_EQ(0u, trace.Captured().find(expected));

    ASSERT_TRUE(reg.OpenKey(base));
    TraceCapture again;
    EXPECT_FALSE(reg.Read(L"absent", value));
    EXPECT_EQ(77u, value);
    EXPECT_FALSE(reg.VerifyValue(L"absent"));
    EXPECT_EQ(L"RegistryOp::Read -> absent Error return: 2\n"
              L"RegistryOp::VerifyValue -> absent Error return: 2\n",
              again.Captured());
}

TEST_F(RegistryOpTest, ReadTakesOnlyValuesOfFourBytesOrLess)
{
    ULONGLONG qword = 5;
    SetRaw(L"qword", REG_QWORD, &qword, sizeof(qword));
    BYTE pair[2] = {0x34, 0x12};
    SetRaw(L"short", REG_BINARY, pair, sizeof(pair));
    ASSERT_TRUE(reg.OpenKey(base));

    TraceCapture trace;
    DWORD value = 9;
    EXPECT_FALSE(reg.Read(L"qword", value));
    EXPECT_EQ(9u, value);
    EXPECT_EQ(L"RegistryOp::Read -> qword Error return: 234\n", trace.Captured());
    EXPECT_TRUE(reg.Read(L"short", value));
    EXPECT_EQ(0x1234u, value);
}

TEST_F(RegistryOpTest, StringThatFillsTheBufferStaysTerminated)
{
    // The type is not examined: 200 bytes of binary data fill the buffer
    // with no terminator at all.
    std::wstring hundred(100, L'k');
    SetRaw(L"full", REG_BINARY, hundred.data(), 200);
    std::wstring longer(101, L'm');
    SetRaw(L"long", REG_SZ, longer.c_str(), 204);
    ASSERT_TRUE(reg.OpenKey(base));
    CString text = L"unchanged";
    EXPECT_TRUE(reg.Read(L"full", text));
    EXPECT_EQ(hundred, text.GetString());
    EXPECT_FALSE(reg.Read(L"long", text));
    EXPECT_EQ(hundred, text.GetString());
}

TEST_F(RegistryOpTest, LaterOpenReplacesTheHeldKey)
{
    RegistryOp maker(HKEY_CURRENT_USER);
    for (LPCWSTR name : {L"one", L"two", L"three"})
        ASSERT_TRUE(maker.CreateKey(Sub(name)));
    maker.Close();
    maker.Close();

    ASSERT_TRUE(reg.OpenKey(Sub(L"one")));
    ASSERT_TRUE(reg.OpenKey(Sub(L"two")));
    ASSERT_TRUE(reg.OpenKey(Sub(L"three")));
    EXPECT_TRUE(reg.Write(L"mark", static_cast<DWORD>(3)));
    reg.Close();
    reg.Close();

    DWORD value = 0;
    ASSERT_TRUE(reg.OpenKey(Sub(L"three")));
    EXPECT_TRUE(reg.Read(L"mark", value));
    EXPECT_EQ(3u, value);
    ASSERT_TRUE(reg.OpenKey(Sub(L"one")));
    EXPECT_FALSE(reg.VerifyValue(L"mark"));
}

TEST_F(RegistryOpTest, EnumeratesSubKeysAndDeletesThem)
{
    ASSERT_TRUE(reg.OpenKey(base));
    CString list;
    EXPECT_FALSE(reg.EnumSubKeys(list));
    EXPECT_TRUE(list.IsEmpty());

    ASSERT_TRUE(reg.CreateKey(Sub(L"alpha")));
    ASSERT_TRUE(reg.CreateKey(Sub(L"beta")));
    ASSERT_TRUE(reg.OpenKey(base));
    EXPECT_TRUE(reg.EnumSubKeys(list));
    EXPECT_TRUE(list == L"alpha\r\nbeta\r\n" || list == L"beta\r\nalpha\r\n") << list.GetString();
    CString name;
    EXPECT_FALSE(reg.EnumSubKey(2, name));

    reg.Close();
    EXPECT_TRUE(reg.DeleteKey(Sub(L"alpha")));
    EXPECT_FALSE(reg.DeleteKey(Sub(L"alpha")));
    EXPECT_FALSE(reg.OpenKey(Sub(L"alpha")));
}

TEST_F(RegistryOpTest, EnumeratesValuesAsText)
{
    const wchar_t multi[] = L"one\0two\0";
    BYTE binary[3] = {0xF0, 0x0A, 0x01};
    DWORD minusOne = 0xFFFFFFFF;
    ULONGLONG big = 18446744073709551615ull;
    SetRaw(L"sz", REG_SZ, L"%TEMP%", 14);
    SetRaw(L"expand", REG_EXPAND_SZ, L"%TEMP%", 14);
    SetRaw(L"bin", REG_BINARY, binary, sizeof(binary));
    SetRaw(L"dword", REG_DWORD, &minusOne, sizeof(minusOne));
    SetRaw(L"multi", REG_MULTI_SZ, multi, sizeof(multi));
    SetRaw(L"qword", REG_QWORD, &big, sizeof(big));
    SetRaw(L"none", REG_NONE, binary, sizeof(binary));
    ASSERT_TRUE(reg.OpenKey(base));

    std::map<std::wstring, std::wstring> one;
    RegistryValueInfo record;
    DWORD index = 0;
    for (; reg.EnumValue(index, &record); ++index)
        one[record.name.GetString()] = record.text.GetString();
    EXPECT_EQ(7u, index);
    const std::map<std::wstring, std::wstring> expected = {
        {L"sz", L"%TEMP%"}, {L"expand", L"%TEMP%"},    {L"bin", L"f0 0a 01 "},
        {L"dword", L"-1"},  {L"multi", L"one\ttwo\t"}, {L"qword", L"18446744073709551615"},
        {L"none", L""},
    };
    EXPECT_EQ(expected, one);

    RegistryValueInfo records[8];
    reg.EnumValues(records);
    std::map<std::wstring, std::wstring> all;
    for (const RegistryValueInfo& r : records) {
        if (!r.name.IsEmpty())
            all[r.name.GetString()] = r.text.GetString();
    }
    std::map<std::wstring, std::wstring> expectedAll = expected;
    expectedAll[L"bin"] = L"-16"; // the first byte, signed
    EXPECT_EQ(expectedAll, all);
}

TEST(RegistryOpText, ConvertsBinaryAndMultiStrings)
{
    CString out = L"head ";
    const BYTE bytes[] = {0x00, 0xAB, 0x7F};
    RegistryOp::BinaryToString(bytes, 3, out);
    EXPECT_STREQ(L"head 00 ab 7f ", out);

    // Only the first count - 1 units change: the last one ends the text.
    wchar_t multi[] = {L'a', 0, L'b', L'c', 0, 0};
    RegistryOp::MultiStringToString(multi, 6, out);
    EXPECT_STREQ(L"a\tbc\t", out);
    wchar_t shortCount[] = {L'a', 0, L'b', 0};
    RegistryOp::MultiStringToString(shortCount, 2, out);
    EXPECT_STREQ(L"a", out);
}

} // namespace
