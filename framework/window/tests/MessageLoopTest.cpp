#include "window/MessageLoop.h"
#include "window/Module.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace quire::window {
namespace {

// A queue played from a script: each message is fetched in turn, and the
// queue counts as empty before each one so that idle handlers get a pass.
std::deque<MSG> script;
std::vector<std::string> events;

BOOL ScriptedGet(MSG* message) {
    *message = script.front();
    script.pop_front();
    events.push_back("get " + std::to_string(message->message));
    if (message->message == WM_QUIT) {
        return 0;
    }
    return message->message == WM_NULL && message->wParam == 1 ? -1 : TRUE;
}

bool ScriptedHasMessage() {
    return false;
}

MSG Message(UINT id, WPARAM wParam = 0) {
    MSG message{};
    message.message = id;
    message.wParam = wParam;
    return message;
}

class RecordingFilter : public MessageFilter {
public:
    RecordingFilter(std::string name, bool handles) : name_(std::move(name)), handles_(handles) {}
    bool PreTranslateMessage(MSG&) override {
        events.push_back("filter " + name_);
        return handles_;
    }

private:
    std::string name_;
    bool handles_;
};

// Asks for as many passes as it is given, then stops.
class CountingIdle : public IdleHandler {
public:
    explicit CountingIdle(int passes) : passes_(passes) {}
    bool OnIdle(int idleCount) override {
        events.push_back("idle " + std::to_string(idleCount));
        return idleCount + 1 < passes_;
    }

private:
    int passes_;
};

class MessageLoopTest : public testing::Test {
protected:
    void SetUp() override {
        script.clear();
        events.clear();
    }
    MessageLoop loop{MessageLoop::Queue{&ScriptedGet, &ScriptedHasMessage}};
};

TEST_F(MessageLoopTest, EndsWithTheQuitMessagesValue) {
    script = {Message(WM_NULL, 1), Message(WM_QUIT, 2)};
    EXPECT_EQ(loop.Run(), 2);
    EXPECT_EQ(events, (std::vector<std::string>{"get 0", "get 18"}));
}

TEST_F(MessageLoopTest, OffersFiltersLatestFirstUntilOneHandles) {
    RecordingFilter first("first", false), second("second", true), third("third", false);
    loop.AddMessageFilter(&first);
    loop.AddMessageFilter(&second);
    loop.AddMessageFilter(&third);
    MSG message = Message(WM_KEYDOWN);
    EXPECT_TRUE(loop.PreTranslate(message));
    EXPECT_EQ(events, (std::vector<std::string>{"filter third", "filter second"}));

    events.clear();
    loop.RemoveMessageFilter(&second);
    EXPECT_FALSE(loop.PreTranslate(message));
    EXPECT_EQ(events, (std::vector<std::string>{"filter third", "filter first"}));
}

TEST_F(MessageLoopTest, IdleRunsUntilSatisfiedAndRearmsExceptAfterMovesAndPaint) {
    CountingIdle idle(2);
    loop.AddIdleHandler(&idle);
    // 0x0118 is the caret blink; 0x0100 a key-down re-arms.
    script = {Message(WM_MOUSEMOVE), Message(WM_NCMOUSEMOVE), Message(WM_PAINT),
              Message(0x0118),       Message(WM_KEYDOWN),     Message(WM_QUIT, 7)};
    EXPECT_EQ(loop.Run(), 7);
    EXPECT_EQ(events,
              (std::vector<std::string>{"idle 0", "idle 1", "get 512", "get 160", "get 15",
                                        "get 280", "get 256", "idle 0", "idle 1", "get 18"}));
}

TEST(MessageLoopRearmTest, ByMessage) {
    struct Case {
        UINT message;
        bool rearms;
    };
    for (const Case& c : {Case{WM_MOUSEMOVE, false}, Case{WM_NCMOUSEMOVE, false},
                          Case{WM_PAINT, false}, Case{0x0118, false}, Case{WM_TIMER, true},
                          Case{WM_LBUTTONDOWN, true}, Case{WM_COMMAND, true}}) {
        EXPECT_EQ(MessageLoop::RearmsIdle(c.message), c.rearms) << c.message;
    }
}

TEST(MessageLoopRealQueueTest, PostedQuitEndsTheLoopAndFiltersSeeThreadMessages) {
    MessageLoop loop;
    events.clear();
    RecordingFilter filter("thread", false);
    loop.AddMessageFilter(&filter);
    PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
    PostQuitMessage(5);
    EXPECT_EQ(loop.Run(), 5);
    EXPECT_EQ(events, std::vector<std::string>{"filter thread"});
}

TEST(ModuleTest, OneLoopPerThread) {
    Module module;
    ASSERT_TRUE(module.Init(GetModuleHandleW(nullptr)));
    MessageLoop first, second;
    EXPECT_EQ(module.GetMessageLoop(), nullptr);
    EXPECT_TRUE(module.AddMessageLoop(&first));
    EXPECT_FALSE(module.AddMessageLoop(&second));
    EXPECT_EQ(module.GetMessageLoop(), &first);
    module.RemoveMessageLoop();
    EXPECT_EQ(module.GetMessageLoop(), nullptr);
    module.Term();
    EXPECT_EQ(module.Instance(), nullptr);
}

} // namespace
} // namespace quire::window
