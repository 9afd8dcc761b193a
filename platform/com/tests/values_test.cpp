// Automation values: strings with their 8-bit conversion, and the
// conversions between value types that calls by dispatch id rely on.

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <string>

namespace {

using helm::com::Bstr;
using helm::com::Variant;

TEST(Bstr, KeepsLengthZeroAndWindows1252Text)
{
    BSTR s = SysAllocString(u"Cap");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 3u);
    EXPECT_EQ(SysStringByteLen(s), 6u);
    EXPECT_EQ(s[3], 0);
    ASSERT_TRUE(SysReAllocStringLen(&s, u"abcdef", 2));
    EXPECT_EQ(std::u16string(s), u"ab");
    SysFreeString(s);

    BSTR zeros = SysAllocStringLen(nullptr, 4);
    ASSERT_NE(zeros, nullptr);
    EXPECT_EQ(SysStringLen(zeros), 4u);
    EXPECT_EQ(zeros[0], 0);
    SysFreeString(zeros);

    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
    EXPECT_EQ(SysAllocStringLen(nullptr, 0x7FFFFFFF), nullptr);

    // Degree sign, euro sign, an undefined byte, and a unit 1252 lacks.
    Bstr text(std::string_view("N\xB0 \x80 \x81", 6));
    EXPECT_EQ(helm::com::view(text.get()), std::u16string_view(u"N\u00B0 \u20AC \u0081"));
    EXPECT_EQ(text.text(), std::string("N\xB0 \x80 \x81", 6));
    EXPECT_EQ(helm::com::narrow(u"\u20AC\u0416\u0153"), "\x80?\x9C");
    EXPECT_EQ(helm::com::text_from_bstr(nullptr), "");
}

struct Change {
    VARIANT from;
    VARTYPE to;
    HRESULT result;
    const char* text;  // the converted value as text, when it converted
};

VARIANT i4(LONG v) { return helm::com::arg_i4(v); }
VARIANT r8(double v) { return helm::com::arg_r8(v); }
VARIANT boolean(bool v) { return helm::com::arg_bool(v); }

std::string as_text(const VARIANT& v)
{
    Variant copy;
    if (FAILED(VariantChangeType(&copy, &v, VARIANT_ALPHABOOL, VT_BSTR)))
        return "?";
    return helm::com::text_from_bstr(copy.bstrVal);
}

TEST(Variant, ChangeTypeTable)
{
    Bstr number(std::string_view(" 42.5 ")), word(std::string_view("True")), junk(std::string_view("12abc")),
        huge(std::string_view("1e400")), date_text(std::string_view("12/10/2026 1:05:07 PM")),
        hex(std::string_view("0x10"));
    VARIANT empty;
    VariantInit(&empty);
    VARIANT null_value;
    VariantInit(&null_value);
    null_value.vt = VT_NULL;

    const Change table[] = {
        {i4(65535), VT_UI2, S_OK, "65535"},
        {i4(65536), VT_UI2, DISP_E_OVERFLOW, nullptr},
        {i4(-1), VT_UI4, DISP_E_OVERFLOW, nullptr},
        {i4(-32768), VT_I2, S_OK, "-32768"},
        {r8(2.5), VT_I4, S_OK, "2"},  // half to even
        {r8(3.5), VT_I2, S_OK, "4"},
        {r8(-2.5), VT_I4, S_OK, "-2"},
        {r8(1e300), VT_R4, DISP_E_OVERFLOW, nullptr},
        {r8(NAN), VT_I4, DISP_E_OVERFLOW, nullptr},
        {i4(2), VT_BOOL, S_OK, "True"},
        {i4(0), VT_BOOL, S_OK, "False"},
        {boolean(true), VT_I2, S_OK, "-1"},
        {boolean(true), VT_UI2, DISP_E_OVERFLOW, nullptr},
        {helm::com::arg_bstr(number.get()), VT_I4, S_OK, "42"},
        {helm::com::arg_bstr(number.get()), VT_R8, S_OK, "42.5"},
        {helm::com::arg_bstr(word.get()), VT_BOOL, S_OK, "True"},
        {helm::com::arg_bstr(junk.get()), VT_I4, DISP_E_TYPEMISMATCH, nullptr},
        {helm::com::arg_bstr(hex.get()), VT_I4, DISP_E_TYPEMISMATCH, nullptr},
        {helm::com::arg_bstr(huge.get()), VT_R8, DISP_E_OVERFLOW, nullptr},
        {helm::com::arg_bstr(nullptr), VT_I4, DISP_E_TYPEMISMATCH, nullptr},
        {helm::com::arg_bstr(date_text.get()), VT_DATE, S_OK, "12/10/2026 1:05:07 PM"},
        {r8(46366.5), VT_DATE, S_OK, "12/10/2026 12:00:00 PM"},
        {r8(3e6), VT_DATE, DISP_E_OVERFLOW, nullptr},
        {r8(0.1), VT_BSTR, S_OK, "0.1"},
        {empty, VT_I4, S_OK, "0"},
        {empty, VT_BSTR, S_OK, ""},
        {null_value, VT_I4, DISP_E_TYPEMISMATCH, nullptr},
    };
    for (const auto& c : table) {
        SCOPED_TRACE(testing::Message() << "from vt " << c.from.vt << " to " << c.to << " (" << as_text(c.from)
                                        << ")");
        Variant out;
        HRESULT hr = VariantChangeType(&out, &c.from, 0, c.to);
        EXPECT_EQ(hr, c.result);
        if (SUCCEEDED(hr)) {
            EXPECT_EQ(out.vt, c.to);
            EXPECT_EQ(as_text(out), c.text);
        } else {
            EXPECT_EQ(out.vt, VT_EMPTY);  // a failed conversion leaves the target alone
        }
    }
}

TEST(Variant, ChangeTypeReadsThroughReferencesAndMayConvertInPlace)
{
    SHORT value = 300;
    VARIANT ref = helm::com::arg_ref(&value);
    Variant out;
    ASSERT_EQ(VariantChangeType(&out, &ref, 0, VT_BSTR), S_OK);
    EXPECT_EQ(helm::com::text_from_bstr(out.bstrVal), "300");

    // In place: the old string is freed only after the new value exists.
    ASSERT_EQ(VariantChangeType(&out, &out, 0, VT_R8), S_OK);
    EXPECT_EQ(out.vt, VT_R8);
    EXPECT_EQ(out.dblVal, 300.0);

    VARIANT null_ref;
    VariantInit(&null_ref);
    null_ref.vt = VT_I4 | VT_BYREF;
    EXPECT_TRUE(FAILED(VariantChangeType(&out, &null_ref, 0, VT_I4)));
    EXPECT_EQ(VariantChangeType(&out, &ref, 0, VT_I4 | VT_BYREF), DISP_E_BADVARTYPE);
}

// Counts its references, so copies and clears can be checked.
struct Counted final : helm::com::Object<IUnknown> {
    using Object::reference_count;
};

TEST(Variant, CopyDuplicatesStringsAndReferencesInterfacesAndClearGivesThemBack)
{
    auto* object = new Counted;
    {
        Variant a;
        a.vt = VT_UNKNOWN;
        a.punkVal = object;
        object->AddRef();
        Variant b = a;
        EXPECT_EQ(object->reference_count(), 3u);
        ASSERT_EQ(VariantChangeType(&b, &b, 0, VT_I4), DISP_E_TYPEMISMATCH);
        EXPECT_EQ(object->reference_count(), 3u);
    }
    EXPECT_EQ(object->reference_count(), 1u);
    object->Release();

    Variant s;
    s.vt = VT_BSTR;
    s.bstrVal = SysAllocString(u"abc");
    Variant t = s;
    EXPECT_NE(t.bstrVal, s.bstrVal);
    EXPECT_EQ(std::u16string(t.bstrVal), u"abc");

    // A copy through a reference takes the value, not the reference.
    BSTR held = SysAllocString(u"held");
    VARIANT ref = helm::com::arg_ref(&held);
    Variant deref;
    ASSERT_EQ(VariantCopyInd(&deref, &ref), S_OK);
    EXPECT_EQ(deref.vt, VT_BSTR);
    EXPECT_NE(deref.bstrVal, held);
    SysFreeString(held);

    VARIANT odd;
    VariantInit(&odd);
    odd.vt = 0x0FFF;
    EXPECT_EQ(VariantClear(&odd), DISP_E_BADVARTYPE);
}

}  // namespace
