#include "sim_session.h"

#include <cstring>

#include "dolmer/dolmer.h"
#include "falcrest.h"
#include "host_tools.h"
#include "quentor.h"
#include "quinar/quinar.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace sarvik::test {

namespace {

constexpr const char* kProcessor = "ARM7TDMI";

const StopEntries kCore = LinkedStopEntries();

}  // namespace

void SimSession::SetUp()
{
    window_ = platform::CreateSink([this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        messages_.push_back({msg, w, l});
        switch (msg) {
        case WM_EMU_ERROR: outcomes_.push_back(HandleTargetStop(kCore, *this, w, l)); return 1;
        case WM_EMU_REFRESH: ++refreshes_; return 1;
        case WM_EMU_SEMIHOST_IO: {
            if (w == 0) {
                const char* b = reinterpret_cast<const char*>(l);
                if (b[0] == SEMIHOST_IO_TEXT || b[0] == SEMIHOST_IO_ERROR_TEXT)
                    console_ += b + 1;
                else
                    console_ += b[1];
                return 1;
            }
            const size_t end = input_.find('\n');
            size_t n = end == std::string::npos ? input_.size() : end + 1;
            n = n < w ? n : w;
            std::memcpy(reinterpret_cast<char*>(l), input_.data(), n);
            input_.erase(0, n);
            return static_cast<LRESULT>(n);
        }
        default: return 1;
        }
    });
    InitDLL_CpuServer(0, window_, kProcessor, 0);
    int port = 0;
    ASSERT_EQ(NewABIDLL(1, kProcessor, &port, "Simulator", 1), 1) << "libDorvel.so in the program's folder";
    MemInitServer(window_);
    EmuInit(window_);
    const EMU_TARGET_CONFIG config{0x101, 8, topOfMemory_, EMU_PROTOCOL_SIMULATOR, EMU_CATCH_DEFAULT};
    EmuSetTargetConfig(&config);
    SetRestartOption(0, "main");
}

void SimSession::TearDown()
{
    EmuHalt();
    platform::PumpPending();
    BptDeleteAllObjects();
    SemihostSetCommandLine("");
    MemExitServer();
    ExitABIDLL();
    platform::DestroySink(window_);
}

void SimSession::Load(const std::string& fixture)
{
    imagePath_ = zk::test::FixturePath(fixture);
    std::string error;
    ASSERT_TRUE(zk::tools::ReadElfImage(imagePath_, image_, error)) << error;
    ASSERT_EQ(LdrLoadWin(imagePath_.c_str(), 1, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS, nullptr), LDR_OK);
    SemihostSetCommandLine(imagePath_.c_str());
    ADDR start{0, ADDR_SPACE_TARGET};
    ASSERT_EQ(LdrGetStartPC(&start), 0);
    ASSERT_EQ(EmuResetTarget(start), EMU_OK);
    ClearRecords();
}

bool SimSession::WaitForStop()
{
    const int before = refreshes_;
    return platform::ModalWait([&] { return refreshes_ > before; }, STOP_WAIT_MS) && (CpuGetCpuStatus(0, 1) & 1) == 0;
}

void SimSession::GoTillStop(uint32_t address)
{
    const int before = refreshes_;
    ASSERT_EQ(EmuRun(EMU_RUN_GO_TILL, {address, ADDR_SPACE_TARGET}), EMU_OK);
    ASSERT_TRUE(platform::ModalWait([&] { return refreshes_ > before; }, STOP_WAIT_MS));
    ASSERT_EQ(Pc(), address);
}

int TextCommand(int (*command)(int, char**), std::vector<std::string> words)
{
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    return command(static_cast<int>(argv.size()), argv.data());
}

void SimSession::ExpectImageIntact()
{
    ASSERT_FALSE(image_.segments.empty());
    const zk::tools::ElfSegment& code = image_.segments.front();
    std::vector<uint8_t> bytes(code.bytes.size());
    ASSERT_EQ(MemReadBlock(bytes.data(), {code.address, 1}, static_cast<uint32_t>(bytes.size())), 0);
    EXPECT_TRUE(bytes == code.bytes) << "a break word is left in the code";
    if (code.address >= 0x20) {
        std::vector<uint8_t> vectors(0x20);
        ASSERT_EQ(MemReadBlock(vectors.data(), {0, 1}, 0x20), 0);
        EXPECT_EQ(vectors, std::vector<uint8_t>(0x20, 0)) << "a break word is left on a vector";
    }
}

uint32_t SimSession::Pc()
{
    DWORD pc = 0;
    EXPECT_EQ(CpuGetPC(&pc), 0);
    return pc;
}

uint32_t SimSession::Symbol(const std::string& name)
{
    const auto it = image_.symbols.find(name);
    EXPECT_NE(it, image_.symbols.end()) << name;
    return it == image_.symbols.end() ? 0 : it->second & ~1u;  // EABI: bit 0 marks Thumb code
}

void SimSession::DeclareFunction(const std::string& name)
{
    const ImageStamp stamp{};
    const SymModuleDesc module{0, Symbol(name), Symbol(name) + 3};
    uint32_t handle = 0;
    ASSERT_EQ(SymOpenModule("declared.c", &stamp, &module, 0, 1, 0, &handle, 0), SYM_OK);
    ASSERT_EQ(SymAddPublicSymbol(name.c_str(), 0, 0, &module, 0), SYM_OK);
    ASSERT_EQ(SymEndSymbolBlock(), SYM_OK);
    SymCloseModule(0);
    ASSERT_EQ(SymEndLoad(), SYM_OK);
    ADDR a{};
    ASSERT_EQ(AdrTextToAddr(("#" + name).c_str(), &a, 1), 1);
    ASSERT_EQ(a.off, Symbol(name));
}

int SimSession::Count(UINT msg) const
{
    int n = 0;
    for (const Message& m : messages_)
        n += m.msg == msg;
    return n;
}

}  // namespace sarvik::test
