// The log export as a person makes it: the button, the save dialog with its
// proposed name, the file's bytes, and the "IO Error" box.

#include "ProgramDriver.h"

#include <gtest/gtest.h>

namespace {

// Types a path into the program's save dialog and presses Save.
bool SaveAs(const ProgramDriver& program, const CString& path, CString* proposed = nullptr)
{
    HWND dialog = program.WaitForWindow(L"Save", 10000);
    if (!dialog)
        return false;
    PumpMessages(300);
    int nameBox = ::GetDlgItem(dialog, 0x47C) ? 0x47C : 0x480;
    if (proposed)
        *proposed = ProgramDriver::Text(dialog, nameBox);
    ::SendMessageW(::GetDlgItem(dialog, nameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(static_cast<LPCWSTR>(path)));
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return PumpUntil([&] { return !::IsWindow(dialog); });
}

// The default machine's two kept drives, the health page's never-filled
// values, the seven tuning states as they start, and the system section.
const char kExpectedStart[] = "\r\nDisk Information:\r\n"
                              "\tDisk 1:\r\n"
                              "\t\tCapacity: 931.513GB\r\n"
                              "\t\tSector Size: 512B\r\n"
                              "\t\tDrives: D E\r\n"
                              "\t\tLife Remaining: 0%\r\n"
                              "\t\tTotal Write: 0.00GB\r\n"
                              "\t\tTemperature: 0.00\r\n"
                              "\tDisk 2:\r\n"
                              "\t\tCapacity: 476.940GB\r\n"
                              "\t\tSector Size: 512B\r\n"
                              "\t\tDrives: F\r\n"
                              "\t\tLife Remaining: 0%\r\n"
                              "\t\tTotal Write: 0.00GB\r\n"
                              "\t\tTemperature: 0.00\r\n"
                              "\r\n\r\nSystem Setting:\r\n"
                              "\tDrive indexing: Disable\r\n"
                              "\tDisk defragmentation: Disable\r\n"
                              "\tPrefetcher: Disable\r\n"
                              "\tVirtual Memory: Disable\r\n"
                              "\tHibernate Mode: Disable\r\n"
                              "\tTRIM: Disable\r\n"
                              "\tAHCI Mode: Disable\r\n"
                              // Nothing gathers the system facts: the headings with empty pairs.
                              "\r\n\r\nSystem Information:\r\n"
                              "\tComputer\r\n"
                              "\t\t: \r\n"
                              "\t\t: \r\n"
                              "\r\n\tCPU Information\r\n"
                              "\r\n\tOperation System Information\r\n"
                              "\r\n\r\nStorage Controller\r\n\tSATA Controller\r\n"
                              "\r\n\tNVME Controller\r\n";

TEST(ProgramExport, LogFileHoldsTheSectionsByteForByte)
{
    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitForDrivePage());
    // An existing file is replaced without a question.
    CString path = program.Folder() + L"report.log";
    HANDLE old = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(old, "old contents that are longer than nothing", 41, &written, nullptr);
    ::CloseHandle(old);

    SYSTEMTIME before;
    ::GetLocalTime(&before);
    program.Click(ids::kLogExport);
    CString proposed;
    ASSERT_TRUE(SaveAs(program, path, &proposed));
    SYSTEMTIME after;
    ::GetLocalTime(&after);
    // The proposed name is the time of the click, every field at its full
    // width, so that the names of two moments sort as the moments do.
    auto nameAt = [](const SYSTEMTIME& t) {
        CString name;
        name.Format(L"Kestrova_%04d%02d%02d%02d%02d%02d.log", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
        return name;
    };
    EXPECT_EQ(proposed.GetLength(), 27) << (LPCWSTR)proposed;
    EXPECT_GE(proposed.Compare(nameAt(before)), 0) << (LPCWSTR)proposed;
    EXPECT_LE(proposed.Compare(nameAt(after)), 0) << (LPCWSTR)proposed;

    std::string bytes;
    ASSERT_TRUE(PumpUntil([&] {
        bytes = TempDir::Read(path);
        return bytes.size() >= sizeof(kExpectedStart) - 1;
    }));
    EXPECT_EQ(bytes, std::string(kExpectedStart));
    // Every line end is one CR LF.
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << i;
        }
        if (bytes[i] == '\r') {
            EXPECT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << i;
        }
    }
    EXPECT_TRUE(program.CloseAndWait());
}

TEST(ProgramExport, TuningHandlerChangesTheStateTheExportWrites)
{
    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitForDrivePage());
    // WM_SYSOPT_ENABLE_AHCI to the SMART page: the switch is made and the
    // page's state follows it.
    HWND smartPage = program.SmartPage();
    ASSERT_NE(smartPage, nullptr);
    ::SendMessageTimeoutW(smartPage, WM_USER + 772, 0, 0, SMTO_ABORTIFHUNG, 10000, nullptr);

    CString path = program.Folder() + L"tuned.log";
    program.Click(ids::kLogExport);
    ASSERT_TRUE(SaveAs(program, path));
    std::string bytes;
    ASSERT_TRUE(PumpUntil([&] {
        bytes = TempDir::Read(path);
        return bytes.find("NVME Controller") != std::string::npos;
    }));
    EXPECT_NE(bytes.find("\tAHCI Mode: Enable\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\tPrefetcher: Disable\r\n"), std::string::npos);
    EXPECT_TRUE(program.CloseAndWait());
}

TEST(ProgramExport, FileThatCannotBeOpenedShowsTheIoErrorBox)
{
    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitForDrivePage());
    // Held open by this process without sharing: the program cannot open it.
    CString path = program.Folder() + L"locked.log";
    HANDLE locked = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(locked, "kept", 4, &written, nullptr);

    program.Click(ids::kLogExport);
    ASSERT_TRUE(SaveAs(program, path));
    HWND box = program.WaitForWindow(L"IO Error");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ProgramDriver::MessageBoxText(box).Find(L"Open log file fail"), 0);
    SaveScreenshot(nullptr, L"app_export_io_error");
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(box); }));
    ::CloseHandle(locked);
    EXPECT_EQ(TempDir::Read(path), "kept");

    // Cancelling the dialog writes nothing and leaves the window as it was.
    program.Click(ids::kLogExport);
    HWND dialog = program.WaitForWindow(L"Save");
    ASSERT_NE(dialog, nullptr);
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(dialog); }));
    EXPECT_TRUE(program.CloseAndWait());
}

} // namespace
