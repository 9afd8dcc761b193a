// Portlink's string table: the section and key labels of the settings file
// and the texts of the server start. The settings file is shared with
// Windows installations, so its labels stay byte for byte in Windows-1252.
#include "helm/portlink/port_settings.h"

namespace {

struct StringEntry {
    int id;
    const char* text;
};

constexpr StringEntry kStrings[] = {
    {1500, "Parametres Port serie"},
    {1501, "On : 1, Off : 0"},
    {1502, "BaudRate"},
    {1503, "Parity"},
    {1504, "Data Bit"},
    {1505, "Stop Bit"},
    {1506, "Caractere de d\xE9" "clenchement"},
    {1507, "Type De Donn\xE9" "es"},
    {1508, "Options"},
    {1509, " Timeout(ms)"},
    {1510, "Parametres Ethernet"},
    {1511, "Socket Type"},
    {1512, "Socket Port"},
    {1513, "Socket IP Address"},
    {1514, "Socket Cnx Mode"},
    {5001, "Portserver"},
    {5005, "Unable to  load the server  %s."},
    {7012, "TCP Server"},
    {7013, "TCP Client"},
    {7014, "UDP Peer to Peer"},
    {7015, "UDP Broadcast"},
};

}  // namespace

extern "C" const char* P_GetStringFromDLLTable(int id)
{
    for (const StringEntry& entry : kStrings)
        if (entry.id == id)
            return entry.text;
    return "";
}
