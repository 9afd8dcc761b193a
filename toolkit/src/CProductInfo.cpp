#include "toolkit/CProductInfo.h"

#include <string>
#include <vector>

namespace {

HMODULE application_module()
{
    CWinApp* app = AfxGetApp();
    return app && app->m_hInstance ? app->m_hInstance : AfxGetInstanceHandle();
}

}  // namespace

CProductInfo::CProductInfo() : CProductInfo(application_module()) {}

CProductInfo::CProductInfo(HMODULE module)
{
    char file[4096];
    const DWORD length = GetModuleFileName(module, file, sizeof file);
    if (length == 0 || length >= sizeof file)
        return;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSize(file, &handle);
    if (size == 0)
        return;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfo(file, handle, size, block.data()))
        return;
    LPVOID translationData = nullptr;
    UINT translationLength = 0;
    if (!VerQueryValue(block.data(), "\\VarFileInfo\\Translation", &translationData, &translationLength) ||
        translationLength < 2 * sizeof(WORD))
        return;
    const WORD* translation = static_cast<const WORD*>(translationData);
    struct Field {
        const char* key;
        CString* value;
    };
    const Field fields[] = {{"ProductName", &m_strProductName},   {"ProductVersion", &m_strProductVersion},
                            {"LegalCopyright", &m_strCopyright},  {"CompanyName", &m_strCompany},
                            {"Comments", &m_strComments}};
    for (const Field& field : fields) {
        CString path;
        path.Format("\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], field.key);
        LPVOID text = nullptr;
        UINT textLength = 0;
        if (VerQueryValue(block.data(), path, &text, &textLength) && text && textLength > 0)
            *field.value = CString(static_cast<LPCSTR>(text), static_cast<int>(textLength - 1));
    }
}
