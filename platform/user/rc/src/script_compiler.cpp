#include "script_compiler.h"

#include <cctype>
#include <fstream>
#include <sstream>

#include "byte_writer.h"
#include "resource_codepage.h"
#include "symbols.h"
#include "text.h"

namespace helm::rc {
namespace {

constexpr uint32_t kWsChild = 0x40000000, kWsVisible = 0x10000000, kWsTabstop = 0x00010000,
                   kWsGroup = 0x00020000, kWsBorder = 0x00800000, kWsPopup = 0x80000000,
                   kWsSysmenu = 0x00080000, kWsCaption = 0x00C00000, kDsSetfont = 0x0040;

// What each control statement makes: its class (atom of the standard
// classes), the style it starts from, and which arguments it takes.
struct ControlKind {
    const char* keyword;
    uint16_t class_atom;  // 0: CONTROL names its class
    uint32_t style;
    bool has_text;
};
constexpr ControlKind kControls[] = {
    {"CONTROL", 0, 0, true},
    {"LTEXT", 0x82, 0x0000 | kWsGroup, true},
    {"RTEXT", 0x82, 0x0002 | kWsGroup, true},
    {"CTEXT", 0x82, 0x0001 | kWsGroup, true},
    {"PUSHBUTTON", 0x80, 0x0000 | kWsTabstop, true},
    {"DEFPUSHBUTTON", 0x80, 0x0001 | kWsTabstop, true},
    {"CHECKBOX", 0x80, 0x0002 | kWsTabstop, true},
    {"AUTOCHECKBOX", 0x80, 0x0003 | kWsTabstop, true},
    {"RADIOBUTTON", 0x80, 0x0004, true},
    {"AUTORADIOBUTTON", 0x80, 0x0009, true},
    {"STATE3", 0x80, 0x0005 | kWsTabstop, true},
    {"AUTO3STATE", 0x80, 0x0006 | kWsTabstop, true},
    {"GROUPBOX", 0x80, 0x0007, true},
    {"EDITTEXT", 0x81, 0x0000 | kWsBorder | kWsTabstop, false},
    {"COMBOBOX", 0x85, 0x0001 | kWsTabstop, false},
    {"LISTBOX", 0x83, 0x0001 | kWsBorder, false},
    {"SCROLLBAR", 0x84, 0x0000, false},
    {"ICON", 0x82, 0x0003, true},
};

// Class names that stand for the atoms of the standard controls.
constexpr std::pair<const char*, uint16_t> kClassAtoms[] = {
    {"BUTTON", 0x80}, {"EDIT", 0x81}, {"STATIC", 0x82}, {"LISTBOX", 0x83}, {"SCROLLBAR", 0x84}, {"COMBOBOX", 0x85},
};

constexpr const char* kMemoryFlags[] = {"DISCARDABLE", "MOVEABLE", "FIXED", "PURE", "IMPURE", "PRELOAD", "LOADONCALL"};

constexpr const char* kUnsupportedTypes[] = {"DIALOG", "MENUEX", "CURSOR", "RCDATA",
                                              "TEXTINCLUDE", "TOOLBAR", "DLGINIT", "HTML", "MESSAGETABLE",
                                              "FONT", "AFX_DIALOG_LAYOUT"};

// A name or number of a template field: a string, or 0xFFFF and a number.
struct NameOrOrdinal {
    bool ordinal = false;
    uint16_t number = 0;
    std::u16string name;
    bool empty() const { return !ordinal && name.empty(); }
    void write(ByteWriter& out) const
    {
        if (ordinal) {
            out.word(0xFFFF);
            out.word(number);
        } else {
            out.wide_string(name);
        }
    }
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with hexadecimal digits.
bool is_class_id(const std::string& text)
{
    constexpr std::string_view shape = "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}";
    if (text.size() != shape.size())
        return false;
    for (size_t i = 0; i < shape.size(); ++i) {
        const bool digit = std::isxdigit(static_cast<unsigned char>(text[i])) != 0;
        if (shape[i] == 'x' ? !digit : text[i] != shape[i])
            return false;
    }
    return true;
}

uint16_t read_le16(const std::vector<uint8_t>& b, size_t at)
{
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
uint32_t read_le32(const std::vector<uint8_t>& b, size_t at)
{
    return read_le16(b, at) | (static_cast<uint32_t>(read_le16(b, at + 2)) << 16);
}

}  // namespace

struct ScriptCompiler::DialogItem {
    uint32_t help_id = 0;
    uint32_t ex_style = 0;
    uint32_t style = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    uint32_t id = 0;
    NameOrOrdinal class_name;
    NameOrOrdinal title;
};

// ------------------------------------------------------------ the cursor

const Token& ScriptCompiler::peek(size_t ahead) const
{
    const size_t at = std::min(m_pos + ahead, m_tokens.size() - 1);
    return m_tokens[at];
}

const Token& ScriptCompiler::next()
{
    const Token& t = m_tokens[m_pos];
    if (m_pos + 1 < m_tokens.size())
        ++m_pos;
    return t;
}

bool ScriptCompiler::accept(const char* word)
{
    if (peek().is(word)) {
        next();
        return true;
    }
    return false;
}

void ScriptCompiler::expect(const char* word, const char* context)
{
    if (!accept(word))
        fail(std::string("expected ") + word + " " + context + ", found '" + peek().text + "'");
}

void ScriptCompiler::expect_comma(const char* context)
{
    expect(",", context);
}

void ScriptCompiler::fail(const std::string& message) const
{
    throw CompileError(peek().place, message);
}

void ScriptCompiler::fail_at(const Token& token, const std::string& message) const
{
    throw CompileError(token.place, message);
}

// ----------------------------------------------------------- expressions

uint32_t ScriptCompiler::expression()
{
    return or_term();
}

uint32_t ScriptCompiler::or_term()
{
    uint32_t value = and_term();
    while (accept("|"))
        value |= and_term();
    return value;
}

uint32_t ScriptCompiler::and_term()
{
    uint32_t value = add_term();
    while (accept("&"))
        value &= add_term();
    return value;
}

uint32_t ScriptCompiler::add_term()
{
    uint32_t value = mul_term();
    for (;;) {
        if (accept("+"))
            value += mul_term();
        else if (accept("-"))
            value -= mul_term();
        else
            return value;
    }
}

uint32_t ScriptCompiler::mul_term()
{
    uint32_t value = unary();
    for (;;) {
        if (accept("*")) {
            value *= unary();
        } else if (peek().is("/")) {
            const Token& slash = next();
            const uint32_t divisor = unary();
            if (divisor == 0)
                fail_at(slash, "division by zero");
            value /= divisor;
        } else {
            return value;
        }
    }
}

uint32_t ScriptCompiler::unary()
{
    if (accept("-"))
        return 0u - unary();
    if (accept("~"))
        return ~unary();
    if (accept("(")) {
        const uint32_t value = or_term();
        expect(")", "to close the parenthesis");
        return value;
    }
    const Token& t = peek();
    if (t.kind == TokenKind::Number) {
        next();
        return t.number;
    }
    if (t.kind == TokenKind::Identifier) {
        if (const auto value = builtin_symbol(t.text)) {
            next();
            return *value;
        }
        fail_at(t, "unknown name " + t.text + " (no #define for it)");
    }
    fail_at(t, "expected a number, found '" + t.text + "'");
}

// Terms joined by '|', applied left to right on `start`: a plain term sets
// its bits, NOT term clears them (so NOT WS_TABSTOP removes a control's
// default tab stop).
uint32_t ScriptCompiler::style(uint32_t start)
{
    uint32_t value = start;
    do {
        if (accept("NOT"))
            value &= ~and_term();
        else
            value |= and_term();
    } while (accept("|"));
    return value;
}

int16_t ScriptCompiler::coordinate(const char* what)
{
    const Token& at = peek();
    const auto value = static_cast<int32_t>(expression());
    if (value < -32768 || value > 32767)
        fail_at(at, std::string(what) + " " + std::to_string(value) + " is out of range (-32768 to 32767)");
    return static_cast<int16_t>(value);
}

uint16_t ScriptCompiler::word_value(const char* what)
{
    const Token& at = peek();
    const uint32_t value = expression();
    if (value > 0xFFFF)
        fail_at(at, std::string(what) + " " + std::to_string(value) + " is larger than 65535");
    return static_cast<uint16_t>(value);
}

// The text of a string token: escapes resolved, UTF-8 read, and every
// character checked against Windows-1252. A \x escape is a byte of the code
// page, as it is in the suite's C++ strings.
std::u16string ScriptCompiler::text(const Token& token) const
{
    const std::string& raw = token.text;
    std::u16string out;
    size_t i = 0;
    while (i < raw.size()) {
        if (raw[i] == '\\') {
            if (i + 1 >= raw.size())
                fail_at(token, "string ends with a backslash");
            const char e = raw[i + 1];
            i += 2;
            switch (e) {
            case 'n': out += u'\n'; break;
            case 't': out += u'\t'; break;
            case 'r': out += u'\r'; break;
            case 'a': out += u'\b'; break;  // the rc escape for the right-align mark in menus
            case '\\': out += u'\\'; break;
            case '"': out += u'"'; break;
            case '0': out += u'\0'; break;
            case 'x': case 'X': {
                int value = 0, digits = 0;
                while (digits < 2 && i < raw.size() && std::isxdigit(static_cast<unsigned char>(raw[i]))) {
                    const char d = raw[i++];
                    value = value * 16 + (d <= '9' ? d - '0' : (d | 0x20) - 'a' + 10);
                    ++digits;
                }
                if (digits == 0)
                    fail_at(token, "\\x without hexadecimal digits");
                out += helm::user::codepage::to_unicode(static_cast<unsigned char>(value));
                break;
            }
            default:
                fail_at(token, std::string("unknown escape \\") + e + " in string");
            }
            continue;
        }
        size_t at = i;
        const auto code = decode_utf8(raw, at);
        if (!code)
            fail_at(token, "string is not valid UTF-8");
        if (!in_code_page(*code)) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(*code));
            fail_at(token, std::string("character ") + hex + " has no Windows-1252 form");
        }
        out += static_cast<char16_t>(*code);
        i = at;
    }
    return out;
}

std::u16string ScriptCompiler::string_argument(const char* context)
{
    const Token& t = peek();
    if (t.kind != TokenKind::String)
        fail_at(t, std::string("expected a string ") + context + ", found '" + t.text + "'");
    next();
    return text(t);
}

ResourceId ScriptCompiler::resource_name()
{
    const Token& t = peek();
    ResourceId id;
    if (t.kind == TokenKind::String || (t.kind == TokenKind::Identifier && !builtin_symbol(t.text))) {
        next();
        std::string name;
        if (t.kind == TokenKind::String) {
            for (char16_t c : text(t)) {
                const int byte = helm::user::codepage::from_unicode(c);
                name += static_cast<char>(byte);
            }
        } else {
            name = t.text;
        }
        if (name.empty())
            fail_at(t, "empty resource name");
        id.name = ascii_upper(name);
        return id;
    }
    const uint32_t value = expression();
    if (value == 0 || value > 0xFFFF)
        fail_at(t, "resource id " + std::to_string(value) + " is outside 1 to 65535");
    id.number = static_cast<uint16_t>(value);
    return id;
}

uint16_t ScriptCompiler::language_statement()
{
    const Token& at = peek();
    const uint32_t primary = expression();
    expect_comma("between language and sub-language");
    const uint32_t sub = expression();
    if (primary > 0x3FF || sub > 0x3F)
        fail_at(at, "language " + std::to_string(primary) + ", " + std::to_string(sub) + " is out of range");
    return static_cast<uint16_t>((sub << 10) | primary);
}

void ScriptCompiler::skip_memory_flags()
{
    for (bool any = true; any;) {
        any = false;
        for (const char* flag : kMemoryFlags)
            if (accept(flag))
                any = true;
    }
}

// The statements a resource may carry before its BEGIN: memory flags,
// LANGUAGE (which applies to this resource alone), CHARACTERISTICS and
// VERSION (read and dropped). Returns the resource's language.
uint16_t ScriptCompiler::optional_statements()
{
    uint16_t language = m_language;
    for (;;) {
        skip_memory_flags();
        if (accept("LANGUAGE"))
            language = language_statement();
        else if (accept("CHARACTERISTICS") || accept("VERSION"))
            expression();
        else
            return language;
    }
}

bool ScriptCompiler::begin()
{
    return accept("BEGIN") || accept("{");
}

bool ScriptCompiler::end()
{
    return accept("END") || accept("}");
}

// ------------------------------------------------------------ statements

std::vector<CompiledResource> ScriptCompiler::compile(const std::string& path, const std::string* text)
{
    m_tokens = m_preprocessor.run(path, text);
    m_pos = 0;
    while (peek().kind != TokenKind::End)
        statement();
    emit_string_tables();
    return std::move(m_resources);
}

void ScriptCompiler::statement()
{
    if (accept("LANGUAGE")) {
        m_language = language_statement();
        return;
    }
    if (peek().is("STRINGTABLE")) {
        next();
        string_table();
        return;
    }
    const Token start = peek();
    if (start.kind == TokenKind::Punct)
        fail_at(start, "expected a resource statement, found '" + start.text + "'");
    const ResourceId name = resource_name();
    const Token& type = peek();
    if (type.kind != TokenKind::Identifier)
        fail_at(type, "expected a resource type after " + name.text() + ", found '" + type.text + "'");
    next();
    if (type.text == "DIALOGEX")
        dialog(name, start.place);
    else if (type.text == "ICON")
        icon(name, start.place);
    else if (type.text == "BITMAP")
        bitmap(name, start.place);
    else if (type.text == "VERSIONINFO")
        version(name, start.place);
    else if (type.text == "MENU")
        menu(name, start.place);
    else if (type.text == "ACCELERATORS")
        accelerators(name, start.place);
    else {
        for (const char* unsupported : kUnsupportedTypes)
            if (type.text == unsupported)
                fail_at(type, type.text + " resources are not supported");
        fail_at(type, "unknown resource type " + type.text);
    }
}

void ScriptCompiler::add(CompiledResource resource)
{
    for (const CompiledResource& other : m_resources)
        if (other.type == resource.type && other.name == resource.name && other.language == resource.language)
            throw CompileError(resource.place, "resource " + resource.name.text() + " of this type and language is "
                                                   "already defined at " + other.place.text());
    m_resources.push_back(std::move(resource));
}

// ---------------------------------------------------------- string tables

void ScriptCompiler::string_table()
{
    const uint16_t language = optional_statements();
    if (!begin())
        fail("expected BEGIN after STRINGTABLE, found '" + peek().text + "'");
    while (!end()) {
        const Token& at = peek();
        if (at.kind == TokenKind::End)
            fail_at(at, "STRINGTABLE without END");
        const uint32_t id = expression();
        if (id > 0xFFFF)
            fail_at(at, "string id " + std::to_string(id) + " is larger than 65535");
        accept(",");
        std::u16string value = string_argument("after the string id");
        if (value.size() > 0xFFFF)
            fail_at(at, "string " + std::to_string(id) + " is longer than 65535 characters");
        auto& table = m_strings[language];
        const auto found = table.find(static_cast<uint16_t>(id));
        if (found != table.end())
            fail_at(at, "string " + std::to_string(id) + " is already defined at " + found->second.place.text());
        table.emplace(static_cast<uint16_t>(id), StringEntry{std::move(value), at.place});
    }
}

// Each block holds the strings id / 16 * 16 to that + 15 as a length and
// the UTF-16 characters without terminator; the block's name is id / 16 + 1.
void ScriptCompiler::emit_string_tables()
{
    for (const auto& [language, table] : m_strings) {
        std::map<uint16_t, std::vector<const std::pair<const uint16_t, StringEntry>*>> blocks;
        for (const auto& entry : table)
            blocks[static_cast<uint16_t>(entry.first / 16 + 1)].push_back(&entry);
        for (const auto& [block, entries] : blocks) {
            ByteWriter out;
            size_t next = 0;
            for (size_t slot = 0; slot < 16; ++slot) {
                const auto* entry = next < entries.size() && entries[next]->first % 16 == slot ? entries[next++] : nullptr;
                if (!entry) {
                    out.word(0);
                    continue;
                }
                out.word(static_cast<uint16_t>(entry->second.text.size()));
                for (char16_t c : entry->second.text)
                    out.word(c);
            }
            CompiledResource resource;
            resource.type.number = kTypeString;
            resource.name.number = block;
            resource.language = language;
            resource.place = entries.front()->second.place;
            resource.data = out.take();
            m_resources.push_back(std::move(resource));
        }
    }
}

// ----------------------------------------------------------------- dialogs

void ScriptCompiler::dialog(const ResourceId& name, const SourcePlace& place)
{
    skip_memory_flags();
    const int16_t x = coordinate("x");
    expect_comma("after x");
    const int16_t y = coordinate("y");
    expect_comma("after y");
    const int16_t cx = coordinate("width");
    expect_comma("after width");
    const int16_t cy = coordinate("height");
    uint32_t help_id = 0;
    if (accept(","))
        help_id = expression();

    uint32_t style = kWsPopup | kWsBorder | kWsSysmenu;
    uint32_t ex_style = 0;
    uint16_t language = m_language;
    bool has_caption = false, has_font = false;
    std::u16string caption, typeface;
    uint16_t point_size = 0, weight = 0;
    uint8_t italic = 0, charset = 1;  // DEFAULT_CHARSET
    NameOrOrdinal menu, window_class;
    SourcePlace style_place = place;
    const auto name_or_ordinal = [&](const char* what) {
        NameOrOrdinal value;
        if (peek().kind == TokenKind::String) {
            value.name = string_argument(what);
        } else if (peek().kind == TokenKind::Identifier && !builtin_symbol(peek().text)) {
            const std::string word = next().text;
            value.name.assign(word.begin(), word.end());
        } else {
            value.ordinal = true;
            value.number = word_value(what);
        }
        return value;
    };
    for (;;) {
        if (accept("STYLE")) {
            style_place = peek().place;
            style = this->style(0);
        } else if (accept("EXSTYLE")) {
            ex_style = this->style(0);
        } else if (accept("CAPTION")) {
            caption = string_argument("after CAPTION");
            has_caption = true;
        } else if (accept("FONT")) {
            point_size = word_value("font size");
            expect_comma("after the font size");
            typeface = string_argument("naming the font");
            if (accept(",")) {
                weight = word_value("font weight");
                if (accept(",")) {
                    italic = expression() ? 1 : 0;
                    if (accept(","))
                        charset = static_cast<uint8_t>(word_value("character set"));
                }
            }
            has_font = true;
        } else if (accept("MENU")) {
            menu = name_or_ordinal("naming the menu");
        } else if (accept("CLASS")) {
            window_class = name_or_ordinal("naming the class");
        } else if (accept("LANGUAGE")) {
            language = language_statement();
        } else if (accept("CHARACTERISTICS") || accept("VERSION")) {
            expression();
        } else {
            break;
        }
    }
    if (has_caption)
        style |= kWsCaption;
    if (has_font)
        style |= kDsSetfont;
    else if (style & kDsSetfont)
        throw CompileError(style_place, "DS_SETFONT without a FONT statement");

    if (!begin())
        fail("expected BEGIN for the controls of dialog " + name.text() + ", found '" + peek().text + "'");
    std::vector<DialogItem> items;
    while (!end()) {
        const Token& keyword = peek();
        if (keyword.kind == TokenKind::End)
            fail_at(keyword, "dialog " + name.text() + " without END");
        if (keyword.kind != TokenKind::Identifier)
            fail_at(keyword, "expected a control statement, found '" + keyword.text + "'");
        next();
        items.push_back(control(keyword));
        if (items.size() > 0xFFFF)
            fail_at(keyword, "more than 65535 controls in one dialog");
    }

    ByteWriter out;
    out.word(1);       // dlgVer
    out.word(0xFFFF);  // signature of the extended form
    out.dword(help_id);
    out.dword(ex_style);
    out.dword(style);
    out.word(static_cast<uint16_t>(items.size()));
    out.word(static_cast<uint16_t>(x));
    out.word(static_cast<uint16_t>(y));
    out.word(static_cast<uint16_t>(cx));
    out.word(static_cast<uint16_t>(cy));
    menu.write(out);
    window_class.write(out);
    out.wide_string(caption);
    if (has_font) {
        out.word(point_size);
        out.word(weight);
        out.byte(italic);
        out.byte(charset);
        out.wide_string(typeface);
    }
    for (const DialogItem& item : items) {
        out.align(4);
        out.dword(item.help_id);
        out.dword(item.ex_style);
        out.dword(item.style);
        out.word(static_cast<uint16_t>(item.x));
        out.word(static_cast<uint16_t>(item.y));
        out.word(static_cast<uint16_t>(item.cx));
        out.word(static_cast<uint16_t>(item.cy));
        out.dword(item.id);
        item.class_name.write(out);
        item.title.write(out);
        out.word(0);  // no creation data
    }

    CompiledResource resource;
    resource.type.number = kTypeDialog;
    resource.name = name;
    resource.language = language;
    resource.place = place;
    resource.data = out.take();
    add(std::move(resource));
}

// CONTROL text, id, class, style, x, y, cx, cy [, exstyle [, helpid]]
// LTEXT text, id, x, y, cx, cy [, style [, exstyle [, helpid]]] and the like;
// EDITTEXT and the lists have no text. Every control is WS_CHILD | WS_VISIBLE
// unless NOT says otherwise.
ScriptCompiler::DialogItem ScriptCompiler::control(const Token& keyword)
{
    const ControlKind* kind = nullptr;
    for (const ControlKind& k : kControls)
        if (keyword.text == k.keyword)
            kind = &k;
    if (!kind)
        fail_at(keyword, "unknown control statement " + keyword.text);
    const std::string context = "in " + keyword.text;

    DialogItem item;
    if (kind->has_text) {
        const Token& t = peek();
        if (t.kind == TokenKind::String) {
            item.title.name = string_argument(context.c_str());
        } else if (t.kind == TokenKind::Identifier && !builtin_symbol(t.text)) {
            next();  // an image named by its resource name
            item.title.name.assign(t.text.begin(), t.text.end());
        } else {
            item.title.ordinal = true;
            item.title.number = word_value("control text id");
        }
        expect_comma((std::string("after the text ") + context).c_str());
    }
    item.id = expression();
    expect_comma((std::string("after the id ") + context).c_str());

    uint32_t style = kWsChild | kWsVisible | kind->style;
    if (kind->class_atom == 0) {
        const Token& c = peek();
        std::string class_name;
        if (c.kind == TokenKind::String) {
            for (char16_t ch : string_argument(context.c_str()))
                class_name += static_cast<char>(helm::user::codepage::from_unicode(ch));
        } else if (c.kind == TokenKind::Identifier) {
            class_name = next().text;
        } else {
            fail_at(c, "expected a class name " + context + ", found '" + c.text + "'");
        }
        if (class_name.empty())
            fail_at(c, "empty class name " + context);
        // A class id names a component control: a typing error there would
        // only show when the dialog opens without its control.
        if (class_name.front() == '{' && !is_class_id(class_name))
            fail_at(c, "malformed class id " + class_name + " " + context);
        for (const auto& [known, atom] : kClassAtoms)
            if (ascii_upper(class_name) == known) {
                item.class_name.ordinal = true;
                item.class_name.number = atom;
            }
        if (!item.class_name.ordinal)
            for (unsigned char ch : class_name)
                item.class_name.name += helm::user::codepage::to_unicode(ch);
        expect_comma((std::string("after the class ") + context).c_str());
        style = this->style(style);
        expect_comma((std::string("after the style ") + context).c_str());
    } else {
        item.class_name.ordinal = true;
        item.class_name.number = kind->class_atom;
    }

    item.x = coordinate("x");
    expect_comma(("after x " + context).c_str());
    item.y = coordinate("y");
    const bool icon = keyword.text == "ICON";
    // ICON may stop after its position: its size comes from the image.
    if (!icon || peek().is(",")) {
        expect_comma(("after y " + context).c_str());
        item.cx = coordinate("width");
        expect_comma(("after width " + context).c_str());
        item.cy = coordinate("height");
        if (kind->class_atom != 0 && accept(","))
            style = this->style(style);
        if (accept(",")) {
            item.ex_style = this->style(0);
            if (accept(","))
                item.help_id = expression();
        }
    }
    item.style = style;
    return item;
}

// ----------------------------------------------------------------- images

std::vector<uint8_t> ScriptCompiler::read_image(const char* context, std::string& path)
{
    const Token& t = peek();
    if (t.kind != TokenKind::String)
        fail_at(t, std::string("expected the file name of the ") + context + ", found '" + t.text + "'");
    next();
    // File names keep their backslashes as separators ("res\\logo.bmp").
    std::string name;
    for (size_t i = 0; i < t.text.size(); ++i) {
        name += t.text[i];
        if (t.text[i] == '\\' && i + 1 < t.text.size() && t.text[i + 1] == '\\')
            ++i;
    }
    path = m_preprocessor.find_file(name, t.place);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        fail_at(t, "cannot read \"" + path + "\"");
    in.seekg(0, std::ios::end);
    const auto size = static_cast<long long>(in.tellg());
    if (size < 0 || static_cast<unsigned long long>(size) > kMaxImageBytes)
        fail_at(t, "\"" + name + "\" is larger than 4 MiB");
    in.seekg(0);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    if (!in)
        fail_at(t, "cannot read \"" + path + "\"");
    m_preprocessor.note_file(path);
    return bytes;
}

// An .ico file becomes one RT_ICON resource per image (numbered through the
// whole script) and an RT_GROUP_ICON directory under the given name.
void ScriptCompiler::icon(const ResourceId& name, const SourcePlace& place)
{
    skip_memory_flags();
    const Token file_token = peek();
    std::string path;
    const std::vector<uint8_t> file = read_image("icon", path);
    const auto bad = [&](const std::string& why) { fail_at(file_token, "\"" + path + "\" is not an icon file: " + why); };
    if (file.size() < 6 || read_le16(file, 0) != 0 || read_le16(file, 2) != 1)
        bad("no icon header");
    const uint16_t count = read_le16(file, 4);
    if (count == 0)
        bad("no images");
    if (6 + size_t{count} * 16 > file.size())
        bad("the directory runs past the end");

    ByteWriter group;
    group.word(0);
    group.word(1);
    group.word(count);
    for (uint16_t i = 0; i < count; ++i) {
        const size_t entry = 6 + size_t{i} * 16;
        const uint32_t bytes = read_le32(file, entry + 8);
        const uint32_t offset = read_le32(file, entry + 12);
        if (bytes == 0 || offset > file.size() || bytes > file.size() - offset)
            bad("image " + std::to_string(i + 1) + " lies outside the file");
        uint16_t planes = read_le16(file, entry + 4);
        uint16_t bit_count = read_le16(file, entry + 6);
        // Some writers leave these to the image's own header.
        if ((planes == 0 || bit_count == 0) && bytes >= 16 && read_le32(file, offset) == 40) {
            planes = read_le16(file, offset + 12);
            bit_count = read_le16(file, offset + 14);
        }
        if (m_next_icon_image == 0)
            fail_at(file_token, "more than 65535 icon images in one script");
        const uint16_t image_id = m_next_icon_image++;
        group.bytes(&file[entry], 4);  // width, height, colour count, reserved
        group.word(planes);
        group.word(bit_count);
        group.dword(bytes);
        group.word(image_id);

        CompiledResource image;
        image.type.number = kTypeIcon;
        image.name.number = image_id;
        image.language = m_language;
        image.place = place;
        image.data.assign(file.begin() + offset, file.begin() + offset + bytes);
        add(std::move(image));
    }
    CompiledResource resource;
    resource.type.number = kTypeGroupIcon;
    resource.name = name;
    resource.language = m_language;
    resource.place = place;
    resource.data = group.take();
    add(std::move(resource));
}

// A .bmp file is kept without its 14-byte file header: the packed DIB.
void ScriptCompiler::bitmap(const ResourceId& name, const SourcePlace& place)
{
    skip_memory_flags();
    const Token file_token = peek();
    std::string path;
    const std::vector<uint8_t> file = read_image("bitmap", path);
    const auto bad = [&](const std::string& why) { fail_at(file_token, "\"" + path + "\" is not a bitmap file: " + why); };
    if (file.size() < 14 + 12 || file[0] != 'B' || file[1] != 'M')
        bad("no BM header");
    const uint32_t header = read_le32(file, 14);
    if (header != 12 && header != 40 && header != 52 && header != 56 && header != 108 && header != 124)
        bad("unknown bitmap header size " + std::to_string(header));
    if (14 + size_t{header} > file.size())
        bad("the header runs past the end");
    CompiledResource resource;
    resource.type.number = kTypeBitmap;
    resource.name = name;
    resource.language = m_language;
    resource.place = place;
    resource.data.assign(file.begin() + 14, file.end());
    add(std::move(resource));
}

// ---------------------------------------------------------------- versions

namespace {

// One node of a version block: length, value length, type, key, value,
// children, each DWORD-aligned; the length is patched when the node ends.
class VersionNode {
public:
    VersionNode(ByteWriter& out, const std::u16string& key, uint16_t value_length, uint16_t type)
        : m_out(out), m_start(out.size())
    {
        out.align(4);
        m_start = out.size();
        out.word(0);
        out.word(value_length);
        out.word(type);
        out.wide_string(key);
        out.align(4);
    }
    void close()
    {
        const size_t length = m_out.size() - m_start;
        m_out.patch_word(m_start, static_cast<uint16_t>(length));
    }
    size_t start() const { return m_start; }

private:
    ByteWriter& m_out;
    size_t m_start;
};

}  // namespace

void ScriptCompiler::version(const ResourceId& name, const SourcePlace& place)
{
    uint32_t fixed[13] = {0xFEEF04BD, 0x00010000, 0, 0, 0, 0, 0x3F, 0, 0x4, 0, 0, 0, 0};
    const auto version_pair = [&](uint32_t& ms, uint32_t& ls) {
        uint16_t parts[4] = {0, 0, 0, 0};
        for (int i = 0; i < 4; ++i) {
            parts[i] = word_value("version part");
            if (i < 3 && !accept(","))
                break;
        }
        ms = (uint32_t{parts[0]} << 16) | parts[1];
        ls = (uint32_t{parts[2]} << 16) | parts[3];
    };
    for (;;) {
        if (accept("FILEVERSION"))
            version_pair(fixed[2], fixed[3]);
        else if (accept("PRODUCTVERSION"))
            version_pair(fixed[4], fixed[5]);
        else if (accept("FILEFLAGSMASK"))
            fixed[6] = expression();
        else if (accept("FILEFLAGS"))
            fixed[7] = expression();
        else if (accept("FILEOS"))
            fixed[8] = expression();
        else if (accept("FILETYPE"))
            fixed[9] = expression();
        else if (accept("FILESUBTYPE"))
            fixed[10] = expression();
        else
            break;
    }
    ByteWriter out;
    VersionNode root(out, u"VS_VERSION_INFO", 13 * 4, 0);
    for (uint32_t value : fixed)
        out.dword(value);
    if (!begin())
        fail("expected BEGIN for version " + name.text() + ", found '" + peek().text + "'");
    version_block(out);
    if (out.size() > 0xFFFF)
        throw CompileError(place, "version block larger than 65535 bytes");
    root.close();

    CompiledResource resource;
    resource.type.number = kTypeVersion;
    resource.name = name;
    resource.language = m_language;
    resource.place = place;
    resource.data = out.take();
    add(std::move(resource));
}

// The body of a BEGIN ... END of a version block: BLOCK "key" BEGIN ... END
// and VALUE "key", values. A value of strings is text (its length counted
// in characters with the terminator); a value of numbers is binary, WORDs or
// DWORDs for numbers written with L.
void ScriptCompiler::version_block(ByteWriter& out)
{
    while (!end()) {
        if (peek().kind == TokenKind::End)
            fail("version block without END");
        if (accept("BLOCK")) {
            const std::u16string child = string_argument("naming the BLOCK");
            VersionNode node(out, child, 0, 1);
            if (!begin())
                fail("expected BEGIN after BLOCK, found '" + peek().text + "'");
            version_block(out);
            node.close();
            continue;
        }
        if (!accept("VALUE"))
            fail("expected BLOCK or VALUE, found '" + peek().text + "'");
        const Token value_token = peek();
        const std::u16string value_key = string_argument("naming the VALUE");
        std::u16string text_value;
        ByteWriter binary;
        bool any_text = false, any_number = false;
        while (accept(",")) {
            if (peek().kind == TokenKind::String) {
                text_value += string_argument("in VALUE");
                any_text = true;
            } else {
                const bool wide = peek().long_number;
                const uint32_t number = expression();
                if (wide)
                    binary.dword(number);
                else
                    binary.word(static_cast<uint16_t>(number));
                any_number = true;
            }
        }
        if (any_text && any_number)
            fail_at(value_token, "VALUE mixes text and numbers");
        if (any_text || !any_number) {
            VersionNode node(out, value_key, static_cast<uint16_t>(text_value.size() + 1), 1);
            out.wide_string(text_value);
            node.close();
        } else {
            const std::vector<uint8_t> bytes = binary.take();
            VersionNode node(out, value_key, static_cast<uint16_t>(bytes.size()), 0);
            out.bytes(bytes.data(), bytes.size());
            node.close();
        }
    }
}

std::vector<CompiledResource> compile_script(const std::string& path, const std::vector<std::string>& include_dirs,
                                             std::vector<std::string>* files_read)
{
    Preprocessor preprocessor(include_dirs);
    ScriptCompiler compiler(preprocessor);
    std::vector<CompiledResource> result = compiler.compile(path);
    if (files_read)
        *files_read = preprocessor.files_read();
    return result;
}

}  // namespace helm::rc

namespace helm::rc {

std::vector<CompiledResource> compile_script_text(const std::string& path, const std::string& text,
                                                  const std::vector<std::string>& include_dirs)
{
    Preprocessor preprocessor(include_dirs);
    ScriptCompiler compiler(preprocessor);
    return compiler.compile(path, &text);
}

}  // namespace helm::rc

// ------------------------------------------------------------------- menus

namespace helm::rc {

namespace {

// Menu item flags of the resource form.
constexpr uint16_t kMfGrayed = 0x0001, kMfInactive = 0x0002, kMfChecked = 0x0008, kMfPopup = 0x0010,
                   kMfMenuBarBreak = 0x0020, kMfMenuBreak = 0x0040, kMfEnd = 0x0080, kMfHelp = 0x4000;
// Nesting deeper than this is surely a mistake; it also bounds the reader.
constexpr int kDeepestMenu = 8;

// Accelerator flags of the resource form; 0x80 marks the last entry.
constexpr uint16_t kAccVirtKey = 0x01, kAccNoInvert = 0x02, kAccShift = 0x04, kAccControl = 0x08,
                   kAccAlt = 0x10, kAccLast = 0x80;

}  // namespace

// MENUHEADER (version 0, no extra header), then the items depth first: a
// popup is its flags and text, followed by its items; a command is its
// flags, id and text. The last item of each level carries MF_END.
void ScriptCompiler::menu(const ResourceId& name, const SourcePlace& place)
{
    const uint16_t language = optional_statements();
    ByteWriter out;
    out.word(0);
    out.word(0);
    menu_items(out, 0);
    CompiledResource resource;
    resource.type.number = kTypeMenu;
    resource.name = name;
    resource.language = language;
    resource.place = place;
    resource.data = out.take();
    add(std::move(resource));
}

uint16_t ScriptCompiler::menu_options()
{
    uint16_t flags = 0;
    for (;;) {
        accept(",");
        if (accept("CHECKED"))
            flags |= kMfChecked;
        else if (accept("GRAYED"))
            flags |= kMfGrayed;
        else if (accept("INACTIVE"))
            flags |= kMfInactive;
        else if (accept("MENUBARBREAK"))
            flags |= kMfMenuBarBreak;
        else if (accept("MENUBREAK"))
            flags |= kMfMenuBreak;
        else if (accept("HELP"))
            flags |= kMfHelp;
        else
            return flags;
    }
}

void ScriptCompiler::menu_items(ByteWriter& out, int depth)
{
    if (depth > kDeepestMenu)
        fail("menu nested deeper than " + std::to_string(kDeepestMenu) + " levels");
    if (!begin())
        fail("expected BEGIN in MENU, found '" + peek().text + "'");
    size_t last_flags = SIZE_MAX;
    uint16_t last_value = 0;
    while (!end()) {
        const Token& at = peek();
        if (at.kind == TokenKind::End)
            fail_at(at, "MENU without END");
        last_flags = out.size();
        if (accept("POPUP")) {
            std::u16string label = string_argument("after POPUP");
            last_value = static_cast<uint16_t>(kMfPopup | menu_options());
            out.word(last_value);
            out.wide_string(label);
            menu_items(out, depth + 1);
        } else if (accept("MENUITEM")) {
            if (accept("SEPARATOR")) {
                last_value = 0;
                out.word(0);
                out.word(0);
                out.wide_string(u"");
                continue;
            }
            std::u16string label = string_argument("after MENUITEM");
            expect_comma("after the item's text");
            const uint16_t id = word_value("menu item id");
            last_value = menu_options();
            out.word(last_value);
            out.word(id);
            out.wide_string(label);
        } else {
            fail_at(at, "expected POPUP or MENUITEM in MENU, found '" + at.text + "'");
        }
    }
    if (last_flags == SIZE_MAX)
        fail("empty menu level");
    out.patch_word(last_flags, static_cast<uint16_t>(last_value | kMfEnd));
}

// Entries of 8 bytes: flags, key, command, padding. The key is a character
// ("a", or "^C" for Ctrl+C, a control character) or, with VIRTKEY, a
// virtual-key code (a quoted letter then stands for its upper case).
void ScriptCompiler::accelerators(const ResourceId& name, const SourcePlace& place)
{
    const uint16_t language = optional_statements();
    if (!begin())
        fail("expected BEGIN after ACCELERATORS, found '" + peek().text + "'");
    ByteWriter out;
    size_t last = SIZE_MAX;
    uint16_t last_value = 0;
    while (!end()) {
        const Token& at = peek();
        if (at.kind == TokenKind::End)
            fail_at(at, "ACCELERATORS without END");
        uint16_t key = 0;
        bool quoted = false;
        bool control_char = false;
        if (at.kind == TokenKind::String) {
            std::u16string event = text(at);
            next();
            quoted = true;
            if (event.size() == 2 && event[0] == u'^') {
                const char16_t c = event[1] >= u'a' && event[1] <= u'z' ? event[1] - 32 : event[1];
                if (c < u'@' || c > u'_')
                    fail_at(at, "\"^\" must be followed by a letter or one of @[\\]^_");
                key = static_cast<uint16_t>(c - u'@');
                control_char = true;
            } else if (event.size() == 1) {
                key = event[0];
            } else {
                fail_at(at, "an accelerator's key is one character or ^ and a letter");
            }
        } else {
            key = word_value("accelerator key");
        }
        expect_comma("after the accelerator's key");
        const uint16_t id = word_value("accelerator command");
        uint16_t flags = 0;
        bool ascii = false;
        while (accept(",")) {
            if (accept("VIRTKEY"))
                flags |= kAccVirtKey;
            else if (accept("ASCII"))
                ascii = true;
            else if (accept("NOINVERT"))
                flags |= kAccNoInvert;
            else if (accept("SHIFT"))
                flags |= kAccShift;
            else if (accept("CONTROL"))
                flags |= kAccControl;
            else if (accept("ALT"))
                flags |= kAccAlt;
            else
                fail_at(peek(), "unknown accelerator option '" + peek().text + "'");
        }
        if (ascii && (flags & kAccVirtKey))
            fail_at(at, "an accelerator is ASCII or VIRTKEY, not both");
        if (!quoted && !(flags & kAccVirtKey) && !ascii)
            fail_at(at, "a numeric accelerator key needs ASCII or VIRTKEY");
        if ((flags & kAccVirtKey) && control_char)
            fail_at(at, "\"^\" keys are characters, not VIRTKEY");
        if ((flags & kAccVirtKey) && quoted && key >= u'a' && key <= u'z')
            key = static_cast<uint16_t>(key - 32);
        if (!(flags & kAccVirtKey) && (flags & (kAccShift | kAccControl)))
            fail_at(at, "SHIFT and CONTROL need VIRTKEY");
        last = out.size();
        last_value = flags;
        out.word(flags);
        out.word(key);
        out.word(id);
        out.word(0);
    }
    if (last == SIZE_MAX)
        fail("empty ACCELERATORS");
    out.patch_word(last, static_cast<uint16_t>(last_value | kAccLast));
    CompiledResource resource;
    resource.type.number = kTypeAccelerator;
    resource.name = name;
    resource.language = language;
    resource.place = place;
    resource.data = out.take();
    add(std::move(resource));
}

}  // namespace helm::rc
