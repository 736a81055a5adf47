#include "CMenu.h"

#include <memory>
#include <unordered_map>

namespace {
struct TempDeleter {
    void operator()(CMenu* temp) const
    {
        temp->m_hMenu = nullptr;
        delete temp;
    }
};
// Held through a plain pointer, created on first use and freed by
// DeleteTempMap, which a thread runs before it ends: with mingw-w64 the
// thread-exit destructor of a thread_local object can run after the thread's
// storage for it was freed, and then writes into freed heap memory.
typedef std::unordered_map<HMENU, std::unique_ptr<CMenu, TempDeleter>> TempMap;
thread_local TempMap* t_temps = nullptr;

TempMap& Temps()
{
    if (!t_temps)
        t_temps = new TempMap;
    return *t_temps;
}
} // namespace

CMenu* CMenu::FromHandle(HMENU menu)
{
    if (!menu)
        return nullptr;
    auto& slot = Temps()[menu];
    if (!slot) {
        slot.reset(new CMenu);
        slot->m_hMenu = menu;
    }
    return slot.get();
}

void CMenu::DeleteTempMap()
{
    TempMap* temps = t_temps;
    t_temps = nullptr;
    delete temps;
}
