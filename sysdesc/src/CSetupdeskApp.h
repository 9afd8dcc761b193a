// Setupdesk's own application object: its profile is "Setupdesk.ini" in
// the directory of the program that loaded the library. Nothing else is
// made at load; the exported functions make their dialogs on demand.
#pragma once

#include "toolkit/CWinAppIni.h"

class CSetupdeskApp : public CWinAppIni {
public:
    CSetupdeskApp() : CWinAppIni(nullptr) {}
    BOOL InitInstance() override;
};

namespace helm::sysdesc {
CSetupdeskApp& library_app();
}  // namespace helm::sysdesc
