// The queue of outgoing sensor commands. An entry stays queued until the
// answer to it is decoded, so an unanswered command goes out again at each
// due time. Element 0 is the head. Every operation runs under the queue's
// own lock: the user-interface thread adds entries while the link worker
// takes and removes them.
#pragma once

#include <memory>
#include <vector>

#include "helm/kernel/sync.h"
#include "helm/sensorlink/sensor_records.h"

class C_Q_MsgFifo {
public:
    C_Q_MsgFifo();
    ~C_Q_MsgFifo();
    C_Q_MsgFifo(const C_Q_MsgFifo&) = delete;
    C_Q_MsgFifo& operator=(const C_Q_MsgFifo&) = delete;

    // Removes an entry with the same id, then appends the new entry at the
    // tail, due at once: 0. An id below 1 is refused: -1.
    int F_AddNewMsgFifo(int id, unsigned short type, bool keep, unsigned int period_ms);

    // The head entry when it is due at `now_tick` (a GetTickCount value):
    // 0, the head's next due time set to now + period, and the head moved
    // to the tail unless it keeps its place. -1 when the queue is empty
    // (out zeroed) or the head is not due yet (out holds the head); an
    // entry that is not due holds back the ones behind it.
    int F_GetFirstMsgFifo(sMSG* out, unsigned int now_tick);
    // The same at the current GetTickCount.
    int F_GetFirstMsgFifo(sMSG* out);

    // Removes the first entry with `id`: the id, or -1 when the id is below
    // 1 or not queued.
    int F_FindAndRemoveFifo(int id);
    void P_RemoveAllFifo();
    unsigned int F_GetTailleFifo();
    // Whether an entry with `id` is queued.
    bool F_IsInFifo(int id);

private:
    int remove_locked(int id);

    CRITICAL_SECTION m_lock;
    std::vector<std::unique_ptr<sMSG>> m_entries;
};
