// The dispatch of frames to records: the rule order, the framing, the raw
// text record, placement in the ring, and the NMEA switch with its option
// words, over the built-in tables and over tables with test decoders.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "helm/portlink/protocol_dispatch.h"
#include "helm/portlink/protocol_table.h"

using namespace helm::portlink;

namespace {

template <class T>
T load(const BYTE* at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

const char* rule_word(const ProtocolRule* rule) { return rule ? rule->words[0].data() : "(none)"; }

TEST(ProtocolRules, FirstRuleInTestOrderDecides)
{
    struct Row {
        const char* name;
        const char* options;
        const char* rule;  // the first word of the rule that decides, "(none)" for raw text
    } table[] = {
        {"NMEA0183", "", "NMEA0183"},
        {"TRITECH", "NOPARSING", "NOPARSING"},
        {"TRITECH", "NOGGA,NOPARSING,NOCLOCK", "NOPARSING"},
        {"NOPARSING", "", "(none)"},  // the word counts in the options only
        {"Ribo NMEA0183", "", "Ribo"},
        {"NR202K NR230", "", "NR202K"},
        {"NR230 NR202K", "", "NR202K"},
        {"ATS_NR230", "", "ATS"},
        {"SB_Deso SB_NMEA", "", "SB_Deso"},
        {"TSS(Simrad) TSS(Tss1)", "", "TSS(Tss1)"},
        {"KERRO Trackpoint", "", "KERRO"},
        {"Morvella NMEA0183", "", "Morvella"},
        {"LAYBACK TRITECH", "", "TRITECH"},
        {"Knudsen_Deso20", "", "Echotrac_Deso25"},
        {"Echotrac_DBS Echotrac_Deso25", "", "Echotrac_DBS"},
        {"Knudsen_Elac Knudsen_$PKEL", "", "Knudsen_Elac"},
        {"TALVOR Standard KVH", "", "TALVOR Standard"},
        {"Time(ZDA) MS1000", "", "Time(ZDA)"},
        {"Seatex TSS(Tss1)", "", "Seatex"},
        {"REF_STATION KERRO", "", "REF_STATION"},
        {"nmea0183", "", "(none)"},  // words are case-sensitive
        {"ENERTEST", "", "(none)"},
        {"RAP", "", "(none)"},
        {"", "", "(none)"},
    };
    for (const Row& row : table)
        EXPECT_STREQ(rule_word(match_protocol_rule(protocol_rules(), row.name, row.options)), row.rule)
            << row.name << " / " << row.options;
}

TEST(ProtocolRules, EveryRuleWordReachesItsOwnRow)
{
    std::vector<std::string> words;
    for (const ProtocolRule& rule : protocol_rules()) {
        for (std::string_view word : rule.words) {
            if (word.empty())
                continue;
            const bool in_options = rule.place == WordPlace::options;
            EXPECT_EQ(match_protocol_rule(protocol_rules(), in_options ? "" : word, in_options ? word : ""), &rule)
                << word;
            words.emplace_back(word);
        }
    }
    EXPECT_EQ(words.size(), 30u);  // 29 rules, one of them with two words
}

TEST(ProtocolRules, RowsThatWriteRecordsNameTheirKinds)
{
    struct Row {
        const char* name;
        std::vector<int> kinds;
    } table[] = {
        {"TRITECH", {REC_DEPTH}},         {"LAYBACK", {REC_LAYBACK}},
        {"Trackpoint", {REC_TRACKPOINT}}, {"Morvella", {REC_POSITION, REC_DEPTH}},
        {"NR202K", {REC_POSITION, REC_HEADING_SPEED}}, {"ATS", {REC_ATS}},
        {"SB_Deso", {REC_DEPTH}},         {"Marimatech_Deso25", {REC_DEPTH}},
        {"Echotrac_Deso25", {REC_DEPTH}}, {"Knudsen_Elac", {REC_DEPTH}},
        {"Seatex", {REC_ATTITUDE}},       {"TSS(Tss1)", {REC_ATTITUDE}},
        {"TSS(Simrad)", {REC_ATTITUDE}},  {"MS1000", {REC_MS1000}},
    };
    for (const Row& row : table) {
        const ProtocolRule* rule = match_protocol_rule(protocol_rules(), row.name, "");
        ASSERT_NE(rule, nullptr) << row.name;
        EXPECT_EQ(rule->action, RuleAction::decoder) << row.name;
        std::vector<int> kinds(rule->records.kinds, rule->records.kinds + rule->records.count);
        EXPECT_EQ(kinds, row.kinds) << row.name;
    }
}

TEST(UpdateFrame, EveryFramingRowAndTheDefaults)
{
    struct Row {
        const char* name;
        int fixed, start_mode;
        BYTE start, second;
        int end_flag;
        BYTE end;
        int binary;
    } table[] = {
        {"Seatex", 15, 0, 0, 0, 0, 0, 1},
        {"NMEA0183", 0, 1, '$', 0, 1, '\n', 0},
        {"KERRO", 0, 1, '$', 0, 1, '\n', 0},
        {"TALVOR Standard", 0, 1, '$', 0, 1, '\n', 0},
        {"TSS(Tss1)", 0, 1, ':', 0, 1, '\n', 0},
        {"TSS(Simrad)", 0, 2, 0x00, 0x90, 0, 0, 1},
        {"TRITECH", 0, 0, 0, 0, 1, '\n', 0},
        {"LAYBACK", 0, 0, 0, 0, 1, '\n', 0},
        {"ENERTEST", 0, 1, '!', 0, 1, '\n', 0},
        {"RAP", 0, 0, 0, 0, 1, '\n', 0},
        {"MS1000", 0, 1, '$', 0, 1, '\n', 0},
        {"", 0, 1, '$', 0, 1, '\n', 0},
        {"Seatex NMEA", 15, 0, 0, 0, 0, 0, 1},      // the first row in order wins
        {"TSS(Simrad) NMEA", 0, 1, '$', 0, 1, '\n', 0},
    };
    for (const Row& row : table) {
        sPORT_PROTOCOL protocol;
        std::memset(&protocol, 0x77, sizeof protocol);  // stale framing from an earlier name
        std::memset(protocol.name, 0, sizeof protocol.name);
        std::strcpy(protocol.name, row.name);
        P_UpdateFrame(&protocol);
        EXPECT_EQ(protocol.fixed_frame_length, row.fixed) << row.name;
        EXPECT_EQ(protocol.start_mode, row.start_mode) << row.name;
        EXPECT_EQ(protocol.start_character, row.start) << row.name;
        EXPECT_EQ(protocol.second_start_byte, row.second) << row.name;
        EXPECT_EQ(protocol.end_flag, row.end_flag) << row.name;
        EXPECT_EQ(protocol.end_character, row.end) << row.name;
        EXPECT_EQ(protocol.binary, row.binary) << row.name;
        EXPECT_EQ(static_cast<BYTE>(protocol.options[0]), 0x77) << "the options are not touched";
    }
}

TEST(UpdateFrame, NameWithoutTerminatorIsReadWithinItsField)
{
    sPORT_PROTOCOL protocol{};
    std::memset(protocol.name, 'A', sizeof protocol.name);
    std::memcpy(protocol.options, "Seatex", 6);  // right behind the name: must not be seen
    P_UpdateFrame(&protocol);
    EXPECT_EQ(protocol.fixed_frame_length, 0);
    EXPECT_EQ(protocol.start_character, '$');
    P_UpdateFrame(nullptr);
}

// A ring filled with a marker, so that bytes the dispatch must not write
// can be told from bytes it wrote.
class RingTest : public ::testing::Test {
protected:
    static constexpr BYTE kMarker = 0xAA;
    RingTest() : m_ring(MMF_RECORD_AREA_SIZE, kMarker) {}

    int parse(const std::string& frame, const char* protocol, const char* options, DWORD at = 0)
    {
        m_offsets[0] = at;
        m_count = -1;
        m_bytes = -1;
        return F_ParseStringInMemory(frame.data(), static_cast<DWORD>(frame.size()), protocol, options, 4242,
                                     m_ring.data(), m_offsets, &m_count, MMF_RECORD_AREA_SIZE, &m_bytes, nullptr,
                                     nullptr);
    }
    const BYTE* record(int i) const { return m_ring.data() + m_offsets[i]; }

    std::vector<BYTE> m_ring;
    DWORD m_offsets[PARSE_MAX_RECORDS] = {};
    int m_count = 0;
    int m_bytes = 0;
};

TEST_F(RingTest, RawTextRecordLayout)
{
    const std::string frame = "0123456789";
    ASSERT_EQ(parse(frame, "SomethingElse", nullptr, 500), PARSE_OK);
    EXPECT_EQ(m_count, 1);
    EXPECT_EQ(m_bytes, 64);
    EXPECT_EQ(m_offsets[0], 500u);
    const BYTE* r = record(0);
    EXPECT_EQ(load<WORD>(r), 0xFACE);
    EXPECT_EQ(r[0], 0xCE);
    EXPECT_EQ(r[2], REC_RAW_TEXT);
    EXPECT_EQ(load<DWORD>(r + 10), 64u);
    EXPECT_EQ(load<DWORD>(r + 24), 4242u);
    EXPECT_EQ(load<WORD>(r + 28), 10);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r + 30), 10), frame);
    // Port byte, bytes 4..9 and 14..23, and what follows the text: not written.
    for (int i : {3, 4, 9, 14, 23, 40, 63})
        EXPECT_EQ(r[i], kMarker) << i;
    EXPECT_EQ(r[64], kMarker);
}

TEST_F(RingTest, RawTextSizesAndThePathsThatTakeIt)
{
    struct Row {
        size_t frame_length;
        const char* protocol;
        const char* options;
        int size;
    } table[] = {
        {10, "unknown", nullptr, 64},
        {100, "NMEA0183", "NOPARSING", 130},   // whatever the protocol
        {100, "TRITECH", "x NOPARSING", 130},
        {33, "Ribo", "", 64},
        {34, "Ribo", "", 64},
        {35, "Ribo", "", 65},
        {0, "unknown", nullptr, 64},
        {40, "RAP", nullptr, 70},              // framing but no decoder
        {40, "Trackpoint", "NOPARSING", 70},
        {40, "MS1000", "NOPARSING", 70},
        {1023, "ENERTEST", nullptr, 1053},
    };
    for (const Row& row : table) {
        const std::string frame(row.frame_length, '!');
        ASSERT_EQ(parse(frame, row.protocol, row.options), PARSE_OK) << row.protocol;
        EXPECT_EQ(m_count, 1) << row.protocol;
        EXPECT_EQ(m_bytes, row.size) << row.protocol;
        EXPECT_EQ(record(0)[2], REC_RAW_TEXT) << row.protocol;
        EXPECT_EQ(load<DWORD>(record(0) + 10), static_cast<DWORD>(row.size)) << row.protocol;
        EXPECT_EQ(load<WORD>(record(0) + 28), row.frame_length) << row.protocol;
    }
}

TEST_F(RingTest, PlacementWrapsBeforeTheEnd)
{
    struct Row {
        DWORD at;
        size_t frame_length;
        DWORD expected;
    } table[] = {
        {0, 10, 0},
        {64098 - 65, 10, 64098 - 65},
        {64098 - 64, 10, 0},  // would end exactly at the ring's end
        {64098 - 30, 10, 0},
        {64098, 10, 0},
        {0xFFFFFFF0u, 10, 0},
        {100, 64067, 0},      // the largest frame: a record of 64097 bytes
    };
    for (const Row& row : table) {
        ASSERT_EQ(parse(std::string(row.frame_length, 'x'), "unknown", nullptr, row.at), PARSE_OK) << row.at;
        EXPECT_EQ(m_offsets[0], row.expected) << row.at;
    }
}

TEST_F(RingTest, RefusesWhatCannotFitAndBadArguments)
{
    const std::vector<BYTE> before = m_ring;
    EXPECT_EQ(parse(std::string(64068, 'x'), "unknown", nullptr), PARSE_TOO_LARGE);
    EXPECT_EQ(parse(std::string(70000, 'x'), "unknown", nullptr), PARSE_TOO_LARGE);
    EXPECT_EQ(m_count, 0);
    EXPECT_EQ(m_bytes, 0);
    EXPECT_EQ(m_ring, before);

    int count = 0, bytes = 0;
    DWORD offsets[4] = {};
    const char frame[] = "$GPGGA\r\n";
    EXPECT_EQ(F_ParseStringInMemory(frame, 8, "X", nullptr, 0, nullptr, offsets, &count, 64098, &bytes, nullptr,
                                    nullptr),
              PARSE_BAD_ARGUMENT);
    EXPECT_EQ(F_ParseStringInMemory(frame, 8, "X", nullptr, 0, m_ring.data(), nullptr, &count, 64098, &bytes,
                                    nullptr, nullptr),
              PARSE_BAD_ARGUMENT);
    EXPECT_EQ(F_ParseStringInMemory(frame, 8, "X", nullptr, 0, m_ring.data(), offsets, &count, 0, &bytes, nullptr,
                                    nullptr),
              PARSE_BAD_ARGUMENT);
    EXPECT_EQ(F_ParseStringInMemory(nullptr, 8, "X", nullptr, 0, m_ring.data(), offsets, &count, 64098, &bytes,
                                    nullptr, nullptr),
              PARSE_BAD_ARGUMENT);
    // A null protocol name is no name: raw text.
    EXPECT_EQ(F_ParseStringInMemory(frame, 8, nullptr, nullptr, 0, m_ring.data(), offsets, &count, 64098, &bytes,
                                    nullptr, nullptr),
              PARSE_OK);
    EXPECT_EQ(count, 1);
}

TEST_F(RingTest, NmeaSwitchWantsADollarOrAnEndOfLine)
{
    struct Row {
        const char* frame;
        int result;
    } table[] = {
        {"$GPXTE,1,2*00\r\n", PARSE_OK},
        {"$GPXTE,1,2", PARSE_OK},
        {"GPXTE,1,2\r\n", PARSE_OK},
        {"GPXTE,1,2", PARSE_MALFORMED},
        {"", PARSE_MALFORMED},
    };
    for (const char* protocol : {"NMEA0183", "KERRO", "TALVOR Standard", "Time(ZDA)"}) {
        for (const Row& row : table) {
            EXPECT_EQ(parse(row.frame, protocol, nullptr), row.result) << protocol << ": " << row.frame;
            EXPECT_EQ(m_count, row.result == PARSE_OK ? 1 : 0);
            if (row.result == PARSE_OK) {
                EXPECT_EQ(record(0)[2], REC_RAW_TEXT);  // a sentence without a decoder
            }
        }
    }
    // The same frame under a protocol without the switch is kept.
    EXPECT_EQ(parse("GPXTE,1,2", "Ribo", nullptr), PARSE_OK);
}

TEST_F(RingTest, EachCallFollowsItsOwnNameAndOptions)
{
    // One thread, alternating ports: a frame that only the NMEA switch refuses
    // tells which rule decided each call.
    struct Row {
        const char* protocol;
        const char* options;
        int result;
    } table[] = {
        {"Ribo", nullptr, PARSE_OK},      {"NMEA0183", nullptr, PARSE_MALFORMED},
        {"Ribo", nullptr, PARSE_OK},      {"NMEA0183", "NOPARSING", PARSE_OK},
        {"NMEA0183", "", PARSE_MALFORMED}, {"NMEA0183", "NOPARSING", PARSE_OK},
        {"NMEA018", nullptr, PARSE_OK},   {"NMEA0183 ", nullptr, PARSE_MALFORMED},
    };
    for (int round = 0; round < 2; ++round) {
        for (const Row& row : table)
            EXPECT_EQ(parse("GPGGA,1", row.protocol, row.options), row.result)
                << row.protocol << " / " << (row.options ? row.options : "null");
    }
}

TEST(SentenceId, TalkerAndProprietaryAddresses)
{
    struct Row {
        const char* frame;
        const char* id;
        const char* first_field;
    } table[] = {
        {"$GPGGA,123519,4807.038,N*47\r\n", "GGA", "123519"},
        {"$HEHDT,12.5,T*1F\r\n", "HDT", "12.5"},
        {"$PKEL,1", "PKEL", "1"},
        {"$PVRNK,ATITUD,1,2*00", "PVRNK", "ATITUD"},
        {"$PIFM*00", "PIFM", ""},
        {"$GPGG,1", "GPGG", "1"},
        {"$GPGGA", "GGA", ""},
        {"$,1,2", "", "1"},
        {"$ABCDEFGHIJKLMNOPQRSTU,1", "", "1"},
        {"GPGGA,1", "", "1"},
        {"", "", ""},
    };
    for (const Row& row : table) {
        EXPECT_EQ(sentence_id(row.frame), row.id) << row.frame;
        EXPECT_EQ(sentence_first_field(row.frame), row.first_field) << row.frame;
    }
}

TEST(BufferVariant, NoDecoderMeansNothingToFill)
{
    sPARSED_DATA data{};
    for (const ProtocolRule& rule : protocol_rules()) {
        if (rule.action == RuleAction::decoder)
            continue;
        const std::string name(rule.words[0]);
        const bool in_options = rule.place == WordPlace::options;
        EXPECT_EQ(F_ParseString("$GPXTE,1*00\r\n", 13, in_options ? "NMEA0183" : name.c_str(),
                                in_options ? name.c_str() : nullptr, &data, 1, nullptr),
                  PARSE_MALFORMED)
            << name;
    }
    EXPECT_EQ(F_ParseString("x", 1, "NMEA0183", nullptr, nullptr, 1, nullptr), PARSE_BAD_ARGUMENT);
}

// ---- Tables with test decoders -------------------------------------------------

// What the test decoders saw of their last call.
struct DecoderLog {
    int calls = 0;
    bool masks_clear = true;
    bool may_set_clock = true;
    int fail_with = PARSE_OK;
};
DecoderLog g_log;

int test_decoder(const FrameContext& frame, BYTE* const* records)
{
    ++g_log.calls;
    g_log.may_set_clock = frame.may_set_clock;
    g_log.masks_clear = load<DWORD>(records[0] + 14) == 0 && load<DWORD>(records[0] + 18) == 0;
    // A decoder writes its masks and body even when it then fails.
    std::memcpy(records[0] + 14, "\x01\0\0\0\x01\0\0\0", 8);
    records[0][26] = 'D';
    return g_log.fail_with;
}

class DecoderTablesTest : public RingTest {
protected:
    DecoderTablesTest()
        : m_rules(protocol_rules().begin(), protocol_rules().end())
    {
        g_log = {};
        for (ProtocolRule& rule : m_rules) {
            if (rule.action == RuleAction::decoder)
                rule.decoder = test_decoder;
        }
    }
    ParseTables tables() const { return {m_rules, m_sentences, sentence_option_words()}; }

    int parse_with(const std::string& frame, const char* protocol, const char* options, DWORD at = 0)
    {
        m_offsets[0] = at;
        FrameContext context;
        context.frame = frame.data();
        context.length = static_cast<uint32_t>(frame.size());
        context.protocol = protocol;
        context.options = options;
        context.time_stamp = 777;
        context.may_set_clock = std::string_view(options).find("NOCLOCK") == std::string_view::npos;
        return parse_in_memory(tables(), context, {m_ring.data(), MMF_RECORD_AREA_SIZE, m_offsets, &m_count, &m_bytes});
    }
    std::vector<int> kinds() const
    {
        std::vector<int> k;
        for (int i = 0; i < m_count; ++i)
            k.push_back(record(i)[2]);
        return k;
    }

    std::vector<ProtocolRule> m_rules;
    std::vector<SentenceRule> m_sentences{
        {"GGA", "", "", test_decoder, {1, {REC_POSITION}}},
        {"HDT", "", "TALVOR Standard", test_decoder, {1, {REC_ATTITUDE}}},
        {"HDT", "", "", test_decoder, {1, {REC_HEADING_SPEED}}},
        {"VTG", "", "", test_decoder, {1, {REC_HEADING_SPEED}}},
        {"PVRNK", "ATITUD", "", test_decoder, {1, {REC_ATTITUDE}}},
        {"ZDA", "", "", test_decoder, {1, {REC_TIME}}},
        {"PIFM", "", "", test_decoder, {4, {REC_POSITION, REC_HEADING_SPEED, REC_ATTITUDE, REC_DEPTH}}},
    };
};

TEST_F(DecoderTablesTest, DecoderRowRunsWithoutTouchingTheDispatch)
{
    std::memset(m_ring.data() + 1000, 0xFF, 200);  // old records with every mask bit set
    ASSERT_EQ(parse_with("12.5\r\n", "Marimatech_Deso25", "", 1000), PARSE_OK);
    EXPECT_EQ(g_log.calls, 1);
    EXPECT_TRUE(g_log.masks_clear);
    EXPECT_EQ(m_count, 1);
    EXPECT_EQ(m_bytes, 68);
    const BYTE* r = record(0);
    EXPECT_EQ(load<WORD>(r), 0xFACE);
    EXPECT_EQ(r[2], REC_DEPTH);
    EXPECT_EQ(load<DWORD>(r + 10), 68u);
    EXPECT_EQ(load<DWORD>(r + 22), 777u);
    EXPECT_EQ(r[26], 'D');
}

TEST_F(DecoderTablesTest, TwoRecordRowsReserveTogether)
{
    struct Row {
        const char* protocol;
        DWORD at;
        DWORD first, second;
        int bytes;
    } table[] = {
        {"Morvella", 0, 0, 128, 196},
        {"Morvella", 64098 - 197, 64098 - 197, 64098 - 69, 196},
        {"Morvella", 64098 - 196, 0, 128, 196},  // would end at the end: both move
        {"Morvella", 64098 - 100, 0, 128, 196},  // the first would fit alone: still both move
        {"NR202K", 64098 - 193, 64098 - 193, 64098 - 65, 192},
        {"NR202K", 64098 - 192, 0, 128, 192},
    };
    for (const Row& row : table) {
        ASSERT_EQ(parse_with("x\n", row.protocol, "", row.at), PARSE_OK) << row.protocol << " at " << row.at;
        EXPECT_EQ(m_count, 2);
        EXPECT_EQ(m_bytes, row.bytes);
        EXPECT_EQ(m_offsets[0], row.first);
        EXPECT_EQ(m_offsets[1], row.second);
        EXPECT_EQ(load<DWORD>(record(0) + 10) + load<DWORD>(record(1) + 10), static_cast<DWORD>(row.bytes));
        EXPECT_EQ(load<WORD>(record(1)), 0xFACE);
    }
}

TEST_F(DecoderTablesTest, FailedDecoderAnnouncesNothing)
{
    g_log.fail_with = PARSE_MALFORMED;
    EXPECT_EQ(parse_with("garbage\n", "TRITECH", "", 300), PARSE_MALFORMED);
    EXPECT_EQ(m_count, 0);
    EXPECT_EQ(m_bytes, 0);
    // No head was written: a reader scanning the ring sees no record there.
    EXPECT_NE(load<WORD>(m_ring.data() + 300), 0xFACE);
    g_log.fail_with = -7;
    EXPECT_EQ(parse_with("$GPGGA,x\r\n", "NMEA0183", "", 300), -7);
    EXPECT_EQ(m_count, 0);
}

TEST_F(DecoderTablesTest, NmeaSwitchRoutesSentencesAndAppliesTheOptionWords)
{
    struct Row {
        const char* protocol;
        const char* options;
        const char* frame;
        std::vector<int> kinds;
    } table[] = {
        {"NMEA0183", "", "$GPGGA,1*00\r\n", {REC_POSITION}},
        {"NMEA0183", "NOGGA", "$GPGGA,1*00\r\n", {REC_RAW_TEXT}},
        {"NMEA0183", "NOGLL,NOGGA", "$GPGGA,1*00\r\n", {REC_RAW_TEXT}},
        {"NOGGA NMEA0183", "", "$GPGGA,1*00\r\n", {REC_POSITION}},    // NOGGA counts in the options only
        {"NMEA0183 NOHDT", "", "$HEHDT,1*00\r\n", {REC_RAW_TEXT}},
        {"NMEA0183", "NOHDT", "$HEHDT,1*00\r\n", {REC_HEADING_SPEED}},  // NOHDT counts in the name only
        {"NMEA0183 NOVTG", "", "$GPVTG,1*00\r\n", {REC_RAW_TEXT}},
        {"NMEA0183 NOVTG", "", "$HEHDT,1*00\r\n", {REC_HEADING_SPEED}},
        {"TALVOR Standard", "", "$HEHDT,1*00\r\n", {REC_ATTITUDE}},
        {"KVH", "", "$HEHDT,1*00\r\n", {REC_HEADING_SPEED}},
        {"NMEA0183", "", "$PVRNK,ATITUD,1*00\r\n", {REC_ATTITUDE}},
        {"NMEA0183", "", "$PVRNK,POSITI,1*00\r\n", {REC_RAW_TEXT}},
        {"NMEA0183", "", "$PIFM,1*00\r\n", {REC_POSITION, REC_HEADING_SPEED, REC_ATTITUDE, REC_DEPTH}},
        {"NMEA0183", "", "$GPXYZ,1*00\r\n", {REC_RAW_TEXT}},
        {"NMEA0183", "", "GPGGA,1\r\n", {REC_RAW_TEXT}},
        {"NMEA0183", "NOPARSING", "$GPGGA,1*00\r\n", {REC_RAW_TEXT}},
        {"TRITECH", "", "$GPGGA,1*00\r\n", {REC_DEPTH}},                // not a switch protocol
    };
    for (const Row& row : table) {
        ASSERT_EQ(parse_with(row.frame, row.protocol, row.options), PARSE_OK) << row.protocol << " " << row.frame;
        EXPECT_EQ(kinds(), row.kinds) << row.protocol << " / " << row.options << ": " << row.frame;
    }
}

TEST_F(DecoderTablesTest, FourRecordSentenceLaysItsRecordsEndToEnd)
{
    ASSERT_EQ(parse_with("$PIFM,1*00\r\n", "NMEA0183", "", 64098 - 388), PARSE_OK);
    const DWORD expected[] = {0, 128, 192, 320};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(m_offsets[i], expected[i]) << i;
    EXPECT_EQ(m_bytes, 388);
}

TEST_F(DecoderTablesTest, NoClockReachesTheDecoders)
{
    ASSERT_EQ(parse_with("$GPZDA,1*00\r\n", "NMEA0183", "NOCLOCK"), PARSE_OK);
    EXPECT_FALSE(g_log.may_set_clock);
    ASSERT_EQ(parse_with("$GPZDA,1*00\r\n", "NMEA0183", ""), PARSE_OK);
    EXPECT_TRUE(g_log.may_set_clock);
}

TEST_F(DecoderTablesTest, BufferVariantFillsTheSlotOfTheKind)
{
    sPARSED_DATA data;
    std::memset(&data, 0xEE, sizeof data);
    FrameContext context;
    const std::string frame = "$HEHDT,1*00\r\n";
    context.frame = frame.data();
    context.length = static_cast<uint32_t>(frame.size());
    context.protocol = "NMEA0183";
    context.time_stamp = 99;
    ASSERT_EQ(parse_into_buffer(tables(), context, &data), PARSE_OK);
    EXPECT_TRUE(g_log.masks_clear);
    EXPECT_EQ(load<WORD>(data.heading_speed), 0xFACE);
    EXPECT_EQ(data.heading_speed[2], REC_HEADING_SPEED);
    EXPECT_EQ(load<DWORD>(data.heading_speed + 22), 99u);
    EXPECT_EQ(data.attitude[0], 0xEE);  // other slots keep what they held
    context.protocol = "Ribo";
    EXPECT_EQ(parse_into_buffer(tables(), context, &data), PARSE_MALFORMED);
    context.protocol = "Seatex";
    EXPECT_EQ(parse_into_buffer(tables(), context, &data), PARSE_OK);
    EXPECT_EQ(data.attitude[2], REC_ATTITUDE);
}

}  // namespace
