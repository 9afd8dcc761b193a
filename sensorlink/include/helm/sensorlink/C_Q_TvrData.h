// The Talvor's data sentences decoded into sTVRDATA, each announced to the
// main window as "VARNEK_TVRDATA" with the data kind; and the wake-up
// state the sensor reports. The sentence layouts are in the README.
#pragma once

#include <string_view>

#include "helm/sensorlink/sensor_records.h"

class C_Q_TvrData {
public:
    C_Q_TvrData();

    // 0 for a data sentence (decoded), 1 for a state sentence ("$KVST_"),
    // -1 for a sentence that is not the sensor's data or is malformed.
    // `time_stamp_ms` is the record's time stamp.
    int F_DecodeTvrData(const char* sentence, uint32_t time_stamp_ms);
    int F_DecodeTvrData(std::string_view sentence, uint32_t time_stamp_ms);

    sTVRDATA* F_GetTvrData() { return &m_data; }
    static UINT F_GetTvrDataMsg();
    // 1 while the sensor asks to be woken up.
    int F_GetTvrWakeUpState() const { return m_data.WakeUpState; }
    void P_InitAllTvrData();

private:
    void post(int kind);

    sTVRDATA m_data;
};
