// The dispatch's tables. A decoder is added by naming it in its row: the
// rows below already hold the record kinds each protocol writes, and the
// dispatch turns a row without a decoder into the raw text path.
#include "helm/portlink/protocol_table.h"

#include "decoders.h"

namespace helm::portlink {
namespace {

using enum RuleAction;
using enum WordPlace;

constexpr RecordLayout one(uint8_t kind) { return RecordLayout{1, {kind}}; }
constexpr RecordLayout two(uint8_t first, uint8_t second) { return RecordLayout{2, {first, second}}; }

// Test order matters where names overlap: "NR230" after "ATS" and "NR202K",
// "SB_Deso" before "SB_NMEA", "TSS(Tss1)" before "TSS(Simrad)".
constexpr ProtocolRule kProtocolRules[] = {
    {{"NOPARSING"}, options, raw_text, nullptr, {}},
    {{"Ribo"}, protocol_name, raw_text, nullptr, {}},
    {{"TRITECH"}, protocol_name, decoder, decode_tritech, one(REC_DEPTH)},
    {{"LAYBACK"}, protocol_name, decoder, decode_layback, one(REC_LAYBACK)},
    {{"REF_STATION"}, protocol_name, nmea_switch, nullptr, {}},
    {{"KERRO"}, protocol_name, nmea_switch, nullptr, {}},
    {{"Trackpoint"}, protocol_name, decoder, decode_trackpoint, one(REC_TRACKPOINT)},
    {{"Morvella"}, protocol_name, decoder, decode_morvella, two(REC_POSITION, REC_DEPTH)},
    {{"NMEA0183"}, protocol_name, nmea_switch, nullptr, {}},
    {{"NR202K"}, protocol_name, decoder, decode_nr202k, two(REC_POSITION, REC_HEADING_SPEED)},
    {{"ATS"}, protocol_name, decoder, decode_ats, one(REC_ATS)},
    {{"NR230"}, protocol_name, nmea_switch, nullptr, {}},
    {{"SB_Deso"}, protocol_name, decoder, decode_deso, one(REC_DEPTH)},
    {{"Marimatech_Deso25"}, protocol_name, decoder, decode_deso, one(REC_DEPTH)},
    {{"SB_NMEA"}, protocol_name, nmea_switch, nullptr, {}},
    {{"Echotrac_DBS"}, protocol_name, nmea_switch, nullptr, {}},
    {{"Echotrac_Deso25", "Knudsen_Deso20"}, protocol_name, decoder, decode_deso, one(REC_DEPTH)},
    {{"Knudsen_Elac"}, protocol_name, decoder, decode_elac, one(REC_DEPTH)},
    {{"Knudsen_$PKEL"}, protocol_name, nmea_switch, nullptr, {}},
    {{"Seatex"}, protocol_name, decoder, decode_seatex, one(REC_ATTITUDE)},
    {{"TSS(Tss1)"}, protocol_name, decoder, decode_tss1, one(REC_ATTITUDE)},
    {{"TSS(Simrad)"}, protocol_name, decoder, decode_simrad, one(REC_ATTITUDE)},
    {{"TSS($PRDID)"}, protocol_name, nmea_switch, nullptr, {}},
    {{"TALVOR Standard"}, protocol_name, nmea_switch, nullptr, {}},
    {{"QUILLO Standard"}, protocol_name, nmea_switch, nullptr, {}},
    {{"Heading(NMEA)"}, protocol_name, nmea_switch, nullptr, {}},
    {{"KVH"}, protocol_name, nmea_switch, nullptr, {}},
    {{"Time(ZDA)"}, protocol_name, nmea_switch, nullptr, {}},
    {{"MS1000"}, protocol_name, decoder, decode_ms1000, one(REC_MS1000)},
};

// The sentences the NMEA switch decodes; every other sentence is kept as
// raw text. The first row that matches decides, so the HDT row of "TALVOR
// Standard" comes before the plain one.
constexpr SentenceRule kSentenceRules[] = {
    {"GGA", "", "", decode_gga, one(REC_POSITION)},
    {"GLL", "", "", decode_gll, one(REC_POSITION)},
    {"RMC", "", "", decode_rmc, two(REC_POSITION, REC_HEADING_SPEED)},
    {"GST", "", "", decode_gst, one(REC_GPS_QUALITY)},
    {"GSA", "", "", decode_gsa, one(REC_GPS_QUALITY)},
    {"HDT", "", "TALVOR Standard", decode_hdt_attitude, one(REC_ATTITUDE)},
    {"HDT", "", "", decode_hdt, one(REC_HEADING_SPEED)},
    {"HDM", "", "", decode_hdm, one(REC_HEADING_SPEED)},
    {"VTG", "", "", decode_vtg, one(REC_HEADING_SPEED)},
    {"ZDA", "", "", decode_zda, one(REC_TIME)},
    {"DBS", "", "", decode_dbs, one(REC_DEPTH)},
    {"DBT", "", "", decode_dbt, one(REC_DEPTH)},
    {"DPT", "", "", decode_dpt, one(REC_DEPTH)},
    {"PKEL", "", "", decode_pkel, one(REC_DEPTH)},
    {"PSER", "", "", decode_pser, one(REC_ATTITUDE)},
    {"PVRNK", "ATITUD", "", decode_atitud, one(REC_ATTITUDE)},
    {"PVRNK", "HEAVE_", "", decode_heave, one(REC_ATTITUDE)},
    {"PVRNK", "HEAVE", "", decode_heave, one(REC_ATTITUDE)},
    {"PVRNK", "POSITI", "", decode_positi, one(REC_POSITION)},
    {"PDAS", "", "", decode_pdas, one(REC_POSITION)},
    {"FOG", "", "", decode_fog, one(REC_FOG)},
    {"OSM", "", "", decode_osm, one(REC_NAV_BLOCK)},
    {"AGA", "", "", decode_aga, one(REC_NAV_BLOCK)},
    {"RMN", "", "", decode_rmn, one(REC_NAV_BLOCK)},
    {"MAG", "", "", decode_mag, one(REC_NAV_BLOCK)},
    {"VLT", "", "", decode_vlt, one(REC_NAV_BLOCK)},
    {"PIFM", "", "", decode_pifm, RecordLayout{4, {REC_POSITION, REC_HEADING_SPEED, REC_ATTITUDE, REC_DEPTH}}},
};

constexpr SentenceOptionWord kSentenceOptionWords[] = {
    {"NOGGA", options, "GGA"},       {"NOGLL", options, "GLL"},       {"NORMC", protocol_name, "RMC"},
    {"NOHDT", protocol_name, "HDT"}, {"NOVTG", protocol_name, "VTG"},
};

constexpr BYTE LF = '\n';

constexpr FramingRule kFramingRules[] = {
    {"Seatex", 15, 0, 0, 0, 0, 0, 1},
    {"NMEA", 0, 1, '$', 0, 1, LF, 0},
    {"KERRO", 0, 1, '$', 0, 1, LF, 0},
    {"TALVOR Standard", 0, 1, '$', 0, 1, LF, 0},
    {"TSS(Tss1)", 0, 1, ':', 0, 1, LF, 0},
    {"TSS(Simrad)", 0, 2, 0x00, 0x90, 0, 0, 1},
    {"TRITECH", 0, 0, 0, 0, 1, LF, 0},
    {"LAYBACK", 0, 0, 0, 0, 1, LF, 0},
    {"ENERTEST", 0, 1, '!', 0, 1, LF, 0},
    {"RAP", 0, 0, 0, 0, 1, LF, 0},
};

}  // namespace

std::span<const ProtocolRule> protocol_rules() { return kProtocolRules; }
std::span<const SentenceRule> sentence_rules() { return kSentenceRules; }
std::span<const SentenceOptionWord> sentence_option_words() { return kSentenceOptionWords; }
std::span<const FramingRule> framing_rules() { return kFramingRules; }

ParseTables builtin_parse_tables() { return {protocol_rules(), sentence_rules(), sentence_option_words()}; }

}  // namespace helm::portlink
