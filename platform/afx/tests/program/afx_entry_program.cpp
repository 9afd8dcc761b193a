// A class-library program for the tests of the program entry: its result
// tells what its application object was given.
#include <cstring>

#include "afxwin.h"

namespace {

class EntryApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        m_result = std::strcmp(m_lpCmdLine, "/rtfd \"a b\"") == 0 ? 40 : 1;
        if (m_hInstance != GetModuleHandle(nullptr) || AfxGetInstanceHandle() != m_hInstance)
            m_result = 2;
        return FALSE;  // a dialog program ends after InitInstance
    }
    int ExitInstance() override { return m_result + (m_nCmdShow == SW_SHOWMINIMIZED ? 1 : 0); }

private:
    int m_result = 0;
};

EntryApp theApp;

}  // namespace
