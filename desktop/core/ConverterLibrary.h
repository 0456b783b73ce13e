#pragma once

#include "ConverterInterface.h"
#include "ConverterResults.h"
#include "base/UniqueHandle.h"

#include <cstdint>
#include <string>

namespace quire::sync {

// Codes of a failed conversion that the program has texts for.
using sheaf::SHEAF_E_CANCELLED;
using sheaf::SHEAF_E_DATA;
using sheaf::SHEAF_E_EXCEL;
using sheaf::SHEAF_E_FAILED;
// The program's own code for a converter library that is not bound.
inline constexpr int32_t CONVERTER_E_NOT_BOUND = -11000;

// One converter library seen through the three entry points of the converter
// interface.  Paths are given as UTF-16 and cross to the library in ANSI.
class ConverterLibrary {
public:
    virtual ~ConverterLibrary() = default;

    virtual int32_t DeviceImport(const std::wstring& source, const std::wstring& destination,
                                 ProgressCallback callback, DWORD context) = 0;
    virtual int32_t DeviceExport(const std::wstring& source, const std::wstring& destination,
                                 ProgressCallback callback, DWORD context) = 0;
    // Writes at most size - 1 ANSI characters and a terminator; returns the count.
    virtual int GetLastErrorString(char* buffer, int size) const = 0;

    // The last error text in UTF-16, read through a 1023-character buffer.
    std::wstring LastErrorText() const;
};

// A converter library bound at construction from a folder: loaded with its three
// entry points, or left empty so that every call fails with CONVERTER_E_NOT_BOUND.
class BoundConverterLibrary : public ConverterLibrary {
public:
    int32_t DeviceImport(const std::wstring& source, const std::wstring& destination,
                         ProgressCallback callback, DWORD context) override;
    int32_t DeviceExport(const std::wstring& source, const std::wstring& destination,
                         ProgressCallback callback, DWORD context) override;
    int GetLastErrorString(char* buffer, int size) const override;

    bool IsBound() const { return deviceImport_ != nullptr; }
    const wchar_t* FileName() const { return fileName_; }

protected:
    BoundConverterLibrary(const wchar_t* fileName, const std::wstring& folder);

private:
    int32_t Convert(DeviceImportFunction function, const std::wstring& source,
                    const std::wstring& destination, ProgressCallback callback, DWORD context);

    const wchar_t* fileName_;
    ModuleHandle module_;
    DeviceImportFunction deviceImport_ = nullptr;
    DeviceExportFunction deviceExport_ = nullptr;
    GetLastErrorStringFunction getLastErrorString_ = nullptr;
};

// The word-processing converter, an outside library.
class DocConverterLibrary final : public BoundConverterLibrary {
public:
    explicit DocConverterLibrary(const std::wstring& folder)
        : BoundConverterLibrary(L"DocConverter.dll", folder) {}
};

// The spreadsheet converter of this system.
class SheafConvLibrary final : public BoundConverterLibrary {
public:
    explicit SheafConvLibrary(const std::wstring& folder)
        : BoundConverterLibrary(L"SheafConv.dll", folder) {}
};

} // namespace quire::sync
