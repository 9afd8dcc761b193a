// The system's text of an error code.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "helm/kernel/error.h"

namespace {

TEST(FormatMessage, GivesTheSystemTextOrFailsAsWindowsDoes)
{
    constexpr DWORD kFromSystem = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    const std::string not_found = "The system cannot find the file specified.\r\n";
    struct {
        const char* what;
        DWORD flags, code, language, size;
        const char* text;  // null: the call fails
        DWORD error;
    } cases[] = {
        {"known code", kFromSystem, ERROR_FILE_NOT_FOUND, 0, 256, not_found.c_str(), 0},
        {"without ignoring inserts", FORMAT_MESSAGE_FROM_SYSTEM, ERROR_INVALID_PARAMETER, 0, 256,
         "The parameter is incorrect.\r\n", 0},
        {"English (UK) asked", kFromSystem, ERROR_ACCESS_DENIED, 0x0809, 256, "Access is denied.\r\n", 0},
        {"exactly fits", kFromSystem, ERROR_FILE_NOT_FOUND, 0, static_cast<DWORD>(not_found.size() + 1),
         not_found.c_str(), 0},
        {"one byte short", kFromSystem, ERROR_FILE_NOT_FOUND, 0, static_cast<DWORD>(not_found.size()), nullptr,
         ERROR_INSUFFICIENT_BUFFER},
        {"code without text", kFromSystem, 0x12345, 0, 256, nullptr, ERROR_MR_MID_NOT_FOUND},
        {"French asked", kFromSystem, ERROR_FILE_NOT_FOUND, 0x040C, 256, nullptr, 1815},
        {"not from the system", FORMAT_MESSAGE_IGNORE_INSERTS, ERROR_FILE_NOT_FOUND, 0, 256, nullptr,
         ERROR_INVALID_PARAMETER},
        {"buffer to allocate", kFromSystem | 0x100, ERROR_FILE_NOT_FOUND, 0, 256, nullptr, ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        char buffer[256];
        std::memset(buffer, 'x', sizeof buffer);
        SetLastError(0);
        const DWORD length = FormatMessage(c.flags, nullptr, c.code, c.language, buffer, c.size, nullptr);
        if (c.text) {
            EXPECT_EQ(length, std::strlen(c.text));
            EXPECT_STREQ(buffer, c.text);
        } else {
            EXPECT_EQ(length, 0u);
            EXPECT_EQ(GetLastError(), c.error);
            EXPECT_EQ(buffer[0], 'x') << "nothing written";
        }
    }
}

}  // namespace
