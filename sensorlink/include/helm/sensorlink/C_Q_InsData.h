// The inertial systems' "$PVRNK" data sentences decoded into sINSDATA, each
// announced to the main window as "VARNEK_INSDATA" with the data kind; and
// the wake-up state the system reports. The layouts are in the README.
#pragma once

#include <string_view>

#include "helm/sensorlink/ins_records.h"

class C_Q_InsData {
public:
    C_Q_InsData();

    // 0 for a data sentence (decoded), 1 for the sleep sentence, -1 for a
    // sentence that is not the system's data or is malformed (nothing
    // changes). `time_stamp_ms` is the record's time stamp.
    int F_DecodeInsData(const char* sentence, uint32_t time_stamp_ms);
    int F_DecodeInsData(std::string_view sentence, uint32_t time_stamp_ms);

    sINSDATA* F_GetInsData() { return &m_data; }
    static UINT F_GetInsDataMsg();
    // 1 while the system asks to be woken up.
    int F_GetInsWakeUpState() const { return m_data.WakeUpState; }
    void P_InitAllInsData();

private:
    sINSDATA m_data;
};
