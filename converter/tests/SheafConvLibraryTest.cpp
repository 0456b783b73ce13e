// SheafConv.dll as the desktop program sees it: the entry points by name, the
// file-to-file sessions with every progress text in order, the result codes
// and the last error text.
#include "ApplicationSession.h"
#include "CellStream.h"
#include "ConversionTestSupport.h"
#include "DocumentHeader.h"
#include "SheafError.h"
#include "SheafFile.h"
#include "SheafResult.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <io.h>
#include <sstream>

using namespace sheaf;
using namespace sheaf::testing;

namespace {

std::wstring hostPathToWindows(const std::string& host) {
    std::wstring path = L"Z:";
    for (char c : host) {
        path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return path;
}

class SheafConvLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryW(hostPathToWindows(SHEAFCONV_DLL).c_str());
        ASSERT_NE(module_, nullptr);
        deviceExport =
            reinterpret_cast<DeviceExportFunction>(GetProcAddress(module_, "DeviceExport"));
        deviceImport =
            reinterpret_cast<DeviceImportFunction>(GetProcAddress(module_, "DeviceImport"));
        lastErrorString = reinterpret_cast<GetLastErrorStringFunction>(
            GetProcAddress(module_, "GetLastErrorString"));
        ASSERT_TRUE(deviceExport && deviceImport && lastErrorString);
    }
    void TearDown() override { FreeLibrary(module_); }

    std::string lastError() const {
        char text[1024];
        lastErrorString(text, sizeof text);
        return text;
    }

    // A workbook file written by the application.
    void writeWorkbook(const std::string& path) const {
        WorkbookSession session;
        const AutomationObject sheet = session.worksheet(1);
        session.enter(sheet, "A1", "Total");
        session.enter(sheet, "B1", "41");
        session.enter(sheet, "B2", "=B1+1");
        session.workbook.call(DISPID_XL_CLOSE,
                              {V::boolean(true), V::string(path), V::boolean(false)});
    }

    // The texts of one session without the conversion's own reports, which
    // all carry a number or none at all.
    static std::vector<std::string> sessionTexts() {
        std::vector<std::string> texts;
        for (const auto& [position, text] : ProgressLog::reports()) {
            if (position == 0 && !text.empty() &&
                text.find_first_of("0123456789") == std::string::npos) {
                texts.push_back(text);
            }
        }
        return texts;
    }

    HMODULE module_ = nullptr;
    DeviceExportFunction deviceExport = nullptr;
    DeviceImportFunction deviceImport = nullptr;
    GetLastErrorStringFunction lastErrorString = nullptr;
    ScratchFolder folder;
};

} // namespace

TEST_F(SheafConvLibrary, MissingSourceAndTheLastErrorText) {
    ProgressLog::start();
    EXPECT_EQ(deviceImport(folder.path("none.shf").c_str(), folder.path("out.xls").c_str(),
                           ProgressLog::callback, nullptr),
              SHEAF_E_FAILED);
    EXPECT_EQ(ProgressLog::reports(),
              (std::vector<std::pair<int32_t, std::string>>{{0, "Cannot find source file"}}));

    char text[64];
    EXPECT_EQ(lastErrorString(text, sizeof text), 23);
    EXPECT_STREQ(text, "Cannot find source file");
    EXPECT_EQ(lastErrorString(text, 10), 9);
    EXPECT_STREQ(text, "Cannot fi");
    EXPECT_EQ(lastErrorString(text, 1), 0);
    EXPECT_STREQ(text, "");
    text[0] = 'x';
    EXPECT_EQ(lastErrorString(text, 0), 0);
    EXPECT_EQ(lastErrorString(text, -5), 0);
    EXPECT_EQ(text[0], 'x') << "no room for a terminator: nothing is written";
}

TEST_F(SheafConvLibrary, ExportSessionStepsInOrder) {
    const std::string workbook = folder.path("Book1.xls");
    writeWorkbook(workbook);
    const std::string sheaf = folder.path("Book1.shf");
    ProgressLog::start();
    ASSERT_EQ(deviceExport(workbook.c_str(), sheaf.c_str(), ProgressLog::callback, nullptr), 0);
    EXPECT_EQ(sessionTexts(),
              (std::vector<std::string>{"Starting MS Excel...", "Getting workbooks properties...",
                                        "Opening workbooks...", "Exporting data...",
                                        "Closing Workbook...", "Closing workbooks...",
                                        "Exiting MS Excel...", "Result file is present"}));
    const std::vector<std::string> texts = ProgressLog::texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Converting row 2..."), texts.end());

    SheafDocument document;
    ASSERT_EQ(loadDocument(document, sheaf.c_str()), kResultOk);
    EXPECT_EQ(DocumentHeader::decode(document.get(1)).sheetCount, 1u);
}

TEST_F(SheafConvLibrary, ImportSessionStepsInOrderAndTheWorkbookOpens) {
    const std::string workbook = folder.path("Book1.xls");
    writeWorkbook(workbook);
    const std::string sheaf = folder.path("Book1.shf");
    ASSERT_EQ(deviceExport(workbook.c_str(), sheaf.c_str(), nullptr, nullptr), 0);

    const std::string back = folder.path("Back.xls");
    ProgressLog::start();
    ASSERT_EQ(deviceImport(sheaf.c_str(), back.c_str(), ProgressLog::callback, nullptr), 0);
    EXPECT_EQ(sessionTexts(),
              (std::vector<std::string>{"Starting MS Excel...", "Getting workbooks properties...",
                                        "Adding new workbook...", "Importing data...",
                                        "Saving changes...", "Closing workbooks...",
                                        "Exiting MS Excel...", "Result file is present"}));

    WorkbookSession session;
    const AutomationObject opened = session.workbooks.callObject(DISPID_XL_OPEN, {V::string(back)});
    const AutomationObject sheet =
        opened.getObject(DISPID_XL_WORKSHEETS).getObject(DISPID_XL_ITEM, {V::int32(1)});
    const auto cell = [&](const char* address) {
        return sheet.getObject(DISPID_XL_RANGE, {V::string(address), V::omitted()});
    };
    EXPECT_EQ(cell("A1").getVariant(DISPID_XL_VALUE2).toString(), "Total");
    EXPECT_EQ(cell("B2").getVariant(DISPID_XL_FORMULA).toString(), "=B1+1");
    EXPECT_EQ(cell("B2").getVariant(DISPID_XL_VALUE2).toDouble(), 42);
}

TEST_F(SheafConvLibrary, ImportOfAWrongMagicSavesNothing) {
    const std::string sheaf = folder.path("bad.shf");
    std::ofstream(sheaf, std::ios::binary) << "jlc1\x01\x00\x00\x00";
    const std::string target = folder.path("out.xls");
    ProgressLog::start();
    EXPECT_EQ(deviceImport(sheaf.c_str(), target.c_str(), ProgressLog::callback, nullptr),
              SHEAF_E_FAILED);
    const std::vector<std::string> texts = sessionTexts();
    const auto importing = std::find(texts.begin(), texts.end(), "Importing data...");
    ASSERT_NE(importing, texts.end());
    EXPECT_EQ(*(importing + 1), "Closing workbook...");
    EXPECT_EQ(texts.back(), "Result file is not exist");
    EXPECT_EQ(lastError(), "Result file is not exist");
    EXPECT_FALSE(ScratchFolder::exists(target));
}

TEST_F(SheafConvLibrary, CancelledExportLeavesNoFileAndSaysSo) {
    const std::string workbook = folder.path("Book1.xls");
    writeWorkbook(workbook);
    const std::string sheaf = folder.path("Book1.shf");
    ProgressLog::start("Converting row 1...");
    EXPECT_EQ(deviceExport(workbook.c_str(), sheaf.c_str(), ProgressLog::callback, nullptr),
              SHEAF_E_FAILED);
    EXPECT_FALSE(ScratchFolder::exists(sheaf));
    EXPECT_EQ(lastError(), "Result file is not exist");
}

TEST_F(SheafConvLibrary, ExportOfAnUnreadableWorkbookFailsToCommunicate) {
    const std::string workbook = folder.path("junk.xls");
    std::ofstream(workbook, std::ios::binary) << "this is no workbook";
    ProgressLog::start();
    EXPECT_EQ(deviceExport(workbook.c_str(), folder.path("junk.shf").c_str(), ProgressLog::callback,
                           nullptr),
              SHEAF_E_FAILED);
    const std::vector<std::string> texts = sessionTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Opening workbooks..."), texts.end());
    EXPECT_EQ(std::find(texts.begin(), texts.end(), "Exporting data..."), texts.end());
    EXPECT_EQ(texts.back(), "Result file is not exist");
}

TEST(ApplicationSession, MissingApplicationAndTheStatusLines) {
    ScratchFolder folder;
    const std::string workbook = folder.path("Book1.xls");
    std::ofstream(workbook, std::ios::binary) << "anything";
    const std::string output = folder.path("stdout.txt");

    // Capture what the session writes to standard output.
    std::fflush(stdout);
    const int saved = _dup(1);
    const int file = _open(output.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC, 0600);
    _dup2(file, 1);
    ProgressLog::start();
    constexpr CLSID kNoSuchClass = {
        0x0badc0de, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    const int32_t result = ApplicationSession(ProgressLog::callback, kNoSuchClass)
                               .exportWorkbook(workbook.c_str(), folder.path("out.shf").c_str());
    std::fflush(stdout);
    _dup2(saved, 1);
    _close(file);
    _close(saved);

    EXPECT_EQ(result, SHEAF_E_FAILED);
    EXPECT_EQ(ProgressLog::texts(),
              (std::vector<std::string>{"Starting MS Excel...", "Result file is not exist"}));
    std::ifstream in(output);
    std::stringstream printed;
    printed << in.rdbuf();
    EXPECT_EQ(printed.str().rfind("Operation Result = -", 0), 0u) << printed.str();
}
