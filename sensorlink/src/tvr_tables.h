// The Talvor's sentence groups as data: one row per settings group (its
// sentence address, identifier, command ids, the models that have it and
// its fields in sentence order) and one row per text list group. The
// frame builder, the answer decoder and the configuration file all read
// these rows, so a group's layout is written once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "helm/sensorlink/sensor_records.h"
#include "helm/sensorlink/sentence_fields.h"

namespace helm::sensorlink::tvr {

enum class Kind : uint8_t {
    Int,      // "%d"
    Float2,   // "%.02f"
    Float3,   // "%.03f"
    Float6,   // "%f"
    Address,  // "%d.%d.%d.%d"
    Text,     // one field; commas and sentence characters are not sent
    Rest,     // the rest of the sentence, commas included (last field only)
};

struct Field {
    Kind kind;
    std::size_t offset;  // within the group's sub-record
    std::size_t size;    // of a text
    const char* key;     // its key in the configuration file
};

struct Layout {
    const Field* fields = nullptr;
    std::size_t count = 0;
};

enum ModelMask : uint8_t { kTalvor4 = 1, kTalvor3 = 2, kBoth = 3 };
enum class Bound : uint8_t { None, RsPort, AnalogOutput };

struct SettingsGroup {
    const char* address;  // "$KVCNF", or the sentence's own ("$KVBIA", "$KVLV")
    const char* ident;    // identifier after "$KVCNF," ("RSCM_"), null for the others
    bool lettered;        // a letter A, B... follows the identifier (or the address)
    int first_id;
    int count;            // items (letters)
    uint8_t models;
    Bound bound;
    std::size_t base;     // offset of item 0 in sTVR_SETTINGS
    std::size_t stride;   // offset between items
    std::size_t valid;    // offset of the received flag within an item
    Layout layout;        // fields in sentence order
    Layout file_extra;    // further keys of the configuration file
    bool user_protocol;   // "RSOUT": "RSUDP" goes first for a user-defined protocol
};

struct TextGroup {
    int id;
    const char* name;  // "RSCM_A"
    int group;         // E_TVR_TEXT_GROUP
    uint8_t models;
    uint8_t fields4[TVR_TEXT_GROUP_MAX_FIELDS];   // field positions, Talvor4
    uint8_t count4;
    uint8_t fields3[TVR_TEXT_GROUP_MAX_FIELDS];   // field positions, Talvor3
    uint8_t count3;
};

uint8_t model_mask(uint16_t system_type);

// The row that serves `id` for the model, or null.
const SettingsGroup* settings_group_for_id(int id, uint16_t system_type);
// The row whose sentence this is (address and identifier with letter), and
// the item index; null when none.
const SettingsGroup* settings_group_for_sentence(const SentenceFields& fields, uint16_t system_type, int* index);
// Every row of the model, in table order.
std::size_t settings_group_count();
const SettingsGroup& settings_group(std::size_t i);

const TextGroup* text_group_for_id(int id);
const TextGroup* text_group_for_name(std::string_view name);
// The field positions of a group for the model.
const uint8_t* text_group_fields(const TextGroup& group, uint16_t system_type, uint8_t* count);

// "RSCM_A" / "KVBIA" / "KVLVB": the item's name, its configuration-file section.
std::string item_name(const SettingsGroup& group, int index);
// The sentence head: "$KVCNF,RSCM_A" or "$KVLVB".
std::string item_head(const SettingsGroup& group, int index);

// Appends a field's value as the sentence (and the file) writes it.
void append_field(std::string* out, const Field& field, const unsigned char* item);
// Reads a field; false (item unchanged) when malformed.
bool read_field(std::string_view text, const Field& field, unsigned char* item);

inline unsigned char* item_of(sTVR_SETTINGS* settings, const SettingsGroup& group, int index)
{
    return reinterpret_cast<unsigned char*>(settings) + group.base + group.stride * static_cast<std::size_t>(index);
}

// Bytes that may not travel inside a sentence field become blanks.
std::string sentence_safe(std::string_view text, bool allow_commas);

}  // namespace helm::sensorlink::tvr
