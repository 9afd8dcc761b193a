// The tokens a resource script is cut into, each with the place it came
// from so that every error names file and line.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace helm::rc {

struct SourcePlace {
    std::shared_ptr<const std::string> file;
    int line = 0;
    std::string text() const { return (file ? *file : std::string("?")) + ":" + std::to_string(line); }
};

enum class TokenKind { Identifier, Number, String, Punct, End };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;        // identifier, punctuation, or the number as written
    uint32_t number = 0;     // Number: its value
    bool long_number = false;  // Number written with an L suffix
    std::u16string wide;     // String: its text in UTF-16
    SourcePlace place;

    bool is(const char* punct_or_word) const
    {
        return (kind == TokenKind::Punct || kind == TokenKind::Identifier) && text == punct_or_word;
    }
};

// A fault in a script: what() is "file:line: error: message".
class CompileError : public std::runtime_error {
public:
    CompileError(const SourcePlace& place, const std::string& message)
        : std::runtime_error(place.text() + ": error: " + message)
    {
    }
};

}  // namespace helm::rc
