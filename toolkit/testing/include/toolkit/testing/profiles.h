// For tests of the toolkit and of everything that takes its texts: a
// profile pointed at a file of a private directory, and the language
// choice kept in a private "Widgetry.ini".
#pragma once

#include <cstdlib>
#include <cstring>
#include <string>

#include "helm/test/support.h"
#include "toolkit/WidgetryApp.h"

namespace helm::toolkit::testing {

// Points a profile (the application object's m_pszProfileName) at a file
// of a private directory for the object's life, then puts the old one back.
class PrivateProfile {
public:
    PrivateProfile(CWinApp& app, const std::string& fileName)
        : m_app(app), m_path(m_dir.file(fileName)), m_previous(app.m_pszProfileName)
    {
        app.m_pszProfileName = strdup(m_path.c_str());
    }
    ~PrivateProfile()
    {
        std::free(const_cast<char*>(m_app.m_pszProfileName));
        m_app.m_pszProfileName = m_previous;
    }
    PrivateProfile(const PrivateProfile&) = delete;
    PrivateProfile& operator=(const PrivateProfile&) = delete;

    const std::string& path() const { return m_path; }

private:
    CWinApp& m_app;
    helm::test::TempDir m_dir;
    std::string m_path;
    LPCSTR m_previous;
};

// The toolkit's language choice, kept in a private "Widgetry.ini".
class LanguageChoice {
public:
    LanguageChoice() : m_profile(library_app(), "Widgetry.ini") {}
    // The value of "LANGUAGE ID" (0 French, 1 English, other: the system's).
    void set(int languageId) { library_app().WriteProfileInt("LANGUAGE TOOLS", "LANGUAGE ID", languageId); }

private:
    PrivateProfile m_profile;
};

}  // namespace helm::toolkit::testing
