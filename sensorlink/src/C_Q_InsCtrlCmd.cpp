#include "helm/sensorlink/C_Q_InsCtrlCmd.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "helm/sensorlink/C_Q_Tools.h"
#include "helm/sensorlink/window_post.h"
#include "helm/station/atoms.h"
#include "ins_tables.h"

using namespace helm::sensorlink;

namespace {

constexpr const char* kStatusNames[INS_STATUS_LISTS] = {"STATUS", "ALGSTS", "HT_STS"};
// Info texts in the order of their received flags, and their ids.
constexpr const char* kInfoNames[INS_NB_INFO] = {"SERNUM", "VERFRM", "VERLDR"};
constexpr int kInfoIds[INS_NB_INFO] = {INS_ID_TXT_SERNUM, INS_ID_TXT_VERFRM, INS_ID_TXT_VERLDR};
constexpr std::string_view kEndOfList = "________________";

struct SystemCode {
    const char* code;
    uint16_t type;
    const char* name;  // the module's string table entries 300 to 316
    uint16_t serial, pulse, analog;
};

// Compared in this order; anything else is an unknown system.
constexpr SystemCode kSystems[] = {
    {"SELVO", INS_SYSTEM_SELVO, "Selvo", 3, 2, 0},
    {"QUIL3", INS_SYSTEM_QUILLO3IO, "Quillo3IO", 3, 2, 4},
    {"PELNO", INS_SYSTEM_PELNO, "Pelno", 7, 2, 4},
    {"GRAVO", INS_SYSTEM_GRAVO, "Gravo", 7, 2, 4},
    {"QUIL7", INS_SYSTEM_QUILLO7IO, "Quillo7IO", 7, 2, 4},
    {"TARNO", INS_SYSTEM_TARNO, "Tarno", 3, 2, 0},
    {"SUBQU", INS_SYSTEM_SUBSEA_QUILLO, "Subsea Quillo", 6, 2, 0},
};
constexpr SystemCode kUnknownSystem = {"", INS_SYSTEM_UNKNOWN, "Unknown", 7, 2, 4};

bool is_selvo(uint16_t type)
{
    return type == 1 || type == 2;
}

std::string with_checksum(std::string sentence)
{
    C_Q_Tools::F_AddChecksum(&sentence);
    return sentence;
}

// A text answer "<keyword>,<code>,<number>,<text>": '_' reads as a blank.
struct TextAnswer {
    int32_t code = 0;
    bool end_of_list = false;
    char text[INS_TEXT_SIZE] = {};
};

bool read_text_answer(const SentenceFields& f, TextAnswer* answer)
{
    int32_t number = 0;
    if (f.size() != 6 || !scan_int(f[3], &answer->code) || !scan_int(f[4], &number))
        return false;
    answer->end_of_list = f[5] == kEndOfList;
    copy_text(f[5], answer->text, sizeof answer->text);
    std::replace(answer->text, answer->text + sizeof answer->text, '_', ' ');
    return true;
}

int ports_of(const sINS_SETTINGS& s)
{
    return std::min<int>(s.NbRsPort, INS_MAX_RS_PORT);
}

int pulses_of(const sINS_SETTINGS& s)
{
    return std::min<int>(s.NbPulsePort, INS_MAX_PULSE_PORT);
}

int analogs_of(const sINS_SETTINGS& s)
{
    return std::min<int>(s.NbAnalogicOutput, INS_MAX_ANALOG_OUTPUT);
}

}  // namespace

C_Q_InsCtrlCmd::C_Q_InsCtrlCmd()
{
    P_InitAllInsTextAndCnf();
}

C_Q_InsCtrlCmd::~C_Q_InsCtrlCmd() = default;

UINT C_Q_InsCtrlCmd::F_GetInsStartLoadMsg()
{
    return RegisterWindowMessage("VARNEK_INS_START_LOAD");
}

UINT C_Q_InsCtrlCmd::F_GetInsTextMsg()
{
    return RegisterWindowMessage("VARNEK_INS_TXT");
}

UINT C_Q_InsCtrlCmd::F_GetInsCnfMsg()
{
    return RegisterWindowMessage("VARNEK_INS_CNF");
}

void C_Q_InsCtrlCmd::post(UINT message, LPARAM lParam)
{
    post_to_main_window(message, 0, lParam);
}

void C_Q_InsCtrlCmd::P_InitAllInsTextAndCnf()
{
    P_RemoveAllFifo();
    std::memset(&m_text, 0, sizeof m_text);
    std::memset(&m_cnf_sys, 0, sizeof m_cnf_sys);
    std::memset(&m_cnf_ihm, 0, sizeof m_cnf_ihm);
    m_cnf_sys.SystemType = INS_SYSTEM_UNKNOWN;
    m_cnf_sys.NbRsPort = 7;
    m_cnf_sys.NbPulsePort = 2;
    m_cnf_sys.NbAnalogicOutput = 4;
    for (uint16_t& type : m_cnf_sys.RsPortType)
        type = INS_PORT_IN_OUT;
    for (int id = INS_ID_TXT_RSCM; id <= INS_ID_TXT_GPSKFM; ++id) {
        if (const ins::TextAsk* row = ins::text_ask_for_id(id))
            m_text.Group[row->group].NbField = row->nb_fields;
    }
}

void C_Q_InsCtrlCmd::P_SetLanguageTextLoaded(const char* language)
{
    if (language != nullptr && language[0] != '\0')
        m_language = language[0];
}

void C_Q_InsCtrlCmd::F_InsWakeUp(CString* frame)
{
    if (frame != nullptr)
        *frame = CString(with_checksum("$PVRNK,CONFIG,WAKEUP"));
}

void C_Q_InsCtrlCmd::F_StartInsLoadCnf()
{
    const uint16_t type = m_cnf_sys.SystemType;
    for (int id : {INS_ID_TXT_RSCM, INS_ID_TXT_RSIN, INS_ID_TXT_RSOUT})
        ask(id);
    if (m_cnf_sys.NbPulsePort > 0) {
        ask(INS_ID_TXT_IOIN);
        ask(INS_ID_TXT_IOOUT);
    }
    if (m_cnf_sys.NbAnalogicOutput > 0)
        ask(INS_ID_TXT_ANOUT);
    for (int id : {INS_ID_TXT_ALTMDE, INS_ID_TXT_UTCINT, INS_ID_TXT_GPSKFM})
        ask(id);
    if (!is_selvo(type)) {
        ask(INS_ID_TXT_START);
        ask(INS_ID_TXT_ZUP);
    }
    ask(INS_ID_USBNBB);
    ask(INS_ID_LV);
    for (int id = INS_ID_MANPOS; id <= INS_ID_SECLV + 2; ++id)
        ask(id);
    if (!is_selvo(type) && type != INS_SYSTEM_GRAVO) {
        for (int id = INS_ID_LV + 1; id <= INS_ID_LOGTAM; ++id)
            ask(id);
    }
}

void C_Q_InsCtrlCmd::F_UpdateInsAllCnf(bool toSystem, bool manualPosition)
{
    if (!toSystem) {
        m_cnf_ihm = m_cnf_sys;
        return;
    }
    const uint16_t type = m_cnf_sys.SystemType;
    auto set = [this](int id) { F_AddNewMsgFifo(id, 1, false, 0); };
    auto set_range = [&](int first, int last) {
        for (int id = first; id <= last; ++id)
            set(id);
    };
    for (int i = 0; i < ports_of(m_cnf_sys); ++i) {
        switch (m_cnf_sys.RsPortType[i]) {
        case INS_PORT_OUTPUT: set(INS_ID_RSCM + i); set(INS_ID_RSOUT + i); break;
        case INS_PORT_INPUT: set(INS_ID_RSCM + i); set(INS_ID_RSIN + i); break;
        case INS_PORT_IN_OUT:
            set(INS_ID_RSCM + i);
            set(INS_ID_RSOUT + i);
            set(INS_ID_RSIN + i);
            break;
        default: break;
        }
    }
    for (int i = 0; i < pulses_of(m_cnf_sys); ++i)
        set(INS_ID_IOOUT + i);
    for (int i = 0; i < pulses_of(m_cnf_sys); ++i)
        set(INS_ID_IOIN + i);
    for (int i = 0; i < analogs_of(m_cnf_sys); ++i)
        set(INS_ID_ANOUT + i);
    set(INS_ID_KFM);
    if (!is_selvo(type))
        set_range(INS_ID_KFM + 1, INS_ID_KFM + 6);
    set_range(INS_ID_INT, INS_ID_INT + 1);
    if (!is_selvo(type) && type != INS_SYSTEM_GRAVO)
        set_range(INS_ID_INT + 2, INS_ID_INT + 7);
    set(INS_ID_LV);
    if (!is_selvo(type))
        set_range(INS_ID_LV + 1, INS_ID_LV + 5);
    if (!is_selvo(type))
        set_range(INS_ID_START, INS_ID_ALTMDE);
    const int beacons = std::min<int>(m_cnf_sys.NbUsblBeacon, INS_MAX_BEACON);
    if (beacons > 0) {
        for (int b = 0; b < beacons; ++b) {
            set(INS_ID_USBKFM + b);
            set(INS_ID_USBINT + b);
            set(INS_ID_USBLV + b);
        }
        set(INS_ID_USBVIE);
    }
    set(manualPosition ? INS_ID_MANPOS : INS_ID_UTMWGS);
    set_range(INS_ID_BIAS, INS_ID_SECLV + 2);
    if (!is_selvo(type))
        set_range(INS_ID_LOGCAL, INS_ID_LOGTAM);
}

void C_Q_InsCtrlCmd::P_MakeInsFrame(uint16_t id, uint16_t type, CString* frame)
{
    if (frame == nullptr)
        return;
    std::string built;
    make_frame(id, type, &built);
    *frame += CString(built);
}

void C_Q_InsCtrlCmd::make_frame(uint16_t id, uint16_t type, std::string* frame)
{
    char buffer[128];
    auto build = [&](const char* sentence) { frame->append(with_checksum(sentence)); };
    auto build_once = [&](const char* sentence) {
        build(sentence);
        F_FindAndRemoveFifo(id);
    };

    if (id >= INS_ID_TXT_STATUS && id < INS_ID_TXT_STATUS + INS_STATUS_LISTS) {
        const int list = id - INS_ID_TXT_STATUS;
        std::snprintf(buffer, sizeof buffer, "$PVRNK,TEXT__,%s,0,%d,%c", kStatusNames[list],
                      static_cast<int>(m_text.Status[list].Count), m_language);
        return build(buffer);
    }
    if (id >= INS_ID_TXT_VERLDR && id <= INS_ID_TXT_SERNUM) {
        std::snprintf(buffer, sizeof buffer, "$PVRNK,TEXT__,%s", kInfoNames[INS_ID_TXT_SERNUM - id]);
        return build(buffer);
    }
    if (const ins::TextAsk* row = ins::text_ask_for_id(id)) {
        const sINS_TEXT_GROUP& group = m_text.Group[row->group];
        const int field = std::min<int>(group.CurrentField, row->nb_fields - 1);
        std::snprintf(buffer, sizeof buffer, "$PVRNK,TEXT__,%s,%d,%d,%c", row->keyword, row->fields[field],
                      static_cast<int>(group.List[field].Count), m_language);
        return build(buffer);
    }
    if (const ins::Param* row = ins::param_for_id(id)) {
        const int index = id - row->first_id;
        const std::string keyword = ins::item_keyword(*row, index);
        if (type != 0) {
            ins::item_of(&m_cnf_sys, *row, index)[row->valid] = 0;
            const unsigned char* edited = ins::item_of(&m_cnf_ihm, *row, index);
            std::string set = "$PVRNK,CONFIG," + keyword;
            for (std::size_t i = 0; i < row->nb_fields; ++i) {
                set.push_back(',');
                ins::append_field(&set, row->fields[i], edited);
            }
            if (row->index == ins::Index::Beacon)
                set += "," + std::to_string(index);
            frame->append(with_checksum(set));
        }
        std::string question = "$PVRNK,CONFIG," + keyword + ",,";
        if (row->index == ins::Index::Beacon)
            question += std::to_string(index);
        frame->append(with_checksum(question));
        return;
    }
    switch (id) {
    case INS_ID_EQP: return build("$PVRNK,TEXT__,EQP___,,");
    // Sent once: no answer matches it, and sending it again would reset
    // the system again at every period.
    case INS_ID_RESET: return build_once("$PVRNK,CONFIG,RESET_,,");
    case INS_ID_SAVE:
        // The save waits until every other command has been answered.
        if (F_GetTailleFifo() == 1)
            build("$PVRNK,CONFIG,SAVE__,,");
        return;
    case INS_ID_RAZNAV: return build_once("$PVRNK,CONFIG,RAZNAV,,");
    case INS_ID_GONAV: return build_once("$PVRNK,CONFIG,GONAV_,,");
    case INS_ID_CVSTAT:
        return build_once(m_cnf_sys.StaticAlignment ? "$PVRNK,CONFIG,CVSTAT,0" : "$PVRNK,CONFIG,CVSTAT,1");
    case INS_ID_DDRECK:
        if (!m_cnf_sys.DvlDeadReckoning)
            return build_once("$PVRNK,CONFIG,DDRECK,1");
        return build_once(type != 0 ? "$PVRNK,CONFIG,DDRECK,2" : "$PVRNK,CONFIG,DDRECK,0");
    case INS_ID_USBNBB: return build("$PVRNK,CONFIG,USBNBB,,");
    case INS_ID_NBRIO: return build("$PVRNK,CONFIG,NBRIO_,,");
    case INS_ID_IORS: {
        bool any = false;
        for (int i = 0; i < ports_of(m_cnf_sys); ++i) {
            if (m_cnf_sys.RsPortTypeValid[i])
                continue;
            std::snprintf(buffer, sizeof buffer, "$PVRNK,CONFIG,IORS_%c,,", 'A' + i);
            build(buffer);
            any = true;
        }
        if (!any)
            F_FindAndRemoveFifo(id);
        return;
    }
    default:
        // 1588 and ids outside the set build nothing.
        F_FindAndRemoveFifo(id);
        return;
    }
}

int C_Q_InsCtrlCmd::F_DecodeInsCnf(const char* sentence)
{
    if (sentence == nullptr)
        return -1;
    return F_DecodeInsCnf(std::string_view(sentence, strnlen(sentence, 4096)));
}

int C_Q_InsCtrlCmd::F_DecodeInsCnf(std::string_view sentence)
{
    const bool text = sentence.substr(0, 14) == "$PVRNK,TEXT__,";
    if (!text && sentence.substr(0, 14) != "$PVRNK,CONFIG,")
        return -1;
    SentenceFields fields;
    if (fields.split(sentence) && fields.size() >= 3)
        F_FindAndRemoveFifo(text ? F_DecodeInsTxtFrame(fields) : F_DecodeInsCnfFrame(fields));
    return 0;
}

int C_Q_InsCtrlCmd::F_DecodeInsTxtFrame(const Fields& f)
{
    const std::string_view keyword = f[2];
    for (int list = 0; list < INS_STATUS_LISTS; ++list) {
        if (keyword == kStatusNames[list])
            return F_DecodeInsTxtStatus(list, f);
    }
    if (keyword == "EQP___")
        return F_DecodeInsSystemType(f);
    if (const ins::TextAsk* row = ins::text_ask_for_keyword(keyword))
        return F_DecodeInsEnumText(row->id, f);
    for (int info = 0; info < INS_NB_INFO; ++info) {
        if (keyword == kInfoNames[info])
            return F_DecodeInsInfoSys(info, f);
    }
    return -1;
}

int C_Q_InsCtrlCmd::F_DecodeInsSystemType(const Fields& f)
{
    // "EQP___,<n>,<n>,<code>": the numbers are not used; anything malformed
    // is an unknown system.
    const SystemCode* system = &kUnknownSystem;
    int32_t first = 0, second = 0;
    if (f.size() == 6 && scan_int(f[3], &first) && scan_int(f[4], &second)) {
        const std::string_view code = f[5].substr(0, 5);
        for (const SystemCode& candidate : kSystems) {
            if (code == candidate.code) {
                system = &candidate;
                break;
            }
        }
    }
    m_cnf_sys.SystemType = system->type;
    copy_text(system->name, m_cnf_sys.SystemName, sizeof m_cnf_sys.SystemName);
    m_cnf_sys.NbRsPort = system->serial;
    m_cnf_sys.NbPulsePort = system->pulse;
    m_cnf_sys.NbAnalogicOutput = system->analog;
    for (uint16_t& type : m_cnf_sys.RsPortType)
        type = INS_PORT_IN_OUT;
    if (system->type != INS_SYSTEM_UNKNOWN) {
        // A new answer starts the later stages again.
        std::memset(m_cnf_sys.InfoValid, 0, sizeof m_cnf_sys.InfoValid);
        for (int id : {INS_ID_TXT_VERLDR, INS_ID_TXT_VERFRM, INS_ID_TXT_SERNUM})
            ask(id);
    }
    return INS_ID_EQP;
}

int C_Q_InsCtrlCmd::F_DecodeInsInfoSys(int info, const Fields& f)
{
    TextAnswer answer;
    if (!read_text_answer(f, &answer))
        return -1;
    char* targets[INS_NB_INFO] = {m_cnf_sys.SerialNumber, m_cnf_sys.Firmware, m_cnf_sys.Loader};
    copy_text(answer.text, targets[info], INS_TEXT_SIZE);
    const bool was_complete = std::all_of(m_cnf_sys.InfoValid, m_cnf_sys.InfoValid + INS_NB_INFO, [](uint8_t v) { return v; });
    m_cnf_sys.InfoValid[info] = 1;
    const bool complete = std::all_of(m_cnf_sys.InfoValid, m_cnf_sys.InfoValid + INS_NB_INFO, [](uint8_t v) { return v; });
    if (complete && !was_complete) {
        post(F_GetInsTextMsg(), kInfoIds[info]);
        post(F_GetInsStartLoadMsg(), 0);
        // The status lists are walked again from their first text.
        std::memset(m_text.StatusPtr, 0, sizeof m_text.StatusPtr);
        m_text.NbStatusPtr = 0;
        std::memset(m_text.Status, 0, sizeof m_text.Status);
        std::memset(m_text.StatusComplete, 0, sizeof m_text.StatusComplete);
        for (int list = 0; list < INS_STATUS_LISTS; ++list)
            ask(INS_ID_TXT_STATUS + list);
    }
    return kInfoIds[info];
}

int C_Q_InsCtrlCmd::F_DecodeInsTxtStatus(int list, const Fields& f)
{
    TextAnswer answer;
    if (!read_text_answer(f, &answer))
        return -1;
    const int id = INS_ID_TXT_STATUS + list;
    sINS_STATUS_LIST& status = m_text.Status[list];
    if (m_text.StatusComplete[list])
        return id;
    auto complete = [&] {
        m_text.StatusComplete[list] = 1;
        if (std::all_of(m_text.StatusComplete, m_text.StatusComplete + INS_STATUS_LISTS, [](uint8_t c) { return c; })) {
            P_TriListBitStatusIns();
            post(F_GetInsTextMsg(), INS_ID_TXT_STATUS);
            F_StartInsLoadCnf();
        }
        return id;
    };
    if (answer.end_of_list)
        return complete();
    const int count = std::clamp<int32_t>(status.Count, 0, INS_LIST_MAX_TEXTS - 1);
    if (count > 0) {
        // The answer to an ask that went out twice. Only the last text is
        // compared: a list may name two bits alike ("Spare").
        const sSTATUS& previous = status.Entry[count - 1];
        if (previous.code == static_cast<uint32_t>(answer.code) && std::strcmp(previous.text, answer.text) == 0)
            return 0;
    }
    sSTATUS& entry = status.Entry[count];
    std::memset(&entry, 0, sizeof entry);
    copy_text(answer.text, entry.text, sizeof entry.text);
    entry.code = static_cast<uint32_t>(answer.code);
    entry.mask = 1u << (count % 32);
    C_Q_Tools::P_DecodageN1(&entry);
    if (m_text.NbStatusPtr < INS_STATUS_POINTERS)
        m_text.StatusPtr[m_text.NbStatusPtr++] = &entry;
    status.Count = count + 1;
    // A list holds 64 texts: a system that never ends its list is stopped there.
    if (status.Count >= INS_LIST_MAX_TEXTS)
        return complete();
    return 0;
}

int C_Q_InsCtrlCmd::F_DecodeInsEnumText(int id, const Fields& f)
{
    const ins::TextAsk* row = ins::text_ask_for_id(id);
    TextAnswer answer;
    if (row == nullptr || !read_text_answer(f, &answer))
        return -1;
    sINS_TEXT_GROUP& group = m_text.Group[row->group];
    if (group.Complete)
        return id;
    const int nb_field = std::clamp<int>(row->nb_fields, 1, INS_TEXT_GROUP_MAX_FIELDS);
    sINS_TEXT_LIST& list = group.List[std::min<int>(group.CurrentField, nb_field - 1)];
    auto list_done = [&] {
        list.Valid = 1;
        if (group.CurrentField + 1 < nb_field) {
            ++group.CurrentField;
            return 0;
        }
        group.Complete = 1;
        P_TextGroupComplete(row->group);
        post(F_GetInsTextMsg(), id);
        return id;
    };
    if (answer.end_of_list)
        return list_done();
    if (answer.code < 0 || answer.code > 0xFFFF)
        return -1;
    const int at = std::clamp<int32_t>(list.Count, 0, INS_LIST_MAX_TEXTS - 1);
    if (at > 0 && list.Code[at - 1] == answer.code && std::strcmp(list.Text[at - 1], answer.text) == 0)
        return 0;  // the answer to an ask that went out twice
    copy_text(answer.text, list.Text[at], INS_TEXT_SIZE);
    list.Code[at] = static_cast<uint16_t>(answer.code);
    list.Count = at + 1;
    if (list.Count >= INS_LIST_MAX_TEXTS)
        return list_done();
    return 0;
}

void C_Q_InsCtrlCmd::P_TextGroupComplete(int group)
{
    const uint16_t type = m_cnf_sys.SystemType;
    auto ask_ports = [&](int first_id, uint16_t direction) {
        for (int i = 0; i < ports_of(m_cnf_sys); ++i) {
            if (direction == 0 || (m_cnf_sys.RsPortType[i] & direction))
                ask(first_id + i);
        }
    };
    switch (group) {
    case INS_TXT_RSCM: ask_ports(INS_ID_RSCM, 0); break;
    case INS_TXT_RSIN: ask_ports(INS_ID_RSIN, INS_PORT_INPUT); break;
    case INS_TXT_RSOUT: ask_ports(INS_ID_RSOUT, INS_PORT_OUTPUT); break;
    case INS_TXT_ANOUT:
        for (int i = 0; i < analogs_of(m_cnf_sys); ++i)
            ask(INS_ID_ANOUT + i);
        break;
    case INS_TXT_IOIN:
        for (int i = 0; i < pulses_of(m_cnf_sys); ++i)
            ask(INS_ID_IOIN + i);
        break;
    case INS_TXT_IOOUT:
        for (int i = 0; i < pulses_of(m_cnf_sys); ++i)
            ask(INS_ID_IOOUT + i);
        break;
    case INS_TXT_ZUP: ask(INS_ID_ZUP); break;
    case INS_TXT_START: ask(INS_ID_START); break;
    case INS_TXT_ALTMDE: ask(INS_ID_ALTMDE); break;
    case INS_TXT_UTCINT:
        ask(INS_ID_INT);
        ask(INS_ID_INT + 1);
        if (!is_selvo(type) && type != INS_SYSTEM_GRAVO) {
            for (int id = INS_ID_INT + 2; id <= INS_ID_INT + 7; ++id)
                ask(id);
        }
        break;
    case INS_TXT_GPSKFM:
        ask(INS_ID_KFM);
        if (!is_selvo(type)) {
            for (int id = INS_ID_KFM + 1; id <= INS_ID_KFM + 6; ++id)
                ask(id);
        }
        break;
    default: break;
    }
}

void C_Q_InsCtrlCmd::P_TriListBitStatusIns()
{
    std::stable_sort(m_text.StatusPtr, m_text.StatusPtr + m_text.NbStatusPtr,
                     [](const sSTATUS* a, const sSTATUS* b) { return a->code < b->code; });
}

int C_Q_InsCtrlCmd::F_DecodeInsCnfFrame(const Fields& f)
{
    const std::string_view keyword = f[2];
    if (keyword == "NBRIO_" || (keyword.size() == 6 && keyword.substr(0, 5) == "IORS_"))
        return F_DecodeInsPorts(f);
    if (keyword == "DDRECK" || keyword == "USBNBB") {
        int32_t value = 0;
        if (f.size() != 4 || !scan_int(f[3], &value))
            return -1;
        if (keyword == "DDRECK") {
            m_cnf_sys.DvlDeadReckoning = value != 0 ? 1 : 0;
            m_cnf_sys.DvlDeadReckoningValid = 1;
            post(F_GetInsCnfMsg(), INS_ID_DDRECK);
            return INS_ID_DDRECK;
        }
        // The count indexes the beacon records: at most three.
        m_cnf_sys.NbUsblBeacon = static_cast<uint16_t>(std::clamp<int32_t>(value, 0, INS_MAX_BEACON));
        m_cnf_sys.NbUsblBeaconValid = 1;
        for (int b = 0; b < m_cnf_sys.NbUsblBeacon; ++b) {
            ask(INS_ID_USBKFM + b);
            ask(INS_ID_USBLV + b);
            ask(INS_ID_USBINT + b);
        }
        if (m_cnf_sys.NbUsblBeacon > 0)
            ask(INS_ID_USBVIE);
        post(F_GetInsCnfMsg(), INS_ID_USBNBB);
        return INS_ID_USBNBB;
    }
    if (keyword == "SAVE__") {
        m_cnf_sys.SaveDone = 1;
        post(F_GetInsCnfMsg(), INS_ID_SAVE);
        return INS_ID_SAVE;
    }
    return F_DecodeInsParam(f);
}

int C_Q_InsCtrlCmd::F_DecodeInsPorts(const Fields& f)
{
    if (f[2] == "NBRIO_") {
        int32_t serial = 0, pulse = 0, analog = 0;
        if (f.size() != 6 || !scan_int(f[3], &serial) || !scan_int(f[4], &pulse) || !scan_int(f[5], &analog))
            return -1;
        // The counts index the port records: clamped to them.
        m_cnf_sys.NbRsPort = static_cast<uint16_t>(std::clamp<int32_t>(serial, 0, INS_MAX_RS_PORT));
        m_cnf_sys.NbPulsePort = static_cast<uint16_t>(std::clamp<int32_t>(pulse, 0, INS_MAX_PULSE_PORT));
        m_cnf_sys.NbAnalogicOutput = static_cast<uint16_t>(std::clamp<int32_t>(analog, 0, INS_MAX_ANALOG_OUTPUT));
        std::memset(m_cnf_sys.RsPortTypeValid, 0, sizeof m_cnf_sys.RsPortTypeValid);
        ask(INS_ID_IORS);
        post(F_GetInsCnfMsg(), INS_ID_NBRIO);
        return INS_ID_NBRIO;
    }
    const int index = f[2][5] - 'A';
    int32_t type = 0;
    if (index < 0 || index >= ports_of(m_cnf_sys))
        return -1;
    if (f.size() != 4 || !scan_int(f[3], &type) || type < INS_PORT_OUTPUT || type > INS_PORT_IN_OUT)
        return 0;
    m_cnf_sys.RsPortType[index] = static_cast<uint16_t>(type);
    m_cnf_sys.RsPortTypeValid[index] = 1;
    for (int i = 0; i < ports_of(m_cnf_sys); ++i) {
        if (!m_cnf_sys.RsPortTypeValid[i])
            return 0;
    }
    post(F_GetInsCnfMsg(), INS_ID_IORS);
    return INS_ID_IORS;
}

int C_Q_InsCtrlCmd::F_DecodeInsParam(const Fields& f)
{
    int index = 0;
    const ins::Param* row = ins::param_for_keyword(f[2], &index);
    if (row == nullptr)
        return -1;
    const bool beacon = row->index == ins::Index::Beacon;
    if (f.size() != 3 + row->nb_fields + (beacon ? 1 : 0))
        return -1;
    if (beacon) {
        int32_t b = -1;
        if (!scan_int(f[f.size() - 1], &b) || b < 0 || b >= row->count)
            return -1;
        index = b;
    }
    // Read into a copy, so a malformed field leaves the record as it was.
    sINS_SETTINGS scratch = m_cnf_sys;
    unsigned char* item = ins::item_of(&scratch, *row, index);
    for (std::size_t i = 0; i < row->nb_fields; ++i) {
        if (!ins::read_field(f[3 + i], row->fields[i], item))
            return -1;
    }
    item[row->valid] = 1;
    m_cnf_sys = scratch;
    const int id = row->first_id + index;
    post(F_GetInsCnfMsg(), id);
    return id;
}
