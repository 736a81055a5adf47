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
thread_local std::unordered_map<HMENU, std::unique_ptr<CMenu, TempDeleter>> t_temps;
} // namespace

CMenu* CMenu::FromHandle(HMENU menu)
{
    if (!menu)
        return nullptr;
    auto& slot = t_temps[menu];
    if (!slot) {
        slot.reset(new CMenu);
        slot->m_hMenu = menu;
    }
    return slot.get();
}

void CMenu::DeleteTempMap()
{
    t_temps.clear();
}
