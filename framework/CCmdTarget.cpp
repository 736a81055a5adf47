#include "CCmdTarget.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

static const AFX_MSGMAP_ENTRY* FindEntry(const AFX_MSGMAP_ENTRY* entry, UINT mapMessage, UINT code, UINT id)
{
    for (; entry->pfn; ++entry) {
        if (entry->nMessage == mapMessage && entry->nCode == code && id >= entry->nID && id <= entry->nLastID)
            return entry;
    }
    return nullptr;
}

BOOL CCmdTarget::DispatchMapMessage(UINT mapMessage, UINT code, UINT id, UINT thunkMessage, WPARAM wParam,
                                    LPARAM lParam, LRESULT* result)
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        if (const AFX_MSGMAP_ENTRY* entry = FindEntry(map->lpEntries, mapMessage, code, id))
            return entry->pfn(this, thunkMessage, wParam, lParam, result);
    }
    return FALSE;
}
