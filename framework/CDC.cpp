#include "CDC.h"

#include <memory>
#include <unordered_map>

namespace {
struct TempDeleter {
    void operator()(CDC* temp) const
    {
        temp->m_hDC = nullptr;
        delete temp;
    }
};
// Held through a plain pointer, created on first use and freed by
// DeleteTempMap, which a thread runs before it ends: with mingw-w64 the
// thread-exit destructor of a thread_local object can run after the thread's
// storage for it was freed, and then writes into freed heap memory.
typedef std::unordered_map<HDC, std::unique_ptr<CDC, TempDeleter>> TempMap;
thread_local TempMap* t_temps = nullptr;

TempMap& Temps()
{
    if (!t_temps)
        t_temps = new TempMap;
    return *t_temps;
}
} // namespace

CDC::~CDC()
{
    DeleteDC();
}

BOOL CDC::Attach(HDC dc)
{
    if (!dc)
        return FALSE;
    if (m_hDC && m_hDC != dc)
        ReleaseHeldDC();
    m_hDC = dc;
    return TRUE;
}

void CDC::ReleaseHeldDC()
{
    DeleteDC();
}

HDC CDC::Detach()
{
    HDC dc = m_hDC;
    m_hDC = nullptr;
    return dc;
}

BOOL CDC::DeleteDC()
{
    if (!m_hDC)
        return FALSE;
    return ::DeleteDC(Detach());
}

CDC* CDC::FromHandle(HDC dc)
{
    if (!dc)
        return nullptr;
    auto& slot = Temps()[dc];
    if (!slot) {
        slot.reset(new CDC);
        slot->m_hDC = dc;
    }
    return slot.get();
}

void CDC::DeleteTempMap()
{
    TempMap* temps = t_temps;
    t_temps = nullptr;
    delete temps;
}

CSize CDC::GetTextExtent(LPCWSTR text, int count) const
{
    SIZE size = {};
    ::GetTextExtentPoint32W(m_hDC, text, count, &size);
    return CSize(size);
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF color)
{
    COLORREF old = ::SetBkColor(m_hDC, color);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

void CDC::FillSolidRect(int x, int y, int width, int height, COLORREF color)
{
    CRect rect(x, y, x + width, y + height);
    FillSolidRect(&rect, color);
}

void CDC::Draw3dRect(LPCRECT rect, COLORREF topLeft, COLORREF bottomRight)
{
    Draw3dRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, topLeft, bottomRight);
}

void CDC::Draw3dRect(int x, int y, int width, int height, COLORREF topLeft, COLORREF bottomRight)
{
    FillSolidRect(x, y, width - 1, 1, topLeft);
    FillSolidRect(x, y, 1, height - 1, topLeft);
    FillSolidRect(x + width, y, -1, height, bottomRight);
    FillSolidRect(x, y + height, width, -1, bottomRight);
}

CPoint CDC::MoveTo(int x, int y)
{
    POINT old = {};
    ::MoveToEx(m_hDC, x, y, &old);
    return CPoint(old);
}
