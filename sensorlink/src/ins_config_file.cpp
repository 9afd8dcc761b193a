// The inertial configuration file: an INI text with CR LF line ends. First
// "[Info]" (system type, name, serial number, versions: for information,
// except the type, which must match the system's), then one section per
// settings item of the system with one key per field ("[SerialCMA]",
// "[Usbl1]", "[ModeKFM]"...), closed by the "Secure" section that seals
// everything before it.
#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "cnf_file.h"
#include "helm/sensorlink/C_Q_InsCtrlCmd.h"
#include "ins_tables.h"

using namespace helm::sensorlink;
using namespace helm::sensorlink::cnf;

namespace {

// How many items of a row the system has.
int items_on_system(const ins::Param& row, const sINS_SETTINGS& sys)
{
    if (row.index == ins::Index::Beacon)
        return std::min<int>(sys.NbUsblBeacon, row.count);
    if (row.first_id >= INS_ID_RSCM && row.first_id < INS_ID_ANOUT)
        return std::min<int>(sys.NbRsPort, row.count);
    if (row.first_id == INS_ID_ANOUT)
        return std::min<int>(sys.NbAnalogicOutput, row.count);
    if (row.first_id == INS_ID_IOOUT || row.first_id == INS_ID_IOIN)
        return std::min<int>(sys.NbPulsePort, row.count);
    return row.count;
}

template <class F>
void for_each_item(const sINS_SETTINGS& sys, F f)
{
    for (std::size_t r = 0; r < ins::param_count(); ++r) {
        const ins::Param& row = ins::param(r);
        const int count = items_on_system(row, sys);
        for (int index = 0; index < count; ++index)
            f(row, index);
    }
}

std::string text_of(const char* text, std::size_t size)
{
    return ins::field_safe(std::string_view(text, strnlen(text, size)));
}

}  // namespace

int C_Q_InsCtrlCmd::F_SaveInsCnfFile(CString path)
{
    const sINS_SETTINGS& sys = m_cnf_sys;
    std::string body = "[Info]\r\nType=" + std::to_string(sys.SystemType) + "\r\n";
    body += "System=" + text_of(sys.SystemName, sizeof sys.SystemName) + "\r\n";
    body += "SerialNumber=" + text_of(sys.SerialNumber, sizeof sys.SerialNumber) + "\r\n";
    body += "Firmware=" + text_of(sys.Firmware, sizeof sys.Firmware) + "\r\n";
    body += "Loader=" + text_of(sys.Loader, sizeof sys.Loader) + "\r\n";
    // Sections in the order they first appear: the three beacon families
    // share one section per beacon.
    std::vector<std::pair<std::string, std::string>> sections;
    sINS_SETTINGS copy = sys;
    for_each_item(sys, [&](const ins::Param& row, int index) {
        const std::string name = ins::item_section(row, index);
        auto at = std::find_if(sections.begin(), sections.end(), [&](const auto& s) { return s.first == name; });
        if (at == sections.end())
            at = sections.insert(sections.end(), {name, std::string()});
        const unsigned char* item = ins::item_of(&copy, row, index);
        for (std::size_t i = 0; i < row.nb_fields; ++i) {
            at->second += ins::field_key(row, row.fields[i]) + "=";
            ins::append_field(&at->second, row.fields[i], item);
            at->second += "\r\n";
        }
    });
    for (const auto& [name, lines] : sections)
        body += "[" + name + "]\r\n" + lines;
    return write_sealed(path.str(), body) ? 0 : -1;
}

int C_Q_InsCtrlCmd::F_PrepareLoadInsCnfFile(CString path)
{
    std::string body;
    if (!read_sealed(path.str(), &body))
        return -2;
    const Sections sections = parse_ini(body);
    const auto info = sections.find("info");
    if (info == sections.end())
        return -2;
    const auto type = info->second.find("type");
    int32_t file_type = -1;
    // Another system's settings would land on the wrong ports and modes.
    if (type == info->second.end() || !scan_int(type->second, &file_type) || file_type != m_cnf_sys.SystemType)
        return -2;
    sINS_SETTINGS loaded = m_cnf_sys;
    for_each_item(m_cnf_sys, [&](const ins::Param& row, int index) {
        const auto section = sections.find(lower(ins::item_section(row, index)));
        if (section == sections.end())
            return;
        unsigned char* item = ins::item_of(&loaded, row, index);
        for (std::size_t i = 0; i < row.nb_fields; ++i) {
            const auto value = section->second.find(lower(ins::field_key(row, row.fields[i])));
            if (value != section->second.end())
                ins::read_field(value->second, row.fields[i], item);
        }
    });
    m_cnf_ihm = loaded;
    return 0;
}
