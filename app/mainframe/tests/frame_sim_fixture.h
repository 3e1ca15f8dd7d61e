// The main frame started in the process as the program starts it, on the
// real simulator library, and the tools' answers its tests compare with.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <sstream>

#include "host_tools.h"
#include "mainframe/qt/frame_window.h"
#include "platform/modules.h"
#include "platform/scripted_ui.h"
#include "shell/debugger_app.h"
#include "shell/modules.h"
#include "shell_test_support.h"

namespace mainframe::test {

struct Symbol {
    uint32_t address = 0;
    uint32_t size = 0;
};

// A function's address and size as arm-none-eabi-nm prints them.
inline Symbol NmSymbol(const std::string& elf, const std::string& name)
{
    auto r = zk::test::RunProcess({"arm-none-eabi-nm", "-S", elf});
    EXPECT_EQ(r.exitStatus, 0) << "arm-none-eabi-nm is needed: " << r.err;
    std::istringstream lines(r.out);
    std::string address, size, type, symbol;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        if (words >> address >> size >> type >> symbol && symbol == name)
            return {static_cast<uint32_t>(std::stoul(address, nullptr, 16)),
                    static_cast<uint32_t>(std::stoul(size, nullptr, 16))};
    }
    ADD_FAILURE() << name << " not in nm's answer";
    return {};
}

// The entry point as arm-none-eabi-readelf prints it.
inline uint32_t ReadelfEntry(const std::string& elf)
{
    auto r = zk::test::RunProcess({"arm-none-eabi-readelf", "-h", elf});
    EXPECT_EQ(r.exitStatus, 0) << "arm-none-eabi-readelf is needed: " << r.err;
    const size_t at = r.out.find("Entry point address:");
    if (at == std::string::npos) {
        ADD_FAILURE() << "no entry point in readelf's answer";
        return 0;
    }
    return static_cast<uint32_t>(std::stoul(r.out.substr(r.out.find("0x", at)), nullptr, 16));
}

class FrameSimTest : public shell::test::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        platform::SetModuleFolder(ZK_BIN_DIR);
        shell::Modules().FreeAll();
    }
    void TearDown() override
    {
        if (app_) {
            if (CMainFrame* frame = Frame())
                frame->SendMessage(WM_CLOSE);
            QTest::qWaitFor([&] { return app_->m_pMainWnd == nullptr; }, 30000);
            QApplication::processEvents();
            app_->ExitInstance();
            app_.reset();
        }
        shell::Modules().FreeAll();
        RegistryTest::TearDown();
    }
    // Starts the program in the process with `args` and runs the loop once,
    // so the connect command start-up posts has run.
    // Without `askForProgram` the start's "&Load" asks for no program file
    // (the tests load theirs).
    CMainFrame* Start(std::vector<const char*> args, bool askForProgram = false)
    {
        args.insert(args.begin(), "quelm");
        app_ = std::make_unique<shell::CDebuggerApp>();
        app_->m_noPrompt = askForProgram ? FALSE : TRUE;
        app_->m_toolPath = temp_.path();
        app_->SetCommandLine(static_cast<int>(args.size()), args.data());
        app_->SetFrameMaker(qt::MakeMainFrameWindow);
        EXPECT_TRUE(app_->InitInstance());
        QApplication::processEvents();
        return Frame();
    }
    CMainFrame* Frame() const { return app_ ? dynamic_cast<CMainFrame*>(app_->m_pMainWnd) : nullptr; }
    // Starts in simulation with the connect command's "Load File" answered
    // through `ui` with the image; the window at a working size, so a source
    // window has room for its lines.
    CMainFrame* StartWithLoadFile(platform::ScriptedUi& ui, const std::string& elf)
    {
        ui.AnswerFileDialog({elf});
        CMainFrame* frame = Start({"/D"}, true);
        if (!frame)
            return nullptr;
        QTest::qWaitFor([&] { return frame->m_bConnected; }, 30000);
        EXPECT_TRUE(frame->m_bConnected);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "mainframe") {
                w->resize(1400, 900);
                w->show();
            }
        QApplication::processEvents();
        EXPECT_EQ(ui.Unanswered(), 0u) << "the load asked for its file";
        return frame;
    }
    // Starts in simulation and loads the image; null when either failed.
    CMainFrame* StartConnectedWith(const std::string& elf)
    {
        CMainFrame* frame = Start({"/D"});
        if (!frame)
            return nullptr;
        QTest::qWaitFor([&] { return frame->m_bConnected; }, 30000);
        EXPECT_TRUE(frame->m_bConnected);
        return frame->m_bConnected && qt::LoadImageAtStart(*frame, elf) ? frame : nullptr;
    }

    std::unique_ptr<shell::CDebuggerApp> app_;
};

}  // namespace mainframe::test
