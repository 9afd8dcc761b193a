#include "helm/station/atoms.h"

#include <gtest/gtest.h>

#include <string>

#include "helm/kernel/error.h"

namespace {

TEST(RegisterWindowMessage, GivesOneNumberPerNameInTheRegisteredRange)
{
    UINT a = RegisterWindowMessage("HelmTest_Message_A");
    UINT b = RegisterWindowMessage("HelmTest_Message_B");
    EXPECT_GE(a, 0xC000u);
    EXPECT_LE(a, 0xFFFFu);
    EXPECT_GE(b, 0xC000u);
    EXPECT_LE(b, 0xFFFFu);
    EXPECT_NE(a, b);
    EXPECT_EQ(RegisterWindowMessage("helmtest_message_a"), a);
    EXPECT_EQ(RegisterWindowMessage("HELMTEST_MESSAGE_B"), b);
}

TEST(RegisterWindowMessage, RefusesNamesWindowsRefuses)
{
    struct Case {
        const char* what;
        const char* name;
    };
    std::string too_long(256, 'x');
    for (Case c : {Case{"null", nullptr}, Case{"empty", ""}, Case{"256 bytes", too_long.c_str()}}) {
        SetLastError(0);
        EXPECT_EQ(RegisterWindowMessage(c.name), 0u) << c.what;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << c.what;
    }
    EXPECT_NE(RegisterWindowMessage(std::string(255, 'x').c_str()), 0u);
}

TEST(GlobalAtoms, ShareTheRegisteredMessageTable)
{
    UINT message = RegisterWindowMessage("HelmTest_Shared_Atom");
    EXPECT_EQ(GlobalFindAtom("HELMTEST_shared_ATOM"), message);
    EXPECT_EQ(GlobalAddAtom("helmtest_shared_atom"), message);

    ATOM added = GlobalAddAtom("HelmTest_Added_Atom");
    ASSERT_NE(added, 0);
    EXPECT_EQ(RegisterWindowMessage("HelmTest_Added_Atom"), added);
    char name[64];
    EXPECT_EQ(GlobalGetAtomName(added, name, sizeof name), 19u);
    EXPECT_STREQ(name, "HelmTest_Added_Atom");

    EXPECT_EQ(GlobalFindAtom("HelmTest_Never_Added"), 0);
}

TEST(GlobalAtoms, IntegerAtomsNeedNoTable)
{
    EXPECT_EQ(GlobalAddAtom(MAKEINTATOM(123)), 123);
    EXPECT_EQ(GlobalAddAtom("#456"), 456);
    EXPECT_EQ(GlobalFindAtom("#0456"), 456);
    EXPECT_EQ(GlobalAddAtom(MAKEINTATOM(0)), 0);
    EXPECT_EQ(GlobalAddAtom("#49152"), 0);
    char name[16];
    EXPECT_EQ(GlobalGetAtomName(456, name, sizeof name), 4u);
    EXPECT_STREQ(name, "#456");
    // "#" with more than digits is an ordinary name.
    EXPECT_GE(GlobalAddAtom("#12a"), 0xC000);
}

TEST(GlobalAtoms, NameIsCutToTheBuffer)
{
    ATOM atom = GlobalAddAtom("HelmTest_Long_Name");
    char name[5] = {'z', 'z', 'z', 'z', 'z'};
    EXPECT_EQ(GlobalGetAtomName(atom, name, sizeof name), 4u);
    EXPECT_STREQ(name, "Helm");
    EXPECT_EQ(GlobalGetAtomName(atom, name, 0), 0u);
    EXPECT_EQ(GlobalGetAtomName(0xFFFE, name, sizeof name), 0u);
}

}  // namespace
