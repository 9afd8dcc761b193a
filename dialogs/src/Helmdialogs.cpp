// Helmdialogs is an extension library of the class library: once loaded,
// its dialog templates and string table join the resource chain of the
// program that loaded it, so the host finds them by id.

#include "afxwin.h"

namespace {

class ResourceChainEntry {
public:
    ResourceChainEntry()
    {
        AfxInitExtensionModule(m_module, helm_this_module());
        m_library = new CDynLinkLibrary(m_module);
    }
    ~ResourceChainEntry()
    {
        delete m_library;
        AfxTermExtensionModule(m_module);
    }
    ResourceChainEntry(const ResourceChainEntry&) = delete;
    ResourceChainEntry& operator=(const ResourceChainEntry&) = delete;

private:
    AFX_EXTENSION_MODULE m_module = {FALSE, nullptr, nullptr};
    CDynLinkLibrary* m_library = nullptr;
};

const ResourceChainEntry entry;

}  // namespace
