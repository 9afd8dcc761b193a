// One resource as the compiler produces it: its type and name (a number or
// an upper-case name), its language, and its bytes in the Windows form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "token.h"

namespace helm::rc {

// Numbered resource types of Windows.
enum : uint16_t {
    kTypeIcon = 3,
    kTypeBitmap = 2,
    kTypeMenu = 4,
    kTypeDialog = 5,
    kTypeAccelerator = 9,
    kTypeString = 6,
    kTypeGroupIcon = 14,
    kTypeVersion = 16,
};

struct ResourceId {
    uint16_t number = 0;  // used when name is empty
    std::string name;     // upper case

    bool operator==(const ResourceId& other) const { return number == other.number && name == other.name; }
    std::string text() const { return name.empty() ? std::to_string(number) : "\"" + name + "\""; }
};

struct CompiledResource {
    ResourceId type;
    ResourceId name;
    uint16_t language = 0;
    std::vector<uint8_t> data;
    SourcePlace place;
};

}  // namespace helm::rc
