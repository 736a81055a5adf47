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
thread_local std::unordered_map<HGDIOBJ, std::unique_ptr<CGdiObject, TempDeleter>> t_temps;
} // namespace

CGdiObject* CGdiObject::LookupTemp(HGDIOBJ handle)
{
    auto it = t_temps.find(handle);
    return it == t_temps.end() ? nullptr : it->second.get();
}

void CGdiObject::AddTemp(CGdiObject* temp)
{
    t_temps[temp->m_hObject].reset(temp);
}

void CGdiObject::DeleteTempMap()
{
    t_temps.clear();
}
