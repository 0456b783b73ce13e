#include "ConverterLibrary.h"

#include "ProgramFolder.h"
#include "TextConversion.h"
#include "base/ErrorText.h"
#include "base/LibraryBinding.h"

#include <algorithm>

namespace quire::sync {

std::wstring ConverterLibrary::LastErrorText() const {
    char buffer[kConverterErrorTextLimit + 1] = {};
    const int count = GetLastErrorString(buffer, static_cast<int>(sizeof buffer));
    buffer[std::clamp(count, 0, kConverterErrorTextLimit)] = '\0';
    return FromAnsi(buffer);
}

BoundConverterLibrary::BoundConverterLibrary(const wchar_t* fileName, const std::wstring& folder)
    : fileName_(fileName) {
    const std::wstring path = LibraryPathIn(folder, fileName);
    if (path.empty()) {
        return;
    }
    ModuleHandle module(LoadLibraryW(path.c_str()));
    if (!module) {
        return;
    }
    DeviceImportFunction deviceImport = nullptr;
    DeviceExportFunction deviceExport = nullptr;
    GetLastErrorStringFunction lastError = nullptr;
    if (!ResolveEntryPoint(module.get(), "DeviceImport", deviceImport) ||
        !ResolveEntryPoint(module.get(), "DeviceExport", deviceExport) ||
        !ResolveEntryPoint(module.get(), "GetLastErrorString", lastError)) {
        return;
    }
    module_ = std::move(module);
    deviceImport_ = deviceImport;
    deviceExport_ = deviceExport;
    getLastErrorString_ = lastError;
}

int32_t BoundConverterLibrary::DeviceImport(const std::wstring& source,
                                            const std::wstring& destination,
                                            ProgressCallback callback, DWORD context) {
    return Convert(deviceImport_, source, destination, callback, context);
}

int32_t BoundConverterLibrary::DeviceExport(const std::wstring& source,
                                            const std::wstring& destination,
                                            ProgressCallback callback, DWORD context) {
    return Convert(deviceExport_, source, destination, callback, context);
}

int32_t BoundConverterLibrary::Convert(DeviceImportFunction function, const std::wstring& source,
                                       const std::wstring& destination, ProgressCallback callback,
                                       DWORD context) {
    if (function == nullptr) {
        return CONVERTER_E_NOT_BOUND;
    }
    // A path the ANSI code page cannot carry whole would reach the converter as
    // another path: refuse it instead.
    const std::optional<std::string> ansiSource = ToAnsiPath(source);
    if (!ansiSource) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    const std::optional<std::string> ansiDestination = ToAnsiPath(destination);
    if (!ansiDestination) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    return function(ansiSource->c_str(), ansiDestination->c_str(), callback,
                    reinterpret_cast<void*>(static_cast<uintptr_t>(context)));
}

int BoundConverterLibrary::GetLastErrorString(char* buffer, int size) const {
    if (getLastErrorString_ != nullptr) {
        return getLastErrorString_(buffer, size);
    }
    return CopyErrorText("Error loading library " + ToAnsi(fileName_), buffer, size);
}

} // namespace quire::sync
