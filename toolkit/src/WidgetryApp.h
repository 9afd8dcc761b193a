// The toolkit library's own application object: its profile is
// "Widgetry.ini" beside the program (the language choice), and it keeps the
// toolkit's modeless dialogs, made on first use.
#pragma once

#include "toolkit/CWinAppIni.h"
#include "toolkit/WidgetryApp.h"

namespace helm::toolkit {

class WidgetryApp : public CWinAppIni {
public:
    WidgetryApp();
    ~WidgetryApp() override;  // deletes the kept dialogs

    CDialog* m_pAboutBox = nullptr;
    CDialog* m_pShortcuts = nullptr;
};

WidgetryApp& widgetry_app();

}  // namespace helm::toolkit
