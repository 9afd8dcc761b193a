// The document object model on libxml2: a document made by class id,
// built, saved and loaded back byte for byte; selections by path as a
// table; the tree's edits and their refusals; load and save failures with
// their place and reason.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <msxml2.h>

#include <string>
#include <vector>

#include "helm/test/read_only.h"
#include "helm/test/support.h"

namespace {

using helm::com::Bstr;
using helm::com::ComPtr;
using helm::com::Variant;

ComPtr<IXMLDOMDocument> new_document()
{
    ComPtr<IXMLDOMDocument> doc;
    EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument, doc.put_void()),
              S_OK);
    return doc;
}

Variant text_value(const char* text)
{
    Variant v;
    v.vt = VT_BSTR;
    v.bstrVal = helm::com::bstr_from_text(text);
    return v;
}

Variant int_value(long value)
{
    Variant v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

Variant double_value(double value)
{
    Variant v;
    v.vt = VT_R8;
    v.dblVal = value;
    return v;
}

Variant bool_value(bool value)
{
    Variant v;
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

ComPtr<IXMLDOMElement> add_element(IXMLDOMDocument* doc, IXMLDOMNode* parent, const char* name)
{
    ComPtr<IXMLDOMElement> element;
    EXPECT_EQ(doc->createElement(Bstr(name).get(), element.put()), S_OK);
    EXPECT_EQ(parent->appendChild(element.get(), nullptr), S_OK);
    return element;
}

std::string attribute(IXMLDOMNode* node, const char* name)
{
    ComPtr<IXMLDOMElement> element;
    if (!node || FAILED(node->QueryInterface(IXMLDOMElement::iid, element.put_void())))
        return "<not an element>";
    Variant value;
    if (element->getAttribute(Bstr(name).get(), &value) != S_OK)
        return "<missing>";
    return helm::com::text_from_bstr(value.bstrVal);
}

ComPtr<IXMLDOMNode> single(IXMLDOMNode* context, const char* path)
{
    ComPtr<IXMLDOMNode> node;
    context->selectSingleNode(Bstr(path).get(), node.put());
    return node;
}

long count(IXMLDOMNode* context, const char* path)
{
    ComPtr<IXMLDOMNodeList> list;
    if (context->selectNodes(Bstr(path).get(), list.put()) != S_OK)
        return -1;
    long length = -1;
    list->get_length(&length);
    return length;
}

Variant path_value(const std::string& path)
{
    return text_value(path.c_str());
}

struct ErrorReport {
    long code = 0, line = 0, column = 0;
    std::string url, reason;
};

ErrorReport last_error(IXMLDOMDocument* doc)
{
    ComPtr<IXMLDOMParseError> error;
    EXPECT_EQ(doc->get_parseError(error.put()), S_OK);
    ErrorReport r;
    Bstr url, reason;
    error->get_errorCode(&r.code);
    error->get_line(&r.line);
    error->get_linepos(&r.column);
    error->get_url(url.put());
    error->get_reason(reason.put());
    r.url = url.text();
    r.reason = reason.text();
    return r;
}

// A document with a declaration, typed attributes and a name that only
// Windows-1252 spells, saved and loaded back.
TEST(Dom, SavesTheDeclaredEncodingAndLoadsEveryValueBack)
{
    helm::test::TempDir dir;
    const std::string file = dir.file("doc.xml");
    auto doc = new_document();
    ComPtr<IXMLDOMProcessingInstruction> pi;
    ASSERT_EQ(doc->createProcessingInstruction(Bstr("xml").get(), Bstr("version='1.0' encoding='ISO-8859-1'").get(),
                                               pi.put()),
              S_OK);
    ASSERT_EQ(doc->appendChild(pi.get(), nullptr), S_OK);
    auto root = add_element(doc.get(), doc.get(), "geometry");
    ASSERT_EQ(root->setAttribute(Bstr("name").get(), text_value("Navire \xE9t\xE9 90\xB0 \x80 & <\"quoted\">")), S_OK);
    auto mobile = add_element(doc.get(), root.get(), "mobile");
    ASSERT_EQ(mobile->setAttribute(Bstr("ID").get(), int_value(-12)), S_OK);
    ASSERT_EQ(mobile->setAttribute(Bstr("offsetX").get(), double_value(0.125)), S_OK);
    ASSERT_EQ(mobile->setAttribute(Bstr("offsetY").get(), double_value(-1234.5678901)), S_OK);
    ASSERT_EQ(mobile->setAttribute(Bstr("valid").get(), bool_value(true)), S_OK);
    ASSERT_EQ(doc->save(path_value(file)), S_OK);

    const std::string bytes = helm::test::read_file(file);
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<geometry", 0), 0u) << bytes;
    EXPECT_NE(bytes.find("\xE9t\xE9 90\xB0 &#8364; &amp; &lt;&quot;quoted&quot;&gt;"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("<mobile ID=\"-12\" offsetX=\"0.125\" offsetY=\"-1234.5678901\" valid=\"-1\"/>\r\n"),
              std::string::npos)
        << bytes;
    EXPECT_EQ(bytes.find('\n', 0) - 1, bytes.find('\r'));
    EXPECT_EQ(bytes.find("<?xml", 1), std::string::npos);  // one declaration

    auto back = new_document();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    ASSERT_EQ(back->load(path_value(file), &loaded), S_OK);
    EXPECT_EQ(loaded, VARIANT_TRUE);
    auto found = single(back.get(), "/geometry");
    ASSERT_TRUE(found);
    EXPECT_EQ(attribute(found.get(), "name"), "Navire \xE9t\xE9 90\xB0 \x80 & <\"quoted\">");
    auto m = single(found.get(), "mobile[0]");
    ASSERT_TRUE(m);
    EXPECT_EQ(attribute(m.get(), "ID"), "-12");
    EXPECT_EQ(attribute(m.get(), "offsetY"), "-1234.5678901");
    EXPECT_EQ(attribute(m.get(), "missing"), "<missing>");
    Variant valid;
    ASSERT_EQ(m.query<IXMLDOMElement>()->getAttribute(Bstr("valid").get(), &valid), S_OK);
    ASSERT_EQ(VariantChangeType(&valid, &valid, 0, VT_BOOL), S_OK);
    EXPECT_EQ(valid.boolVal, VARIANT_TRUE);

    // Saved again as loaded: the same bytes.
    const std::string again = dir.file("again.xml");
    ASSERT_EQ(back->save(path_value(again)), S_OK);
    EXPECT_EQ(helm::test::read_file(again), bytes);
}

// Positions count from 0 among the elements of one name under one parent.
TEST(Dom, SelectsByPathFromTheDocumentOrAnElement)
{
    helm::test::TempDir dir;
    const std::string file = dir.file("tree.xml");
    helm::test::write_file(file,
                           "<?xml version=\"1.0\"?>\r\n<g>\r\n"
                           " <m n=\"m0\"><e n=\"e00\"/><x/><e n=\"e01\"/></m>\r\n"
                           " <!-- a comment -->\r\n"
                           " <m n=\"m1\"><e n=\"e10\"><o n=\"o100\"/></e></m>\r\n"
                           " <m n=\"m2\"/>\r\n</g>\r\n");
    auto doc = new_document();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    ASSERT_EQ(doc->load(path_value(file), &loaded), S_OK);
    auto m1 = single(doc.get(), "g/m[1]");
    ASSERT_TRUE(m1);
    struct {
        IXMLDOMNode* context;
        const char* path;
        long count;
        const char* first;  // n of the first node, null when none
    } cases[] = {
        {doc.get(), "g/m", 3, "m0"},
        {doc.get(), "/g/m", 3, "m0"},
        {doc.get(), "g/m[2]", 1, "m2"},
        {doc.get(), "g/m[3]", 0, nullptr},
        {doc.get(), "g/m/e", 3, "e00"},
        {doc.get(), "g/m[0]/e[1]", 1, "e01"},
        {doc.get(), "g/m[1]/e[0]/o", 1, "o100"},
        {doc.get(), "g/m/e[0]", 2, "e00"},  // the first of each parent
        {doc.get(), "m", 0, nullptr},
        {doc.get(), "g/M", 0, nullptr},  // names are case-sensitive
        {m1.get(), "e", 1, "e10"},
        {m1.get(), "e[0]/o[0]", 1, "o100"},
        {m1.get(), "/g/m[0]", 1, "m0"},  // absolute from any node
        {m1.get(), "g", 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(count(c.context, c.path), c.count);
        auto node = single(c.context, c.path);
        if (c.first)
            EXPECT_EQ(attribute(node.get(), "n"), c.first);
        else
            EXPECT_FALSE(node);
    }
    for (const char* bad : {"", "/", "g/", "g//m", "g/m[", "g/m[]", "g/m[x]", "g/m[-1]", "g/m[0", "g m", "g/*",
                            "g/m[0][1]", "g/@n", "../g", "g/m[1234567890]"}) {
        SCOPED_TRACE(bad);
        ComPtr<IXMLDOMNode> node;
        EXPECT_EQ(doc->selectSingleNode(Bstr(bad).get(), node.put()), E_INVALIDARG);
        ComPtr<IXMLDOMNodeList> list;
        EXPECT_EQ(doc->selectNodes(Bstr(bad).get(), list.put()), E_INVALIDARG);
        EXPECT_FALSE(list);
    }
    ComPtr<IXMLDOMNodeList> list;
    ASSERT_EQ(doc->selectNodes(Bstr("g/m").get(), list.put()), S_OK);
    ComPtr<IXMLDOMNode> item;
    EXPECT_EQ(list->get_item(3, item.put()), S_FALSE);
    EXPECT_EQ(list->get_item(-1, item.put()), S_FALSE);
    ASSERT_EQ(list->get_item(1, item.put()), S_OK);
    EXPECT_EQ(item.get(), m1.get());  // one object per node
}

TEST(Dom, InsertsMovesAndRemovesChildrenAndRefusesWhatCannotBe)
{
    auto doc = new_document();
    auto root = add_element(doc.get(), doc.get(), "r");
    auto a = add_element(doc.get(), root.get(), "c");
    auto b = add_element(doc.get(), root.get(), "c");
    a->setAttribute(Bstr("n").get(), text_value("a"));
    b->setAttribute(Bstr("n").get(), text_value("b"));
    ComPtr<IXMLDOMElement> c;
    ASSERT_EQ(doc->createElement(Bstr("c").get(), c.put()), S_OK);
    c->setAttribute(Bstr("n").get(), text_value("c"));
    const auto order = [&] {
        std::string names;
        for (long i = 0; i < count(root.get(), "c"); ++i)
            names += attribute(single(root.get(), ("c[" + std::to_string(i) + "]").c_str()).get(), "n");
        return names;
    };
    Variant before;
    before.vt = VT_UNKNOWN;
    before.punkVal = b.get();
    b->AddRef();
    ComPtr<IXMLDOMNode> inserted;
    ASSERT_EQ(root->insertBefore(c.get(), before, inserted.put()), S_OK);
    EXPECT_EQ(inserted.get(), static_cast<IXMLDOMNode*>(c.get()));
    EXPECT_EQ(order(), "acb");
    ASSERT_EQ(root->appendChild(a.get(), nullptr), S_OK);  // moves
    EXPECT_EQ(order(), "cba");
    ComPtr<IXMLDOMNode> removed;
    ASSERT_EQ(root->removeChild(b.get(), removed.put()), S_OK);
    EXPECT_EQ(order(), "ca");
    EXPECT_EQ(root->removeChild(b.get(), nullptr), E_INVALIDARG);  // no longer its child
    ComPtr<IXMLDOMNode> parent;
    EXPECT_EQ(b->get_parentNode(parent.put()), S_FALSE);
    ASSERT_EQ(a->get_parentNode(parent.put()), S_OK);
    EXPECT_EQ(parent.get(), static_cast<IXMLDOMNode*>(root.get()));
    ASSERT_EQ(root->get_parentNode(parent.put()), S_OK);
    EXPECT_EQ(parent.get(), static_cast<IXMLDOMNode*>(doc.get()));

    // Refused: a node of another document, an ancestor, a second root, a
    // reference that is not a child, names and texts XML cannot hold.
    auto other = new_document();
    ComPtr<IXMLDOMElement> foreign;
    ASSERT_EQ(other->createElement(Bstr("f").get(), foreign.put()), S_OK);
    EXPECT_EQ(root->appendChild(foreign.get(), nullptr), E_INVALIDARG);
    EXPECT_EQ(a->appendChild(root.get(), nullptr), E_INVALIDARG);
    EXPECT_EQ(a->appendChild(a.get(), nullptr), E_INVALIDARG);
    ComPtr<IXMLDOMElement> second;
    ASSERT_EQ(doc->createElement(Bstr("second").get(), second.put()), S_OK);
    EXPECT_EQ(doc->appendChild(second.get(), nullptr), E_INVALIDARG);
    EXPECT_EQ(root->insertBefore(second.get(), before, nullptr), E_INVALIDARG);  // b is gone from root
    ComPtr<IXMLDOMElement> refused;
    EXPECT_EQ(doc->createElement(Bstr("1abc").get(), refused.put()), E_INVALIDARG);
    EXPECT_EQ(doc->createElement(Bstr("").get(), refused.put()), E_INVALIDARG);
    EXPECT_EQ(a->setAttribute(Bstr("a b").get(), text_value("x")), E_INVALIDARG);
    EXPECT_EQ(a->setAttribute(Bstr("ctl").get(), text_value("bell\x07")), E_INVALIDARG);
    EXPECT_EQ(attribute(a.get(), "ctl"), "<missing>");
    ComPtr<IXMLDOMProcessingInstruction> pi;
    EXPECT_EQ(doc->createProcessingInstruction(Bstr("p").get(), Bstr("ends ?> early").get(), pi.put()), E_INVALIDARG);
}

// Nodes taken before a load stay usable (they belong to the old content);
// the document shows the new one.
TEST(Dom, NodesTakenBeforeALoadOutliveIt)
{
    helm::test::TempDir dir;
    helm::test::write_file(dir.file("new.xml"), "<new><n/></new>");
    auto doc = new_document();
    auto root = add_element(doc.get(), doc.get(), "old");
    auto child = add_element(doc.get(), root.get(), "child");
    ComPtr<IXMLDOMElement> loose;
    ASSERT_EQ(doc->createElement(Bstr("loose").get(), loose.put()), S_OK);
    ASSERT_EQ(root->removeChild(child.get(), nullptr), S_OK);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    ASSERT_EQ(doc->load(path_value(dir.file("new.xml")), &loaded), S_OK);
    EXPECT_EQ(count(doc.get(), "new/n"), 1);
    EXPECT_EQ(count(doc.get(), "old"), 0);
    EXPECT_EQ(root->appendChild(child.get(), nullptr), S_OK);  // within the old content
    EXPECT_EQ(count(root.get(), "child"), 1);
    EXPECT_EQ(doc->appendChild(loose.get(), nullptr), E_INVALIDARG);  // made for the old content
    ComPtr<IXMLDOMElement> element;
    ASSERT_EQ(doc->get_documentElement(element.put()), S_OK);
    Bstr name;
    element->get_tagName(name.put());
    EXPECT_EQ(name.text(), "new");
}

TEST(Dom, LoadFailuresTellWhereAndWhy)
{
    helm::test::TempDir dir;
    const std::string good = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<g a=\"1\">\r\n<m/>\r\n</g>\r\n";
    helm::test::write_file(dir.file("malformed.xml"), "<?xml version=\"1.0\"?>\r\n<g>\r\n  <m a=\"1\" a=\"2\"/>\r\n</g>\r\n");
    helm::test::write_file(dir.file("truncated.xml"), good.substr(0, good.size() / 2));
    helm::test::write_file(dir.file("empty.xml"), "");
    helm::test::write_file(dir.file("garbage.xml"), std::string("\x00\xFF\xFEzz", 5));
    struct {
        const char* file;
        long line;  // 0: the file itself
        const char* reason;
    } cases[] = {
        {"missing.xml", 0, "No such file"},
        {"malformed.xml", 3, "redefined"},
        {"truncated.xml", 1, ""},
        {"empty.xml", 1, ""},
        {"garbage.xml", 1, ""},
        {".", 0, "not a file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        auto doc = new_document();
        add_element(doc.get(), doc.get(), "before");
        VARIANT_BOOL loaded = VARIANT_TRUE;
        const std::string path = dir.file(c.file);
        EXPECT_EQ(doc->load(path_value(path), &loaded), S_FALSE);
        EXPECT_EQ(loaded, VARIANT_FALSE);
        EXPECT_EQ(count(doc.get(), "before"), 0);  // the content is empty
        const ErrorReport error = last_error(doc.get());
        EXPECT_NE(error.code, 0);
        EXPECT_EQ(error.url, path);
        EXPECT_NE(error.reason.find(c.reason), std::string::npos) << error.reason;
        EXPECT_FALSE(error.reason.empty());
        if (c.line) {
            EXPECT_GE(error.line, c.line);
            EXPECT_GT(error.column, 0);
        } else {
            EXPECT_EQ(error.line, 0);
        }
    }
    auto doc = new_document();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    helm::test::write_file(dir.file("good.xml"), good);
    ASSERT_EQ(doc->load(path_value(dir.file("good.xml")), &loaded), S_OK);
    EXPECT_EQ(last_error(doc.get()).code, 0);
    EXPECT_EQ(last_error(doc.get()).reason, "");
    Variant number = int_value(3);
    EXPECT_EQ(doc->load(number, &loaded), E_INVALIDARG);
}

TEST(Dom, SaveFailuresLeaveTheOldFileAndTellWhy)
{
    helm::test::TempDir dir;
    const std::string folder = dir.file("locked");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string file = folder + "/doc.xml";
    helm::test::write_file(file, "<old/>");
    auto doc = new_document();
    add_element(doc.get(), doc.get(), "new");
    {
        helm::test::ReadOnly locked_file(file), locked_folder(folder);
        ASSERT_TRUE(locked_file.holds() && locked_folder.holds()) << "nothing keeps this user from writing";
        EXPECT_EQ(doc->save(path_value(file)), E_ACCESSDENIED);
    }
    const ErrorReport error = last_error(doc.get());
    EXPECT_EQ(error.url, file);
    EXPECT_NE(error.reason.find("cannot write the file"), std::string::npos) << error.reason;
    EXPECT_EQ(helm::test::read_file(file), "<old/>");
    EXPECT_EQ(doc->save(path_value(dir.file("no/such/dir/doc.xml"))), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));

    // An encoding nobody knows is refused before any file is touched.
    ComPtr<IXMLDOMProcessingInstruction> pi;
    ASSERT_EQ(doc->createProcessingInstruction(Bstr("xml").get(), Bstr("version='1.0' encoding='NO-SUCH'").get(),
                                               pi.put()),
              S_OK);
    ComPtr<IXMLDOMNode> first;
    doc->get_firstChild(first.put());
    Variant before;
    before.vt = VT_UNKNOWN;
    before.punkVal = first.detach();
    ASSERT_EQ(doc->insertBefore(pi.get(), before, nullptr), S_OK);
    EXPECT_EQ(doc->save(path_value(dir.file("enc.xml"))), E_FAIL);
    EXPECT_NE(last_error(doc.get()).reason.find("NO-SUCH"), std::string::npos);
    EXPECT_EQ(GetFileAttributes(dir.file("enc.xml").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
