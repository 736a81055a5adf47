#pragma once
// How many GDI objects this process holds. GetGuiResources answers on
// Windows; Wine leaves it unimplemented (0), so the count then comes from the
// process's GDI handle table, whose cells have the same layout on both.

#include <windows.h>
#include <winternl.h>

inline DWORD GdiObjectCount()
{
    DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (count != 0)
        return count;

    struct HandleCell {
        UINT64 object;
        USHORT processId;
        USHORT count;
        USHORT unique;
        UCHAR type;
        UCHAR flags;
        UINT64 user;
    };
    static_assert(sizeof(HandleCell) == 24, "GDI handle cell layout");
    const size_t tableOffset = 0xF8; // PEB.GdiSharedHandleTable on x64
    typedef PEB*(NTAPI * GetPebFn)();
    GetPebFn getPeb = reinterpret_cast<GetPebFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetCurrentPeb")));
    if (getPeb == NULL)
        return 0;
    PEB* peb = getPeb();
    const HandleCell* cells = *reinterpret_cast<HandleCell* const*>(reinterpret_cast<const BYTE*>(peb) + tableOffset);
    if (cells == NULL)
        return 0;
    for (DWORD i = 0; i < 0x10000; i++) {
        if (cells[i].type != 0)
            count++;
    }
    return count;
}
