#include "helm/sensorlink/C_Q_CnfUsineCtrlCmd.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "helm/kernel/station_path.h"
#include "helm/sensorlink/C_Q_Tools.h"
#include "helm/sensorlink/sentence_fields.h"
#include "helm/sensorlink/window_post.h"
#include "helm/station/atoms.h"

using namespace helm::sensorlink;

namespace {

enum class Kind : uint8_t { Triple, Matrix, Algo, Csor, Hard, Pair, Freq, Tfct, Tmod, Net, Mode };

struct Param {
    int id = 0;
    char key[5] = {};
    Kind kind = Kind::Triple;
    int index = 0;  // Triple: 0-49, 50 QGMB, 51 QAMB, 52 CRT_; Matrix: 0-7; Pair: TFOG, TACC, TANA
};

// The triple families in command-id order, and where each sits in the
// record (whose order is another one).
constexpr const char* kIdOrder[10] = {"QGF", "QGB", "QGS", "CSF", "QAF", "QAB", "QAT", "CAF", "CAB", "CAT"};
constexpr const char* kRecordOrder[10] = {"QGF", "QAF", "CAF", "QGB", "QAB", "CAB", "QGS", "CSF", "QAT", "CAT"};

std::array<Param, USINE_ID_MODE - USINE_ID_FIRST + 1> build_params()
{
    std::array<Param, USINE_ID_MODE - USINE_ID_FIRST + 1> rows{};
    auto set = [&](int id, const char* key, Kind kind, int index) {
        Param& p = rows[static_cast<std::size_t>(id - USINE_ID_FIRST)];
        p.id = id;
        std::snprintf(p.key, sizeof p.key, "%s", key);
        p.kind = kind;
        p.index = index;
    };
    auto family_key = [](const char* family, int k) {
        std::string key(family);
        key.push_back(k == 0 ? '_' : static_cast<char>('0' + k - 1));
        return key;
    };
    for (int f = 0; f < 10; ++f) {
        int at = 0;
        while (std::strcmp(kRecordOrder[at], kIdOrder[f]) != 0)
            ++at;
        for (int k = 0; k < 5; ++k)
            set(USINE_ID_FIRST + f * 5 + k, family_key(kIdOrder[f], k).c_str(), Kind::Triple, at * 5 + k);
    }
    for (int k = 0; k < 4; ++k) {
        set(USINE_ID_QGM + k, family_key("QGM", k).c_str(), Kind::Matrix, k);
        set(USINE_ID_QAM + k, family_key("QAM", k).c_str(), Kind::Matrix, 4 + k);
    }
    set(USINE_ID_QGMB, "QGMB", Kind::Triple, 50);
    set(USINE_ID_QAMB, "QAMB", Kind::Triple, 51);
    set(USINE_ID_CRT, "CRT_", Kind::Triple, 52);
    set(USINE_ID_ALGO, "ALGO", Kind::Algo, 0);
    set(USINE_ID_CSOR, "CSOR", Kind::Csor, 0);
    set(USINE_ID_HARD, "HARD", Kind::Hard, 0);
    set(USINE_ID_TFOG, "TFOG", Kind::Pair, 0);
    set(USINE_ID_TACC, "TACC", Kind::Pair, 1);
    set(USINE_ID_TANA, "TANA", Kind::Pair, 2);
    set(USINE_ID_FREQ, "FREQ", Kind::Freq, 0);
    set(USINE_ID_TFCT, "TFCT", Kind::Tfct, 0);
    set(USINE_ID_TMOD, "TMOD", Kind::Tmod, 0);
    set(USINE_ID_NET, "NET_", Kind::Net, 0);
    set(USINE_ID_MODE, "MODE", Kind::Mode, 0);
    return rows;
}

const auto& params()
{
    static const auto rows = build_params();
    return rows;
}

const Param* param_for_id(int id)
{
    if (id < USINE_ID_FIRST || id > USINE_ID_MODE)
        return nullptr;
    return &params()[static_cast<std::size_t>(id - USINE_ID_FIRST)];
}

const Param* param_for_key(std::string_view key)
{
    for (const Param& p : params()) {
        if (key == p.key)
            return &p;
    }
    return nullptr;
}

sUSINE_TRIPLE* triple_of(sUSINE_SETTINGS* s, int index)
{
    if (index < USINE_NB_TRIPLE)
        return &s->Triple[index];
    return index == 50 ? &s->Qgmb : (index == 51 ? &s->Qamb : &s->Crt);
}

sUSINE_PAIR_F* pair_of(sUSINE_SETTINGS* s, int index)
{
    return index == 0 ? &s->Tfog : (index == 1 ? &s->Tacc : &s->Tana);
}

// The received (or complete) flag of a parameter.
uint8_t* valid_of(sUSINE_SETTINGS* s, const Param& p)
{
    switch (p.kind) {
    case Kind::Triple: return &triple_of(s, p.index)->Valid;
    case Kind::Matrix: return &s->Matrix[p.index].Complete;
    case Kind::Algo: return &s->Algo.Valid;
    case Kind::Csor: return &s->Csor.Valid;
    case Kind::Hard: return &s->Hard.Valid;
    case Kind::Pair: return &pair_of(s, p.index)->Valid;
    case Kind::Freq: return &s->Freq.Valid;
    case Kind::Tfct: return &s->Tfct.Valid;
    case Kind::Tmod: return &s->Tmod.Valid;
    case Kind::Net: return &s->Net.Valid;
    case Kind::Mode: return &s->Mode.Valid;
    }
    return nullptr;
}

// A value of a parameter answer: a sign character, then the number. Any
// sign character other than '+' negates when the sign counts.
bool signed_value(std::string_view field, bool use_sign, double* out)
{
    if (field.size() < 2)
        return false;
    double magnitude = 0;
    if (!scan_double(field.substr(1), &magnitude))
        return false;
    *out = use_sign && field[0] != '+' ? -magnitude : magnitude;
    return true;
}

bool fits_int32(double v)
{
    return v > -2147483649.0 && v < 2147483648.0;
}

std::string text_field(const char* text, std::size_t size)
{
    std::string out(text, strnlen(text, size));
    for (char& c : out) {
        if (c == ',' || c == '*' || c == '$' || static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    }
    return out;
}

}  // namespace

C_Q_CnfUsineCtrlCmd::C_Q_CnfUsineCtrlCmd()
{
    P_InitAllUsineCnf();
}

C_Q_CnfUsineCtrlCmd::~C_Q_CnfUsineCtrlCmd() = default;

UINT C_Q_CnfUsineCtrlCmd::F_GetUsineStartLoadMsg()
{
    return RegisterWindowMessage("VARNEK_USINE_START_LOAD");
}

UINT C_Q_CnfUsineCtrlCmd::F_GetUsineCnfMsg()
{
    return RegisterWindowMessage("VARNEK_USINE_CNF");
}

UINT C_Q_CnfUsineCtrlCmd::F_GetLoadProgStateMessage()
{
    return RegisterWindowMessage("VARNEK_LOAD_PROG_STATE");
}

UINT C_Q_CnfUsineCtrlCmd::F_GetSysStateMessage()
{
    return RegisterWindowMessage("VARNEK_SYSTEM_USINE_STATE");
}

void C_Q_CnfUsineCtrlCmd::post(UINT message, LPARAM lParam)
{
    post_to_main_window(message, 0, lParam);
}

void C_Q_CnfUsineCtrlCmd::P_InitAllUsineCnf()
{
    m_load_mode = 0;
    P_RemoveAllFifo();
    m_words.clear();
    m_start_address = m_frame_index = m_block = m_xor = m_total_words = m_upload_state = 0;
    m_first_info = 1;
    std::memset(&m_cnf_sys, 0, sizeof m_cnf_sys);
    for (sUSINE_MATRIX& m : m_cnf_sys.Matrix) {
        for (int i = 0; i < 3; ++i)
            m.M[i][i] = 1.0;
        m.Complete = 1;
    }
    m_cnf_ihm = m_cnf_sys;
}

void C_Q_CnfUsineCtrlCmd::append(std::string* out, const char* sentence) const
{
    std::string s(sentence);
    C_Q_Tools::F_AddChecksum(&s);
    out->append(s);
}

void C_Q_CnfUsineCtrlCmd::F_UsineWakeUp(CString* out)
{
    if (out == nullptr)
        return;
    std::string built;
    append_wake_up(&built);
    *out += CString(built);
}

void C_Q_CnfUsineCtrlCmd::append_wake_up(std::string* out) const
{
    if (!m_load_mode)
        append(out, m_dsp_type == 2 ? "$KVST_,WKP2,," : (m_dsp_type == 5 ? "$CIPRG,WKO3,," : "$KVST_,WAKE,,"));
}

int C_Q_CnfUsineCtrlCmd::F_LoadSysToPc()
{
    auto ask = [this](int id) { F_AddNewMsgFifo(id, 0, true, 0); };
    auto ask_range = [&](int first, int last) {
        for (int id = first; id <= last; ++id)
            ask(id);
    };
    ask_range(1024, 1038);
    ask_range(1044, 1047);
    ask_range(1049, 1052);
    for (int id : {1074, 1079, 1078, 1083, 1084})
        ask(id);
    if (m_dsp_type >= 3) {
        ask(1048);
        ask(1053);
    }
    if (m_dsp_type >= 4) {
        for (int id : {1086, 1085, 1087})
            ask(id);
        ask_range(1088, 1095);
    }
    return 0;
}

int C_Q_CnfUsineCtrlCmd::F_LoadPcToSys()
{
    auto set = [this](int id, unsigned int period) { F_AddNewMsgFifo(id, 1, true, period); };
    auto set_range = [&](int first, int last) {
        for (int id = first; id <= last; ++id)
            set(id, 0);
    };
    if (m_dsp_type != 5)
        set(USINE_ID_SERI, 0);
    set_range(1024, 1038);
    set_range(1044, 1047);
    set_range(1049, 1052);
    for (int id : {1074, 1079, 1078, 1083, 1084})
        set(id, 0);
    if (m_dsp_type >= 3) {
        set(1048, 0);
        set(1053, 0);
    }
    if (m_dsp_type >= 4) {
        for (int id : {1086, 1085, 1087})
            set(id, 0);
        set_range(1088, 1093);
        set(USINE_ID_NET, 1000);
        set(USINE_ID_MODE, 1000);
    }
    set(USINE_ID_MFIN, 0);
    return 0;
}

int C_Q_CnfUsineCtrlCmd::P_MakeUsineFrame(uint16_t id, uint16_t type, CString* out)
{
    std::string built;
    const int result = make_frame(id, type, built);
    if (out != nullptr)
        *out += CString(built);
    return result;
}

int C_Q_CnfUsineCtrlCmd::make_frame(uint16_t id, uint16_t type, std::string& frame)
{
    if (id < USINE_ID_FIRST || id > USINE_ID_LAST)
        return -1;
    char buffer[192];
    const bool is_set = type == 1;

    if (const Param* p = param_for_id(id)) {
        const char* head = p->kind == Kind::Net || p->kind == Kind::Mode ? "$CIPRG" : "$KVST_";
        const sUSINE_SETTINGS& e = m_cnf_ihm;
        sUSINE_MATRIX& cursor = m_cnf_sys.Matrix[p->kind == Kind::Matrix ? p->index : 0];
        const int row = std::clamp(cursor.Row, 0, 2);
        const int column = std::clamp(cursor.Column, 0, 2);
        if (is_set) {
            *valid_of(&m_cnf_sys, *p) = 0;
            switch (p->kind) {
            case Kind::Triple: {
                const sUSINE_TRIPLE& t = *triple_of(&m_cnf_ihm, p->index);
                std::snprintf(buffer, sizeof buffer, "$KVST_,%s,%.09f,%.09f,%.09f", p->key, t.X, t.Y, t.Z);
                break;
            }
            case Kind::Matrix:
                std::snprintf(buffer, sizeof buffer, "$KVST_,%s,%.09f,%.09f,%.09f", p->key, static_cast<double>(row),
                              static_cast<double>(column), e.Matrix[p->index].M[row][column]);
                break;
            case Kind::Algo:
                std::snprintf(buffer, sizeof buffer, "$KVST_,%s,%d,%d,0.0", p->key, e.Algo.V[1], e.Algo.V[0]);
                break;
            case Kind::Csor:
                std::snprintf(buffer, sizeof buffer, "$KVST_,%s,%.09f,%.09f,0.0", p->key,
                              static_cast<double>(e.Csor.A), static_cast<double>(e.Csor.B));
                break;
            case Kind::Hard:
                std::snprintf(buffer, sizeof buffer, "$KVST_,%s,%d,%d,%d", p->key, e.Hard.V[0], e.Hard.V[2],
                              e.Hard.V[1]);
                break;
            case Kind::Pair: {
                const sUSINE_PAIR_F& pair = *pair_of(&m_cnf_ihm, p->index);
                std::snprintf(buffer, sizeof buffer, "$KVST_,%s,%f,%f,%f", p->key, static_cast<double>(pair.A),
                              static_cast<double>(pair.B), 0.0);
                break;
            }
            case Kind::Freq:
                std::snprintf(buffer, sizeof buffer, "$KVST_,%s,%d,%d,0.0", p->key, e.Freq.V[0], e.Freq.V[1]);
                break;
            case Kind::Tfct:
                std::snprintf(buffer, sizeof buffer, "$KVST_,%s,%f,%f,%f", p->key, static_cast<double>(e.Tfct.V[0]),
                              static_cast<double>(e.Tfct.V[1]), static_cast<double>(e.Tfct.V[2]));
                break;
            case Kind::Tmod:
                std::snprintf(buffer, sizeof buffer, "$KVST_,%s,%f,%f,%f", p->key, static_cast<double>(e.Tmod.V[0]),
                              static_cast<double>(e.Tmod.V[2]), static_cast<double>(e.Tmod.V[1]));
                break;
            case Kind::Net:
                std::snprintf(buffer, sizeof buffer, "$CIPRG,%s,%d.%d.%d.%d,%s,%d,%d", p->key, e.Net.Ip[0], e.Net.Ip[1],
                              e.Net.Ip[2], e.Net.Ip[3], text_field(e.Net.Mac, USINE_MAC_SIZE).c_str(), e.Net.Port1,
                              e.Net.Port2);
                break;
            case Kind::Mode:
                std::snprintf(buffer, sizeof buffer, "$CIPRG,%s,%d,%d", p->key, e.Mode.Dhcp ? 1 : 0,
                              static_cast<int>(e.Mode.Second & 0xFFFF));
                break;
            }
            append(&frame, buffer);
        }
        if (p->kind == Kind::Matrix)
            std::snprintf(buffer, sizeof buffer, "$KVST_,%s,%d,%d,", p->key, row, column);
        else
            std::snprintf(buffer, sizeof buffer, "%s,%s,,", head, p->key);
        append(&frame, buffer);
        return 0;
    }

    switch (id) {
    case USINE_ID_SERI:
        if (is_set) {
            std::snprintf(buffer, sizeof buffer, "$KVST_,SERI,%s,%d,3",
                          text_field(m_cnf_ihm.SerialNumber, USINE_SERIAL_SIZE).c_str(), m_cnf_ihm.SystemNumber);
            append(&frame, buffer);
        }
        append_wake_up(&frame);
        m_first_info = 1;
        m_cnf_sys.SerialValid = 0;
        m_cnf_sys.NumberValid = 0;
        break;
    case USINE_ID_VERS:
        if (m_upload_state == 2 || m_upload_state == 4) {
            std::snprintf(buffer, sizeof buffer, "%s,VERS,%s,", prefix(),
                          text_field(m_cnf_ihm.VersionB, USINE_TEXT_SIZE).c_str());
            m_cnf_sys.VersionBValid = 0;
        } else {
            std::snprintf(buffer, sizeof buffer, "%s,VERS,%s,,", prefix(),
                          text_field(m_cnf_ihm.VersionA, USINE_TEXT_SIZE).c_str());
            m_cnf_sys.VersionAValid = 0;
        }
        append(&frame, buffer);
        if (!m_load_mode) {
            // Queued only when missing: queuing again would make each due
            // at once and send the version on every turn.
            if (!F_IsInFifo(USINE_ID_WAKE))
                F_AddNewMsgFifo(USINE_ID_WAKE, 0, false, 2000);
            if (!F_IsInFifo(USINE_ID_VERS))
                F_AddNewMsgFifo(USINE_ID_VERS, 0, false, 20000);
        }
        post(F_GetLoadProgStateMessage(), 0);
        m_load_mode = 0;
        break;
    case USINE_ID_WAKE: append_wake_up(&frame); break;
    case USINE_ID_MFIN:
        append(&frame, "$KVST_,MFIN,,");
        F_FindAndRemoveFifo(id);
        break;
    case USINE_ID_PFIN:
    case USINE_ID_RAZ:
    case USINE_ID_CHOK:
    case USINE_ID_ININ:
        std::snprintf(buffer, sizeof buffer, "%s,%s,,", prefix(),
                      id == USINE_ID_PFIN ? "PFIN" : (id == USINE_ID_RAZ ? "RAZ_" : (id == USINE_ID_CHOK ? "CHOK" : "ININ")));
        append(&frame, buffer);
        F_FindAndRemoveFifo(id);
        if (id == USINE_ID_CHOK)
            post(F_GetLoadProgStateMessage(), 0);
        if (id == USINE_ID_ININ)
            F_AddNewMsgFifo(USINE_ID_PROG, 1, false, 0);
        break;
    case USINE_ID_IADR:
        if (m_dsp_type == 5)
            std::snprintf(buffer, sizeof buffer, "%s,IADR,%06X,%d,%d", prefix(), m_start_address,
                          static_cast<int>(m_extra1), static_cast<int>(m_extra2 * 4));
        else
            std::snprintf(buffer, sizeof buffer, "%s,IADR,%06X", prefix(), m_start_address);
        append(&frame, buffer);
        F_FindAndRemoveFifo(USINE_ID_IADR);
        F_FindAndRemoveFifo(USINE_ID_WAKE);
        F_AddNewMsgFifo(USINE_ID_PROG, 1, true, 0);
        break;
    case USINE_ID_PROG:
        append_program_frame(&frame);
        if (++m_frame_index >= USINE_FRAMES_PER_BLOCK) {
            m_frame_index = 0;
            ++m_block;
            F_FindAndRemoveFifo(USINE_ID_PROG);
            F_AddNewMsgFifo(USINE_ID_CHEC, 0, true, 10000);
        }
        break;
    case USINE_ID_CHEC:
        std::snprintf(buffer, sizeof buffer, "%s,CHEC,%06X", prefix(), m_start_address + 10);
        append(&frame, buffer);
        break;
    default: break;
    }
    return 0;
}

void C_Q_CnfUsineCtrlCmd::append_program_frame(std::string* out)
{
    std::string sentence = m_dsp_type == 5 ? "$CIPRG,PROG," : "$,";
    std::string digits;
    const uint64_t first =
        (static_cast<uint64_t>(m_block) * USINE_FRAMES_PER_BLOCK + m_frame_index) * USINE_WORDS_PER_FRAME;
    for (uint64_t i = first; i < first + USINE_WORDS_PER_FRAME; ++i) {
        // Past the end of the image the last block is filled with zero
        // words: nothing is read beyond the array.
        const uint32_t word = i < m_words.size() ? m_words[static_cast<std::size_t>(i)] : 0;
        unsigned high_bits = 0;
        for (int b = 0; b < 4; ++b) {
            const unsigned byte = (word >> (8 * b)) & 0xFFu;
            sentence.push_back(static_cast<char>(byte | 0x80u));
            high_bits |= ((byte >> 7) & 1u) << (3 - b);
        }
        digits.push_back("0123456789ABCDEF"[high_bits]);
        m_xor ^= word;
    }
    sentence += digits;
    C_Q_Tools::F_AddChecksum(&sentence);
    out->append(sentence);
}

int C_Q_CnfUsineCtrlCmd::F_GetInfoLoadProgState() const
{
    if (m_total_words == 0)
        return 0;
    const uint64_t sent = std::min<uint64_t>(
        m_total_words,
        (static_cast<uint64_t>(m_block) * USINE_FRAMES_PER_BLOCK + m_frame_index) * USINE_WORDS_PER_FRAME);
    const uint64_t remaining = m_total_words - sent;
    return static_cast<int>(100 - remaining * 100 / m_total_words);
}

int C_Q_CnfUsineCtrlCmd::F_StartLoadProg(CString path, CString version)
{
    std::FILE* file = std::fopen(helm::kernel::native_path(path.str()).c_str(), "rb");
    if (file == nullptr)
        return -1;
    std::vector<uint32_t> words;
    uint32_t address = 0;
    bool have_address = false;
    bool ok = true;
    char line[256];
    while (ok && std::fgets(line, sizeof line, file) != nullptr) {
        std::string_view text(line);
        if (text.size() == sizeof line - 1 && text.back() != '\n') {
            ok = false;  // a line too long for an image
            break;
        }
        std::size_t from = 0;
        int on_line = 0;
        const int per_line = have_address ? 4 : 1;
        while (true) {
            from = text.find_first_not_of(" \t\r\n", from);
            if (from == std::string_view::npos)
                break;
            const std::size_t end = std::min(text.find_first_of(" \t\r\n", from), text.size());
            uint32_t value = 0;
            if (!scan_hex32(text.substr(from, end - from), &value) || ++on_line > per_line) {
                ok = false;
                break;
            }
            if (!have_address) {
                address = value;
                have_address = true;
            } else if (words.size() < kMaxProgramWords) {
                words.push_back(value);
            } else {
                ok = false;
                break;
            }
            from = end;
        }
    }
    std::fclose(file);
    if (!ok || !have_address || words.empty())
        return -1;
    m_words = std::move(words);
    m_start_address = address & 0xFFFFFFu;
    m_total_words = static_cast<uint32_t>(m_words.size());
    m_frame_index = m_block = m_xor = 0;
    m_upload_state = 2;
    m_load_mode = 1;
    copy_text(version.str(), m_cnf_ihm.VersionB, USINE_TEXT_SIZE);
    F_AddNewMsgFifo(USINE_ID_IADR, 1, true, 0);
    return 0;
}

int C_Q_CnfUsineCtrlCmd::F_DecodeUsineCnf(const char* sentence)
{
    if (sentence == nullptr)
        return -1;
    return F_DecodeUsineCnf(std::string_view(sentence, strnlen(sentence, 4096)));
}

int C_Q_CnfUsineCtrlCmd::F_DecodeUsineCnf(std::string_view sentence)
{
    if (sentence.substr(0, 7) != "$KVST_," && sentence.substr(0, 7) != "$CIPRG,")
        return -1;
    for (auto decoder : {&C_Q_CnfUsineCtrlCmd::F_DecodeLoadProg, &C_Q_CnfUsineCtrlCmd::F_DecodeUsineParamCI,
                         &C_Q_CnfUsineCtrlCmd::F_DecodeUsineInfoSys, &C_Q_CnfUsineCtrlCmd::F_DecodeUsineParam,
                         &C_Q_CnfUsineCtrlCmd::F_DecodeUsineParamMode}) {
        const int id = (this->*decoder)(sentence);
        if (id > 0)
            F_FindAndRemoveFifo(id);
    }
    return -1;
}

int C_Q_CnfUsineCtrlCmd::F_DecodeLoadProg(std::string_view sentence)
{
    SentenceFields f;
    if (!f.split(sentence) || f.size() < 2)
        return -1;
    if (f[1] == "PROG") {
        // The sensor took a data sentence: only the progress moved.
        post(F_GetLoadProgStateMessage(), 1);
        return 0;
    }
    // Only the answer to a block check under way moves the upload on.
    if (f[1] != "CHOK" || !F_IsInFifo(USINE_ID_CHEC))
        return -1;
    // The block check passed: the next block, or the closing step.
    if (static_cast<uint64_t>(m_block) * USINE_FRAMES_PER_BLOCK * USINE_WORDS_PER_FRAME < m_total_words)
        F_AddNewMsgFifo(USINE_ID_PROG, 1, true, 0);
    else
        F_AddNewMsgFifo(USINE_ID_CHOK, 0, true, 0);
    post(F_GetLoadProgStateMessage(), 1);
    return USINE_ID_CHEC;
}

int C_Q_CnfUsineCtrlCmd::F_DecodeUsineParamCI(std::string_view sentence)
{
    SentenceFields f;
    if (!f.split(sentence) || f.size() < 2 || f[1] != "NET_")
        return -1;
    uint8_t ip[4] = {};
    int32_t port1 = 0, port2 = 0;
    if (f.size() != 6 || !scan_address(f[2], ip) || !scan_int(f[4], &port1) || !scan_int(f[5], &port2) ||
        port1 < 0 || port1 > 0xFFFF || port2 < 0 || port2 > 0xFFFF)
        return -1;
    std::memcpy(m_cnf_sys.Net.Ip, ip, 4);
    copy_text(f[3], m_cnf_sys.Net.Mac, USINE_MAC_SIZE);
    m_cnf_sys.Net.Port1 = static_cast<uint16_t>(port1);
    m_cnf_sys.Net.Port2 = static_cast<uint16_t>(port2);
    m_cnf_sys.Net.Valid = 1;
    m_cnf_ihm.Net = m_cnf_sys.Net;
    post(F_GetUsineCnfMsg(), USINE_ID_NET);
    return USINE_ID_NET;
}

int C_Q_CnfUsineCtrlCmd::F_DecodeUsineParamMode(std::string_view sentence)
{
    SentenceFields f;
    if (!f.split(sentence) || f.size() < 2 || f[1] != "MODE")
        return -1;
    int32_t dhcp = 0, second = 0;
    if (f.size() != 4 || !scan_int(f[2], &dhcp) || !scan_int(f[3], &second))
        return -1;
    m_cnf_sys.Mode.Dhcp = dhcp != 0 ? 1 : 0;
    m_cnf_sys.Mode.Second = static_cast<uint32_t>(second) & 0xFFFFu;
    m_cnf_sys.Mode.Valid = 1;
    m_cnf_ihm.Mode = m_cnf_sys.Mode;
    post(F_GetUsineCnfMsg(), USINE_ID_MODE);
    return USINE_ID_MODE;
}

int C_Q_CnfUsineCtrlCmd::F_DecodeUsineInfoSys(std::string_view sentence)
{
    SentenceFields f;
    if (!f.split(sentence) || f.size() < 2 || f[1] != "WA33")
        return -1;
    // DSP type 5: text D, text C, serial number, system number, version B,
    // version A. Others: version B, version A, serial number, system number.
    const bool dsp5 = m_dsp_type == 5;
    int32_t number = 0;
    if (f.size() < (dsp5 ? 8u : 6u) || !scan_int(f[5], &number) || number < 0 || number > 0xFFFF)
        return -1;
    sUSINE_SETTINGS& s = m_cnf_sys;
    if (dsp5) {
        copy_text(f[2], s.TextD, USINE_TEXT_SIZE);
        copy_text(f[3], s.TextC, USINE_TEXT_SIZE);
        std::memcpy(m_cnf_ihm.TextD, s.TextD, USINE_TEXT_SIZE);
        std::memcpy(m_cnf_ihm.TextC, s.TextC, USINE_TEXT_SIZE);
        s.TextDValid = s.TextCValid = 1;
        copy_text(f[6], s.VersionB, USINE_TEXT_SIZE);
        copy_text(f[7], s.VersionA, USINE_TEXT_SIZE);
    } else {
        copy_text(f[2], s.VersionB, USINE_TEXT_SIZE);
        copy_text(f[3], s.VersionA, USINE_TEXT_SIZE);
    }
    copy_text(f[4], s.SerialNumber, USINE_SERIAL_SIZE);
    s.SystemNumber = static_cast<uint16_t>(number);
    std::memcpy(m_cnf_ihm.VersionB, s.VersionB, USINE_TEXT_SIZE);
    std::memcpy(m_cnf_ihm.VersionA, s.VersionA, USINE_TEXT_SIZE);
    s.VersionAValid = s.VersionBValid = s.SerialValid = s.NumberValid = 1;
    post(F_GetSysStateMessage(), 0);
    if (F_FindAndRemoveFifo(USINE_ID_VERS) == USINE_ID_VERS)
        post(F_GetLoadProgStateMessage(), 2);
    if (m_first_info) {
        m_first_info = 0;
        F_FindAndRemoveFifo(USINE_ID_SERI);
        std::memcpy(m_cnf_ihm.SerialNumber, s.SerialNumber, USINE_SERIAL_SIZE);
        m_cnf_ihm.SystemNumber = s.SystemNumber;
        post(F_GetUsineCnfMsg(), USINE_ID_SERI);
    }
    return 0;
}

int C_Q_CnfUsineCtrlCmd::F_DecodeUsineParam(std::string_view sentence)
{
    SentenceFields f;
    if (!f.split(sentence) || f.size() < 2 || f[1].size() != 4)
        return -1;
    const Param* p = param_for_key(f[1]);
    if (p == nullptr || p->kind == Kind::Net || p->kind == Kind::Mode || f.size() != 5)
        return -1;
    double v[3] = {};
    const bool signs = p->kind == Kind::Triple || p->kind == Kind::Matrix;
    for (int i = 0; i < 3; ++i) {
        if (!signed_value(f[2 + i], signs && (p->kind != Kind::Matrix || i == 2), &v[i]))
            return -1;
    }
    sUSINE_SETTINGS& s = m_cnf_sys;
    auto as_float = [](double d) { return static_cast<float>(d); };
    auto as_int = [](double d) { return fits_int32(d) ? static_cast<int32_t>(d) : 0; };
    const bool floats = p->kind == Kind::Csor || p->kind == Kind::Pair || p->kind == Kind::Tfct || p->kind == Kind::Tmod;
    if (floats && !(std::fabs(v[0]) <= 3.4e38 && std::fabs(v[1]) <= 3.4e38 && std::fabs(v[2]) <= 3.4e38))
        return -1;
    if ((p->kind == Kind::Algo || p->kind == Kind::Freq || p->kind == Kind::Hard) &&
        !(fits_int32(v[0]) && fits_int32(v[1]) && fits_int32(v[2])))
        return -1;
    switch (p->kind) {
    case Kind::Triple: {
        sUSINE_TRIPLE& t = *triple_of(&s, p->index);
        t = {v[0], v[1], v[2], 1};
        *triple_of(&m_cnf_ihm, p->index) = t;
        break;
    }
    case Kind::Matrix: {
        const double row = std::trunc(v[0]), column = std::trunc(v[1]);
        // The answer names its element: outside the 3 x 3 matrix it is refused.
        if (row < 0 || row > 2 || column < 0 || column > 2)
            return -1;
        sUSINE_MATRIX& m = s.Matrix[p->index];
        const int r = static_cast<int>(row), c = static_cast<int>(column);
        m.M[r][c] = v[2];
        m.Column = c + 1;
        m.Row = r;
        if (m.Column == 3) {
            m.Column = 0;
            m.Row = r + 1;
        }
        if (m.Row < 3)
            return 0;
        m.Row = m.Column = 0;
        m.Complete = 1;
        m_cnf_ihm.Matrix[p->index] = m;
        break;
    }
    case Kind::Csor: s.Csor = {as_float(v[0]), as_float(v[1]), 1}; m_cnf_ihm.Csor = s.Csor; break;
    case Kind::Pair:
        *pair_of(&s, p->index) = {as_float(v[0]), as_float(v[1]), 1};
        *pair_of(&m_cnf_ihm, p->index) = *pair_of(&s, p->index);
        break;
    case Kind::Tfct:
        s.Tfct = {{as_float(v[0]), as_float(v[1]), as_float(v[2])}, 1};
        m_cnf_ihm.Tfct = s.Tfct;
        break;
    case Kind::Tmod:
        s.Tmod = {{as_float(v[0]), as_float(v[2]), as_float(v[1])}, 1};
        m_cnf_ihm.Tmod = s.Tmod;
        break;
    case Kind::Algo: s.Algo = {{as_int(v[1]), as_int(v[0])}, 1}; m_cnf_ihm.Algo = s.Algo; break;
    case Kind::Freq: s.Freq = {{as_int(v[0]), as_int(v[1])}, 1}; m_cnf_ihm.Freq = s.Freq; break;
    case Kind::Hard: s.Hard = {{as_int(v[0]), as_int(v[2]), as_int(v[1])}, 1}; m_cnf_ihm.Hard = s.Hard; break;
    case Kind::Net:
    case Kind::Mode: return -1;
    }
    post(F_GetUsineCnfMsg(), p->id);
    return p->id;
}
