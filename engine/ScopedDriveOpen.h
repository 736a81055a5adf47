#pragma once
// One library connection of a drive: opened on request, closed by Close() or
// when the holder goes out of scope, so no road of an operation leaves the
// drive open.

#include "VntSSD.h"

class ScopedDriveOpen {
public:
    explicit ScopedDriveOpen(VntSSD* device) : m_device(device), m_open(FALSE) {}
    ~ScopedDriveOpen() { Close(); }

    ScopedDriveOpen(const ScopedDriveOpen&) = delete;
    ScopedDriveOpen& operator=(const ScopedDriveOpen&) = delete;

    // The library's open result (non-zero = success); no drive fails.
    BOOL Open()
    {
        m_open = m_device != nullptr && m_device->DeviceOpen() != 0;
        return m_open;
    }
    void Close()
    {
        if (m_open) {
            m_open = FALSE;
            m_device->DeviceClose();
        }
    }

private:
    VntSSD* m_device;
    BOOL m_open;
};
