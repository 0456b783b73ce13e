#include "RegistryScript.h"

#include "ComPtr.h"
#include "base/CodePage.h"
#include "base/UniqueHandle.h"

#include <oleauto.h>

#include <cwchar>
#include <cwctype>
#include <memory>
#include <optional>
#include <vector>

namespace quire::com {

namespace {

constexpr HRESULT kBadScript = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

struct ScriptValue {
    std::wstring name; // empty: the key's default value
    DWORD type = REG_SZ;
    std::wstring text;
    DWORD number = 0;
};

enum class KeyFlag { None, ForceRemove, NoRemove };

struct ScriptKey {
    std::wstring name;
    KeyFlag flag = KeyFlag::None;
    std::vector<ScriptValue> values;
    std::vector<ScriptKey> children;
};

struct ScriptRoot {
    HKEY key;
    std::vector<ScriptKey> children;
};

// A replacement is always one quoted text, whatever characters it holds: its
// apostrophes are doubled inside quotes, and it is quoted where it stands bare.
void appendQuoted(std::wstring& out, std::wstring_view value, bool insideQuotes) {
    if (!insideQuotes) {
        out += L'\'';
    }
    for (wchar_t c : value) {
        out += c;
        if (c == L'\'') {
            out += L'\'';
        }
    }
    if (!insideQuotes) {
        out += L'\'';
    }
}

std::wstring substitute(std::wstring_view script, std::span<const ScriptReplacement> replacements) {
    std::wstring out;
    bool insideQuotes = false;
    for (size_t i = 0; i < script.size(); ++i) {
        if (script[i] != L'%') {
            // A doubled apostrophe inside quotes toggles twice and stays inside.
            if (script[i] == L'\'') {
                insideQuotes = !insideQuotes;
            }
            out += script[i];
            continue;
        }
        size_t end = script.find(L'%', i + 1);
        if (end == std::wstring_view::npos) {
            out += script.substr(i);
            break;
        }
        std::wstring_view name = script.substr(i + 1, end - i - 1);
        if (name.empty()) {
            out += L'%';
        } else {
            bool found = false;
            for (const auto& [key, value] : replacements) {
                if (key == name && !found) {
                    appendQuoted(out, value, insideQuotes);
                    found = true;
                }
            }
            if (!found) {
                out += script.substr(i, end - i + 1);
            }
        }
        i = end;
    }
    return out;
}

class ScriptParser {
public:
    ScriptParser(std::wstring_view text, const RegistryRoots& roots) : text_(text), roots_(roots) {}

    std::optional<std::vector<ScriptRoot>> parse() {
        std::vector<ScriptRoot> roots;
        while (auto word = next()) {
            HKEY key = rootKey(*word);
            if (!key || !expect(L"{")) {
                return std::nullopt;
            }
            ScriptRoot root{key, {}};
            if (!parseBody(root.children, nullptr)) {
                return std::nullopt;
            }
            roots.push_back(std::move(root));
        }
        return failed_ ? std::nullopt : std::optional(std::move(roots));
    }

private:
    HKEY rootKey(const std::wstring& word) const {
        if (word == L"HKCR" || word == L"HKEY_CLASSES_ROOT") {
            return roots_.classesRoot;
        }
        if (word == L"HKCU" || word == L"HKEY_CURRENT_USER") {
            return roots_.currentUser;
        }
        if (word == L"HKLM" || word == L"HKEY_LOCAL_MACHINE") {
            return roots_.localMachine;
        }
        return nullptr;
    }

    // Keys and values up to the closing brace.
    bool parseBody(std::vector<ScriptKey>& keys, std::vector<ScriptValue>* values) {
        while (auto word = next()) {
            if (*word == L"}" && !quoted_) {
                return true;
            }
            if (!quoted_ && _wcsicmp(word->c_str(), L"val") == 0) {
                auto name = next();
                ScriptValue value;
                if (!values || !name || !expect(L"=") || !parseValue(value)) {
                    return false;
                }
                value.name = *name;
                values->push_back(std::move(value));
                continue;
            }
            ScriptKey key;
            if (!quoted_ && _wcsicmp(word->c_str(), L"ForceRemove") == 0) {
                key.flag = KeyFlag::ForceRemove;
                word = next();
            } else if (!quoted_ && _wcsicmp(word->c_str(), L"NoRemove") == 0) {
                key.flag = KeyFlag::NoRemove;
                word = next();
            }
            if (!word || (!quoted_ && (*word == L"{" || *word == L"}" || *word == L"="))) {
                return false;
            }
            key.name = *word;
            if (peek() == L'=') {
                next();
                ScriptValue value;
                if (!parseValue(value)) {
                    return false;
                }
                key.values.push_back(std::move(value));
            }
            if (peek() == L'{' && braceStandsAlone()) {
                next();
                if (!parseBody(key.children, &key.values)) {
                    return false;
                }
            }
            keys.push_back(std::move(key));
        }
        return false;
    }

    bool parseValue(ScriptValue& value) {
        auto type = next();
        auto data = next();
        if (!type || !data) {
            return false;
        }
        if (*type == L"s") {
            value.type = REG_SZ;
            value.text = *data;
            return true;
        }
        if (*type == L"d") {
            value.type = REG_DWORD;
            wchar_t* end = nullptr;
            value.number = std::wcstoul(data->c_str(), &end, 0);
            return end && *end == 0;
        }
        return false;
    }

    bool expect(const wchar_t* token) {
        auto word = next();
        return word && !quoted_ && *word == token;
    }

    wchar_t peek() {
        skipSpace();
        return pos_ < text_.size() ? text_[pos_] : 0;
    }

    // A brace standing alone is a token; one that opens a word, as in a class
    // id, belongs to the word.
    bool braceStandsAlone() const {
        return pos_ + 1 >= text_.size() || std::iswspace(text_[pos_ + 1]) ||
               text_[pos_ + 1] == L'{' || text_[pos_ + 1] == L'}';
    }

    void skipSpace() {
        while (pos_ < text_.size() && std::iswspace(text_[pos_])) {
            ++pos_;
        }
    }

    // The next token: a brace, "=", a quoted text ('' inside stands for ') or
    // a bare word.
    std::optional<std::wstring> next() {
        skipSpace();
        quoted_ = false;
        if (pos_ >= text_.size()) {
            return std::nullopt;
        }
        wchar_t c = text_[pos_];
        if (c == L'}' || c == L'=' || (c == L'{' && braceStandsAlone())) {
            ++pos_;
            return std::wstring(1, c);
        }
        std::wstring word;
        if (c == L'\'') {
            quoted_ = true;
            for (++pos_; pos_ < text_.size(); ++pos_) {
                if (text_[pos_] == L'\'') {
                    if (pos_ + 1 < text_.size() && text_[pos_ + 1] == L'\'') {
                        word += L'\'';
                        ++pos_;
                        continue;
                    }
                    ++pos_;
                    return word;
                }
                word += text_[pos_];
            }
            failed_ = true;
            return std::nullopt;
        }
        while (pos_ < text_.size() && !std::iswspace(text_[pos_]) && text_[pos_] != L'=') {
            word += text_[pos_++];
        }
        return word;
    }

    std::wstring_view text_;
    const RegistryRoots& roots_;
    size_t pos_ = 0;
    bool quoted_ = false;
    bool failed_ = false;
};

LSTATUS writeValue(HKEY key, const ScriptValue& value) {
    const wchar_t* name = value.name.empty() ? nullptr : value.name.c_str();
    if (value.type == REG_DWORD) {
        return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.number),
                              sizeof(DWORD));
    }
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.c_str()),
                          static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t)));
}

LSTATUS removeTree(HKEY parent, const std::wstring& name) {
    LSTATUS status = RegDeleteTreeW(parent, name.c_str());
    if (status == ERROR_SUCCESS) {
        status = RegDeleteKeyW(parent, name.c_str());
    }
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

LSTATUS installKey(HKEY parent, const ScriptKey& node) {
    // A stale key that cannot be cleared would leave its old subkeys behind.
    if (node.flag == KeyFlag::ForceRemove) {
        if (LSTATUS status = removeTree(parent, node.name); status != ERROR_SUCCESS) {
            return status;
        }
    }
    HKEY raw = nullptr;
    LSTATUS status = RegCreateKeyExW(parent, node.name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                     nullptr, &raw, nullptr);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    RegistryKey key(raw);
    for (const ScriptValue& value : node.values) {
        if ((status = writeValue(key.get(), value)) != ERROR_SUCCESS) {
            return status;
        }
    }
    for (const ScriptKey& child : node.children) {
        if ((status = installKey(key.get(), child)) != ERROR_SUCCESS) {
            return status;
        }
    }
    return ERROR_SUCCESS;
}

LSTATUS uninstallKey(HKEY parent, const ScriptKey& node) {
    if (node.flag != KeyFlag::NoRemove) {
        return removeTree(parent, node.name);
    }
    HKEY raw = nullptr;
    if (RegOpenKeyExW(parent, node.name.c_str(), 0, KEY_ALL_ACCESS, &raw) != ERROR_SUCCESS) {
        return ERROR_SUCCESS;
    }
    RegistryKey key(raw);
    for (const ScriptValue& value : node.values) {
        if (!value.name.empty()) {
            RegDeleteValueW(key.get(), value.name.c_str());
        }
    }
    for (const ScriptKey& child : node.children) {
        if (LSTATUS status = uninstallKey(key.get(), child); status != ERROR_SUCCESS) {
            return status;
        }
    }
    return ERROR_SUCCESS;
}

LSTATUS setString(HKEY parent, const std::wstring& subkey, const wchar_t* name,
                  const std::wstring& text) {
    HKEY raw = nullptr;
    LSTATUS status = RegCreateKeyExW(parent, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                     &raw, nullptr);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    RegistryKey key(raw);
    return RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

std::wstring guidText(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

// The automation interfaces of a library, whose calls the standard
// marshaller carries.
std::vector<std::pair<GUID, std::wstring>> automationInterfaces(ITypeLib* library) {
    std::vector<std::pair<GUID, std::wstring>> found;
    for (UINT i = 0, count = library->GetTypeInfoCount(); i < count; ++i) {
        ComPtr<ITypeInfo> info;
        TYPEATTR* attr = nullptr;
        if (FAILED(library->GetTypeInfo(i, info.put())) || FAILED(info->GetTypeAttr(&attr))) {
            continue;
        }
        bool automation =
            attr->typekind == TKIND_DISPATCH ||
            (attr->typekind == TKIND_INTERFACE && (attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION));
        GUID iid = attr->guid;
        info->ReleaseTypeAttr(attr);
        BSTR name = nullptr;
        if (automation &&
            SUCCEEDED(library->GetDocumentation(i, &name, nullptr, nullptr, nullptr))) {
            found.emplace_back(iid, name ? name : L"");
        }
        SysFreeString(name);
    }
    return found;
}

// The type library of a module and its attributes.
HRESULT loadLibrary(const std::wstring& modulePath, ComPtr<ITypeLib>& library, TLIBATTR& lib) {
    HRESULT hr = LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, library.put());
    TLIBATTR* attr = nullptr;
    if (SUCCEEDED(hr) && SUCCEEDED(hr = library->GetLibAttr(&attr))) {
        lib = *attr;
        library->ReleaseTLibAttr(attr);
    }
    return hr;
}

// The platform subkey under which a client of the same bitness looks the library up.
const wchar_t* platformKey(SYSKIND kind) {
    return kind == SYS_WIN64 ? L"win64" : L"win32";
}

} // namespace

HRESULT runRegistryScript(std::wstring_view script, std::span<const ScriptReplacement> replacements,
                          const RegistryRoots& roots, bool registering) {
    std::wstring text = substitute(script, replacements);
    auto parsed = ScriptParser(text, roots).parse();
    if (!parsed) {
        return kBadScript;
    }
    for (const ScriptRoot& root : *parsed) {
        for (const ScriptKey& key : root.children) {
            LSTATUS status = registering ? installKey(root.key, key) : uninstallKey(root.key, key);
            if (status != ERROR_SUCCESS) {
                return HRESULT_FROM_WIN32(status);
            }
        }
    }
    return S_OK;
}

std::wstring loadScriptResource(HMODULE module, UINT id, const wchar_t* type) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!bytes) {
        return {};
    }
    return WidenLossy(CP_ACP, std::string_view(bytes, SizeofResource(module, found)));
}

HRESULT registerTypeLibrary(HKEY classesRoot, const std::wstring& modulePath) {
    ComPtr<ITypeLib> library;
    TLIBATTR lib{};
    if (HRESULT hr = loadLibrary(modulePath, library, lib); FAILED(hr)) {
        return hr;
    }
    BSTR docString = nullptr;
    library->GetDocumentation(-1, nullptr, &docString, nullptr, nullptr);
    std::wstring title = docString ? docString : L"";
    SysFreeString(docString);

    wchar_t version[32];
    swprintf(version, 32, L"%u.%u", lib.wMajorVerNum, lib.wMinorVerNum);
    wchar_t locale[16];
    swprintf(locale, 16, L"%lx", static_cast<unsigned long>(lib.lcid));
    std::wstring libraryKey = L"TypeLib\\" + guidText(lib.guid) + L"\\" + version;
    std::wstring folder = modulePath.substr(0, modulePath.find_last_of(L'\\') + 1);

    LSTATUS status = setString(classesRoot, libraryKey, nullptr, title);
    if (status == ERROR_SUCCESS) {
        status =
            setString(classesRoot, libraryKey + L"\\" + locale + L"\\" + platformKey(lib.syskind),
                      nullptr, modulePath);
    }
    if (status == ERROR_SUCCESS) {
        status = setString(classesRoot, libraryKey + L"\\FLAGS", nullptr,
                           std::to_wstring(lib.wLibFlags));
    }
    if (status == ERROR_SUCCESS) {
        status = setString(classesRoot, libraryKey + L"\\HELPDIR", nullptr, folder);
    }
    const std::wstring marshaller = L"{00020424-0000-0000-C000-000000000046}";
    for (const auto& [iid, name] : automationInterfaces(library.get())) {
        std::wstring key = L"Interface\\" + guidText(iid);
        if (status == ERROR_SUCCESS) {
            status = setString(classesRoot, key, nullptr, name);
        }
        if (status == ERROR_SUCCESS) {
            status = setString(classesRoot, key + L"\\ProxyStubClsid", nullptr, marshaller);
        }
        if (status == ERROR_SUCCESS) {
            status = setString(classesRoot, key + L"\\ProxyStubClsid32", nullptr, marshaller);
        }
        if (status == ERROR_SUCCESS) {
            status = setString(classesRoot, key + L"\\TypeLib", nullptr, guidText(lib.guid));
        }
        if (status == ERROR_SUCCESS) {
            status = setString(classesRoot, key + L"\\TypeLib", L"Version", version);
        }
    }
    return HRESULT_FROM_WIN32(status);
}

HRESULT unregisterTypeLibrary(HKEY classesRoot, const std::wstring& modulePath) {
    ComPtr<ITypeLib> library;
    TLIBATTR lib{};
    if (HRESULT hr = loadLibrary(modulePath, library, lib); FAILED(hr)) {
        return hr;
    }
    for (const auto& [iid, name] : automationInterfaces(library.get())) {
        removeTree(classesRoot, L"Interface\\" + guidText(iid));
    }
    return HRESULT_FROM_WIN32(removeTree(classesRoot, L"TypeLib\\" + guidText(lib.guid)));
}

} // namespace quire::com
