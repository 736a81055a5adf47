#pragma once
// Growable array in the manner of the framework's CArray; the second template
// argument (the argument type) is kept for familiarity and not used.

#include <windows.h>

#include <vector>

template <class TYPE, class ARG_TYPE = const TYPE&> class CArray {
public:
    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_items.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    BOOL IsEmpty() const { return m_items.empty(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }
    void SetSize(INT_PTR size) { m_items.resize(size < 0 ? 0 : static_cast<size_t>(size)); }

    TYPE& GetAt(INT_PTR index) { return m_items.at(static_cast<size_t>(index)); }
    const TYPE& GetAt(INT_PTR index) const { return m_items.at(static_cast<size_t>(index)); }
    void SetAt(INT_PTR index, const TYPE& item) { GetAt(index) = item; }
    TYPE& ElementAt(INT_PTR index) { return GetAt(index); }
    TYPE& operator[](INT_PTR index) { return GetAt(index); }
    const TYPE& operator[](INT_PTR index) const { return GetAt(index); }
    TYPE* GetData() { return m_items.data(); }
    const TYPE* GetData() const { return m_items.data(); }

    INT_PTR Add(const TYPE& item)
    {
        m_items.push_back(item);
        return GetSize() - 1;
    }
    void InsertAt(INT_PTR index, const TYPE& item)
    {
        if (index < 0)
            return;
        if (index >= GetSize())
            SetSize(index);
        m_items.insert(m_items.begin() + index, item);
    }
    void RemoveAt(INT_PTR index, INT_PTR count = 1)
    {
        if (index < 0 || count <= 0 || index >= GetSize())
            return;
        INT_PTR last = index + count > GetSize() ? GetSize() : index + count;
        m_items.erase(m_items.begin() + index, m_items.begin() + last);
    }
    void RemoveAll() { m_items.clear(); }

private:
    std::vector<TYPE> m_items;
};
