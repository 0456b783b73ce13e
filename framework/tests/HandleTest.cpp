#include "base/UniqueHandle.h"

#include <gtest/gtest.h>

#include <vector>

namespace quire {
namespace {

std::vector<int> closed;

struct CountedTraits {
    using Type = int;
    static Type invalid() { return -1; }
    static void close(Type handle) { closed.push_back(handle); }
};
using Counted = UniqueHandle<CountedTraits>;

class HandleTest : public ::testing::Test {
protected:
    void SetUp() override { closed.clear(); }
};

TEST_F(HandleTest, EachHandleIsClosedOnceByItsLastOwner) {
    {
        Counted first(1);
        Counted second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), 1);
        Counted third(3);
        third = std::move(second);
        EXPECT_EQ(closed, std::vector<int>{3});
        EXPECT_EQ(third.get(), 1);
    }
    EXPECT_EQ(closed, (std::vector<int>{3, 1}));
}

TEST_F(HandleTest, ReleaseHandsOverAndResetClosesTheOldHandle) {
    Counted handle(5);
    EXPECT_EQ(handle.release(), 5);
    EXPECT_FALSE(handle);
    handle.reset(6);
    handle.reset(7);
    handle.reset();
    EXPECT_EQ(closed, (std::vector<int>{6, 7}));
}

TEST(KernelHandleTest, InvalidValuesFollowTheirFunctions) {
    // CreateFile fails with INVALID_HANDLE_VALUE, CreateEvent with NULL.
    FileHandle missing(CreateFileW(L"Z:\\no\\such\\folder\\file", GENERIC_READ, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing);
    KernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    HANDLE raw = event.get();
    event.reset();
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(raw, &flags)) << "the event was closed";
}

} // namespace
} // namespace quire
