// What the program's executable carries for the system and the user before
// any code runs: the version record, the manifest (elevation, common
// controls 6, DPI awareness), the application icon and the strings.

#include "ProgramDriver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

CString VersionText(const std::string& record, LPCWSTR key)
{
    LPVOID value = nullptr;
    UINT length = 0;
    CString path = CString(L"\\StringFileInfo\\040904b0\\") + key;
    if (!::VerQueryValueW(record.data(), path, &value, &length) || !value)
        return L"<missing>";
    return static_cast<LPCWSTR>(value);
}

TEST(ProgramResources, VersionRecordManifestIconAndStrings)
{
    ProgramDriver program;
    program.LayOut();
    CString exe = program.Folder() + L"Kestrova.exe";

    DWORD size = ::GetFileVersionInfoSizeW(exe, nullptr);
    ASSERT_NE(size, 0u);
    std::string record(size, '\0');
    ASSERT_TRUE(::GetFileVersionInfoW(exe, 0, size, &record[0]));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedLength = 0;
    ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\", reinterpret_cast<LPVOID*>(&fixed), &fixedLength));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(29, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(29, 1));
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_STREQ(VersionText(record, L"FileDescription"), L"Kestrova");
    EXPECT_STREQ(VersionText(record, L"ProductName"), L"Kestrova");
    EXPECT_STREQ(VersionText(record, L"InternalName"), L"Kestrova.exe");
    EXPECT_STREQ(VersionText(record, L"OriginalFilename"), L"Kestrova.exe");
    EXPECT_STREQ(VersionText(record, L"FileVersion"), L"1.29.0.0");
    EXPECT_STREQ(VersionText(record, L"ProductVersion"), L"1.29.0.0");

    HMODULE module = ::LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    wchar_t text[128] = {};
    ::LoadStringW(module, 101, text, 128);
    EXPECT_STREQ(text, L"&About Kestrova...");
    ::LoadStringW(module, 103, text, 128);
    EXPECT_STREQ(text, L"Windows sockets initialization failed.");
    EXPECT_NE(::FindResourceW(module, MAKEINTRESOURCEW(128), RT_GROUP_ICON), nullptr);

    HRSRC manifestInfo = ::FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(manifestInfo, nullptr);
    const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(module, manifestInfo)));
    std::string manifest(bytes, ::SizeofResource(module, manifestInfo));
    for (const char* part : {"level=\"requireAdministrator\"", "uiAccess=\"false\"", ">true</dpiAware>",
                             "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""})
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    size_t controls = manifest.find("Microsoft.Windows.Common-Controls");
    EXPECT_NE(manifest.find("processorArchitecture=\"amd64\"", controls), std::string::npos);
    ::FreeLibrary(module);
}

} // namespace
