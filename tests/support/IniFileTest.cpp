#include <gtest/gtest.h>

#include <string>

#include "IniFile.h"
#include "TempDir.h"

namespace {

// Reads one file's bytes into a fresh store.
struct ReadStore {
    explicit ReadStore(const std::string& bytes) : ini(dir.Write(L"test.ini", bytes)) { result = ini.Read(); }
    TempDir dir;
    CIniFile ini;
    bool result = false;
};

const char* const kMissing = nullptr;

struct GrammarCase {
    const char* what;
    std::string bytes;
    bool readResult;
    const char* section;
    const char* name;
    const char* expected; // kMissing: the lookup gives the default
};

class IniGrammar : public testing::TestWithParam<GrammarCase> {};

TEST_P(IniGrammar, ReadsAsTheGrammarSays)
{
    const GrammarCase& c = GetParam();
    ReadStore store(c.bytes);
    EXPECT_EQ(c.readResult, store.result);
    std::string value = store.ini.GetString(c.section, c.name, "<default>");
    EXPECT_EQ(c.expected != kMissing ? std::string(c.expected) : std::string("<default>"), value);
}

const GrammarCase kGrammarCases[] = {
    {"empty file", "", false, "", "x", kMissing},
    {"comments only", ";one\n#two\n", false, "", "one", kMissing},
    {"pairs before any section", "a=1\nb=2\n", true, "", "b", "2"},
    {"byte-order mark skipped", "\xEF\xBB\xBF[s]\nk=v\n", true, "s", "k", "v"},
    {"carriage returns dropped", "[s]\r\nk=v\r\n", true, "s", "k", "v"},
    {"last line without line end", "[s]\nk=v", true, "s", "k", "v"},
    {"blanks kept in name", "[s]\nkey = value\n", true, "s", "key", kMissing},
    {"blanks kept in value", "[s]\nkey = value\n", true, "s", "key ", " value"},
    {"value holds markers", "[s]\na=b=c;d#e[f]\n", true, "s", "a", "b=c;d#e[f]"},
    {"last bracket closes", "[a]b]\nx=1\n", true, "a]b", "x", "1"},
    {"unclosed header ignored", "[abc\nx=1\n", true, "", "x", "1"},
    {"text after header dropped", "[sec] ; note\nx=1\n", true, "sec", "x", "1"},
    {"empty section name", "[]\nx=1\n", true, "", "x", "1"},
    {"name alone has empty value", "[s]\nname\n", true, "s", "name", ""},
    {"later value wins", "[s]\nk=1\nk=2\n", true, "s", "k", "2"},
    {"lookups ignore case", "[AP_SECTION]\nDEBUG_MODE=1\n", true, "ap_section", "debug_mode", "1"},
    {"repeated header in other case", "[Test]\nx=1\n[TEST]\nx=2\n", true, "test", "x", "2"},
    {"text before comment dropped", "[s]\nabc;def\n", true, "s", "abc", kMissing},
    {"tab stops the read", "[s]\na=1\n\tb=2\n", false, "s", "a", "1"},
    {"lines after a failure unread", "[s]\n\xC3\xA9=1\nc=3\n", false, "s", "c", kMissing},
};

INSTANTIATE_TEST_SUITE_P(Cases, IniGrammar, testing::ValuesIn(kGrammarCases),
                         [](const testing::TestParamInfo<GrammarCase>& info) {
                             std::string name = info.param.what;
                             for (char& ch : name) {
                                 if (!isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             }
                             return name;
                         });

TEST(IniFile, UnprintableFirstByteNamesItsSignedValue)
{
    const struct {
        std::string bytes;
        const char* message;
    } cases[] = {
        {"[s]\n\tb=2\n", "Failing on char 9\n"},
        {"[s]\n\xC3\xA9=1\n", "Failing on char -61\n"},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStdout();
        ReadStore store(c.bytes);
        fflush(stdout);
        EXPECT_EQ(c.message, testing::internal::GetCapturedStdout());
        EXPECT_FALSE(store.result);
    }
}

TEST(IniFile, CommentsLandInHeaderOrInFirstSectionOfThatName)
{
    ReadStore store(";head\n#also\n[Test]\n;one\n[TEST]\nabc#two\n");
    EXPECT_TRUE(store.result);
    EXPECT_EQ("head", store.ini.GetHeaderComment(0));
    EXPECT_EQ("also", store.ini.GetHeaderComment(1));
    EXPECT_EQ("", store.ini.GetHeaderComment(2));
    // The second header adds an empty record; what follows it goes to the first.
    EXPECT_EQ("Test", store.ini.GetSectionName(0));
    EXPECT_EQ("TEST", store.ini.GetSectionName(1));
    EXPECT_EQ(2u, store.ini.GetSectionCommentCount(0u));
    EXPECT_EQ("two", store.ini.GetSectionComment(0u, 1));
    EXPECT_EQ(0u, store.ini.GetSectionCommentCount(1u));
}

TEST(IniFile, ReadTwiceDoublesRecordsButKeepsValues)
{
    TempDir dir;
    CIniFile ini(dir.Write(L"twice.ini", "[s]\n;c\nk=7\n"));
    ASSERT_TRUE(ini.Read());
    ASSERT_TRUE(ini.Read());
    EXPECT_EQ("s", ini.GetSectionName(1));
    EXPECT_EQ(2u, ini.GetSectionCommentCount("s"));
    EXPECT_EQ(7, ini.GetInt("s", "k", 0));
    ini.Reset();
    EXPECT_EQ(-1, ini.FindSection("s"));
    EXPECT_EQ(ini.m_path, dir.Path(L"twice.ini"));
}

TEST(IniFile, MissingFileReadsAsFalseAndLeavesStore)
{
    TempDir dir;
    CIniFile ini(dir.Path(L"none.ini"));
    ini.SetValue("kept", "k", "v", true);
    EXPECT_FALSE(ini.Read());
    EXPECT_EQ("v", ini.GetString("kept", "k", ""));
}

struct GetterCase {
    const char* value; // nullptr: the name is missing
    int asInt;
    unsigned asHex;
};

TEST(IniFile, NumberGettersReadTheirOwnWay)
{
    const GetterCase cases[] = {
        {"0x1F", 31, 31}, {"1F", 1, 0},  {"0X1F", 31, 0},        {"010", 8, 0},    {"", 0, 0},         {" 7", 7, 0},
        {"-1", -1, 0},    {"abc", 0, 0}, {"99999999999", -1, 0}, {"12abc", 12, 0}, {nullptr, 5, 0x20},
    };
    for (const GetterCase& c : cases) {
        CIniFile ini;
        if (c.value != nullptr)
            ini.SetValue("s", "k", c.value, true);
        SCOPED_TRACE(c.value != nullptr ? c.value : "<missing>");
        EXPECT_EQ(c.asInt, ini.GetInt("s", "k", 5));
        EXPECT_EQ(c.asHex, ini.GetHex("s", "k", 0x20));
        EXPECT_EQ(c.asInt, ini.GetInt(c.value != nullptr ? 0 : -1, "k", 5));
        EXPECT_EQ(c.asHex, ini.GetHex(c.value != nullptr ? 0 : -1, "k", 0x20));
    }
}

TEST(IniFile, BoolIsTheIntegerUnreduced)
{
    CIniFile ini;
    ini.SetValue("s", "two", "2", true);
    EXPECT_EQ(2, ini.GetBool("s", "two", false));
    EXPECT_EQ(1, ini.GetBool("s", "missing", true));
    EXPECT_EQ(0, ini.GetBool("missing", "x", false));
}

TEST(IniFile, SettersPrintAndGettersConvert)
{
    CIniFile ini;
    EXPECT_TRUE(ini.SetInt("n", "int", -12));
    EXPECT_TRUE(ini.SetHex("n", "hex", 0xAB));
    EXPECT_TRUE(ini.SetDouble("n", "dbl", 1.5));
    EXPECT_TRUE(ini.SetDoublePrecise("n", "precise", 0.25));
    EXPECT_TRUE(ini.SetFormatted("n", "fmt", "%s-%d", "id", 7));
    EXPECT_EQ("-12", ini.GetString("n", "int", ""));
    EXPECT_EQ("0xab", ini.GetString("n", "hex", ""));
    EXPECT_EQ(0xABu, ini.GetHex("n", "hex", 0));
    EXPECT_EQ("1.500000", ini.GetString("n", "dbl", ""));
    EXPECT_EQ("0.2500000000000000", ini.GetString("n", "precise", ""));
    EXPECT_EQ("id-7", ini.GetString("n", "fmt", ""));
    EXPECT_DOUBLE_EQ(1.5, ini.GetDouble("n", "dbl", 0));
    EXPECT_DOUBLE_EQ(2.5, ini.GetDouble("n", "missing", 2.5));

    int a = 0, b = 0;
    ini.SetValue("n", "pair", "3,4", true);
    EXPECT_EQ(2, ini.ScanValue("n", "pair", "%d,%d", &a, &b));
    EXPECT_EQ(3, a);
    EXPECT_EQ(4, b);
    EXPECT_EQ(0, ini.ScanValue("n", "missing", "%d", &a));
}

TEST(IniFile, SetValueCreatesReplacesOrAppends)
{
    CIniFile ini;
    EXPECT_FALSE(ini.SetValue("s", "k", "1", false));
    EXPECT_TRUE(ini.SetValue("s", "k", "1", true));
    EXPECT_FALSE(ini.SetValue("s", "other", "x", false));
    EXPECT_TRUE(ini.SetValue("S", "K", "2", false));
    EXPECT_EQ("k", ini.GetValueName("s", 0)); // the stored name stays
    EXPECT_EQ(1u, ini.GetValueCount("s"));
    ini.m_appendOnSet = true;
    EXPECT_TRUE(ini.SetValue("s", "k", "3", true));
    EXPECT_EQ(2u, ini.GetValueCount(0u));
    EXPECT_EQ("2", ini.GetString("s", "k", "")); // the first pair wins lookups
    EXPECT_EQ("3", ini.GetValueAt(0, 1, ""));
}

TEST(IniFile, IndexOperationsGuardTheirRange)
{
    CIniFile ini;
    EXPECT_EQ(-1, ini.FindValue(0, "k"));
    EXPECT_FALSE(ini.AddSectionComment(0u, "c"));
    EXPECT_FALSE(ini.AddSectionComment("nope", "c"));
    ini.SetValue("s", "k", "v", true);
    EXPECT_EQ(-1, ini.FindValue(static_cast<unsigned>(-1), "k"));
    EXPECT_EQ("d", ini.GetValueAt(0, 1, "d"));
    EXPECT_EQ("d", ini.GetValueAt(1, 0, "d"));
    ini.SetValueAt(0, 5, "x");
    ini.SetValueAt(0, 0, "w");
    EXPECT_EQ("w", ini.GetString("s", "k", ""));
    EXPECT_EQ("", ini.GetSectionName(3));
    EXPECT_EQ("", ini.GetValueName(0u, 3));
    EXPECT_EQ("", ini.GetSectionComment(0u, 0));
    EXPECT_FALSE(ini.DeleteSectionComment(0u, 0));
    EXPECT_FALSE(ini.DeleteHeaderComment(0));
    EXPECT_EQ(0u, ini.GetValueCount("nope"));
    EXPECT_EQ("d", ini.GetString(7, "k", "d"));
}

TEST(IniFile, DeletesSectionsValuesAndComments)
{
    CIniFile ini;
    ini.AddHeaderComment("h");
    ini.SetValue("a", "x", "1", true);
    ini.SetValue("a", "y", "2", true);
    ini.AddSectionComment("a", "c1");
    ini.AddSectionComment("a", "c2");
    ini.SetValue("b", "z", "3", true);

    EXPECT_TRUE(ini.DeleteHeaderComment(0));
    EXPECT_EQ("", ini.GetHeaderComment(0));
    EXPECT_TRUE(ini.DeleteSectionComment("A", 0));
    EXPECT_EQ("c2", ini.GetSectionComment("a", 0));
    EXPECT_TRUE(ini.DeleteSectionComments("a"));
    EXPECT_EQ(0u, ini.GetSectionCommentCount("a"));
    EXPECT_FALSE(ini.DeleteSectionComments("nope"));
    EXPECT_TRUE(ini.DeleteValue("a", "X"));
    EXPECT_FALSE(ini.DeleteValue("a", "x"));
    EXPECT_EQ("y", ini.GetValueName("a", 0));
    EXPECT_EQ("2", ini.GetString("a", "y", ""));
    EXPECT_TRUE(ini.DeleteSection("A"));
    EXPECT_FALSE(ini.DeleteSection("a"));
    EXPECT_EQ(0, ini.FindSection("b"));
    EXPECT_EQ("3", ini.GetString("b", "z", ""));
}

TEST(IniFile, WriteStoresWhatReadGivesBack)
{
    TempDir dir;
    CIniFile ini(dir.Path(L"out.ini"));
    ini.AddHeaderComment("head");
    ini.SetValue("s", "k", "v", true);
    ini.SetValue("s", "flag", "", true);
    ini.AddSectionComment("s", "note");
    ASSERT_TRUE(ini.Write());
    EXPECT_EQ(";head\r\n\r\n[s]\r\n;note\r\nk=v\r\nflag\r\n\r\n", TempDir::Read(dir.Path(L"out.ini")));

    CIniFile back(dir.Path(L"out.ini"));
    ASSERT_TRUE(back.Read());
    EXPECT_EQ("v", back.GetString("s", "k", ""));
    EXPECT_EQ("note", back.GetSectionComment("s", 0));
    EXPECT_EQ("head", back.GetHeaderComment(0));

    CIniFile nowhere(dir.Path(L"missing\\out.ini"));
    EXPECT_FALSE(nowhere.Write());
}

} // namespace
