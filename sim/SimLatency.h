#pragma once
// Latency knobs: make a named call (or every call) of one drive or any return
// later than it would, by a number of milliseconds or until released.
//
// A call is delayed in two steps. Under the machine's lock, where the call
// is journaled, Note() decides its delay and keeps it for the calling thread.
// Once the thread holds the machine's lock no more, Wait() waits it out, so
// every other call of the machine goes on meanwhile. The latency has a lock of
// its own, taken after the machine's lock and never held while waiting for it.

#include <windows.h>

#include <string>
#include <vector>

class SimLatency {
public:
    static const int HOLD = -1;

    SimLatency();
    ~SimLatency();
    SimLatency(const SimLatency&) = delete;
    SimLatency& operator=(const SimLatency&) = delete;

    // `function` empty: every call. 0 milliseconds removes the knob.
    void Set(const std::string& function, int drive, int milliseconds);
    // Removes every knob and lets every delayed call (held or timed) go on.
    void Clear();
    // Lets every held call go on and removes the hold knobs.
    void ReleaseHeld();
    // TRUE once at least one call is held; FALSE after `timeoutMs`.
    bool WaitForHeld(int timeoutMs);

    // Under the machine's lock: the call's delay, kept for this thread.
    void Note(const std::string& function, int drive);
    // The delay noted last on this thread is waited out by WaitDeferred()
    // instead of Wait(): a stand-in library call waits after its own work.
    static void Defer();
    // Waits out the noted delay unless it is deferred; with no machine lock held.
    void Wait();
    void WaitDeferred();

private:
    struct Knob {
        std::string function; // empty: every call
        int drive;            // -1: any drive
        int milliseconds;     // HOLD: until released
    };
    struct Pending;
    static Pending& ThreadPending();
    void WaitOut(Pending& pending);
    void HoldUntilReleased(unsigned releases);
    void SleepUnlessCleared(int milliseconds, unsigned clears);

    CRITICAL_SECTION m_lock;
    CONDITION_VARIABLE m_changed;
    std::vector<Knob> m_knobs;
    unsigned m_releases; // counts releases and clears
    unsigned m_clears;
    int m_held;
};
