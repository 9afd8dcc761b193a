#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "helm/kernel/error.h"
#include "helm/kernel/profile.h"
#include "helm/test/support.h"

namespace {

using helm::test::read_file;
using helm::test::write_file;

// The shapes the programs' INI files take: CR LF and LF-only lines mixed,
// blanks and tabs around keys and values, Windows-1252 bytes, quotes,
// comments, lines that are not keys, a section that appears twice.
const std::string sample_ini =
    "; settings of the sensor\r\n"
    "orphan=before any section\n"
    "[General]\r\n"
    "  Language = French \r\n"
    "\tTabbed\t=\tvalue with tabs\t\n"
    "Unit\xB0=deg\xB0"
    "C\r\n"
    "Caf\xE9=cr\xE8me\n"
    "Quoted=\"  padded  \"\n"
    "Single='x'\n"
    "Mismatched=\"abc'\n"
    "; Commented=1\n"
    "NoEquals line\n"
    "Empty=\n"
    "[Port]\n"
    "Baud=9600\n"
    "Neg=-42\n"
    "Junk=abc\n"
    "Mixed=12abc\n"
    "Plus=+7\n"
    "Spaced=   15  \n"
    "Huge=99999999999\n"
    "HugeNeg=-99999999999\n"
    "SignOnly=- 5\n"
    "[ Spaced Section ]\n"
    "k=v\n"
    "[general]\n"
    "Later=from second appearance";  // no line end at the end of the file

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override { write_file(ini, sample_ini); }

    // The value read, with the return value checked against its length.
    std::string get(const char* section, const char* key, const char* fallback = "none", DWORD size = 256)
    {
        std::vector<char> buffer(size + 1, '#');
        DWORD n = GetPrivateProfileString(section, key, fallback, buffer.data(), size, ini.c_str());
        EXPECT_EQ(buffer[size], '#') << "wrote past the buffer";
        std::string value(buffer.data());
        EXPECT_EQ(n, value.size());
        return value;
    }

    // A list read whole (a big buffer), split at its zeros.
    std::vector<std::string> list(const char* section, bool whole_section = false)
    {
        std::vector<char> buffer(4096, '#');
        DWORD n = whole_section ? GetPrivateProfileSection(section, buffer.data(), 4096, ini.c_str())
                                : GetPrivateProfileString(section, nullptr, "none", buffer.data(), 4096, ini.c_str());
        std::vector<std::string> items;
        size_t at = 0;
        while (buffer[at] != '\0') {
            items.emplace_back(buffer.data() + at);
            at += items.back().size() + 1;
        }
        EXPECT_EQ(n, at);
        EXPECT_EQ(buffer[at], '\0');
        return items;
    }

    helm::test::TempDir dir;
    std::string ini = dir.file("sample.ini");
};

struct Lookup {
    const char* section;
    const char* key;
    const char* fallback;
    const char* expected;
};

TEST_F(ProfileTest, ValuesAndDefaults)
{
    const Lookup cases[] = {
        {"General", "Language", "none", "French"},
        {"general", "LANGUAGE", "none", "French"},
        {" General ", "  Language\t", "none", "French"},
        {"General", "Tabbed", "none", "value with tabs"},
        {"General", "Unit\xB0", "none", "deg\xB0"
                                        "C"},
        {"General", "CAF\xE9", "none", "cr\xE8me"},
        // Only ASCII letters fold: 0xC9 is not the same key as 0xE9.
        {"General", "Caf\xC9", "none", "none"},
        {"General", "Quoted", "none", "  padded  "},
        {"General", "Single", "none", "x"},
        {"General", "Mismatched", "none", "\"abc'"},
        {"General", "; Commented", "none", "none"},
        {"General", "Commented", "none", "none"},
        {"General", "NoEquals line", "none", "none"},
        {"General", "Empty", "none", ""},
        {"General", "orphan", "none", "none"},
        {"General", "Later", "none", "from second appearance"},
        {"Spaced Section", "k", "none", "v"},
        {"Port", "Language", "none", "none"},
        {"Missing", "Language", " keep leading  \t", " keep leading"},
        {"General", "Missing", nullptr, ""},
    };
    for (const Lookup& c : cases)
        EXPECT_EQ(get(c.section, c.key, c.fallback), c.expected) << c.section << "/" << c.key;
}

TEST_F(ProfileTest, ValueCutToBuffer)
{
    write_file(ini, "[S]\r\nk=0123456789\r\n");
    struct Cut {
        DWORD size;
        const char* key;
        const char* expected;
    };
    const Cut cases[] = {
        {1, "k", ""},           {5, "k", "0123"},       {10, "k", "012345678"}, {11, "k", "0123456789"},
        {12, "k", "0123456789"}, {4, "none", "abc"}, // the default is cut too
    };
    for (const Cut& c : cases) {
        std::vector<char> buffer(c.size + 1, '#');
        DWORD n = GetPrivateProfileString("S", c.key, "abcdef", buffer.data(), c.size, ini.c_str());
        EXPECT_STREQ(buffer.data(), c.expected) << "size " << c.size;
        EXPECT_EQ(n, std::strlen(c.expected)) << "size " << c.size;
        EXPECT_EQ(buffer[c.size], '#');
    }
    char untouched = '#';
    EXPECT_EQ(GetPrivateProfileString("S", "k", "", &untouched, 0, ini.c_str()), 0u);
    EXPECT_EQ(untouched, '#');
}

TEST_F(ProfileTest, ListCutToBufferEndsWithTwoZeros)
{
    write_file(ini, "[A]\nx=1\n[BB]\nxx=1\nyy=2\n[CCC]\n");
    const std::string all("A\0BB\0CCC\0\0", 10);
    struct Cut {
        DWORD size;
        DWORD returned;
        std::string bytes;
    };
    const Cut cases[] = {
        {11, 9, all},
        {10, 9, all},
        {9, 7, std::string("A\0BB\0CC\0\0", 9)},
        {5, 3, std::string("A\0B\0\0", 5)},
        {3, 1, std::string("A\0\0", 3)},
        {2, 0, std::string("\0\0", 2)},
        {1, 0, std::string("\0", 1)},
    };
    for (const Cut& c : cases) {
        std::vector<char> buffer(c.size + 1, '#');
        EXPECT_EQ(GetPrivateProfileSectionNames(buffer.data(), c.size, ini.c_str()), c.returned) << "size " << c.size;
        EXPECT_EQ(std::string(buffer.data(), std::min<size_t>(c.size, c.bytes.size())), c.bytes) << "size " << c.size;
        EXPECT_EQ(buffer[c.size], '#');
    }
    // Keys and whole sections are cut the same way.
    char keys[5];
    EXPECT_EQ(GetPrivateProfileString("BB", nullptr, nullptr, keys, sizeof keys, ini.c_str()), 3u);
    EXPECT_EQ(std::string(keys, 5), std::string("xx\0\0\0", 5));
    char section[8];
    EXPECT_EQ(GetPrivateProfileSection("BB", section, sizeof section, ini.c_str()), 6u);
    EXPECT_EQ(std::string(section, 8), std::string("xx=1\0y\0\0", 8));
}

TEST_F(ProfileTest, Enumeration)
{
    EXPECT_EQ(list(nullptr), (std::vector<std::string>{"General", "Port", "Spaced Section"}));
    EXPECT_EQ(list("GENERAL"), (std::vector<std::string>{"Language", "Tabbed", "Unit\xB0", "Caf\xE9", "Quoted", "Single",
                                                         "Mismatched", "Empty", "Later"}));
    EXPECT_EQ(list("Missing"), std::vector<std::string>{});
    EXPECT_EQ(list("General", true),
              (std::vector<std::string>{"Language=French", "Tabbed=value with tabs", "Unit\xB0=deg\xB0"
                                                                                     "C",
                                        "Caf\xE9=cr\xE8me", "Quoted=  padded  ", "Single=x", "Mismatched=\"abc'",
                                        "Empty=", "Later=from second appearance"}));

    // An empty list is two zeros and returns 0.
    char buffer[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(GetPrivateProfileSection("Missing", buffer, sizeof buffer, ini.c_str()), 0u);
    EXPECT_EQ(std::string(buffer, 2), std::string("\0\0", 2));
}

TEST_F(ProfileTest, Integers)
{
    struct Number {
        const char* key;
        INT expected;
    };
    const Number cases[] = {
        {"Baud", 9600},     {"Neg", -42},           {"Junk", 0},           {"Mixed", 12},  {"Plus", 7},
        {"Spaced", 15},     {"Huge", INT_MAX},      {"HugeNeg", INT_MIN},  {"SignOnly", 0}, {"Missing", -5},
    };
    for (const Number& c : cases)
        EXPECT_EQ(static_cast<INT>(GetPrivateProfileInt("Port", c.key, -5, ini.c_str())), c.expected) << c.key;
    // An empty value gives the default, like a missing one.
    EXPECT_EQ(GetPrivateProfileInt("General", "Empty", 33, ini.c_str()), 33u);
    EXPECT_EQ(GetPrivateProfileInt("Nowhere", "Baud", 1, dir.file("absent.ini").c_str()), 1u);
}

TEST_F(ProfileTest, MissingFileReadsAsEmpty)
{
    std::string absent = dir.file("absent.ini");
    char buffer[16];
    EXPECT_EQ(GetPrivateProfileString("S", "k", "dflt", buffer, sizeof buffer, absent.c_str()), 4u);
    EXPECT_STREQ(buffer, "dflt");
    EXPECT_EQ(GetPrivateProfileSectionNames(buffer, sizeof buffer, absent.c_str()), 0u);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_NE(access(absent.c_str(), F_OK), 0) << "a read must not create the file";
}

// One write on a given file, and the exact bytes the file holds after it.
struct Edit {
    const char* what;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

class ProfileEdit : public ::testing::TestWithParam<Edit> {};

TEST_P(ProfileEdit, FileBytesAfterWrite)
{
    helm::test::TempDir dir;
    std::string ini = dir.file("edit.ini");
    const Edit& edit = GetParam();
    if (!edit.before.empty())
        write_file(ini, edit.before);
    EXPECT_TRUE(WritePrivateProfileString(edit.section, edit.key, edit.value, ini.c_str()));
    EXPECT_EQ(read_file(ini), edit.after);
}

const std::string commented = "[A]\nx=1\n; note\n\n[B]\n  y = 2\n";

INSTANTIATE_TEST_SUITE_P(
    Profile, ProfileEdit,
    ::testing::Values(
        Edit{"new file", "", "S", "a", "1", "[S]\r\na=1\r\n"},
        Edit{"new key goes after the last key line", commented, "A", "z", "3",
             "[A]\r\nx=1\r\nz=3\r\n; note\r\n\r\n[B]\r\n  y = 2\r\n"},
        Edit{"new key in a section without keys", "[E]\n; only a comment\n[F]\n", "e", "k", "v",
             "[E]\r\nk=v\r\n; only a comment\r\n[F]\r\n"},
        Edit{"replacement keeps the file's key", commented, "b", "Y", "5",
             "[A]\r\nx=1\r\n; note\r\n\r\n[B]\r\ny=5\r\n"},
        Edit{"replacement in the second appearance", "[A]\nx=1\n[B]\n[a]\nw=0\n", "A", "w", "9",
             "[A]\r\nx=1\r\n[B]\r\n[a]\r\nw=9\r\n"},
        Edit{"new section after a last line", "[A]\r\nx=1", "T", "c", "3", "[A]\r\nx=1\r\n\r\n[T]\r\nc=3\r\n"},
        Edit{"new section after a blank line", "[A]\r\nx=1\r\n\r\n", "T", "c", "3",
             "[A]\r\nx=1\r\n\r\n[T]\r\nc=3\r\n"},
        Edit{"bytes written as they are", "", "Unit\xB0", "Caf\xE9", "\"deg\xB0\" ", "[Unit\xB0]\r\nCaf\xE9=\"deg\xB0\" \r\n"},
        Edit{"names trimmed, value kept", "", " S ", "\tk ", " v ", "[S]\r\nk= v \r\n"},
        Edit{"deleted key, every copy of it", "[A]\nx=1\ny=2\nX=3\n[B]\nx=4\n", "A", "x", nullptr,
             "[A]\r\ny=2\r\n[B]\r\nx=4\r\n"},
        Edit{"deleted missing key leaves the file alone", "[A]\nx=1\n", "A", "nope", nullptr, "[A]\nx=1\n"},
        Edit{"deleted section", "[A]\nx=1\n\n[B]\ny=2\n; b's note\n\n[C]\nz=3\n", "b", nullptr, nullptr,
             "[A]\r\nx=1\r\n\r\n[C]\r\nz=3\r\n"},
        Edit{"deleted section, every appearance", "[A]\nx=1\n[B]\n[a]\nw=0\n", "A", nullptr, nullptr, "[B]\r\n"},
        Edit{"flush", "[A]\nx=1\n", nullptr, nullptr, nullptr, "[A]\nx=1\n"}),
    [](const ::testing::TestParamInfo<Edit>& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

TEST_F(ProfileTest, WritesReadBack)
{
    ASSERT_TRUE(WritePrivateProfileString("General", "Language", "English", ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileString("New", "Unit\xB0", "\xE9t\xE9", ini.c_str()));
    EXPECT_EQ(get("general", "language"), "English");
    EXPECT_EQ(get("NEW", "unit\xB0"), "\xE9t\xE9");
    // Every other line survives the rewrite.
    EXPECT_EQ(get("General", "Quoted"), "  padded  ");
    EXPECT_EQ(get("General", "Later"), "from second appearance");
    EXPECT_EQ(GetPrivateProfileInt("Port", "Neg", 0, ini.c_str()), static_cast<UINT>(-42));
    std::string bytes = read_file(ini);
    EXPECT_NE(bytes.find("; Commented=1\r\nNoEquals line\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find("\n\n"), std::string::npos) << "every line now ends with CR LF";
}

TEST(ProfileFiles, CreationModeAndErrors)
{
    helm::test::TempDir dir;
    std::string ini = dir.file("made.ini");

    // Deleting from a missing file succeeds without making it.
    EXPECT_TRUE(WritePrivateProfileString("S", "k", nullptr, ini.c_str()));
    EXPECT_TRUE(WritePrivateProfileString("S", nullptr, nullptr, ini.c_str()));
    EXPECT_NE(access(ini.c_str(), F_OK), 0);

    mode_t mask = umask(022);
    umask(mask);
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "v", ini.c_str()));
    struct stat st {};
    ASSERT_EQ(stat(ini.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u & ~mask);

    ASSERT_EQ(chmod(ini.c_str(), 0600), 0);
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "w", ini.c_str()));
    ASSERT_EQ(stat(ini.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "a rewrite keeps the file's mode";

    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", dir.file("no/such/dir.ini").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    // Read-only: no write bit at all, refused even to a user who could
    // override it.
    ASSERT_EQ(chmod(ini.c_str(), 0444), 0);
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "x", ini.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(read_file(ini), "[S]\r\nk=w\r\n");

    // Something other than a plain file in the file's place.
    ASSERT_EQ(mkdir(dir.file("adir.ini").c_str(), 0700), 0);
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", dir.file("adir.ini").c_str()));
    ASSERT_EQ(mkfifo(dir.file("fifo.ini").c_str(), 0600), 0);
    char buffer[8];
    EXPECT_EQ(GetPrivateProfileString("S", "k", "d", buffer, sizeof buffer, dir.file("fifo.ini").c_str()), 1u);
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", dir.file("fifo.ini").c_str()));

    // Nothing is left behind beside the profile.
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 3u);
}

TEST(ProfileFiles, RefusesWhatWouldNotReadBack)
{
    helm::test::TempDir dir;
    std::string ini = dir.file("refuse.ini");
    write_file(ini, "[S]\nk=v\n");
    struct Refused {
        const char* section;
        const char* key;
        const char* value;
    };
    const Refused cases[] = {
        {"S", "a=b", "v"}, {"S", "k", "line\r\nbreak"}, {"S", "k", "line\nbreak"}, {"S]", "k", "v"},
        {"S", "", "v"},    {"", "k", "v"},              {nullptr, "k", "v"},      {"S", "; k", "v"},
        {"S", "[k]", "v"}, {"Sec\ntion", "k", "v"},
    };
    for (const Refused& c : cases) {
        SetLastError(0);
        EXPECT_FALSE(WritePrivateProfileString(c.section, c.key, c.value, ini.c_str()))
            << (c.section ? c.section : "(null)") << "/" << c.key << "=" << c.value;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    EXPECT_FALSE(WritePrivateProfileSection("S", "ok=1\0[T]\0", ini.c_str()));
    EXPECT_EQ(read_file(ini), "[S]\nk=v\n");
}

TEST(ProfileFiles, WholeSections)
{
    helm::test::TempDir dir;
    std::string ini = dir.file("sections.ini");
    write_file(ini, "[A]\nx=1\n; note\n\n[B]\ny=2\n[a]\nw=0\n");

    ASSERT_TRUE(WritePrivateProfileSection("a", "p=1\0q = 2\0\0", ini.c_str()));
    EXPECT_EQ(read_file(ini), "[A]\r\np=1\r\nq = 2\r\n\r\n[B]\r\ny=2\r\n");

    ASSERT_TRUE(WritePrivateProfileSection("C", "r=3\0", ini.c_str()));
    EXPECT_EQ(read_file(ini), "[A]\r\np=1\r\nq = 2\r\n\r\n[B]\r\ny=2\r\n\r\n[C]\r\nr=3\r\n");

    ASSERT_TRUE(WritePrivateProfileSection("B", "", ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileSection("A", nullptr, ini.c_str()));
    EXPECT_EQ(read_file(ini), "[B]\r\n\r\n[C]\r\nr=3\r\n");
}

TEST(ProfileFiles, NamesWithoutDirectoryLiveInTheWindowsDirectory)
{
    helm::test::TempDir windir;
    const char* saved = std::getenv("HELM_WINDIR");
    std::optional<std::string> previous = saved ? std::optional<std::string>(saved) : std::nullopt;
    setenv("HELM_WINDIR", windir.path().c_str(), 1);

    EXPECT_TRUE(WritePrivateProfileString("S", "k", "v", "plain.ini"));
    EXPECT_EQ(read_file(windir.file("plain.ini")), "[S]\r\nk=v\r\n");
    EXPECT_TRUE(WriteProfileString("windows", "device", "none"));
    EXPECT_EQ(read_file(windir.file("win.ini")), "[windows]\r\ndevice=none\r\n");
    char buffer[16];
    EXPECT_EQ(GetProfileString("Windows", "Device", "", buffer, sizeof buffer), 4u);
    EXPECT_STREQ(buffer, "none");
    EXPECT_EQ(GetProfileInt("windows", "missing", 12), 12u);

    // Backslashes are the system's separators.
    std::string windows_style = windir.file("back.ini");
    for (char& c : windows_style)
        if (c == '/')
            c = '\\';
    EXPECT_TRUE(WritePrivateProfileString("S", "k", "v", windows_style.c_str()));
    EXPECT_EQ(read_file(windir.file("back.ini")), "[S]\r\nk=v\r\n");

    if (previous)
        setenv("HELM_WINDIR", previous->c_str(), 1);
    else
        unsetenv("HELM_WINDIR");
}

TEST(ProfileFiles, SymbolicLinkStaysALink)
{
    helm::test::TempDir dir;
    write_file(dir.file("real.ini"), "[S]\nk=1\n");
    ASSERT_EQ(symlink("real.ini", dir.file("link.ini").c_str()), 0);
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "2", dir.file("link.ini").c_str()));
    struct stat st {};
    ASSERT_EQ(lstat(dir.file("link.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(read_file(dir.file("real.ini")), "[S]\r\nk=2\r\n");
}

TEST(ProfileLimits, LongLinesAndZeroBytes)
{
    helm::test::TempDir dir;
    std::string ini = dir.file("long.ini");
    std::string long_value(100 * 1024, 'x');
    write_file(ini, "[S]\nlong=" + long_value + "\nafter=1\nnul=ab" + std::string(1, '\0') + "cd\n");

    std::vector<char> big(long_value.size() + 1);
    EXPECT_EQ(GetPrivateProfileString("S", "long", "", big.data(), static_cast<DWORD>(big.size()), ini.c_str()),
              long_value.size());
    EXPECT_EQ(std::string(big.data()), long_value);
    char small[8];
    EXPECT_EQ(GetPrivateProfileString("S", "long", "", small, sizeof small, ini.c_str()), 7u);
    EXPECT_EQ(GetPrivateProfileInt("S", "after", 0, ini.c_str()), 1u);
    EXPECT_EQ(GetPrivateProfileString("S", "nul", "", small, sizeof small, ini.c_str()), 2u);
    EXPECT_STREQ(small, "ab");
}

TEST(ProfileLimits, FileSize)
{
    helm::test::TempDir dir;
    std::string ini = dir.file("big.ini");
    const std::string head = "[S]\r\nk=v\r\n;";
    const size_t limit = helm::kernel::profile_file_limit;
    auto file_of_size = [&](size_t size) { return head + std::string(size - head.size() - 2, 'p') + "\r\n"; };
    char buffer[8];

    write_file(ini, file_of_size(limit));
    EXPECT_EQ(GetPrivateProfileString("S", "k", "d", buffer, sizeof buffer, ini.c_str()), 1u);
    EXPECT_STREQ(buffer, "v") << "a file at the limit is read";
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileString("S", "more", "value", ini.c_str())) << "it would grow past the limit";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_TOO_LARGE));

    write_file(ini, file_of_size(limit + 1));
    EXPECT_EQ(GetPrivateProfileString("S", "k", "d", buffer, sizeof buffer, ini.c_str()), 1u);
    EXPECT_STREQ(buffer, "d") << "a file past the limit reads as empty";
    EXPECT_EQ(GetPrivateProfileSectionNames(buffer, sizeof buffer, ini.c_str()), 0u);
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "w", ini.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_TOO_LARGE));
    struct stat st {};
    ASSERT_EQ(stat(ini.c_str(), &st), 0);
    EXPECT_EQ(static_cast<size_t>(st.st_size), limit + 1) << "a refused write leaves the file alone";
}

TEST(ProfileConcurrency, ThreadsWritingOneFileLoseNothing)
{
    helm::test::TempDir dir;
    std::string ini = dir.file("threads.ini");
    constexpr int threads = 4;
    constexpr int keys = 50;
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t)
        writers.emplace_back([&, t] {
            for (int k = 0; k < keys; ++k) {
                std::string key = "t" + std::to_string(t) + "k" + std::to_string(k);
                WritePrivateProfileString("Shared", key.c_str(), std::to_string(k).c_str(), ini.c_str());
            }
        });
    for (std::thread& writer : writers)
        writer.join();
    for (int t = 0; t < threads; ++t)
        for (int k = 0; k < keys; ++k) {
            std::string key = "t" + std::to_string(t) + "k" + std::to_string(k);
            EXPECT_EQ(static_cast<int>(GetPrivateProfileInt("Shared", key.c_str(), -1, ini.c_str())), k) << key;
        }
}

}  // namespace

// A read after any change sees the change: the parsed file a process keeps
// is used again only while the file's bytes are the same, so a change that
// keeps the size, the inode and even the time stamp is not missed.
TEST_F(ProfileTest, EveryReadSeesTheFileAsItIsNow)
{
    ASSERT_EQ(get("Port", "Baud"), "9600");
    struct Change {
        const char* what;
        void (*apply)(const std::string& ini);
        const char* baud;
    };
    const Change changes[] = {
        {"written through the profile", [](const std::string& ini) {
             WritePrivateProfileString("Port", "Baud", "4800", ini.c_str());
         }, "4800"},
        {"replaced by another program", [](const std::string& ini) {
             write_file(ini, "[Port]\nBaud=2400\n");
         }, "2400"},
        {"rewritten in place, same size and time stamp", [](const std::string& ini) {
             struct stat before {};
             stat(ini.c_str(), &before);
             FILE* file = std::fopen(ini.c_str(), "r+");
             std::fputs("[Port]\nBaud=1200\n", file);
             std::fclose(file);
             const timespec times[2] = {before.st_atim, before.st_mtim};
             utimensat(AT_FDCWD, ini.c_str(), times, 0);
         }, "1200"},
        {"emptied", [](const std::string& ini) { write_file(ini, ""); }, "none"},
        {"deleted", [](const std::string& ini) { std::remove(ini.c_str()); }, "none"},
    };
    for (const Change& change : changes) {
        change.apply(ini);
        EXPECT_EQ(get("Port", "Baud"), change.baud) << change.what;
        EXPECT_EQ(GetPrivateProfileInt("Port", "Baud", -1, ini.c_str()),
                  change.baud[0] == 'n' ? UINT_MAX : static_cast<UINT>(std::atoi(change.baud)))
            << change.what;
    }
}
