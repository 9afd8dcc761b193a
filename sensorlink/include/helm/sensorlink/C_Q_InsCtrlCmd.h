// The command and settings protocol of the inertial navigation systems:
// builds the "$PVRNK" sentence(s) of a queue entry, decodes the "TEXT__"
// and "CONFIG" answers into the settings as read (CnfSys) and the texts,
// removes each answered id from the queue, drives the load sequence and
// tells the main window. The edited settings (CnfIhm) are what set
// sentences carry. Also writes and reads the configuration file.
#pragma once

#include <string>
#include <string_view>

#include "helm/afx/CString.h"
#include "helm/sensorlink/C_Q_MsgFifo.h"
#include "helm/sensorlink/ins_records.h"
#include "helm/sensorlink/sentence_fields.h"

class C_Q_InsCtrlCmd : public C_Q_MsgFifo {
public:
    C_Q_InsCtrlCmd();
    ~C_Q_InsCtrlCmd();

    void P_InitAllInsTextAndCnf();

    sINS_TEXT* F_GetAllInsText() { return &m_text; }
    sINS_SETTINGS* F_GetAllInsCnfSys() { return &m_cnf_sys; }
    sINS_SETTINGS* F_GetAllInsCnfIhm() { return &m_cnf_ihm; }

    uint16_t F_GetInsSystemType() const { return m_cnf_sys.SystemType; }
    uint16_t F_GetInsNbRsPort() const { return m_cnf_sys.NbRsPort; }
    uint16_t F_GetInsNbPulsePort() const { return m_cnf_sys.NbPulsePort; }
    uint16_t F_GetInsNbAnalogicOutput() const { return m_cnf_sys.NbAnalogicOutput; }

    // The language letter of the texts asked for: the first character.
    void P_SetLanguageTextLoaded(const char* language);

    // false: the edited settings become a copy of those read. true: queues
    // a set of every setting of the system; the manual position (MANPOS)
    // when manualPosition, else the UTM one.
    void F_UpdateInsAllCnf(bool toSystem, bool manualPosition);

    // Worker side. Appends the sentence(s) of queue entry `id` to `frame`
    // (type 0 ask, else set; for 1621 the type is the value).
    void P_MakeInsFrame(uint16_t id, uint16_t type, CString* frame);
    void F_InsWakeUp(CString* frame);
    // 0 for a "$PVRNK,TEXT__," or "$PVRNK,CONFIG," answer, -1 otherwise (the
    // data decoder gets it next). The caller has tested the checksum.
    int F_DecodeInsCnf(const char* sentence);
    int F_DecodeInsCnf(std::string_view sentence);

    static UINT F_GetInsStartLoadMsg();
    static UINT F_GetInsTextMsg();
    static UINT F_GetInsCnfMsg();

    // The configuration file (INI, CR LF, sealed). Save: 0 written, -1 not.
    // PrepareLoad: 0 and the edited settings filled from the file, or -2
    // (nothing changed) for a file that is missing, unreadable, for another
    // system type or whose seal does not match.
    int F_SaveInsCnfFile(CString path);
    int F_PrepareLoadInsCnfFile(CString path);

private:
    void make_frame(uint16_t id, uint16_t type, std::string* frame);
    void F_StartInsLoadCnf();
    void P_TriListBitStatusIns();
    using Fields = helm::sensorlink::SentenceFields;
    int F_DecodeInsTxtFrame(const Fields& f);
    int F_DecodeInsCnfFrame(const Fields& f);
    int F_DecodeInsSystemType(const Fields& f);
    int F_DecodeInsTxtStatus(int list, const Fields& f);
    int F_DecodeInsInfoSys(int info, const Fields& f);
    int F_DecodeInsEnumText(int id, const Fields& f);
    int F_DecodeInsParam(const Fields& f);
    int F_DecodeInsPorts(const Fields& f);
    void P_TextGroupComplete(int group);
    void ask(int id) { F_AddNewMsgFifo(id, 0, false, 0); }
    void post(UINT message, LPARAM lParam);

    sINS_TEXT m_text;
    sINS_SETTINGS m_cnf_sys;
    sINS_SETTINGS m_cnf_ihm;
    char m_language = 'E';
};
