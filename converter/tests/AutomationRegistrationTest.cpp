#include "AutomationServerFixture.h"

#include <gtest/gtest.h>

#include <olectl.h>

#include <string>

namespace {

using EntryPoint = HRESULT(STDAPICALLTYPE*)();

const wchar_t kClassKey[] = L"CLSID\\{00024500-0000-0000-C000-000000000046}";

// Points HKEY_CLASSES_ROOT of this process at a scratch key for one test, so
// that registration can meet a foreign server without touching the prefix.
class ScratchClassesRoot {
public:
    ScratchClassesRoot() {
        path_ = L"Software\\QuireTests\\Classes" + std::to_wstring(GetCurrentProcessId());
        RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key_, nullptr);
        RegOverridePredefKey(HKEY_CLASSES_ROOT, key_);
    }
    ~ScratchClassesRoot() {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegCloseKey(key_);
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    }
    HKEY key() const { return key_; }

    void setDefault(const std::wstring& subkey, const std::wstring& value) {
        RegSetKeyValueW(key_, subkey.c_str(), nullptr, REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    std::wstring readDefault(const std::wstring& subkey, const wchar_t* name = nullptr) {
        wchar_t value[520] = {};
        DWORD size = sizeof value;
        if (RegGetValueW(key_, subkey.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) !=
            ERROR_SUCCESS)
            return {};
        return value;
    }

private:
    std::wstring path_;
    HKEY key_ = nullptr;
};

EntryPoint entry(const char* name) {
    return reinterpret_cast<EntryPoint>(
        GetProcAddress(sheaf::testing::automationServerModule(), name));
}

} // namespace

TEST(AutomationRegistration, WritesTheClassAndProgramIdentifierAndRemovesThemAgain) {
    ScratchClassesRoot root;
    ASSERT_EQ(entry("DllRegisterServer")(), S_OK);
    std::wstring server = root.readDefault(std::wstring(kClassKey) + L"\\InprocServer32");
    EXPECT_EQ(_wcsicmp(server.c_str(), sheaf::testing::automationServerPath().c_str()), 0)
        << std::string(server.begin(), server.end());
    EXPECT_EQ(root.readDefault(std::wstring(kClassKey) + L"\\InprocServer32", L"ThreadingModel"),
              L"Apartment");
    EXPECT_EQ(root.readDefault(L"Excel.Application\\CLSID"),
              L"{00024500-0000-0000-C000-000000000046}");
    // Registering again over our own registration is fine.
    EXPECT_EQ(entry("DllRegisterServer")(), S_OK);
    EXPECT_EQ(entry("DllUnregisterServer")(), S_OK);
    EXPECT_TRUE(root.readDefault(std::wstring(kClassKey) + L"\\InprocServer32").empty());
    EXPECT_TRUE(root.readDefault(L"Excel.Application\\CLSID").empty());
}

TEST(AutomationRegistration, RefusesAClassThatBelongsToAnotherServer) {
    {
        ScratchClassesRoot root;
        root.setDefault(std::wstring(kClassKey) + L"\\InprocServer32",
                        L"C:\\Program Files\\Other\\other.dll");
        EXPECT_EQ(entry("DllRegisterServer")(), SELFREG_E_CLASS);
        EXPECT_EQ(root.readDefault(std::wstring(kClassKey) + L"\\InprocServer32"),
                  L"C:\\Program Files\\Other\\other.dll");
        // Unregistering leaves the other server's keys alone.
        EXPECT_EQ(entry("DllUnregisterServer")(), S_OK);
        EXPECT_FALSE(root.readDefault(std::wstring(kClassKey) + L"\\InprocServer32").empty());
    }
    {
        ScratchClassesRoot root;
        root.setDefault(std::wstring(kClassKey) + L"\\LocalServer32", L"C:\\app\\app.exe");
        EXPECT_EQ(entry("DllRegisterServer")(), SELFREG_E_CLASS);
    }
    {
        ScratchClassesRoot root;
        root.setDefault(L"Excel.Application\\CLSID", L"{11111111-2222-3333-4444-555555555555}");
        EXPECT_EQ(entry("DllRegisterServer")(), SELFREG_E_CLASS);
        EXPECT_TRUE(root.readDefault(std::wstring(kClassKey) + L"\\InprocServer32").empty());
    }
}
