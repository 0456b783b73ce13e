// The desktop program binds DocConverter.dll from its folder through its
// converter table: the transfer worker's export step turns a .doc into a .pgd,
// the import step turns it back, and the progress reaches the step's dialog.
#include "DocReader.h"
#include "DocWriter.h"
#include "Messages.h"
#include "PgdFormat.h"
#include "TestDocuments.h"
#include "TestSupport.h"
#include "TransferWorker.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <iterator>

namespace quire::sync {
namespace {

using test::Received;

std::vector<uint8_t> ReadBytes(const std::wstring& path) {
    std::ifstream in(test::ToNarrow(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(test::ToNarrow(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

class DocConverterBinding : public ::testing::Test {
protected:
    void SetUp() override {
        ContinueFlag.store(1);
        ASSERT_NE(converters_.Find(DocumentKind::WordProcessing), nullptr);
        step_.dialog = job_.Handle();
        environment_ = {mainWindow_.Handle(), &converters_, &wireless_, &credentials_};
        worker_.emplace(environment_);
        ASSERT_TRUE(worker_->Started());
        threadId_ = worker_->ThreadId();
    }

    void TearDown() override {
        worker_.reset();
        CurrentStep.store(nullptr);
    }

    // Runs one conversion step and waits for its reply.
    void Convert(UINT message, const std::wstring& from, const std::wstring& to) {
        wcscpy(step_.firstPath, from.c_str());
        wcscpy(step_.secondPath, to.c_str());
        step_.kind = DocumentKind::WordProcessing;
        ASSERT_TRUE(PostToWorker(threadId_, message, 0, reinterpret_cast<LPARAM>(&step_)));
        ASSERT_TRUE(job_.PumpUntilMessage(message));
    }

    std::vector<std::wstring> ProgressTexts() const {
        std::vector<std::wstring> texts;
        for (const Received& received : job_.Messages()) {
            if (received.message == MSG_PROGRESS) {
                texts.push_back(received.text);
            }
        }
        return texts;
    }

    test::Scratch scratch_;
    test::RecordingWindow mainWindow_;
    test::RecordingWindow job_;
    test::ScriptedPrompter prompter_;
    ConverterTable converters_{DOCCONVERTER_DIR};
    WirelessLink wireless_{DOCCONVERTER_DIR};
    WirelessCredentials credentials_{L"server", L"pin", L"word"};
    WorkerEnvironment environment_;
    TransferStep step_;
    std::optional<test::RunningWorker> worker_;
    DWORD threadId_ = 0;
};

TEST_F(DocConverterBinding, ExportMakesAHandheldDocumentAndImportBringsItBack) {
    const docconv::TextDocument document = docconv::testing::richDocument();
    WriteBytes(scratch_.PathOf(L"Letter.doc"), docconv::writeWordDocument(document));

    Convert(MSG_EXPORT_CONVERT, scratch_.PathOf(L"Letter.doc"), scratch_.PathOf(L"~qs1.tmp"));
    EXPECT_EQ(docconv::pgd::read(ReadBytes(scratch_.PathOf(L"~qs1.tmp"))), document);
    const std::vector<std::wstring> exportTexts = ProgressTexts();
    ASSERT_FALSE(exportTexts.empty());
    EXPECT_EQ(exportTexts.front(), L"Converting document...");
    EXPECT_NE(std::find(exportTexts.begin(), exportTexts.end(), L"Result file is present"),
              exportTexts.end());

    Convert(MSG_IMPORT_CONVERT, scratch_.PathOf(L"~qs1.tmp"), scratch_.PathOf(L"Back.doc"));
    EXPECT_EQ(docconv::readWordDocument(ReadBytes(scratch_.PathOf(L"Back.doc"))), document);
    EXPECT_GT(ProgressTexts().size(), exportTexts.size());
    EXPECT_TRUE(prompter_.Prompts().empty());
}

TEST_F(DocConverterBinding, ADamagedDocumentShowsTheConvertersText) {
    test::WriteTextFile(scratch_.PathOf(L"Bad.doc"), "not a document at all");
    Convert(MSG_EXPORT_CONVERT, scratch_.PathOf(L"Bad.doc"), scratch_.PathOf(L"~qs2.tmp"));
    ASSERT_EQ(prompter_.Prompts().size(), 1u);
    EXPECT_EQ(prompter_.Prompts()[0].text,
              L"Error converting file\nSource file is not a Word document");
    EXPECT_FALSE(test::FileExists(scratch_.PathOf(L"~qs2.tmp")));
}

} // namespace
} // namespace quire::sync
