// Class objects a module of the process registers itself: found by
// CoCreateInstance before the registry, refused twice, gone once revoked.

#include <gtest/gtest.h>

#include <windows.h>

namespace {

using helm::com::ComPtr;

constexpr CLSID clsid_own = {0x5B0E0A61, 0x2D44, 0x4F0B, {0x9A, 0x51, 0x4C, 0x6E, 0x10, 0x77, 0x23, 0x01}};

struct Thing final : helm::com::Object<IUnknown> {
    static int alive;
    Thing() { ++alive; }
    ~Thing() override { --alive; }
};
int Thing::alive = 0;

struct Factory final : helm::com::Object<IClassFactory> {
    int made = 0;
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override
    {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        ++made;
        auto thing = ComPtr<Thing>::adopt(new Thing);
        return thing->QueryInterface(riid, object);
    }
    HRESULT LockServer(BOOL) override { return S_OK; }
};

TEST(ClassObjects, AreFoundBeforeTheRegistryUntilRevoked)
{
    auto factory = ComPtr<Factory>::adopt(new Factory);
    IUnknown* object = nullptr;
    EXPECT_EQ(CoCreateInstance(clsid_own, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, (void**)&object),
              REGDB_E_CLASSNOTREG);

    DWORD cookie = 0;
    EXPECT_EQ(CoRegisterClassObject(clsid_own, factory.get(), CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie),
              E_INVALIDARG);
    ASSERT_EQ(CoRegisterClassObject(clsid_own, factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
              S_OK);
    EXPECT_NE(cookie, 0u);
    DWORD second = 0;
    EXPECT_EQ(CoRegisterClassObject(clsid_own, factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &second),
              CO_E_OBJISREG);
    EXPECT_EQ(factory->reference_count(), 2u);  // ours and the table's

    for (int i = 0; i < 2; ++i) {
        ComPtr<IUnknown> thing;
        ASSERT_EQ(CoCreateInstance(clsid_own, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, thing.put_void()), S_OK);
        EXPECT_EQ(Thing::alive, 1);
    }
    EXPECT_EQ(factory->made, 2);
    EXPECT_EQ(Thing::alive, 0);
    // Only in-process requests reach it.
    EXPECT_EQ(CoCreateInstance(clsid_own, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, (void**)&object),
              REGDB_E_CLASSNOTREG);

    ASSERT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(CoRevokeClassObject(cookie), CO_E_OBJNOTREG);
    EXPECT_EQ(factory->reference_count(), 1u);
    EXPECT_EQ(CoCreateInstance(clsid_own, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, (void**)&object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
}

}  // namespace
