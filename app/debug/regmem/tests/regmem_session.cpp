#include "regmem_session.h"

#include <platform/messages.h>

#include "dolmer/dolmer.h"
#include "emu_messages.h"
#include "falcrest.h"
#include "quentor.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace regmem::test {

void RegMemSession::SetUp()
{
    window_ = platform::CreateSink([this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        messages.push_back({msg, w, l});
        return 1;
    });
    InitDLL_CpuServer(0, window_, "ARM7TDMI", bigEndian ? 1 : 0);
    int port = 0;
    ASSERT_EQ(NewABIDLL(1, "ARM7TDMI", &port, "Simulator", 1), 1) << "libDorvel.so in the program's folder";
    MemInitServer(window_);
    AdrSetExtAddrRange(0, 0xFFFFFFFFu, 0, 0, 0);
    emuSetAccessSize(4);
    SetServices(this);
}

void RegMemSession::TearDown()
{
    SetServices(nullptr);
    MemExitServer();
    ExitABIDLL();
    platform::DestroySink(window_);
}

void RegMemSession::Load(const std::string& path)
{
    ASSERT_EQ(LdrLoadWin(path.c_str(), 1, LDR_LOAD_CODE | LDR_FLAG_SEGMENTS, nullptr), LDR_OK) << path;
    ADDR start{0, ADDR_SPACE_TARGET};
    ASSERT_EQ(LdrGetStartPC(&start), 0);
    ASSERT_EQ(CpuSetPC(start.off), 0);
}

std::vector<uint8_t> RegMemSession::Read(uint32_t address, uint32_t count)
{
    std::vector<uint8_t> bytes(count);
    EXPECT_EQ(MemReadBlock(bytes.data(), {address, ADDR_SPACE_TARGET}, count), 0);
    return bytes;
}

void RegMemSession::Write(uint32_t address, const std::vector<uint8_t>& bytes)
{
    EXPECT_EQ(MemWriteBlock({address, ADDR_SPACE_TARGET}, bytes.data(), static_cast<uint32_t>(bytes.size()), -1), 0);
}

std::vector<std::pair<WPARAM, LPARAM>> RegMemSession::Updates() const
{
    std::vector<std::pair<WPARAM, LPARAM>> out;
    for (const Message& m : messages)
        if (m.msg == WM_EMU_UPDATE_VIEWS)
            out.emplace_back(m.wParam, m.lParam);
    return out;
}

}  // namespace regmem::test
