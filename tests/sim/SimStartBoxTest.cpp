// A machine description that does not load is said in a message box of the
// program that asked for it, not only on the debugger output: the box names
// the file, the line and the key, and the program goes on once it is closed.

#include <gtest/gtest.h>

#include <string>

#include "ProbeProcess.h"
#include "TempDir.h"

namespace {

struct Search {
    DWORD process;
    HWND box;
};

// The visible dialog-class window (a message box) of the process.
HWND FindBox(DWORD process)
{
    Search search{process, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            Search* s = reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            wchar_t className[32] = {};
            ::GetClassNameW(window, className, 32);
            if (owner == s->process && ::IsWindowVisible(window) && lstrcmpW(className, L"#32770") == 0) {
                s->box = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.box;
}

std::string Narrow(const wchar_t* text)
{
    char narrow[2048] = {};
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof(narrow), nullptr, nullptr);
    return narrow;
}

} // namespace

TEST(SimStartBox, BrokenDescriptionIsShownInABoxAndTheDefaultMachineRunsAfterIt)
{
    TempDir machine;
    CString path = machine.Write(L"broken.txt", "node c id=\"PCI\\VEN_1F9B&DEV_6E40\\1\"\n"
                                                "node d parent=c id=\"SCSI\\DISK\\1\" disk=1\n"
                                                "node e parent=c id=\"SCSI\\DISK\\2\" disk=1\n");
    ::SetEnvironmentVariableW(L"KESTROVA_MACHINE", path);
    ::SetEnvironmentVariableW(L"KESTROVA_SIM_NO_BOX", nullptr);
    TempDir folder;
    ProbeProcess probe(folder);
    ::SetEnvironmentVariableW(L"KESTROVA_MACHINE", nullptr);
    ASSERT_TRUE(probe.Started());

    HWND box = nullptr;
    for (int wait = 0; box == nullptr && wait < 300; ++wait) {
        ::Sleep(100);
        box = FindBox(probe.Id());
    }
    ASSERT_NE(nullptr, box) << "no message box from the program";
    wchar_t text[1024] = {};
    ::GetDlgItemTextW(box, 0xFFFF, text, 1024); // a message box's text
    std::string said = Narrow(text);
    EXPECT_NE(std::string::npos, said.find("broken.txt")) << said;
    EXPECT_NE(std::string::npos, said.find("line 3: key 'disk': disk 1 is another node's already")) << said;
    EXPECT_NE(std::string::npos, said.find("default machine")) << said;

    // The program waits for the box, then runs on the default machine's four drives.
    EXPECT_EQ(0xFFFFFFFFu, probe.Wait(200));
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(4u, probe.Wait(30000));
}
