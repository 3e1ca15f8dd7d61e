// A debugger core on a recording TargetSide and a stand-in frame, with the
// settings it reads set to known values and a scripted modal service.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "appdebug/debug_core.h"
#include "core_fakes.h"
#include "frame_standins.h"
#include "platform/scripted_ui_gtest.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"

namespace appdebug::test {

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        shell::RegisterShellResources();
        sinksAtStart_ = platform::SinkCount();
        theSettings.OnlyStartAddr = 0;
        theSettings.CMainEntry = "main";
        theSettings.IsLoadInitFile = 0;
        theSettings.RunAccess = 0;
        theSettings.Simulate = 0;
        core = std::make_unique<CDebugCore>(&frame, &side);
        frame.onViewClosed = [this](int kind) {
            if (core)
                core->OnDebugWndClosed(kind);
        };
    }
    // Every window the core owned is gone with it: only the frame's handle
    // is left.
    void TearDown() override
    {
        core.reset();
        EXPECT_TRUE(frame.windows.empty());
        EXPECT_EQ(platform::SinkCount(), sinksAtStart_);
    }
    size_t sinksAtStart_ = 0;

    // Runs a command by id through the core's message map.
    void Command(UINT id) { ASSERT_TRUE(core->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr)) << id; }
    bool Enabled(UINT id) { return core->QueryCommandState(id).enabled; }
    std::vector<SentMessage> Busy() const
    {
        std::vector<SentMessage> out;
        for (const SentMessage& m : frame.sink.messages)
            if (m.msg == WM_EMU_BUSY)
                out.push_back(m);
        return out;
    }
    int Count(UINT msg) const
    {
        int n = 0;
        for (const SentMessage& m : frame.sink.messages)
            n += m.msg == msg;
        return n;
    }

    platform::GTestScriptedUi ui;
    RecordingSide side;
    StandInFrame frame;
    std::unique_ptr<CDebugCore> core;
};

}  // namespace appdebug::test
