#include <libxml/parser.h>

#include <algorithm>

#include "node_base.h"

namespace helm::xml {
namespace {

class Element final : public NodeBase<IXMLDOMElement> {
public:
    using NodeBase::NodeBase;

    HRESULT get_tagName(BSTR* name) override { return get_nodeName(name); }

    HRESULT getAttribute(BSTR name, VARIANT* value) override
    {
        if (!value)
            return E_POINTER;
        VariantInit(value);
        const std::string key = utf8_from(helm::com::view(name));
        xmlAttrPtr attribute = xmlHasProp(m_node, reinterpret_cast<const xmlChar*>(key.c_str()));
        if (!attribute || attribute->type != XML_ATTRIBUTE_NODE) {
            value->vt = VT_NULL;
            return S_FALSE;
        }
        // An attribute is one text as a rule: read in place, else joined.
        xmlNodePtr child = attribute->children;
        if (!child || (child->type == XML_TEXT_NODE && !child->next)) {
            value->bstrVal = bstr_from_utf8(child ? child->content : nullptr);
        } else {
            xmlChar* text = xmlNodeListGetString(m_node->doc, child, 1);
            value->bstrVal = bstr_from_utf8(text);
            xmlFree(text);
        }
        if (!value->bstrVal)
            return E_OUTOFMEMORY;
        value->vt = VT_BSTR;
        return S_OK;
    }

    HRESULT setAttribute(BSTR name, VARIANT value) override
    {
        const std::string key = utf8_from(helm::com::view(name));
        if (key.empty() || xmlValidateName(reinterpret_cast<const xmlChar*>(key.c_str()), 0) != 0)
            return E_INVALIDARG;
        helm::com::Variant text;
        BSTR given = value.vt == VT_BSTR ? value.bstrVal : nullptr;
        if (value.vt != VT_BSTR) {
            HRESULT hr = VariantChangeType(&text, &value, 0, VT_BSTR);
            if (FAILED(hr))
                return hr;
            given = text.bstrVal;
        }
        const std::u16string_view wide = helm::com::view(given);
        if (!is_xml_text(wide))
            return E_INVALIDARG;
        const std::string bytes = utf8_from(wide);
        xmlSetProp(m_node, reinterpret_cast<const xmlChar*>(key.c_str()),
                   reinterpret_cast<const xmlChar*>(bytes.c_str()));
        return S_OK;
    }
};

class Instruction final : public NodeBase<IXMLDOMProcessingInstruction> {
public:
    using NodeBase::NodeBase;

    HRESULT get_target(BSTR* target) override { return get_nodeName(target); }
    HRESULT get_data(BSTR* data) override
    {
        if (!data)
            return E_POINTER;
        *data = bstr_from_utf8(m_node->content);
        return *data ? S_OK : E_OUTOFMEMORY;
    }
};

class OtherNode final : public NodeBase<IXMLDOMNode> {
public:
    using NodeBase::NodeBase;
};

class NodeList final : public helm::com::Object<IXMLDOMNodeList> {
public:
    NodeList(ContentRef content, std::vector<xmlNodePtr> nodes)
        : m_content(std::move(content)), m_nodes(std::move(nodes))
    {
    }

    HRESULT get_item(long index, IXMLDOMNode** node) override
    {
        if (!node)
            return E_POINTER;
        *node = nullptr;
        if (index < 0 || size_t(index) >= m_nodes.size())
            return S_FALSE;
        return wrap(m_content, m_nodes[size_t(index)], node);
    }
    HRESULT get_length(long* length) override
    {
        if (!length)
            return E_POINTER;
        *length = long(m_nodes.size());
        return S_OK;
    }

private:
    ContentRef m_content;
    std::vector<xmlNodePtr> m_nodes;
};

}  // namespace

Content::~Content()
{
    // Loose nodes that stand in no tree now are freed on their own (before
    // the document, whose dictionary their names may come from); those put
    // into a tree since go with it. Their parents are looked at before
    // anything is freed.
    // A node made loose twice (made, put in, taken out) is listed twice.
    std::sort(loose.begin(), loose.end());
    loose.erase(std::unique(loose.begin(), loose.end()), loose.end());
    std::vector<xmlNodePtr> alone;
    for (xmlNodePtr node : loose) {
        if (!node->parent)
            alone.push_back(node);
    }
    for (xmlNodePtr node : alone)
        xmlFreeNode(node);
    xmlFreeDoc(doc);
}

HRESULT wrap(const ContentRef& content, xmlNodePtr node, IXMLDOMNode** out)
{
    *out = nullptr;
    if (!node)
        return S_FALSE;
    if (node->_private) {
        *out = static_cast<IXMLDOMNode*>(node->_private);
        (*out)->AddRef();
        return S_OK;
    }
    switch (node->type) {
    case XML_ELEMENT_NODE: *out = new Element(content, node); break;
    case XML_PI_NODE: *out = new Instruction(content, node); break;
    default: *out = new OtherNode(content, node); break;
    }
    return S_OK;
}

HRESULT make_node_list(const ContentRef& content, std::vector<xmlNodePtr> nodes, IXMLDOMNodeList** out)
{
    *out = new NodeList(content, std::move(nodes));
    return S_OK;
}

void link_child(xmlNodePtr parent, xmlNodePtr before, xmlNodePtr node)
{
    node->parent = parent;
    if (before) {
        node->next = before;
        node->prev = before->prev;
        if (before->prev)
            before->prev->next = node;
        else
            parent->children = node;
        before->prev = node;
    } else {
        node->next = nullptr;
        node->prev = parent->last;
        if (parent->last)
            parent->last->next = node;
        else
            parent->children = node;
        parent->last = node;
    }
}

}  // namespace helm::xml
