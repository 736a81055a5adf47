#pragma once
// One call of a stand-in device library: journals it in the simulated
// machine, carries the fault knob's verdict, applies a corruption to what
// the call returns or stores, and, as it ends, waits out a latency knob.

#include "SimLibrary.h"

#include <vector>

class SimStubCall {
public:
    // The format (printf, narrow) renders the call's arguments in signature order.
    SimStubCall(const char* function, int library, int index, const char* format, ...);
    // After the call's work, before its result is returned.
    ~SimStubCall() { SimLibEnd(); }
    SimStubCall(const SimStubCall&) = delete;
    SimStubCall& operator=(const SimStubCall&) = delete;

    bool Failed() const { return m_action == SIM_FAULT_FAIL; }
    // Passes a command's result on, inverting the `size` bytes at `out` when corrupting.
    int Output(int result, void* out, size_t size);
    // The data a command is to store: an inverted copy when corrupting.
    const BYTE* Input(const BYTE* data, size_t size);

private:
    int m_action;
    std::vector<BYTE> m_copy;
};

// Journal form of a buffer argument: "<name>" or "<null>".
const char* SimArg(const void* pointer, const char* name);
