#include "thread_state.h"

namespace helm::afx {

namespace {

// A plain pointer stays readable after the thread's destructors have run,
// so objects destroyed late (statics of the program) can tell that the
// state is gone.
thread_local ThreadState* t_state = nullptr;
thread_local bool t_ended = false;

struct StateOwner {
    ~StateOwner()
    {
        delete t_state;
        t_state = nullptr;
        t_ended = true;
    }
};
thread_local StateOwner t_owner;

}  // namespace

ThreadState::~ThreadState()
{
    delete_temporaries();
}

void ThreadState::delete_temporaries()
{
    // A temporary object never destroys its window.
    for (auto& [hwnd, window] : temporary)
        window->m_hWnd = nullptr;
    temporary.clear();
    temporary_dcs.clear();
    temporary_gdi.clear();
    temporary_menus.clear();
}

ThreadState& thread_state()
{
    if (!t_state) {
        (void)&t_owner;
        t_state = new ThreadState;
    }
    return *t_state;
}

ThreadState* thread_state_if_alive()
{
    if (t_ended)
        return nullptr;
    return &thread_state();
}

}  // namespace helm::afx
