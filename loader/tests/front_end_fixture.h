// The front end's tests over the recording simulator: a clean front end,
// quinar and key state for each test, a progress window that records the
// percentages it is sent, and files that go away after the test.
#pragma once

#include <gtest/gtest.h>

#include <platform/messages.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "fake_sim_session.h"
#include "front_state.h"
#include "quentor.h"
#include "quinar/listing.h"
#include "quinar/symbol_store.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace quentor {

inline std::vector<uint8_t> Ramp(uint8_t first, size_t count)
{
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>(first + i);
    return bytes;
}

class FrontEndFixture : public FakeSimTest {
protected:
    void SetUp() override
    {
        FakeSimTest::SetUp();
        InitDLL_CpuServer(0, nullptr, "ARM7TDMI", 0);
        FrontState() = FrontEndState{};
        quinar::Symbols().Clear();
        ResetOnCloseELF();
        platform::ResetKeyState();
        window_ = platform::CreateSink([this](UINT msg, WPARAM wParam, LPARAM) -> LRESULT {
            if (msg == PBM_SETPOS)
                progress.push_back(static_cast<uint32_t>(wParam));
            return 0;
        });
    }
    void TearDown() override
    {
        platform::SetPumpHook(nullptr);
        platform::SetKeyStateQuery(nullptr);
        platform::DestroySink(window_);
        for (const std::string& f : files_)
            std::filesystem::remove(f);
        quinar::Symbols().Clear();
        FakeSimTest::TearDown();
    }

    std::string File(const std::string& name, const std::string& text)
    {
        const std::string path = ::testing::TempDir() + "quentor_" + std::to_string(::getpid()) + "_" +
            std::to_string(files_.size()) + "_" + name;
        std::ofstream(path, std::ios::binary) << text;
        files_.push_back(path);
        return path;
    }
    std::string File(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        return File(name, std::string(bytes.begin(), bytes.end()));
    }
    LdrResult Load(const std::string& path, unsigned flags) { return LdrLoadWin(path.c_str(), 0, flags, window_); }

    static std::set<std::string> SymbolRows()
    {
        const std::vector<std::string> rows = quinar::ListSymbols();
        return {rows.begin(), rows.end()};
    }

    std::vector<uint32_t> progress;
    HWND window_ = nullptr;

private:
    std::vector<std::string> files_;
};

}  // namespace quentor
