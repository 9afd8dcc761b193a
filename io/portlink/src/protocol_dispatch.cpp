#include "helm/portlink/protocol_dispatch.h"

#include <cstring>
#include <string_view>

#include "helm/portlink/protocol_table.h"

namespace helm::portlink {
namespace {

constexpr size_t kMaxAddress = 16;

template <class T>
void store(BYTE* at, T value)
{
    std::memcpy(at, &value, sizeof value);
}

bool contains(std::string_view text, std::string_view word) { return !word.empty() && text.find(word) != text.npos; }

std::string_view bounded(const char* text)
{
    return text ? std::string_view(text, strnlen(text, PARSE_MAX_NAME)) : std::string_view();
}

std::string_view frame_text(const FrameContext& frame) { return {frame.frame, frame.length}; }

bool ring_usable(const RingTarget& ring)
{
    return ring.base && ring.offsets && ring.count && ring.bytes && ring.size > 0;
}

// Size and place of the records of one layout, reserved together so that
// they never split across the ring's end.
struct Reservation {
    int code = PARSE_OK;
    uint32_t sizes[PARSE_MAX_RECORDS] = {};
    uint32_t total = 0;
};

Reservation reserve(const RecordLayout& layout)
{
    Reservation r;
    if (layout.count == 0 || layout.count > PARSE_MAX_RECORDS) {
        r.code = PARSE_BAD_ARGUMENT;
        return r;
    }
    for (int i = 0; i < layout.count; ++i) {
        r.sizes[i] = parsed_record_size(layout.kinds[i]);
        if (r.sizes[i] == 0) {
            r.code = PARSE_BAD_ARGUMENT;
            return r;
        }
        r.total += r.sizes[i];
    }
    return r;
}

void write_head(BYTE* record, BYTE kind, uint32_t length)
{
    store<WORD>(record + offsetof(sPARSED_RECORD, magic), PARSED_RECORD_MAGIC);
    record[offsetof(sPARSED_RECORD, kind)] = kind;
    store<DWORD>(record + offsetof(sPARSED_RECORD, length), length);
}

int write_raw_text(const FrameContext& frame, const RingTarget& ring)
{
    if (frame.length > UINT16_MAX)
        return PARSE_TOO_LARGE;
    const uint32_t size = raw_text_record_size(frame.length);
    const int64_t at = parsed_ring_place(ring.offsets[0], size, ring.size);
    if (at < 0)
        return PARSE_TOO_LARGE;
    BYTE* record = ring.base + at;
    store<DWORD>(record + offsetof(sRAW_TEXT_RECORD, time_stamp_ms), frame.time_stamp);
    store<WORD>(record + offsetof(sRAW_TEXT_RECORD, text_length), static_cast<WORD>(frame.length));
    if (frame.length > 0)
        std::memcpy(record + RAW_TEXT_HEAD_SIZE, frame.frame, frame.length);
    write_head(record, REC_RAW_TEXT, size);
    ring.offsets[0] = static_cast<DWORD>(at);
    *ring.count = 1;
    *ring.bytes = static_cast<int>(size);
    return PARSE_OK;
}

int write_decoded(RecordDecoder decoder, const RecordLayout& layout, const FrameContext& frame,
                  const RingTarget& ring)
{
    const Reservation r = reserve(layout);
    if (r.code != PARSE_OK)
        return r.code;
    const int64_t at = parsed_ring_place(ring.offsets[0], r.total, ring.size);
    if (at < 0)
        return PARSE_TOO_LARGE;
    BYTE* records[PARSE_MAX_RECORDS] = {};
    uint32_t offset = static_cast<uint32_t>(at);
    for (int i = 0; i < layout.count; ++i) {
        records[i] = ring.base + offset;
        std::memset(records[i], 0, r.sizes[i]);
        store<DWORD>(records[i] + offsetof(sPARSED_RECORD, time_stamp_ms), frame.time_stamp);
        offset += r.sizes[i];
    }
    const int code = decoder(frame, records);
    if (code != PARSE_OK)
        return code;
    offset = static_cast<uint32_t>(at);
    for (int i = 0; i < layout.count; ++i) {
        write_head(records[i], layout.kinds[i], r.sizes[i]);
        ring.offsets[i] = offset;
        offset += r.sizes[i];
    }
    *ring.count = layout.count;
    *ring.bytes = static_cast<int>(r.total);
    return PARSE_OK;
}

BYTE* slot_of(sPARSED_DATA& data, int kind)
{
    switch (kind) {
    case REC_ATTITUDE: return data.attitude;
    case REC_POSITION: return data.position;
    case REC_GPS_QUALITY: return data.gps_quality;
    case REC_DEPTH: return data.depth;
    case REC_HEADING_SPEED: return data.heading_speed;
    case REC_TRACKPOINT: return data.trackpoint;
    case REC_MS1000: return data.ms1000;
    case REC_ATS: return data.ats;
    case REC_TIME: return data.time;
    case REC_NAV_BLOCK: return data.nav_block;
    case REC_FOG: return data.fog;
    case REC_LAYBACK: return data.layback;
    default: return nullptr;
    }
}

// The slots keep what earlier frames wrote; only the masks start afresh.
int decode_into_slots(RecordDecoder decoder, const RecordLayout& layout, const FrameContext& frame,
                      sPARSED_DATA& data)
{
    const Reservation r = reserve(layout);
    if (r.code != PARSE_OK)
        return r.code;
    BYTE* records[PARSE_MAX_RECORDS] = {};
    for (int i = 0; i < layout.count; ++i) {
        records[i] = slot_of(data, layout.kinds[i]);
        if (!records[i])
            return PARSE_BAD_ARGUMENT;
        store<DWORD>(records[i] + offsetof(sPARSED_RECORD, change_mask), 0);
        store<DWORD>(records[i] + offsetof(sPARSED_RECORD, valid_mask), 0);
        store<DWORD>(records[i] + offsetof(sPARSED_RECORD, time_stamp_ms), frame.time_stamp);
    }
    const int code = decoder(frame, records);
    if (code != PARSE_OK)
        return code;
    for (int i = 0; i < layout.count; ++i)
        write_head(records[i], layout.kinds[i], r.sizes[i]);
    return PARSE_OK;
}

bool nmea_framed(const FrameContext& frame)
{
    return frame.length > 0 && (frame.frame[0] == '$' || frame.frame[frame.length - 1] == '\n');
}

// The decoder row for a sentence, or null when it is to stay raw text.
const SentenceRule* sentence_decoder(const ParseTables& tables, const FrameContext& frame)
{
    const std::string_view text = frame_text(frame);
    const std::string_view id = sentence_id(text);
    if (id.empty())
        return nullptr;
    for (const SentenceOptionWord& word : tables.option_words) {
        const std::string_view where = word.place == WordPlace::options ? frame.options : frame.protocol;
        if (id == word.id && contains(where, word.word))
            return nullptr;
    }
    for (const SentenceRule& rule : tables.sentences) {
        if (rule.id != id)
            continue;
        if (!rule.first_field.empty() && sentence_first_field(text) != rule.first_field)
            continue;
        if (!rule.name_word.empty() && !contains(frame.protocol, rule.name_word))
            continue;
        return rule.decoder ? &rule : nullptr;
    }
    return nullptr;
}

// A port's parse thread asks for the same name and options with every
// frame, and trying every rule costs more than the rest of the raw text path;
// each thread keeps its last answer for the built-in table, which never
// changes.
struct RuleMemo {
    bool filled = false;
    size_t protocol_length = 0;
    size_t options_length = 0;
    char protocol[PARSE_MAX_NAME];
    char options[PARSE_MAX_NAME];
    const ProtocolRule* rule = nullptr;
};

const ProtocolRule* find_rule(std::span<const ProtocolRule> rules, std::string_view protocol,
                              std::string_view options)
{
    if (rules.data() != protocol_rules().data() || rules.size() != protocol_rules().size())
        return match_protocol_rule(rules, protocol, options);
    thread_local RuleMemo memo;
    if (memo.filled && memo.protocol_length == protocol.size() && memo.options_length == options.size() &&
        protocol.compare(0, protocol.size(), memo.protocol, memo.protocol_length) == 0 &&
        options.compare(0, options.size(), memo.options, memo.options_length) == 0)
        return memo.rule;
    memo.rule = match_protocol_rule(rules, protocol, options);
    memo.protocol_length = protocol.copy(memo.protocol, sizeof memo.protocol);
    memo.options_length = options.copy(memo.options, sizeof memo.options);
    memo.filled = memo.protocol_length == protocol.size() && memo.options_length == options.size();
    return memo.rule;
}

FrameContext make_context(const char* frame, DWORD length, const char* protocol, const char* options,
                          DWORD timeStamp, void* portContext, void* extra)
{
    FrameContext context;
    context.frame = frame;
    context.length = length;
    context.protocol = bounded(protocol);
    context.options = bounded(options);
    context.time_stamp = timeStamp;
    context.port_context = portContext;
    context.extra = extra;
    context.may_set_clock = !contains(context.options, "NOCLOCK");
    return context;
}

}  // namespace

const ProtocolRule* match_protocol_rule(std::span<const ProtocolRule> rules, std::string_view protocol,
                                        std::string_view options)
{
    for (const ProtocolRule& rule : rules) {
        const std::string_view where = rule.place == WordPlace::options ? options : protocol;
        if (contains(where, rule.words[0]) || contains(where, rule.words[1]))
            return &rule;
    }
    return nullptr;
}

std::string_view sentence_id(std::string_view frame)
{
    if (frame.empty() || frame[0] != '$')
        return {};
    const std::string_view address = frame.substr(1, frame.find_first_of(",*\r\n", 1) - 1);
    if (address.size() > kMaxAddress)
        return {};
    if (address.size() == 5 && address[0] != 'P')
        return address.substr(2);
    return address;
}

std::string_view sentence_first_field(std::string_view frame)
{
    const size_t comma = frame.find(',');
    if (comma == frame.npos)
        return {};
    const std::string_view rest = frame.substr(comma + 1);
    return rest.substr(0, rest.find_first_of(",*\r\n"));
}

int parse_in_memory(const ParseTables& tables, const FrameContext& frame, const RingTarget& ring)
{
    if (!ring_usable(ring))
        return PARSE_BAD_ARGUMENT;
    *ring.count = 0;
    *ring.bytes = 0;
    if (!frame.frame && frame.length > 0)
        return PARSE_BAD_ARGUMENT;
    const ProtocolRule* rule = find_rule(tables.protocols, frame.protocol, frame.options);
    if (rule && rule->action == RuleAction::nmea_switch)
        return parse_nmea_in_memory(tables, frame, ring);
    if (rule && rule->action == RuleAction::decoder && rule->decoder)
        return write_decoded(rule->decoder, rule->records, frame, ring);
    return write_raw_text(frame, ring);
}

int parse_nmea_in_memory(const ParseTables& tables, const FrameContext& frame, const RingTarget& ring)
{
    if (!ring_usable(ring))
        return PARSE_BAD_ARGUMENT;
    *ring.count = 0;
    *ring.bytes = 0;
    if (!frame.frame && frame.length > 0)
        return PARSE_BAD_ARGUMENT;
    if (!nmea_framed(frame))
        return PARSE_MALFORMED;
    if (const SentenceRule* rule = sentence_decoder(tables, frame))
        return write_decoded(rule->decoder, rule->records, frame, ring);
    return write_raw_text(frame, ring);
}

int parse_into_buffer(const ParseTables& tables, const FrameContext& frame, sPARSED_DATA* data)
{
    if (!data || (!frame.frame && frame.length > 0))
        return PARSE_BAD_ARGUMENT;
    const ProtocolRule* rule = find_rule(tables.protocols, frame.protocol, frame.options);
    if (!rule || rule->action == RuleAction::raw_text)
        return PARSE_MALFORMED;
    if (rule->action == RuleAction::decoder)
        return rule->decoder ? decode_into_slots(rule->decoder, rule->records, frame, *data) : PARSE_MALFORMED;
    if (!nmea_framed(frame))
        return PARSE_MALFORMED;
    const SentenceRule* sentence = sentence_decoder(tables, frame);
    return sentence ? decode_into_slots(sentence->decoder, sentence->records, frame, *data) : PARSE_MALFORMED;
}

}  // namespace helm::portlink

using namespace helm::portlink;

void P_UpdateFrame(sPORT_PROTOCOL* protocol)
{
    if (!protocol)
        return;
    FramingRule framing{{}, 0, 1, '$', 0, 1, '\n', 0};
    const std::string_view name(protocol->name, strnlen(protocol->name, sizeof protocol->name));
    for (const FramingRule& rule : framing_rules()) {
        if (contains(name, rule.word)) {
            framing = rule;
            break;
        }
    }
    protocol->fixed_frame_length = framing.fixed_frame_length;
    protocol->start_mode = framing.start_mode;
    protocol->start_character = framing.start_character;
    protocol->second_start_byte = framing.second_start_byte;
    protocol->end_flag = framing.end_flag;
    protocol->end_character = framing.end_character;
    protocol->binary = framing.binary;
}

int F_ParseStringInMemory(const char* frame, DWORD length, const char* protocol, const char* options,
                          DWORD timeStamp, BYTE* ringBase, DWORD* offsets, int* count, int ringSize, int* bytes,
                          void* portContext, void* extra)
{
    return parse_in_memory(builtin_parse_tables(),
                           make_context(frame, length, protocol, options, timeStamp, portContext, extra),
                           {ringBase, ringSize, offsets, count, bytes});
}

int F_ParseNMEAInMemory(const char* frame, DWORD length, const char* protocol, const char* options,
                        DWORD timeStamp, BYTE* ringBase, DWORD* offsets, int* count, int ringSize, int* bytes,
                        void* portContext, void* extra)
{
    return parse_nmea_in_memory(builtin_parse_tables(),
                                make_context(frame, length, protocol, options, timeStamp, portContext, extra),
                                {ringBase, ringSize, offsets, count, bytes});
}

int F_ParseString(const char* frame, DWORD length, const char* protocol, const char* options, sPARSED_DATA* data,
                  DWORD timeStamp, void* extra)
{
    return parse_into_buffer(builtin_parse_tables(),
                             make_context(frame, length, protocol, options, timeStamp, nullptr, extra), data);
}
