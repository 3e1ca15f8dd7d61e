// The main frame's Qt-free tests: a recording debugger core put in by the
// frame's core maker, and a user-image reader that accepts existing files
// (the Qt part installs the real BMP reader).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "lathris/toolbar.h"
#include "mainframe/main_frame.h"

namespace mainframe::test {

struct CoreLog {
    int connects = 0;
    bool connectAnswer = true;
    bool destroyed = false;
    std::vector<std::pair<int, LPARAM>> refreshes;
    std::vector<int> closed;
    std::vector<std::string> watches;
    std::vector<std::string> shellCommands;
    std::vector<std::pair<int, short>> events;
    std::vector<UINT> commands;
    int lost = 0;
    std::vector<int> listModes;                        // the breakpoint list's
    std::vector<std::pair<std::string, DWORD>> loads;  // path, load-option word
    LdrResult loadAnswer = 0;
};

class RecordingCore : public CCmdTarget, public FrameDebugCore {
public:
    explicit RecordingCore(CoreLog& log) : log_(log)
    {
        OnCommand(32811, [this] { log_.commands.push_back(32811); });
    }
    ~RecordingCore() override { log_.destroyed = true; }
    BOOL ConnectTarget(BOOL) override
    {
        ++log_.connects;
        return log_.connectAnswer;
    }
    BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override
    {
        return CCmdTarget::OnCmdMsg(id, code, extra, info);
    }
    void RefreshDebugWindows(int kind, LPARAM param) override { log_.refreshes.emplace_back(kind, param); }
    LRESULT OnDebugWndClosed(int kind) override
    {
        log_.closed.push_back(kind);
        return 1;
    }
    int AddWatch(const std::string& e) override
    {
        log_.watches.push_back(e);
        return 1;
    }
    void ExecShellCommand(const std::string& c) override { log_.shellCommands.push_back(c); }
    void FireEvent(int event, short value) override { log_.events.emplace_back(event, value); }
    void ReportTargetLost() override { ++log_.lost; }
    void ShowBreakpointList(int mode) override { log_.listModes.push_back(mode); }
    LdrResult LoadProgramImage(const std::string& path, DWORD flags) override
    {
        log_.loads.emplace_back(path, flags);
        return log_.loadAnswer;
    }

private:
    CoreLog& log_;
};

// Any existing file reads as two 16 x 15 images.
class AcceptingCodec : public lathris::ImageFileCodec {
public:
    bool Read(const std::string& file, lathris::ImageStrip& strip, std::string& error) override
    {
        if (!std::filesystem::exists(file)) {
            error = file + ": missing";
            return false;
        }
        strip.width = 32;
        strip.height = 15;
        strip.pixels.assign(32 * 15, 0xC0C0C0);
        return true;
    }
    bool Write(const std::string&, const lathris::ImageStrip&, std::string&) override { return true; }
};

// Installs both for a test's scope.
class FrameFixture {
public:
    FrameFixture()
    {
        previousCodec_ = lathris::GetImageFileCodec();
        lathris::SetImageFileCodec(&codec_);
        previousMaker_ = SetFrameCoreMaker([this](CMainFrame&) { return std::make_unique<RecordingCore>(log); });
    }
    ~FrameFixture()
    {
        SetFrameCoreMaker(std::move(previousMaker_));
        lathris::SetImageFileCodec(previousCodec_);
    }
    CoreLog log;

private:
    AcceptingCodec codec_;
    lathris::ImageFileCodec* previousCodec_ = nullptr;
    FrameCoreMaker previousMaker_;
};

}  // namespace mainframe::test
