#include "helm/sensorlink/C_Q_MsgFifo.h"

#include <algorithm>
#include <cstring>

#include "helm/kernel/clock.h"
#include "section_lock.h"

using helm::sensorlink::SectionLock;

namespace {

// The tick wraps after 49.7 days; a due time is compared as a signed
// distance so the queue keeps running across the wrap. 0 means at once.
bool is_due(uint32_t next_due, uint32_t now)
{
    return next_due == 0 || static_cast<int32_t>(now - next_due) >= 0;
}

uint32_t due_after(uint32_t now, uint32_t period)
{
    const uint32_t due = now + period;
    return due == 0 ? 1 : due;
}

}  // namespace

C_Q_MsgFifo::C_Q_MsgFifo()
{
    InitializeCriticalSection(&m_lock);
}

C_Q_MsgFifo::~C_Q_MsgFifo()
{
    P_RemoveAllFifo();
    DeleteCriticalSection(&m_lock);
}

int C_Q_MsgFifo::F_AddNewMsgFifo(int id, unsigned short type, bool keep, unsigned int period_ms)
{
    if (id < 1)
        return -1;
    auto entry = std::make_unique<sMSG>();
    entry->id = id;
    entry->type = type;
    entry->keep = keep ? 1 : 0;
    entry->period = period_ms;
    entry->next_due = 0;
    SectionLock guard(&m_lock);
    remove_locked(id);
    m_entries.push_back(std::move(entry));
    return 0;
}

int C_Q_MsgFifo::F_GetFirstMsgFifo(sMSG* out)
{
    return F_GetFirstMsgFifo(out, GetTickCount());
}

int C_Q_MsgFifo::F_GetFirstMsgFifo(sMSG* out, unsigned int now_tick)
{
    sMSG scratch{};
    sMSG* result = out != nullptr ? out : &scratch;
    SectionLock guard(&m_lock);
    if (m_entries.empty()) {
        std::memset(result, 0, sizeof *result);
        return -1;
    }
    sMSG& head = *m_entries.front();
    *result = head;
    if (!is_due(head.next_due, now_tick))
        return -1;
    head.next_due = due_after(now_tick, head.period);
    *result = head;
    if (!head.keep)
        std::rotate(m_entries.begin(), m_entries.begin() + 1, m_entries.end());
    return 0;
}

int C_Q_MsgFifo::remove_locked(int id)
{
    if (id < 1)
        return -1;
    auto found = std::find_if(m_entries.begin(), m_entries.end(), [id](const auto& e) { return e->id == id; });
    if (found == m_entries.end())
        return -1;
    m_entries.erase(found);
    return id;
}

int C_Q_MsgFifo::F_FindAndRemoveFifo(int id)
{
    SectionLock guard(&m_lock);
    return remove_locked(id);
}

void C_Q_MsgFifo::P_RemoveAllFifo()
{
    SectionLock guard(&m_lock);
    m_entries.clear();
}

unsigned int C_Q_MsgFifo::F_GetTailleFifo()
{
    SectionLock guard(&m_lock);
    return static_cast<unsigned int>(m_entries.size());
}

bool C_Q_MsgFifo::F_IsInFifo(int id)
{
    SectionLock guard(&m_lock);
    return std::any_of(m_entries.begin(), m_entries.end(), [id](const auto& e) { return e->id == id; });
}
