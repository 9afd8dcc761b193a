#include <fcntl.h>
#include <libxml/parser.h>
#include <libxml/xmlsave.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "helm/kernel/files.h"
#include "helm/kernel/station_path.h"
#include "node_base.h"

namespace helm::xml {
namespace {

// A file beyond this is refused before it is read.
constexpr off_t max_file_bytes = 64 * 1024 * 1024;

struct Failure {
    long code = 0;
    std::string url, reason;  // Windows-1252
    long line = 0, column = 0;
};

class ParseError final : public helm::com::Object<IXMLDOMParseError> {
public:
    explicit ParseError(Failure failure) : m_failure(std::move(failure)) {}

    HRESULT get_errorCode(long* code) override { return give(code, m_failure.code); }
    HRESULT get_url(BSTR* url) override { return give(url, m_failure.url); }
    HRESULT get_reason(BSTR* reason) override { return give(reason, m_failure.reason); }
    HRESULT get_line(long* line) override { return give(line, m_failure.line); }
    HRESULT get_linepos(long* position) override { return give(position, m_failure.column); }

private:
    static HRESULT give(long* out, long value)
    {
        if (!out)
            return E_POINTER;
        *out = value;
        return S_OK;
    }
    static HRESULT give(BSTR* out, const std::string& text)
    {
        if (!out)
            return E_POINTER;
        *out = helm::com::bstr_from_text(text);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    Failure m_failure;
};

ContentRef new_content()
{
    xmlDocPtr doc = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
    // Names are kept once in a dictionary, as in a parsed document: a file
    // of thousands of elements repeats a few dozen names.
    if (doc)
        doc->dict = xmlDictCreate();
    return std::make_shared<Content>(doc);
}

// The path of a VT_BSTR argument (read through a reference), native form.
bool file_path(const VARIANT& value, std::string& text, std::string& native)
{
    const VARIANT* v = &value;
    if (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal)
        v = v->pvarVal;
    BSTR path = nullptr;
    if (v->vt == VT_BSTR)
        path = v->bstrVal;
    else if (v->vt == (VT_BSTR | VT_BYREF) && v->pbstrVal)
        path = *v->pbstrVal;
    else
        return false;
    text = helm::com::text_from_bstr(path);
    if (text.empty())
        return false;
    native = helm::kernel::native_path(text);
    return true;
}

std::string system_reason(int err)
{
    return std::strerror(err);
}

// The value of a pseudo-attribute of the declaration's data
// ("version='1.0' encoding='ISO-8859-1'"), empty when it is missing.
std::string declaration_value(const char* data, const char* name)
{
    std::string_view text = data ? data : "";
    const std::string_view key = name;
    for (size_t at = text.find(key); at != std::string_view::npos; at = text.find(key, at + 1)) {
        size_t i = at + key.size();
        while (i < text.size() && text[i] == ' ')
            ++i;
        if (i >= text.size() || text[i] != '=')
            continue;
        ++i;
        while (i < text.size() && text[i] == ' ')
            ++i;
        if (i >= text.size() || (text[i] != '\'' && text[i] != '"'))
            continue;
        const char quote = text[i++];
        const size_t end = text.find(quote, i);
        if (end == std::string_view::npos)
            return {};
        return std::string(text.substr(i, end - i));
    }
    return {};
}

// Writes every byte or fails with errno set.
bool write_all(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += size_t(n);
    }
    return true;
}

void quiet_errors(void*, xmlErrorPtr) {}

// The first error of a parse is the one that tells the operator what is
// wrong; those after it are mostly its echoes.
struct FirstError {
    bool seen = false;
    std::string message;
    long line = 0, column = 0;
};

void keep_first_error(void* data, xmlErrorPtr error)
{
    auto* parser = static_cast<xmlParserCtxtPtr>(data);
    auto* first = parser ? static_cast<FirstError*>(parser->_private) : nullptr;
    if (!first || first->seen || !error || error->level < XML_ERR_ERROR)
        return;
    first->seen = true;
    first->message = error->message ? error->message : "";
    first->line = error->line;
    first->column = error->int2;
}

class Document final : public NodeBase<IXMLDOMDocument> {
public:
    explicit Document(ContentRef content) : NodeBase(content, reinterpret_cast<xmlNodePtr>(content->doc)) {}

    HRESULT get_documentElement(IXMLDOMElement** element) override
    {
        if (!element)
            return E_POINTER;
        return wrap_as(m_content, xmlDocGetRootElement(m_content->doc), element);
    }

    HRESULT createElement(BSTR tagName, IXMLDOMElement** element) override
    {
        if (!element)
            return E_POINTER;
        *element = nullptr;
        const std::string name = utf8_from(helm::com::view(tagName));
        if (name.empty() || xmlValidateName(reinterpret_cast<const xmlChar*>(name.c_str()), 0) != 0)
            return E_INVALIDARG;
        xmlNodePtr node = xmlNewDocNode(m_content->doc, nullptr, reinterpret_cast<const xmlChar*>(name.c_str()), nullptr);
        if (!node)
            return E_OUTOFMEMORY;
        m_content->loose.push_back(node);
        return wrap_as(m_content, node, element);
    }

    HRESULT createProcessingInstruction(BSTR target, BSTR data, IXMLDOMProcessingInstruction** pi) override
    {
        if (!pi)
            return E_POINTER;
        *pi = nullptr;
        const std::string name = utf8_from(helm::com::view(target));
        const std::u16string_view wide = helm::com::view(data);
        if (name.empty() || xmlValidateName(reinterpret_cast<const xmlChar*>(name.c_str()), 0) != 0 ||
            !is_xml_text(wide) || wide.find(u"?>") != std::u16string_view::npos)
            return E_INVALIDARG;
        const std::string text = utf8_from(wide);
        xmlNodePtr node = xmlNewDocPI(m_content->doc, reinterpret_cast<const xmlChar*>(name.c_str()),
                                      reinterpret_cast<const xmlChar*>(text.c_str()));
        if (!node)
            return E_OUTOFMEMORY;
        m_content->loose.push_back(node);
        return wrap_as(m_content, node, pi);
    }

    HRESULT get_parseError(IXMLDOMParseError** error) override
    {
        if (!error)
            return E_POINTER;
        *error = new ParseError(m_failure);
        return S_OK;
    }

    HRESULT get_async(VARIANT_BOOL* async) override
    {
        if (!async)
            return E_POINTER;
        *async = m_async;
        return S_OK;
    }
    HRESULT put_async(VARIANT_BOOL async) override
    {
        m_async = async ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

    HRESULT load(VARIANT source, VARIANT_BOOL* success) override
    {
        if (success)
            *success = VARIANT_FALSE;
        std::string path, native;
        if (!file_path(source, path, native))
            return E_INVALIDARG;
        m_failure = Failure{};
        m_failure.url = path;
        // Whatever happens, the old content is left to the nodes taken from it.
        replace_content(new_content());

        std::string bytes;
        if (!read_file(native, bytes))
            return S_FALSE;
        xmlParserCtxtPtr parser = xmlNewParserCtxt();
        if (!parser)
            return E_OUTOFMEMORY;
        FirstError first;
        parser->_private = &first;
        parser->sax->serror = keep_first_error;
        xmlDocPtr doc = xmlCtxtReadMemory(parser, bytes.data(), int(bytes.size()), native.c_str(), nullptr,
                                          XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR |
                                              XML_PARSE_NOWARNING);
        if (!doc || !parser->wellFormed) {
            const xmlError* last = xmlCtxtGetLastError(parser);
            if (!first.seen && last) {
                first.message = last->message ? last->message : "";
                first.line = last->line;
                first.column = last->int2;
            }
            m_failure.code = E_FAIL;
            m_failure.reason = first.message.empty() ? "the file is not well formed" : trimmed(first.message.c_str());
            m_failure.line = first.line;
            m_failure.column = first.column;
            if (doc)
                xmlFreeDoc(doc);
            xmlFreeParserCtxt(parser);
            return S_FALSE;
        }
        xmlFreeParserCtxt(parser);
        replace_content(std::make_shared<Content>(doc));
        if (success)
            *success = VARIANT_TRUE;
        return S_OK;
    }

    HRESULT save(VARIANT destination) override
    {
        std::string path, native;
        if (!file_path(destination, path, native))
            return E_INVALIDARG;
        m_failure = Failure{};
        m_failure.url = path;
        std::string bytes;
        if (!serialise(bytes)) {
            m_failure.code = E_FAIL;
            return E_FAIL;
        }
        const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0 || !write_all(fd, bytes) || ::fsync(fd) != 0 || ::close(fd) != 0) {
            const int err = errno;
            if (fd >= 0)
                ::close(fd);
            return file_failure(err, native, "cannot write the file: ");
        }
        return S_OK;
    }

private:
    void replace_content(ContentRef content)
    {
        xmlNodePtr node = reinterpret_cast<xmlNodePtr>(content->doc);
        rebind(std::move(content), node);
    }

    static std::string trimmed(const char* message)
    {
        std::string text = message;
        while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        return text;
    }

    HRESULT file_failure(int err, const std::string& native, const char* what)
    {
        m_failure.reason = what + system_reason(err);
        const DWORD code = helm::kernel::error_for_path(err, native);
        m_failure.code = code == ERROR_ACCESS_DENIED ? E_ACCESSDENIED : HRESULT_FROM_WIN32(code);
        return m_failure.code;
    }

    bool read_file(const std::string& native, std::string& bytes)
    {
        const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        if (fd < 0 || ::fstat(fd, &info) != 0) {
            const int err = errno;
            if (fd >= 0)
                ::close(fd);
            file_failure(err, native, "cannot read the file: ");
            return false;
        }
        if (!S_ISREG(info.st_mode) || info.st_size > max_file_bytes) {
            ::close(fd);
            m_failure.code = E_FAIL;
            m_failure.reason = S_ISREG(info.st_mode) ? "the file is larger than 64 MiB" : "not a file";
            return false;
        }
        bytes.resize(size_t(info.st_size));
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                const int err = n < 0 ? errno : EIO;
                ::close(fd);
                file_failure(err, native, "cannot read the file: ");
                return false;
            }
            done += size_t(n);
        }
        ::close(fd);
        return true;
    }

    // The document as the file holds it: the encoding of its declaration,
    // one element a line, CR LF.
    bool serialise(std::string& out)
    {
        xmlDocPtr doc = m_content->doc;
        std::string encoding = doc->encoding ? reinterpret_cast<const char*>(doc->encoding) : "";
        // Declarations made as processing instructions stand aside while
        // libxml2 writes its own declaration from them.
        struct Aside {
            xmlNodePtr node, next;
        };
        std::vector<Aside> aside;
        for (xmlNodePtr child = doc->children; child;) {
            xmlNodePtr next = child->next;
            if (child->type == XML_PI_NODE && xmlStrEqual(child->name, reinterpret_cast<const xmlChar*>("xml"))) {
                const std::string declared =
                    declaration_value(reinterpret_cast<const char*>(child->content), "encoding");
                if (!declared.empty())
                    encoding = declared;
                aside.push_back({child, next});
                xmlUnlinkNode(child);
            }
            child = next;
        }
        xmlBufferPtr buffer = xmlBufferCreate();
        xmlSetStructuredErrorFunc(nullptr, quiet_errors);
        xmlSaveCtxtPtr saver =
            buffer ? xmlSaveToBuffer(buffer, encoding.empty() ? "UTF-8" : encoding.c_str(), XML_SAVE_FORMAT) : nullptr;
        bool written = saver && xmlSaveDoc(saver, doc) >= 0;
        if (saver && xmlSaveClose(saver) < 0)
            written = false;
        xmlSetStructuredErrorFunc(nullptr, nullptr);
        for (auto it = aside.rbegin(); it != aside.rend(); ++it)
            link_child(reinterpret_cast<xmlNodePtr>(doc), it->next, it->node);
        if (!written) {
            m_failure.reason = saver ? "the document cannot be written in the encoding \"" + encoding + "\""
                                     : "unknown encoding \"" + encoding + "\"";
            if (buffer)
                xmlBufferFree(buffer);
            return false;
        }
        const char* text = reinterpret_cast<const char*>(xmlBufferContent(buffer));
        const size_t length = size_t(xmlBufferLength(buffer));
        out.clear();
        out.reserve(length + length / 16);
        for (size_t i = 0; i < length; ++i) {
            if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
                out.push_back('\r');
            out.push_back(text[i]);
        }
        xmlBufferFree(buffer);
        return true;
    }

    Failure m_failure;
    VARIANT_BOOL m_async = VARIANT_TRUE;
};

class DocumentFactory final : public helm::com::Object<IClassFactory> {
public:
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto document = helm::com::ComPtr<Document>::adopt(new Document(new_content()));
        return document->QueryInterface(riid, object);
    }
    HRESULT LockServer(BOOL) override { return S_OK; }
};

// The document's class is offered to CoCreateInstance while the library is
// loaded.
struct ClassRegistration {
    ClassRegistration()
    {
        xmlInitParser();
        auto factory = helm::com::ComPtr<DocumentFactory>::adopt(new DocumentFactory);
        CoRegisterClassObject(CLSID_DOMDocument, factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    }
    ~ClassRegistration() { CoRevokeClassObject(cookie); }
    DWORD cookie = 0;
};
ClassRegistration g_registration;

}  // namespace
}  // namespace helm::xml
