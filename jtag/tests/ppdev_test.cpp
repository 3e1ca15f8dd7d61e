// The ppdev back end against a recording device: which requests reach the
// kernel for the claim, each register and EPP bytes, and how the port is found
// from the kernel's base-addr files.
#include <gtest/gtest.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "portio/ppdev_backend.h"

namespace {

struct Call {
    std::string what;
    unsigned long request = 0;
    int value = 0;
    bool operator==(const Call&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Call& c)
{
    return out << c.what << " 0x" << std::hex << c.request << " " << std::dec << c.value;
}

class RecordingDevice : public portio::PpdevDevice {
public:
    explicit RecordingDevice(std::vector<Call>& calls, unsigned modes = PARPORT_MODE_PCSPP | PARPORT_MODE_EPP)
        : calls_(calls), modes_(modes)
    {}
    bool Open(const std::string& path) override
    {
        calls_.push_back({"open " + path});
        return true;
    }
    int Ioctl(unsigned long request, void* arg) override
    {
        int value = 0;
        if (request == PPWDATA || request == PPWCONTROL)
            value = *static_cast<unsigned char*>(arg);
        if (request == PPDATADIR || request == PPSETMODE)
            value = *static_cast<int*>(arg);
        if (request == PPRSTATUS || request == PPRDATA || request == PPRCONTROL)
            *static_cast<unsigned char*>(arg) = 0x5C;
        if (request == PPGETMODES)
            *static_cast<unsigned int*>(arg) = modes_;
        calls_.push_back({"ioctl", request, value});
        return 0;
    }
    long Write(const uint8_t* bytes, unsigned long count) override
    {
        calls_.push_back({"write", 0, count == 1 ? bytes[0] : -1});
        return static_cast<long>(count);
    }
    long Read(uint8_t* bytes, unsigned long count) override
    {
        calls_.push_back({"read", 0, static_cast<int>(count)});
        bytes[0] = 0x3E;
        return 1;
    }
    void Close() override { calls_.push_back({"close"}); }
    std::string LastError() const override { return "recorded"; }

private:
    std::vector<Call>& calls_;
    unsigned modes_;
};

struct ProcTree {
    ProcTree() : root(std::filesystem::temp_directory_path() / ("parport-" + std::to_string(getpid())))
    {
        Port("parport0", "956\t1980\n");  // 0x3BC
        Port("parport1", "888\t1912\n");  // 0x378
    }
    ~ProcTree() { std::filesystem::remove_all(root); }
    void Port(const std::string& name, const std::string& baseAddr)
    {
        std::filesystem::create_directories(root / name);
        std::ofstream(root / name / "base-addr") << baseAddr;
    }
    portio::PpdevPaths Paths() const { return {root.string(), "/dev"}; }
    std::filesystem::path root;
};

}  // namespace

TEST(Ppdev, BaseAddrTextGivesThePortsBase)
{
    EXPECT_EQ(portio::ParseBaseAddr("888\t1912\n"), 0x378);
    EXPECT_EQ(portio::ParseBaseAddr("632\n"), 0x278);
    EXPECT_EQ(portio::ParseBaseAddr(""), std::nullopt);
    EXPECT_EQ(portio::ParseBaseAddr("99999999"), std::nullopt);
    ProcTree proc;
    EXPECT_EQ(portio::FindParportDevice(0x378, proc.Paths()), "/dev/parport1");
    EXPECT_EQ(portio::FindParportDevice(0x3BC, proc.Paths()), "/dev/parport0");
    EXPECT_EQ(portio::FindParportDevice(0x278, proc.Paths()), std::nullopt);
}

TEST(Ppdev, RegistersAndEppBytesBecomeTheDevicesRequests)
{
    ProcTree proc;
    std::vector<Call> calls;
    portio::PpdevBackend port(std::make_unique<RecordingDevice>(calls), proc.Paths());
    ASSERT_TRUE(port.OpenAccess(0x378));
    EXPECT_TRUE(port.OpenAccess(0x37C));
    EXPECT_FALSE(port.OpenAccess(0x378 + 0x402));  // the ECR is out of ppdev's reach
    port.Write(0x378, 0xA5);
    EXPECT_EQ(port.Read(0x379), 0x5C);
    port.Write(0x37A, 0x24);  // bit 5: data lines in
    EXPECT_EQ(port.Read(0x37A), 0x5C | 0x20);
    port.Write(0x37A, 0x04);
    port.Write(0x37C, 0x96);
    EXPECT_EQ(port.Read(0x37C), 0x3E);
    EXPECT_EQ(port.Read(0x378 + 0x402), 0xFF);
    EXPECT_EQ(port.Read(0x3F1), 0xFF);
    port.Write(0x3F0, 0x55);  // the Super I/O chip is not reachable: nothing sent
    const std::vector<Call> expected = {
        {"open /dev/parport1"},
        {"ioctl", PPCLAIM, 0},
        {"ioctl", PPGETMODES, 0},
        {"ioctl", PPWDATA, 0xA5},
        {"ioctl", PPRSTATUS, 0},
        {"ioctl", PPDATADIR, 1},
        {"ioctl", PPWCONTROL, 0x04},
        {"ioctl", PPRCONTROL, 0},
        {"ioctl", PPDATADIR, 0},
        {"ioctl", PPWCONTROL, 0x04},
        {"ioctl", PPSETMODE, IEEE1284_MODE_EPP},
        {"write", 0, 0x96},
        {"read", 0, 1},
    };
    EXPECT_EQ(calls, expected);
}

TEST(Ppdev, APortWithoutEppDropsEppBytes)
{
    ProcTree proc;
    std::vector<Call> calls;
    portio::PpdevBackend port(std::make_unique<RecordingDevice>(calls, PARPORT_MODE_PCSPP), proc.Paths());
    ASSERT_TRUE(port.OpenAccess(0x378));
    port.Write(0x37C, 0x96);
    EXPECT_EQ(port.Read(0x37C), 0xFF);
    EXPECT_EQ(calls.size(), 3u);  // open, claim, modes
}

TEST(Ppdev, NoSuchPortReadsAllOnesAndWritesNothing)
{
    ProcTree proc;
    std::vector<Call> calls;
    portio::PpdevBackend port(std::make_unique<RecordingDevice>(calls), proc.Paths());
    EXPECT_FALSE(port.OpenAccess(0x278));
    port.Write(0x278, 1);
    EXPECT_EQ(port.Read(0x279), 0xFF);
    EXPECT_TRUE(calls.empty());
}
