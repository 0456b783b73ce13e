#include "AddinTestSupport.h"
#include "com/Bstr.h"
#include "com/ClassFactory.h"
#include "object/Registration.h"

#include <gtest/gtest.h>

using namespace quire;
using namespace quire::addin;
using namespace quire::addin::testing;

namespace {

const std::wstring kClassKey = L"Classes\\CLSID\\{3A47674D-E8E8-493D-A74E-D6D7FF23A800}";

class ObjectTest : public ::testing::Test, public PassFixture {};

TEST_F(ObjectTest, GetInfoReplacesTheCallersText) {
    com::Bstr held(std::wstring(600, L'x'));
    BSTR raw = held.detach();
    EXPECT_EQ(addin_->GetInfo(&raw), S_OK);
    EXPECT_EQ(std::wstring(raw, SysStringLen(raw)), kExtensionInfo);
    SysFreeString(raw);
    EXPECT_EQ(synchost::requestedDatabases(kExtensionInfo), std::vector<std::wstring>{L"Quire"});
    EXPECT_TRUE(hasLine(log(), "=== get info called"));
}

TEST_F(ObjectTest, OtherOperationsOnlyLog) {
    BSTR text = reinterpret_cast<BSTR>(0x1234);
    EXPECT_EQ(addin_->GetErrorString(5, &text), S_OK);
    EXPECT_EQ(text, reinterpret_cast<BSTR>(0x1234));
    EXPECT_EQ(addin_->Configure(0, nullptr), S_OK);
    EXPECT_EQ(log(),
              (std::vector<std::string>{"=== get error string called", "=== configure called"}));
}

TEST_F(ObjectTest, AnswersItsInterfacesOnly) {
    com::ComPtr<IDispatch> dispatch = addin_.query<IDispatch>();
    com::ComPtr<IUnknown> unknown = addin_.query<IUnknown>();
    EXPECT_TRUE(dispatch);
    EXPECT_TRUE(unknown);
    EXPECT_FALSE(addin_.query<IHostUtility>());
    EXPECT_FALSE(addin_.query<IClassFactory>());
}

TEST_F(ObjectTest, DispatchFollowsTheHostsTypeInformation) {
    com::ComPtr<IDispatch> dispatch = addin_.query<IDispatch>();
    LPOLESTR name = const_cast<LPOLESTR>(L"GetInfo");
    DISPID id = 0;
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    VARIANT argument;
    VariantInit(&argument);
    BSTR text = SysAllocString(L"old");
    argument.vt = VT_BYREF | VT_BSTR;
    argument.pbstrVal = &text;
    DISPPARAMS parameters{&argument, nullptr, 1, 0};
    ASSERT_EQ(dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters,
                               nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(std::wstring(text), kExtensionInfo);
    SysFreeString(text);
}

TEST_F(ObjectTest, ClassTableServesTheClassAndCountsLocks) {
    static AddinServices* shared = services_.get();
    static const com::ClassEntry table[] = {{&CLSID_QuireSynch, [](REFIID iid, void** out) {
                                                 return createQuireSynch(*shared, iid, out);
                                             }}};
    com::ComPtr<IClassFactory> factory;
    ASSERT_EQ(com::getClassObject(table, CLSID_QuireSynch, IID_IClassFactory, factory.putVoid()),
              S_OK);
    EXPECT_EQ(com::getClassObject(table, IID_IDispatch, IID_IClassFactory, factory.putVoid()),
              CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_EQ(com::getClassObject(table, CLSID_QuireSynch, IID_IClassFactory, factory.putVoid()),
              S_OK);
    com::ComPtr<IDesktopExtension> object;
    EXPECT_EQ(factory->CreateInstance(nullptr, __uuidof(IDesktopExtension), object.putVoid()),
              S_OK);
    EXPECT_EQ(factory->CreateInstance(addin_.get(), IID_IUnknown, object.putVoid()),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(com::canUnloadNow(), S_FALSE);
    factory.reset();
    object.reset();
    addin_.reset();
    EXPECT_EQ(com::canUnloadNow(), S_OK);
}

class RegistrationTest : public ::testing::Test {
protected:
    RegistrationTest() {
        RegCreateKeyExW(key_.get(), L"Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &classes_,
                        nullptr);
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        target_.roots.classesRoot = classes_;
        target_.roots.currentUser = key_.get();
        target_.module = GetModuleHandleW(nullptr);
        target_.modulePath = path;
    }
    ~RegistrationTest() override { RegCloseKey(classes_); }

    ScratchKey key_;
    ScratchFolder scratch_;
    AddinLog log_{scratch_.file(L"log.txt")};
    HKEY classes_ = nullptr;
    RegistrationTarget target_;
};

TEST_F(RegistrationTest, ParametersGetsTheAddinActionBit) {
    struct Case {
        DWORD before;
        DWORD after;
    };
    for (const Case& c : {Case{0x1, 0x81}, Case{0x80, 0x80}, Case{0xFF00, 0xFF80}}) {
        key_.setDword(kHostSynchronizeKey, L"Parameters", c.before);
        EXPECT_EQ(RegisterAddin(target_, log_), S_OK);
        EXPECT_EQ(key_.value(kHostSynchronizeKey, L"Parameters"), std::to_wstring(c.after));
    }
}

TEST_F(RegistrationTest, MissingOrForeignParametersIsLeftAlone) {
    EXPECT_EQ(RegisterAddin(target_, log_), S_OK);
    EXPECT_FALSE(key_.exists(kHostSynchronizeKey));

    key_.setString(kHostSynchronizeKey, L"Other", L"x");
    EXPECT_EQ(RegisterAddin(target_, log_), S_OK);
    EXPECT_FALSE(key_.hasValue(kHostSynchronizeKey, L"Parameters"));

    key_.setString(kHostSynchronizeKey, L"Parameters", L"1");
    EXPECT_EQ(RegisterAddin(target_, log_), S_OK);
    EXPECT_EQ(key_.value(kHostSynchronizeKey, L"Parameters"), L"1");
}

TEST_F(RegistrationTest, ScriptRegistersTheClassAndUnregistersIt) {
    key_.setString(kClassKey + L"\\Stale", nullptr, L"left from before");
    ASSERT_EQ(RegisterAddin(target_, log_), S_OK);
    EXPECT_EQ(key_.value(kClassKey, nullptr), L"QuireSynch Class");
    EXPECT_FALSE(key_.exists(kClassKey + L"\\Stale"));
    EXPECT_EQ(key_.value(kClassKey + L"\\InprocServer32", nullptr), target_.modulePath);
    EXPECT_EQ(key_.value(kClassKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(key_.value(kClassKey + L"\\ProgID", nullptr), L"QuireAddin.QuireSynch.1");
    EXPECT_EQ(key_.value(kClassKey + L"\\VersionIndependentProgID", nullptr),
              L"QuireAddin.QuireSynch");
    EXPECT_TRUE(key_.exists(kClassKey + L"\\Programmable"));
    EXPECT_TRUE(key_.exists(kClassKey +
                            L"\\Implemented Categories\\{DFCE97AB-25ED-4335-BB00-FE5863F41DED}"));
    EXPECT_EQ(key_.value(L"Classes\\QuireAddin.QuireSynch\\CurVer", nullptr),
              L"QuireAddin.QuireSynch.1");
    EXPECT_EQ(key_.value(L"Classes\\QuireAddin.QuireSynch.1\\CLSID", nullptr),
              L"{3A47674D-E8E8-493D-A74E-D6D7FF23A800}");
    const std::wstring library = L"Classes\\TypeLib\\{5BEFEE5F-B1FA-4B0F-A4D6-2BCB34268EA6}\\1.0";
    EXPECT_EQ(key_.value(library, nullptr), L"QuireAddin 1.0 Type Library");
    // A 64-bit host finds a 64-bit library under win64, a 32-bit one under win32.
    const wchar_t* platform = sizeof(void*) == 8 ? L"\\0\\win64" : L"\\0\\win32";
    const wchar_t* otherPlatform = sizeof(void*) == 8 ? L"\\0\\win32" : L"\\0\\win64";
    EXPECT_EQ(key_.value(library + platform, nullptr), target_.modulePath);
    EXPECT_FALSE(key_.exists(library + otherPlatform));
    EXPECT_EQ(key_.value(L"Classes\\Interface\\{93DC2968-BD74-4057-A0A2-5D8C82EAE5AC}", nullptr),
              L"IQuireSynch");

    key_.setString(L"Classes\\CLSID\\{00000000-0000-0000-0000-000000000001}", nullptr, L"other");
    key_.setDword(kHostSynchronizeKey, L"Parameters", 0x81);
    ASSERT_EQ(UnregisterAddin(target_), S_OK);
    EXPECT_FALSE(key_.exists(kClassKey));
    EXPECT_FALSE(key_.exists(L"Classes\\QuireAddin.QuireSynch"));
    EXPECT_FALSE(key_.exists(L"Classes\\TypeLib\\{5BEFEE5F-B1FA-4B0F-A4D6-2BCB34268EA6}"));
    EXPECT_TRUE(key_.exists(L"Classes\\CLSID\\{00000000-0000-0000-0000-000000000001}"));
    EXPECT_EQ(key_.value(kHostSynchronizeKey, L"Parameters"), L"129");
}

TEST_F(RegistrationTest, ModulePathIsWrittenWholeWhateverItHolds) {
    const std::wstring script = com::loadScriptResource(target_.module, 101, L"REGISTRY");
    ASSERT_FALSE(script.empty());
    for (const wchar_t* path :
         {L"C:\\Users\\O'Neil\\QuireAddin.dll", L"C:\\a''b' }\\x.dll", L"C:\\100% sure\\x.dll"}) {
        const com::ScriptReplacement replacements[] = {{L"MODULE", path}};
        ASSERT_EQ(com::runRegistryScript(script, replacements, target_.roots, true), S_OK) << path;
        EXPECT_EQ(key_.value(kClassKey + L"\\InprocServer32", nullptr), path);
        EXPECT_EQ(key_.value(kClassKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
        EXPECT_TRUE(key_.exists(kClassKey + L"\\Implemented Categories"));
    }
}

} // namespace
