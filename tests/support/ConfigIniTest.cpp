#include <gtest/gtest.h>

#include <string>

#include "ConfigIni.h"
#include "FileUtil.h"
#include "TempDir.h"

namespace {

// "config.ini" lives in the executable's folder: a file already there is
// set aside for the test and put back afterwards.
class ConfigIniTest : public testing::Test {
protected:
    ConfigIniTest()
    {
        GetModuleDir(path);
        path += L"config.ini";
        kept = TempDir::Exists(path);
        if (kept)
            keptBytes = TempDir::Read(path);
        Remove();
    }
    ~ConfigIniTest() override
    {
        ConfigIni().Release();
        Remove();
        if (kept)
            WriteConfig(keptBytes);
    }

    void WriteConfig(const std::string& bytes)
    {
        HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(file);
    }
    void Remove()
    {
        ::SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path);
    }

    CString path;
    bool kept = false;
    std::string keptBytes;
};

TEST_F(ConfigIniTest, MissingFileGivesAnEmptyStore)
{
    ConfigIni config;
    EXPECT_FALSE(config.Load());
    ASSERT_NE(nullptr, g_pConfigIni);
    EXPECT_EQ(path, g_pConfigIni->m_path);
    EXPECT_EQ(0, g_pConfigIni->GetBool("AP_SECTION", "DEBUG_MODE", false));
    config.Release();
    EXPECT_EQ(nullptr, g_pConfigIni);
    config.Release();
}

TEST_F(ConfigIniTest, ReadOnlyFileIsUnlockedAndRead)
{
    const std::string content = "[AP_SECTION]\r\nDEBUG_MODE=5\r\n";
    WriteConfig(content);
    ASSERT_TRUE(::SetFileAttributesW(path, FILE_ATTRIBUTE_READONLY));
    {
        ConfigIni config;
        EXPECT_TRUE(config.Load());
        EXPECT_EQ(5, g_pConfigIni->GetInt("ap_section", "debug_mode", 0));
        EXPECT_EQ(0u, ::GetFileAttributesW(path) & FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ(content, TempDir::Read(path));
    }
    EXPECT_EQ(nullptr, g_pConfigIni); // the destructor releases
}

TEST_F(ConfigIniTest, FileStartingWithTabReadsAsNothing)
{
    WriteConfig("\t[AP_SECTION]\nDEBUG_MODE=1\n");
    ConfigIni config;
    EXPECT_FALSE(config.Load());
    EXPECT_EQ(0, g_pConfigIni->GetBool("AP_SECTION", "DEBUG_MODE", false));
}

} // namespace
