#include "SyncSession.h"

#include "com/Bstr.h"
#include "com/ComError.h"

#include <chrono>

namespace quire::synchost {

using com::check;
using com::ComPtr;

const CLSID kAddinClass = {
    0x3A47674D, 0xE8E8, 0x493D, {0xA7, 0x4E, 0xD6, 0xD7, 0xFF, 0x23, 0xA8, 0x00}};

LoadedAddin createAddin(const std::wstring& path) {
    LoadedAddin addin;
    if (path.empty()) {
        check(CoCreateInstance(kAddinClass, nullptr, CLSCTX_INPROC_SERVER,
                               __uuidof(IDesktopExtension), addin.extension.putVoid()));
        return addin;
    }
    addin.library.reset(LoadLibraryW(path.c_str()));
    if (!addin.library) {
        throw com::ComError(HRESULT_FROM_WIN32(GetLastError()), L"Cannot load " + path);
    }
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto get =
        reinterpret_cast<GetClassObject>(GetProcAddress(addin.library.get(), "DllGetClassObject"));
    if (!get) {
        throw com::ComError(CLASS_E_CLASSNOTAVAILABLE, L"No DllGetClassObject in " + path);
    }
    ComPtr<IClassFactory> factory;
    check(get(kAddinClass, IID_IClassFactory, factory.putVoid()));
    check(factory->CreateInstance(nullptr, __uuidof(IDesktopExtension), addin.extension.putVoid()));
    return addin;
}

std::vector<std::wstring> requestedDatabases(const std::wstring& info) {
    std::vector<std::wstring> names;
    const std::wstring open = L"<database>";
    const std::wstring close = L"</database>";
    for (size_t at = info.find(open); at != std::wstring::npos; at = info.find(open, at)) {
        at += open.size();
        size_t end = info.find(close, at);
        if (end == std::wstring::npos) {
            break;
        }
        names.push_back(info.substr(at, end - at));
    }
    return names;
}

SessionResult runSession(const HandheldDatabase& handheld, IDesktopExtension* addin,
                         const std::vector<std::wstring>& tables, FaultsPtr faults) {
    SessionResult result;
    com::Bstr info;
    check(addin->GetInfo(info.put()));
    result.info = info.str();
    result.offered = tables.empty() ? requestedDatabases(result.info) : tables;

    std::vector<TablePtr> offered;
    TablePtr quire;
    for (const std::wstring& name : result.offered) {
        auto table = std::make_shared<TableData>();
        table->name = name;
        if (name == L"Quire") {
            table->loaded = handheld.records();
            quire = table;
        }
        offered.push_back(table);
    }
    auto calls = std::make_shared<UtilityCalls>();
    ComPtr<IHostUtility> utility = makeHostUtility(calls);
    ComPtr<IHostDatabase> database = makeHostDatabase(offered, std::move(faults));
    const auto started = std::chrono::steady_clock::now();
    result.process = addin->Process(utility.get(), database.get());
    result.processSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    check(result.process);
    result.utilityCalls = calls->lines;
    for (const TablePtr& table : offered) {
        if (table == quire) {
            result.received = HandheldDatabase::join(table->added);
            table->added.clear();
        }
    }
    return result;
}

} // namespace quire::synchost
