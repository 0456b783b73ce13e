#include "AddinTestSupport.h"
#include "ui/ConflictDialog.h"

#include <gtest/gtest.h>

using namespace quire::addin;
using namespace quire::addin::testing;

namespace {

struct Outcome {
    INT_PTR result;
    int action;
    std::vector<std::wstring> shown;
};

Outcome answer(DialogAnswer how) {
    DialogAnswerer answerer(GetCurrentProcessId(), {how});
    ConflictDialog dialog(L"/Reports/May.shf");
    INT_PTR result = dialog.runModal(GetModuleHandleW(nullptr), nullptr);
    return {result, dialog.action(), answerer.shownPaths()};
}

TEST(ConflictDialogTest, EnterChoosesTheCheckedFirstAction) {
    Outcome outcome = answer(DialogAnswer::Enter);
    EXPECT_EQ(outcome.result, IDOK);
    EXPECT_EQ(outcome.action, ConflictDialog::kOverwriteDesktop);
    EXPECT_EQ(outcome.shown, std::vector<std::wstring>{L"/Reports/May.shf"});
}

TEST(ConflictDialogTest, SecondChoiceAndOk) {
    Outcome outcome = answer(DialogAnswer::SecondChoiceOk);
    EXPECT_EQ(outcome.result, IDOK);
    EXPECT_EQ(outcome.action, ConflictDialog::kOverwriteHandheld);
}

TEST(ConflictDialogTest, EscapeAndCloseSkip) {
    for (DialogAnswer how : {DialogAnswer::Escape, DialogAnswer::CloseBox}) {
        Outcome outcome = answer(how);
        EXPECT_EQ(outcome.result, IDCANCEL);
        EXPECT_EQ(outcome.action, ConflictDialog::kNoChoice);
    }
}

TEST(ConflictDialogTest, TemplateCarriesItsTexts) {
    struct Check : ConflictDialog {
        using ConflictDialog::ConflictDialog;
        std::vector<std::wstring> texts;
        RECT box{};
        BOOL onInitDialog() override {
            BOOL result = ConflictDialog::onInitDialog();
            for (int id : {IDOK, IDCANCEL, 201, 202, 203}) {
                wchar_t text[100] = {};
                GetDlgItemTextW(handle(), id, text, 100);
                texts.emplace_back(text);
            }
            wchar_t title[32] = {};
            GetWindowTextW(handle(), title, 32);
            texts.emplace_back(title);
            RECT work{};
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
            GetWindowRect(handle(), &box);
            inside = box.left >= work.left && box.top >= work.top && box.right <= work.right &&
                     box.bottom <= work.bottom;
            checked = IsDlgButtonChecked(handle(), 202) == BST_CHECKED;
            endDialog(IDCANCEL);
            return result;
        }
        bool inside = false;
        bool checked = false;
    } dialog(L"/x.shf");
    dialog.runModal(GetModuleHandleW(nullptr), nullptr);
    EXPECT_EQ(dialog.texts, (std::vector<std::wstring>{
                                L"OK", L"Skip", L"/x.shf", L"Overwrite desktop file by handheld",
                                L"Overwrite handheld file by desktop", L"Warning"}));
    EXPECT_TRUE(dialog.inside);
    EXPECT_TRUE(dialog.checked);
}

} // namespace
