// WM_EMU_MEMORY_TEST in the frame offscreen on the real simulator, over the
// RAM that holds .data of examples/hello built at -O0: the shell hears
// "Test Successful!" and memory still holds what objcopy puts there;
// Ctrl+Break waiting in the queue ends the test before its first block.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <algorithm>
#include <sstream>

#include "brevan/brevan.h"
#include "emu_messages.h"
#include "host_tools.h"
#include "mainframe/qt/frame_window.h"
#include "platform/modules.h"
#include "platform/scripted_ui_gtest.h"
#include "shell/debugger_app.h"
#include "shell/modules.h"
#include "shell_test_support.h"
#include "talvis/talvis.h"

namespace mainframe {
namespace {

struct Section {
    std::string name;
    uint32_t address = 0;
    uint32_t size = 0;
    bool loaded = false;  // PROGBITS with the alloc flag: in objcopy's binary
};

// The sections as arm-none-eabi-readelf lists them.
std::vector<Section> ReadelfSections(const std::string& elf)
{
    auto r = zk::test::RunProcess({"arm-none-eabi-readelf", "-SW", elf});
    EXPECT_EQ(r.exitStatus, 0) << "arm-none-eabi-readelf is needed: " << r.err;
    std::vector<Section> out;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        const size_t close = line.find(']');
        if (line.find("  [") != 0 || close == std::string::npos)
            continue;
        std::istringstream words(line.substr(close + 1));
        Section s;
        std::string type, address, offset, size, entry, flags;
        if (!(words >> s.name >> type >> address >> offset >> size >> entry >> flags) || type == "Type")
            continue;
        s.address = static_cast<uint32_t>(std::stoul(address, nullptr, 16));
        s.size = static_cast<uint32_t>(std::stoul(size, nullptr, 16));
        s.loaded = type == "PROGBITS" && flags.find('A') != std::string::npos && s.size > 0;
        out.push_back(s);
    }
    return out;
}

// What the shell server is given to print.
class ShellPrints : public brevan::MessageSink {
public:
    void Print(const std::string& text, int) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

class MemoryTestMessageTest : public shell::test::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        platform::SetModuleFolder(ZK_BIN_DIR);
        shell::Modules().FreeAll();
        previousSink_ = brevan::SetMessageSink(&prints_);
    }
    void TearDown() override
    {
        if (app_) {
            if (auto* frame = dynamic_cast<CMainFrame*>(app_->m_pMainWnd))
                frame->SendMessage(WM_CLOSE);
            EXPECT_TRUE(QTest::qWaitFor([&] { return app_->m_pMainWnd == nullptr; }, 30000));
            QApplication::processEvents();
            app_->ExitInstance();
            app_.reset();
        }
        brevan::SetMessageSink(previousSink_);
        shell::Modules().FreeAll();
        RegistryTest::TearDown();
    }
    CMainFrame* StartWith(const std::string& elf)
    {
        std::vector<const char*> args{"quelm", "/D"};
        app_ = std::make_unique<shell::CDebuggerApp>();
        app_->m_noPrompt = TRUE;  // the start's "&Load" asks for no file: the test loads its own
        app_->m_toolPath = temp_.path();
        app_->SetCommandLine(static_cast<int>(args.size()), args.data());
        app_->SetFrameMaker(qt::MakeMainFrameWindow);
        EXPECT_TRUE(app_->InitInstance());
        QApplication::processEvents();
        auto* frame = dynamic_cast<CMainFrame*>(app_->m_pMainWnd);
        if (!frame)
            return nullptr;
        EXPECT_TRUE(QTest::qWaitFor([&] { return frame->m_bConnected; }, 30000));
        return frame->m_bConnected && qt::LoadImageAtStart(*frame, elf) ? frame : nullptr;
    }
    std::vector<uint8_t> Memory(uint32_t address, uint32_t count)
    {
        std::vector<uint8_t> bytes(count);
        EXPECT_EQ(MemReadBlock(bytes.data(), {address, ADDR_SPACE_TARGET}, count), 0);
        return bytes;
    }

    std::unique_ptr<shell::CDebuggerApp> app_;
    ShellPrints prints_;
    brevan::MessageSink* previousSink_ = nullptr;
};

TEST_F(MemoryTestMessageTest, RamHoldingDataPassesAndKeepsTheImageBytes)
{
    const std::string elf = zk::test::FixturePath("frame_hello_o0");
    platform::GTestScriptedUi ui;
    CMainFrame* frame = StartWith(elf);
    ASSERT_NE(frame, nullptr);

    Section data;
    uint32_t base = 0xFFFFFFFFu;  // objcopy's binary starts at the first loaded byte
    for (const Section& s : ReadelfSections(elf)) {
        if (s.name == ".data")
            data = s;
        if (s.loaded)
            base = std::min(base, s.address);
    }
    ASSERT_GT(data.size, 0u);
    const std::string binary = temp_.path() + "/hello.bin";
    auto r = zk::test::RunProcess({"arm-none-eabi-objcopy", "-O", "binary", elf, binary});
    ASSERT_EQ(r.exitStatus, 0) << "arm-none-eabi-objcopy is needed: " << r.err;
    const std::string image = zk::test::ReadFileBytes(binary);

    // From the 256-byte boundary below .data to its last byte: the range
    // starts aligned and ends inside a block, so the walk must reach the
    // tail block as well.
    const uint32_t start = data.address & ~0xFFu;
    const uint32_t end = data.address + data.size - 1;
    ASSERT_GE(start, base);
    EXPECT_EQ(frame->SendMessage(WM_EMU_MEMORY_TEST, start | 2, end), 0);
    EXPECT_EQ(prints_.texts, std::vector<std::string>{"Test Successful!"});

    ASSERT_LE(end - base + 1, image.size());
    const std::vector<uint8_t> expected(image.begin() + (start - base), image.begin() + (end - base + 1));
    EXPECT_EQ(Memory(start, end - start + 1), expected);

    // Ctrl+Break waiting in the queue: no block runs, nothing is printed.
    prints_.texts.clear();
    frame->PostMessage(WM_KEYDOWN, VK_CANCEL, 0);
    EXPECT_EQ(frame->SendMessage(WM_EMU_MEMORY_TEST, start, end), 0);
    EXPECT_TRUE(prints_.texts.empty());
}

}  // namespace
}  // namespace mainframe
