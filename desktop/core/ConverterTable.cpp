#include "ConverterTable.h"

#include "ProgramFolder.h"

namespace quire::sync {

ConverterTable::ConverterTable() : ConverterTable(ProgramFolder()) {}

ConverterTable::ConverterTable(const std::wstring& folder)
    : wordProcessing_(std::make_unique<DocConverterLibrary>(folder)),
      spreadsheet_(std::make_unique<SheafConvLibrary>(folder)) {}

ConverterTable::ConverterTable(std::unique_ptr<ConverterLibrary> wordProcessing,
                               std::unique_ptr<ConverterLibrary> spreadsheet)
    : wordProcessing_(std::move(wordProcessing)), spreadsheet_(std::move(spreadsheet)) {}

ConverterLibrary* ConverterTable::Find(DocumentKind kind) const {
    switch (kind) {
    case DocumentKind::WordProcessing:
        return wordProcessing_.get();
    case DocumentKind::Spreadsheet:
        return spreadsheet_.get();
    default:
        return nullptr;
    }
}

} // namespace quire::sync
