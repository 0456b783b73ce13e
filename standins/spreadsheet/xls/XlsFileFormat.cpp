#include "XlsFileFormat.h"

#include "XlsReader.h"
#include "XlsWorkbookMapping.h"
#include "XlsWriter.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <system_error>

namespace xls {

namespace {

bool readWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes,
                   std::string& error) {
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        error = "cannot find or read the file";
        return false;
    }
    if (size > kMaxXlsFileBytes) {
        error = "the file is too large";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    bytes.resize(static_cast<size_t>(size));
    if (!in ||
        !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
        error = "cannot read the file";
        return false;
    }
    return true;
}

class FileStreamSink final : public cfb::FileSink {
public:
    explicit FileStreamSink(std::ofstream& out) : out_(out) {}

    bool write(std::span<const uint8_t> bytes) override {
        return static_cast<bool>(out_.write(reinterpret_cast<const char*>(bytes.data()),
                                            static_cast<std::streamsize>(bytes.size())));
    }
    bool rewrite(uint64_t offset, std::span<const uint8_t> bytes) override {
        const std::streampos end = out_.tellp();
        return out_.seekp(static_cast<std::streamoff>(offset)) && write(bytes) && out_.seekp(end);
    }

private:
    std::ofstream& out_;
};

// Writes beside the target and renames over it, so that a failed save leaves
// the old file as it was.
bool replaceFile(const std::filesystem::path& path,
                 const std::function<bool(cfb::FileSink&)>& produce, std::string& error) {
    std::filesystem::path temporary = path;
    temporary += ".~saving";
    bool written = false;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        FileStreamSink sink(out);
        written = out && produce(sink) && out.flush();
    }
    std::error_code ec;
    if (!written) {
        std::filesystem::remove(temporary, ec);
        error = "cannot write the file";
        return false;
    }
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        error = "cannot replace the file";
        return false;
    }
    return true;
}

} // namespace

XlsFileFormat::XlsFileFormat()
    : reporter_([](const std::string& note) { std::cerr << note << '\n'; }) {}

void XlsFileFormat::report(const std::vector<std::string>& notes) const {
    if (reporter_) {
        for (const std::string& note : notes) {
            reporter_(note);
        }
    }
}

bool XlsFileFormat::open(const std::filesystem::path& path, spreadsheet::Workbook& workbook,
                         std::string& error) const {
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes, error)) {
        return false;
    }
    const ReadOutcome outcome = readXlsIntoWorkbook(bytes, workbook);
    if (!outcome.ok) {
        error = outcome.error;
        return false;
    }
    report(outcome.notes);
    return true;
}

bool XlsFileFormat::save(const spreadsheet::Workbook& workbook, const std::filesystem::path& path,
                         std::string& error) const {
    const BookView view = viewOfWorkbook(workbook);
    std::vector<std::string> notes;
    const auto produce = [&](cfb::FileSink& file) { return writeXlsFile(view, file, notes); };
    if (!replaceFile(path, produce, error)) {
        return false;
    }
    report(notes);
    return true;
}

} // namespace xls
