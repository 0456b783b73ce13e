#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace quire::com {

// The keys a registration script's root names (HKCR, HKCU, HKLM) stand for,
// so that registration can be aimed at scratch keys.
struct RegistryRoots {
    HKEY classesRoot = HKEY_CLASSES_ROOT;
    HKEY currentUser = HKEY_CURRENT_USER;
    HKEY localMachine = HKEY_LOCAL_MACHINE;
};

using ScriptReplacement = std::pair<std::wstring_view, std::wstring_view>;

// Runs a registration script in the registrar's text form:
//   HKCR { NoRemove CLSID { ForceRemove {id} = s 'Name' { val ThreadingModel = s 'Apartment' } } }
// "%NAME%" is replaced from the list ("%%" stands for "%").  Registering
// creates every key and value, removing ForceRemove keys first; unregistering
// removes every key not marked NoRemove, with its subkeys.  A script that
// cannot be parsed changes nothing.
HRESULT runRegistryScript(std::wstring_view script, std::span<const ScriptReplacement> replacements,
                          const RegistryRoots& roots, bool registering);

// The text of a script resource (bytes in the ANSI code page).
std::wstring loadScriptResource(HMODULE module, UINT id, const wchar_t* type);

// Registers the type library of a module (resource 1) under a classes root:
// the library key and the marshalling keys of its automation interfaces.
HRESULT registerTypeLibrary(HKEY classesRoot, const std::wstring& modulePath);
HRESULT unregisterTypeLibrary(HKEY classesRoot, const std::wstring& modulePath);

} // namespace quire::com
