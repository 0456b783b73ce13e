#include "Conversion.h"
#include "FakeConverter.h"
#include "Messages.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace quire::sync {
namespace {

using test::Received;

class ConverterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ContinueFlag.store(1);
        auto* sheafConv =
            dynamic_cast<BoundConverterLibrary*>(converters_.Find(DocumentKind::Spreadsheet));
        ASSERT_TRUE(sheafConv && sheafConv->IsBound());
        HMODULE module = GetModuleHandleW(L"SheafConv.dll");
        fake_ = reinterpret_cast<FakeConverterControlFunction>(
            GetProcAddress(module, "FakeConverterControl"))();
        *fake_ = FakeConverterState{};
        step_.dialog = dialog_.Handle();
        step_.kind = DocumentKind::Spreadsheet;
        wcscpy(step_.firstPath, scratch_.PathOf(L"in.shf").c_str());
        wcscpy(step_.secondPath, scratch_.PathOf(L"out.xls").c_str());
        test::WriteTextFile(step_.firstPath, "sheaf");
        CurrentStep.store(&step_);
    }
    void TearDown() override { CurrentStep.store(nullptr); }

    std::vector<Received> Progress() const {
        std::vector<Received> reports;
        for (const Received& received : dialog_.Messages()) {
            if (received.message == MSG_PROGRESS) {
                reports.push_back(received);
            }
        }
        return reports;
    }

    void Script(int32_t result, std::initializer_list<int32_t> progress,
                const char* lastError = "") {
        fake_->result = result;
        fake_->progressCount = 0;
        for (int32_t code : progress) {
            fake_->progress[fake_->progressCount++] = code;
        }
        strcpy(fake_->lastError, lastError);
    }

    test::Scratch scratch_;
    test::RecordingWindow dialog_;
    test::ScriptedPrompter prompter_;
    ConverterTable converters_{QUIRE_TEST_DOUBLES_DIR};
    FakeConverterState* fake_ = nullptr;
    TransferStep step_;
};

TEST_F(ConverterTest, UnboundLibraryNamesItselfInItsErrorText) {
    const ConverterTable empty(scratch_.Folder());
    const ConverterLibrary* docConverter = converters_.Find(DocumentKind::WordProcessing);
    char text[64] = {};
    EXPECT_EQ(docConverter->GetLastErrorString(text, sizeof text), 38);
    EXPECT_STREQ(text, "Error loading library DocConverter.dll");
    EXPECT_EQ(empty.Find(DocumentKind::Spreadsheet)->GetLastErrorString(text, 10), 9);
    EXPECT_STREQ(text, "Error loa");
    EXPECT_EQ(empty.Find(DocumentKind::Spreadsheet)->GetLastErrorString(text, 1), 0);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(empty.Find(DocumentKind::None), nullptr);
}

TEST_F(ConverterTest, MissingSheafConvFailsEveryExport) {
    const ConverterTable empty(scratch_.Folder());
    EXPECT_EQ(ConvertToHandheld(empty, DocumentKind::Spreadsheet, step_), 0);

    const auto prompts = prompter_.Prompts();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].text, L"Error converting file\nError loading library SheafConv.dll");
    EXPECT_EQ(prompts[0].caption, L"Quire Desktop");
    EXPECT_EQ(prompts[0].style, 0x2010u);
    EXPECT_EQ(prompts[0].owner, dialog_.Handle());
    ASSERT_FALSE(Progress().empty());
    EXPECT_EQ(Progress().back().wParam, 100u);
    EXPECT_EQ(Progress().back().text, L"");
}

TEST_F(ConverterTest, ImportBarStaysBelowHundredUntilSaved) {
    Script(0, {40, 100, 104, 120});
    step_.context = 0x1234;
    EXPECT_EQ(ConvertToPc(converters_, DocumentKind::Spreadsheet, step_), 1);

    std::vector<WPARAM> codes;
    for (const Received& report : Progress()) {
        codes.push_back(report.wParam);
    }
    EXPECT_EQ(codes, (std::vector<WPARAM>{40, 98, 99, 100, 99, 100}));
    EXPECT_EQ(Progress()[0].text, L"step");
    EXPECT_EQ(Progress()[4].text, L"Saving file...");
    EXPECT_EQ(fake_->context, 0x1234u);
    EXPECT_STREQ(fake_->destination, test::ToNarrow(step_.secondPath).c_str());
    EXPECT_TRUE(prompter_.Prompts().empty());
}

TEST_F(ConverterTest, ExportReportsCodesUnchanged) {
    Script(0, {104});
    EXPECT_EQ(ConvertToHandheld(converters_, DocumentKind::Spreadsheet, step_), 1);
    ASSERT_EQ(Progress().size(), 2u);
    EXPECT_EQ(Progress()[0].wParam, 104u);
    EXPECT_EQ(fake_->exports, 1);
}

TEST_F(ConverterTest, FailureShowsTheTextOfItsCode) {
    Script(-10000, {}, "Cannot find source file");
    EXPECT_EQ(ConvertToPc(converters_, DocumentKind::Spreadsheet, step_), 0);
    Script(-3000, {});
    ConvertToPc(converters_, DocumentKind::Spreadsheet, step_);
    Script(-7000, {});
    ConvertToPc(converters_, DocumentKind::Spreadsheet, step_);
    Script(-9000, {});
    ConvertToPc(converters_, DocumentKind::Spreadsheet, step_);
    Script(static_cast<int32_t>(E_OUTOFMEMORY), {});
    ConvertToPc(converters_, DocumentKind::Spreadsheet, step_);

    const auto prompts = prompter_.Prompts();
    ASSERT_EQ(prompts.size(), 5u);
    EXPECT_EQ(prompts[0].text, L"Error converting file\nCannot find source file");
    EXPECT_EQ(prompts[1].text, L"Error converting file\nInvalid Sheaf file");
    EXPECT_EQ(prompts[2].text, L"Error converting file\nExcel error");
    EXPECT_EQ(prompts[3].text, L"Error converting file\nInterrupted by user");
    EXPECT_EQ(prompts[4].text,
              L"Error converting file\n" + SystemErrorText(static_cast<DWORD>(E_OUTOFMEMORY)));
    EXPECT_FALSE(SystemErrorText(static_cast<DWORD>(E_OUTOFMEMORY)).empty());
    // A failed import ends at the full bar without the saving report.
    EXPECT_EQ(Progress().back().wParam, 100u);
}

TEST_F(ConverterTest, CancelledConversionShowsNothing) {
    Script(0, {10, 20});
    dialog_.onMessage = [](const Received& received) {
        if (received.message == MSG_PROGRESS) {
            ContinueFlag.store(0);
        }
    };
    EXPECT_EQ(ConvertToHandheld(converters_, DocumentKind::Spreadsheet, step_), 0);
    EXPECT_TRUE(prompter_.Prompts().empty());
}

TEST_F(ConverterTest, PathOutsideTheCodePageIsRefusedNotAltered) {
    if (GetACP() == CP_UTF8) {
        GTEST_SKIP() << "every character fits the code page";
    }
    wcscpy(step_.firstPath, scratch_.PathOf(L"\u2713\u4E2D.shf").c_str());
    EXPECT_EQ(ConvertToPc(converters_, DocumentKind::Spreadsheet, step_), 0);
    EXPECT_EQ(fake_->imports, 0);
    const auto prompts = prompter_.Prompts();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].text.rfind(L"Error converting file\n", 0), 0u);
    EXPECT_GT(prompts[0].text.size(), std::wstring(L"Error converting file\n").size());
}

} // namespace
} // namespace quire::sync

namespace quire::sync {
namespace {

// A converter that always fails with a text of its own.
class FailingLibrary final : public ConverterLibrary {
public:
    int32_t DeviceImport(const std::wstring&, const std::wstring&, ProgressCallback,
                         DWORD) override {
        return SHEAF_E_FAILED;
    }
    int32_t DeviceExport(const std::wstring&, const std::wstring&, ProgressCallback,
                         DWORD) override {
        return SHEAF_E_FAILED;
    }
    int GetLastErrorString(char* buffer, int size) const override {
        return snprintf(buffer, static_cast<size_t>(size), "%s", "Word is busy");
    }
};

TEST(ConverterTableTest, FailedWordProcessingConverterShowsItsOwnText) {
    test::RecordingWindow dialog;
    test::ScriptedPrompter prompter;
    ContinueFlag.store(1);
    const ConverterTable converters(std::make_unique<FailingLibrary>(), nullptr);
    TransferStep step;
    step.dialog = dialog.Handle();
    EXPECT_EQ(ConvertToHandheld(converters, DocumentKind::WordProcessing, step), 0);
    ASSERT_EQ(prompter.Prompts().size(), 1u);
    EXPECT_EQ(prompter.Prompts()[0].text, L"Error converting file\nWord is busy");
}

} // namespace
} // namespace quire::sync
