// The tables behind the dispatch. A protocol or a sentence gets its decoder
// by filling in one row; the dispatch itself never names a protocol.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "helm/portlink/channel_memory.h"
#include "helm/portlink/protocol_dispatch.h"

namespace helm::portlink {

// What a decoder sees of one frame.
struct FrameContext {
    const char* frame = nullptr;
    uint32_t length = 0;
    std::string_view protocol;  // the port's protocol name
    std::string_view options;   // empty when the caller passed none
    uint32_t time_stamp = 0;
    void* port_context = nullptr;
    void* extra = nullptr;
    bool may_set_clock = true;  // false under "NOCLOCK"
};

// Fills the body and the masks of each record (records[i] points at the
// head of the i-th record of the row's kinds, zero-filled but for the time
// stamp) and returns PARSE_OK or a negative code. Magic, kind and length are
// written by the dispatch once the decoder has succeeded.
using RecordDecoder = int (*)(const FrameContext& frame, BYTE* const* records);

enum class WordPlace { protocol_name, options };
enum class RuleAction { raw_text, nmea_switch, decoder };

// The records one decoder writes, laid out one after another.
struct RecordLayout {
    uint8_t count = 0;
    uint8_t kinds[PARSE_MAX_RECORDS] = {};
};

// A dispatch rule: matches when the name (or the options) contains one of
// its words. A decoder rule whose decoder is still null takes the raw text
// path, so its frames are never lost.
struct ProtocolRule {
    std::string_view words[2];
    WordPlace place = WordPlace::protocol_name;
    RuleAction action = RuleAction::raw_text;
    RecordDecoder decoder = nullptr;
    RecordLayout records;
};

// A sentence the NMEA switch decodes. `id` is matched with sentence_id();
// `first_field`, when set, must equal the sentence's first data field, and
// `name_word`, when set, must be in the protocol name. The first row that
// matches decides.
struct SentenceRule {
    std::string_view id;
    std::string_view first_field;
    std::string_view name_word;
    RecordDecoder decoder = nullptr;
    RecordLayout records;
};

// An option word that makes the NMEA switch keep a sentence as raw text.
struct SentenceOptionWord {
    std::string_view word;
    WordPlace place;
    std::string_view id;
};

struct ParseTables {
    std::span<const ProtocolRule> protocols;
    std::span<const SentenceRule> sentences;
    std::span<const SentenceOptionWord> option_words;
};

// The tables the exported parse functions use.
std::span<const ProtocolRule> protocol_rules();
std::span<const SentenceRule> sentence_rules();
std::span<const SentenceOptionWord> sentence_option_words();
ParseTables builtin_parse_tables();

// The first rule that matches, or null ("anything else": raw text).
const ProtocolRule* match_protocol_rule(std::span<const ProtocolRule> rules, std::string_view protocol,
                                        std::string_view options);

// A sentence's identifier: the address after "$" (up to ",", "*", CR or
// LF); for a talker sentence (five characters, not beginning with "P") its
// last three ("GPGGA" gives "GGA"); a proprietary one keeps its whole
// address ("PKEL"). Empty without a leading "$".
std::string_view sentence_id(std::string_view frame);
// The first data field of a sentence (between the first and second ",").
std::string_view sentence_first_field(std::string_view frame);

// The dispatch and the NMEA switch over given tables (the exported
// functions call these with builtin_parse_tables()).
struct RingTarget {
    BYTE* base = nullptr;
    int32_t size = 0;
    DWORD* offsets = nullptr;
    int* count = nullptr;
    int* bytes = nullptr;
};
int parse_in_memory(const ParseTables& tables, const FrameContext& frame, const RingTarget& ring);
int parse_nmea_in_memory(const ParseTables& tables, const FrameContext& frame, const RingTarget& ring);
int parse_into_buffer(const ParseTables& tables, const FrameContext& frame, sPARSED_DATA* data);

// A framing row of P_UpdateFrame.
struct FramingRule {
    std::string_view word;
    int32_t fixed_frame_length;
    int32_t start_mode;
    BYTE start_character;
    BYTE second_start_byte;
    int32_t end_flag;
    BYTE end_character;
    int32_t binary;
};
std::span<const FramingRule> framing_rules();

}  // namespace helm::portlink
