// Identities: the registry text form both ways, and what is refused.

#include <gtest/gtest.h>

#include <windows.h>

namespace {

constexpr GUID sample = {0x64226BF7, 0xC9FD, 0x4941, {0xA9, 0xAD, 0x33, 0xF1, 0xC0, 0x7E, 0x69, 0x7B}};

TEST(Guid, FormatsAndParsesTheRegistryForm)
{
    EXPECT_EQ(helm::com::format_guid(sample), "{64226BF7-C9FD-4941-A9AD-33F1C07E697B}");
    auto lower = helm::com::parse_guid("{64226bf7-c9fd-4941-a9ad-33f1c07e697b}");
    ASSERT_TRUE(lower);
    EXPECT_TRUE(*lower == sample);

    OLECHAR wide[39];
    EXPECT_EQ(StringFromGUID2(sample, wide, 39), 39);
    CLSID back{};
    EXPECT_EQ(CLSIDFromString(wide, &back), S_OK);
    EXPECT_TRUE(IsEqualCLSID(back, sample));
    EXPECT_EQ(StringFromGUID2(sample, wide, 38), 0);

    LPOLESTR allocated = nullptr;
    ASSERT_EQ(StringFromCLSID(sample, &allocated), S_OK);
    EXPECT_EQ(std::u16string(allocated), u"{64226BF7-C9FD-4941-A9AD-33F1C07E697B}");
    CoTaskMemFree(allocated);
}

TEST(Guid, RefusesAnythingButTheExactForm)
{
    for (const char* bad : {"", "64226BF7-C9FD-4941-A9AD-33F1C07E697B", "{64226BF7-C9FD-4941-A9AD-33F1C07E697B",
                            "{64226BF7C9FD-4941-A9AD-33F1C07E697B0}", "{64226BF7-C9FD-4941-A9AD-33F1C07E697G}",
                            "{64226BF7-C9FD-4941-A9AD-33F1C07E697B} ", "{+4226BF7-C9FD-4941-A9AD-33F1C07E697B}"}) {
        EXPECT_FALSE(helm::com::parse_guid(bad)) << bad;
        std::u16string wide = helm::com::widen(bad);
        IID iid{};
        EXPECT_EQ(IIDFromString(wide.c_str(), &iid), CO_E_CLASSSTRING) << bad;
    }
    IID iid{};
    EXPECT_EQ(IIDFromString(nullptr, &iid), CO_E_CLASSSTRING);
}

TEST(Guid, OrdersAndComparesEveryField)
{
    GUID other = sample;
    other.Data4[7] ^= 1;
    EXPECT_FALSE(other == sample);
    helm::com::GuidLess less;
    EXPECT_NE(less(sample, other), less(other, sample));
    EXPECT_FALSE(less(sample, sample));
    EXPECT_TRUE(IID_IUnknown == IUnknown::iid);
    EXPECT_EQ(helm::com::format_guid(IID_IDispatch), "{00020400-0000-0000-C000-000000000046}");
}

}  // namespace
