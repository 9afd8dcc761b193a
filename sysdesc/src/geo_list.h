// The one rule by which the model's lists are read and grown.
#pragma once

#include <memory>
#include <vector>

namespace helm::sysdesc {

// The element at the index, clamped into the list; null when it is empty.
template <class T>
T* clamped_at(const std::vector<std::unique_ptr<T>>& list, int index)
{
    if (list.empty())
        return nullptr;
    if (index < 0)
        index = 0;
    if (size_t(index) >= list.size())
        index = int(list.size()) - 1;
    return list[size_t(index)].get();
}

// Adds a copy of `element` unless one with its ID is there. A copy with ID
// -1 takes the count + 1, stepping up while that ID is taken (a list of IDs
// 1 and 3 gives 4, never a second 3). False when nothing was added.
template <class T>
bool add_copy(std::vector<std::unique_ptr<T>>& list, const T& element)
{
    const auto taken = [&](int id) {
        for (const auto& existing : list) {
            if (existing->F_getData().m_nID == id)
                return true;
        }
        return false;
    };
    if (taken(element.F_getData().m_nID))
        return false;
    auto copy = std::make_unique<T>(element);
    if (copy->F_getData().m_nID == -1) {
        int id = int(list.size()) + 1;
        while (taken(id))
            ++id;
        copy->F_getData().m_nID = id;
    }
    list.push_back(std::move(copy));
    return true;
}

template <class T>
void copy_all(std::vector<std::unique_ptr<T>>& target, const std::vector<std::unique_ptr<T>>& source)
{
    target.clear();
    for (const auto& element : source)
        target.push_back(std::make_unique<T>(*element));
}

}  // namespace helm::sysdesc
