#include "GeometryFile.h"

#include "SetupdeskRes.h"
#include "toolkit/CStringLang.h"

namespace helm::sysdesc {

CString backup_path_for(const CString& path)
{
    for (int n = 1; n <= 100; ++n) {
        CString candidate;
        if (n == 1)
            candidate.Format("%s.bak", path.GetString());
        else
            candidate.Format("%s.bak%d", path.GetString(), n);
        if (GetFileAttributes(candidate) == INVALID_FILE_ATTRIBUTES)
            return candidate;
    }
    return CString();
}

void tell_operator(UINT id, const char* first, const char* second, const char* third)
{
    CStringLang format;
    format.LoadString(helm_this_module(), id);
    CString text;
    text.Format(format, first, second, third);
    AfxMessageBox(text, MB_OK | MB_ICONWARNING);
}

GeometryFile::GeometryFile(int kind)
    : m_path(kind == 0 ? CGeoFileXml::F_GetSeismicGeoFileName() : CGeoFileXml::F_GetSonarGeoFileName())
{
    if (m_file.F_read(m_path, m_model, nullptr))
        return;
    if (kind == 0)
        m_model.P_makeSeismicDefault();
    else
        m_model.P_makeSonarDefault();
    if (GetFileAttributes(m_path) != INVALID_FILE_ATTRIBUTES) {
        const CString reason = m_file.F_GetLastError();
        const CString backup = backup_path_for(m_path);
        if (backup.IsEmpty() || !MoveFile(m_path, backup)) {
            m_writable = false;
            tell_operator(IDS_GEO_NOT_KEPT, m_path, reason);
            return;
        }
        tell_operator(IDS_GEO_KEPT_AS_BACKUP, m_path, reason, backup);
    }
    m_created = m_file.F_create(m_path, m_model, COleDateTime::GetCurrentTime());
    if (!m_created)
        tell_operator(IDS_GEO_NOT_WRITTEN, m_file.F_GetLastError());
}

bool GeometryFile::save(const COleDateTime& date)
{
    if (!m_writable)
        return false;
    const bool saved = m_created ? m_file.F_create(m_path, m_model, date) : m_file.F_update(m_path, m_model, date);
    if (!saved)
        tell_operator(IDS_GEO_NOT_WRITTEN, m_file.F_GetLastError().IsEmpty() ? m_path : m_file.F_GetLastError());
    return saved;
}

}  // namespace helm::sysdesc
