// The toolkit library's own application object. Its profile is
// "Widgetry.ini" in the program's directory and holds the settings the
// toolkit keeps for every program of that directory (the language choice);
// a test may point it elsewhere by replacing m_pszProfileName.
#pragma once

#include "toolkit/CWinAppIni.h"

namespace helm::toolkit {
CWinAppIni& library_app();
}  // namespace helm::toolkit
