#include "SimStubCall.h"

#include <cstdarg>
#include <cstdio>

SimStubCall::SimStubCall(const char* function, int library, int index, const char* format, ...)
{
    char arguments[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(arguments, sizeof(arguments), format, args);
    va_end(args);
    m_action = SimLibBegin(function, library, index, arguments);
}

int SimStubCall::Output(int result, void* out, size_t size)
{
    if (result && out && m_action == SIM_FAULT_CORRUPT) {
        BYTE* bytes = static_cast<BYTE*>(out);
        for (size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<BYTE>(~bytes[i]);
    }
    return result;
}

const BYTE* SimStubCall::Input(const BYTE* data, size_t size)
{
    if (!data || m_action != SIM_FAULT_CORRUPT)
        return data;
    m_copy.assign(data, data + size);
    for (BYTE& b : m_copy)
        b = static_cast<BYTE>(~b);
    return m_copy.data();
}

const char* SimArg(const void* pointer, const char* name)
{
    if (!pointer)
        return "<null>";
    if (name[0] == 'o')
        return "<out>";
    return name[0] == 'd' ? "<data>" : "<buf>";
}
