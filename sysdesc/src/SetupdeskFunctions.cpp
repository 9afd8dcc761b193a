#include "sysdesc/SetupdeskFunctions.h"

#include <cstring>
#include <string_view>

#include "GeometryFile.h"
#include "helm/portlink/port_settings.h"
#include "helm/portlink/server_client.h"
#include "sysdesc/GeoCodes.h"

namespace {

// The offsets of the geometry of `kind` (0 seismic, 1 sonar): the first
// GPS, MSU and winch of the file's model, or of the default system.
int geometry_get(int kind, CSensorGeometry* geometry)
{
    if (!geometry)
        return 0;
    CSensorGeometry working("");
    CGeoSystem model;
    CGeoFileXml file;
    const CString path = kind == 0 ? CGeoFileXml::F_GetSeismicGeoFileName() : CGeoFileXml::F_GetSonarGeoFileName();
    if (!file.F_read(path, model, nullptr)) {
        if (kind == 0)
            model.P_makeSeismicDefault();
        else
            model.P_makeSonarDefault();
    }
    struct Source {
        int type;
        CSensorGeometry::E_param x, y, z;
        int yaw, pitch, roll, latency;  // E_param, or -1 when the type has none
    };
    static constexpr Source sources[] = {
        {E_GEO_EQUIPMENT_GPS, CSensorGeometry::NAV_X, CSensorGeometry::NAV_Y, CSensorGeometry::NAV_Z,
         CSensorGeometry::NAV_YAW, -1, -1, CSensorGeometry::NAV_LAG},
        {E_GEO_EQUIPMENT_MSU, CSensorGeometry::ATT_X, CSensorGeometry::ATT_Y, CSensorGeometry::ATT_Z,
         CSensorGeometry::ATT_YAW, CSensorGeometry::ATT_PITCH, CSensorGeometry::ATT_ROLL, -1},
        {E_GEO_EQUIPMENT_WINCH, CSensorGeometry::WINCH_X, CSensorGeometry::WINCH_Y, CSensorGeometry::WINCH_Z, -1, -1,
         -1, -1},
    };
    if (model.F_getMobileCount() > 0) {
        for (const Source& source : sources) {
            bool found = false;
            const CGeoEquipment* equipment = model.F_findEquipmentByType(source.type, found);
            if (!found || !equipment)
                continue;
            const CGeoOffset& offset = equipment->F_getData().F_getOffset();
            const auto put = [&](int index, double value) {
                if (index >= 0)
                    working.P_setParam(CSensorGeometry::E_param(index), CFloatParam(float(value)));
            };
            put(source.x, offset.m_dX);
            put(source.y, offset.m_dY);
            put(source.z, offset.m_dZ);
            put(source.yaw, offset.m_dYaw);
            put(source.pitch, offset.m_dPitch);
            put(source.roll, offset.m_dRoll);
            put(source.latency, offset.m_dLatency);
        }
    }
    *geometry = working;
    return 1;
}

}  // namespace

extern "C" {

int F_SystemDescDlg(HWND)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return 0;
}

int F_ComConfigSeismic(HWND)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return 0;
}

int F_ComConfigSonar(HWND)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return 0;
}

int F_GetOutputComPort(const CStringArray* filters, CUIntArray* ports)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!ports)
        return 0;
    for (int port = 1; port <= 32; ++port) {
        if (!F_IsPortDispo(port))
            continue;
        sCOM_CONFIG config{};
        sPORT_PROTOCOL protocol{};
        F_ReadPortConfig(&config, &protocol, port);
        // Both texts bounded by their fields, whatever the file held.
        const std::string_view name(protocol.name, strnlen(protocol.name, sizeof protocol.name));
        const std::string_view options(protocol.options, strnlen(protocol.options, sizeof protocol.options));
        if (!config.on_off || name != "Output")
            continue;
        const UINT index = UINT(port - 1);
        if (!filters || filters->GetSize() == 0) {
            ports->Add(index);
            continue;
        }
        for (INT_PTR f = 0; f < filters->GetSize(); ++f) {
            const CString& filter = filters->GetAt(f);
            if (options.find(std::string_view(filter.GetString(), size_t(filter.GetLength()))) == std::string_view::npos)
                continue;
            bool listed = false;
            for (INT_PTR p = 0; p < ports->GetSize() && !listed; ++p)
                listed = ports->GetAt(p) == index;
            if (!listed)
                ports->Add(index);
        }
    }
    return ports->GetSize() > 0 ? 1 : 0;
}

int F_seismicGeometryDlg(HWND)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    helm::sysdesc::GeometryFile geometry(0);
    return 0;
}

int F_sonarGeometryDlg(HWND)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    helm::sysdesc::GeometryFile geometry(1);
    return 0;
}

int F_seismicGeometryGet(CSensorGeometry* geometry)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return geometry_get(0, geometry);
}

int F_sonarGeometryGet(CSensorGeometry* geometry)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return geometry_get(1, geometry);
}

}  // extern "C"
