// The test control in its plug-in: registration into the station,
// creation by class id and ProgID, calls by dispatch id with each argument
// form, events to sinks, and the control as a child window.

#include <gtest/gtest.h>

#include <limits.h>
#include <stdlib.h>

#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "helm/kernel/station_path.h"
#include "helm/testcontrol/test_control.h"
#include "helm/testcontrol/test_plugin.h"

namespace {

using helm::com::arg_bool;
using helm::com::arg_bstr;
using helm::com::arg_i4;
using helm::com::arg_r8;
using helm::com::arg_ref;
using helm::com::arg_text;
using helm::com::arg_ui2;
using helm::com::arg_ui4;
using helm::com::Bstr;
using helm::com::ComPtr;
using helm::com::invoke_by_id;
using helm::com::Variant;

using helm::testcontrol::journal;
using helm::testcontrol::plugin_file;
using helm::testcontrol::plugin_idle;
using helm::testcontrol::regsvr;

std::string real(const std::string& path)
{
    char buf[PATH_MAX];
    return ::realpath(path.c_str(), buf) ? buf : path;
}

class Registered : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(regsvr({plugin_file}), 0); }
    void TearDown() override
    {
        EXPECT_EQ(regsvr({"-u", plugin_file}), 0);
        EXPECT_TRUE(plugin_idle()) << "a test left a control alive";
    }
    ComPtr<IDispatch> create()
    {
        ComPtr<IDispatch> d;
        EXPECT_EQ(CoCreateInstance(CLSID_TestControl, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, d.put_void()),
                  S_OK);
        return d;
    }
};

TEST(Registration, CreationFailsCleanlyUntilRegisteredAndAfterUnregistered)
{
    auto try_create = [] {
        void* object = reinterpret_cast<void*>(1);
        HRESULT hr = CoCreateInstance(CLSID_TestControl, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object);
        if (SUCCEEDED(hr))
            static_cast<IUnknown*>(object)->Release();
        else
            EXPECT_EQ(object, nullptr);
        return hr;
    };
    std::u16string prog_id = helm::com::widen(test_control_prog_id);
    CLSID found{};
    EXPECT_EQ(try_create(), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CLSIDFromProgID(prog_id.c_str(), &found), REGDB_E_CLASSNOTREG);

    ASSERT_EQ(regsvr({plugin_file}), 0);
    auto entry = helm::com::find_class(CLSID_TestControl);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->file, real(plugin_file));
    EXPECT_EQ(entry->prog_id, "HelmTest.TestControl.1");
    EXPECT_EQ(entry->version_independent_prog_id, "HelmTest.TestControl");
    EXPECT_EQ(entry->threading_model, "Apartment");
    EXPECT_EQ(entry->keys, DWORD(helm::com::key_programmable | helm::com::key_control | helm::com::key_insertable));
    EXPECT_EQ(entry->misc_status & OLEMISC_ACTIVATEWHENVISIBLE, DWORD(OLEMISC_ACTIVATEWHENVISIBLE));
    EXPECT_EQ(entry->toolbox_bitmap, 103);

    EXPECT_EQ(try_create(), S_OK);
    // By ProgID: the host looks the class id up, then creates by it.
    ComPtr<IDispatch> by_name;
    ASSERT_EQ(CLSIDFromProgID(u"HelmTest.TestControl", &found), S_OK);
    EXPECT_EQ(CoCreateInstance(found, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, by_name.put_void()), S_OK);
    EXPECT_TRUE(by_name);
    by_name.reset();
    for (const char16_t* name : {u"HelmTest.TestControl.1", u"helmtest.testcontrol"}) {
        found = CLSID_NULL;
        EXPECT_EQ(CLSIDFromProgID(name, &found), S_OK);
        EXPECT_TRUE(found == CLSID_TestControl);
        found = CLSID_NULL;
        EXPECT_EQ(CLSIDFromString(name, &found), S_OK);
        EXPECT_TRUE(found == CLSID_TestControl);
    }
    LPOLESTR name = nullptr;
    ASSERT_EQ(ProgIDFromCLSID(CLSID_TestControl, &name), S_OK);
    EXPECT_EQ(std::u16string(name), prog_id);
    CoTaskMemFree(name);

    // Registering again replaces the plug-in's two entries rather than adding more.
    ASSERT_EQ(regsvr({plugin_file}), 0);
    EXPECT_EQ(helm::com::registered_classes().size(), 2u);

    ASSERT_EQ(regsvr({"-u", plugin_file}), 0);
    // The plug-in is still loaded in this process; the registry decides.
    EXPECT_EQ(try_create(), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CLSIDFromProgID(prog_id.c_str(), &found), REGDB_E_CLASSNOTREG);
    EXPECT_TRUE(plugin_idle());
}

TEST(Registration, CommandAndCreationReportBadPlugIns)
{
    std::string out, err;
    EXPECT_EQ(helm::com::run_register_command({}, out, err), 1);
    EXPECT_NE(err.find("usage"), std::string::npos);
    EXPECT_EQ(regsvr({"-x", plugin_file}), 1);
    EXPECT_EQ(regsvr({"/no/such/plugin.so"}), 3);
    // A library without the entry points: the layer itself.
    std::string layer = std::filesystem::path(plugin_file).parent_path() / "libhelm_com.so";
    EXPECT_EQ(regsvr({layer}), 4);
    out.clear();
    err.clear();
    EXPECT_EQ(helm::com::run_register_command({"-s", layer}, out, err), 4);
    EXPECT_TRUE(out.empty() && err.empty());

    // Entries whose file is missing, or holds no factory.
    const CLSID missing = {0x558336B5, 0x6714, 0x4BBC, {0x82, 0x34, 0x8A, 0xBB, 0x37, 0x86, 0x08, 0xC7}};
    const CLSID empty = {0xA4D4DA9F, 0xC313, 0x457F, {0x80, 0xF1, 0xFC, 0x6F, 0x16, 0xF4, 0x2B, 0xE4}};
    helm::com::ClassEntry a, b;
    a.clsid = missing;
    a.file = "/no/such/plugin.so";
    b.clsid = empty;
    b.file = layer;
    helm::com::ClassEntry both[] = {a, b};
    ASSERT_EQ(helm::com::register_classes(both), S_OK);
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(missing, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object), CO_E_DLLNOTFOUND);
    EXPECT_EQ(CoCreateInstance(empty, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object), CO_E_ERRORINDLL);
    EXPECT_EQ(CoCreateInstance(empty, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    const CLSID ids[] = {missing, empty};
    EXPECT_EQ(helm::com::unregister_classes(ids), S_OK);
    EXPECT_EQ(helm::com::unregister_classes(ids), S_FALSE);
}

TEST(Registry, SkipsDamagedLinesKeepsOthersAndEscapesFields)
{
    const std::string path = helm::kernel::station_object_path("registry", "controls");
    {
        std::ofstream f(path, std::ios::binary);
        f << "helm-controls 1\n"
          << "garbage\n"
          << "{45E1B16F-9128-4BEF-8029-10756371C1ED}\tA.B.1\tA.B\tdesc\t/x.so\tApartment\t7\t0\t0\t\t1.0\n"
          << "{45E1B16F-9128-4BEF-8029-10756371C1ZZ}\tA.B.1\tA.B\tdesc\t/x.so\tApartment\t7\t0\t0\t\t1.0\n"
          << "{558336B5-6714-4BBC-8234-8ABB378608C7}\tC.D.1\tC.D\td%zz\t/y.so\tApartment\t7\t0\t0\t\t1.0\n"
          << "{558336B5-6714-4BBC-8234-8ABB378608C7}\tC.D.1\tC.D\td\t/y.so\tApartment\t-7\t0\t0\t\t1.0\n"
          << "{558336B5-6714-4BBC-8234-8ABB378608C7}\tC.D.1\tC.D\td\t/y.so\tApartment\t7\t0\t0\t\t1.0\textra\n";
    }
    auto all = helm::com::registered_classes();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].prog_id, "A.B.1");

    helm::com::ClassEntry e;
    e.clsid = {0x558336B5, 0x6714, 0x4BBC, {0x82, 0x34, 0x8A, 0xBB, 0x37, 0x86, 0x08, 0xC7}};
    e.description = "tab\there, line\nthere, 100%";
    e.file = "/plug ins/odd\tname.so";
    ASSERT_EQ(helm::com::register_classes({&e, 1}), S_OK);
    all = helm::com::registered_classes();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1].description, e.description);
    EXPECT_EQ(all[1].file, e.file);

    helm::com::ClassEntry bad = e;
    bad.file.clear();
    EXPECT_EQ(helm::com::register_classes({&bad, 1}), E_INVALIDARG);
    bad = e;
    bad.prog_id = "Has Blank.1";
    EXPECT_EQ(helm::com::register_classes({&bad, 1}), E_INVALIDARG);

    std::filesystem::remove(path);
    EXPECT_TRUE(helm::com::registered_classes().empty());
}

TEST(Registry, ConcurrentRegistrationsLoseNothing)
{
    auto worker = [](DWORD base) {
        for (DWORD i = 0; i < 40; ++i) {
            helm::com::ClassEntry e;
            e.clsid = {base + i, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
            e.file = "/p.so";
            EXPECT_EQ(helm::com::register_classes({&e, 1}), S_OK);
        }
    };
    std::thread a(worker, 0x1000), b(worker, 0x2000);
    a.join();
    b.join();
    auto all = helm::com::registered_classes();
    EXPECT_EQ(all.size(), 80u);
    std::vector<CLSID> ids;
    for (auto& e : all)
        ids.push_back(e.clsid);
    EXPECT_EQ(helm::com::unregister_classes(ids), S_OK);
    EXPECT_TRUE(helm::com::registered_classes().empty());
}

TEST_F(Registered, CallsByDispatchIdWithEachArgumentForm)
{
    auto d = create();
    ASSERT_TRUE(d);

    // ushort* out, three 8-bit texts, ushort, two doubles, two VT_BOOL.
    USHORT row = 99;
    char label[] = "N\xB0 beacon", value[] = "---", unit[] = " ";
    ASSERT_EQ(invoke_by_id(d.get(), dispid_add_item, DISPATCH_METHOD,
                           {arg_ref(&row), arg_text(label), arg_text(value), arg_text(unit), arg_ui2(20), arg_r8(360),
                            arg_r8(0), arg_bool(true), arg_bool(false)}),
              S_OK);
    EXPECT_EQ(row, 0);
    ASSERT_EQ(invoke_by_id(d.get(), dispid_add_item, DISPATCH_METHOD,
                           {arg_ref(&row), arg_text(label), arg_text(value), arg_text(unit), arg_ui2(15), arg_r8(0),
                            arg_r8(0), arg_bool(false), arg_bool(false)}),
              S_OK);
    EXPECT_EQ(row, 1);
    EXPECT_EQ(journal(d.get()), "AddItem(N\xB0 beacon,---, ,20,360,0,-1,0)=0\nAddItem(N\xB0 beacon,---, ,15,0,0,0,0)=1\n");

    // An 8-bit output written back into the caller's buffer.
    char set[] = "12.5";
    ASSERT_EQ(invoke_by_id(d.get(), dispid_set_item_value, DISPATCH_METHOD, {arg_ui2(1), arg_text(set)}), S_OK);
    char buffer[201];
    std::memset(buffer, 'x', sizeof buffer);
    ASSERT_EQ(invoke_by_id(d.get(), dispid_get_item_text, DISPATCH_METHOD, {arg_ui2(1), arg_text(buffer)}), S_OK);
    EXPECT_STREQ(buffer, "12.5");
    // The member's own failure comes back as it is.
    EXPECT_EQ(invoke_by_id(d.get(), dispid_set_item_value, DISPATCH_METHOD, {arg_ui2(2), arg_text(set)}),
              E_INVALIDARG);

    // An indexed put: (mask, value); gets by mask; S_FALSE passes through.
    ASSERT_EQ(invoke_by_id(d.get(), dispid_scale, DISPATCH_PROPERTYPUT, {arg_ui4(2), arg_r8(1.5)}), S_OK);
    Variant scale;
    ASSERT_EQ(invoke_by_id(d.get(), dispid_scale, DISPATCH_PROPERTYGET, {arg_ui4(2)}, &scale), S_OK);
    EXPECT_EQ(scale.vt, VT_R8);
    EXPECT_EQ(scale.dblVal, 1.5);
    ASSERT_EQ(invoke_by_id(d.get(), dispid_scale, DISPATCH_PROPERTYGET, {arg_ui4(3)}, &scale), S_OK);
    EXPECT_EQ(scale.dblVal, 1.0);
    EXPECT_EQ(invoke_by_id(d.get(), dispid_scale, DISPATCH_PROPERTYGET, {arg_ui4(0)}, &scale), S_FALSE);

    // The same put spelled out: the value is rgvarg[0], named as the put.
    VARIANT raw[2] = {arg_r8(2.5), arg_ui4(1)};
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{raw, &named, 2, 1};
    ASSERT_EQ(d->Invoke(dispid_scale, IID_NULL, 0x400, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr),
              S_OK);
    ASSERT_EQ(invoke_by_id(d.get(), dispid_scale, DISPATCH_PROPERTYGET, {arg_ui4(1)}, &scale), S_OK);
    EXPECT_EQ(scale.dblVal, 2.5);

    // A BSTR property, also from a number coerced to text.
    Bstr caption(std::string_view("Cap \xB0"));
    ASSERT_EQ(invoke_by_id(d.get(), dispid_caption, DISPATCH_PROPERTYPUT, {arg_bstr(caption.get())}), S_OK);
    Variant got;
    ASSERT_EQ(invoke_by_id(d.get(), dispid_caption, DISPATCH_PROPERTYGET, {}, &got), S_OK);
    ASSERT_EQ(got.vt, VT_BSTR);
    EXPECT_EQ(helm::com::text_from_bstr(got.bstrVal), "Cap \xB0");
    ASSERT_EQ(invoke_by_id(d.get(), dispid_caption, DISPATCH_PROPERTYPUT, {arg_i4(42)}), S_OK);
    ASSERT_EQ(invoke_by_id(d.get(), dispid_caption, DISPATCH_PROPERTYGET, {}, &got), S_OK);
    EXPECT_EQ(helm::com::text_from_bstr(got.bstrVal), "42");

    // A date given as text, and a VARIANT parameter that sees the caller's value.
    Bstr when(std::string_view("2026-12-10 13:05:07"));
    ASSERT_EQ(invoke_by_id(d.get(), dispid_stamp, DISPATCH_METHOD, {arg_bstr(when.get()), arg_ui2(7)}), S_OK);
    EXPECT_NE(journal(d.get()).find("Stamp(12/10/2026 1:05:07 PM,vt=18)"), std::string::npos);

    // double* outputs: direct, inside a VARIANT by reference, and converted
    // into another numeric reference and written back.
    double low = 0, high = 0;
    ASSERT_EQ(invoke_by_id(d.get(), dispid_get_range, DISPATCH_METHOD, {arg_ref(&low), arg_ref(&high)}), S_OK);
    EXPECT_EQ(low, 0.5);
    EXPECT_EQ(high, 20.0);
    Variant in_variant;
    in_variant.vt = VT_R8;
    LONG as_long = -1;
    ASSERT_EQ(invoke_by_id(d.get(), dispid_get_range, DISPATCH_METHOD, {arg_ref(&in_variant), arg_ref(&as_long)}),
              S_OK);
    EXPECT_EQ(in_variant.dblVal, 0.5);
    EXPECT_EQ(as_long, 20);
}

TEST_F(Registered, BoolIsMinusOneAndNumbersAreCoercedOrRefused)
{
    auto d = create();
    ASSERT_TRUE(d);
    auto flag = [&] {
        Variant v;
        EXPECT_EQ(invoke_by_id(d.get(), dispid_flag, DISPATCH_PROPERTYGET, {}, &v), S_OK);
        EXPECT_EQ(v.vt, VT_BOOL);
        return v.boolVal;
    };
    ASSERT_EQ(invoke_by_id(d.get(), dispid_flag, DISPATCH_PROPERTYPUT, {arg_bool(true)}), S_OK);
    EXPECT_EQ(flag(), VARIANT_TRUE);
    EXPECT_EQ(flag(), -1);
    // A VT_BOOL of 1 is not VARIANT_TRUE: passed as it stands, the control stores false.
    VARIANT one = arg_bool(true);
    one.boolVal = 1;
    ASSERT_EQ(invoke_by_id(d.get(), dispid_flag, DISPATCH_PROPERTYPUT, {one}), S_OK);
    EXPECT_EQ(flag(), VARIANT_FALSE);
    // A number of another type converts: any non-zero is VARIANT_TRUE.
    ASSERT_EQ(invoke_by_id(d.get(), dispid_flag, DISPATCH_PROPERTYPUT, {arg_i4(1)}), S_OK);
    EXPECT_EQ(flag(), VARIANT_TRUE);

    Bstr number(std::string_view("7"));
    ASSERT_EQ(invoke_by_id(d.get(), dispid_set_numbers, DISPATCH_METHOD,
                           {arg_i4(-3), arg_i4(65535), arg_r8(2.5), arg_bstr(number.get()), arg_r8(0.25)}),
              S_OK);
    EXPECT_NE(journal(d.get()).find("SetNumbers(-3,65535,2,7,0.25)"), std::string::npos);

    std::string before = journal(d.get());
    UINT position = 99;
    EXPECT_EQ(invoke_by_id(d.get(), dispid_set_numbers, DISPATCH_METHOD,
                           {arg_i4(1), arg_i4(70000), arg_i4(3), arg_ui4(4), arg_r8(5)}, nullptr, &position),
              DISP_E_OVERFLOW);
    EXPECT_EQ(position, 1u);
    Bstr junk(std::string_view("x"));
    EXPECT_EQ(invoke_by_id(d.get(), dispid_set_numbers, DISPATCH_METHOD,
                           {arg_i4(1), arg_i4(2), arg_i4(3), arg_bstr(junk.get()), arg_r8(5)}, nullptr, &position),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(position, 3u);
    EXPECT_EQ(journal(d.get()), before);  // a refused call reaches nothing
}

TEST_F(Registered, RefusesCallsThatDoNotFitTheTable)
{
    auto d = create();
    ASSERT_TRUE(d);
    char text[] = "a";
    Bstr bstr(std::string_view("a"));
    struct {
        DISPID id;
        WORD flags;
        std::vector<VARIANT> args;
        HRESULT result;
    } cases[] = {
        {77, DISPATCH_METHOD, {}, DISP_E_MEMBERNOTFOUND},
        {dispid_add_item, DISPATCH_PROPERTYPUT, {arg_i4(1)}, DISP_E_MEMBERNOTFOUND},
        {dispid_journal, DISPATCH_PROPERTYPUT, {arg_i4(1)}, DISP_E_MEMBERNOTFOUND},
        {dispid_set_item_value, DISPATCH_METHOD, {arg_ui2(0)}, DISP_E_BADPARAMCOUNT},
        {dispid_set_item_value, DISPATCH_METHOD, {arg_ui2(0), arg_text(text), arg_ui2(0)}, DISP_E_BADPARAMCOUNT},
        // 8-bit text parameters take VT_I1 | VT_BYREF only.
        {dispid_set_item_value, DISPATCH_METHOD, {arg_ui2(0), arg_bstr(bstr.get())}, DISP_E_TYPEMISMATCH},
        // A by-reference output wants a reference.
        {dispid_get_range, DISPATCH_METHOD, {arg_r8(1), arg_r8(2)}, DISP_E_TYPEMISMATCH},
        {dispid_add_item,
         DISPATCH_METHOD,
         {arg_ui2(0), arg_text(text), arg_text(text), arg_text(text), arg_ui2(1), arg_r8(0), arg_r8(0), arg_bool(0),
          arg_bool(0)},
         DISP_E_TYPEMISMATCH},
    };
    for (auto& c : cases) {
        std::vector<VARIANT> reversed(c.args.rbegin(), c.args.rend());
        DISPID named = DISPID_PROPERTYPUT;
        bool put = c.flags & DISPATCH_PROPERTYPUT;
        DISPPARAMS params{reversed.data(), put ? &named : nullptr, UINT(reversed.size()), put ? 1u : 0u};
        EXPECT_EQ(d->Invoke(c.id, IID_NULL, 0x400, c.flags, &params, nullptr, nullptr, nullptr), c.result)
            << "member " << c.id;
    }
    // Named arguments on a method; a put without its named value.
    VARIANT one = arg_ui4(1);
    DISPID named = 5;
    DISPPARAMS with_name{&one, &named, 1, 1};
    EXPECT_EQ(d->Invoke(dispid_fire, IID_NULL, 0, DISPATCH_METHOD, &with_name, nullptr, nullptr, nullptr),
              DISP_E_NONAMEDARGS);
    DISPPARAMS unnamed{&one, nullptr, 1, 0};
    EXPECT_EQ(d->Invoke(dispid_flag, IID_NULL, 0, DISPATCH_PROPERTYPUT, &unnamed, nullptr, nullptr, nullptr),
              DISP_E_PARAMNOTOPTIONAL);
    EXPECT_EQ(d->Invoke(dispid_fire, IID_IDispatch, 0, DISPATCH_METHOD, &unnamed, nullptr, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    EXPECT_EQ(journal(d.get()), "");

    LPOLESTR names[] = {const_cast<LPOLESTR>(u"additem")};
    DISPID id = 0;
    EXPECT_EQ(d->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, dispid_add_item);
    names[0] = const_cast<LPOLESTR>(u"Nothing");
    EXPECT_EQ(d->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
    UINT count = 9;
    EXPECT_EQ(d->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
}

TEST_F(Registered, DualInterfaceReachesTheSameObject)
{
    auto d = create();
    ASSERT_TRUE(d);
    auto dual = d.query<ITestControl>();
    ASSERT_TRUE(dual);
    USHORT row = 9;
    char label[] = "Roll", value[] = "---", unit[] = " ";
    ASSERT_EQ(dual->AddItem(&row, label, value, unit, 20, 180, -180, VARIANT_TRUE, VARIANT_FALSE), S_OK);
    EXPECT_EQ(row, 0);
    EXPECT_EQ(journal(d.get()), "AddItem(Roll,---, ,20,180,-180,-1,0)=0\n");
    // Every interface of the object answers the same identity.
    ComPtr<IUnknown> a = d.query<IUnknown>(), b = dual.query<IUnknown>();
    EXPECT_EQ(a.get(), b.get());
    EXPECT_TRUE(d.query<IConnectionPointContainer>());
    EXPECT_FALSE(d.query<IClassFactory>());
}

// Records what it is told; answers IDispatch and the event interface.
class Sink final : public helm::com::Object<IDispatch> {
public:
    std::vector<std::string> calls;
    IUnknown* source = nullptr;
    DWORD unadvise_on_call = 0;
    using Object::reference_count;

    HRESULT GetTypeInfoCount(UINT* n) override
    {
        *n = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID locale, WORD flags, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override
    {
        std::string line = std::to_string(id) + (flags == DISPATCH_METHOD ? " method" : " ?") +
                           (locale == 0x400 ? "" : " bad locale");
        for (UINT i = p->cArgs; i-- > 0;) {
            Variant text;
            VariantChangeType(&text, &p->rgvarg[i], 0, VT_BSTR);
            line += " " + std::to_string(p->rgvarg[i].vt) + ":" + helm::com::text_from_bstr(text.bstrVal);
        }
        calls.push_back(line);
        if (unadvise_on_call)
            AtlUnadvise(source, DIID_ITestControlEvents, std::exchange(unadvise_on_call, 0));
        return S_OK;
    }

protected:
    void* query_more(REFIID riid) override
    {
        return riid == DIID_ITestControlEvents ? static_cast<IDispatch*>(this) : nullptr;
    }
};

class Mute final : public helm::com::Object<IUnknown> {};

TEST_F(Registered, FiresEventsToSinksInConnectionOrder)
{
    auto d = create();
    ASSERT_TRUE(d);
    auto* first = new Sink;
    auto* second = new Sink;
    DWORD c1 = 0, c2 = 0;
    ASSERT_EQ(AtlAdvise(d.get(), first, DIID_ITestControlEvents, &c1), S_OK);
    ASSERT_EQ(AtlAdvise(d.get(), second, DIID_ITestControlEvents, &c2), S_OK);
    EXPECT_EQ(c1, 1u);
    EXPECT_EQ(c2, 2u);
    EXPECT_EQ(first->reference_count(), 2u);

    ASSERT_EQ(invoke_by_id(d.get(), dispid_fire, DISPATCH_METHOD, {arg_ui4(640)}), S_OK);
    ASSERT_EQ(first->calls.size(), 1u);
    EXPECT_EQ(first->calls[0], "1 method 5:0.5 5:20 19:640");
    EXPECT_EQ(second->calls, first->calls);

    // A sink that unadvises itself while being called does not upset the firing.
    first->source = d.get();
    first->unadvise_on_call = c1;
    ASSERT_EQ(invoke_by_id(d.get(), dispid_fire, DISPATCH_METHOD, {arg_ui4(1)}), S_OK);
    EXPECT_EQ(first->calls.size(), 2u);
    EXPECT_EQ(second->calls.size(), 2u);
    ASSERT_EQ(invoke_by_id(d.get(), dispid_fire, DISPATCH_METHOD, {arg_ui4(2)}), S_OK);
    EXPECT_EQ(first->calls.size(), 2u);
    EXPECT_EQ(second->calls.size(), 3u);
    EXPECT_EQ(first->reference_count(), 1u);
    EXPECT_EQ(AtlUnadvise(d.get(), DIID_ITestControlEvents, c1), CONNECT_E_NOCONNECTION);

    auto* mute = new Mute;
    DWORD c3 = 77;
    EXPECT_EQ(AtlAdvise(d.get(), mute, DIID_ITestControlEvents, &c3), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(c3, 0u);
    EXPECT_EQ(AtlAdvise(d.get(), first, IID_IDispatch, &c3), CONNECT_E_NOCONNECTION);
    mute->Release();

    // The control going away lets go of a sink still connected.
    d.reset();
    EXPECT_EQ(second->reference_count(), 1u);
    first->Release();
    second->Release();
}

class Hosting : public Registered {
protected:
    void SetUp() override
    {
        Registered::SetUp();
        static const bool registered = [] {
            WNDCLASS wc{};
            wc.lpfnWndProc = DefWindowProc;
            wc.lpszClassName = "HelmComTestHost";
            return RegisterClass(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        m_host = CreateWindowEx(0, "HelmComTestHost", "host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                nullptr, nullptr);
        ASSERT_NE(m_host, nullptr);
    }
    void TearDown() override
    {
        if (IsWindow(m_host))
            DestroyWindow(m_host);
        Registered::TearDown();
    }
    HWND m_host = nullptr;
};

TEST_F(Hosting, CreatesTheControlAsAChildWindow)
{
    ComPtr<IDispatch> d;
    HWND window = nullptr;
    ASSERT_EQ(helm::com::create_control_window(CLSID_TestControl, m_host, RECT{10, 20, 110, 70}, 4702, WS_VISIBLE, 0,
                                               IID_IDispatch, d.put_void(), &window),
              S_OK);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetParent(window), m_host);
    EXPECT_EQ(GetDlgCtrlID(window), 4702);
    char name[64] = {};
    GetClassName(window, name, sizeof name);
    EXPECT_STREQ(name, helm::com::control_window_class);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 100);
    EXPECT_EQ(client.bottom, 50);
    EXPECT_EQ(invoke_by_id(d.get(), dispid_fire, DISPATCH_METHOD, {arg_ui4(1)}), S_OK);

    auto control = d.query<IControlWindow>();
    ASSERT_TRUE(control);
    EXPECT_EQ(control->GetControlWindow(), window);
    HWND again = nullptr;
    EXPECT_EQ(control->CreateControlWindow(m_host, RECT{0, 0, 1, 1}, 1, 0, 0, &again), E_UNEXPECTED);

    // The host closes: the window goes with it, the object when released.
    DestroyWindow(m_host);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(control->GetControlWindow(), nullptr);
    control.reset();
    EXPECT_FALSE(plugin_idle());
    d.reset();
    EXPECT_TRUE(plugin_idle());
}

TEST_F(Hosting, ReleasingTheControlTakesItsWindow)
{
    ComPtr<IUnknown> u;
    HWND window = nullptr;
    ASSERT_EQ(helm::com::create_control_window(CLSID_TestControl, m_host, RECT{0, 0, 50, 50}, 7, 0, 0, IID_IUnknown,
                                               u.put_void(), &window),
              S_OK);
    EXPECT_TRUE(IsWindow(window));
    u.reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(GetWindow(m_host, GW_CHILD), nullptr);
}

TEST(Hosted, AnUnregisteredControlLeavesNothingBehind)
{
    WNDCLASS wc{};
    wc.lpfnWndProc = DefWindowProc;
    wc.lpszClassName = "HelmComTestHost2";
    ASSERT_NE(RegisterClass(&wc), 0);
    HWND host = CreateWindowEx(0, "HelmComTestHost2", "host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                               nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    void* control = reinterpret_cast<void*>(1);
    HWND window = reinterpret_cast<HWND>(1);
    EXPECT_EQ(helm::com::create_control_window(CLSID_TestControl, host, RECT{0, 0, 10, 10}, 1, 0, 0, IID_IDispatch,
                                               &control, &window),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(control, nullptr);
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(GetWindow(host, GW_CHILD), nullptr);
    DestroyWindow(host);
}

}  // namespace
