// The time-out of an input: one list ("Automatic", "User setting (ms)...",
// and the user's value as "<n> ms") with an edit laid over it, where the
// operator types the user's value. The page remembers the entry last shown
// as chosen, so an edit left empty brings that one back.
#pragma once

#include <functional>

#include "afxwin.h"
#include "toolkit/CEditRestricted.h"

class TimeOutChoice {
public:
    // `tell` posts the page's time-out group to its host.
    TimeOutChoice(CComboBox& list, CEditRestricted& edit, std::function<void()> tell)
        : m_list(list), m_edit(edit), m_tell(std::move(tell))
    {
    }

    // The two fixed entries, the edit taking six digits and hidden; 0.
    int fill();
    // ms <= 0 chooses "Automatic", else "<ms> ms" as the user's entry; the
    // list's answer to the selection.
    int select(int ms);
    // -1 for "Automatic" or while no user's value is chosen; else its ms.
    int selected() const;
    // No selection, nothing remembered.
    void clear();

    // The operator picked an entry of the list.
    void on_pick();
    // The operator left the edit (or filled it).
    void on_edit_done();

private:
    static constexpr int automatic = 0, user_setting = 1, user_value = 2;
    void choose_user_value(int ms);

    CComboBox& m_list;
    CEditRestricted& m_edit;
    std::function<void()> m_tell;
    int m_remembered = -1;
};
