// The probe command server's core: refusals, forwarding to the probe
// libraries (stand-ins loaded by the real dynamic loader), the log, and the
// reply limits.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "pellitons_test_support.h"
#include "platform/clock.h"
#include "platform/modal_ui.h"
#include "platform/modules.h"
#include "server.h"

using peltest::Be16;
using peltest::Be32;
using peltest::Send;

namespace {

pellitons::ProbeServer* g_current = nullptr;

}  // namespace

// Found by a stand-in library that calls back into the server.
extern "C" __attribute__((visibility("default"))) int32_t zk_test_do_command(const uint8_t* packet, uint8_t* reply)
{
    return g_current->DoCommand(packet, reply);
}

namespace {

class RecordingUi : public platform::ModalUi {
public:
    int MessageBox(const platform::MessageBoxRequest& request) override
    {
        boxes.push_back(request);
        return IDOK;
    }
    bool FileDialog(const platform::FileDialogRequest&, platform::FileDialogResult&) override { return false; }
    bool FolderDialog(const platform::FolderDialogRequest&, std::string&) override { return false; }
    std::vector<platform::MessageBoxRequest> boxes;
};

class ServerTest : public ::testing::Test {
protected:
    explicit ServerTest(const char* modules = PEL_MODULES) : server_(ppc::JtagCalls{}, "/nonexistent/Qeld_IBM")
    {
        platform::SetModuleFolder(modules);
        server_.LoadLibraries();
        g_current = &server_;
        folder_ = std::filesystem::temp_directory_path() /
            ("pellitons-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
        server_.SetLogFolder(folder_.string());
        savedClock_ = platform::TheClock();
        platform::TheClock().nowMs = [this] { return nowMs_; };
    }
    ~ServerTest() override
    {
        platform::TheClock() = savedClock_;
        server_.UnloadLibraries();
        platform::SetModuleFolder("");
        g_current = nullptr;
        std::filesystem::remove_all(folder_);
    }

    peltest::Reply Cmd(std::vector<uint8_t> packet, size_t expected = 0)
    {
        return Send([this](const uint8_t* p, uint8_t* r) { return server_.DoCommand(p, r); }, packet, expected);
    }
    std::string Log() const
    {
        std::ifstream in(folder_ / "pellitons.log");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    pellitons::ProbeServer server_;
    std::filesystem::path folder_;
    uint64_t nowMs_ = 1000;
    platform::Clock savedClock_;
    RecordingUi ui_;
    platform::ModalUiScope uiScope_{ui_};
};

TEST_F(ServerTest, BeforeAConnectionOnlyConnectionAndLoggingCommandsPass)
{
    const peltest::Reply version = Cmd({0x10, 1});
    EXPECT_EQ(version.status(), PEL_NO_CONNECTION);
    EXPECT_EQ(version.flags(), kPelFlagRefused);
    EXPECT_EQ(version.bytes.size(), 4u);
    EXPECT_EQ(Cmd({0x10, 21, 0}).status(), PEL_NO_CONNECTION) << "no family is set up";
    EXPECT_EQ(Cmd({0x10, 240, 1}).status(), PEL_OK);
    EXPECT_EQ(server_.Mode(), 0);
    EXPECT_EQ(server_.Entry(0x10).port, 1);

    const peltest::Reply v = Cmd({0x10, 1}, 14);
    EXPECT_EQ(v.bytes, (std::vector<uint8_t>{0x10, 1, 0, 0, 0x00, 0x21, 0x00, 0x1D, 0, 0, 0, 0, 0, 0}));
    const peltest::Reply id = Cmd({0x10, 242});
    const char text[] = "Parallel Pelliton\0OCD Parallel Box";
    ASSERT_EQ(id.bytes.size(), 6u + sizeof text);
    EXPECT_EQ(id.bytes[4], 2);
    EXPECT_EQ(id.bytes[5], 40) << "the offset of the last NUL";
    EXPECT_EQ(std::string(id.bytes.begin() + 6, id.bytes.end()), std::string(text, sizeof text));
    EXPECT_EQ(Cmd({0x10, 254}).result, 0);
    EXPECT_EQ(Cmd({0x10, 255}).result, -1);
    EXPECT_EQ(Cmd({0x10, 99}).status(), PEL_NOT_SERVED);
    EXPECT_EQ(Cmd({0x10, 240, 0}).status(), PEL_NO_CONNECTION);
    EXPECT_EQ(server_.Mode(), 11);
}

TEST_F(ServerTest, TheLogTimesCommandsAndWritesTheLoggingTexts)
{
    Cmd({0x10, 240, 1});
    EXPECT_EQ(Cmd({0x10, 241, 1}).status(), PEL_OK);
    Cmd({0x10, 1});
    nowMs_ += 25;
    Cmd({0x10, 242});
    std::vector<uint8_t> note = {0x10, 241, 4, 5, 'h', 'e', 'l', 'l', 'o'};
    EXPECT_EQ(Cmd(note).status(), PEL_OK);
    EXPECT_EQ(Cmd({0x10, 241, 6}).status(), PEL_OK);
    Cmd({0x10, 0});
    EXPECT_EQ(Cmd({0x10, 241, 3}).status(), PEL_OK);
    EXPECT_EQ(Cmd(note).status(), PEL_EXCEPTION) << "a closed log";
    EXPECT_EQ(Cmd({0x10, 241, 9}).status(), PEL_EXCEPTION);
    const std::string expected = "rewrite LOG\n"
                                 "10 F1 00 00 0F CC CC CC CC CC CC CC CC CC CC CC CC CC CC CC CC    <0>\n"
                                 "[00] get_version\n"
                                 " Changing to PORT -> 1,  to processor -> 0\n"
                                 "10 01 00 00 00 21 00 1D 00 00 00 00 00 00 C1 CC CC CC CC CC CC    <0>\n"
                                 "[25] \n"
                                 "10 F2 00 00 02 28 50 61 72 61 6C 6C 65 6C 20 50 65 6C 6C 69 74    <0>\n"
                                 "[0] set_logging\n"
                                 "hello\n"
                                 "10 F1 00 00 0F CC CC CC CC CC CC CC CC CC CC CC CC CC CC CC CC    <0>\n"
                                 "[0] set_logging\n"
                                 "[0] \n"
                                 "[0] set_logging\n"
                                 "close LOG\n";
    EXPECT_EQ(Log(), expected);
}

TEST_F(ServerTest, ForwardingModesReachTheirLibraries)
{
    // The logic-analyser library takes command 176 whole.
    const peltest::Reply la = Cmd({0x10, 176, 0x00});
    EXPECT_EQ(la.result, 0);
    EXPECT_EQ(la.bytes[3], 0);
    EXPECT_EQ(Cmd({0x10, 176, 0xEF}).status(), PEL_EXCEPTION) << "a library that throws";
    // USB probe library: mode 3.
    Cmd({0x10, 240, 48});
    EXPECT_EQ(server_.Mode(), 3);
    const peltest::Reply usb = Cmd({0x10, 48, 0x05}, 5);
    EXPECT_EQ(usb.status(), 5) << "the library's own status";
    EXPECT_EQ(usb.bytes[4], 1) << "its first call";
    // HP probe library: selector 0xA0-0xAF, a command it cannot serve.
    const peltest::Reply hp = Cmd({0x10, 240, 0xA3}, 5);
    EXPECT_EQ(server_.Mode(), 10);
    EXPECT_EQ(server_.Port(), 3);
    EXPECT_EQ(Cmd({0x10, 1, 0xFD}).status(), PEL_HP_FAILED);
    EXPECT_EQ(Cmd({0x10, 1, 0xFD}).flags(), 15);
    EXPECT_EQ(Cmd({0x10, 241, 5}).status(), PEL_OK) << "logging stays the server's";
    // Ethernet: selectors 64-79 load it and forward; texts are kept.
    const peltest::Reply enet = Cmd({0x10, 240, 64, 3, 'a', 'b', 'c', 2, 'x', 'y'}, 5);
    EXPECT_EQ(server_.Mode(), 4);
    EXPECT_EQ(server_.Text(0), "abc");
    EXPECT_EQ(server_.Text(1), "xy");
    EXPECT_EQ(Cmd({0x10, 34, 0}, 5).bytes[4], 2) << "the Ethernet library's second call";
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(ServerTest, TemplateFamiliesGoWholeToTheTemplateLibrary)
{
    Cmd({0x10, 240, 2});
    std::vector<uint8_t> init = {0x10, 16};
    Be16(init, 9);
    init.push_back(7);
    EXPECT_EQ(Cmd(init, 5).status(), PEL_OK);
    EXPECT_EQ(server_.Family(), 7);
    EXPECT_EQ(server_.Entry(0x10).kind, 7);
    EXPECT_EQ(server_.Entry(0x10).parameter, 9);
    // The selector command first, then the packet: the third call.
    const peltest::Reply read = Cmd({0x10, 48, 0}, 5);
    EXPECT_EQ(read.bytes[4], 3);
    // A library that calls back in is refused as busy.
    EXPECT_EQ(Cmd({0x10, 48, 0xEE}, 5).bytes[4], PEL_BUSY);
    // A library that throws.
    EXPECT_EQ(Cmd({0x10, 48, 0xEF}).status(), PEL_EXCEPTION);
    EXPECT_EQ(Cmd({0x10, 1}).status(), PEL_OK) << "the server is free again";
}

class NoLibraries : public ServerTest {
protected:
    NoLibraries() : ServerTest("/nonexistent") {}
};

TEST_F(NoLibraries, EachMissingLibraryGivesItsStatus)
{
    EXPECT_EQ(Cmd({0x10, 176}).status(), PEL_NO_LA);
    Cmd({0x10, 240, 1});
    struct Case {
        uint8_t family;
        uint8_t status;
    };
    for (const Case& c : {Case{5, PEL_NO_SERIAL_ICE}, Case{7, PEL_NO_TEMPLATE}, Case{100, PEL_NO_TEMPLATE},
                          Case{3, PEL_NO_DEVICE}, Case{1, PEL_NO_ENET}, Case{2, PEL_NOT_SET_UP}}) {
        EXPECT_EQ(Cmd({0x10, 16, 0, 0, c.family}).status(), c.status) << int(c.family);
        EXPECT_EQ(Cmd({0x10, 48, 0, 0, 0, 0}).status(), c.status) << int(c.family);
    }
    EXPECT_EQ(Cmd({0x10, 16, 0, 0, 0}).status(), PEL_INIT_FAILED) << "no background-debug layer";
    EXPECT_EQ(Cmd({0x10, 32}).status(), PEL_NOT_SET_UP);
    EXPECT_EQ(Cmd({0x10, 26, 0, 0, 100}).status(), PEL_NO_TEMPLATE);
    Cmd({0x10, 240, 48});
    EXPECT_EQ(Cmd({0x10, 1}).status(), PEL_NO_USB);
    EXPECT_EQ(Cmd({0x10, 1}).flags(), kPelFlagRefused);
    Cmd({0x10, 240, 0xA0});
    EXPECT_EQ(Cmd({0x10, 1}).status(), PEL_NO_HP);
    const peltest::Reply enet = Cmd({0x10, 240, 70, 0, 0});
    EXPECT_EQ(enet.status(), PEL_NO_ENET);
    EXPECT_EQ(enet.flags(), kPelFlagRefused);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, "Missing Qeld_ENET.DLL");
    EXPECT_EQ(ui_.boxes[0].caption, "Fatal Error");
}

class HpWithoutEntry : public ServerTest {
protected:
    HpWithoutEntry() : ServerTest(PEL_MODULES_NOENTRY) {}
};

TEST_F(HpWithoutEntry, AnHpLibraryWithoutItsEntryPointIsNotLoaded)
{
    Cmd({0x10, 240, 0xA1});
    EXPECT_EQ(Cmd({0x10, 1}).status(), PEL_NO_HP);
}

TEST_F(ServerTest, ConnectionTextsAreBounded)
{
    std::vector<uint8_t> packet = {0x10, 240, 160, 200};
    packet.insert(packet.end(), 200, 'a');
    packet.push_back(200);
    packet.insert(packet.end(), 200, 'b');
    Cmd(packet);
    Cmd(packet);
    EXPECT_EQ(server_.Text(0), std::string(255, 'a'));
    EXPECT_EQ(server_.Text(1), std::string(255, 'b'));
}

}  // namespace
