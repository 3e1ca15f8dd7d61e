// A fresh library per test: sarvik back at its load-time state, the fakes
// reset, a recording main window handed to EmuInit, and a configuration that
// catches no exception and serves no semihosting (so that no vector
// breakpoint joins the list).
#pragma once

#include <gmock/gmock.h>
#include <platform/messages.h>
#include <platform/modules.h>

#include <string>
#include <vector>

#include "core.h"
#include "emu_messages.h"
#include "fake_target.h"
#include "sarvik.h"

namespace sarvik::test {

struct MainMessage {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    std::string text;  // WM_EMU_SEMIHOST_IO output: kind byte, then the text
};

class SarvikTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetLibrary();
        Fake().Reset();
        FakeRun().Reset();
        platform::SetModuleFolder(ZK_TEST_DIR "/no_kernel_view");
        window_ = platform::CreateSink([this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            MainMessage m{msg, w, l, {}};
            if (msg == WM_EMU_SEMIHOST_IO && w == 0)
                m.text = std::string(1, static_cast<char>(reinterpret_cast<const char*>(l)[0])) +
                    (reinterpret_cast<const char*>(l) + 1);
            messages_.push_back(m);
            return 1;
        });
        EmuInit(window_);
        const EMU_TARGET_CONFIG config = Config();
        EmuSetTargetConfig(&config);
        Fake().calls.clear();
        messages_.clear();
    }
    void TearDown() override
    {
        ResetLibrary();
        platform::DestroySink(window_);
        platform::SetModuleFolder("");
    }

    // Sets a plain enabled breakpoint; the test fails when it is refused.
    static void Set(uint32_t offset, UINT count = 1, const char* condition = "")
    {
        const ADDR at{offset, ADDR_SPACE_TARGET};
        ASSERT_EQ(BptSetBp(&at, condition, count, 0, 1, 0xFFFFFFFFu), EMU_OK);
    }
    static std::vector<uint32_t> ListOffsets()
    {
        std::vector<uint32_t> out;
        for (const CBpDataEx* r : *BptGetList())
            out.push_back(r->GetAddr().off);
        return out;
    }
    // The configuration of a connect with everything at its defaults but
    // the given words; a catch mask of 0 keeps the vectors free, and
    // semihosting is off so that its vector breakpoint joins no list.
    static EMU_TARGET_CONFIG Config(uint32_t options = 0x001, uint32_t catchMask = 0)
    {
        return {options, 8, 0x80000, EMU_PROTOCOL_SIMULATOR, catchMask};
    }
    // The WM_EMU_UPDATE_VIEWS (12, -1) the main window received.
    size_t BreakpointUpdates() const
    {
        size_t n = 0;
        for (const MainMessage& m : messages_)
            n += m.msg == WM_EMU_UPDATE_VIEWS && m.wParam == DVK_BREAKPOINTS && m.lParam == -1;
        return n;
    }
    std::vector<MainMessage> Messages(UINT msg) const
    {
        std::vector<MainMessage> out;
        for (const MainMessage& m : messages_)
            if (m.msg == msg)
                out.push_back(m);
        return out;
    }

    HWND window_ = nullptr;
    std::vector<MainMessage> messages_;
};

}  // namespace sarvik::test
