#include "SimLatency.h"

#include <algorithm>

struct SimLatency::Pending {
    int milliseconds; // 0: nothing to wait
    unsigned releases;
    unsigned clears;
    bool deferred;
};

SimLatency::SimLatency() : m_releases(0), m_clears(0), m_held(0)
{
    InitializeCriticalSection(&m_lock);
    InitializeConditionVariable(&m_changed);
}

SimLatency::~SimLatency()
{
    DeleteCriticalSection(&m_lock);
}

SimLatency::Pending& SimLatency::ThreadPending()
{
    static thread_local Pending pending = {0, 0, 0, false};
    return pending;
}

void SimLatency::Set(const std::string& function, int drive, int milliseconds)
{
    // Only the documented hold waits without end: any other negative value
    // would hang a caller by mistake, so it changes nothing.
    if (milliseconds < 0 && milliseconds != HOLD)
        return;
    int knobDrive = drive < 0 ? -1 : drive;
    EnterCriticalSection(&m_lock);
    auto same = std::find_if(m_knobs.begin(), m_knobs.end(),
                             [&](const Knob& knob) { return knob.function == function && knob.drive == knobDrive; });
    if (same != m_knobs.end())
        m_knobs.erase(same);
    if (milliseconds != 0)
        m_knobs.push_back({function, knobDrive, milliseconds});
    LeaveCriticalSection(&m_lock);
}

void SimLatency::Clear()
{
    EnterCriticalSection(&m_lock);
    m_knobs.clear();
    ++m_releases;
    ++m_clears;
    LeaveCriticalSection(&m_lock);
    WakeAllConditionVariable(&m_changed);
}

void SimLatency::ReleaseHeld()
{
    EnterCriticalSection(&m_lock);
    m_knobs.erase(
        std::remove_if(m_knobs.begin(), m_knobs.end(), [](const Knob& knob) { return knob.milliseconds == HOLD; }),
        m_knobs.end());
    ++m_releases;
    LeaveCriticalSection(&m_lock);
    WakeAllConditionVariable(&m_changed);
}

bool SimLatency::WaitForHeld(int timeoutMs)
{
    ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs > 0 ? timeoutMs : 0);
    EnterCriticalSection(&m_lock);
    for (ULONGLONG now = GetTickCount64(); m_held == 0 && now < deadline; now = GetTickCount64())
        SleepConditionVariableCS(&m_changed, &m_lock, static_cast<DWORD>(deadline - now));
    bool held = m_held > 0;
    LeaveCriticalSection(&m_lock);
    return held;
}

void SimLatency::Note(const std::string& function, int drive)
{
    int delay = 0;
    Pending decided = {0, 0, 0, false};
    EnterCriticalSection(&m_lock);
    for (const Knob& knob : m_knobs) {
        if ((!knob.function.empty() && knob.function != function) || (knob.drive >= 0 && knob.drive != drive))
            continue;
        // A hold wins over a time; of two times the longer.
        if (knob.milliseconds == HOLD || delay == HOLD)
            delay = HOLD;
        else
            delay = std::max(delay, knob.milliseconds);
    }
    decided = {delay, m_releases, m_clears, false};
    LeaveCriticalSection(&m_lock);
    if (delay != 0)
        ThreadPending() = decided;
}

void SimLatency::Defer()
{
    ThreadPending().deferred = true;
}

void SimLatency::Wait()
{
    Pending& pending = ThreadPending();
    if (pending.milliseconds != 0 && !pending.deferred)
        WaitOut(pending);
}

void SimLatency::WaitDeferred()
{
    Pending& pending = ThreadPending();
    if (pending.milliseconds != 0 && pending.deferred)
        WaitOut(pending);
}

void SimLatency::WaitOut(Pending& pending)
{
    Pending taken = pending;
    pending = {0, 0, 0, false};
    // The call's last error is part of its answer: the wait must not change it.
    DWORD lastError = GetLastError();
    if (taken.milliseconds == HOLD)
        HoldUntilReleased(taken.releases);
    else
        SleepUnlessCleared(taken.milliseconds, taken.clears);
    SetLastError(lastError);
}

// A release or clear after the call was noted lets it go, even one that came
// before the call began to wait.
void SimLatency::HoldUntilReleased(unsigned releases)
{
    EnterCriticalSection(&m_lock);
    if (m_releases == releases) {
        ++m_held;
        WakeAllConditionVariable(&m_changed);
        while (m_releases == releases)
            SleepConditionVariableCS(&m_changed, &m_lock, INFINITE);
        --m_held;
    }
    LeaveCriticalSection(&m_lock);
}

void SimLatency::SleepUnlessCleared(int milliseconds, unsigned clears)
{
    ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
    EnterCriticalSection(&m_lock);
    for (ULONGLONG now = GetTickCount64(); m_clears == clears && now < deadline; now = GetTickCount64())
        SleepConditionVariableCS(&m_changed, &m_lock, static_cast<DWORD>(deadline - now));
    LeaveCriticalSection(&m_lock);
}
