// The server's handlers on the 8xx family (the development-port model as its
// cable) and on the serial ICE family (a stand-in library recording calls).
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "pellitons_test_support.h"
#include "platform/modules.h"
#include "ppc_debug_logic.h"
#include "server.h"

using peltest::Be16;
using peltest::Be32;

namespace {

class FamilyTest : public ::testing::Test {
protected:
    FamilyTest() : server_(ppc::JtagCalls{}, "/nonexistent/Qeld_IBM")
    {
        platform::SetModuleFolder(PEL_MODULES);
        server_.LoadLibraries();
        platform::SetModuleFolder("");
    }
    ~FamilyTest() override { server_.UnloadLibraries(); }
    peltest::Reply Cmd(std::vector<uint8_t> packet, size_t expected = 0)
    {
        return peltest::Send([this](const uint8_t* p, uint8_t* r) { return server_.DoCommand(p, r); }, packet,
                             expected);
    }
    pellitons::ProbeServer server_;
};

TEST_F(FamilyTest, The8xxThroughItsDevelopmentPort)
{
    ppctest::Ppc8xxPort port;
    server_.SetDevPortCable(&port);
    EXPECT_EQ(Cmd({0x20, 240, 9}).bytes[2], 1) << "a plain cable";
    EXPECT_EQ(Cmd({0x20, 16, 0, 5, 2}).status(), PEL_OK);
    EXPECT_EQ(server_.Family(), 2);
    port.core.gpr[4] = 0x44556677;
    port.core.spr[26] = 0x1000;
    std::vector<uint8_t> read = {0x20, 48};
    Be16(read, 4);
    Be16(read, 4);
    peltest::Reply r = Cmd(read, 9);
    EXPECT_EQ(r.flags() & kPelFlagHalted, kPelFlagHalted);
    EXPECT_EQ(r.U32(5), 0x44556677u);
    std::vector<uint8_t> pc = {0x20, 48};
    Be16(pc, kPelRegPc);
    Be16(pc, kPelRegPc);
    EXPECT_EQ(Cmd(pc, 9).U32(5), 0x1000u);

    std::vector<uint8_t> buffer = {0x20, 22};
    Be32(buffer, 0x3F00);
    EXPECT_EQ(Cmd(buffer).status(), PEL_OK);
    port.core.fpr[2] = 0x1122334455667788ull;
    std::vector<uint8_t> fpr = {0x20, 48};
    Be16(fpr, kPelRegFprBase + 4);
    Be16(fpr, kPelRegFprBase + 5);
    r = Cmd(fpr, 13);
    EXPECT_EQ(r.U32(5), 0x11223344u);
    EXPECT_EQ(r.U32(9), 0x55667788u);

    // A count of 0 reads 256 bytes.
    for (uint32_t a = 0; a < 256; ++a)
        port.core.SetByte(0x8000 + a, uint8_t(a));
    std::vector<uint8_t> mem = {0x20, 50};
    Be32(mem, 0x8000);
    mem.push_back(4);
    mem.push_back(0);
    r = Cmd(mem, 5 + 256);
    EXPECT_EQ(r.bytes[4], 0);
    EXPECT_EQ(r.bytes[5 + 255], 255);

    EXPECT_EQ(Cmd({0x20, 224, 3, 1}, 5).bytes[4], 0);
    std::vector<uint8_t> write = {0x20, 51};
    Be32(write, 0x9000);
    write.push_back(4);
    write.push_back(1);
    write.push_back(16);
    for (int i = 0; i < 16; ++i)
        write.push_back(uint8_t(0xA0 + i));
    EXPECT_EQ(Cmd(write).status(), PEL_OK);
    EXPECT_EQ(port.core.Load(0x900C, 4), 0xACADAEAFu);

    // A scatter list of 65 numbers is refused and leaves the list empty.
    std::vector<uint8_t> scatter = {0x20, 57, 130};
    for (int i = 0; i < 65; ++i)
        Be16(scatter, uint16_t(i % 32));
    EXPECT_EQ(Cmd(scatter).status(), PEL_TOO_LONG);
    EXPECT_EQ(Cmd({0x20, 58}, 5).bytes[4], 0);
    // A reply that would pass 290 bytes is refused before the target is touched.
    std::vector<uint8_t> many = {0x20, 48};
    Be16(many, 0);
    Be16(many, 100);
    const uint64_t before = port.exchanges;
    EXPECT_EQ(Cmd(many).status(), PEL_TOO_LONG);
    EXPECT_LE(port.exchanges - before, 2u) << "only the status byte's running test";
    std::vector<uint8_t> large = {0x20, 65};
    Be32(large, 0x8000);
    large.push_back(1);
    large.push_back(0);
    Be16(large, 281);
    EXPECT_EQ(Cmd(large).status(), PEL_TOO_LONG);
    EXPECT_EQ(Cmd({0x20, 53}).status(), PEL_NOT_SERVED);
}

TEST_F(FamilyTest, An8xxThatIsNotInDebugModeAnswers22)
{
    ppctest::Ppc8xxPort port;
    port.running = true;
    server_.SetDevPortCable(&port);
    Cmd({0x20, 240, 10});
    EXPECT_EQ(Cmd({0x20, 16, 0, 5, 2}).status(), PEL_NOT_DEBUG_MODE);
}

std::string IceLog()
{
    void* lib = dlopen((std::string(PEL_MODULES) + "/libSERIALICE1.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!lib)
        return "(not loaded)";
    auto fn = reinterpret_cast<const char* (*)()>(dlsym(lib, "fake_ice_log"));
    auto clear = reinterpret_cast<void (*)()>(dlsym(lib, "fake_ice_clear"));
    std::string log = fn();
    clear();
    dlclose(lib);
    return log;
}

TEST_F(FamilyTest, TheSerialIceFamilyCallsItsLibrary)
{
    Cmd({0x30, 240, 2});
    EXPECT_EQ(Cmd({0x30, 16, 0, 7, 5}).status(), PEL_OK);
    EXPECT_EQ(IceLog(), "SerialIceCtrl(2, 0, 0)\nSerialIceCtrl(4, 2, 7)\n");

    std::vector<uint8_t> write = {0x30, 51};
    Be32(write, 0x100);
    write.push_back(2);
    write.push_back(0);
    write.push_back(5);
    for (uint8_t b : {0x12, 0x34, 0x56, 0x78, 0x9A})
        write.push_back(b);
    EXPECT_EQ(Cmd(write).status(), PEL_OK);
    const std::string log = IceLog();
    EXPECT_NE(log.find("WriteTarget(1, 0x100, 0x1234, 2)\nWriteTarget(1, 0x102, 0x5678, 2)\n"
                       "WriteTarget(1, 0x104, 0x9a, 1)\n"),
              std::string::npos)
        << log;

    std::vector<uint8_t> read = {0x30, 50};
    Be32(read, 0x100);
    read.push_back(4);
    read.push_back(4);
    EXPECT_EQ(Cmd(read, 9).U32(5), 0x12345678u);
    IceLog();
    std::vector<uint8_t> reg = {0x30, 48};
    Be16(reg, 40);
    Be16(reg, 40);
    Cmd(reg, 9);
    EXPECT_NE(IceLog().find("ReadTarget(3, 0x8, 4)"), std::string::npos);

    const peltest::Reply text = Cmd({0x30, 224, 1, 2, 'h', 'i'}, 11);
    EXPECT_EQ(text.bytes[4], 6);
    EXPECT_EQ(std::string(text.bytes.begin() + 5, text.bytes.end()), "ICE OK");
    EXPECT_EQ(Cmd({0x30, 224, 1, 0}).status(), PEL_SERIAL_ICE_FAILED);
    IceLog();
    Cmd({0x30, 241, 6});
    EXPECT_EQ(Cmd({0x30, 224, 0, 7, 9}).status(), PEL_OK);
    EXPECT_NE(IceLog().find("SerialIceCtrl(7, 9, 0)"), std::string::npos);
}

}  // namespace
