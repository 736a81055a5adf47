#pragma once
// A device information set from seam::SetupDiGetClassDevsW, destroyed with
// seam::SetupDiDestroyDeviceInfoList when its holder goes out of scope (which
// also frees the driver lists built on it). Given the name of the function
// that built it, the holder writes the destroy result as a trace line.

#include "PlatformSeam.h"
#include "Trace.h"

class ScopedDeviceInfoSet {
public:
    explicit ScopedDeviceInfoSet(HDEVINFO set, LPCWSTR caller = nullptr) : m_set(set), m_caller(caller) {}
    ~ScopedDeviceInfoSet() { Destroy(); }

    ScopedDeviceInfoSet(const ScopedDeviceInfoSet&) = delete;
    ScopedDeviceInfoSet& operator=(const ScopedDeviceInfoSet&) = delete;

    HDEVINFO Get() const { return m_set; }
    bool IsValid() const { return m_set != INVALID_HANDLE_VALUE && m_set != nullptr; }

    // Destroys now; the holder is empty afterwards.
    BOOL Destroy()
    {
        if (!IsValid()) {
            return FALSE;
        }
        BOOL result = seam::SetupDiDestroyDeviceInfoList(m_set);
        m_set = INVALID_HANDLE_VALUE;
        if (m_caller != nullptr) {
            TRACE(L"%s -> SetupDiDestroyDeviceInfoList return: %d\n", m_caller, result);
        }
        return result;
    }

private:
    HDEVINFO m_set;
    LPCWSTR m_caller;
};
