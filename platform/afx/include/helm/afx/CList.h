// CList: the class library's doubly-linked list with POSITION iteration,
// over std::list. A POSITION stays valid until its element is removed.
#pragma once

#include <iterator>
#include <list>
#include <stdexcept>

#include "helm/afx/CObject.h"

struct __POSITION {};
typedef __POSITION* POSITION;

template <class TYPE, class ARG_TYPE = const TYPE&>
class CList : public CObject {
public:
    CList() = default;
    CList(const CList&) = delete;
    CList& operator=(const CList&) = delete;

    INT_PTR GetCount() const { return static_cast<INT_PTR>(m_nodes.size()); }
    INT_PTR GetSize() const { return GetCount(); }
    BOOL IsEmpty() const { return m_nodes.empty(); }

    // The head or tail of an empty list throws std::out_of_range.
    TYPE& GetHead() { return checked_front().value; }
    const TYPE& GetHead() const { return const_cast<CList*>(this)->checked_front().value; }
    TYPE& GetTail() { return checked_back().value; }
    const TYPE& GetTail() const { return const_cast<CList*>(this)->checked_back().value; }
    TYPE RemoveHead()
    {
        TYPE value = checked_front().value;
        m_nodes.pop_front();
        return value;
    }
    TYPE RemoveTail()
    {
        TYPE value = checked_back().value;
        m_nodes.pop_back();
        return value;
    }
    POSITION AddHead(ARG_TYPE element) { return insert(m_nodes.begin(), element); }
    POSITION AddTail(ARG_TYPE element) { return insert(m_nodes.end(), element); }
    void RemoveAll() { m_nodes.clear(); }

    POSITION GetHeadPosition() const { return m_nodes.empty() ? nullptr : to_position(m_nodes.front()); }
    POSITION GetTailPosition() const { return m_nodes.empty() ? nullptr : to_position(m_nodes.back()); }
    TYPE& GetNext(POSITION& position)
    {
        Node& node = from_position(position);
        auto next = std::next(node.self);
        position = next == m_nodes.end() ? nullptr : to_position(*next);
        return node.value;
    }
    const TYPE& GetNext(POSITION& position) const { return const_cast<CList*>(this)->GetNext(position); }
    TYPE& GetPrev(POSITION& position)
    {
        Node& node = from_position(position);
        position = node.self == m_nodes.begin() ? nullptr : to_position(*std::prev(node.self));
        return node.value;
    }
    const TYPE& GetPrev(POSITION& position) const { return const_cast<CList*>(this)->GetPrev(position); }
    TYPE& GetAt(POSITION position) { return from_position(position).value; }
    const TYPE& GetAt(POSITION position) const { return const_cast<CList*>(this)->from_position(position).value; }
    void SetAt(POSITION position, ARG_TYPE element) { from_position(position).value = element; }
    void RemoveAt(POSITION position) { m_nodes.erase(from_position(position).self); }
    POSITION InsertBefore(POSITION position, ARG_TYPE element)
    {
        return position ? insert(from_position(position).self, element) : AddHead(element);
    }
    POSITION InsertAfter(POSITION position, ARG_TYPE element)
    {
        return position ? insert(std::next(from_position(position).self), element) : AddTail(element);
    }
    // From `after` on (null: from the head); null when not found.
    POSITION Find(ARG_TYPE value, POSITION after = nullptr) const
    {
        auto it = after ? std::next(from_position_const(after).self) : m_nodes.begin();
        for (; it != m_nodes.end(); ++it) {
            if (it->value == value)
                return to_position(*it);
        }
        return nullptr;
    }
    // The position of the index-th element, null outside the list.
    POSITION FindIndex(INT_PTR index) const
    {
        if (index < 0 || index >= GetCount())
            return nullptr;
        auto it = m_nodes.begin();
        std::advance(it, index);
        return to_position(*it);
    }

private:
    struct Node {
        TYPE value;
        typename std::list<Node>::iterator self;
    };

    POSITION insert(typename std::list<Node>::iterator before, ARG_TYPE element)
    {
        auto it = m_nodes.insert(before, Node{element, {}});
        it->self = it;
        return to_position(*it);
    }
    static POSITION to_position(const Node& node) { return reinterpret_cast<POSITION>(const_cast<Node*>(&node)); }
    static Node& from_position(POSITION position)
    {
        if (!position)
            throw std::out_of_range("null POSITION");
        return *reinterpret_cast<Node*>(position);
    }
    static const Node& from_position_const(POSITION position) { return from_position(position); }
    Node& checked_front()
    {
        if (m_nodes.empty())
            throw std::out_of_range("empty list");
        return m_nodes.front();
    }
    Node& checked_back()
    {
        if (m_nodes.empty())
            throw std::out_of_range("empty list");
        return m_nodes.back();
    }

    std::list<Node> m_nodes;
};
