#pragma once
// Fault knobs: make a named call fail or corrupt its output, for one drive or
// any, after a number of calls that go through.

#include <string>
#include <vector>

class SimFaults {
public:
    enum Action { NONE = 0, FAIL = 1, CORRUPT = 2 };

    void Set(const std::string& function, int drive, int mode, int afterCalls, int times);
    void Clear() { m_knobs.clear(); }
    // Counts the call against every knob it matches and says what to do with it.
    Action Decide(const std::string& function, int drive);

private:
    struct Knob {
        std::string function;
        int drive; // -1: any drive
        Action action;
        int passLeft; // calls still let through
        int times;    // calls to act on; 0 = all
        int acted;
    };
    std::vector<Knob> m_knobs;
};
