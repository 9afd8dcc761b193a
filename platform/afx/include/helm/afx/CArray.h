// CArray: the class library's growable array over std::vector, with its
// semantics: Add returns the index, SetAtGrow and InsertAt past the end
// grow the array, SetSize keeps the grow-by step, RemoveAt takes a count.
// An index outside the array is refused: reads throw std::out_of_range,
// RemoveAt and SetAt ignore it, so no index can reach outside the storage.
#pragma once

#include <algorithm>
#include <vector>

#include "helm/afx/CObject.h"

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject {
public:
    CArray() = default;

    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_items.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    BOOL IsEmpty() const { return m_items.empty(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }
    // A negative grow-by keeps the current step.
    void SetSize(INT_PTR newSize, INT_PTR growBy = -1)
    {
        if (growBy >= 0)
            m_growBy = growBy;
        m_items.resize(static_cast<size_t>(std::max<INT_PTR>(newSize, 0)));
        if (m_growBy > 0 && m_items.capacity() < m_items.size() + static_cast<size_t>(m_growBy))
            m_items.reserve(m_items.size() + static_cast<size_t>(m_growBy));
    }
    void FreeExtra() { m_items.shrink_to_fit(); }
    void RemoveAll() { m_items.clear(); }

    const TYPE& GetAt(INT_PTR index) const { return m_items.at(static_cast<size_t>(index)); }
    TYPE& GetAt(INT_PTR index) { return m_items.at(static_cast<size_t>(index)); }
    TYPE& ElementAt(INT_PTR index) { return GetAt(index); }
    const TYPE& ElementAt(INT_PTR index) const { return GetAt(index); }
    const TYPE& operator[](INT_PTR index) const { return GetAt(index); }
    TYPE& operator[](INT_PTR index) { return GetAt(index); }
    void SetAt(INT_PTR index, ARG_TYPE element)
    {
        if (index >= 0 && index < GetSize())
            m_items[static_cast<size_t>(index)] = element;
    }
    const TYPE* GetData() const { return m_items.empty() ? nullptr : m_items.data(); }
    TYPE* GetData() { return m_items.empty() ? nullptr : m_items.data(); }

    void SetAtGrow(INT_PTR index, ARG_TYPE element)
    {
        if (index < 0)
            return;
        if (index >= GetSize())
            SetSize(index + 1);
        m_items[static_cast<size_t>(index)] = element;
    }
    INT_PTR Add(ARG_TYPE element)
    {
        m_items.push_back(element);
        return GetUpperBound();
    }
    // Returns the index of the first element added.
    INT_PTR Append(const CArray& other)
    {
        INT_PTR first = GetSize();
        m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
        return first;
    }
    void Copy(const CArray& other)
    {
        if (this != &other)
            m_items = other.m_items;
    }
    void InsertAt(INT_PTR index, ARG_TYPE element, INT_PTR count = 1)
    {
        if (index < 0 || count <= 0)
            return;
        TYPE copy = element;  // the element may live in this array
        if (index >= GetSize())
            SetSize(index);
        splice(index, std::vector<TYPE>(static_cast<size_t>(count), copy));
    }
    void InsertAt(INT_PTR start, const CArray* other)
    {
        if (!other || start < 0)
            return;
        std::vector<TYPE> copy = other->m_items;
        if (start >= GetSize())
            SetSize(start);
        splice(start, std::move(copy));
    }
    void RemoveAt(INT_PTR index, INT_PTR count = 1)
    {
        if (index < 0 || count <= 0 || index >= GetSize())
            return;
        INT_PTR end = std::min(index + count, GetSize());
        m_items.erase(m_items.begin() + index, m_items.begin() + end);
    }

    // Iteration in the standard manner as well.
    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    // Puts `items` at `index` (within the array or at its end).
    void splice(INT_PTR index, std::vector<TYPE> items)
    {
        std::vector<TYPE> tail(m_items.begin() + index, m_items.end());
        m_items.resize(static_cast<size_t>(index));
        for (auto& item : items)
            m_items.push_back(std::move(item));
        for (auto& item : tail)
            m_items.push_back(std::move(item));
    }

    std::vector<TYPE> m_items;
    INT_PTR m_growBy = 0;
};
