// A plug-in for the wrappers' tests that stands where the gauge and the 3D
// compass will be registered: it takes every call and writes down its
// dispatch id, kind and arguments (left to right, with their types), and
// answers by-reference doubles with 1.5, 2.5, ... so a wrapper's outputs can
// be seen. Dispatch id 9999 (get) gives the journal.

#include <windows.h>

#include <cstdio>
#include <string>

#include "helm/com/control.h"

namespace {

struct IRecorder : IDispatch {
    static constexpr IID iid = {0x3E0A61B2, 0x7C44, 0x4D19, {0x8B, 0x2E, 0x51, 0x6F, 0x0A, 0x93, 0xC7, 0x28}};
    using base_interface = IDispatch;

protected:
    ~IRecorder() = default;
};

const helm::com::DispatchTable<IRecorder>& recorder_table()
{
    static const helm::com::DispatchTable<IRecorder> table({});
    return table;
}

constexpr DISPID journal_id = 9999;

std::string describe(const VARIANT& v)
{
    char text[128];
    switch (v.vt) {
    case VT_UI2: std::snprintf(text, sizeof text, "ui2 %u", v.uiVal); break;
    case VT_UI4: std::snprintf(text, sizeof text, "ui4 %lu", static_cast<unsigned long>(v.ulVal)); break;
    case VT_I4: std::snprintf(text, sizeof text, "i4 %ld", static_cast<long>(v.lVal)); break;
    case VT_R8: std::snprintf(text, sizeof text, "r8 %g", v.dblVal); break;
    case VT_BOOL: std::snprintf(text, sizeof text, "bool %d", v.boolVal); break;
    case VT_BSTR: return "bstr " + helm::com::text_from_bstr(v.bstrVal);
    case VT_I1 | VT_BYREF: return std::string("text ") + (v.pcVal ? v.pcVal : "(null)");
    case VT_R8 | VT_BYREF: return v.pdblVal ? "r8* " + std::to_string(*v.pdblVal).substr(0, 4) : "r8* null";
    default: std::snprintf(text, sizeof text, "vt %u", v.vt); break;
    }
    return text;
}

class Recorder : public helm::com::WindowedControl<IRecorder, recorder_table> {
public:
    HRESULT Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                   UINT*) override
    {
        if (member == journal_id) {
            if (result) {
                VariantInit(result);
                result->vt = VT_BSTR;
                result->bstrVal = helm::com::bstr_from_text(m_journal);
            }
            return S_OK;
        }
        char head[48];
        std::snprintf(head, sizeof head, "%lx %s", static_cast<unsigned long>(member),
                      flags & DISPATCH_PROPERTYPUT ? "put" : "call");
        m_journal += head;
        double answer = 1.5;
        const UINT count = params ? params->cArgs : 0;
        // Arguments arrive right to left.
        for (UINT i = count; i-- > 0;) {
            VARIANT& v = params->rgvarg[i];
            m_journal += " (" + describe(v) + ")";
            if (v.vt == (VT_R8 | VT_BYREF) && v.pdblVal) {
                *v.pdblVal = answer;
                answer += 1;
            }
        }
        m_journal += '\n';
        return S_OK;
    }

private:
    std::string m_journal;
};

class FtRecorder final : public Recorder {};
class CompassRecorder final : public Recorder {};

helm::com::ClassEntry registration(const CLSID& clsid, const char* prog_id)
{
    helm::com::ClassEntry e;
    e.clsid = clsid;
    e.description = prog_id;
    e.prog_id = prog_id;
    e.keys = helm::com::key_programmable | helm::com::key_control;
    return e;
}

// The class ids of AttHeadGauge's FtAttitudeHeadingCtrl and of Compass3d.
constexpr CLSID ft_clsid = {0xCD6E2937, 0x4EBE, 0x44DB, {0xA9, 0x93, 0xEC, 0x14, 0x1A, 0x1B, 0x1A, 0x50}};
constexpr CLSID compass_clsid = {0xCD00E0FF, 0x5618, 0x4581, {0xAA, 0x26, 0xEF, 0xD4, 0x94, 0x0C, 0xF2, 0xA3}};

helm::com::Server server({
    {registration(ft_clsid, "HelmTest.FtRecorder.1"), &helm::com::Server::create<FtRecorder>},
    {registration(compass_clsid, "HelmTest.CompassRecorder.1"), &helm::com::Server::create<CompassRecorder>},
});

}  // namespace

HELM_COM_PLUGIN_ENTRY_POINTS(server)
