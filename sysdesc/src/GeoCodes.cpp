#include "sysdesc/GeoCodes.h"

#include <string_view>

namespace {

struct CodeText {
    int code;
    const char* text;
};

// Program-wide constants: the texts the file stores for each code.
constexpr CodeText equipment_texts[] = {
    {1, "GPS"}, {2, "MSU"}, {3, "Winch"}, {4, "Balise"}, {5, "Ribo"},
    {6, "Ins"}, {7, "SismicSource"}, {8, "SismicReceiver"}, {9, "Sonar"},
};
constexpr CodeText mount_texts[] = {{1, "Hull"}, {2, "Towed"}};
constexpr CodeText mobile_texts[] = {{1, "ship"}, {2, "ROV"}, {3, "AUV"}, {4, "TowFish"}, {5, "Flute"}};

template <size_t N>
CString text_of(const CodeText (&table)[N], int code, const char* fallback)
{
    for (const auto& row : table) {
        if (row.code == code)
            return row.text;
    }
    return fallback;
}

template <size_t N>
int code_of(const CodeText (&table)[N], const char* text, int fallback)
{
    for (const auto& row : table) {
        if (text && CString(text).CompareNoCase(row.text) == 0)
            return row.code;
    }
    return fallback;
}

}  // namespace

CString F_GeoBoolToText(bool value)
{
    return value ? "true" : "false";
}

bool F_GeoTextIsTrue(const char* text)
{
    return text && CString(text).CompareNoCase("true") == 0;
}

CString F_GeoMountToText(int mount)
{
    return text_of(mount_texts, mount, "");
}

int F_GeoTextToMount(const char* text)
{
    return code_of(mount_texts, text, E_GEO_MOUNT_UNKNOWN);
}

CString F_GeoEquipmentToText(int type)
{
    return text_of(equipment_texts, type, "Unknown");
}

int F_GeoTextToEquipment(const char* text)
{
    return code_of(equipment_texts, text, E_GEO_EQUIPMENT_UNKNOWN);
}

CString F_GeoMobileToText(int type)
{
    return text_of(mobile_texts, type, "Unknown");
}

int F_GeoTextToMobile(const char* text)
{
    return code_of(mobile_texts, text, E_GEO_MOBILE_UNKNOWN);
}
