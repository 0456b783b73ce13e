#pragma once

#include "HandheldDatabase.h"
#include "HostObjects.h"
#include "base/UniqueHandle.h"

#include <string>
#include <vector>

namespace quire::synchost {

// The add-in's class, by which the host creates it.
extern const CLSID kAddinClass;

// An add-in object and, when it was loaded from a given file, that library,
// which must outlive the object.
struct LoadedAddin {
    ModuleHandle library;
    com::ComPtr<IDesktopExtension> extension;
};

// Creates the add-in by its class id through COM, or from `path` when one is
// given.  Throws ComError.
LoadedAddin createAddin(const std::wstring& path);

struct SessionResult {
    HRESULT process = E_FAIL;
    double processSeconds = 0; // how long the add-in's Process call took
    std::wstring info;
    std::vector<std::wstring> offered;
    std::vector<Document> received; // what the add-in sent, parts joined
    std::vector<std::string> utilityCalls;
};

// One synchronisation as the host runs it: asks the add-in which databases it
// wants, offers those tables (or `tables` when given: for each name a table,
// the handheld's records under "Quire"), calls Process and collects what the
// add-in added; `faults` makes chosen host calls fail.  Throws ComError when
// the add-in fails.
SessionResult runSession(const HandheldDatabase& handheld, IDesktopExtension* addin,
                         const std::vector<std::wstring>& tables = {}, FaultsPtr faults = nullptr);

// The database names between <database> and </database> in an information block.
std::vector<std::wstring> requestedDatabases(const std::wstring& info);

} // namespace quire::synchost
