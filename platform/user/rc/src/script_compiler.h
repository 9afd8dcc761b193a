// Turns the tokens of a resource script into compiled resources: dialogs
// (DIALOGEX in the extended template form), string tables (blocks of 16
// counted UTF-16 strings), menus and accelerator tables in their resource
// forms, icons and bitmaps read from image files, and version blocks.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "compiled_resource.h"
#include "preprocessor.h"

namespace helm::rc {

class ScriptCompiler {
public:
    explicit ScriptCompiler(Preprocessor& preprocessor) : m_preprocessor(preprocessor) {}

    // Throws CompileError at the first fault.
    std::vector<CompiledResource> compile(const std::string& path, const std::string* text = nullptr);

    // Language of resources before any LANGUAGE statement: English (US).
    static constexpr uint16_t kDefaultLanguage = 0x0409;
    // Largest image file an ICON or BITMAP statement may name.
    static constexpr size_t kMaxImageBytes = 4u << 20;

private:
    struct DialogItem;

    const Token& peek(size_t ahead = 0) const;
    const Token& next();
    bool accept(const char* word);
    void expect(const char* word, const char* context);
    void expect_comma(const char* context);
    [[noreturn]] void fail(const std::string& message) const;
    [[noreturn]] void fail_at(const Token& token, const std::string& message) const;

    uint32_t expression();
    uint32_t or_term();
    uint32_t and_term();
    uint32_t add_term();
    uint32_t mul_term();
    uint32_t unary();
    uint32_t style(uint32_t start);
    int16_t coordinate(const char* what);
    uint16_t word_value(const char* what);
    std::u16string text(const Token& token) const;
    std::u16string string_argument(const char* context);
    ResourceId resource_name();
    uint16_t language_statement();
    void skip_memory_flags();
    uint16_t optional_statements();
    bool begin();
    bool end();

    void statement();
    void string_table();
    void dialog(const ResourceId& name, const SourcePlace& place);
    DialogItem control(const Token& keyword);
    void icon(const ResourceId& name, const SourcePlace& place);
    void bitmap(const ResourceId& name, const SourcePlace& place);
    void version(const ResourceId& name, const SourcePlace& place);
    void menu(const ResourceId& name, const SourcePlace& place);
    void menu_items(class ByteWriter& out, int depth);
    uint16_t menu_options();
    void accelerators(const ResourceId& name, const SourcePlace& place);
    void version_block(class ByteWriter& out);
    std::vector<uint8_t> read_image(const char* context, std::string& path);
    void add(CompiledResource resource);
    void emit_string_tables();

    Preprocessor& m_preprocessor;
    std::vector<Token> m_tokens;
    size_t m_pos = 0;
    uint16_t m_language = kDefaultLanguage;
    uint16_t m_next_icon_image = 1;
    struct StringEntry {
        std::u16string text;
        SourcePlace place;
    };
    std::map<uint16_t, std::map<uint16_t, StringEntry>> m_strings;  // language, id
    std::vector<CompiledResource> m_resources;
};

// The whole compilation: the script and what it includes, to resources.
// `files_read` (if given) receives every file the result depends on.
std::vector<CompiledResource> compile_script(const std::string& path, const std::vector<std::string>& include_dirs,
                                             std::vector<std::string>* files_read = nullptr);
// The same for a script held in memory under the name `path`.
std::vector<CompiledResource> compile_script_text(const std::string& path, const std::string& text,
                                                  const std::vector<std::string>& include_dirs);

}  // namespace helm::rc
