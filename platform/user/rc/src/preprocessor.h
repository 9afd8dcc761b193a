// Reads a resource script and the files it includes into one list of
// tokens: comments removed, #define names replaced, #if/#ifdef/#ifndef
// sections kept or dropped. A header (.h, .hpp) gives only its directives,
// so the id headers the C++ code includes can also hold C++.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "token.h"

namespace helm::rc {

class Preprocessor {
public:
    explicit Preprocessor(std::vector<std::string> include_dirs);

    // The tokens of the script, ending with an End token; `text`, when
    // given, is the script's text in place of the file. Throws CompileError.
    std::vector<Token> run(const std::string& path, const std::string* text = nullptr);

    // A file named in the script: beside the file that names it, then in the
    // include directories. Backslashes are directory separators.
    std::string find_file(const std::string& name, const SourcePlace& from) const;
    // Every file read so far (the script, headers, images), for the depfile.
    const std::vector<std::string>& files_read() const { return m_files; }
    void note_file(const std::string& path) { m_files.push_back(path); }

    // Limits on what a script may make the compiler do.
    static constexpr size_t kMaxFileBytes = 16u << 20;
    static constexpr int kMaxIncludeDepth = 16;
    static constexpr int kMaxExpansionDepth = 32;
    // Names that expand to several names each could otherwise grow without end.
    static constexpr size_t kMaxTokens = 1u << 20;

private:
    struct RawToken {
        Token token;
        bool first_on_line = false;
        bool space_before = false;
    };
    struct Condition {
        bool active = true;      // this section is being kept
        bool any_taken = false;  // some branch of this #if was kept
        bool else_seen = false;
        SourcePlace place;
    };

    void process_file(const std::string& path, const SourcePlace& from, int depth);
    void process_text(const std::string& path, const std::string& text, int depth);
    std::vector<RawToken> lex(const std::string& text, const std::shared_ptr<const std::string>& file);
    void directive(const std::vector<RawToken>& line, const std::string& path, int depth);
    void expand(const Token& token, const SourcePlace& place, std::vector<Token>& out, int depth,
                std::vector<std::string>& active_names) const;
    long long evaluate_condition(const std::vector<RawToken>& line, size_t first) const;
    bool active() const;

    std::vector<std::string> m_include_dirs;
    std::vector<std::string> m_files;
    std::map<std::string, std::vector<Token>> m_macros;
    std::vector<Condition> m_conditions;
    std::vector<Token> m_out;
};

}  // namespace helm::rc
