// Setupdesk's exported functions, the only door into the library. Each
// switches to the library's own module state for the length of the call,
// runs on the caller's thread and destroys what it made before returning.
#pragma once

#include "afxwin.h"
#include "sysdesc/CSensorGeometry.h"

extern "C" {

// The System Description dialog under `parent`, modal; nonzero when it was
// closed with OK (it never is: it ends with Cancel).
int F_SystemDescDlg(HWND parent);
// The Communication Settings dialog with the pages of a seismic set-up
// (ship position, attitude, depth sensor) or of a sonar set-up (ship and
// fish position, attitude, information output); always 0.
int F_ComConfigSeismic(HWND parent);
int F_ComConfigSonar(HWND parent);
// Appends to `ports` the 0-based index of each serial port the I/O server
// owns, switched on, with the protocol "Output" and, when `filters` holds
// texts, options that contain one of them (each port once). Nonzero when
// `ports` is not empty then; 0 for a null `ports` (a null `filters` is no
// filter).
int F_GetOutputComPort(const CStringArray* filters, CUIntArray* ports);
// The System Geometry dialog on the seismic (sonar) geometry file; 1 when
// closed with OK.
int F_seismicGeometryDlg(HWND parent);
int F_sonarGeometryDlg(HWND parent);
// The fourteen offsets from the seismic (sonar) geometry file, or from its
// default system when the file cannot be read; 1, or 0 for a null pointer.
int F_seismicGeometryGet(CSensorGeometry* geometry);
int F_sonarGeometryGet(CSensorGeometry* geometry);

}  // extern "C"
