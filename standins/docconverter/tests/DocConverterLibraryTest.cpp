// DocConverter.dll as the desktop program sees it: the entry points by name,
// progress with its texts, the result codes and last error texts, and no
// destination file after any failure.
#include "ConverterInterface.h"
#include "DocReader.h"
#include "DocWriter.h"
#include "PgdFormat.h"
#include "TestDocuments.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace docconv;
using namespace docconv::testing;

std::wstring hostPathToWindows(const std::string& host) {
    std::wstring path = L"Z:";
    for (char c : host) {
        path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return path;
}

struct Report {
    int32_t position;
    std::string text;
};

// The progress callback has no context of its own: the reports of the call in
// progress go to one list, and the call stops after `stopAfter` reports.
std::vector<Report>* reports = nullptr;
size_t stopAfter = SIZE_MAX;

int32_t SHEAF_CALL recordProgress(int32_t position, const char* text, void* reserved) {
    EXPECT_EQ(reserved, nullptr);
    reports->push_back({position, text ? text : ""});
    return reports->size() < stopAfter ? 1 : 0;
}

class DocConverterLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryW(hostPathToWindows(DOCCONVERTER_DLL).c_str());
        ASSERT_NE(module_, nullptr);
        deviceExport_ =
            reinterpret_cast<DeviceExportFunction>(GetProcAddress(module_, "DeviceExport"));
        deviceImport_ =
            reinterpret_cast<DeviceImportFunction>(GetProcAddress(module_, "DeviceImport"));
        lastErrorString_ = reinterpret_cast<GetLastErrorStringFunction>(
            GetProcAddress(module_, "GetLastErrorString"));
        ASSERT_TRUE(deviceExport_ && deviceImport_ && lastErrorString_);
        dir_ =
            fs::temp_directory_path() / ("docconverter-" + std::to_string(GetCurrentProcessId()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        reports = &reports_;
        stopAfter = SIZE_MAX;
    }
    void TearDown() override {
        FreeLibrary(module_);
        fs::remove_all(dir_);
        reports = nullptr;
    }

    fs::path path(const char* name) const { return dir_ / name; }

    int exportFile(const fs::path& source, const fs::path& destination) {
        reports_.clear();
        return deviceExport_(source.string().c_str(), destination.string().c_str(), recordProgress,
                             nullptr);
    }
    int importFile(const fs::path& source, const fs::path& destination) {
        reports_.clear();
        return deviceImport_(source.string().c_str(), destination.string().c_str(), recordProgress,
                             nullptr);
    }
    std::string lastError() const {
        char text[1024];
        lastErrorString_(text, sizeof text);
        return text;
    }
    // Only the files the test made are in the folder: no temporary is left.
    std::vector<std::string> folderNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    HMODULE module_ = nullptr;
    DeviceExportFunction deviceExport_ = nullptr;
    DeviceImportFunction deviceImport_ = nullptr;
    GetLastErrorStringFunction lastErrorString_ = nullptr;
    fs::path dir_;
    std::vector<Report> reports_;
};

TEST_F(DocConverterLibrary, ExportAndImportConvertWithProgress) {
    const TextDocument document = richDocument();
    writeFile(path("in.doc"), writeWordDocument(document));
    ASSERT_EQ(exportFile(path("in.doc"), path("out.pgd")), 0) << lastError();
    EXPECT_EQ(pgd::read(readFile(path("out.pgd"))), document);
    ASSERT_FALSE(reports_.empty());
    EXPECT_EQ(reports_.front().text, "Converting document...");
    EXPECT_EQ(reports_.back().text, "Result file is present");
    for (const Report& report : reports_) {
        EXPECT_GE(report.position, 0);
        EXPECT_LE(report.position, 100);
    }

    ASSERT_EQ(importFile(path("out.pgd"), path("back.doc")), 0) << lastError();
    EXPECT_EQ(readWordDocument(readFile(path("back.doc"))), document);
    EXPECT_EQ(reports_.back().text, "Result file is present");
    EXPECT_EQ(folderNames(), (std::vector<std::string>{"back.doc", "in.doc", "out.pgd"}));
}

TEST_F(DocConverterLibrary, AnExistingDestinationIsReplaced) {
    writeFile(path("in.pgd"), pgd::write(longDocument(10)));
    writeFile(path("out.doc"), std::vector<uint8_t>(100000, 'x'));
    ASSERT_EQ(importFile(path("in.pgd"), path("out.doc")), 0) << lastError();
    EXPECT_EQ(readWordDocument(readFile(path("out.doc"))), longDocument(10));
}

TEST_F(DocConverterLibrary, FailuresGiveTheirTextAndLeaveNoDestination) {
    const std::vector<uint8_t> good = writeWordDocument(richDocument());
    std::vector<uint8_t> damagedPgd = pgd::write(richDocument());
    damagedPgd[21] = 0x7F; // the first run's length points past the end
    std::vector<uint8_t> noise(3000);
    for (size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<uint8_t>(i * 7919 >> 3);
    }
    struct Case {
        const char* name;
        bool exporting;
        std::vector<uint8_t> source;
        std::string error;
    };
    const Case cases[] = {
        {"random bytes named .doc", true, noise, "Source file is not a Word document"},
        {"a cut-short document", true, std::vector<uint8_t>(good.begin(), good.begin() + 2000),
         "Damaged Word document"},
        {"a handheld document instead of a Word one", true, pgd::write(richDocument()),
         "Source file is not a Word document"},
        {"lengths past the end of a .pgd", false, damagedPgd, "Damaged handheld document"},
        {"a Word document instead of a handheld one", false, good, "Damaged handheld document"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path source = path(c.exporting ? "bad.doc" : "bad.pgd");
        const fs::path destination = path(c.exporting ? "bad-out.pgd" : "bad-out.doc");
        writeFile(source, c.source);
        const int result =
            c.exporting ? exportFile(source, destination) : importFile(source, destination);
        EXPECT_EQ(result, -10000);
        EXPECT_EQ(lastError().rfind(c.error, 0), 0u) << lastError();
        EXPECT_FALSE(fs::exists(destination));
        ASSERT_FALSE(reports_.empty());
        EXPECT_EQ(reports_.back().text, lastError());
        fs::remove(source);
    }
    EXPECT_TRUE(folderNames().empty());
}

TEST_F(DocConverterLibrary, AFailureKeepsTheFileThatStoodThere) {
    writeFile(path("bad.pgd"), {'P', 'G', 'D', 'F', 0, 1});
    writeFile(path("old.doc"), {'o', 'l', 'd'});
    EXPECT_EQ(importFile(path("bad.pgd"), path("old.doc")), -10000);
    EXPECT_EQ(readFile(path("old.doc")), (std::vector<uint8_t>{'o', 'l', 'd'}));
}

TEST_F(DocConverterLibrary, AMissingSourceIsReported) {
    EXPECT_EQ(exportFile(path("none.doc"), path("out.pgd")), -10000);
    EXPECT_EQ(lastError(), "Cannot find source file");
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].position, 0);
    EXPECT_EQ(reports_[0].text, "Cannot find source file");
    EXPECT_EQ(deviceImport_(nullptr, path("out.doc").string().c_str(), nullptr, nullptr), -10000);
    EXPECT_EQ(lastError(), "Cannot find source file");
    EXPECT_TRUE(folderNames().empty());
}

TEST_F(DocConverterLibrary, AWriteFailureIsReported) {
    writeFile(path("in.doc"), writeWordDocument(richDocument()));
    EXPECT_EQ(exportFile(path("in.doc"), path("no-such-folder/out.pgd")), -10000);
    EXPECT_EQ(lastError().rfind("Cannot write result file: ", 0), 0u) << lastError();
    EXPECT_EQ(folderNames(), (std::vector<std::string>{"in.doc"}));
}

TEST_F(DocConverterLibrary, TheCallerStopsTheConversion) {
    writeFile(path("in.pgd"), pgd::write(longDocument(3000)));
    stopAfter = 3;
    EXPECT_EQ(importFile(path("in.pgd"), path("out.doc")), -9000);
    EXPECT_FALSE(fs::exists(path("out.doc")));
    EXPECT_EQ(lastError(), "Conversion stopped by the user");
}

TEST_F(DocConverterLibrary, StoppingAtTheFirstReportOrAtTheSaveWritesNothing) {
    writeFile(path("in.doc"), writeWordDocument(richDocument()));
    ASSERT_EQ(exportFile(path("in.doc"), path("first.pgd")), 0);
    // The report before the last announces the save.
    const size_t saveReport = reports_.size() - 1;
    ASSERT_EQ(reports_[saveReport - 1].text, "Saving result file...");
    for (size_t stop : {size_t{1}, saveReport}) {
        stopAfter = stop;
        EXPECT_EQ(exportFile(path("in.doc"), path("out.pgd")), -9000) << stop;
        EXPECT_FALSE(fs::exists(path("out.pgd")));
    }
}

TEST_F(DocConverterLibrary, LastErrorTextIsCutToTheBuffer) {
    exportFile(path("none.doc"), path("out.pgd"));
    char text[16];
    EXPECT_EQ(lastErrorString_(text, 10), 9);
    EXPECT_STREQ(text, "Cannot fi");
    EXPECT_EQ(lastErrorString_(text, 1), 0);
    EXPECT_STREQ(text, "");
}

} // namespace
