#pragma once

#include "ConverterLibrary.h"
#include "DocumentKind.h"

#include <memory>

namespace quire::sync {

// The two converter libraries of the program, by document kind.
class ConverterTable {
public:
    // Binds DocConverter first, then SheafConv, both from the program's folder.
    ConverterTable();
    explicit ConverterTable(const std::wstring& folder);
    ConverterTable(std::unique_ptr<ConverterLibrary> wordProcessing,
                   std::unique_ptr<ConverterLibrary> spreadsheet);

    // The library for kind 1 or 2; null for any other kind.
    ConverterLibrary* Find(DocumentKind kind) const;

private:
    // Destroyed in reverse order: SheafConv first.
    std::unique_ptr<ConverterLibrary> wordProcessing_;
    std::unique_ptr<ConverterLibrary> spreadsheet_;
};

} // namespace quire::sync
