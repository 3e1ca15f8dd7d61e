// LdrLoadWin: the format of the file decides the loader; the queries
// answer for the loader that read the image last.
#include <platform/file_time.h>
#include <platform/paths.h>

#include "ieee695_load.h"
#include "load_progress.h"
#include "quentor.h"
#include "quentor/load_messages.h"
#include "quinar/symbol_store.h"
#include "srec_load.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace quentor {
namespace {

constexpr uint8_t IEEE695_MODULE_BEGIN = 0xE0;

ImageFormat FormatOf(ByteSource& source)
{
    uint8_t first = 0;
    size_t got = 0;
    if (!source.Read(&first, 1, &got) || got == 0)
        return ImageFormat::Elf;
    if (first == IEEE695_MODULE_BEGIN)
        return ImageFormat::Ieee695;
    return first == 'S' || first == '$' ? ImageFormat::SRecords : ImageFormat::Elf;
}

// The stamp quinar knows an image by: its creation time, without the year.
ImageStamp StampOf(const std::string& path)
{
    ImageStamp stamp{};
    platform::DosDateTime packed;
    if (platform::FileCreationDosDateTime(platform::ToNativePath(path), packed)) {
        stamp.month = static_cast<uint8_t>((packed.date >> 5) & 0x0F);
        stamp.day = static_cast<uint8_t>(packed.date & 0x1F);
        stamp.hour = static_cast<uint8_t>(packed.time >> 11);
        stamp.minute = static_cast<uint8_t>((packed.time >> 5) & 0x3F);
        stamp.seconds2 = static_cast<uint8_t>(packed.time & 0x1F);
    }
    return stamp;
}

int WriteTarget(uint32_t address, const uint8_t* bytes, uint32_t count)
{
    return MemWriteBlock(ADDR{address, ADDR_SPACE_TARGET}, bytes, count, -1);
}

// forwarded: the file went to tarnel, which ends the progress bar itself.
LdrResult Load(const std::string& path, bool& forwarded)
{
    FrontEndState& s = FrontState();
    std::unique_ptr<ByteSource> file = OpenFileSource(path);
    if (!file)
        return LDR_E_OPEN;
    s.record.fileSize = file->Size();
    s.format = FormatOf(*file);
    s.record.filePosition = 1;
    switch (s.format) {
    case ImageFormat::SRecords: {
        // The reader starts again at the first byte.
        file = OpenFileSource(path);
        if (!file)
            return LDR_E_OPEN;
        return LoadSRecords(*file, path, StampOf(path), WriteTarget);
    }
    case ImageFormat::Ieee695:
        // A damaged header ends the load here (LDR_E_UNKNOWN_FORMAT and a
        // message naming the damage): tarnel would only say "not an ELF file".
        if (!file->Seek(0))
            return LDR_E_READ;
        return LoadIeee695(*file, path, StampOf(path), WriteTarget);
    default:
        file.reset();
        if (s.SymbolsWanted())
            quinar::Symbols().Clear();
        // The loading flag stays up: a load asked for while tarnel pumps
        // messages is refused here and leaves this one alone.
        forwarded = true;
        return LdrLoadWinElf(path.c_str(), static_cast<int>(s.mode), s.flags, s.progressWindow);
    }
}

}  // namespace

const std::vector<std::string>& LoadMessages()
{
    return FrontState().messages;
}

}  // namespace quentor

using namespace quentor;

extern "C" {

LdrResult LdrLoadWin(const char* path, unsigned mode, unsigned flags, HWND progress)
{
    FrontEndState& s = FrontState();
    CheckEsc();
    if (s.loading)
        return LDR_E_BUSY;
    // An Esc pressed before the load is no abort of it.
    s.escPressed = false;
    s.loading = true;
    s.path = path ? path : "";
    s.mode = mode;
    s.flags = flags;
    s.progressWindow = progress;
    s.startAddress = s.stackBase = s.stackSize = 0;
    s.stackKnown = false;
    s.record = LoadProgressRecord{};
    s.record.pathTail = s.path.size() <= PATH_TAIL_MAX ? s.path : s.path.substr(s.path.size() - PATH_TAIL_MAX);
    s.last = LastReport{};
    s.messages.clear();

    LdrResult result;
    bool forwarded = false;
    try {
        result = Load(s.path, forwarded);
    } catch (const std::bad_alloc&) {
        result = LDR_E_NO_MEMORY;
    }
    if (!forwarded)
        FinishProgress();
    s.loading = false;
    return result;
}

int LdrFileFormat(void)
{
    const ImageFormat f = FrontState().format;
    return f == ImageFormat::SRecords || f == ImageFormat::Elf ? static_cast<int>(f) : LDR_FORMAT_OTHER;
}

LdrResult LdrGetStartPC(ADDR* start)
{
    const FrontEndState& s = FrontState();
    if (s.format == ImageFormat::Elf)
        return LdrGetStartPC_ELF(start);
    if (start)
        start->off = s.startAddress;
    return LDR_OK;
}

LdrResult LdrGetStack(int* top, int* size, int* zero, int* step)
{
    const FrontEndState& s = FrontState();
    if (s.format == ImageFormat::Elf)
        return LdrGetStack_ELF(top, size, zero, step);
    if (size)
        *size = static_cast<int>(s.stackSize);
    if (top)
        *top = static_cast<int>(s.stackBase + s.stackSize);
    if (zero)
        *zero = 0;
    if (step)
        *step = 4;
    return LDR_OK;
}

int LdrIsBigEndian(void)
{
    if (FrontState().format == ImageFormat::Elf)
        return LdrIsBigEndian_ELF();
    int order = 0;
    ProcReturnByteOrder(&order);
    return order != 0 ? 1 : 0;
}

int LdrIsSymbolLoaded(void)
{
    return quinar::Symbols().Counts().items != 0 ? 1 : 0;
}

}  // extern "C"
