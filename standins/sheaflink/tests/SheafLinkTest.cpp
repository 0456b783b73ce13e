#include <gtest/gtest.h>

#include <windows.h>

namespace {

using GetWordFunction = DWORD(__stdcall*)();
using CleanUpFunction = void(__stdcall*)(DWORD);
using SetWordFunction = void(__stdcall*)(DWORD);
using CountFunction = DWORD(__stdcall*)();
using ContextFunction = DWORD(__stdcall*)(DWORD);

class SheafLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableW(L"SHEAFLINK_CAPABILITIES", L"0x12");
        module_ = LoadLibraryW(L"" SHEAFLINK_PATH);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override { FreeLibrary(module_); }

    template <typename Function> Function Find(const char* name) {
        return reinterpret_cast<Function>(GetProcAddress(module_, name));
    }

    HMODULE module_ = nullptr;
};

TEST_F(SheafLinkTest, WordComesFromTheEnvironmentUntilSet) {
    auto getWord = Find<GetWordFunction>("_GetCapabilitiesWord@0");
    auto setWord = Find<SetWordFunction>("SheafLinkSetCapabilitiesWord");
    ASSERT_NE(getWord, nullptr);
    ASSERT_NE(setWord, nullptr);
    EXPECT_EQ(getWord(), 0x12u);
    setWord(1);
    EXPECT_EQ(getWord(), 1u);
}

TEST_F(SheafLinkTest, CleanedContextsAreRecordedInOrder) {
    auto cleanUp = Find<CleanUpFunction>("_CleanUpContext@4");
    auto count = Find<CountFunction>("SheafLinkCleanedContextCount");
    auto context = Find<ContextFunction>("SheafLinkCleanedContext");
    ASSERT_NE(cleanUp, nullptr);
    cleanUp(7);
    cleanUp(0);
    ASSERT_EQ(count(), 2u);
    EXPECT_EQ(context(0), 7u);
    EXPECT_EQ(context(1), 0u);
}

} // namespace
