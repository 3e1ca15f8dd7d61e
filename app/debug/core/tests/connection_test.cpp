// The connection values, the target configuration record and the connect
// and disconnect orders.
#include "appdebug/connection.h"

#include <gtest/gtest.h>

#include "core_fakes.h"
#include "frame_standins.h"
#include "lathris/registry.h"
#include "shell/settings.h"

namespace appdebug::test {
namespace {

TEST(ConnectionTest, ProtocolIndexIgnoresCaseAndUnknownNamesGiveZero)
{
    EXPECT_EQ(ProtocolIndex("Pelliton"), 1u);
    EXPECT_EQ(ProtocolIndex("tamber"), 2u);
    EXPECT_EQ(ProtocolIndex("ANGEL"), 3u);
    EXPECT_EQ(ProtocolIndex("simulator"), 4u);
    EXPECT_EQ(ProtocolIndex("Simulator2"), 0u);
    EXPECT_EQ(ProtocolIndex(""), 0u);
}

}  // namespace
}  // namespace appdebug::test

namespace appdebug::test {
namespace {

class ConnectionValuesTest : public ::testing::Test {
protected:
    void Write(const std::string& name, const std::string& text)
    {
        CRegistry key;
        ASSERT_TRUE(key.CreateKey(ConfigurationKeyPath()));
        key.Write(name, text);
    }
    void Write(const std::string& name, int value)
    {
        CRegistry key;
        ASSERT_TRUE(key.CreateKey(ConfigurationKeyPath()));
        key.Write(name, value);
    }
    TempRegistry registry_;
};

TEST_F(ConnectionValuesTest, MissingKeyIsCreatedAndGivesTheDefaults)
{
    const ConnectionSettings s = ReadConnectionValues(ConfigurationKeyPath());
    EXPECT_EQ(s.port, "LPT1");
    EXPECT_EQ(s.portAddress, 888u);
    EXPECT_EQ(s.targetCpu, "ARM7TDMI-KS32C50100");
    EXPECT_EQ(s.endian, 0);
    EXPECT_EQ(s.protocol, "Pelliton");
    EXPECT_EQ(ProtocolIndex(s.protocol), 1u);
    CRegistry key;
    EXPECT_TRUE(key.Open(ConfigurationKeyPath()));
}

TEST_F(ConnectionValuesTest, PortDecidesWhichNumberIsRead)
{
    Write("Port", "COM2");
    EXPECT_EQ(ReadConnectionValues(ConfigurationKeyPath()).portAddress, 0u);  // no BaudRate
    Write("BaudRate", "115200");
    Write("PortAddr", "278");
    EXPECT_EQ(ReadConnectionValues(ConfigurationKeyPath()).portAddress, 115200u);
    Write("Port", "LPT2");
    const ConnectionSettings s = ReadConnectionValues(ConfigurationKeyPath());
    EXPECT_EQ(s.port, "LPT2");
    EXPECT_EQ(s.portAddress, 0x278u);
}

TEST_F(ConnectionValuesTest, NetworkUsesTheHostAndKeepsTheBaudWord)
{
    Write("Net", 1);
    Write("Port", "COM1");
    EXPECT_EQ(ReadConnectionValues(ConfigurationKeyPath()).port, "127.0.0.1");
    Write("Hostname", "10.0.0.5");
    const ConnectionSettings s = ReadConnectionValues(ConfigurationKeyPath());
    EXPECT_EQ(s.port, "10.0.0.5");
    EXPECT_EQ(s.portAddress, 57600u);
}

TEST_F(ConnectionValuesTest, WrongTypesAndAbsurdLengthsTakeTheDefaults)
{
    Write("Target CPU", 7);                       // a number where a text belongs
    Write("Protocol", std::string(100000, 'x'));  // absurd length
    Write("Endian", "big");                       // a text where a number belongs
    Write("Port", std::string(5000, 'C'));
    const ConnectionSettings s = ReadConnectionValues(ConfigurationKeyPath());
    EXPECT_EQ(s.targetCpu, "ARM7TDMI-KS32C50100");
    EXPECT_EQ(s.protocol, "Pelliton");
    EXPECT_EQ(s.endian, 0);
    EXPECT_EQ(s.port, "LPT1");
}

TEST(TargetConfigTest, WordsComeFromTheSettingsWithTheWatchpointOptionInBit2)
{
    CDebuggerSettings s;
    s.IgnoreBP = 1;
    s.SemiHosting = 1;
    s.SemiHostVector = 8;
    s.TopMemory = 0x08000000;
    s.Protocol = "SIMULATOR";
    s.Exceptions = 0x3F;
    CDebuggerSettings::UseWatchpointBP = 0;
    EMU_TARGET_CONFIG c = BuildTargetConfig(s);
    EXPECT_EQ(c.options, 0x101u);
    EXPECT_EQ(c.semihostVector, 8u);
    EXPECT_EQ(c.topOfMemory, 0x08000000u);
    EXPECT_EQ(c.protocol, 4u);
    EXPECT_EQ(c.exceptionCatch, 0x3Fu);
    s.DisableStepOver = 1;
    CDebuggerSettings::UseWatchpointBP = 1;
    EXPECT_EQ(BuildTargetConfig(s).options, 0x107u);
    CDebuggerSettings::UseWatchpointBP = 0;
}

class ConnectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        theSettings.OcdLog = 2;
        theSettings.DisableCache = 1;
        theSettings.DisableCache2 = 0;
        theSettings.Simulate = 1;
        theSettings.RunAccess = 1;
        theSettings.Case = 1;
        theSettings.Protocol = "Simulator";
    }
    TempRegistry registry_;
    RecordingSide side;
    StandInFrame frame;
};

TEST_F(ConnectTest, ConnectAndDisconnectRunInTheirFixedOrder)
{
    {
        CDebugCore core(&frame, &side);
        EXPECT_TRUE(core.ConnectTarget(TRUE));
        EXPECT_EQ(side.calls,
                  (std::vector<std::string>{
                      "InitDLL_CpuServer(ARM7TDMI-KS32C50100,0)", "NewABIDLL(1,ARM7TDMI-KS32C50100,888,Pelliton,3)",
                      "MemCacheDisable(1,0)", "AdrSetExtAddrRange", "PeriInit", "CpuGetPC", "MemInitServer", "EmuInit",
                      "EmuSetTargetConfig", "ShlInitServer(3)", "ShlStartServer", "SymInitServer(1)"}));
        EXPECT_EQ(g_lastPc, side.pc);
        EXPECT_EQ(side.config.protocol, 4u);
        side.calls.clear();
    }
    EXPECT_EQ(side.calls, (std::vector<std::string>{"ShlExitServer", "MemExitServer", "ExitABIDLL"}));
}

TEST_F(ConnectTest, RefusedConnectionClosesTheTargetAndSetsNothingElseUp)
{
    side.newAbiResult = 0;
    {
        CDebugCore core(&frame, &side);
        EXPECT_FALSE(core.ConnectTarget(FALSE));
        EXPECT_EQ(side.calls,
                  (std::vector<std::string>{"InitDLL_CpuServer(ARM7TDMI-KS32C50100,0)",
                                            "NewABIDLL(0,LPT1,888,Pelliton,3)", "ExitABIDLL"}));
        side.calls.clear();
    }
    EXPECT_TRUE(side.calls.empty());
}

TEST_F(ConnectTest, ChangedBaudWordIsWrittenAsDecimalText)
{
    side.newAbiPortAddress = 38400;
    CDebugCore core(&frame, &side);
    EXPECT_TRUE(core.ConnectTarget(TRUE));
    CRegistry key;
    ASSERT_TRUE(key.Open(ConfigurationKeyPath()));
    std::string text;
    EXPECT_TRUE(key.Read("BaudRate", text));
    EXPECT_EQ(text, "38400");
    for (const char* other : {"Port", "PortAddr", "Protocol", "Target CPU", "Net"})
        EXPECT_FALSE(key.VerifyValue(other)) << other;
}

}  // namespace
}  // namespace appdebug::test
