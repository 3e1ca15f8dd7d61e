#include "kernel_session.h"

#include <platform/messages.h>

#include "corvane/tables.h"
#include "falcrest.h"
#include "host_tools.h"
#include "quentor.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace corvane::test {

namespace {
constexpr const char* kProcessor = "ARM7TDMI";
}

void KernelSession::SetUp()
{
    window_ = platform::CreateSink([](UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
    InitDLL_CpuServer(0, window_, kProcessor, 0);
    int port = 0;
    ASSERT_EQ(NewABIDLL(1, kProcessor, &port, "Simulator", 1), 1) << "libDorvel.so in the program's folder";
    MemInitServer(window_);
    ResetTables();
}

void KernelSession::TearDown()
{
    platform::PumpPending();
    MemExitServer();
    ExitABIDLL();
    platform::DestroySink(window_);
}

void KernelSession::Load(const std::string& fixture)
{
    path_ = zk::test::FixturePath(fixture);
    std::string error;
    ASSERT_TRUE(ReadReference(path_, ref_, error)) << error;
    // The target's byte order is the configured processor's.
    InitDLL_CpuServer(0, window_, kProcessor, ref_.bigEndian ? 1 : 0);
    ASSERT_EQ(LdrLoadWin(path_.c_str(), 1, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS, nullptr), LDR_OK);
    ASSERT_EQ(LdrIsBigEndian(), ref_.bigEndian ? 1 : 0);
}

uint32_t KernelSession::Sym(const std::string& name) const
{
    auto it = ref_.symbols.find(name);
    EXPECT_NE(it, ref_.symbols.end()) << name;
    return it == ref_.symbols.end() ? 0 : it->second;
}

void KernelSession::WriteWord(uint32_t address, uint32_t value)
{
    uint8_t b[4];
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<uint8_t>(ref_.bigEndian ? value >> (8 * (3 - i)) : value >> (8 * i));
    ASSERT_EQ(MemWriteBlock(ADDR{address, ADDR_SPACE_TARGET}, b, 4, 4), 0);
}

}  // namespace corvane::test
