// The Talvor configuration file: an INI text with CR LF line ends, one
// section per settings item ("[RSCM_A]", "[KVBIA]"...) and one key per
// field, closed by the "Secure" section that seals everything before it.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "helm/sensorlink/C_Q_Tools.h"
#include "helm/sensorlink/C_Q_TvrCtrlCmd.h"
#include "cnf_file.h"
#include "tvr_tables.h"

using namespace helm::sensorlink;

namespace {

using namespace helm::sensorlink::cnf;

bool item_in_model(const tvr::SettingsGroup& row, int index, const sTVR_SETTINGS& sys)
{
    if (!(row.models & tvr::model_mask(sys.SystemType)))
        return false;
    if (row.bound == tvr::Bound::RsPort)
        return index < sys.NbRsPort;
    if (row.bound == tvr::Bound::AnalogOutput)
        return index < sys.NbAnalogicOutput;
    return true;
}

template <class F>
void for_each_item(const sTVR_SETTINGS& sys, F f)
{
    for (std::size_t r = 0; r < tvr::settings_group_count(); ++r) {
        const tvr::SettingsGroup& row = tvr::settings_group(r);
        for (int index = 0; index < row.count; ++index) {
            if (item_in_model(row, index, sys))
                f(row, index);
        }
    }
}

template <class F>
void for_each_field(const tvr::SettingsGroup& row, F f)
{
    for (std::size_t i = 0; i < row.layout.count; ++i)
        f(row.layout.fields[i]);
    for (std::size_t i = 0; i < row.file_extra.count; ++i)
        f(row.file_extra.fields[i]);
}

// The read settings with every well-formed value of the file over them.
void apply_file(const Sections& sections, sTVR_SETTINGS* settings)
{
    const sTVR_SETTINGS sys = *settings;
    for_each_item(sys, [&](const tvr::SettingsGroup& row, int index) {
        const auto section = sections.find(lower(tvr::item_name(row, index)));
        if (section == sections.end())
            return;
        unsigned char* item = tvr::item_of(settings, row, index);
        for_each_field(row, [&](const tvr::Field& field) {
            const auto value = section->second.find(lower(field.key));
            if (value != section->second.end())
                tvr::read_field(value->second, field, item);
        });
    });
}

}  // namespace

int C_Q_TvrCtrlCmd::F_SaveTvrCnfFile(CString path)
{
    const sTVR_SETTINGS& sys = m_cnf_sys;
    std::string body = "[System]\r\nSystemType=" + std::to_string(sys.SystemType) + "\r\n";
    body += "SystemName=" + tvr::sentence_safe(std::string_view(sys.SystemName, strnlen(sys.SystemName, TVR_TEXT_SIZE)), true) + "\r\n";
    body += "SerialNumber=" +
            tvr::sentence_safe(std::string_view(sys.SerialNumber, strnlen(sys.SerialNumber, TVR_TEXT_SIZE)), true) + "\r\n";
    sTVR_SETTINGS copy = sys;
    for_each_item(sys, [&](const tvr::SettingsGroup& row, int index) {
        body += "[" + tvr::item_name(row, index) + "]\r\n";
        const unsigned char* item = tvr::item_of(&copy, row, index);
        for_each_field(row, [&](const tvr::Field& field) {
            body += field.key;
            body += '=';
            tvr::append_field(&body, field, item);
            body += "\r\n";
        });
    });
    return write_sealed(path.str(), body) ? 0 : -1;
}

int C_Q_TvrCtrlCmd::F_PrepareLoadTvrCnfFile(CString path)
{
    std::string body;
    if (!read_sealed(path.str(), &body))
        return -2;
    sTVR_SETTINGS loaded = m_cnf_sys;
    apply_file(parse_ini(body), &loaded);
    m_cnf_ihm = loaded;
    return 0;
}

int C_Q_TvrCtrlCmd::F_ReBootLoadTvrCnfFile(CString path)
{
    std::string body;
    if (!read_sealed(path.str(), &body))
        return 0;
    sTVR_SETTINGS loaded = m_cnf_sys;
    apply_file(parse_ini(body), &loaded);
    const sTVR_SETTINGS& sys = m_cnf_sys;
    const bool differs = loaded.AxisOrientation != sys.AxisOrientation ||
                         loaded.EthDhcpMode != sys.EthDhcpMode ||
                         std::memcmp(loaded.EthIpAddress, sys.EthIpAddress, 4) != 0 ||
                         std::memcmp(loaded.EthNetMask, sys.EthNetMask, 4) != 0 || loaded.Bias.X != sys.Bias.X ||
                         loaded.Bias.Y != sys.Bias.Y || loaded.Bias.Z != sys.Bias.Z;
    return differs ? 1 : 0;
}
