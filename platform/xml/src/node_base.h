// The one implementation of IXMLDOMNode that elements, processing
// instructions, other nodes and the document share. Each libxml2 node has
// at most one object, found through the node's _private field.
#pragma once

#include "internal.h"

namespace helm::xml {

template <class Interface>
class NodeBase : public helm::com::Object<Interface, NodeAccess> {
public:
    NodeBase(ContentRef content, xmlNodePtr node) : m_content(std::move(content)), m_node(node)
    {
        attach();
    }
    ~NodeBase() override { detach(); }

    xmlNodePtr xml_node() override { return m_node; }
    Content* content() override { return m_content.get(); }

    HRESULT get_nodeName(BSTR* name) override
    {
        if (!name)
            return E_POINTER;
        const char* fixed = nullptr;
        switch (m_node->type) {
        case XML_DOCUMENT_NODE: fixed = "#document"; break;
        case XML_TEXT_NODE: fixed = "#text"; break;
        case XML_CDATA_SECTION_NODE: fixed = "#cdata-section"; break;
        case XML_COMMENT_NODE: fixed = "#comment"; break;
        default: break;
        }
        if (fixed) {
            *name = bstr_from_utf8(reinterpret_cast<const xmlChar*>(fixed));
        } else if (m_node->ns && m_node->ns->prefix) {
            std::string qualified = reinterpret_cast<const char*>(m_node->ns->prefix);
            qualified += ':';
            qualified += reinterpret_cast<const char*>(m_node->name);
            *name = bstr_from_utf8(reinterpret_cast<const xmlChar*>(qualified.c_str()));
        } else {
            *name = bstr_from_utf8(m_node->name);
        }
        return *name ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT get_nodeType(DOMNodeType* type) override
    {
        if (!type)
            return E_POINTER;
        switch (m_node->type) {
        case XML_ELEMENT_NODE: *type = NODE_ELEMENT; break;
        case XML_ATTRIBUTE_NODE: *type = NODE_ATTRIBUTE; break;
        case XML_TEXT_NODE: *type = NODE_TEXT; break;
        case XML_CDATA_SECTION_NODE: *type = NODE_CDATA_SECTION; break;
        case XML_ENTITY_REF_NODE: *type = NODE_ENTITY_REFERENCE; break;
        case XML_PI_NODE: *type = NODE_PROCESSING_INSTRUCTION; break;
        case XML_COMMENT_NODE: *type = NODE_COMMENT; break;
        case XML_DOCUMENT_NODE: *type = NODE_DOCUMENT; break;
        case XML_DTD_NODE: *type = NODE_DOCUMENT_TYPE; break;
        default: *type = NODE_INVALID; break;
        }
        return S_OK;
    }

    HRESULT get_parentNode(IXMLDOMNode** parent) override
    {
        if (!parent)
            return E_POINTER;
        return wrap(m_content, m_node->type == XML_DOCUMENT_NODE ? nullptr : m_node->parent, parent);
    }

    HRESULT get_firstChild(IXMLDOMNode** child) override
    {
        if (!child)
            return E_POINTER;
        return wrap(m_content, has_children() ? m_node->children : nullptr, child);
    }

    HRESULT insertBefore(IXMLDOMNode* newChild, VARIANT refChild, IXMLDOMNode** out) override
    {
        if (out)
            *out = nullptr;
        if (!newChild)
            return E_INVALIDARG;
        if (!has_children())
            return E_FAIL;
        xmlNodePtr node = node_of(newChild);
        if (!node || node->type == XML_DOCUMENT_NODE || node->doc != m_node->doc)
            return E_INVALIDARG;
        for (xmlNodePtr up = m_node; up; up = up->parent) {
            if (up == node)
                return E_INVALIDARG;
        }
        xmlNodePtr before = nullptr;
        if (refChild.vt == VT_UNKNOWN || refChild.vt == VT_DISPATCH) {
            if (refChild.punkVal) {
                before = node_of(refChild.punkVal);
                if (!before || before->parent != m_node)
                    return E_INVALIDARG;
            }
        } else if (refChild.vt != VT_EMPTY && refChild.vt != VT_NULL) {
            return E_INVALIDARG;
        }
        if (m_node->type == XML_DOCUMENT_NODE && !allowed_at_top(node))
            return E_INVALIDARG;
        if (before == node)
            return out ? wrap(m_content, node, out) : S_OK;
        if (node->parent)
            xmlUnlinkNode(node);
        link_child(m_node, before, node);
        return out ? wrap(m_content, node, out) : S_OK;
    }

    HRESULT removeChild(IXMLDOMNode* child, IXMLDOMNode** out) override
    {
        if (out)
            *out = nullptr;
        xmlNodePtr node = child ? node_of(child) : nullptr;
        if (!node || node->parent != m_node)
            return E_INVALIDARG;
        xmlUnlinkNode(node);
        m_content->loose.push_back(node);
        return out ? wrap(m_content, node, out) : S_OK;
    }

    HRESULT appendChild(IXMLDOMNode* newChild, IXMLDOMNode** out) override
    {
        VARIANT none;
        VariantInit(&none);
        return insertBefore(newChild, none, out);
    }

    HRESULT selectNodes(BSTR path, IXMLDOMNodeList** list) override
    {
        if (!list)
            return E_POINTER;
        *list = nullptr;
        auto parsed = parse_path(utf8_from(helm::com::view(path)));
        if (!parsed)
            return E_INVALIDARG;
        return make_node_list(m_content, select(m_node, *parsed, false), list);
    }

    HRESULT selectSingleNode(BSTR path, IXMLDOMNode** node) override
    {
        if (!node)
            return E_POINTER;
        *node = nullptr;
        auto parsed = parse_path(utf8_from(helm::com::view(path)));
        if (!parsed)
            return E_INVALIDARG;
        auto found = select(m_node, *parsed, true);
        return wrap(m_content, found.empty() ? nullptr : found.front(), node);
    }

protected:
    // The document object moves to a new content when it loads a file.
    void rebind(ContentRef content, xmlNodePtr node)
    {
        detach();
        m_content = std::move(content);
        m_node = node;
        attach();
    }

    ContentRef m_content;
    xmlNodePtr m_node;

private:
    bool has_children() const { return m_node->type == XML_ELEMENT_NODE || m_node->type == XML_DOCUMENT_NODE; }

    // A document holds one element at most, and no text.
    bool allowed_at_top(xmlNodePtr node) const
    {
        if (node->type == XML_PI_NODE || node->type == XML_COMMENT_NODE)
            return true;
        if (node->type != XML_ELEMENT_NODE)
            return false;
        for (xmlNodePtr child = m_node->children; child; child = child->next) {
            if (child->type == XML_ELEMENT_NODE && child != node)
                return false;
        }
        return true;
    }

    static xmlNodePtr node_of(IUnknown* object)
    {
        helm::com::ComPtr<NodeAccess> access;
        if (FAILED(object->QueryInterface(NodeAccess::iid, access.put_void())) || !access)
            return nullptr;
        return access->xml_node();
    }

    void attach() { m_node->_private = static_cast<IXMLDOMNode*>(this); }
    void detach()
    {
        if (m_node->_private == static_cast<IXMLDOMNode*>(this))
            m_node->_private = nullptr;
    }
};

}  // namespace helm::xml
