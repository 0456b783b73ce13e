#pragma once

#include "Workbook.h"

#include <filesystem>
#include <string>

namespace spreadsheet {

// A workbook file format (the binary .xls format, for one).  The automation
// server opens and saves files only through this seam.
class WorkbookFileFormat {
public:
    virtual ~WorkbookFileFormat() = default;

    // Fills an empty workbook (no sheets) from the file.  On failure returns
    // false with a user-facing reason in error (the server reports it as the
    // application does); the workbook is then discarded.
    virtual bool open(const std::filesystem::path& path, Workbook& workbook,
                      std::string& error) const = 0;

    // Writes the workbook to the path.  On failure returns false with a reason,
    // and leaves any file that stood at the path as it was.
    virtual bool save(const Workbook& workbook, const std::filesystem::path& path,
                      std::string& error) const = 0;
};

// The single registration point: the format that handles files at this path
// (by its extension), or null when none does.  Defined in WorkbookFileFormats.cpp.
const WorkbookFileFormat* workbookFileFormatFor(const std::filesystem::path& path);

} // namespace spreadsheet
