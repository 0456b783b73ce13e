#include "AutomationServerFixture.h"

#include <gtest/gtest.h>

#include <objbase.h>

namespace sheaf::testing {

namespace {

HMODULE g_server = nullptr;

class AutomationServerEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        g_server = LoadLibraryW(automationServerPath().c_str());
        ASSERT_NE(g_server, nullptr) << "cannot load the automation server";
        auto registerServer = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
            GetProcAddress(g_server, "DllRegisterServer"));
        ASSERT_NE(registerServer, nullptr);
        ASSERT_EQ(registerServer(), S_OK);
    }
    void TearDown() override { CoUninitialize(); }
};

const auto* const g_environment =
    ::testing::AddGlobalTestEnvironment(new AutomationServerEnvironment);

} // namespace

std::wstring automationServerPath() {
    // The build gives a host path; Wine shows the host's root as drive Z:.
    std::string host = SPREADSHEET_AUTOMATION_DLL;
    std::wstring path = L"Z:";
    for (char c : host)
        path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

HMODULE automationServerModule() {
    return g_server;
}

} // namespace sheaf::testing
