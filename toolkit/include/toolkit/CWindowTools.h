// CWindowTools: window placements kept in an application's profile, a
// rectangle brought onto the monitors, and a window class copied under a
// new name.
//
// A placement is written "%i,%i,%i,%i,%i": top, bottom, left, right and the
// show command, under the key prefix + "Position" (section "Window
// Settings" when none is given). The rectangle is the one MoveWindow takes:
// a top-level window's normal rectangle in screen coordinates, so that a
// task bar at the top or left of a monitor does not move the window on
// every save and load.
#pragma once

#include "afxwin.h"

class CWindowTools {
public:
    // F_RectInScreen flags.
    static constexpr UINT RIS_CENTER = 1;    // centre in the area
    static constexpr UINT RIS_WORKAREA = 4;  // the monitors' work areas
    static constexpr UINT RIS_MONITOR = 8;   // the monitors' whole rectangles

    // Nothing for a window without a handle. A show command below 0 is the
    // window's own: 2 when minimised (nothing written when its normal
    // rectangle lies left of and above the screen's origin), 3 when
    // maximised, 0 when hidden, else the placement's.
    static void F_WindowStateSave(CWinApp& app, CWnd& window, LPCSTR section, LPCSTR keyPrefix, int show = -1);
    // Reads the placement (or the default rectangle, or "0,400,0,200,1"),
    // brings it onto the monitors, moves the window there unless it is
    // minimised or maximised (and sizes it when `resize`), and shows it with
    // the stored command when `show`. True when a stored placement was used.
    static bool F_WindowStateLoad(CWinApp& app, CWnd& window, LPCSTR section, LPCSTR keyPrefix, bool resize,
                                  bool show, CRect* defaultRect = nullptr, int* outShow = nullptr);
    // The area is the union of the monitors nearest to the rectangle's top-left
    // and bottom-right corners (their work areas with RIS_WORKAREA). With
    // RIS_CENTER the rectangle is centred there, else moved into it as far
    // as its size allows; its size is kept.
    static void F_RectInScreen(CRect& rect, UINT flags);
    // Registers a copy of a window class of the current module under
    // `newName`, with the icon resource `iconId`; the new name, or null.
    static LPCSTR RegisterSimilarClass(LPCSTR newName, LPCSTR existingClass, UINT iconId);
};
