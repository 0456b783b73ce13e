#include "base/UniqueHandle.h"
#include "com/RegistryScript.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace quire::com {
namespace {

// A key of the test's own below HKEY_CURRENT_USER that stands for every root.
class ScratchRoot {
public:
    ScratchRoot() {
        path_ = L"Software\\QuireFrameworkTests\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount64());
        HKEY raw = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &raw, nullptr);
        key_.reset(raw);
    }
    ~ScratchRoot() {
        key_.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
    }
    RegistryRoots roots() const { return {key_.get(), key_.get(), key_.get()}; }
    bool exists(const std::wstring& subkey) const {
        HKEY raw = nullptr;
        const bool found =
            RegOpenKeyExW(key_.get(), subkey.c_str(), 0, KEY_READ, &raw) == ERROR_SUCCESS;
        RegistryKey owned(raw);
        return found;
    }
    // A string value, "" when absent; a DWORD as decimal.
    std::wstring value(const std::wstring& subkey, const wchar_t* name) const {
        wchar_t text[1024] = {};
        DWORD size = sizeof text - sizeof(wchar_t);
        DWORD type = 0;
        if (RegGetValueW(key_.get(), subkey.c_str(), name, RRF_RT_ANY, &type, text, &size) !=
            ERROR_SUCCESS) {
            return L"";
        }
        if (type == REG_DWORD) {
            DWORD number = 0;
            std::memcpy(&number, text, sizeof number);
            return std::to_wstring(number);
        }
        return text;
    }

private:
    std::wstring path_;
    RegistryKey key_;
};

HRESULT run(const ScratchRoot& root, const wchar_t* script, bool registering,
            const std::vector<ScriptReplacement>& replacements = {}) {
    return runRegistryScript(script, replacements, root.roots(), registering);
}

TEST(RegistryScriptTest, BrokenScriptChangesNothing) {
    ScratchRoot root;
    for (const wchar_t* script : {L"HKCR { A = s 'x' { B = s 'unterminated } }", L"HKXX { A }",
                                  L"HKCR { A = q 'x' }", L"HKCR { A ", L"HKCR { A = d 'ten' }"}) {
        EXPECT_TRUE(FAILED(run(root, script, true))) << script;
        EXPECT_FALSE(root.exists(L"A")) << script;
    }
}

TEST(RegistryScriptTest, ValuesKeysAndQuotedNames) {
    ScratchRoot root;
    ASSERT_EQ(run(root, L"HKCU { 'It''s' = d '0x10' { val Name = s '%X%' val Plain = s 'p' } }",
                  true, {{L"X", L"100%"}}),
              S_OK);
    EXPECT_EQ(root.value(L"It's", nullptr), L"16");
    EXPECT_EQ(root.value(L"It's", L"Name"), L"100%");
    EXPECT_EQ(root.value(L"It's", L"Plain"), L"p");
}

TEST(RegistryScriptTest, ReplacementsStayOneTextWhateverTheyHold) {
    // Quoted or bare in the script, a replacement never ends its text early,
    // so nothing it holds can add keys or values of its own.
    const std::vector<std::wstring> values = {L"C:\\Users\\O'Neil\\x.dll",
                                              L"a' } B { val X = s 'y",
                                              L"two  spaces",
                                              L"'",
                                              L"%%",
                                              L"{brace}"};
    for (const std::wstring& text : values) {
        ScratchRoot root;
        ASSERT_EQ(run(root, L"HKCU { Quoted = s '%V%' { val V = s '%V%' } %V% = s 'bare' }", true,
                      {{L"V", text}}),
                  S_OK);
        EXPECT_EQ(root.value(L"Quoted", nullptr), text);
        EXPECT_EQ(root.value(L"Quoted", L"V"), text);
        EXPECT_EQ(root.value(text, nullptr), L"bare");
        EXPECT_FALSE(root.exists(L"B"));
    }
}

TEST(RegistryScriptTest, ForceRemoveClearsAndNoRemoveStays) {
    ScratchRoot root;
    const wchar_t* script = L"HKCR { NoRemove Shared { ForceRemove Mine = s 'm' { Sub } } }";
    ASSERT_EQ(run(root, L"HKCR { Shared { Other Mine { Stale } } }", true), S_OK);
    ASSERT_EQ(run(root, script, true), S_OK);
    EXPECT_FALSE(root.exists(L"Shared\\Mine\\Stale"));
    EXPECT_TRUE(root.exists(L"Shared\\Mine\\Sub"));
    EXPECT_EQ(root.value(L"Shared\\Mine", nullptr), L"m");

    ASSERT_EQ(run(root, script, false), S_OK);
    EXPECT_FALSE(root.exists(L"Shared\\Mine"));
    EXPECT_TRUE(root.exists(L"Shared\\Other"));
}

TEST(RegistryScriptTest, KeyThatCannotBeWrittenFailsTheRun) {
    // A root that is no open key: nothing below it can be written.
    HKEY closed = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software", 0, nullptr, 0, KEY_READ, nullptr, &closed,
                    nullptr);
    RegCloseKey(closed);
    const RegistryRoots roots{closed, closed, closed};
    EXPECT_TRUE(FAILED(runRegistryScript(L"HKCU { A = s 'x' }", {}, roots, true)));
    EXPECT_TRUE(FAILED(runRegistryScript(L"HKCU { NoRemove B { C = s 'x' } }", {}, roots, true)));
}

} // namespace
} // namespace quire::com
