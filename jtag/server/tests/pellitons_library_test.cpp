// libPellitons.so end to end: loaded by the dynamic loader with its stand-in
// probe libraries, driving the PowerPC 403 debug logic through libRimbolt.so,
// the simulated EPP box and the TAP.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "host_tools.h"
#include "pellitons_test_support.h"
#include "platform/modal_ui.h"
#include "portio/port_service.h"
#include "portio/sim_port.h"
#include "ppc/ppc_words.h"
#include "ppc_debug_logic.h"

using peltest::Be16;
using peltest::Be32;

namespace {

namespace fs = std::filesystem;

// The library is loaded once per process, from a folder holding "log.on".
struct Loaded {
    Loaded()
    {
        folder = fs::temp_directory_path() / ("pellitons-lib-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        std::ofstream(folder / "log.on") << "";
        fs::current_path(folder);
        setenv("ZK_PORTIO", "sim", 1);
        setenv("ZK_MODULE_DIR", PEL_MODULES, 1);
        handle = dlopen((std::string(ZK_BIN_DIR) + "/libPellitons.so").c_str(), RTLD_NOW | RTLD_GLOBAL);
        if (handle) {
            doCommand = reinterpret_cast<int32_t (*)(const uint8_t*, uint8_t*)>(dlsym(handle, "do_command"));
            testCommand = reinterpret_cast<int32_t (*)(const uint8_t*, uint8_t*)>(dlsym(handle, "test_command"));
        }
    }
    fs::path folder;
    void* handle = nullptr;
    int32_t (*doCommand)(const uint8_t*, uint8_t*) = nullptr;
    int32_t (*testCommand)(const uint8_t*, uint8_t*) = nullptr;
};

Loaded& Library()
{
    static Loaded loaded;
    return loaded;
}

std::string LogText()
{
    std::ifstream in(Library().folder / "pellitons.log");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class Library403 : public ::testing::Test {
protected:
    Library403() : port_(Port()), logic_(port_) { EXPECT_NE(Library().doCommand, nullptr) << dlerror(); }
    static portio::SimulatedPort& Port()
    {
        Library();
        portio::SimulatedPort* port = portio::Simulated();
        EXPECT_NE(port, nullptr);
        port->Reset(portio::DeviceKind::Box);
        return *port;
    }
    peltest::Reply Cmd(std::vector<uint8_t> packet, size_t expected = 0)
    {
        return peltest::Send(Library().doCommand, packet, expected);
    }
    // The EPP box on LPT1, then the 403 family with speed 0.
    void Connect()
    {
        ASSERT_EQ(Cmd({0x40, 240, 33}).status(), PEL_OK);
        const peltest::Reply init = Cmd({0x40, 16, 0, 0, 3});
        ASSERT_EQ(init.status(), PEL_OK);
    }
    std::vector<uint8_t> Packet(uint8_t code) { return {0x40, code}; }

    portio::SimulatedPort& port_;
    ppctest::Ppc403Logic logic_;
};

TEST(PellitonsLibrary, ExportsExactlyItsTwoEntries)
{
    const zk::test::ProcessResult r =
        zk::test::RunProcess({"nm", "-D", "--defined-only", std::string(ZK_BIN_DIR) + "/libPellitons.so"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    std::vector<std::string> names;
    std::istringstream lines(r.out);
    std::string address, kind, name;
    while (lines >> address >> kind >> name)
        names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"do_command", "test_command"}));
}

TEST(PellitonsLibrary, TestCommandShowsThePacketAndComplementsIt)
{
    ASSERT_NE(Library().testCommand, nullptr);
    class Recorder : public platform::ModalUi {
    public:
        int MessageBox(const platform::MessageBoxRequest& r) override
        {
            box = r;
            return IDOK;
        }
        bool FileDialog(const platform::FileDialogRequest&, platform::FileDialogResult&) override { return false; }
        bool FolderDialog(const platform::FolderDialogRequest&, std::string&) override { return false; }
        platform::MessageBoxRequest box;
    } ui;
    platform::ModalUiScope scope(ui);
    const uint8_t packet[16] = {0x12, 0x34, 0x56, 0x78, 0x9A};
    uint8_t reply[291] = {};
    EXPECT_EQ(Library().testCommand(packet, reply), -1);
    EXPECT_EQ(ui.box.caption, "test_command");
    EXPECT_EQ(ui.box.type & MB_ICONINFORMATION, MB_ICONINFORMATION);
    EXPECT_EQ(ui.box.text, "sync  -> 0x12\r\ncmd   -> 0x34\r\ndata0 -> 0x56\r\ndata1 -> 0x78\r\ndata2 -> 0x9A\r\n");
    EXPECT_EQ(std::vector<uint8_t>(reply, reply + 5), (std::vector<uint8_t>{0xED, 0xCB, 0xA9, 0x87, 0x65}));
}

TEST_F(Library403, ThePacketTableMovesRegistersAndMemoryOfThe403)
{
    const std::string startup = LogText();
    EXPECT_EQ(startup.rfind("STARTUP LOG\n", 0), 0u) << startup;
    Cmd({0x40, 240, 33});
    EXPECT_NE(LogText().find("[00] set_connection\n"), std::string::npos) << LogText();
    Connect();
    EXPECT_EQ(Cmd({0x40, 1}, 14).bytes,
              (std::vector<uint8_t>{0x40, 1, kPelFlagHalted, 0, 0, 0x21, 0, 0x1D, 0, 0, 0, 0, 0, 0}));

    // Registers: GPR, PC, MSR, CR, DCR, SPR.
    std::vector<uint8_t> write = Packet(49);
    Be16(write, 3);
    write.push_back(8);
    Be32(write, 0x33333333);
    Be32(write, 0x44444444);
    EXPECT_EQ(Cmd(write).status(), PEL_OK);
    EXPECT_EQ(logic_.core.gpr[3], 0x33333333u);
    EXPECT_EQ(logic_.core.gpr[4], 0x44444444u);
    struct Reg {
        uint16_t number;
        uint32_t value;
    };
    for (const Reg& r :
         {Reg{kPelRegPc, 0x00400100}, Reg{kPelRegMsr, 0x00021000}, Reg{kPelRegCr, 0x24000000},
          Reg{uint16_t(kPelRegDcrBase + 0x80), 0xDC000080}, Reg{uint16_t(kPelRegSprBase + 1018), 0x80000000}}) {
        std::vector<uint8_t> w = Packet(49);
        Be16(w, r.number);
        w.push_back(4);
        Be32(w, r.value);
        EXPECT_EQ(Cmd(w).status(), PEL_OK);
        std::vector<uint8_t> q = Packet(48);
        Be16(q, r.number);
        Be16(q, r.number);
        const peltest::Reply a = Cmd(q, 9);
        EXPECT_EQ(a.bytes[4], 4);
        EXPECT_EQ(a.U32(5), r.value) << r.number;
    }
    EXPECT_EQ(logic_.core.pc, 0x00400100u);
    EXPECT_EQ(logic_.core.dcr[0x80], 0xDC000080u);

    // Memory: a word write with verify to a cached region, then reads.
    logic_.core.executed.clear();
    std::vector<uint8_t> mem = Packet(51);
    Be32(mem, 0x1000);
    mem.push_back(4);
    mem.push_back(1);
    mem.push_back(20);
    for (int i = 0; i < 20; ++i)
        mem.push_back(uint8_t(0x10 + i));
    EXPECT_EQ(Cmd(mem).status(), PEL_OK);
    EXPECT_EQ(logic_.core.Load(0x1010, 4), 0x20212223u);
    const std::vector<uint32_t> written = logic_.core.executed;
    std::vector<uint8_t> read = Packet(50);
    Be32(read, 0x1002);
    read.push_back(2);
    read.push_back(6);
    const peltest::Reply r50 = Cmd(read, 11);
    EXPECT_EQ(r50.bytes[4], 6);
    EXPECT_EQ(std::vector<uint8_t>(r50.bytes.begin() + 5, r50.bytes.end()),
              (std::vector<uint8_t>{0x12, 0x13, 0x14, 0x15, 0x16, 0x17}));
    std::vector<uint8_t> read54 = Packet(54);
    Be32(read54, 0x1001);
    read54.push_back(4);
    read54.push_back(4);
    const peltest::Reply r54 = Cmd(read54, 13);
    EXPECT_EQ(r54.U32(4), 0x1001u);
    EXPECT_EQ(r54.U32(9), 0x10111213u) << "an unaligned word read aligns down";

    // A byte that does not take the write: verify answers 7 with the address and the byte read back.
    logic_.core.readOnly.insert(0x2002);
    std::vector<uint8_t> bad = Packet(55);
    Be32(bad, 0x2000);
    bad.push_back(1);
    bad.push_back(1);
    bad.push_back(4);
    for (uint8_t b : {1, 2, 3, 4})
        bad.push_back(b);
    const peltest::Reply verify = Cmd(bad, 12);
    EXPECT_EQ(verify.status(), PEL_VERIFY);
    EXPECT_EQ(verify.U32(4), 0x2002u);
    EXPECT_EQ(verify.U32(8), 0u);

    // Fill, large write and large read.
    std::vector<uint8_t> fill = Packet(52);
    Be32(fill, 0x3000);
    Be32(fill, 0xCAFEF00D);
    Be32(fill, 12);
    fill.push_back(4);
    fill.push_back(0);
    EXPECT_EQ(Cmd(fill).status(), PEL_OK);
    EXPECT_EQ(logic_.core.Load(0x3008, 4), 0xCAFEF00Du);
    std::vector<uint8_t> large = Packet(64);
    Be32(large, 0x4000);
    large.push_back(1);
    large.push_back(0);
    large.push_back(0);
    Be16(large, 300);
    for (int i = 0; i < 300; ++i)
        large.push_back(uint8_t(i));
    EXPECT_EQ(Cmd(large).status(), PEL_OK);
    EXPECT_EQ(logic_.core.Byte(0x4000 + 299), uint8_t(299));
    std::vector<uint8_t> largeRead = Packet(65);
    Be32(largeRead, 0x4000);
    largeRead.push_back(1);
    largeRead.push_back(0);
    Be16(largeRead, 280);
    const peltest::Reply lr = Cmd(largeRead, 290);
    EXPECT_EQ(lr.bytes[289], uint8_t(279));

    // Scatter list.
    std::vector<uint8_t> scatter = Packet(57);
    scatter.push_back(4);
    Be16(scatter, 3);
    Be16(scatter, kPelRegPc);
    EXPECT_EQ(Cmd(scatter).status(), PEL_OK);
    std::vector<uint8_t> ws = Packet(59);
    ws.push_back(0);  // values from byte 3
    Be32(ws, 0x5555);
    Be32(ws, 0x00400200);
    EXPECT_EQ(Cmd(ws).status(), PEL_OK);
    const peltest::Reply rs = Cmd(Packet(58), 13);
    EXPECT_EQ(rs.U32(5), 0x5555u);
    EXPECT_EQ(rs.U32(9), 0x00400200u);

    // State, step with state, run control and the misc operations.
    logic_.core.spr[1008] = 0x1008;
    const peltest::Reply state = Cmd(Packet(56), 25);
    EXPECT_EQ(state.U32(5), 0x00400200u);
    EXPECT_EQ(state.U32(21), 0x1008u);
    const peltest::Reply step = Cmd(Packet(60), 12);
    EXPECT_EQ(step.U32(4), 0x00400204u);
    EXPECT_EQ(step.U32(8), 0x1008u);
    std::vector<uint8_t> misc = {0x40, 224, 2};
    Be16(misc, kPelRegSprBase + 1008);
    EXPECT_EQ(Cmd(misc, 9).U32(5), 0x1008u);
    logic_.core.spr[1019] = 1;
    logic_.core.executed.clear();
    EXPECT_EQ(Cmd({0x40, 224, 3}, 5).status(), PEL_OK);
    EXPECT_EQ(logic_.core.CountOf("dccci"), 32u);
    EXPECT_EQ(logic_.core.CountOf("iccci"), 64u);
    EXPECT_EQ(Cmd({0x40, 25, 0xA0}).status(), PEL_OK);
    EXPECT_EQ(Cmd({0x40, 17, 0, 3}).status(), PEL_OK);
    EXPECT_EQ(Cmd({0x40, 20, 5}).status(), PEL_OK);
    std::vector<uint8_t> from = Packet(33);
    Be32(from, 0x00400300);
    EXPECT_EQ(Cmd(from).status(), PEL_OK);
    EXPECT_FALSE(logic_.halted);
    EXPECT_EQ(logic_.core.pc, 0x00400300u);

    // On a running target the register commands stop it around the access and start it again.
    logic_.core.gpr[9] = 0x99;
    std::vector<uint8_t> r9 = Packet(48);
    Be16(r9, 9);
    Be16(r9, 9);
    const peltest::Reply running = Cmd(r9, 9);
    EXPECT_EQ(running.flags() & kPelFlagHalted, 0);
    EXPECT_EQ(running.U32(5), 0x99u);
    EXPECT_FALSE(logic_.halted) << "left running";
    EXPECT_EQ(Cmd(Packet(34)).status(), PEL_OK);
    EXPECT_TRUE(logic_.halted);
    EXPECT_EQ(Cmd(Packet(32)).status(), PEL_OK);
    EXPECT_FALSE(logic_.halted);
    EXPECT_EQ(Cmd(Packet(36)).status(), PEL_OK);
    EXPECT_TRUE(logic_.halted);
    EXPECT_EQ(Cmd(Packet(35)).status(), PEL_OK);
    EXPECT_FALSE(logic_.halted);
    EXPECT_EQ(Cmd(Packet(37)).status(), PEL_OK);
    EXPECT_EQ(Cmd({0x40, 241, 4, 3, 'e', 'n', 'd'}).status(), PEL_OK);
    EXPECT_NE(LogText().find("\nend\n"), std::string::npos);

    // The words that reached the logic while memory was written: the value
    // loads, the store-with-update words and the cache words, read back by
    // binutils' disassembler.
    std::vector<std::string> mnemonics;
    {
        const fs::path bin = Library().folder / "written.bin";
        std::ofstream out(bin, std::ios::binary);
        for (uint32_t w : written) {
            const char bytes[4] = {char(w >> 24), char(w >> 16), char(w >> 8), char(w)};
            out.write(bytes, 4);
        }
        out.close();
        const zk::test::ProcessResult dis = zk::test::RunProcess(
            {"powerpc-linux-gnu-objdump", "-D", "-b", "binary", "-m", "powerpc", "-M", "403", "-EB", bin.string()});
        ASSERT_EQ(dis.exitStatus, 0) << "powerpc-linux-gnu-objdump (binutils-powerpc-linux-gnu) is needed: " << dis.err;
        std::istringstream lines(dis.out);
        std::string line;
        while (std::getline(lines, line)) {
            const size_t tab = line.rfind('\t');
            if (line.find(":\t") == std::string::npos || tab == std::string::npos)
                continue;
            std::istringstream words(line.substr(tab + 1));
            std::string m;
            words >> m;
            mnemonics.push_back(m);
        }
    }
    ASSERT_EQ(mnemonics.size(), written.size());
    EXPECT_EQ(std::count(mnemonics.begin(), mnemonics.end(), "stwu"), 5);
    EXPECT_EQ(std::count(mnemonics.begin(), mnemonics.end(), "dcbst"), 2) << "after 16 bytes and at the end";
    EXPECT_EQ(std::count(mnemonics.begin(), mnemonics.end(), "lis"), 5);
    EXPECT_EQ(std::count(mnemonics.begin(), mnemonics.end(), "isync"), 1);
    for (const std::string& m : mnemonics)
        EXPECT_TRUE(m == "stwu" || m == "dcbst" || m == "lis" || m == "ori" || m == "mtspr" || m == "mfspr" ||
                    m == "isync" || m == "lwzu" || m == "mfdccr" || m == "mficcr")
            << m;
}

TEST_F(Library403, RoundTripsOfA256ByteMemoryRead)
{
    Connect();
    std::vector<uint8_t> read = Packet(50);
    Be32(read, 0x8000);
    read.push_back(4);
    read.push_back(0);
    std::vector<double> rates;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const int count = 20;
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(Cmd(read, 5 + 256).status(), PEL_OK);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        rates.push_back(count / seconds);
    }
    std::sort(rates.begin(), rates.end());
    std::cout << "[ figures ] command 50 of 256 bytes through family 3: " << rates[0] << " (min) " << rates[1]
              << " (median) round trips per second\n";
}

}  // namespace
