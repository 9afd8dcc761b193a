// The codes of the geometry model and the texts the .GEO file stores for
// them. Text to code compares without regard to ASCII case; a code or a
// text outside a table gives that table's fallback.
#pragma once

#include "afxwin.h"

enum E_GEO_EQUIPMENT {
    E_GEO_EQUIPMENT_GPS = 1,
    E_GEO_EQUIPMENT_MSU = 2,
    E_GEO_EQUIPMENT_WINCH = 3,
    E_GEO_EQUIPMENT_BALISE = 4,
    E_GEO_EQUIPMENT_RIBO = 5,
    E_GEO_EQUIPMENT_INS = 6,
    E_GEO_EQUIPMENT_SISMIC_SOURCE = 7,
    E_GEO_EQUIPMENT_SISMIC_RECEIVER = 8,
    E_GEO_EQUIPMENT_SONAR = 9,
    E_GEO_EQUIPMENT_UNKNOWN = 10,  // any text outside the table
};

enum E_GEO_MOUNT {
    E_GEO_MOUNT_NONE = 0,  // not set
    E_GEO_MOUNT_HULL = 1,
    E_GEO_MOUNT_TOWED = 2,
    E_GEO_MOUNT_UNKNOWN = 3,  // any text outside the table
};

enum E_GEO_MOBILE {
    E_GEO_MOBILE_SHIP = 1,
    E_GEO_MOBILE_ROV = 2,
    E_GEO_MOBILE_AUV = 3,
    E_GEO_MOBILE_TOWFISH = 4,
    E_GEO_MOBILE_FLUTE = 5,
    E_GEO_MOBILE_UNKNOWN = 6,  // any text outside the table
};

// "true" or "false"; a text is true exactly when it is "true" in any case.
CString F_GeoBoolToText(bool value);
bool F_GeoTextIsTrue(const char* text);
// "Hull", "Towed"; any other code (0: not set) gives "", any other text 3.
CString F_GeoMountToText(int mount);
int F_GeoTextToMount(const char* text);
// "GPS" ... "Sonar"; any other code gives "Unknown", any other text 10.
CString F_GeoEquipmentToText(int type);
int F_GeoTextToEquipment(const char* text);
// "ship", "ROV", "AUV", "TowFish", "Flute"; else "Unknown" and 6.
CString F_GeoMobileToText(int type);
int F_GeoTextToMobile(const char* text);
