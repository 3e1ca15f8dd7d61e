// A session on the real simulator library for the register and memory
// windows: the CPU model, the target library and the memory library set up
// as the program connects them, a main window that records what the windows
// send it, and the debug services answered by the test.
#pragma once

#include <gmock/gmock.h>

#include <platform/doc_view.h>
#include <platform/scripted_ui_gtest.h>

#include <string>
#include <vector>

#include "regmem/debug_services.h"

namespace regmem::test {

class RegMemSession : public ::testing::Test, public DebugServices {
protected:
    void SetUp() override;
    void TearDown() override;
    // The image's code and data into target memory (no symbols), the PC at
    // its entry.
    void Load(const std::string& path);
    // Reads or writes target memory; fails the test on an error.
    std::vector<uint8_t> Read(uint32_t address, uint32_t count);
    void Write(uint32_t address, const std::vector<uint8_t>& bytes);

    HWND MainWindow() override { return window_; }
    void ReportTargetConnectionLost() override { ++lost; }
    void AddWatch(const std::string& expression) override { watches.push_back(expression); }
    bool Simulate() override { return simulate; }
    bool AccessRefused() override { return refused; }
    std::string FindText() override { return findText; }
    // The find box shows the text added last.
    void AddFindText(const std::string& text) override { findText = text; }

    // WM_EMU_UPDATE_VIEWS kinds with their parameter, and other messages.
    struct Message {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<std::pair<WPARAM, LPARAM>> Updates() const;
    void ClearMessages() { messages.clear(); }

    bool bigEndian = false;  // set before SetUp runs: the CPU model's byte order
    std::vector<Message> messages;
    std::vector<std::string> watches;
    int lost = 0;
    bool simulate = true;
    bool refused = false;
    std::string findText;
    HWND window_ = nullptr;
    platform::GTestScriptedUi ui;
};

// A view's logic in a client area of the given pixels (8 x 16 cells).
template <class View>
View* MakeView(platform::FakeHost& host)
{
    auto* view = new View;
    view->SetHost(&host);
    EXPECT_TRUE(view->Create(nullptr, 1));
    return view;
}

}  // namespace regmem::test
