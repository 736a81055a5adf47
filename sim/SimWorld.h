#pragma once
// The one simulated machine of the process with everything that answers
// from it: the journal, the fault knobs, the open device handles and device
// information sets, and the lock that serialises every call (the program's
// user-interface and worker threads both reach the machine).

#include "SimFaults.h"
#include "SimJournal.h"
#include "SimLatency.h"
#include "SimMachine.h"

#include <map>
#include <string>

class SimWorld {
public:
    // The world, loaded on first use: the description named by the
    // environment variable KESTROVA_MACHINE, else "machine.txt" beside the
    // executable, else the built-in default machine.
    static SimWorld& Get();

    bool Load(const std::string& text);
    bool LoadFile(const std::wstring& path);
    void LoadDefault();

    void Lock() { EnterCriticalSection(&m_lock); }
    void Unlock() { LeaveCriticalSection(&m_lock); }

    SimMachine machine;
    SimJournal journal;
    SimFaults faults;
    SimLatency latency;
    std::string loadError;
    int lastOpenedNvme = -1; // drive that NvmeSwitchSpeed acts on

private:
    SimWorld();
    void LoadStartMachine();
    void ResetState();
    static void ReportStartError(const std::string& message);

    CRITICAL_SECTION m_lock;
    std::string m_startError; // why the description asked for at start was not used
};

// Holds the world's lock for one call. The outermost lock of a thread, as it
// ends, waits out the latency that the call it guarded was given (SimRecordCall):
// after the call's work, before its answer reaches the caller, with the lock
// already released so that other threads' calls go on.
class SimLock {
public:
    SimLock();
    ~SimLock();
    SimLock(const SimLock&) = delete;
    SimLock& operator=(const SimLock&) = delete;
    SimWorld& World() { return m_world; }

private:
    SimWorld& m_world;
};

// Journals one call and decides its fault and latency under the lock the caller holds.
// The argument text follows printf rules (narrow).
SimFaults::Action SimRecordCall(SimWorld& world, const char* function, int drive, const char* format, ...);

// printf into a std::string.
std::string SimFormat(const char* format, ...);
// A wide or narrow text argument in journal form: "text", or <null>.
std::string SimQuote(const wchar_t* text);
std::string SimQuote(const char* text);
std::string SimPointer(const void* pointer, const char* name);

// The built-in default machine.
extern const char* const kSimDefaultMachine;
