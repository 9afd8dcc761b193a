// The inertial systems' settings families as data: one row per "CONFIG"
// keyword (its command ids, how its items are numbered, where its values
// live in sINS_SETTINGS, its fields in sentence order and its section of
// the configuration file) and one row per text ask. The frame builder,
// the answer decoder and the configuration file all read these rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "helm/sensorlink/ins_records.h"

namespace helm::sensorlink::ins {

enum class Kind : uint8_t {
    Int,      // "%d"
    Float2,   // "%.02f" (float)
    Float3,   // "%.03f" (float)
    Float4,   // "%.04f" (float)
    Double3,  // "%.03f" (double)
    Double8,  // "%.08f" (double)
    Char,     // "%c", a letter
    Text,     // "%s", one field; sentence characters are not sent
};

struct Field {
    Kind kind;
    std::size_t offset;  // within the item
    std::size_t size;    // of a text
    const char* key;     // its key in the configuration file
};

// How the items of a row are told apart.
enum class Index : uint8_t {
    Single,  // one item, the keyword alone
    Letter,  // the keyword is followed by A, B...
    Beacon,  // the beacon number is the last field of the set and the answer
};

struct Param {
    const char* keyword;   // "RSCM_", "GPSKFM"
    Index index;
    int first_id;
    int count;             // items
    std::size_t base;      // offset of item 0 in sINS_SETTINGS
    std::size_t stride;    // between items
    std::size_t valid;     // offset of the received flag within an item
    const Field* fields;
    std::size_t nb_fields;
    const char* section;   // of the configuration file: "%c" letter, "%d" beacon
    bool keyed;            // rows share a section: keys start with the keyword
};

struct TextAsk {
    int id;
    const char* keyword;   // "RSCM_X"
    int group;             // E_INS_TEXT_GROUP
    uint8_t fields[INS_TEXT_GROUP_MAX_FIELDS];  // positions asked, in order
    uint8_t nb_fields;
};

const Param* param_for_id(int id);
const Param* param_for_keyword(std::string_view keyword, int* letter_index);
std::size_t param_count();
const Param& param(std::size_t i);

const TextAsk* text_ask_for_id(int id);
const TextAsk* text_ask_for_keyword(std::string_view keyword);

// "RSCM_A" / "GPSKFM" / "USBKFM": the keyword of an item in its sentences.
std::string item_keyword(const Param& row, int index);
std::string item_section(const Param& row, int index);
std::string field_key(const Param& row, const Field& field);

inline unsigned char* item_of(sINS_SETTINGS* s, const Param& row, int index)
{
    return reinterpret_cast<unsigned char*>(s) + row.base + row.stride * static_cast<std::size_t>(index);
}

void append_field(std::string* out, const Field& field, const unsigned char* item);
// False (item unchanged) when the text is not a well-formed value.
bool read_field(std::string_view text, const Field& field, unsigned char* item);

// Bytes that may not travel inside a sentence field become blanks.
std::string field_safe(std::string_view text);

}  // namespace helm::sensorlink::ins
