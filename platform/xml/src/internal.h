// What the document, its nodes and their lists share: the libxml2 tree
// they wrap, the one wrapper object per node, and text between the
// system's strings and libxml2's UTF-8.
#pragma once

#include <libxml/tree.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "helm/xml/dom.h"

namespace helm::xml {

// One libxml2 document and the nodes made for it but not (or no longer) in
// its tree. Everything goes when the last object that uses it goes, so a
// node taken before a load stays valid with the content it came from.
struct Content {
    explicit Content(xmlDocPtr document) : doc(document) {}
    ~Content();
    Content(const Content&) = delete;
    Content& operator=(const Content&) = delete;

    xmlDocPtr doc;
    // Made by createElement and its kin, or removed from the tree: freed
    // with the content unless they stand in a tree then.
    std::vector<xmlNodePtr> loose;
};
using ContentRef = std::shared_ptr<Content>;

// How a node object of this library shows its libxml2 node (asked for by
// QueryInterface, so a foreign node is refused).
struct NodeAccess : IUnknown {
    static constexpr IID iid = {0x8D0A6C01, 0x51E2, 0x4C4B, {0x9E, 0x0B, 0x61, 0x3A, 0x21, 0x5C, 0x70, 0x7F}};
    virtual xmlNodePtr xml_node() = 0;
    virtual Content* content() = 0;

protected:
    ~NodeAccess() = default;
};

// The object for `node` (the one already made, or a new one), with a
// reference for the caller; S_FALSE and null for a null node.
HRESULT wrap(const ContentRef& content, xmlNodePtr node, IXMLDOMNode** out);
template <class I>
HRESULT wrap_as(const ContentRef& content, xmlNodePtr node, I** out)
{
    *out = nullptr;
    helm::com::ComPtr<IXMLDOMNode> node_object;
    HRESULT hr = wrap(content, node, node_object.put());
    if (hr != S_OK)
        return hr;
    return node_object->QueryInterface(I::iid, reinterpret_cast<void**>(out));
}

// A list of the nodes a selection found, in document order.
HRESULT make_node_list(const ContentRef& content, std::vector<xmlNodePtr> nodes, IXMLDOMNodeList** out);

// Paths: steps of names, each with an optional position from 0.
struct PathStep {
    std::string name;  // UTF-8
    long position = -1;
};
struct Path {
    bool absolute = false;
    std::vector<PathStep> steps;
};
std::optional<Path> parse_path(std::string_view utf8);
std::vector<xmlNodePtr> select(xmlNodePtr context, const Path& path, bool first_only);

// Text: UTF-16 (BSTR) to UTF-8 and back; unpaired surrogates become U+FFFD.
std::string utf8_from(std::u16string_view text);
std::u16string utf16_from(std::string_view utf8);
BSTR bstr_from_utf8(const xmlChar* text);
// True when every character may stand in an XML 1.0 document.
bool is_xml_text(std::u16string_view text);

// Puts `node` into `parent` before `before` (appended when null), without
// libxml2's merging of neighbouring texts, which would free a node that
// has an object.
void link_child(xmlNodePtr parent, xmlNodePtr before, xmlNodePtr node);

}  // namespace helm::xml
