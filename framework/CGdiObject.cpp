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
thread_local std::unordered_multimap<HGDIOBJ, std::unique_ptr<CGdiObject, TempDeleter>> t_temps;
} // namespace

CGdiObject* CGdiObject::LookupTemp(HGDIOBJ handle, const std::type_info& type)
{
    auto range = t_temps.equal_range(handle);
    for (auto it = range.first; it != range.second; ++it) {
        if (typeid(*it->second) == type)
            return it->second.get();
    }
    return nullptr;
}

void CGdiObject::AddTemp(CGdiObject* temp)
{
    t_temps.emplace(temp->m_hObject, std::unique_ptr<CGdiObject, TempDeleter>(temp));
}

void CGdiObject::DeleteTempMap()
{
    t_temps.clear();
}
