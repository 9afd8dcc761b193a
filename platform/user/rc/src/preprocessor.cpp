#include "preprocessor.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace helm::rc {
namespace fs = std::filesystem;

namespace {

bool is_ident_start(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool is_ident_char(char c)
{
    return is_ident_start(c) || (c >= '0' && c <= '9');
}
bool is_header(const std::string& path)
{
    const std::string ext = fs::path(path).extension().string();
    return ext == ".h" || ext == ".hpp" || ext == ".H";
}

// #if expressions: integers, defined, the C operators a header's
// conditions use. Unknown names count 0, as in C.
class ConditionParser {
public:
    ConditionParser(const std::vector<Token>& tokens, const SourcePlace& place) : m_tokens(tokens), m_place(place) {}

    long long parse()
    {
        const long long value = parse_binary(0);
        if (m_pos != m_tokens.size())
            fail("unexpected '" + m_tokens[m_pos].text + "' in #if");
        return value;
    }

private:
    [[noreturn]] void fail(const std::string& message) const { throw CompileError(m_place, message); }
    bool take(const char* punct)
    {
        if (m_pos < m_tokens.size() && m_tokens[m_pos].kind == TokenKind::Punct && m_tokens[m_pos].text == punct) {
            ++m_pos;
            return true;
        }
        return false;
    }
    static int precedence(const std::string& op)
    {
        static const std::pair<const char*, int> kTable[] = {
            {"||", 1}, {"&&", 2}, {"|", 3}, {"^", 4}, {"&", 5}, {"==", 6}, {"!=", 6}, {"<", 7}, {">", 7},
            {"<=", 7}, {">=", 7}, {"<<", 8}, {">>", 8}, {"+", 9}, {"-", 9}, {"*", 10}, {"/", 10}, {"%", 10},
        };
        for (const auto& [name, level] : kTable)
            if (op == name)
                return level;
        return -1;
    }
    long long parse_binary(int min_level)
    {
        long long left = parse_unary();
        for (;;) {
            if (m_pos >= m_tokens.size() || m_tokens[m_pos].kind != TokenKind::Punct)
                return left;
            const std::string op = m_tokens[m_pos].text;
            const int level = precedence(op);
            if (level < 0 || level < min_level)
                return left;
            ++m_pos;
            const long long right = parse_binary(level + 1);
            left = apply(op, left, right);
        }
    }
    long long apply(const std::string& op, long long a, long long b) const
    {
        if (op == "||") return a || b;
        if (op == "&&") return a && b;
        if (op == "|") return a | b;
        if (op == "^") return a ^ b;
        if (op == "&") return a & b;
        if (op == "==") return a == b;
        if (op == "!=") return a != b;
        if (op == "<") return a < b;
        if (op == ">") return a > b;
        if (op == "<=") return a <= b;
        if (op == ">=") return a >= b;
        if (op == "<<") return (b < 0 || b > 62) ? 0 : a << b;
        if (op == ">>") return (b < 0 || b > 62) ? 0 : a >> b;
        if (op == "+") return a + b;
        if (op == "-") return a - b;
        if (op == "*") return a * b;
        if (b == 0)
            fail("division by zero in #if");
        return op == "/" ? a / b : a % b;
    }
    long long parse_unary()
    {
        if (take("!")) return !parse_unary();
        if (take("-")) return -parse_unary();
        if (take("+")) return parse_unary();
        if (take("~")) return ~parse_unary();
        if (take("(")) {
            const long long value = parse_binary(0);
            if (!take(")"))
                fail("missing ')' in #if");
            return value;
        }
        if (m_pos >= m_tokens.size())
            fail("#if expression ends too early");
        const Token& t = m_tokens[m_pos++];
        if (t.kind == TokenKind::Number)
            return t.number;
        if (t.kind == TokenKind::Identifier)
            return 0;
        fail("unexpected '" + t.text + "' in #if");
    }

    const std::vector<Token>& m_tokens;
    SourcePlace m_place;
    size_t m_pos = 0;
};

}  // namespace

Preprocessor::Preprocessor(std::vector<std::string> include_dirs) : m_include_dirs(std::move(include_dirs)) {}

std::vector<Token> Preprocessor::run(const std::string& path, const std::string* text)
{
    m_out.clear();
    m_conditions.clear();
    if (text)
        process_text(path, *text, 0);
    else
        process_file(path, SourcePlace{}, 0);
    Token end;
    end.kind = TokenKind::End;
    end.text = "end of file";
    end.place = m_out.empty() ? SourcePlace{std::make_shared<const std::string>(path), 1} : m_out.back().place;
    m_out.push_back(end);
    return std::move(m_out);
}

std::string Preprocessor::find_file(const std::string& name, const SourcePlace& from) const
{
    std::string native = name;
    std::replace(native.begin(), native.end(), '\\', '/');
    if (native.empty())
        throw CompileError(from, "empty file name");
    std::vector<fs::path> candidates;
    if (fs::path(native).is_absolute()) {
        candidates.push_back(native);
    } else {
        if (from.file)
            candidates.push_back(fs::path(*from.file).parent_path() / native);
        for (const auto& dir : m_include_dirs)
            candidates.push_back(fs::path(dir) / native);
    }
    for (const auto& candidate : candidates) {
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec))
            return candidate.lexically_normal().string();
    }
    throw CompileError(from, "cannot find file \"" + name + "\"");
}

bool Preprocessor::active() const
{
    return std::all_of(m_conditions.begin(), m_conditions.end(), [](const Condition& c) { return c.active; });
}

void Preprocessor::process_file(const std::string& path, const SourcePlace& from, int depth)
{
    if (depth > kMaxIncludeDepth)
        throw CompileError(from, "#include nested more than " + std::to_string(kMaxIncludeDepth) + " deep");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw CompileError(from.file ? from : SourcePlace{std::make_shared<const std::string>(path), 0},
                           "cannot read \"" + path + "\"");
    std::ostringstream buffer;
    buffer << in.rdbuf();
    process_text(path, buffer.str(), depth);
}

void Preprocessor::process_text(const std::string& path, const std::string& text, int depth)
{
    const auto file = std::make_shared<const std::string>(path);
    if (text.size() > kMaxFileBytes)
        throw CompileError(SourcePlace{file, 1}, "file larger than 16 MiB");
    m_files.push_back(path);

    const std::vector<RawToken> tokens = lex(text, file);
    const bool header = is_header(path);
    const size_t conditions_at_start = m_conditions.size();
    for (size_t i = 0; i < tokens.size();) {
        if (tokens[i].first_on_line && tokens[i].token.is("#")) {
            std::vector<RawToken> line{tokens[i]};
            size_t j = i + 1;
            while (j < tokens.size() && !tokens[j].first_on_line)
                line.push_back(tokens[j++]);
            directive(line, path, depth);
            i = j;
            continue;
        }
        if (!header && active()) {
            std::vector<std::string> names;
            expand(tokens[i].token, tokens[i].token.place, m_out, 0, names);
        }
        ++i;
    }
    if (m_conditions.size() != conditions_at_start)
        throw CompileError(m_conditions.back().place, "#if without #endif");
}

std::vector<Preprocessor::RawToken> Preprocessor::lex(const std::string& text,
                                                      const std::shared_ptr<const std::string>& file)
{
    std::vector<RawToken> out;
    int line = 1;
    bool first = true;
    bool space = true;
    size_t i = 0;
    const size_t n = text.size();
    const auto place = [&] { return SourcePlace{file, line}; };
    while (i < n) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            first = true;
            space = true;
            ++i;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            space = true;
            ++i;
            continue;
        }
        if (c == '\\' && i + 1 < n && (text[i + 1] == '\n' || (text[i + 1] == '\r' && i + 2 < n && text[i + 2] == '\n'))) {
            i += text[i + 1] == '\n' ? 2 : 3;
            ++line;
            space = true;
            continue;
        }
        if (c == '/' && i + 1 < n && text[i + 1] == '/') {
            while (i < n && text[i] != '\n')
                ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && text[i + 1] == '*') {
            const int start = line;
            i += 2;
            while (i + 1 < n && !(text[i] == '*' && text[i + 1] == '/')) {
                if (text[i] == '\n')
                    ++line;
                ++i;
            }
            if (i + 1 >= n)
                throw CompileError(SourcePlace{file, start}, "unterminated comment");
            i += 2;
            space = true;
            continue;
        }
        RawToken raw;
        raw.first_on_line = first;
        raw.space_before = space;
        raw.token.place = place();
        first = false;
        space = false;
        Token& t = raw.token;
        const bool wide_prefix = (c == 'L' && i + 1 < n && text[i + 1] == '"');
        if (c == '"' || wide_prefix) {
            if (wide_prefix)
                ++i;
            ++i;
            std::string raw_text;
            for (;;) {
                if (i >= n || text[i] == '\n')
                    throw CompileError(t.place, "unterminated string");
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {  // "" stands for one quote
                        raw_text += "\\\"";
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (text[i] == '\\' && i + 1 < n && text[i + 1] != '\n') {
                    raw_text += text.substr(i, 2);
                    i += 2;
                    continue;
                }
                raw_text += text[i++];
            }
            t.kind = TokenKind::String;
            t.text = raw_text;
        } else if (is_ident_start(c)) {
            const size_t start = i;
            while (i < n && is_ident_char(text[i]))
                ++i;
            t.kind = TokenKind::Identifier;
            t.text = text.substr(start, i - start);
        } else if (c >= '0' && c <= '9') {
            const size_t start = i;
            uint64_t value = 0;
            bool overflow = false;
            if (c == '0' && i + 1 < n && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
                i += 2;
                const size_t digits = i;
                while (i < n && std::isxdigit(static_cast<unsigned char>(text[i]))) {
                    const char d = text[i++];
                    const int v = d <= '9' ? d - '0' : (d | 0x20) - 'a' + 10;
                    value = value * 16 + v;
                    overflow |= value > 0xFFFFFFFFull;
                }
                if (i == digits)
                    throw CompileError(t.place, "hexadecimal number without digits");
            } else {
                while (i < n && text[i] >= '0' && text[i] <= '9') {
                    value = value * 10 + (text[i++] - '0');
                    overflow |= value > 0xFFFFFFFFull;
                }
            }
            while (i < n && (text[i] == 'L' || text[i] == 'l' || text[i] == 'U' || text[i] == 'u')) {
                if (text[i] == 'L' || text[i] == 'l')
                    t.long_number = true;
                ++i;
            }
            if (i < n && is_ident_char(text[i]))
                throw CompileError(t.place, "malformed number \"" + text.substr(start, i + 1 - start) + "\"");
            if (overflow)
                throw CompileError(t.place, "number " + text.substr(start, i - start) + " does not fit in 32 bits");
            t.kind = TokenKind::Number;
            t.number = static_cast<uint32_t>(value);
            t.text = text.substr(start, i - start);
        } else {
            static const char* kPairs[] = {"&&", "||", "==", "!=", "<=", ">=", "<<", ">>"};
            t.kind = TokenKind::Punct;
            t.text = std::string(1, c);
            for (const char* pair : kPairs)
                if (i + 1 < n && c == pair[0] && text[i + 1] == pair[1])
                    t.text = pair;
            i += t.text.size();
        }
        out.push_back(std::move(raw));
    }
    return out;
}

void Preprocessor::expand(const Token& token, const SourcePlace& place, std::vector<Token>& out, int depth,
                          std::vector<std::string>& active_names) const
{
    if (token.kind == TokenKind::Identifier) {
        const auto found = m_macros.find(token.text);
        if (found != m_macros.end() &&
            std::find(active_names.begin(), active_names.end(), token.text) == active_names.end()) {
            if (depth >= kMaxExpansionDepth)
                throw CompileError(place, "#define of " + token.text + " nests too deep");
            active_names.push_back(token.text);
            for (const Token& body : found->second)
                expand(body, place, out, depth + 1, active_names);
            active_names.pop_back();
            return;
        }
    }
    if (out.size() >= kMaxTokens)
        throw CompileError(place, "the script expands to more than " + std::to_string(kMaxTokens) + " tokens");
    Token copy = token;
    copy.place = place;
    out.push_back(std::move(copy));
}

long long Preprocessor::evaluate_condition(const std::vector<RawToken>& line, size_t first) const
{
    const SourcePlace& place = line[0].token.place;
    std::vector<Token> tokens;
    for (size_t i = first; i < line.size(); ++i) {
        const Token& t = line[i].token;
        if (t.is("defined")) {
            size_t j = i + 1;
            const bool paren = j < line.size() && line[j].token.is("(");
            if (paren)
                ++j;
            if (j >= line.size() || line[j].token.kind != TokenKind::Identifier)
                throw CompileError(place, "defined needs a name");
            Token value;
            value.kind = TokenKind::Number;
            value.number = m_macros.count(line[j].token.text) ? 1 : 0;
            value.text = std::to_string(value.number);
            tokens.push_back(value);
            if (paren) {
                ++j;
                if (j >= line.size() || !line[j].token.is(")"))
                    throw CompileError(place, "missing ')' after defined");
            }
            i = j;
            continue;
        }
        std::vector<std::string> names;
        expand(t, place, tokens, 0, names);
    }
    if (tokens.empty())
        throw CompileError(place, "#if without a condition");
    return ConditionParser(tokens, place).parse();
}

void Preprocessor::directive(const std::vector<RawToken>& line, const std::string& path, int depth)
{
    const SourcePlace& place = line[0].token.place;
    if (line.size() == 1)
        return;  // a lone '#' is allowed
    const Token& name = line[1].token;
    const std::string word = name.text;
    const auto need_name = [&](const char* what) -> const std::string& {
        if (line.size() < 3 || line[2].token.kind != TokenKind::Identifier)
            throw CompileError(place, std::string(what) + " needs a name");
        return line[2].token.text;
    };

    if (word == "ifdef" || word == "ifndef") {
        const bool defined = m_macros.count(need_name(word == "ifdef" ? "#ifdef" : "#ifndef")) != 0;
        const bool keep = (word == "ifdef") == defined;
        m_conditions.push_back({keep, keep, false, place});
        return;
    }
    if (word == "if") {
        const bool keep = active() ? evaluate_condition(line, 2) != 0 : false;
        m_conditions.push_back({keep, keep, false, place});
        return;
    }
    if (word == "elif" || word == "else" || word == "endif") {
        if (m_conditions.empty())
            throw CompileError(place, "#" + word + " without #if");
        Condition& c = m_conditions.back();
        if (word == "endif") {
            m_conditions.pop_back();
            return;
        }
        if (c.else_seen)
            throw CompileError(place, "#" + word + " after #else");
        if (word == "else") {
            c.else_seen = true;
            c.active = !c.any_taken;
            c.any_taken = true;
            return;
        }
        c.active = false;
        m_conditions.pop_back();
        const bool outer = active();
        m_conditions.push_back(c);
        Condition& again = m_conditions.back();
        const bool keep = !again.any_taken && outer && evaluate_condition(line, 2) != 0;
        again.active = keep;
        again.any_taken = again.any_taken || keep;
        return;
    }
    if (!active())
        return;
    if (word == "define") {
        const std::string& macro = need_name("#define");
        if (line.size() > 3 && line[3].token.is("(") && !line[3].space_before)
            throw CompileError(place, "#define " + macro + "(...) with parameters is not supported");
        std::vector<Token> body;
        for (size_t i = 3; i < line.size(); ++i)
            body.push_back(line[i].token);
        m_macros[macro] = std::move(body);
        return;
    }
    if (word == "undef") {
        m_macros.erase(need_name("#undef"));
        return;
    }
    if (word == "include") {
        std::string file;
        if (line.size() >= 3 && line[2].token.kind == TokenKind::String) {
            file = line[2].token.text;
        } else if (line.size() >= 4 && line[2].token.is("<")) {
            for (size_t i = 3; i < line.size() && !line[i].token.is(">"); ++i)
                file += (line[i].space_before && !file.empty() ? " " : "") + line[i].token.text;
        } else {
            throw CompileError(place, "#include needs a file name");
        }
        // Backslash pairs of an escaped path stand for one separator.
        std::string plain;
        for (size_t i = 0; i < file.size(); ++i) {
            plain += file[i];
            if (file[i] == '\\' && i + 1 < file.size() && file[i + 1] == '\\')
                ++i;
        }
        process_file(find_file(plain, place), place, depth + 1);
        return;
    }
    if (word == "pragma")
        return;  // code_page and the like: the script is UTF-8 whatever it says
    if (word == "error") {
        std::string text;
        for (size_t i = 2; i < line.size(); ++i)
            text += (i > 2 ? " " : "") + line[i].token.text;
        throw CompileError(place, "#error " + text);
    }
    (void)path;
    throw CompileError(place, "unknown directive #" + word);
}

}  // namespace helm::rc
