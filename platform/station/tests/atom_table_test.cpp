#include "helm/station/atom_table.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <deque>
#include <map>
#include <set>
#include <thread>
#include <string>
#include <vector>

#include "helm/test/support.h"

using helm::station::AtomTable;
using helm::test::TempDir;

namespace {

// Two tables on one file stand for two processes of a station.
struct AtomFile : testing::Test {
    TempDir dir;
    std::string path = dir.file("atoms");
    AtomTable first{path};
    AtomTable second{path};
};

TEST_F(AtomFile, NamesKeepTheirNumbersAcrossTablesAndLetterCase)
{
    uint16_t a = first.add("Helm.Alpha");
    uint16_t b = second.add("Helm.Beta");
    EXPECT_GE(a, AtomTable::first_atom);
    EXPECT_GE(b, AtomTable::first_atom);
    EXPECT_NE(a, b);
    EXPECT_EQ(second.add("HELM.ALPHA"), a);
    EXPECT_EQ(first.add("helm.beta"), b);
    EXPECT_EQ(first.find("Helm.Beta"), b);
    EXPECT_EQ(second.name_of(a), "Helm.Alpha");
    EXPECT_EQ(AtomTable(path).add("hElM.aLpHa"), a);
}

TEST_F(AtomFile, OnlyAsciiLettersFoldCase)
{
    // Windows-1252 capitals are distinct bytes, not letters to fold.
    uint16_t lower = first.add("caf\xE9");
    uint16_t upper = second.add("CAF\xC9");
    EXPECT_NE(lower, upper);
    EXPECT_EQ(second.add("CAF\xE9"), lower);
}

TEST_F(AtomFile, EveryByteOfANameSurvivesTheFile)
{
    std::string awkward = "line\nbreak %41 tab\t\x7F\xFF end";
    uint16_t atom = first.add(awkward);
    ASSERT_NE(atom, 0);
    AtomTable reader(path);
    EXPECT_EQ(reader.name_of(atom), awkward);
    EXPECT_EQ(reader.find(awkward), atom);
    EXPECT_EQ(reader.find("line"), 0);
}

TEST_F(AtomFile, NameLengthIsBounded)
{
    EXPECT_NE(first.add(std::string(255, 'n')), 0);
    EXPECT_EQ(first.add(std::string(256, 'n')), 0);
    EXPECT_EQ(first.add(""), 0);
    EXPECT_EQ(first.add(std::string("nul\0inside", 10)), 0);
    // A 255-byte name of escaped bytes is three times as long on disk.
    std::string spaces(255, ' ');
    uint16_t atom = first.add(spaces);
    ASSERT_NE(atom, 0);
    EXPECT_EQ(AtomTable(path).name_of(atom), spaces);
}

TEST_F(AtomFile, ConcurrentTablesNeverGiveOneNumberTwice)
{
    std::deque<AtomTable> tables;
    for (int i = 0; i < 4; ++i)
        tables.emplace_back(path);
    std::vector<std::thread> threads;
    std::vector<std::vector<uint16_t>> got(tables.size());
    for (size_t t = 0; t < tables.size(); ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 100; ++i) {
                int n = (t % 2) ? 99 - i : i;  // half go backwards
                got[t].push_back(tables[t].add("name" + std::to_string(n)));
            }
        });
    for (auto& thread : threads)
        thread.join();
    std::map<std::string, uint16_t> by_name;
    std::set<uint16_t> numbers;
    for (size_t t = 0; t < tables.size(); ++t) {
        for (int i = 0; i < 100; ++i) {
            int n = (t % 2) ? 99 - i : i;
            uint16_t atom = got[t][static_cast<size_t>(i)];
            ASSERT_NE(atom, 0);
            auto [it, fresh] = by_name.emplace("name" + std::to_string(n), atom);
            EXPECT_EQ(it->second, atom) << "name" << n;
            if (fresh) {
                EXPECT_TRUE(numbers.insert(atom).second) << "number given twice: " << atom;
            }
        }
    }
    EXPECT_EQ(numbers.size(), 100u);
}

TEST_F(AtomFile, FullTableRefusesNewNamesButKeepsOldOnes)
{
    helm::test::write_file(path, "C000 first\nFFFF last\n");
    EXPECT_EQ(first.add("FIRST"), 0xC000);
    EXPECT_EQ(first.add("Last"), 0xFFFF);
    EXPECT_EQ(first.add("one more"), 0);
}

// A damaged file: every case puts its damage between two good lines, and
// both good entries, and fresh numbers for new names, must come out of it.
struct Damage {
    const char* what;
    std::string bytes;
};

void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.what; }

class DamagedAtomFile : public testing::TestWithParam<Damage> {};

TEST_P(DamagedAtomFile, GoodLinesSurviveAndNewNamesGetFreshNumbers)
{
    TempDir dir;
    std::string path = dir.file("atoms");
    helm::test::write_file(path, "C001 good.one\n" + GetParam().bytes + "\nC002 good.two\n");
    AtomTable table(path);
    EXPECT_EQ(table.find("good.one"), 0xC001);
    EXPECT_EQ(table.find("GOOD.TWO"), 0xC002);
    std::set<uint16_t> taken{0xC001, 0xC002};
    for (const char* name : {"new.a", "new.b", "bad", "garbage"}) {
        uint16_t atom = table.add(name);
        ASSERT_NE(atom, 0) << name;
        EXPECT_TRUE(taken.insert(atom).second) << name << " got a number already in use";
        EXPECT_EQ(AtomTable(path).find(name), atom) << name << " does not read back";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedAtomFile,
    testing::Values(Damage{"empty line", ""}, Damage{"text", "this is not an entry"},
                    Damage{"lower-case hex", "c003 bad"}, Damage{"short number", "C03 bad"},
                    Damage{"below the range", "BFFF bad"}, Damage{"number only", "C003"},
                    Damage{"no name", "C003 "}, Damage{"tab for space", "C003\tbad"},
                    Damage{"raw space in name", "C003 b a d"}, Damage{"bad escape", "C003 bad%G1"},
                    Damage{"cut escape", "C003 bad%4"}, Damage{"escaped nul", "C003 bad%00"},
                    Damage{"name too long", "C003 " + std::string(256, 'x')},
                    Damage{"repeated number", "C001 bad"}, Damage{"repeated name", "C003 GOOD.ONE"},
                    Damage{"nul bytes", std::string("C0\0\0 bad\0\0", 10)},
                    Damage{"binary", std::string("\xFF\xFE\x01\x02\r\r\r%%%%", 12)},
                    Damage{"carriage return", "C003 bad\r"}),
    [](const testing::TestParamInfo<Damage>& info) {
        std::string name;
        for (char c : std::string(info.param.what))
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(AtomFileTail, LineCutByACrashedWriterDoesNotSwallowTheNextEntry)
{
    TempDir dir;
    std::string path = dir.file("atoms");
    helm::test::write_file(path, "C000 whole\nC001 cu");
    AtomTable writer(path);
    uint16_t atom = writer.add("after.crash");
    ASSERT_NE(atom, 0);
    EXPECT_NE(atom, 0xC001);
    AtomTable reader(path);
    EXPECT_EQ(reader.find("after.crash"), atom);
    EXPECT_EQ(reader.find("whole"), 0xC000);
}

TEST(AtomFileTail, ReplacedFileIsReadAfresh)
{
    TempDir dir;
    std::string path = dir.file("atoms");
    AtomTable table(path);
    uint16_t old_atom = table.add("before");
    ASSERT_NE(old_atom, 0);
    helm::test::write_file(path + ".new", "C123 after\n");
    ASSERT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0);
    EXPECT_EQ(table.find("after"), 0xC123);
    EXPECT_EQ(table.add("fresh"), 0xC124);
}

}  // namespace
