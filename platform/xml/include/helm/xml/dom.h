// The XML document object model the system's code uses, in place of the
// Windows XML library: a document made by class id (CLSID_DOMDocument),
// elements and processing instructions made and put into the tree, files
// loaded and saved, nodes selected by path, attributes read and set.
//
// Names, results and argument forms are those of the Windows interfaces
// (BSTR names, VARIANT values, S_FALSE for "nothing there"); the interfaces
// derive from IUnknown only, as nothing calls them by dispatch id.
//
// Paths are the Windows library's default pattern language, reduced to what
// the system writes: steps of element names separated by "/", each with an
// optional position "[n]" counted from 0 among the elements of that name
// under one parent; a leading "/" starts at the document. Anything else is
// refused with E_INVALIDARG.
#pragma once

#include <windows.h>

typedef enum tagDOMNodeType {
    NODE_INVALID = 0,
    NODE_ELEMENT = 1,
    NODE_ATTRIBUTE = 2,
    NODE_TEXT = 3,
    NODE_CDATA_SECTION = 4,
    NODE_ENTITY_REFERENCE = 5,
    NODE_ENTITY = 6,
    NODE_PROCESSING_INSTRUCTION = 7,
    NODE_COMMENT = 8,
    NODE_DOCUMENT = 9,
    NODE_DOCUMENT_TYPE = 10,
    NODE_DOCUMENT_FRAGMENT = 11,
    NODE_NOTATION = 12,
} DOMNodeType;

struct IXMLDOMNodeList;

struct IXMLDOMNode : IUnknown {
    static constexpr IID iid = {0x8D0A6C01, 0x51E2, 0x4C4B, {0x9E, 0x0B, 0x61, 0x3A, 0x21, 0x5C, 0x70, 0x01}};
    virtual HRESULT get_nodeName(BSTR* name) = 0;
    virtual HRESULT get_nodeType(DOMNodeType* type) = 0;
    // S_FALSE and null when there is none.
    virtual HRESULT get_parentNode(IXMLDOMNode** parent) = 0;
    virtual HRESULT get_firstChild(IXMLDOMNode** child) = 0;
    // `refChild` is the child to insert before (VT_UNKNOWN or VT_DISPATCH),
    // or empty or null to append. A node of another document, the node
    // itself or one of its ancestors is refused (E_INVALIDARG), as is a
    // second element or a text at the document's top. A node already in
    // the tree moves. `out` (may be null) is the inserted node.
    virtual HRESULT insertBefore(IXMLDOMNode* newChild, VARIANT refChild, IXMLDOMNode** out) = 0;
    // E_INVALIDARG when `child` is not a child of this node.
    virtual HRESULT removeChild(IXMLDOMNode* child, IXMLDOMNode** out) = 0;
    virtual HRESULT appendChild(IXMLDOMNode* newChild, IXMLDOMNode** out) = 0;
    // The elements the path selects, in document order (maybe none).
    virtual HRESULT selectNodes(BSTR path, IXMLDOMNodeList** list) = 0;
    // The first of them; S_FALSE and null when there is none.
    virtual HRESULT selectSingleNode(BSTR path, IXMLDOMNode** node) = 0;

protected:
    ~IXMLDOMNode() = default;
};

struct IXMLDOMNodeList : IUnknown {
    static constexpr IID iid = {0x8D0A6C01, 0x51E2, 0x4C4B, {0x9E, 0x0B, 0x61, 0x3A, 0x21, 0x5C, 0x70, 0x02}};
    // S_FALSE and null for an index outside the list.
    virtual HRESULT get_item(long index, IXMLDOMNode** node) = 0;
    virtual HRESULT get_length(long* length) = 0;

protected:
    ~IXMLDOMNodeList() = default;
};

struct IXMLDOMElement : IXMLDOMNode {
    static constexpr IID iid = {0x8D0A6C01, 0x51E2, 0x4C4B, {0x9E, 0x0B, 0x61, 0x3A, 0x21, 0x5C, 0x70, 0x03}};
    using base_interface = IXMLDOMNode;
    virtual HRESULT get_tagName(BSTR* name) = 0;
    // The value as a VT_BSTR; S_FALSE and VT_NULL when the element has no
    // such attribute.
    virtual HRESULT getAttribute(BSTR name, VARIANT* value) = 0;
    // The value is changed to text first (VariantChangeType to VT_BSTR, the
    // C locale: integers in decimal, doubles with 15 significant digits,
    // booleans -1 and 0). A name that is no XML name is refused.
    virtual HRESULT setAttribute(BSTR name, VARIANT value) = 0;

protected:
    ~IXMLDOMElement() = default;
};

struct IXMLDOMProcessingInstruction : IXMLDOMNode {
    static constexpr IID iid = {0x8D0A6C01, 0x51E2, 0x4C4B, {0x9E, 0x0B, 0x61, 0x3A, 0x21, 0x5C, 0x70, 0x04}};
    using base_interface = IXMLDOMNode;
    virtual HRESULT get_target(BSTR* target) = 0;
    virtual HRESULT get_data(BSTR* data) = 0;

protected:
    ~IXMLDOMProcessingInstruction() = default;
};

// What went wrong in the last load or save of the document: errorCode 0
// and empty texts when it succeeded. `url` is the file, `line` and
// `linepos` (from 1) the place of a parse error, 0 for a file that could
// not be read or written.
struct IXMLDOMParseError : IUnknown {
    static constexpr IID iid = {0x8D0A6C01, 0x51E2, 0x4C4B, {0x9E, 0x0B, 0x61, 0x3A, 0x21, 0x5C, 0x70, 0x05}};
    virtual HRESULT get_errorCode(long* code) = 0;
    virtual HRESULT get_url(BSTR* url) = 0;
    virtual HRESULT get_reason(BSTR* reason) = 0;
    virtual HRESULT get_line(long* line) = 0;
    virtual HRESULT get_linepos(long* position) = 0;

protected:
    ~IXMLDOMParseError() = default;
};

struct IXMLDOMDocument : IXMLDOMNode {
    static constexpr IID iid = {0x8D0A6C01, 0x51E2, 0x4C4B, {0x9E, 0x0B, 0x61, 0x3A, 0x21, 0x5C, 0x70, 0x06}};
    using base_interface = IXMLDOMNode;
    // S_FALSE and null while the document has no element.
    virtual HRESULT get_documentElement(IXMLDOMElement** element) = 0;
    // A new element of this document, in no place of the tree yet.
    virtual HRESULT createElement(BSTR tagName, IXMLDOMElement** element) = 0;
    // The target "xml" makes the document's declaration: its data
    // ("version='1.0' encoding='ISO-8859-1'") chooses the encoding of save.
    virtual HRESULT createProcessingInstruction(BSTR target, BSTR data, IXMLDOMProcessingInstruction** pi) = 0;
    virtual HRESULT get_parseError(IXMLDOMParseError** error) = 0;
    // Loading is always synchronous here; the flag is kept and read back.
    virtual HRESULT get_async(VARIANT_BOOL* async) = 0;
    virtual HRESULT put_async(VARIANT_BOOL async) = 0;
    // `source` is a file path (VT_BSTR). On success the file's tree
    // replaces the document's content (nodes taken earlier stay usable but
    // belong to the old content). On failure (no file, not well formed, more
    // than 64 MiB) the content is empty, *success VARIANT_FALSE, the result
    // S_FALSE and parseError tells why and where.
    virtual HRESULT load(VARIANT source, VARIANT_BOOL* success) = 0;
    // `destination` is a file path (VT_BSTR), written in the declared
    // encoding (UTF-8 without a declaration), one element a line, lines
    // ending with CR LF; characters the encoding lacks become character
    // references. A file that cannot be written gives HRESULT_FROM_WIN32 of
    // the error (E_ACCESSDENIED for want of permission), with parseError
    // telling why.
    virtual HRESULT save(VARIANT destination) = 0;

protected:
    ~IXMLDOMDocument() = default;
};

// {F6D90F11-9C73-11D3-B32E-00C04F990BB4}: the document's class, offered
// by this library to CoCreateInstance in every process that loads it.
inline constexpr CLSID CLSID_DOMDocument = {0xF6D90F11, 0x9C73, 0x11D3, {0xB3, 0x2E, 0x00, 0xC0, 0x4F, 0x99, 0x0B, 0xB4}};
inline constexpr IID IID_IXMLDOMDocument = IXMLDOMDocument::iid;
inline constexpr IID IID_IXMLDOMNode = IXMLDOMNode::iid;
inline constexpr IID IID_IXMLDOMElement = IXMLDOMElement::iid;
