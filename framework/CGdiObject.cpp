#include "CGdiObject.h"

#include <memory>
#include <unordered_map>

namespace {
// Temporary wrappers belong to the thread that asked for them, as the handles'
// users do; a wrapper never deletes the handle it was given.
struct TempDeleter {
    void operator()(CGdiObject* temp) const
    {
        temp->m_hObject = nullptr;
        delete temp;
    }
};
// Held through a plain pointer, created on first use and freed by
// DeleteTempMap, which a thread runs before it ends: with mingw-w64 the
// thread-exit destructor of a thread_local object can run after the thread's
// storage for it was freed, and then writes into freed heap memory.
typedef std::unordered_multimap<HGDIOBJ, std::unique_ptr<CGdiObject, TempDeleter>> TempMap;
thread_local TempMap* t_temps = nullptr;

TempMap& Temps()
{
    if (!t_temps)
        t_temps = new TempMap;
    return *t_temps;
}
} // namespace

CGdiObject* CGdiObject::LookupTemp(HGDIOBJ handle, const std::type_info& type)
{
    auto range = Temps().equal_range(handle);
    for (auto it = range.first; it != range.second; ++it) {
        if (typeid(*it->second) == type)
            return it->second.get();
    }
    return nullptr;
}

void CGdiObject::AddTemp(CGdiObject* temp)
{
    Temps().emplace(temp->m_hObject, std::unique_ptr<CGdiObject, TempDeleter>(temp));
}

void CGdiObject::DeleteTempMap()
{
    TempMap* temps = t_temps;
    t_temps = nullptr;
    delete temps;
}
