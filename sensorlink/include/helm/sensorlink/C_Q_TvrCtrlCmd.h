// The Talvor's command and settings protocol: builds the sentence of the
// queue's head entry, decodes the "$KVTXT" and "$KVCNF" answers (and the
// bias, lever-arm, orientation and manual-position answers) into the
// settings as read (CnfSys) and the texts, removes each answered id from
// the queue and tells the main window. The edited settings (CnfIhm) are
// what set sentences carry. Also writes and reads the configuration file.
#pragma once

#include <string>
#include <string_view>

#include "helm/afx/CString.h"
#include "helm/sensorlink/C_Q_MsgFifo.h"
#include "helm/sensorlink/sensor_records.h"

class C_Q_TvrCtrlCmd : public C_Q_MsgFifo {
public:
    C_Q_TvrCtrlCmd();
    ~C_Q_TvrCtrlCmd();

    sTVR_SETTINGS* F_GetAllTvrCnfIhm() { return &m_cnf_ihm; }
    sTVR_SETTINGS* F_GetAllTvrCnfSys() { return &m_cnf_sys; }
    sTVR_TEXT* F_GetAllTvrText() { return &m_text; }

    uint16_t F_GetTvrSystemType() const { return m_cnf_sys.SystemType; }
    uint16_t F_GetTvrNbRsPort() const { return m_cnf_sys.NbRsPort; }
    uint16_t F_GetTvrNbRsOutPort() const { return m_cnf_sys.NbRsOutPort; }
    uint16_t F_GetTvrNbRsInPort() const { return m_cnf_sys.NbRsInPort; }
    uint16_t F_GetTvrNbPulsePort() const { return m_cnf_sys.NbPulsePort; }
    uint16_t F_GetTvrNbAnalogicOutput() const { return m_cnf_sys.NbAnalogicOutput; }

    // true: queues a set of every setting the model has; false: copies the
    // read settings over the edited ones.
    void F_UpdateTvrAllCnf(bool send);
    // 15 or 7 fixes the counts of that model and starts the full reading.
    void F_SetTvrSystemType(uint16_t type);

    static UINT F_GetTvrStartLoadMsg();
    static UINT F_GetTvrTextMsg();
    static UINT F_GetTvrCnfMsg();

    // The configuration file (INI, CR LF, one section per group, sealed).
    // Save: 0 written, -1 not. PrepareLoad: 0 and the edited settings
    // filled from the file, or -2 (nothing changed) for a file that is
    // missing, unreadable, not sealed or whose seal does not match.
    // ReBootLoad: 1 when the file's orientation, Ethernet boot or bias
    // differ from those read, else 0.
    int F_SaveTvrCnfFile(CString path);
    int F_PrepareLoadTvrCnfFile(CString path);
    int F_ReBootLoadTvrCnfFile(CString path);

    // Worker side. Appends the sentence(s) of entry `id` to `frame`, each
    // with its checksum; ids without a sentence for this sensor leave the
    // queue at once.
    void P_MakeTvrFrame(uint16_t id, uint16_t type, CString* frame);
    void F_TvrWakeUp(CString* frame);
    // 0 for a "$KVTXT" or "$KVCNF" answer, -1 otherwise (the data decoder
    // gets it next). The caller has tested the checksum.
    int F_DecodeTvrCnf(const char* sentence);
    int F_DecodeTvrCnf(std::string_view sentence);

    void P_InitAllTvrTextAndCnf();

private:
    void make_frame(uint16_t id, uint16_t type, std::string* frame);
    void F_StartTvrLoadCnf();
    int F_DecodeTvrTxtFrame(std::string_view sentence);
    int F_DecodeTvrCnfFrame(std::string_view sentence);
    int F_DecodeTvrSettings(std::string_view sentence);
    int F_DecodeTvrSystemType(std::string_view sentence);
    int F_DecodeTvrStatusText(int list, std::string_view sentence);
    int F_DecodeTvrGroupText(int group, std::string_view sentence);
    void P_TextGroupComplete(int group);
    void P_TriListBitStatusTvr();
    void P_InitTextGroups();
    void post(UINT message, LPARAM lParam);

    sTVR_TEXT m_text;
    sTVR_SETTINGS m_cnf_sys;
    sTVR_SETTINGS m_cnf_ihm;
};
