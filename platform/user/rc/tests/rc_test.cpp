// The resource compiler: scripts it must refuse, with the place and the
// reason, and the byte forms it writes.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "cpp_emitter.h"
#include "helm/user/controls.h"
#include "helm/user/resources.h"
#include "script_compiler.h"
#include "symbols.h"

namespace {

namespace fs = std::filesystem;

class ScriptFiles {
public:
    ScriptFiles()
    {
        m_dir = fs::temp_directory_path() / ("helm-rc-test-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
    }
    ~ScriptFiles()
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    std::string write(const std::string& name, const std::string& text) const
    {
        const fs::path path = m_dir / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    const fs::path& dir() const { return m_dir; }

private:
    fs::path m_dir;
};

// The error text of compiling `script`, or "" when it compiles.
std::string error_of(const ScriptFiles& files, const std::string& script)
{
    try {
        helm::rc::compile_script(files.write("bad.rc", script), {});
    } catch (const helm::rc::CompileError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(ResourceCompiler, RefusesMalformedScriptsWithPlaceAndReason)
{
    ScriptFiles files;
    files.write("ids.h", "#define IDD_X 100\n");
    files.write("not.ico", "this is not an icon");
    const std::string at = (files.dir() / "bad.rc").string() + ":";
    struct Case {
        const char* script;
        int line;
        const char* message;
    };
    const Case cases[] = {
        {"1 DIALOGEX 0, 0, 10\nBEGIN\nEND\n", 2, "expected , after width"},
        {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  LTEXT \"a\", 1, 0, 0, 10, 10\n", 3, "dialog 1 without END"},
        {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  SLIDER \"a\", 1, 0, 0, 10, 10\nEND\n", 3, "unknown control statement SLIDER"},
        {"1 DIALOGEX 0, 0, 40000, 10\nBEGIN\nEND\n", 1, "width 40000 is out of range"},
        {"1 DIALOGEX 0, 0, 10, 10\nSTYLE DS_SETFONT | WS_POPUP\nBEGIN\nEND\n", 2, "DS_SETFONT without a FONT"},
        {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  PUSHBUTTON \"a\", IDC_MISSING, 0, 0, 1, 1\nEND\n", 3,
         "unknown name IDC_MISSING"},
        {"STRINGTABLE\nBEGIN\n  1 \"a\"\n  1 \"b\"\nEND\n", 4, "string 1 is already defined at"},
        {"STRINGTABLE\nBEGIN\n  70000 \"a\"\nEND\n", 3, "string id 70000 is larger than 65535"},
        {"STRINGTABLE\nBEGIN\n  1 \"a\n", 3, "unterminated string"},
        {"STRINGTABLE\nBEGIN\n  1 \"\xE2\x82\xAC \xE2\x9C\x93\"\nEND\n", 3, "character U+2713 has no Windows-1252 form"},
        {"STRINGTABLE\nBEGIN\n  1 \"\xC3\"\nEND\n", 3, "not valid UTF-8"},
        {"STRINGTABLE\nBEGIN\n  1 \"\\q\"\nEND\n", 3, "unknown escape \\q"},
        {"STRINGTABLE\nBEGIN\n  1 \"a\"\n", 3, "STRINGTABLE without END"},
        {"#include \"missing.h\"\n", 1, "cannot find file \"missing.h\""},
        {"#include \"ids.h\"\n#ifdef IDD_X\n", 2, "#if without #endif"},
        {"#endif\n", 1, "#endif without #if"},
        {"#define F(x) x\n", 1, "with parameters is not supported"},
        {"#frobnicate\n", 1, "unknown directive #frobnicate"},
        {"#define A B\n#define B A\n1 DIALOGEX A, 0, 1, 1\nBEGIN\nEND\n", 3, "unknown name A"},
        {"/* open\n\n", 1, "unterminated comment"},
        {"#define A0 1\n#define A1 A0 A0\n#define A2 A1 A1\n#define A3 A2 A2\n#define A4 A3 A3\n#define A5 A4 A4\n"
         "#define A6 A5 A5\n#define A7 A6 A6\n#define A8 A7 A7\n#define A9 A8 A8\n#define B0 A9 A9\n"
         "#define B1 B0 B0\n#define B2 B1 B1\n#define B3 B2 B2\n#define B4 B3 B3\n#define B5 B4 B4\n"
         "#define B6 B5 B5\n#define B7 B6 B6\n#define B8 B7 B7\n#define B9 B8 B8\n#define C0 B9 B9\n#define C1 C0 C0\n"
         "C1\n", 23, "expands to more than"},
        {"0x DIALOGEX 0, 0, 1, 1\n", 1, "hexadecimal number without digits"},
        {"1 DIALOGEX 0x100000000, 0, 1, 1\n", 1, "does not fit in 32 bits"},
        {"0 DIALOGEX 0, 0, 1, 1\nBEGIN\nEND\n", 1, "resource id 0 is outside 1 to 65535"},
        {"1 RCDATA\nBEGIN\nEND\n", 1, "RCDATA resources are not supported"},
        {"1 MENU\nBEGIN\nEND\n", 3, "empty menu level"},
        {"1 MENU\nBEGIN\nMENUITEM \"a\"\nEND\n", 4, "after the item's text"},
        {"1 MENU\nBEGIN\nPOPUP \"a\"\nBEGIN\nMENUITEM \"b\", 1\n", 5, "MENU without END"},
        {"1 MENU\nBEGIN\nLTEXT \"a\"\nEND\n", 3, "expected POPUP or MENUITEM"},
        {"1 ACCELERATORS\nBEGIN\n65, 1\nEND\n", 3, "needs ASCII or VIRTKEY"},
        {"1 ACCELERATORS\nBEGIN\n\"a\", 1, SHIFT\nEND\n", 3, "SHIFT and CONTROL need VIRTKEY"},
        {"1 ACCELERATORS\nBEGIN\n\"ab\", 1\nEND\n", 3, "one character or ^ and a letter"},
        {"1 ACCELERATORS\nBEGIN\n\"^1\", 1\nEND\n", 3, "must be followed by a letter"},
        {"1 ACCELERATORS\nBEGIN\n\"a\", 1, FAST\nEND\n", 3, "unknown accelerator option 'FAST'"},
        {"1 WIDGET\n", 1, "unknown resource type WIDGET"},
        {"1 DIALOGEX 0, 0, 1, 1\nBEGIN\nEND\n1 DIALOGEX 0, 0, 1, 1\nBEGIN\nEND\n", 4, "already defined at"},
        {"1 ICON \"none.ico\"\n", 1, "cannot find file \"none.ico\""},
        {"1 ICON \"not.ico\"\n", 1, "is not an icon file"},
        {"1 BITMAP \"not.ico\"\n", 1, "is not a bitmap file: no BM header"},
        {"LANGUAGE 0x400, 1\n", 1, "is out of range"},
        {"1 VERSIONINFO\nBEGIN\n  VALUE \"A\", \"x\", 1\nEND\n", 3, "VALUE mixes text and numbers"},
        {"1 DIALOGEX 0, 0, 1, 1 / 0\n", 1, "division by zero"},
        {"1 DIALOGEX 0, 0, 9, 9\nBEGIN\n"
         "  CONTROL \"\", 1, \"{64226BF7-C9FD-4941-A9AD-33F1C07E697}\", 0, 0, 0, 1, 1\nEND\n",
         3, "malformed class id {64226BF7-C9FD-4941-A9AD-33F1C07E697}"},
        {"1 DIALOGEX 0, 0, 9, 9\nBEGIN\n"
         "  CONTROL \"\", 1, \"{64226BF7-C9FD-4941-A9AD_33F1C07E697B}\", 0, 0, 0, 1, 1\nEND\n",
         3, "malformed class id"},
    };
    for (const Case& c : cases) {
        const std::string error = error_of(files, c.script);
        SCOPED_TRACE(c.script);
        EXPECT_EQ(error.rfind(at + std::to_string(c.line) + ": error: ", 0), 0u) << error;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

namespace {

using helm::rc::CompiledResource;

const CompiledResource* find(const std::vector<CompiledResource>& all, uint16_t type, uint16_t name)
{
    for (const CompiledResource& r : all)
        if (r.type.number == type && r.name.number == name && r.name.name.empty())
            return &r;
    return nullptr;
}

uint16_t word_at(const std::vector<uint8_t>& b, size_t at)
{
    return static_cast<uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}

// The 16 strings of a block, as the runtime reads them.
std::vector<std::u16string> block_strings(const CompiledResource& block)
{
    std::vector<std::u16string> out;
    size_t at = 0;
    for (int slot = 0; slot < 16; ++slot) {
        const uint16_t length = word_at(block.data, at);
        at += 2;
        std::u16string s;
        for (uint16_t i = 0; i < length; ++i, at += 2)
            s += static_cast<char16_t>(word_at(block.data, at));
        out.push_back(s);
    }
    EXPECT_EQ(at, block.data.size());
    return out;
}

}  // namespace

TEST(ResourceCompiler, PreprocessorKeepsTheRightSectionsAndExpandsNames)
{
    ScriptFiles files;
    files.write("inc/ids.h",
                "#pragma once\n"
                "#ifndef IDS_H\n#define IDS_H\n"
                "#define BASE 16\n"
                "#define ID_A (BASE - 1)\n"
                "#define ID_B BASE\n"
                "#define LONG_DEF 1 + \\\n   2\n"
                "#define CHAIN ID_B\n"
                "namespace ids { enum { ignored = 5 }; }  /* C++ in a header\n   is skipped */\n"
                "#endif\n");
    const std::string script = files.write("scripts/main.rc",
                                           "#include \"ids.h\"\n"
                                           "#include \"ids.h\"\n"
                                           "#if defined(ID_A) && ID_A == 15\n"
                                           "STRINGTABLE BEGIN ID_A \"fifteen\" END\n"
                                           "#elif 1\n"
                                           "STRINGTABLE BEGIN 1 \"wrong\" END\n"
                                           "#else\n"
                                           "STRINGTABLE BEGIN 2 \"wrong\" END\n"
                                           "#endif\n"
                                           "#ifdef NOT_DEFINED\n#error never\n#if garbage (\n#endif\n#else\n"
                                           "STRINGTABLE { CHAIN, \"sixteen\" }\n"
                                           "#endif\n"
                                           "#undef CHAIN\n"
                                           "#ifndef CHAIN\n"
                                           "STRINGTABLE BEGIN LONG_DEF * 10 /* 1 + 2 * 10 */ \"twenty-one\" END\n"
                                           "#endif\n");
    std::vector<std::string> read;
    const auto resources = helm::rc::compile_script(script, {(files.dir() / "inc").string()}, &read);
    ASSERT_EQ(resources.size(), 2u);

    const CompiledResource* first = find(resources, 6, 1);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->language, 0x0409);
    const auto low = block_strings(*first);
    EXPECT_EQ(low[15], u"fifteen");
    EXPECT_EQ(first->data.size(), (16u + 7u) * 2u);  // fifteen empty slots cost a WORD each

    const CompiledResource* second = find(resources, 6, 2);
    ASSERT_NE(second, nullptr);
    const auto high = block_strings(*second);
    EXPECT_EQ(high[0], u"sixteen");
    EXPECT_EQ(high[5], u"twenty-one");
    for (int slot : {1, 2, 3, 4, 6, 15})
        EXPECT_EQ(high[slot], u"");

    EXPECT_NE(std::find(read.begin(), read.end(), (files.dir() / "inc/ids.h").string()), read.end());
    EXPECT_EQ(read.front(), script);
}

TEST(ResourceCompiler, StyleExpressionsApplyNotToTheDefaults)
{
    ScriptFiles files;
    struct Case {
        const char* control;
        uint32_t style;
    };
    const uint32_t child = 0x50000000;
    const Case cases[] = {
        {"PUSHBUTTON \"a\", 1, 0, 0, 1, 1", child | 0x00010000},
        {"PUSHBUTTON \"a\", 1, 0, 0, 1, 1, NOT WS_TABSTOP | WS_GROUP", child | 0x00020000},
        {"EDITTEXT 1, 0, 0, 1, 1, NOT WS_BORDER | NOT WS_TABSTOP", child},
        {"CONTROL \"\", 1, \"Button\", NOT WS_VISIBLE | WS_TABSTOP, 0, 0, 1, 1", 0x40010000},
        {"CONTROL \"\", 1, STATIC, 3 + 4 * 2 - (1 | 2), 0, 0, 1, 1", child | 8},
        {"CONTROL \"\", 1, \"Edit\", ~0 & 0x00FF, 0, 0, 1, 1", child | 0xFF},
        {"LTEXT \"a\", 1, 0, 0, 1, 1, SS_NOTIFY | NOT WS_GROUP", child | 0x0100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        const std::string script =
            files.write("style.rc", std::string("1 DIALOGEX 0, 0, 1, 1\nBEGIN\n  ") + c.control + "\nEND\n");
        const auto resources = helm::rc::compile_script(script, {});
        ASSERT_EQ(resources.size(), 1u);
        const auto& b = resources[0].data;
        // The header without menu, class, title and font is 26 + 3 * 2 bytes;
        // the item's style is its third DWORD.
        const size_t item = 32;
        ASSERT_GT(b.size(), item + 12);
        EXPECT_EQ(word_at(b, item + 8) | (uint32_t{word_at(b, item + 10)} << 16), c.style);
    }
}

TEST(ResourceCompiler, IconImagesAreNumberedThroughTheScript)
{
    ScriptFiles files;
    // An .ico with `count` images, each 8 bytes of payload tagged with its index.
    const auto ico = [&](const char* name, int count, uint8_t tag) {
        std::string bytes;
        const auto put16 = [&](uint16_t v) { bytes += char(v & 0xFF), bytes += char(v >> 8); };
        const auto put32 = [&](uint32_t v) { put16(uint16_t(v)), put16(uint16_t(v >> 16)); };
        put16(0), put16(1), put16(uint16_t(count));
        for (int i = 0; i < count; ++i) {
            bytes += char(16 << i), bytes += char(16 << i), bytes += char(0), bytes += char(0);
            put16(1), put16(32), put32(8), put32(uint32_t(6 + 16 * count + 8 * i));
        }
        for (int i = 0; i < count; ++i)
            bytes += std::string(8, char(tag + i));
        files.write(name, bytes);
    };
    ico("a.ico", 1, 0x10);
    ico("res/b.ico", 2, 0x20);
    const std::string script = files.write("icons.rc", "10 ICON \"a.ico\"\nLANGUAGE 12, 1\n20 ICON \"res\\\\b.ico\"\n");
    const auto resources = helm::rc::compile_script(script, {});
    ASSERT_EQ(resources.size(), 5u);
    for (uint16_t image = 1; image <= 3; ++image) {
        const CompiledResource* r = find(resources, 3, image);
        ASSERT_NE(r, nullptr) << image;
        const uint8_t tag = image == 1 ? 0x10 : uint8_t(0x20 + image - 2);
        EXPECT_EQ(r->data, std::vector<uint8_t>(8, tag));
    }
    const CompiledResource* group = find(resources, 14, 20);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->language, 0x040C);
    ASSERT_EQ(group->data.size(), 6u + 2 * 14);
    EXPECT_EQ(word_at(group->data, 4), 2);
    EXPECT_EQ(group->data[6], 16);  // width of the first entry
    EXPECT_EQ(word_at(group->data, 6 + 12), 2);
    EXPECT_EQ(group->data[6 + 14], 32);
    EXPECT_EQ(word_at(group->data, 6 + 14 + 8), 8);  // bytes of the image
    EXPECT_EQ(word_at(group->data, 6 + 14 + 12), 3);
}

// A menu is its header and its items depth first, each level's last item
// marked MF_END; an accelerator table is 8-byte entries, the last marked.
TEST(ResourceCompiler, MenusAndAcceleratorsInTheirResourceForms)
{
    ScriptFiles files;
    const std::string script = files.write("menu.rc",
                                           "202 MENU\nBEGIN\n  POPUP \"Scale\"\n  BEGIN\n"
                                           "    MENUITEM \"Re\", 32792, CHECKED\n    MENUITEM SEPARATOR\n"
                                           "    MENUITEM \"x\", 32769, GRAYED\n  END\nEND\n"
                                           "7 ACCELERATORS\nBEGIN\n  \"^C\", 100\n  \"s\", 101, VIRTKEY, CONTROL, SHIFT\n"
                                           "  0x70, 102, VIRTKEY, ALT, NOINVERT\nEND\n");
    const auto resources = helm::rc::compile_script(script, {});
    const CompiledResource* menu = find(resources, 4, 202);
    ASSERT_NE(menu, nullptr);
    const auto w = [&](size_t at) { return word_at(menu->data, at); };
    std::vector<uint16_t> words;
    for (size_t at = 0; at + 1 < menu->data.size(); at += 2)
        words.push_back(w(at));
    const std::vector<uint16_t> expected = {
        0, 0,                                           // header
        0x0010 | 0x0080, 'S', 'c', 'a', 'l', 'e', 0,    // the only popup: MF_POPUP | MF_END
        0x0008, 32792, 'R', 'e', 0,                     // checked
        0, 0, 0,                                        // separator
        0x0001 | 0x0080, 32769, 'x', 0,                 // grayed, last of its level
    };
    EXPECT_EQ(words, expected);

    const CompiledResource* table = find(resources, 9, 7);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->data.size(), 24u);
    const auto entry = [&](int i, int field) { return word_at(table->data, size_t(i) * 8 + size_t(field) * 2); };
    EXPECT_EQ(entry(0, 0), 0);  // a character
    EXPECT_EQ(entry(0, 1), 3);  // ^C
    EXPECT_EQ(entry(0, 2), 100);
    EXPECT_EQ(entry(1, 0), 0x01 | 0x04 | 0x08);
    EXPECT_EQ(entry(1, 1), 'S');  // a virtual key's letter in upper case
    EXPECT_EQ(entry(2, 0), 0x01 | 0x02 | 0x10 | 0x80);
    EXPECT_EQ(entry(2, 1), 0x70);
}

TEST(ResourceCompiler, VersionNodesNestWithAlignedLengths)
{
    ScriptFiles files;
    const std::string script = files.write("version.rc",
                                           "1 VERSIONINFO\nFILEVERSION 1, 2\nBEGIN\n"
                                           "  BLOCK \"StringFileInfo\"\n  BEGIN\n    BLOCK \"040c04e4\"\n    BEGIN\n"
                                           "      VALUE \"A\", \"xyz\"\n      VALUE \"Odd\", \"pq\"\n    END\n  END\n"
                                           "  BLOCK \"VarFileInfo\"\n  BEGIN\n    VALUE \"Translation\", 0x040C, 1252\n"
                                           "    VALUE \"Wide\", 7L\n  END\nEND\n");
    const auto resources = helm::rc::compile_script(script, {});
    ASSERT_EQ(resources.size(), 1u);
    const auto& b = resources[0].data;
    EXPECT_EQ(word_at(b, 0), b.size());
    EXPECT_EQ(word_at(b, 2), 52);
    // Fixed info after the key "VS_VERSION_INFO" and padding.
    const size_t fixed = (6 + 16 * 2 + 3) / 4 * 4;
    EXPECT_EQ(word_at(b, fixed + 8), 2);  // FILEVERSION 1, 2 -> 0x00010002
    EXPECT_EQ(word_at(b, fixed + 10), 1);

    struct Node {
        std::u16string key;
        uint16_t value_length, type;
        std::vector<uint8_t> value;
        std::vector<Node> children;
    };
    // Reads the node at `at`, checking that it and its children stay inside
    // `end` and start on DWORD boundaries.
    std::function<Node(size_t, size_t)> read = [&](size_t at, size_t end) {
        EXPECT_EQ(at % 4, 0u);
        Node n;
        const size_t length = word_at(b, at);
        EXPECT_LE(at + length, end);
        n.value_length = word_at(b, at + 2);
        n.type = word_at(b, at + 4);
        size_t p = at + 6;
        for (uint16_t c; (c = word_at(b, p)) != 0; p += 2)
            n.key += char16_t(c);
        p = (p + 2 + 3) / 4 * 4;
        const size_t bytes = n.type == 1 ? n.value_length * 2u : n.value_length;
        n.value.assign(b.begin() + p, b.begin() + p + bytes);
        p = (p + bytes + 3) / 4 * 4;
        while (p < at + length) {
            n.children.push_back(read(p, at + length));
            p = (p + word_at(b, p) + 3) / 4 * 4;
        }
        return n;
    };
    const Node root = read(0, b.size());
    EXPECT_EQ(root.key, u"VS_VERSION_INFO");
    ASSERT_EQ(root.children.size(), 2u);
    const Node& strings = root.children[0];
    EXPECT_EQ(strings.key, u"StringFileInfo");
    ASSERT_EQ(strings.children.size(), 1u);
    const Node& table = strings.children[0];
    EXPECT_EQ(table.key, u"040c04e4");
    ASSERT_EQ(table.children.size(), 2u);
    EXPECT_EQ(table.children[0].key, u"A");
    EXPECT_EQ(table.children[0].type, 1);
    EXPECT_EQ(table.children[0].value_length, 4);  // characters with the terminator
    EXPECT_EQ(table.children[0].value, (std::vector<uint8_t>{'x', 0, 'y', 0, 'z', 0, 0, 0}));
    EXPECT_EQ(table.children[1].value_length, 3);
    const Node& vars = root.children[1];
    ASSERT_EQ(vars.children.size(), 2u);
    EXPECT_EQ(vars.children[0].type, 0);
    EXPECT_EQ(vars.children[0].value, (std::vector<uint8_t>{0x0C, 0x04, 0xE4, 0x04}));
    EXPECT_EQ(vars.children[1].value, (std::vector<uint8_t>{7, 0, 0, 0}));
}

TEST(ResourceCompiler, DepfileEscapesAndListsEachFileOnce)
{
    std::ostringstream out;
    helm::rc::write_depfile("/b/out.cpp", {"/s/a b.rc", "/s/ids.h", "/s/ids.h", "/s/$x.ico"}, out);
    EXPECT_EQ(out.str(), "/b/out.cpp: \\\n  /s/a\\ b.rc \\\n  /s/ids.h \\\n  /s/$$x.ico\n");
}

// The compiler's names must mean what the layer's headers say, or a template
// would ask the controls for other styles than the code that checks them.

TEST(ResourceCompiler, BuiltInNamesAgreeWithTheLayersHeaders)
{
#define SYMBOL(name) std::pair<const char*, uint32_t>{#name, static_cast<uint32_t>(name)}
    const std::pair<const char*, uint32_t> names[] = {
        SYMBOL(WS_OVERLAPPED), SYMBOL(WS_POPUP), SYMBOL(WS_CHILD), SYMBOL(WS_CHILDWINDOW),
        SYMBOL(WS_MINIMIZE), SYMBOL(WS_VISIBLE), SYMBOL(WS_DISABLED), SYMBOL(WS_CLIPSIBLINGS),
        SYMBOL(WS_CLIPCHILDREN), SYMBOL(WS_MAXIMIZE), SYMBOL(WS_CAPTION), SYMBOL(WS_BORDER),
        SYMBOL(WS_DLGFRAME), SYMBOL(WS_VSCROLL), SYMBOL(WS_HSCROLL), SYMBOL(WS_SYSMENU),
        SYMBOL(WS_THICKFRAME), SYMBOL(WS_GROUP), SYMBOL(WS_TABSTOP), SYMBOL(WS_MINIMIZEBOX),
        SYMBOL(WS_MAXIMIZEBOX), SYMBOL(WS_OVERLAPPEDWINDOW), SYMBOL(WS_POPUPWINDOW),
        SYMBOL(WS_EX_DLGMODALFRAME), SYMBOL(WS_EX_NOPARENTNOTIFY), SYMBOL(WS_EX_TOPMOST),
        SYMBOL(WS_EX_TRANSPARENT), SYMBOL(WS_EX_TOOLWINDOW), SYMBOL(WS_EX_WINDOWEDGE),
        SYMBOL(WS_EX_CLIENTEDGE), SYMBOL(WS_EX_CONTROLPARENT), SYMBOL(WS_EX_STATICEDGE),
        SYMBOL(WS_EX_APPWINDOW), SYMBOL(DS_ABSALIGN), SYMBOL(DS_SYSMODAL), SYMBOL(DS_3DLOOK),
        SYMBOL(DS_FIXEDSYS), SYMBOL(DS_NOFAILCREATE), SYMBOL(DS_LOCALEDIT), SYMBOL(DS_SETFONT),
        SYMBOL(DS_MODALFRAME), SYMBOL(DS_NOIDLEMSG), SYMBOL(DS_SETFOREGROUND), SYMBOL(DS_CONTROL),
        SYMBOL(DS_CENTER), SYMBOL(DS_CENTERMOUSE), SYMBOL(DS_CONTEXTHELP), SYMBOL(DS_SHELLFONT),
        SYMBOL(BS_PUSHBUTTON), SYMBOL(BS_DEFPUSHBUTTON), SYMBOL(BS_CHECKBOX), SYMBOL(BS_AUTOCHECKBOX),
        SYMBOL(BS_RADIOBUTTON), SYMBOL(BS_3STATE), SYMBOL(BS_AUTO3STATE), SYMBOL(BS_GROUPBOX),
        SYMBOL(BS_USERBUTTON), SYMBOL(BS_AUTORADIOBUTTON), SYMBOL(BS_PUSHBOX), SYMBOL(BS_OWNERDRAW),
        SYMBOL(BS_TYPEMASK), SYMBOL(BS_LEFTTEXT), SYMBOL(BS_RIGHTBUTTON), SYMBOL(BS_TEXT), SYMBOL(BS_ICON),
        SYMBOL(BS_BITMAP), SYMBOL(BS_LEFT), SYMBOL(BS_RIGHT), SYMBOL(BS_CENTER), SYMBOL(BS_TOP),
        SYMBOL(BS_BOTTOM), SYMBOL(BS_VCENTER), SYMBOL(BS_PUSHLIKE), SYMBOL(BS_MULTILINE), SYMBOL(BS_NOTIFY),
        SYMBOL(BS_FLAT), SYMBOL(ES_LEFT), SYMBOL(ES_CENTER), SYMBOL(ES_RIGHT), SYMBOL(ES_MULTILINE),
        SYMBOL(ES_UPPERCASE), SYMBOL(ES_LOWERCASE), SYMBOL(ES_PASSWORD), SYMBOL(ES_AUTOVSCROLL),
        SYMBOL(ES_AUTOHSCROLL), SYMBOL(ES_NOHIDESEL), SYMBOL(ES_OEMCONVERT), SYMBOL(ES_READONLY),
        SYMBOL(ES_WANTRETURN), SYMBOL(ES_NUMBER), SYMBOL(SS_LEFT), SYMBOL(SS_CENTER), SYMBOL(SS_RIGHT),
        SYMBOL(SS_ICON), SYMBOL(SS_BLACKRECT), SYMBOL(SS_GRAYRECT), SYMBOL(SS_WHITERECT),
        SYMBOL(SS_BLACKFRAME), SYMBOL(SS_GRAYFRAME), SYMBOL(SS_WHITEFRAME), SYMBOL(SS_USERITEM),
        SYMBOL(SS_SIMPLE), SYMBOL(SS_LEFTNOWORDWRAP), SYMBOL(SS_OWNERDRAW), SYMBOL(SS_BITMAP),
        SYMBOL(SS_ENHMETAFILE), SYMBOL(SS_ETCHEDHORZ), SYMBOL(SS_ETCHEDVERT), SYMBOL(SS_ETCHEDFRAME),
        SYMBOL(SS_TYPEMASK), SYMBOL(SS_REALSIZECONTROL), SYMBOL(SS_NOPREFIX), SYMBOL(SS_NOTIFY),
        SYMBOL(SS_CENTERIMAGE), SYMBOL(SS_RIGHTJUST), SYMBOL(SS_REALSIZEIMAGE), SYMBOL(SS_SUNKEN),
        SYMBOL(SS_EDITCONTROL), SYMBOL(SS_ENDELLIPSIS), SYMBOL(SS_PATHELLIPSIS), SYMBOL(SS_WORDELLIPSIS),
        SYMBOL(CBS_SIMPLE), SYMBOL(CBS_DROPDOWN), SYMBOL(CBS_DROPDOWNLIST), SYMBOL(CBS_OWNERDRAWFIXED),
        SYMBOL(CBS_OWNERDRAWVARIABLE), SYMBOL(CBS_AUTOHSCROLL), SYMBOL(CBS_OEMCONVERT), SYMBOL(CBS_SORT),
        SYMBOL(CBS_HASSTRINGS), SYMBOL(CBS_NOINTEGRALHEIGHT), SYMBOL(CBS_DISABLENOSCROLL),
        SYMBOL(CBS_UPPERCASE), SYMBOL(CBS_LOWERCASE), SYMBOL(LBS_NOTIFY), SYMBOL(LBS_SORT),
        SYMBOL(LBS_NOREDRAW), SYMBOL(LBS_MULTIPLESEL), SYMBOL(LBS_OWNERDRAWFIXED),
        SYMBOL(LBS_OWNERDRAWVARIABLE), SYMBOL(LBS_HASSTRINGS), SYMBOL(LBS_USETABSTOPS),
        SYMBOL(LBS_NOINTEGRALHEIGHT), SYMBOL(LBS_MULTICOLUMN), SYMBOL(LBS_WANTKEYBOARDINPUT),
        SYMBOL(LBS_EXTENDEDSEL), SYMBOL(LBS_DISABLENOSCROLL), SYMBOL(LBS_NODATA), SYMBOL(LBS_NOSEL),
        SYMBOL(LBS_COMBOBOX), SYMBOL(LBS_STANDARD), SYMBOL(SBS_HORZ), SYMBOL(SBS_VERT), SYMBOL(SBS_TOPALIGN),
        SYMBOL(SBS_LEFTALIGN), SYMBOL(SBS_BOTTOMALIGN), SYMBOL(SBS_RIGHTALIGN),
        SYMBOL(SBS_SIZEBOXTOPLEFTALIGN), SYMBOL(SBS_SIZEBOXBOTTOMRIGHTALIGN), SYMBOL(SBS_SIZEBOX),
        SYMBOL(SBS_SIZEGRIP), SYMBOL(IDOK), SYMBOL(IDCANCEL), SYMBOL(IDABORT), SYMBOL(IDRETRY),
        SYMBOL(IDIGNORE), SYMBOL(IDYES), SYMBOL(IDNO), SYMBOL(IDCLOSE), SYMBOL(IDHELP), SYMBOL(LANG_NEUTRAL),
        SYMBOL(LANG_ENGLISH), SYMBOL(LANG_FRENCH), SYMBOL(SUBLANG_NEUTRAL), SYMBOL(SUBLANG_DEFAULT),
        SYMBOL(SUBLANG_SYS_DEFAULT), SYMBOL(SUBLANG_ENGLISH_US), SYMBOL(SUBLANG_ENGLISH_UK),
        SYMBOL(SUBLANG_FRENCH), SYMBOL(SUBLANG_FRENCH_BELGIAN), SYMBOL(SUBLANG_FRENCH_CANADIAN),
        SYMBOL(SUBLANG_FRENCH_SWISS),
    };
#undef SYMBOL
    for (const auto& [name, value] : names) {
        const auto ours = helm::rc::builtin_symbol(name);
        ASSERT_TRUE(ours.has_value()) << name;
        EXPECT_EQ(*ours, value) << name;
    }
}

namespace {

// helm-rc lies beside the test program.
std::string compiler_path()
{
    return (fs::read_symlink("/proc/self/exe").parent_path() / "helm-rc").string();
}

std::string read_all(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace

TEST(ResourceCompiler, ProgramFailsTheBuildWithoutTouchingTheOutput)
{
    ScriptFiles files;
    const std::string good = files.write("good.rc", "STRINGTABLE BEGIN 1 \"one\" END\n");
    const std::string bad = files.write("bad.rc", "STRINGTABLE BEGIN 1 \"one\"\n2 \"two\" END\n2 DIALOGEX 0\n");
    const fs::path out = files.dir() / "out.cpp";
    const fs::path deps = files.dir() / "out.cpp.d";
    const fs::path err = files.dir() / "err.txt";
    const auto run = [&](const std::string& script) {
        const std::string command = compiler_path() + " -o " + out.string() + " -d " + deps.string() + " " + script +
                                    " 2> " + err.string();
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };

    ASSERT_EQ(run(good), 0) << read_all(err);
    const std::string source = read_all(out);
    EXPECT_NE(source.find("helm::user::ResourceRegistration registration(entries, 1)"), std::string::npos);
    EXPECT_NE(source.find("{6, nullptr, 1, nullptr, 0x409, resource0, 38}"), std::string::npos) << source;
    EXPECT_NE(read_all(deps).find(good), std::string::npos);

    EXPECT_EQ(run(bad), 1);
    EXPECT_EQ(read_all(err), bad + ":3: error: expected , after x, found 'end of file'\n");
    EXPECT_EQ(read_all(out), source);  // the last good output stays whole
    EXPECT_FALSE(fs::exists(out.string() + ".tmp"));

    EXPECT_EQ(run(""), 2);  // no script: usage
}
