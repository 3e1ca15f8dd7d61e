// TaskOpenWindow: mode 2 (after a stop) never creates the kernel window;
// other modes create it through the window code's host, or raise and
// refresh the open one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "corvane/corvane.h"
#include "corvane/tables.h"

namespace corvane::test {
namespace {

class RecordingHost : public KernelWindowHost {
public:
    void* Create() override
    {
        calls.push_back("create");
        return fail ? nullptr : &window;
    }
    void Raise(void* w) override { calls.push_back(w == &window ? "raise" : "raise other"); }
    int Refresh(void* w) override
    {
        calls.push_back(w == &window ? "refresh" : "refresh other");
        return refreshResult;
    }
    int window = 0;
    bool fail = false;
    int refreshResult = 1;
    std::vector<std::string> calls;
};

class OpenWindow : public ::testing::Test {
protected:
    void SetUp() override { WindowDestroyed(); }
    void TearDown() override
    {
        SetWindowHost(nullptr);
        WindowDestroyed();
    }
    RecordingHost host_;
};

using Calls = std::vector<std::string>;

TEST_F(OpenWindow, WithoutTheWindowCodeNothingIsCreated)
{
    SetWindowHost(nullptr);
    EXPECT_EQ(TaskOpenWindow(2), 0);
    EXPECT_EQ(TaskOpenWindow(0), 0);
    EXPECT_EQ(Tables().window, nullptr);
    EXPECT_FALSE(Tables().windowOpen);
}

TEST_F(OpenWindow, CreatesRaisesAndRefreshes)
{
    SetWindowHost(&host_);
    EXPECT_EQ(TaskOpenWindow(2), 0) << "after a stop with no window";
    EXPECT_TRUE(host_.calls.empty());

    EXPECT_NE(TaskOpenWindow(0), 0);
    EXPECT_TRUE(Tables().windowOpen);
    EXPECT_EQ(host_.calls, (Calls{"create"}));

    host_.calls.clear();
    EXPECT_EQ(TaskOpenWindow(2), 1);
    host_.refreshResult = 0;
    EXPECT_EQ(TaskOpenWindow(0), 0) << "the refresh's result";
    EXPECT_EQ(host_.calls, (Calls{"refresh", "raise", "refresh"}));

    // Closed: a stop creates nothing.
    WindowDestroyed();
    host_.calls.clear();
    EXPECT_EQ(TaskOpenWindow(2), 0);
    EXPECT_TRUE(host_.calls.empty());
}

TEST_F(OpenWindow, AFailedCreationLeavesNoWindow)
{
    SetWindowHost(&host_);
    host_.fail = true;
    EXPECT_EQ(TaskOpenWindow(1), 0);
    EXPECT_FALSE(Tables().windowOpen);
    EXPECT_EQ(TaskOpenWindow(2), 0);
    EXPECT_EQ(host_.calls, (Calls{"create"}));
}

}  // namespace
}  // namespace corvane::test
