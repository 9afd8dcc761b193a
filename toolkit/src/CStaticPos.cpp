#include "toolkit/CStaticPos.h"

#include <cmath>
#include <cstdlib>

#include "helm/outside/toolbase.h"

IMPLEMENT_DYNAMIC(CStaticPos, CStaticColor)

namespace {

constexpr const char* profile_section = "Position Control";
constexpr const char* profile_key = "Format";
constexpr const char* menu_texts[4] = {"DMS", "DMX", "DXX", "Metric"};

bool valid_format(long long format)
{
    return format >= DMS && format <= METRIC;
}

}  // namespace

CStaticPos::CStaticPos()
{
    m_nMsgSynchro = RegisterWindowMessage("Pos Control Message - {F960FE9C-AE48-4cc3-9FDE-54316406C3CB}");
    m_nMenuIds[DMS] = RegisterWindowMessage("Pos Control Message - {FE2BEC13-B21E-4f69-B6E6-C53326F80F79}");
    m_nMenuIds[DMX] = RegisterWindowMessage("Pos Control Message - {77AFE65D-2553-4ce6-AE5D-697418E7A9D4}");
    m_nMenuIds[DXX] = RegisterWindowMessage("Pos Control Message - {CB4D843B-4AB2-4de5-ABD9-1A2FC3856963}");
    m_nMenuIds[METRIC] = RegisterWindowMessage("Pos Control Message - {D53BBD0D-DE22-4664-802A-D35254319DF9}");
    if (CWinApp* app = AfxGetApp()) {
        const int stored = static_cast<int>(app->GetProfileInt(profile_section, profile_key, DMS));
        m_format = valid_format(stored) ? static_cast<e_posformat>(stored) : DMS;
    }
    m_bProjected = m_format == METRIC;
}

CStaticPos::~CStaticPos()
{
    if (m_nSaveOnExit)
        if (CWinApp* app = AfxGetApp())
            app->WriteProfileInt(profile_section, profile_key, m_format);
}

void CStaticPos::F_ValueSet(double value)
{
    const double magnitude = std::fabs(value);
    const char hemisphere = value >= 0 ? m_cPositive : m_cNegative;
    double degrees = 0, minutes = 0, seconds = 0;
    char sign = 0;
    CString text;
    bool shown = true;
    switch (m_format) {
    case DMS:
        F_DllFormatPosition(0, 2, value, 0.0, 0.0, &sign, &degrees, &minutes, &seconds, nullptr, 2);
        text.Format("%d \xB0 %02d ' %05.02f \" %c ", static_cast<int>(std::fabs(degrees)),
                    static_cast<int>(std::fabs(minutes)), std::fabs(seconds), hemisphere);
        break;
    case DMX: {
        F_DllFormatPosition(0, 1, value, 0.0, 0.0, &sign, &degrees, &minutes, &seconds, nullptr, 2);
        const double whole = std::trunc(std::fabs(minutes));
        text.Format("%d \xB0 %02d.%04d ' %c ", static_cast<int>(std::fabs(degrees)), static_cast<int>(whole),
                    static_cast<int>((std::fabs(minutes) - whole) * 10000), hemisphere);
        break;
    }
    case DXX: text.Format("%.06lf \xB0 %c ", magnitude, hemisphere); break;
    case METRIC: text.Format("%c : %011.03lf m ", m_cPositive, value); break;
    default: shown = false; break;
    }
    if (shown && m_hWnd)
        SetWindowText(text);
    if (m_format == METRIC)
        m_dProjected = value;
    else
        m_dGeographic = value;
}

void CStaticPos::F_ValueSet(double value, bool projected)
{
    if (projected != (m_format == METRIC))
        F_ChangeFormat(projected ? METRIC : DMS, true);
    F_ValueSet(value);
}

void CStaticPos::F_ProjectedSet(bool projected)
{
    if (projected != (m_format == METRIC))
        F_ValueSet(projected ? m_dProjected : m_dGeographic, projected);
    m_bProjected = projected;
}

void CStaticPos::F_ChangeFormat(e_posformat format, bool force)
{
    if (!valid_format(format) || (format == m_format && !force))
        return;
    const double value = format == METRIC ? m_dProjected : m_dGeographic;
    m_format = format;
    m_bProjected = format == METRIC;
    if (m_hWnd)
        ModifyStyle(SS_CENTER | SS_RIGHT, format == METRIC ? 0 : SS_RIGHT);
    F_ValueSet(value);
    for (CWnd* window : m_synchronised)
        if (window && ::IsWindow(window->m_hWnd))
            window->SendMessage(m_nMsgSynchro, static_cast<WPARAM>(format), 0);
}

void CStaticPos::F_SelectLatLong(bool latitude)
{
    m_bLatitude = latitude;
    if (latitude)
        F_SetSymbols('N', 'S');
    else
        F_SetSymbols('E', 'W');
}

void CStaticPos::F_SetSymbols(char positive, char negative)
{
    m_cPositive = positive;
    m_cNegative = negative;
}

void CStaticPos::F_Synchronize(CWnd* window)
{
    if (window && window->m_hWnd)
        m_synchronised.push_back(window);
}

void CStaticPos::F_FormatShowMenu(CPoint screenPoint)
{
    if (m_bProjected && !m_bUseAll)
        return;
    CMenu menu;
    if (!menu.CreatePopupMenu())
        return;
    for (int format = DMS; format <= DXX; ++format)
        menu.AppendMenu(MF_STRING | (m_format == format ? MF_CHECKED : 0), m_nMenuIds[format], menu_texts[format]);
    if (m_bProjected || m_bUseAll)
        menu.AppendMenu(MF_STRING | (m_format == METRIC ? MF_CHECKED : 0), m_nMenuIds[METRIC], menu_texts[METRIC]);
    menu.TrackPopupMenu(TPM_RIGHTBUTTON, screenPoint.x, screenPoint.y, this);
}

BOOL CStaticPos::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    for (int format = DMS; format <= METRIC; ++format)
        if (id == m_nMenuIds[format] && format != m_format)
            F_ChangeFormat(static_cast<e_posformat>(format), false);
    return CStaticColor::OnCommand(wParam, lParam);
}

LRESULT CStaticPos::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A format already in use ends the echo between synchronised controls.
    if (message == m_nMsgSynchro && m_nMsgSynchro != 0 && valid_format(static_cast<long long>(wParam)))
        F_ChangeFormat(static_cast<e_posformat>(wParam), false);
    return CStaticColor::WindowProc(message, wParam, lParam);
}
