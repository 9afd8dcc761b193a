// Resources compiled from resources_test.rc into this program and from
// resources_lib.rc into a library: dialog templates byte by byte, strings in
// both languages with their fallback, images, the version block, per-module
// look-up, and damaged data read without harm.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <windows.h>

#include "helm/user/controls.h"
#include "resources_test_ids.h"

namespace {

// Reads a template the way the dialog manager does, checking every step
// against the resource's size.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, DWORD size) : m_data(data), m_size(size) {}

    WORD word()
    {
        EXPECT_LE(m_at + 2, m_size);
        if (m_at + 2 > m_size)
            return 0;
        const WORD v = static_cast<WORD>(m_data[m_at] | (m_data[m_at + 1] << 8));
        m_at += 2;
        return v;
    }
    DWORD dword()
    {
        const DWORD low = word();
        return low | (static_cast<DWORD>(word()) << 16);
    }
    short coordinate() { return static_cast<short>(word()); }
    BYTE byte()
    {
        EXPECT_LT(m_at, m_size);
        return m_at < m_size ? m_data[m_at++] : 0;
    }
    std::u16string text()
    {
        std::u16string out;
        for (WORD c = word(); c != 0 && m_at <= m_size; c = word())
            out += static_cast<char16_t>(c);
        return out;
    }
    // A name-or-ordinal field: "#<n>" for an ordinal, else the text.
    std::u16string name_or_ordinal()
    {
        if (m_at + 2 <= m_size && m_data[m_at] == 0xFF && m_data[m_at + 1] == 0xFF) {
            word();
            const std::string n = "#" + std::to_string(word());
            return std::u16string(n.begin(), n.end());
        }
        return text();
    }
    void align_dword() { m_at = (m_at + 3) & ~size_t{3}; }
    size_t offset() const { return m_at; }

private:
    const BYTE* m_data;
    DWORD m_size;
    size_t m_at = 0;
};

struct Item {
    DWORD help_id, ex_style, style;
    short x, y, cx, cy;
    DWORD id;
    std::u16string class_name, title;
};

Item read_item(TemplateReader& r)
{
    r.align_dword();
    EXPECT_EQ(r.offset() % 4, 0u);
    Item item{};
    item.help_id = r.dword();
    item.ex_style = r.dword();
    item.style = r.dword();
    item.x = r.coordinate();
    item.y = r.coordinate();
    item.cx = r.coordinate();
    item.cy = r.coordinate();
    item.id = r.dword();
    item.class_name = r.name_or_ordinal();
    item.title = r.name_or_ordinal();
    EXPECT_EQ(r.word(), 0) << "creation data";
    return item;
}

struct Resource {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

Resource load(HMODULE module, LPCSTR name, LPCSTR type)
{
    HRSRC found = FindResource(module, name, type);
    if (!found)
        return {};
    HGLOBAL handle = LoadResource(module, found);
    return {static_cast<const BYTE*>(LockResource(handle)), SizeofResource(module, found)};
}

std::string load_string(HMODULE module, UINT id, int size = 256)
{
    std::vector<char> buffer(static_cast<size_t>(size) + 1, 'X');
    const int n = LoadString(module, id, buffer.data(), size);
    EXPECT_EQ(static_cast<size_t>(n), std::strlen(buffer.data()));
    return std::string(buffer.data(), static_cast<size_t>(n));
}

constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr LANGID kFrench = MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH);

class ResourcesTest : public ::testing::Test {
protected:
    void SetUp() override { SetThreadUILanguage(kEnglish); }
    void TearDown() override { SetThreadUILanguage(0); }
};

TEST_F(ResourcesTest, DialogTemplateHoldsEveryFieldInTheExtendedForm)
{
    const Resource dialog = load(nullptr, MAKEINTRESOURCE(IDD_EVENT_MARK), RT_DIALOG);
    ASSERT_NE(dialog.data, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(dialog.data) % 4, 0u);
    TemplateReader r(dialog.data, dialog.size);
    EXPECT_EQ(r.word(), 1);       // version
    EXPECT_EQ(r.word(), 0xFFFF);  // extended form
    EXPECT_EQ(r.dword(), 0u);     // help id
    EXPECT_EQ(r.dword(), 0u);     // extended style
    EXPECT_EQ(r.dword(), DWORD(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU));
    EXPECT_EQ(r.word(), 4);
    EXPECT_EQ(r.coordinate(), 0);
    EXPECT_EQ(r.coordinate(), 0);
    EXPECT_EQ(r.coordinate(), 186);
    EXPECT_EQ(r.coordinate(), 82);
    EXPECT_EQ(r.name_or_ordinal(), u"");  // menu
    EXPECT_EQ(r.name_or_ordinal(), u"");  // class
    EXPECT_EQ(r.text(), u"Event Mark");
    EXPECT_EQ(r.word(), 8);  // points
    EXPECT_EQ(r.word(), 0);  // weight
    EXPECT_EQ(r.byte(), 0);  // italic
    EXPECT_EQ(r.byte(), 1);  // character set
    EXPECT_EQ(r.text(), u"MS Sans Serif");

    const Item date = read_item(r);
    EXPECT_EQ(date.id, DWORD(IDC_MARK_DATE));
    EXPECT_EQ(date.style, DWORD(WS_CHILD | WS_VISIBLE | SS_LEFT | WS_GROUP));
    EXPECT_EQ(date.class_name, u"#130");
    EXPECT_EQ(date.title, u"");
    EXPECT_EQ((std::vector<short>{date.x, date.y, date.cx, date.cy}), (std::vector<short>{6, 6, 174, 8}));

    const Item text = read_item(r);
    EXPECT_EQ(text.id, DWORD(IDC_MARK_TEXT));
    EXPECT_EQ(text.style, DWORD(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_MULTILINE | ES_AUTOHSCROLL |
                                ES_WANTRETURN));
    EXPECT_EQ(text.ex_style, DWORD(WS_EX_CLIENTEDGE));
    EXPECT_EQ(text.class_name, u"#129");
    EXPECT_EQ((std::vector<short>{text.x, text.y, text.cx, text.cy}), (std::vector<short>{6, 18, 174, 36}));

    const Item ok = read_item(r);
    EXPECT_EQ(ok.id, DWORD(IDOK));
    EXPECT_EQ(ok.style, DWORD(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON | WS_DISABLED));
    EXPECT_EQ(ok.class_name, u"#128");
    EXPECT_EQ(ok.title, u"OK");

    const Item cancel = read_item(r);
    EXPECT_EQ(cancel.id, DWORD(IDCANCEL));
    EXPECT_EQ(cancel.style, DWORD(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON));
    EXPECT_EQ(cancel.title, u"Annuler");
    EXPECT_EQ((std::vector<short>{cancel.x, cancel.y, cancel.cx, cancel.cy}), (std::vector<short>{130, 60, 50, 16}));
    EXPECT_EQ(r.offset(), dialog.size);
}

TEST_F(ResourcesTest, ControlStatementsGiveTheirClassesAndDefaultStyles)
{
    // A named resource, found without regard to case.
    const Resource dialog = load(nullptr, "controlKinds", RT_DIALOG);
    ASSERT_NE(dialog.data, nullptr);
    TemplateReader r(dialog.data, dialog.size);
    r.word();
    r.word();
    EXPECT_EQ(r.dword(), 77u);
    EXPECT_EQ(r.dword(), DWORD(WS_EX_TOOLWINDOW));
    EXPECT_EQ(r.dword(), DWORD(WS_POPUP | WS_CAPTION | DS_SETFONT));
    const WORD count = r.word();
    EXPECT_EQ((std::vector<short>{r.coordinate(), r.coordinate(), r.coordinate(), r.coordinate()}),
              (std::vector<short>{10, 20, 300, 200}));
    r.name_or_ordinal();
    r.name_or_ordinal();
    EXPECT_EQ(r.text(), u"Kinds \u00B0 caf\u00E9");
    EXPECT_EQ(r.word(), 9);
    EXPECT_EQ(r.word(), 700);
    EXPECT_EQ(r.byte(), 1);
    EXPECT_EQ(r.byte(), 0);
    EXPECT_EQ(r.text(), u"Tahoma");

    const DWORD child = WS_CHILD | WS_VISIBLE;
    struct Expected {
        DWORD id;
        const char16_t* class_name;
        DWORD style;
        const char16_t* title;
    };
    const Expected expected[] = {
        {IDC_FIRST, u"#130", child | SS_RIGHT | WS_GROUP, u"Right"},
        {IDC_FIRST + 1, u"#130", child | SS_CENTER | WS_GROUP | SS_NOTIFY, u"Centre"},
        {IDC_FIRST + 2, u"#128", child | BS_CHECKBOX | WS_TABSTOP, u"Check"},
        {IDC_FIRST + 3, u"#128", child | BS_AUTOCHECKBOX, u"Auto"},
        {IDC_FIRST + 4, u"#128", child | BS_RADIOBUTTON | WS_GROUP, u"Radio"},
        {IDC_LIST, u"#131", child | LBS_NOTIFY | WS_BORDER | LBS_SORT | WS_VSCROLL, u""},
        {IDC_FIRST + 6, u"#128", child | BS_AUTORADIOBUTTON, u"Auto radio"},
        {0xFFFFFFFF, u"#128", child | BS_GROUPBOX, u"Group"},
        {IDC_FIRST + 7, u"#133", child | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, u""},
        {IDC_FIRST + 8, u"#132", child | SBS_VERT, u""},
        {IDC_FIRST + 9, u"#130", child | SS_ICON, u"#5001"},
        {IDC_TRACK, u"msctls_trackbar32", 0x50010018 & ~WS_VISIBLE, u""},
        {IDC_FIRST + 10, u"#128", child | BS_PUSHLIKE | BS_AUTOCHECKBOX, u"Push"},
    };
    ASSERT_EQ(count, std::size(expected));
    for (const Expected& e : expected) {
        const Item item = read_item(r);
        SCOPED_TRACE(e.id);
        EXPECT_EQ(item.id, e.id);
        EXPECT_EQ(item.class_name, e.class_name);
        EXPECT_EQ(item.style, e.style);
        EXPECT_EQ(item.title, e.title);
        if (e.id == IDC_TRACK) {
            EXPECT_EQ(item.x, -5);
            EXPECT_EQ(item.help_id, 42u);
        } else if (e.id == IDC_FIRST + 9) {
            EXPECT_EQ((std::vector<short>{item.x, item.y, item.cx, item.cy}), (std::vector<short>{7, 8, 0, 0}));
        } else {
            EXPECT_EQ((std::vector<short>{item.x, item.y, item.cx}), (std::vector<short>{1, 2, 3}));
        }
    }
    EXPECT_EQ(r.offset(), dialog.size);
}

TEST_F(ResourcesTest, StringsInTheThreadLanguageWithFallback)
{
    struct Case {
        LANGID language;
        UINT id;
        const char* text;
    };
    const Case cases[] = {
        {kEnglish, IDS_TITLE, "Events Viewer"},
        {kFrench, IDS_TITLE, "Journal d'\xE9v\xE9nements"},
        {kFrench, IDS_MARK, "Marque d'\xE9v\xE9nement"},
        {kEnglish, IDS_MARK, "Event Mark"},
        {kFrench, IDS_ENGLISH_ONLY, "Navigation"},  // French lacks it: English
        {kEnglish, IDS_FRENCH_ONLY, "Sonar"},       // English lacks it: French
        {MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH_CANADIAN), IDS_TITLE, "Journal d'\xE9v\xE9nements"},
        {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK), IDS_TITLE, "Events Viewer"},
        {kEnglish, IDS_ESCAPES, "Serial Input %c\t\"A\"\n\xB0 \"q\""},
        // As on Windows the language picks a block of 16 strings: French has
        // the block of this id without the id itself, so there is no string.
        {kFrench, IDS_ESCAPES, ""},
        {kFrench, IDS_FRENCH_NEIGHBOUR, "Entr\xE9" "e s\xE9rie"},
        {kEnglish, IDS_TITLE + 1, ""},  // an empty slot of a present block
        {kEnglish, 2, ""},              // a block that does not exist
        {kEnglish, 70000, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        SetThreadUILanguage(c.language);
        EXPECT_EQ(load_string(nullptr, c.id), c.text);
    }
}

TEST_F(ResourcesTest, LoadStringCutsToTheBufferAndRefusesNoBuffer)
{
    EXPECT_EQ(load_string(nullptr, IDS_LONG, 5), "0123");
    EXPECT_EQ(load_string(nullptr, IDS_LONG, 1), "");
    EXPECT_EQ(load_string(nullptr, IDS_LONG, 21), "0123456789abcdefghij");
    char byte = 'X';
    EXPECT_EQ(LoadString(nullptr, IDS_LONG, &byte, 0), 0);
    EXPECT_EQ(byte, 'X');
    EXPECT_EQ(LoadString(nullptr, IDS_LONG, nullptr, 10), 0);

    // The wide form with no size points into the resource.
    LPCWSTR inside = nullptr;
    EXPECT_EQ(LoadStringW(nullptr, IDS_LONG, reinterpret_cast<LPWSTR>(&inside), 0), 20);
    ASSERT_NE(inside, nullptr);
    EXPECT_EQ(std::u16string(inside, 20), u"0123456789abcdefghij");
    WCHAR wide[4];
    EXPECT_EQ(LoadStringW(nullptr, IDS_TITLE, wide, 4), 3);
    EXPECT_EQ(std::u16string(wide), u"Eve");
}

TEST_F(ResourcesTest, ExactLanguageLookupAndTheUsersLanguage)
{
    EXPECT_EQ(helm::user::string_resource(nullptr, IDS_TITLE, kFrench), "Journal d'\xE9v\xE9nements");
    EXPECT_EQ(helm::user::string_resource(nullptr, IDS_FRENCH_ONLY, kEnglish), std::nullopt);
    EXPECT_EQ(helm::user::string_resource(nullptr, IDS_ENGLISH_ONLY, LANG_NEUTRAL), "Navigation");
    // One string after another language: what a per-string fallback builds on.
    EXPECT_EQ(helm::user::string_resource(nullptr, IDS_ESCAPES, kFrench), std::nullopt);
    EXPECT_EQ(helm::user::string_resource(nullptr, IDS_ESCAPES, kEnglish), "Serial Input %c\t\"A\"\n\xB0 \"q\"");

    // The child page exists in French only.
    SetLastError(0);
    EXPECT_EQ(FindResourceEx(nullptr, RT_DIALOG, MAKEINTRESOURCE(IDD_CHILD_PAGE), kEnglish), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_LANG_NOT_FOUND));
    EXPECT_NE(FindResourceEx(nullptr, RT_DIALOG, MAKEINTRESOURCE(IDD_CHILD_PAGE),
                             MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH_SWISS)),
              nullptr);
    const Resource page = load(nullptr, MAKEINTRESOURCE(IDD_CHILD_PAGE), RT_DIALOG);
    ASSERT_NE(page.data, nullptr);
    TemplateReader r(page.data, page.size);
    r.word();
    r.word();
    r.dword();
    r.dword();
    EXPECT_EQ(r.dword(), DWORD(DS_CONTROL | WS_CHILD | DS_SETFONT));

    // Without a thread language the user's (from the locale variables) leads.
    SetThreadUILanguage(0);
    const char* saved = std::getenv("LC_ALL");
    const std::string keep = saved ? saved : "";
    setenv("LC_ALL", "fr_FR.UTF-8", 1);
    EXPECT_EQ(GetThreadUILanguage(), kFrench);
    EXPECT_EQ(load_string(nullptr, IDS_TITLE), "Journal d'\xE9v\xE9nements");
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(GetUserDefaultUILanguage(), kEnglish);
    EXPECT_EQ(load_string(nullptr, IDS_TITLE), "Events Viewer");
    if (saved)
        setenv("LC_ALL", keep.c_str(), 1);
    else
        unsetenv("LC_ALL");
}

TEST_F(ResourcesTest, MissingResourcesReportWhatIsMissing)
{
    struct Case {
        HMODULE module;
        LPCSTR name;
        LPCSTR type;
        DWORD error;
    };
    const HMODULE layer = helm::kernel::module_of_address(reinterpret_cast<const void*>(&FindResource));
    ASSERT_NE(layer, GetModuleHandle(nullptr));
    const Case cases[] = {
        {nullptr, MAKEINTRESOURCE(1), RT_RCDATA, ERROR_RESOURCE_TYPE_NOT_FOUND},
        {nullptr, MAKEINTRESOURCE(999), RT_DIALOG, ERROR_RESOURCE_NAME_NOT_FOUND},
        {nullptr, "NoSuchDialog", RT_DIALOG, ERROR_RESOURCE_NAME_NOT_FOUND},
        {nullptr, "#99x", RT_DIALOG, ERROR_RESOURCE_NAME_NOT_FOUND},
        {layer, MAKEINTRESOURCE(IDD_EVENT_MARK), RT_DIALOG, ERROR_RESOURCE_DATA_NOT_FOUND},
        {nullptr, nullptr, RT_DIALOG, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(FindResource(c.module, c.name, c.type), nullptr);
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_NE(FindResource(nullptr, "#108", RT_DIALOG), nullptr);
    EXPECT_NE(FindResource(GetModuleHandle(nullptr), MAKEINTRESOURCE(IDD_EVENT_MARK), RT_DIALOG), nullptr);

    int not_a_resource = 0;
    EXPECT_EQ(LoadResource(nullptr, reinterpret_cast<HRSRC>(&not_a_resource)), nullptr);
    EXPECT_EQ(SizeofResource(nullptr, reinterpret_cast<HRSRC>(&not_a_resource)), 0u);
    EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
}

TEST_F(ResourcesTest, EachModuleFindsItsOwnResourcesWhileLoaded)
{
    char path[4096];
    ASSERT_GT(GetModuleFileName(nullptr, path, sizeof path), 0u);
    std::string library = path;
    library = library.substr(0, library.rfind('/') + 1) + "libuser_resources_testlib.so";
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    auto module_of = reinterpret_cast<HMODULE (*)()>(dlsym(handle, "resources_lib_module"));
    ASSERT_NE(module_of, nullptr);
    const HMODULE module = module_of();
    EXPECT_EQ(module, GetModuleHandle("user_resources_testlib"));

    EXPECT_EQ(load_string(module, IDS_TITLE), "Library title");
    EXPECT_EQ(load_string(nullptr, IDS_TITLE), "Events Viewer");
    EXPECT_EQ(load_string(module, IDS_MARK), "");
    const Resource theirs = load(module, MAKEINTRESOURCE(IDD_EVENT_MARK), RT_DIALOG);
    const Resource ours = load(nullptr, MAKEINTRESOURCE(IDD_EVENT_MARK), RT_DIALOG);
    ASSERT_NE(theirs.data, nullptr);
    EXPECT_NE(theirs.data, ours.data);
    EXPECT_EQ(theirs.size, 32u);  // no items, no font

    ASSERT_EQ(dlclose(handle), 0);
    SetLastError(0);
    EXPECT_EQ(FindResource(module, MAKEINTRESOURCE(IDD_EVENT_MARK), RT_DIALOG), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));
}

DWORD le32(const BYTE* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24);
}

TEST_F(ResourcesTest, ImagesComeAsPackedDibsAndTheBestIconOfAGroup)
{
    const auto bitmap = helm::user::image_resource_bytes(nullptr, MAKEINTRESOURCE(IDB_LOGO), IMAGE_BITMAP);
    ASSERT_EQ(bitmap.size(), 40u + 2 * 12u);  // header and two rows of 4 pixels at 24 bits
    EXPECT_EQ(le32(bitmap.data()), 40u);
    EXPECT_EQ(le32(bitmap.data() + 4), 4u);
    EXPECT_EQ(le32(bitmap.data() + 8), 2u);
    EXPECT_EQ(bitmap[14], 24);
    EXPECT_EQ(bitmap[40 + 5], 5);

    struct Case {
        int cx, cy;
        DWORD width, bits;
    };
    const Case cases[] = {{0, 0, 32, 32}, {32, 32, 32, 32}, {16, 16, 16, 4}, {20, 20, 16, 4}, {48, 48, 32, 32}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cx);
        const auto icon = helm::user::image_resource_bytes(nullptr, MAKEINTRESOURCE(IDI_APP), IMAGE_ICON, c.cx, c.cy);
        ASSERT_GE(icon.size(), 40u);
        EXPECT_EQ(le32(icon.data() + 4), c.width);
        EXPECT_EQ(le32(icon.data() + 8), 2 * c.width);
        EXPECT_EQ(icon[14], c.bits);
    }
    const Resource group = load(nullptr, MAKEINTRESOURCE(IDI_APP), RT_GROUP_ICON);
    ASSERT_EQ(group.size, 6u + 3 * 14);
    EXPECT_EQ(group.data[4], 3);
    EXPECT_TRUE(helm::user::image_resource_bytes(nullptr, MAKEINTRESOURCE(IDI_APP), IMAGE_BITMAP).empty());
    EXPECT_TRUE(helm::user::image_resource_bytes(nullptr, MAKEINTRESOURCE(IDB_LOGO), IMAGE_ICON).empty());
}

class VersionBlock {
public:
    VersionBlock()
    {
        char path[4096];
        GetModuleFileName(nullptr, path, sizeof path);
        m_path = path;
        DWORD handle = 1;
        const DWORD size = GetFileVersionInfoSize(path, &handle);
        EXPECT_EQ(handle, 0u);
        EXPECT_GT(size, 0u);
        m_bytes.resize(size);
        EXPECT_TRUE(GetFileVersionInfo(path, 0, size, m_bytes.data()));
    }
    std::string text(const char* key)
    {
        LPVOID value = nullptr;
        UINT length = 0;
        if (!VerQueryValue(m_bytes.data(), key, &value, &length))
            return "<missing>";
        EXPECT_EQ(std::strlen(static_cast<const char*>(value)) + 1, length);
        return static_cast<const char*>(value);
    }
    std::vector<BYTE>& bytes() { return m_bytes; }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    std::vector<BYTE> m_bytes;
};

TEST_F(ResourcesTest, VersionBlockAnswersFixedInfoTranslationAndTexts)
{
    VersionBlock block;
    LPVOID value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValue(block.bytes().data(), "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, value, sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00020005u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0x00000011u);
    EXPECT_EQ(fixed.dwProductVersionMS, 0x00020005u);
    EXPECT_EQ(fixed.dwProductVersionLS, 0u);
    EXPECT_EQ(fixed.dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed.dwFileOS, 4u);
    EXPECT_EQ(fixed.dwFileType, 1u);

    ASSERT_TRUE(VerQueryValue(block.bytes().data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    const auto* pair = static_cast<const BYTE*>(value);
    EXPECT_EQ(pair[0] | (pair[1] << 8), 0x0409);
    EXPECT_EQ(pair[2] | (pair[3] << 8), 1200);

    EXPECT_EQ(block.text("\\StringFileInfo\\040904b0\\ProductName"), "Helmsight");
    EXPECT_EQ(block.text("\\stringfileinfo\\040904B0\\productname"), "Helmsight");
    EXPECT_EQ(block.text("\\StringFileInfo\\040904b0\\FileDescription"), "Test resources \xB0");
    EXPECT_EQ(block.text("\\StringFileInfo\\040904b0\\FileVersion"), "2, 5, 0, 17");
    EXPECT_EQ(block.text("\\StringFileInfo\\040904b0\\Comments"), "");
    EXPECT_EQ(block.text("\\StringFileInfo\\040904b0\\LegalCopyright"), "<missing>");
    EXPECT_EQ(block.text("\\StringFileInfo\\040c04b0\\ProductName"), "<missing>");

    std::vector<BYTE> small(10);
    SetLastError(0);
    EXPECT_FALSE(GetFileVersionInfo(block.path().c_str(), 0, static_cast<DWORD>(small.size()), small.data()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(GetFileVersionInfoSize("/no/such/module", nullptr), 0u);
}

TEST_F(ResourcesTest, DamagedVersionBlockIsReadWithinItsBounds)
{
    VersionBlock block;
    std::vector<BYTE>& bytes = block.bytes();
    const size_t total = bytes[0] | (bytes[1] << 8);
    // The first child starts after the root's header, key and fixed info.
    const size_t child = (6 + 2 * 16 + 3) / 4 * 4 + sizeof(VS_FIXEDFILEINFO);
    ASSERT_LT(child + 2, total);
    const std::vector<BYTE> good = bytes;
    for (const WORD length : {WORD(0), WORD(5), WORD(0xFFFF), WORD(total)}) {
        bytes = good;
        bytes[child] = static_cast<BYTE>(length);
        bytes[child + 1] = static_cast<BYTE>(length >> 8);
        EXPECT_EQ(block.text("\\StringFileInfo\\040904b0\\ProductName"), "<missing>") << length;
    }
    bytes = good;
    bytes[0] = 4;  // a root too short for its own header
    bytes[1] = 0;
    LPVOID value = nullptr;
    UINT size = 0;
    EXPECT_FALSE(VerQueryValue(bytes.data(), "\\", &value, &size));
}

// A table registered by hand for this program, with blocks whose lengths
// claim more than they hold.
alignas(4) const unsigned char kShortStringBlock[] = {0x00, 0x00, 0x64, 0x00, 'a', 0x00};
alignas(4) const unsigned char kShortIconGroup[] = {0x00, 0x00, 0x01, 0x00, 0x09, 0x00, 0x20, 0x20};
alignas(4) const unsigned char kIconGroupToNowhere[] = {0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x20, 0x20, 0x00, 0x00,
                                                        0x01, 0x00, 0x20, 0x00, 0x10, 0x00, 0x00, 0x00, 0x99, 0x99};
const helm::user::ResourceEntry kDamaged[] = {
    {6, nullptr, 300, nullptr, 0x409, kShortStringBlock, sizeof kShortStringBlock},
    {14, nullptr, 7001, nullptr, 0x409, kShortIconGroup, sizeof kShortIconGroup},
    {14, nullptr, 7002, nullptr, 0x409, kIconGroupToNowhere, sizeof kIconGroupToNowhere},
};

TEST_F(ResourcesTest, DamagedTablesGiveNothingRatherThanReadingPastThem)
{
    const helm::user::ResourceRegistration registration(kDamaged, std::size(kDamaged));
    EXPECT_EQ(load_string(nullptr, 299 * 16 + 0), "");  // slot 0: empty
    EXPECT_EQ(load_string(nullptr, 299 * 16 + 1), "");  // slot 1: 100 characters claimed, 1 present
    EXPECT_EQ(load_string(nullptr, 299 * 16 + 2), "");
    EXPECT_TRUE(helm::user::image_resource_bytes(nullptr, MAKEINTRESOURCE(7001), IMAGE_ICON).empty());
    EXPECT_TRUE(helm::user::image_resource_bytes(nullptr, MAKEINTRESOURCE(7002), IMAGE_ICON).empty());
    EXPECT_EQ(load_string(nullptr, IDS_TITLE), "Events Viewer");  // the compiled table still answers
}

}  // namespace
