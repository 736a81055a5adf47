#include "SimWorld.h"

#include "SimMachineParser.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

SimWorld::SimWorld()
{
    InitializeCriticalSection(&m_lock);
}

SimWorld& SimWorld::Get()
{
    // Built on first use: the DLL may be called while other modules start.
    static SimWorld* world = [] {
        SimWorld* w = new SimWorld();
        w->LoadStartMachine();
        return w;
    }();
    // Said once, after the world is built and before any lock is taken: the
    // box's message loop may run code that calls the machine again.
    static LONG reported = 0;
    if (!world->m_startError.empty() && InterlockedExchange(&reported, 1) == 0)
        ReportStartError(world->m_startError);
    return *world;
}

// A description the user asked for and that cannot be used is said where the
// user sees it: a message box, besides the debugger output and standard
// error. KESTROVA_SIM_NO_BOX (any value) keeps the box away, for runs that
// nobody watches.
void SimWorld::ReportStartError(const std::string& message)
{
    ::OutputDebugStringA((message + "\n").c_str());
    std::fputs((message + "\n").c_str(), stderr);
    std::fflush(stderr);
    if (::GetEnvironmentVariableW(L"KESTROVA_SIM_NO_BOX", nullptr, 0) != 0)
        return;
    ::MessageBoxA(nullptr, message.c_str(), "Kestrova simulated machine",
                  MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TASKMODAL);
}

void SimWorld::ResetState()
{
    journal.Clear();
    faults.Clear();
    latency.Clear();
    lastOpenedNvme = -1;
}

bool SimWorld::Load(const std::string& text)
{
    SimMachine parsed;
    std::string error;
    if (!SimMachineParser::Parse(text, parsed, error)) {
        loadError = error;
        return false;
    }
    machine = parsed;
    loadError.clear();
    ResetState();
    return true;
}

bool SimWorld::LoadFile(const std::wstring& path)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        loadError = "cannot open " + SimNarrow(path);
        return false;
    }
    std::string text;
    char chunk[4096];
    DWORD read = 0;
    while (::ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read > 0)
        text.append(chunk, read);
    ::CloseHandle(file);
    return Load(text);
}

void SimWorld::LoadDefault()
{
    Load(kSimDefaultMachine);
}

void SimWorld::LoadStartMachine()
{
    wchar_t path[MAX_PATH * 2] = {};
    DWORD length = ::GetEnvironmentVariableW(L"KESTROVA_MACHINE", path, MAX_PATH * 2);
    if (length == 0 || length >= MAX_PATH * 2) {
        length = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
        std::wstring beside(path, length);
        beside = beside.substr(0, beside.find_last_of(L'\\') + 1) + L"machine.txt";
        if (::GetFileAttributesW(beside.c_str()) == INVALID_FILE_ATTRIBUTES) {
            LoadDefault();
            return;
        }
        lstrcpynW(path, beside.c_str(), MAX_PATH * 2);
    }
    if (!LoadFile(path)) {
        // A broken description must not go unnoticed (Get says it), but the
        // program still runs, on a machine the message names.
        m_startError = "KestrovaSim: the machine description \"" + SimNarrow(path) + "\" was not loaded:\n" +
                       loadError + "\nThe built-in default machine is used instead.";
        LoadDefault();
    }
}

std::string SimFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        std::vector<char> buffer(length + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        text.assign(buffer.data(), length);
    }
    va_end(args);
    return text;
}

std::string SimQuote(const wchar_t* text)
{
    return text ? "\"" + SimNarrow(text) + "\"" : "<null>";
}

std::string SimQuote(const char* text)
{
    return text ? "\"" + std::string(text) + "\"" : "<null>";
}

std::string SimPointer(const void* pointer, const char* name)
{
    return pointer ? std::string("<") + name + ">" : "<null>";
}

SimFaults::Action SimRecordCall(SimWorld& world, const char* function, int drive, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    char arguments[1024];
    std::vsnprintf(arguments, sizeof(arguments), format, args);
    va_end(args);
    world.journal.Add(std::string(function) + "(" + arguments + ")");
    world.latency.Note(function, drive);
    return world.faults.Decide(function, drive);
}

namespace {

// How many SimLocks the thread holds: only the outermost one waits.
thread_local int t_lockDepth = 0;

} // namespace

SimLock::SimLock() : m_world(SimWorld::Get())
{
    m_world.Lock();
    ++t_lockDepth;
}

SimLock::~SimLock()
{
    bool outermost = --t_lockDepth == 0;
    m_world.Unlock();
    if (outermost)
        m_world.latency.Wait();
}
