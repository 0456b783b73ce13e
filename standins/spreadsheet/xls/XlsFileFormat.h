#pragma once

#include "WorkbookFileFormat.h"

#include <functional>
#include <string>

namespace xls {

// The binary .xls workbook format behind the engine's open/save seam.  What
// is read or written only in part (a formula kept as its value, a chart sheet
// left out) goes to the reporter, one line each; by default to standard error.
class XlsFileFormat final : public spreadsheet::WorkbookFileFormat {
public:
    using Reporter = std::function<void(const std::string&)>;

    XlsFileFormat();
    explicit XlsFileFormat(Reporter reporter) : reporter_(std::move(reporter)) {}

    bool open(const std::filesystem::path& path, spreadsheet::Workbook& workbook,
              std::string& error) const override;
    bool save(const spreadsheet::Workbook& workbook, const std::filesystem::path& path,
              std::string& error) const override;

private:
    void report(const std::vector<std::string>& notes) const;

    Reporter reporter_;
};

// The files this reader refuses to load whole into memory.
inline constexpr uintmax_t kMaxXlsFileBytes = 512u * 1024 * 1024;

} // namespace xls
