// The drivers' state rules, logs, outputs and failures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "driver_api.h"
#include "host_tools.h"
#include "jtag_driver.h"
#include "platform/clock.h"
#include "portio/ppdev_backend.h"

namespace {

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs in a fresh temporary folder (the logs are written to the current one).
struct InTempFolder {
    InTempFolder() : dir(std::filesystem::temp_directory_path() / ("jtaglog-" + std::to_string(getpid())))
    {
        std::filesystem::create_directories(dir);
        old = std::filesystem::current_path();
        std::filesystem::current_path(dir);
    }
    ~InTempFolder()
    {
        std::filesystem::current_path(old);
        std::filesystem::remove_all(dir);
    }
    std::filesystem::path dir, old;
};

}  // namespace

TEST(JtagFaults, TheFirstWalkAfterLoadEndsInTheStateAskedFor)
{
    for (const char* name : {"Rimbolt", "Tessovar"}) {
        portio::SimulatedPort& port =
            FreshPort(std::string(name) == "Rimbolt" ? portio::DeviceKind::Box : portio::DeviceKind::Cable,
                      {.eppWithoutSetup = true});
        JtagDriver d(name);
        d.jtag_set_base_address(0x378);
        d.jtag_trst(0);
        d.state_move(JTAG_SHIFT_IR);
        EXPECT_EQ(port.TargetTap().State(), portio::TapState::ShiftIr) << name;
        if (d.get_state) {
            EXPECT_EQ(d.get_state(), JTAG_SHIFT_IR);
        }
        // No such state: nothing recorded, nothing walked.
        d.state_jump(9);
        d.state_move(12);
        EXPECT_EQ(port.TargetTap().State(), portio::TapState::ShiftIr) << name;
        d.state_move(JTAG_RUN_TEST_IDLE);
        EXPECT_EQ(port.TargetTap().State(), portio::TapState::RunTestIdle) << name;
    }
}

TEST(JtagFaults, CableMovesBetweenTheShiftStatesReachThem)
{
    portio::SimulatedPort& port = FreshPort(portio::DeviceKind::Cable);
    JtagDriver d("Tessovar");
    d.init_jtag_controller(1, 1);
    d.state_move(JTAG_SHIFT_DR);
    d.state_move(JTAG_SHIFT_IR);
    EXPECT_EQ(port.TargetTap().State(), portio::TapState::ShiftIr);
    d.state_move(JTAG_SHIFT_DR);
    EXPECT_EQ(port.TargetTap().State(), portio::TapState::ShiftDr);
    // A move to the state it is in clocks nothing.
    const uint64_t clocks = port.TargetTap().Clocks();
    d.state_move(JTAG_SHIFT_DR);
    EXPECT_EQ(port.TargetTap().Clocks(), clocks);
    // A negative speed is the shortest delay, not four billion iterations.
    d.jtag_speed(-1);
    d.state_move(JTAG_RUN_TEST_IDLE);
    EXPECT_EQ(port.TargetTap().State(), portio::TapState::RunTestIdle);
}

TEST(JtagFaults, ACableScanEndingInItsShiftStateShiftsItsLastBit)
{
    portio::SimulatedPort& port = FreshPort(portio::DeviceKind::Cable);
    auto latch = std::make_shared<portio::LatchRegister>(8);
    port.TargetTap().Plug(kTestInstruction, latch);
    JtagDriver d("Tessovar");
    d.init_jtag_controller(1, 1);
    const uint8_t instruction = kTestInstruction, value = 0x9D;
    d.scan_out(JTAG_SELECT_IR, 4, &instruction, JTAG_RUN_TEST_IDLE);
    d.scan_out(JTAG_SELECT_DR, 8, &value, JTAG_RUN_TEST_IDLE);
    uint8_t captured = 0;
    const uint8_t next = 0x42;
    d.scan_io(JTAG_SELECT_DR, 8, &next, &captured, JTAG_SHIFT_DR);
    EXPECT_EQ(captured, 0x9D);  // all eight bits, the last one by the closing clock
    EXPECT_EQ(port.TargetTap().State(), portio::TapState::ShiftDr);
}

TEST(JtagFaults, RimboltLogsEveryCallAsTheDriverInterfaceSays)
{
    InTempFolder folder;
    FreshPort(portio::DeviceKind::Box, {.eppWithoutSetup = true});
    JtagDriver d("Rimbolt");
    d.jtag_logging_on();
    d.init_jtag_controller(1, 3);
    d.reset_tap(1, JTAG_RUN_TEST_IDLE);
    const uint8_t data = 0x0A;
    d.scan_out(JTAG_SELECT_IR, 4, &data, JTAG_PAUSE_IR);
    d.scan_in_partial(JTAG_SELECT_DR, 32, 8, 8, nullptr, std::vector<uint8_t>(4).data(), 1, JTAG_RUN_TEST_IDLE);
    d.write_outputs(0x81);
    d.jtag_set_base_address(0x378);
    d.jtag_driver_configuration(0x5);
    d.jtag_logging_off();
    d.state_move(JTAG_RUN_TEST_IDLE);  // not logged: the log is closed
    EXPECT_EQ(ReadFile("jtag.log"),
              "\nINIT JTAG CONTROLLER port 1 speed = 3"
              "\nRESET TAP "
              "\nasserting TRST going to run_test_idle"
              "\nSCAN OUT to IR 4 bits and end in pause_ir"
              "\nData out = 0x0000000A"
              "\nSCAN PARTIAL to DR 32 bits out and 8 bits in starting at bit 8, ending in run_test_idle"
              "\nWRITE OUTPUTS 0x00000081"
              "\nJTAG SET BASE ADDRESS 0x0378"
              "\nJTAG DRIVER CONFIGURATION 00000005");
}

TEST(JtagFaults, ALogThatCannotBeCreatedStaysClosed)
{
    for (const char* name : {"Rimbolt", "Tessovar"}) {
        InTempFolder folder;
        // The current folder is gone: nothing can be created in it.
        std::filesystem::path gone = folder.dir / "gone";
        std::filesystem::create_directories(gone);
        std::filesystem::current_path(gone);
        std::filesystem::remove(gone);
        FreshPort(portio::DeviceKind::Box, {.eppWithoutSetup = true});
        JtagDriver d(name);
        d.jtag_logging_on();
        d.init_jtag_controller(1, 1);
        d.state_move(JTAG_RUN_TEST_IDLE);
        d.jtag_logging_off();
        std::filesystem::current_path(folder.dir);
    }
}

TEST(JtagFaults, TessovarOpensItsLogAndWritesNothing)
{
    InTempFolder folder;
    FreshPort(portio::DeviceKind::Cable);
    JtagDriver d("Tessovar");
    d.jtag_logging_on();
    d.init_jtag_controller(1, 1);
    d.jtag_logging_off();
    EXPECT_TRUE(std::filesystem::exists("eppfile.log"));
    EXPECT_EQ(ReadFile("eppfile.log"), "");
}

TEST(JtagFaults, WithoutAPortServiceInitReportsNoController)
{
    for (const char* name : {"Rimbolt", "Tessovar"}) {
        FreshPort(portio::DeviceKind::Box);
        portio::UseBackend(std::make_unique<portio::NoPort>("test: no port"));
        JtagDriver d(name);
        d.init_jtag_controller(1, 1);
        EXPECT_EQ(d.jtag_io_error(), JTAG_ERR_NO_CONTROLLER) << name;
        EXPECT_EQ(d.read_inputs(), 0xFF) << name;
        portio::UseBackend(nullptr);
    }
}

TEST(JtagFaults, CableOutputsAndPins)
{
    portio::SimulatedPort& port = FreshPort(portio::DeviceKind::Cable);
    JtagDriver d("Tessovar");
    d.jtag_set_base_address(0x378);
    d.write_outputs(0xFC);
    d.write_pin(1, 0);
    d.write_pin(1, 200);  // no such pin: the image stays
    d.jtag_trst(1);
    d.jtag_trst(0);
    EXPECT_EQ(Ops(port.Trace()), "W378=80 W378=85 W378=85 W378=85 W378=95");
}

TEST(JtagFaults, BoxOutputsPinsAndTrst)
{
    portio::SimulatedPort& port = FreshPort(portio::DeviceKind::Box);
    JtagDriver d("Rimbolt");
    d.jtag_set_base_address(0x378);
    d.write_pin(1, 3);
    d.write_pin(1, 9);
    d.jtag_trst(1);
    EXPECT_EQ(port.Box()->Outputs(), 0x88);
    EXPECT_TRUE(port.TargetTap().TrstAsserted());
    d.jtag_trst(0);
    EXPECT_EQ(port.Box()->Outputs(), 0x08);
}

TEST(JtagFaults, TessovarCalibratesOncePerProcess)
{
    FreshPort(portio::DeviceKind::Cable);
    platform::Clock saved = platform::TheClock();
    // Each timing reads the clock twice: elapsed 200, 100, then 131 ms.
    std::vector<uint32_t> times = {0, 200, 1000, 1100, 2000, 2131};
    size_t next = 0;
    platform::TheClock().nowMs = [&] { return next < times.size() ? times[next++] : 99999; };
    JtagDriver d("Tessovar");
    d.init_jtag_controller(1, 8);
    EXPECT_EQ(next, times.size());
    // 80 too slow: 45; 45 too fast: 62; 62 is right.
    d.jtag_speed(8);
    EXPECT_EQ(next, times.size());  // calibrated once
    platform::TheClock() = saved;
}

TEST(JtagFaults, OsDelaySleepsOnTheClockAndReleaseToOsSeesNoMessage)
{
    FreshPort(portio::DeviceKind::Box);
    platform::Clock saved = platform::TheClock();
    std::vector<uint32_t> slept;
    platform::TheClock().sleepMs = [&](uint32_t ms) { slept.push_back(ms); };
    for (const char* name : {"Rimbolt", "Tessovar"}) {
        JtagDriver d(name);
        d.os_delay(25);
        EXPECT_EQ(d.release_to_os(), 0);
        EXPECT_EQ(d.jtag_driver_version(), 1);
    }
    EXPECT_EQ(slept, (std::vector<uint32_t>{25, 25}));
    platform::TheClock() = saved;
}

TEST(JtagExports, EachLibraryExportsExactlyItsInterface)
{
    const std::vector<std::string> common = {"bdm_shift",
                                             "init_jtag_controller",
                                             "jtag_discrete_io",
                                             "jtag_divisor",
                                             "jtag_driver_configuration",
                                             "jtag_driver_version",
                                             "jtag_get_base_address",
                                             "jtag_io_error",
                                             "jtag_logging_off",
                                             "jtag_logging_on",
                                             "jtag_set_base_address",
                                             "jtag_speed",
                                             "jtag_trst",
                                             "os_delay",
                                             "read_inputs",
                                             "release_to_os",
                                             "reset_tap",
                                             "scan_chain_position",
                                             "scan_in",
                                             "scan_in_partial",
                                             "scan_io",
                                             "scan_out",
                                             "state_jump",
                                             "state_move",
                                             "write_outputs",
                                             "write_pin"};
    for (const char* name : {"Rimbolt", "Tessovar"}) {
        std::vector<std::string> expected = common;
        if (std::string(name) == "Rimbolt") {
            expected.push_back("get_state");
            expected.push_back("scan_only");
        }
        std::sort(expected.begin(), expected.end());
        const zk::test::ProcessResult nm =
            zk::test::RunProcess({"nm", "-D", "--defined-only", std::string(ZK_BIN_DIR) + "/lib" + name + ".so"});
        ASSERT_EQ(nm.exitStatus, 0) << nm.err;
        std::vector<std::string> names;
        std::istringstream lines(nm.out);
        std::string address, kind, symbol;
        while (lines >> address >> kind >> symbol)
            names.push_back(symbol);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, expected) << name;
        EXPECT_EQ(names.size(), std::string(name) == "Rimbolt" ? 28u : 26u);
    }
}

TEST(JtagFaults, CableClocksWriteTheDataRegisterTwicePerBitAndReadTdoAfterTheRisingEdge)
{
    portio::SimulatedPort& port = FreshPort(portio::DeviceKind::Cable);
    JtagDriver d("Tessovar");
    d.init_jtag_controller(1, 1);
    port.ClearTrace();
    d.state_move(JTAG_RUN_TEST_IDLE);  // one clock, TMS 0
    EXPECT_EQ(Ops(port.Trace()), "W378=90 W378=94 R379");
    port.ClearTrace();
    const uint8_t data = 0x3;
    d.scan_out(JTAG_SELECT_DR, 2, &data, JTAG_RUN_TEST_IDLE);
    // To Shift-DR (TMS 1,0,0), one data bit, then the walk out carrying the
    // last bit (TDI 1) with TMS 1,1,0.
    EXPECT_EQ(Ops(port.Trace()),
              "W378=92 W378=96 R379 W378=90 W378=94 W378=90 W378=94 "
              "W378=98 W378=9C "
              "W378=9A W378=9E R379 W378=9A W378=9E W378=98 W378=9C");
}
