#include "helm/sensorlink/C_Q_TvrCtrlCmd.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "helm/sensorlink/C_Q_Tools.h"
#include "helm/sensorlink/sentence_fields.h"
#include "helm/sensorlink/window_post.h"
#include "helm/station/atoms.h"
#include "tvr_tables.h"

using namespace helm::sensorlink;

namespace {

constexpr const char* kStatusNames[TVR_STATUS_LISTS] = {"STAALG", "STASYS", "STASOR", "STA_HL"};
constexpr std::string_view kEndOfList = "________________";

// The module's string table entries 307 and 308.
constexpr const char* kModelNameTalvor3 = "Talvor3";
constexpr const char* kModelNameTalvor4 = "Talvor4";

bool is_known_model(uint16_t type)
{
    return type == TVR_MODEL_TALVOR3 || type == TVR_MODEL_TALVOR4;
}

// A text answer: "$KVTXT,<name>,E,<code>,<announced>,<text>".
struct TextAnswer {
    int32_t code = 0;
    int32_t announced = 0;
    std::string_view raw;
    bool end_of_list = false;
    char text[TVR_TEXT_SIZE] = {};
};

bool read_text_answer(const SentenceFields& fields, TextAnswer* answer)
{
    if (fields.size() != 6 || fields[2] != "E" || !scan_int(fields[3], &answer->code) ||
        !scan_int(fields[4], &answer->announced))
        return false;
    answer->raw = fields[5];
    answer->end_of_list = answer->raw == kEndOfList;
    copy_text(answer->raw, answer->text, sizeof answer->text);
    std::replace(answer->text, answer->text + sizeof answer->text, '_', ' ');
    return true;
}

std::string with_checksum(std::string sentence)
{
    C_Q_Tools::F_AddChecksum(&sentence);
    return sentence;
}

char* system_info_field(sTVR_SETTINGS* settings, int group)
{
    switch (group) {
    case TVR_TXT_SERNUM: return settings->SerialNumber;
    case TVR_TXT_LOADER: return settings->DspLoader;
    case TVR_TXT_VERSIO: return settings->DspFirmware;
    case TVR_TXT_LOADCI: return settings->MpcLoader;
    case TVR_TXT_VERSCI: return settings->MpcFirmware;
    default: return nullptr;
    }
}

}  // namespace

C_Q_TvrCtrlCmd::C_Q_TvrCtrlCmd()
{
    P_InitAllTvrTextAndCnf();
}

C_Q_TvrCtrlCmd::~C_Q_TvrCtrlCmd() = default;

UINT C_Q_TvrCtrlCmd::F_GetTvrStartLoadMsg()
{
    return RegisterWindowMessage("VARNEK_TALVOR_START_LOAD");
}

UINT C_Q_TvrCtrlCmd::F_GetTvrTextMsg()
{
    return RegisterWindowMessage("VARNEK_TALVOR_TXT");
}

UINT C_Q_TvrCtrlCmd::F_GetTvrCnfMsg()
{
    return RegisterWindowMessage("VARNEK_TALVOR_CNF");
}

void C_Q_TvrCtrlCmd::post(UINT message, LPARAM lParam)
{
    post_to_main_window(message, 0, lParam);
}

void C_Q_TvrCtrlCmd::P_InitAllTvrTextAndCnf()
{
    P_RemoveAllFifo();
    std::memset(&m_text, 0, sizeof m_text);
    std::memset(&m_cnf_ihm, 0, sizeof m_cnf_ihm);
    std::memset(&m_cnf_sys, 0, sizeof m_cnf_sys);
    m_cnf_sys.SystemType = TVR_MODEL_UNKNOWN;
    m_cnf_sys.NbAnalogicOutput = 0;
    m_cnf_sys.NbPulsePort = 2;
    m_cnf_sys.NbRsPort = 5;
    m_cnf_sys.NbRsOutPort = 3;
    m_cnf_sys.NbRsInPort = 2;
    P_InitTextGroups();
}

void C_Q_TvrCtrlCmd::P_InitTextGroups()
{
    for (int id = TVR_ID_SERNUM; id <= TVR_ID_TXT_PULSOB; ++id) {
        const tvr::TextGroup* row = tvr::text_group_for_id(id);
        if (row == nullptr)
            continue;
        uint8_t count = 0;
        tvr::text_group_fields(*row, m_cnf_sys.SystemType, &count);
        m_text.Group[row->group].NbField = count;
    }
}

void C_Q_TvrCtrlCmd::F_SetTvrSystemType(uint16_t type)
{
    if (type == TVR_MODEL_TALVOR3) {
        m_cnf_sys.SystemType = TVR_MODEL_TALVOR3;
        m_cnf_sys.NbRsPort = 3;
        m_cnf_sys.NbPulsePort = 2;
        m_cnf_sys.NbAnalogicOutput = 4;
        copy_text(kModelNameTalvor3, m_cnf_sys.SystemName, sizeof m_cnf_sys.SystemName);
    } else if (type == TVR_MODEL_TALVOR4) {
        m_cnf_sys.SystemType = TVR_MODEL_TALVOR4;
        m_cnf_sys.NbRsPort = 5;
        m_cnf_sys.NbRsOutPort = 3;
        m_cnf_sys.NbRsInPort = 2;
        m_cnf_sys.NbPulseOutput = 4;
        m_cnf_sys.NbPulseInput = 2;
        m_cnf_sys.NbAnalogicOutput = 0;
        copy_text(kModelNameTalvor4, m_cnf_sys.SystemName, sizeof m_cnf_sys.SystemName);
    }
    P_InitTextGroups();
    F_StartTvrLoadCnf();
}

void C_Q_TvrCtrlCmd::F_StartTvrLoadCnf()
{
    post(F_GetTvrStartLoadMsg(), 0);
    auto ask_range = [this](int first, int last) {
        for (int id = first; id <= last; ++id)
            F_AddNewMsgFifo(id, 0, false, 0);
    };
    if (m_cnf_sys.SystemType == TVR_MODEL_TALVOR3) {
        ask_range(TVR_ID_FIRST_LOAD, TVR_ID_TXT_PULSOB);
        ask_range(TVR_ID_MANUAL, TVR_ID_ANOUT + 3);
    } else if (m_cnf_sys.SystemType == TVR_MODEL_TALVOR4) {
        ask_range(TVR_ID_STAALG, TVR_ID_TXT_UTCINT);
        ask_range(TVR_ID_BIAS, TVR_ID_SPARE2);
        ask_range(TVR_ID_ETHIP, TVR_ID_MANUAL);
    }
}

void C_Q_TvrCtrlCmd::F_UpdateTvrAllCnf(bool send)
{
    if (!send) {
        m_cnf_ihm = m_cnf_sys;
        return;
    }
    auto set_range = [this](int first, int last) {
        for (int id = first; id <= last; ++id)
            F_AddNewMsgFifo(id, 1, false, 0);
    };
    if (m_cnf_sys.SystemType != TVR_MODEL_TALVOR3) {
        set_range(1551, 1551);
        set_range(1552, 1555);
        set_range(1559, 1562);
        set_range(1563, 1563);
        set_range(1566, 1571);
        set_range(1577, 1581);
        set_range(1587, 1591);
        set_range(1594, 1602);
        return;
    }
    // The Talvor3's ports are inputs and outputs alike, and it has analog
    // outputs: every one of its settings goes.
    const int ports = std::min<int>(m_cnf_sys.NbRsPort, TVR_MAX_RS_PORT);
    for (int first : {TVR_ID_RSCM, TVR_ID_RSIN, TVR_ID_RSOUT})
        set_range(first, first + ports - 1);
    set_range(TVR_ID_BIAS, TVR_ID_ORIENT);
    for (int first : {TVR_ID_EDIRI, TVR_ID_EDIRO, TVR_ID_ELCFI, TVR_ID_ELCFO})
        set_range(first, first + ports - 1);
    set_range(TVR_ID_UTCINT, TVR_ID_UTCINT);
    set_range(TVR_ID_PULSE + 2, TVR_ID_PULSE + 5);
    set_range(TVR_ID_ETHIP, TVR_ID_MANUAL);
    set_range(TVR_ID_ANOUT, TVR_ID_ANOUT + std::min<int>(m_cnf_sys.NbAnalogicOutput, TVR_MAX_ANALOG_OUTPUT) - 1);
}

void C_Q_TvrCtrlCmd::F_TvrWakeUp(CString* frame)
{
    if (frame != nullptr)
        *frame = CString(with_checksum("$KVST_,WAKE"));
}

void C_Q_TvrCtrlCmd::P_MakeTvrFrame(uint16_t id, uint16_t type, CString* frame)
{
    if (frame == nullptr)
        return;
    std::string built;
    make_frame(id, type, &built);
    *frame += CString(built);
}

void C_Q_TvrCtrlCmd::make_frame(uint16_t id, uint16_t type, std::string* frame)
{
    const uint16_t model = m_cnf_sys.SystemType;
    char buffer[96];

    if (id == TVR_ID_SAVE) {
        // Goes last, alone; the sensor gives no answer the decoders match.
        if (F_GetTailleFifo() == 1) {
            frame->append(with_checksum("$KVSAV,,"));
            F_FindAndRemoveFifo(id);
        }
        return;
    }
    if (id == TVR_ID_RESET) {
        // Sent once: no answer matches it, and sending it again would
        // restart the sensor again.
        frame->append(with_checksum("$KVST_,RESET,,"));
        F_FindAndRemoveFifo(id);
        return;
    }
    if (id == TVR_ID_MODEL) {
        frame->append(with_checksum("$KVTXT,EQP___,,"));
        return;
    }
    if (id >= TVR_ID_STAALG && id <= TVR_ID_STA_HL) {
        const int list = id - TVR_ID_STAALG;
        std::snprintf(buffer, sizeof buffer, "$KVTXT,%s,%c,0,%d", kStatusNames[list], 'E',
                      static_cast<int>(m_text.Status[list].Cursor));
        frame->append(with_checksum(buffer));
        return;
    }
    if (const tvr::TextGroup* row = tvr::text_group_for_id(id)) {
        if (!(row->models & tvr::model_mask(model))) {
            // The analog-output texts wait for a Talvor3; the others do not
            // exist on this model.
            if (id != TVR_ID_TXT_ANOUT)
                F_FindAndRemoveFifo(id);
            return;
        }
        const sTVR_TEXT_GROUP& group = m_text.Group[row->group];
        uint8_t count = 0;
        const uint8_t* positions = tvr::text_group_fields(*row, model, &count);
        const int field = std::min<int>(group.CurrentField, count - 1);
        std::snprintf(buffer, sizeof buffer, "$KVTXT,%s,%c,%d,%d", row->name, 'E', positions[field],
                      static_cast<int>(group.List[field].Cursor));
        frame->append(with_checksum(buffer));
        return;
    }
    const tvr::SettingsGroup* row = tvr::settings_group_for_id(id, model);
    if (row == nullptr) {
        F_FindAndRemoveFifo(id);
        return;
    }
    const int index = id - row->first_id;
    if ((row->bound == tvr::Bound::RsPort && index >= m_cnf_sys.NbRsPort) ||
        (row->bound == tvr::Bound::AnalogOutput && index >= m_cnf_sys.NbAnalogicOutput)) {
        F_FindAndRemoveFifo(id);
        return;
    }
    const std::string head = tvr::item_head(*row, index);
    if (type == 1 && is_known_model(model)) {
        tvr::item_of(&m_cnf_sys, *row, index)[row->valid] = 0;
        const unsigned char* edited = tvr::item_of(&m_cnf_ihm, *row, index);
        if (row->user_protocol && m_cnf_ihm.RsPort[index].OutProtocol == 2) {
            std::string udp = "$KVCNF,RSUDP";
            udp.push_back(static_cast<char>('A' + index));
            udp.push_back(',');
            udp.append(tvr::sentence_safe(
                std::string_view(m_cnf_ihm.RsPort[index].UserProtocol,
                                 strnlen(m_cnf_ihm.RsPort[index].UserProtocol, TVR_USER_PROTOCOL_TEXT_SIZE)),
                true));
            frame->append(with_checksum(udp));
        }
        std::string set = head;
        for (std::size_t i = 0; i < row->layout.count; ++i) {
            set.push_back(',');
            tvr::append_field(&set, row->layout.fields[i], edited);
        }
        frame->append(with_checksum(set));
    }
    frame->append(with_checksum(head + ",,"));
}

int C_Q_TvrCtrlCmd::F_DecodeTvrCnf(const char* sentence)
{
    if (sentence == nullptr)
        return -1;
    return F_DecodeTvrCnf(std::string_view(sentence, strnlen(sentence, 4096)));
}

int C_Q_TvrCtrlCmd::F_DecodeTvrCnf(std::string_view sentence)
{
    if (sentence.substr(0, 6) == "$KVTXT") {
        F_FindAndRemoveFifo(F_DecodeTvrTxtFrame(sentence));
        return 0;
    }
    if (sentence.substr(0, 6) == "$KVCNF") {
        F_FindAndRemoveFifo(F_DecodeTvrCnfFrame(sentence));
        return 0;
    }
    F_FindAndRemoveFifo(F_DecodeTvrSettings(sentence));
    return -1;
}

int C_Q_TvrCtrlCmd::F_DecodeTvrCnfFrame(std::string_view sentence)
{
    SentenceFields fields;
    if (!fields.split(sentence) || fields.size() < 2)
        return -1;
    const std::string_view ident = fields[1];
    if (ident.size() == 6 && ident.substr(0, 5) == "RSUDP") {
        const int index = ident[5] - 'A';
        if (index < 0 || index >= TVR_MAX_RS_PORT)
            return -1;
        copy_text(fields.rest(2), m_cnf_sys.RsPort[index].UserProtocol, TVR_USER_PROTOCOL_TEXT_SIZE);
        return 0;
    }
    return F_DecodeTvrSettings(sentence);
}

int C_Q_TvrCtrlCmd::F_DecodeTvrSettings(std::string_view sentence)
{
    SentenceFields fields;
    if (!fields.split(sentence) || fields.size() < 1)
        return -1;
    int index = 0;
    const tvr::SettingsGroup* row = tvr::settings_group_for_sentence(fields, m_cnf_sys.SystemType, &index);
    if (row == nullptr)
        return -1;
    const std::size_t first = row->ident != nullptr ? 2 : 1;
    if (fields.size() != first + row->layout.count)
        return -1;
    // Read into a copy, so a malformed field leaves the record as it was.
    sTVR_SETTINGS scratch = m_cnf_sys;
    unsigned char* item = tvr::item_of(&scratch, *row, index);
    for (std::size_t i = 0; i < row->layout.count; ++i) {
        if (!tvr::read_field(fields[first + i], row->layout.fields[i], item))
            return -1;
    }
    item[row->valid] = 1;
    m_cnf_sys = scratch;
    const int id = row->first_id + index;
    post(F_GetTvrCnfMsg(), id);
    return id;
}

int C_Q_TvrCtrlCmd::F_DecodeTvrTxtFrame(std::string_view sentence)
{
    SentenceFields fields;
    if (!fields.split(sentence) || fields.size() < 2)
        return -1;
    const std::string_view name = fields[1];
    if (name == "EQP___")
        return F_DecodeTvrSystemType(sentence);
    for (int list = 0; list < TVR_STATUS_LISTS; ++list) {
        if (name == kStatusNames[list])
            return F_DecodeTvrStatusText(list, sentence);
    }
    if (const tvr::TextGroup* row = tvr::text_group_for_name(name))
        return F_DecodeTvrGroupText(row->id, sentence);
    return -1;
}

int C_Q_TvrCtrlCmd::F_DecodeTvrSystemType(std::string_view sentence)
{
    SentenceFields fields;
    int32_t first = 0, second = 0;
    if (fields.split(sentence) && fields.size() == 6 && fields[2] == "E" && scan_int(fields[3], &first) &&
        scan_int(fields[4], &second)) {
        const std::string_view code = fields[5].substr(0, 5);
        uint16_t type = TVR_MODEL_UNKNOWN;
        if (code == "TALV3")
            type = TVR_MODEL_TALVOR3;
        else if (code == "TALV4")
            type = TVR_MODEL_TALVOR4;
        // A repeated answer for the model already known must not start the
        // whole reading over.
        if (type != TVR_MODEL_UNKNOWN && type != m_cnf_sys.SystemType)
            F_SetTvrSystemType(type);
    }
    return TVR_ID_MODEL;
}

int C_Q_TvrCtrlCmd::F_DecodeTvrStatusText(int list, std::string_view sentence)
{
    SentenceFields fields;
    TextAnswer answer;
    if (!fields.split(sentence) || !read_text_answer(fields, &answer))
        return -1;
    const int id = TVR_ID_STAALG + list;
    sTVR_STATUS_LIST& status = m_text.Status[list];
    if (m_text.StatusComplete[list])
        return id;
    auto complete = [&] {
        m_text.StatusComplete[list] = 1;
        if (std::all_of(m_text.StatusComplete, m_text.StatusComplete + TVR_STATUS_LISTS, [](uint8_t c) { return c; })) {
            P_TriListBitStatusTvr();
            post(F_GetTvrTextMsg(), TVR_ID_STASYS);
        }
        return id;
    };
    if (answer.end_of_list)
        return complete();
    if (status.Cursor > 0) {
        const int last = status.Cursor - 1;
        const sSTATUS& previous = status.Word[last / TVR_STATUS_BITS].Bit[last % TVR_STATUS_BITS];
        if (previous.code == static_cast<uint32_t>(answer.code) && std::strcmp(previous.text, answer.text) == 0)
            return 0;  // the answer to an ask that went out twice
    }
    const int at = status.Cursor;
    sTVR_STATUS_WORD& word = status.Word[at / TVR_STATUS_BITS];
    const int bit = at % TVR_STATUS_BITS;
    sSTATUS& entry = word.Bit[bit];
    std::memset(&entry, 0, sizeof entry);
    copy_text(answer.text, entry.text, sizeof entry.text);
    entry.code = static_cast<uint32_t>(answer.code);
    entry.mask = 1u << bit;
    C_Q_Tools::P_DecodageN1(&entry);
    word.NbBit = static_cast<uint16_t>(bit + 1);
    if (m_text.NbStatusPtr < TVR_STATUS_POINTERS)
        m_text.StatusPtr[m_text.NbStatusPtr++] = &entry;
    status.Cursor = at + 1;
    if (status.Cursor >= TVR_STATUS_WORDS_PER_LIST * TVR_STATUS_BITS)
        return complete();
    return 0;
}

int C_Q_TvrCtrlCmd::F_DecodeTvrGroupText(int id, std::string_view sentence)
{
    const tvr::TextGroup* row = tvr::text_group_for_id(id);
    SentenceFields fields;
    TextAnswer answer;
    if (row == nullptr || !fields.split(sentence) || !read_text_answer(fields, &answer))
        return -1;
    sTVR_TEXT_GROUP& group = m_text.Group[row->group];
    if (group.Complete)
        return id;
    const int nb_field = std::clamp<int>(group.NbField, 1, TVR_TEXT_GROUP_MAX_FIELDS);
    sTVR_TEXT_LIST& list = group.List[std::min<int>(group.CurrentField, nb_field - 1)];
    auto list_done = [&] {
        list.Valid = 1;
        if (group.CurrentField + 1 < nb_field) {
            ++group.CurrentField;
            return 0;
        }
        group.Complete = 1;
        P_TextGroupComplete(row->group);
        post(F_GetTvrTextMsg(), id);
        return id;
    };
    if (answer.end_of_list)
        return list_done();
    if (answer.code < 0 || answer.code > 0xFFFF)
        return -1;
    if (list.Cursor > 0 && list.Code[list.Cursor - 1] == answer.code &&
        std::strcmp(list.Text[list.Cursor - 1], answer.text) == 0)
        return 0;  // the answer to an ask that went out twice
    const int at = list.Cursor;
    copy_text(answer.text, list.Text[at], TVR_TEXT_SIZE);
    list.Code[at] = static_cast<uint16_t>(answer.code);
    list.NbAnnounced = static_cast<uint16_t>(std::clamp<int32_t>(answer.announced, 0, 0xFFFF));
    list.NbText = static_cast<uint16_t>(at + 1);
    list.Cursor = at + 1;
    if (list.Cursor >= TVR_LIST_MAX_TEXTS)
        return list_done();
    return 0;
}

void C_Q_TvrCtrlCmd::P_TextGroupComplete(int group)
{
    if (char* head = system_info_field(&m_cnf_sys, group)) {
        const sTVR_TEXT_LIST& list = m_text.Group[group].List[0];
        copy_text(list.NbText > 0 ? list.Text[0] : "", head, TVR_TEXT_SIZE);
        return;
    }
    const bool talvor3 = m_cnf_sys.SystemType == TVR_MODEL_TALVOR3;
    const int ports = std::min<int>(m_cnf_sys.NbRsPort, TVR_MAX_RS_PORT);
    const int outputs = talvor3 ? ports : std::min<int>(m_cnf_sys.NbRsOutPort, ports);
    const int first_input = talvor3 ? 0 : outputs;
    auto ask = [this](int id) { F_AddNewMsgFifo(id, 0, false, 0); };
    auto ask_ports = [&](int first_id, int from, int to) {
        for (int i = from; i < to; ++i)
            ask(first_id + i);
    };
    switch (group) {
    case TVR_TXT_RSCM: ask_ports(TVR_ID_RSCM, 0, ports); break;
    case TVR_TXT_RSIN: ask_ports(TVR_ID_RSIN, first_input, ports); break;
    case TVR_TXT_RSOUT: ask_ports(TVR_ID_RSOUT, 0, outputs); break;
    case TVR_TXT_EDIRI: ask_ports(TVR_ID_EDIRI, first_input, ports); break;
    case TVR_TXT_EDIRO: ask_ports(TVR_ID_EDIRO, 0, outputs); break;
    case TVR_TXT_ELCFI: ask_ports(TVR_ID_ELCFI, first_input, ports); break;
    case TVR_TXT_ELCFO: ask_ports(TVR_ID_ELCFO, 0, outputs); break;
    case TVR_TXT_UTCINT: ask(TVR_ID_UTCINT); break;
    case TVR_TXT_IOIN:
        if (talvor3) {
            ask(TVR_ID_PULSE + 2);
            ask(TVR_ID_PULSE + 3);
        }
        break;
    case TVR_TXT_IOOUT:
        if (talvor3) {
            ask(TVR_ID_PULSE + 4);
            ask(TVR_ID_PULSE + 5);
        }
        break;
    case TVR_TXT_PPSIN: if (!talvor3) ask(TVR_ID_PULSE + 0); break;
    case TVR_TXT_SYNCIN: if (!talvor3) ask(TVR_ID_PULSE + 1); break;
    case TVR_TXT_PULSIA: if (!talvor3) ask(TVR_ID_PULSE + 2); break;
    case TVR_TXT_PULSIB:
        if (!talvor3) {
            // The Talvor4's reading stops at the UTC texts: its pulse-output
            // lists are asked from here.
            ask(TVR_ID_PULSE + 3);
            ask(TVR_ID_TXT_PULSOA);
            ask(TVR_ID_TXT_PULSOB);
        }
        break;
    case TVR_TXT_PULSOA: if (!talvor3) ask(TVR_ID_PULSE + 4); break;
    case TVR_TXT_PULSOB: if (!talvor3) ask(TVR_ID_PULSE + 5); break;
    default: break;
    }
}

void C_Q_TvrCtrlCmd::P_TriListBitStatusTvr()
{
    std::stable_sort(m_text.StatusPtr, m_text.StatusPtr + m_text.NbStatusPtr,
                     [](const sSTATUS* a, const sSTATUS* b) { return a->code < b->code; });
}
