// The sensor's factory command set: reads and writes its calibration
// parameters ("$KVST_" and "$CIPRG" sentences), wakes it into factory
// mode and carries the firmware upload. The settings as last reported
// (CnfSys) and as edited (CnfIhm); each queue entry is a command id.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "helm/afx/CString.h"
#include "helm/sensorlink/C_Q_MsgFifo.h"
#include "helm/sensorlink/usine_records.h"

class C_Q_CnfUsineCtrlCmd : public C_Q_MsgFifo {
public:
    C_Q_CnfUsineCtrlCmd();
    ~C_Q_CnfUsineCtrlCmd();

    void P_InitAllUsineCnf();

    sUSINE_SETTINGS* F_GetAllUsineCnfSys() { return &m_cnf_sys; }
    sUSINE_SETTINGS* F_GetAllUsineCnfIhm() { return &m_cnf_ihm; }
    bool F_GetUsineSysActif() const { return m_cnf_sys.SysActif != 0; }
    void F_SetUsineSysActif(bool active) { m_cnf_sys.SysActif = active ? 1 : 0; }
    void P_SetTypeDSP(uint16_t type) { m_dsp_type = type; }
    uint16_t F_GetTypeDSP() const { return m_dsp_type; }
    bool F_GetModeLoad() const { return m_load_mode != 0; }

    // Appends the wake-up sentence, unless an upload is under way.
    void F_UsineWakeUp(CString* out);
    // Queue the reading of every parameter, or the writing of the edited
    // ones; 0.
    int F_LoadSysToPc();
    int F_LoadPcToSys();
    // Appends the sentence(s) of queue entry `id` (type 1 set, else ask):
    // 0, or -1 and nothing for an id outside the set.
    int P_MakeUsineFrame(uint16_t id, uint16_t type, CString* out);
    // -1 for every sentence (the caller traces them all); decodes the
    // answers and takes the answered ids out of the queue.
    int F_DecodeUsineCnf(const char* sentence);
    int F_DecodeUsineCnf(std::string_view sentence);

    // Firmware upload. Reads the image (a text file: the start address in
    // hexadecimal on the first line, then up to four hexadecimal words a
    // line) and queues the start address: 0, or -1 and nothing changed.
    // `version` is the version text the upload announces.
    int F_StartLoadProg(CString path, CString version);
    // The upload's progress in percent; 0 while there is nothing to send.
    int F_GetInfoLoadProgState() const;
    uint32_t F_GetUploadState() const { return m_upload_state; }
    uint32_t F_GetUploadXor() const { return m_xor; }
    // The two values "IADR" carries after the address for DSP type 5.
    void P_SetUploadExtra(uint32_t first, uint32_t second) { m_extra1 = first; m_extra2 = second; }

    // The model file (the calibration triples and matrices) and the system
    // file (types, time constants, frequencies, network): sealed INI texts
    // of the edited settings. Saving gives 0, or -1 when the file cannot be
    // written. Loading fills the edited settings and gives 0; -1 when the
    // file cannot be read or its seal does not match, -2 when an entry is
    // missing or malformed. A failed load changes nothing.
    int F_SaveFileCnfModele(CString path) const;
    int F_LoadFileCnfModele(CString path);
    int F_SaveFileCnfSystem(CString path) const;
    int F_LoadFileCnfSystem(CString path);

    static UINT F_GetUsineStartLoadMsg();
    static UINT F_GetUsineCnfMsg();
    static UINT F_GetLoadProgStateMessage();
    static UINT F_GetSysStateMessage();

    static constexpr std::size_t kMaxProgramWords = 1u << 20;

private:
    int make_frame(uint16_t id, uint16_t type, std::string& frame);
    const char* prefix() const { return m_dsp_type == 5 ? "$CIPRG" : "$KVST_"; }
    void append(std::string* out, const char* sentence) const;
    void append_wake_up(std::string* out) const;
    void append_program_frame(std::string* out);
    int F_DecodeLoadProg(std::string_view text);
    int F_DecodeUsineParamCI(std::string_view text);
    int F_DecodeUsineInfoSys(std::string_view text);
    int F_DecodeUsineParam(std::string_view text);
    int F_DecodeUsineParamMode(std::string_view text);
    void post(UINT message, LPARAM lParam);

    sUSINE_SETTINGS m_cnf_sys;
    sUSINE_SETTINGS m_cnf_ihm;
    std::vector<uint32_t> m_words;
    uint32_t m_start_address = 0;
    uint32_t m_frame_index = 0;
    uint32_t m_block = 0;
    uint32_t m_xor = 0;
    uint32_t m_extra1 = 0;
    uint32_t m_extra2 = 0;
    uint32_t m_total_words = 0;
    uint32_t m_upload_state = 0;
    uint16_t m_dsp_type = 5;
    uint8_t m_load_mode = 0;
    uint8_t m_first_info = 1;
};
