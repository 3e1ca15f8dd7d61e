// A debugger session on the real simulator library, set up as the program
// does it: the CPU model with a main window, the target library, the memory
// library, sarvik's set-up and configuration; the main window plays the
// main frame's part at every stop (the shared stop handling), keeps the
// console output and answers console input from a script.
#pragma once

#include <gmock/gmock.h>
#include <platform/messages.h>

#include <string>
#include <vector>

#include "elf_image.h"
#include "emu_messages.h"
#include "sarvik.h"
#include "sarvik/frame_stop.h"

namespace sarvik::test {

// A text command of the library run with the words of a line.
int TextCommand(int (*command)(int, char**), std::vector<std::string> words);

class SimSession : public ::testing::Test, public StopDisplay {
protected:
    static constexpr int STOP_WAIT_MS = 10000;

    void SetUp() override;
    void TearDown() override;

    // The image through the loader front end (symbols and code), the target
    // reset to its start. The command line is the image's path.
    void Load(const std::string& fixture);
    // Pumps the main window until a stop was shown (or a go stopped at
    // once with a refresh) and the target is stopped; false on a time-out.
    bool WaitForStop();
    // A go till the address with the frame's stop handling, to its stop
    // there (a go that stops at once refreshed before EmuRun returned).
    void GoTillStop(uint32_t address);
    // The loaded image's code (its first segment) and the vectors below it
    // hold the image's bytes: no break word is left.
    void ExpectImageIntact();
    uint32_t Pc();
    // The address of a symbol of the image's symbol table.
    uint32_t Symbol(const std::string& name);
    // The function goes into the symbol library as the debug information
    // readers put it there, so that "#name" texts resolve.
    void DeclareFunction(const std::string& name);
    void ClearRecords()
    {
        messages_.clear();
        shown_.clear();
        console_.clear();
    }
    int Count(UINT msg) const;

    void ShowHalt(uint16_t cause, const char*) override { shown_.push_back(cause); }
    void Refresh() override { SendMessage(window_, WM_EMU_REFRESH, 0, 0); }

    struct Message {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };
    HWND window_ = nullptr;
    std::vector<Message> messages_;
    std::vector<uint16_t> shown_;  // halt causes shown
    std::vector<StopOutcome> outcomes_;
    std::string console_;
    std::string input_;  // console input still to be typed
    int refreshes_ = 0;
    zk::tools::ElfImage image_;
    std::string imagePath_;
    uint32_t topOfMemory_ = 0x08000000;
};

}  // namespace sarvik::test
