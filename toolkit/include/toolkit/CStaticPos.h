// CStaticPos: a latitude, longitude or projected coordinate shown in one
// of four formats (degrees-minutes-seconds, degrees and decimal minutes,
// decimal degrees, metres), chosen from a popup menu. Controls that are
// synchronised follow each other's format. The format in use is kept in
// the calling application's profile (section "Position Control", key
// "Format"), so every position display of a program starts alike.
#pragma once

#include <vector>

#include "toolkit/CStaticColor.h"

enum e_posformat { DMS = 0, DMX = 1, DXX = 2, METRIC = 3 };

class CStaticPos : public CStaticColor {
    DECLARE_DYNAMIC(CStaticPos)

public:
    CStaticPos();
    ~CStaticPos() override;

    // Shows a value of the given kind, first switching to DMS or Metric
    // when the kind differs from the format in use.
    void F_ValueSet(double value, bool projected);
    // The value of the kind in use.
    double F_ValueGet() const { return m_format == METRIC ? m_dProjected : m_dGeographic; }
    void F_ProjectedSet(bool projected);
    bool F_ProjectedGet() const { return m_format == METRIC; }
    // Shows the stored value of the format's kind in format `format` and
    // tells the synchronised windows; nothing when the format is already in
    // use, unless forced.
    void F_ChangeFormat(e_posformat format, bool force);
    e_posformat F_PosFormatGet() const { return m_format; }
    // Latitude: hemispheres 'N'/'S'; longitude: 'E'/'W'.
    void F_SelectLatLong(bool latitude);
    // A window with a handle joins the windows told of format changes.
    void F_Synchronize(CWnd* window);
    UINT F_GetMsg_Synchro() const { return m_nMsgSynchro; }
    // The format menu at a screen point (none for a projected display
    // unless every format is allowed).
    void F_FormatShowMenu(CPoint screenPoint);
    void F_FormatUseAllSet(bool useAll) { m_bUseAll = useAll; }
    bool F_FormatUseAllGet() const { return m_bUseAll; }
    void F_FormatSaveExit(bool save) { m_nSaveOnExit = save ? 1 : 0; }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void F_ValueSet(double value);
    void F_SetSymbols(char positive, char negative);

    double m_dGeographic = 0.0;
    double m_dProjected = 0.0;
    bool m_bLatitude = true;
    bool m_bProjected = false;
    char m_cNegative = 'S';
    char m_cPositive = 'N';
    e_posformat m_format = DMS;
    std::vector<CWnd*> m_synchronised;
    UINT m_nMsgSynchro = 0;
    UINT m_nMenuIds[4] = {0, 0, 0, 0};  // DMS, DMX, DXX, Metric
    int m_nSaveOnExit = 1;
    bool m_bUseAll = false;
};
