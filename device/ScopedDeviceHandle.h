#pragma once
// A disk or volume handle from seam::CreateFileW, closed with seam::CloseHandle
// when its holder goes out of scope, so every road out of a query closes it
// exactly once. A handle that an open function hands to its caller leaves the
// holder with Detach.

#include "PlatformSeam.h"

class ScopedDeviceHandle {
public:
    explicit ScopedDeviceHandle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    ~ScopedDeviceHandle() { Close(); }

    ScopedDeviceHandle(const ScopedDeviceHandle&) = delete;
    ScopedDeviceHandle& operator=(const ScopedDeviceHandle&) = delete;
    ScopedDeviceHandle(ScopedDeviceHandle&& other) noexcept : m_handle(other.Detach()) {}
    ScopedDeviceHandle& operator=(ScopedDeviceHandle&& other) noexcept
    {
        if (this != &other) {
            Close();
            m_handle = other.Detach();
        }
        return *this;
    }

    HANDLE Get() const { return m_handle; }
    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }

    HANDLE Detach()
    {
        HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return handle;
    }

    // Closes now; the holder is empty afterwards. FALSE when nothing was held
    // or the close failed.
    BOOL Close()
    {
        if (!IsValid()) {
            return FALSE;
        }
        return seam::CloseHandle(Detach());
    }

private:
    HANDLE m_handle;
};
