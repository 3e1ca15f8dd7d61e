// Test base of the load tests: quinar empty, tarnel's loaded image
// forgotten, the library's own readers in place, no key pressed, and a
// progress window that records what the load sends it.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include <platform/messages.h>

#include "debug_dispatch.h"
#include "load_state.h"
#include "quinar/quinar.h"
#include "tarnel.h"

namespace tarnel::test {

// What every load test begins and ends with, for test bases of their own.
class LoadSurroundings {
protected:
    void BeginLoads()
    {
        SymClearSymbolTables(0);
        ResetOnCloseELF();
        // The compiler kind outlives ResetOnCloseELF (a load without
        // symbols keeps it): each test starts as a fresh library.
        State().compilerKind = COMPILER_NONE;
        ResetReaders();
        platform::ResetKeyState();
        window_ = platform::CreateSink([this](UINT msg, WPARAM wParam, LPARAM) -> LRESULT {
            if (msg == PBM_SETPOS)
                progress.push_back(static_cast<uint32_t>(wParam));
            return 0;
        });
    }

    void EndLoads()
    {
        platform::DestroySink(window_);
        ResetReaders();
        platform::ResetKeyState();
        SymClearSymbolTables(0);
    }

    HWND Window() const { return window_; }

    static uint32_t ModuleCount()
    {
        uint32_t modules = 0;
        SymGetModuleCount(&modules);
        return modules;
    }

    std::vector<uint32_t> progress;

private:
    HWND window_ = nullptr;
};

class TarnelTest : public ::testing::Test, protected LoadSurroundings {
protected:
    void SetUp() override { BeginLoads(); }
    void TearDown() override { EndLoads(); }
};

}  // namespace tarnel::test
