#include "SimFaults.h"

void SimFaults::Set(const std::string& function, int drive, int mode, int afterCalls, int times)
{
    Action action = mode == CORRUPT ? CORRUPT : FAIL;
    m_knobs.push_back(
        {function, drive < 0 ? -1 : drive, action, afterCalls < 0 ? 0 : afterCalls, times < 0 ? 0 : times, 0});
}

SimFaults::Action SimFaults::Decide(const std::string& function, int drive)
{
    Action result = NONE;
    for (Knob& knob : m_knobs) {
        if (knob.function != function || (knob.drive >= 0 && knob.drive != drive))
            continue;
        if (knob.passLeft > 0) {
            --knob.passLeft;
            continue;
        }
        if (knob.times > 0 && knob.acted >= knob.times)
            continue;
        ++knob.acted;
        // A failure wins over a corruption when two knobs meet.
        if (result != FAIL)
            result = knob.action;
    }
    return result;
}
