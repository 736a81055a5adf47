#pragma once
// A zeroed block of the process heap, freed when its holder goes out of scope.
// For the variable-length structures the platform fills (interface details,
// driver details), whose size is known only at run time.

#include <windows.h>

class ScopedHeapBlock {
public:
    explicit ScopedHeapBlock(SIZE_T size)
        : m_block(size != 0 ? ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, size) : nullptr),
          m_size(m_block != nullptr ? size : 0)
    {
    }
    ~ScopedHeapBlock()
    {
        if (m_block != nullptr) {
            ::HeapFree(::GetProcessHeap(), 0, m_block);
        }
    }

    ScopedHeapBlock(const ScopedHeapBlock&) = delete;
    ScopedHeapBlock& operator=(const ScopedHeapBlock&) = delete;

    bool IsValid() const { return m_block != nullptr; }
    SIZE_T Size() const { return m_size; }
    void* Get() const { return m_block; }
    template <typename T> T* As() const { return static_cast<T*>(m_block); }

private:
    void* m_block;
    SIZE_T m_size;
};
