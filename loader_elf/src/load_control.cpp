// LdrLoadWinElf: the load of one image, phase by phase, with one way out
// that clears the busy flag and ends the progress bar.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>

#include "debug_dispatch.h"
#include "download.h"
#include "elf_reader.h"
#include "ldr_progress.h"
#include "load_state.h"
#include "progress.h"
#include "quinar/symbol_store.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace tarnel {
namespace {

// The image's directory: the path up to its last separator (either kind).
std::string DirectoryOf(const std::string& path)
{
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string PathTail(const std::string& path)
{
    return path.size() <= PATH_TAIL_MAX ? path : path.substr(path.size() - PATH_TAIL_MAX);
}

// 0 when the image may go to the target: without a download any byte order
// does; with one it must be the target's.
LdrResult CheckTargetByteOrder(const ElfHeader& header, uint32_t flags)
{
    if (!(flags & LOAD_DOWNLOAD))
        return LDR_OK;
    int targetBig = 0;
    ProcReturnByteOrder(&targetBig);
    return header.BigEndian() == (targetBig != 0) ? LDR_OK : LDR_E_BYTE_ORDER;
}

class ElfLoad {
public:
    ElfLoad() : s_(State()), file_(s_.file) {}

    LdrResult Run()
    {
        if (LdrResult r = file_.Open(s_.imagePath); r != LDR_OK)
            return r;
        s_.stamp = file_.Stamp();
        s_.record.imageSize = file_.Size();
        if (LdrResult r = ReadHeader(); r != LDR_OK)
            return Fail(r, false);

        if (s_.SymbolsWanted()) {
            quinar::SymbolStore& store = quinar::Symbols();
            if (store.CheckImageLoaded(s_.imagePath, s_.stamp) == SYM_S_IMAGE_LOADED) {
                store.Clear();
                if (store.CheckImageLoaded(s_.imagePath, s_.stamp) == SYM_S_IMAGE_LOADED)
                    return Fail(LDR_S_UNCHANGED, false);
            }
        }

        s_.image.segments.clear();
        if (LdrResult r = ReadProgramHeaders(file_.Bytes(), s_.image.header, s_.image.segments); r != LDR_OK)
            return Fail(r, false);
        s_.startPC = s_.image.header.entry;
        MarkPosition(uint64_t{s_.image.header.phoff} + uint64_t{s_.image.header.phnum} * s_.image.header.phentsize);

        FreeSectionTable();
        LdrResult r = ReadSectionHeaders(file_.Bytes(), s_.image.header, s_.image.sections, &s_.image.nameTableIndex);
        if (r == LDR_OK)
            r = NoteSections(file_, s_.image, s_.SymbolsWanted(), s_.notes, s_.stack);
        if (r != LDR_OK)
            return Fail(r, true);
        ReportDamagedSizes();
        MarkSectionTableRead();

        if (PollUserAbort())
            return Fail(LDR_E_USER_ABORT, true);
        ReportLoadProgress();

        if (s_.SymbolsWanted()) {
            if (LdrResult r = ReadDebugInformation(); r != LDR_OK)
                return Fail(r, true, r != LDR_E_USER_ABORT);
        }
        if (s_.flags & LOAD_DOWNLOAD) {
            if (LdrResult r = Download(); r != LDR_OK)
                return Fail(r, true, true);
        }
        if (PollUserAbort())
            return Fail(LDR_E_USER_ABORT, true, true);
        ReportLoadProgress();
        CloseImage();
        return LDR_OK;
    }

    // A load that ends early: the image file closed, the loaded image
    // forgotten where the load got that far, and quinar emptied once the
    // load began to fill it.
    LdrResult Fail(LdrResult result, bool abandonSymbols, bool forgetImage = false)
    {
        if (forgetImage)
            ForgetLoadedImage();
        CloseImage();
        if (abandonSymbols)
            AbandonSymbolLoad();
        return result;
    }

private:
    LdrResult ReadHeader()
    {
        ImageFormat format = ImageFormat::Unknown;
        ElfHeader header;
        LdrResult r = DetectImageFormat(file_.Bytes(), header, format);
        if (r == LDR_OK && format == ImageFormat::TextRecords)
            r = LDR_E_UNKNOWN_FORMAT;
        if (r == LDR_OK)
            r = CheckTargetByteOrder(header, s_.flags);
        if (r != LDR_OK) {
            ForgetLoadedImage();
            return r;
        }
        s_.image.header = header;
        s_.bigEndian = header.BigEndian();
        MarkPosition(ELF_HEADER_SIZE);
        return LDR_OK;
    }

    LdrResult ReadDebugInformation()
    {
        uint32_t moduleCount = 0;
        LdrResult r = LoadDebugInfo(file_, 1, s_.ReaderKind(), s_.notes.debugKind, &moduleCount);
        if (r != LDR_OK)
            return r;
        MarkPosition(file_.Position());
        const DebugReaders& readers = Readers();
        const bool mode = s_.mode != 0;
        if (readers.dwarf1Lines)
            readers.dwarf1Lines(file_, mode, 1);
        if (readers.dwarf2Lines)
            readers.dwarf2Lines(file_, mode, 1);
        s_.tables.FreeUnitNames();
        quinar::Symbols().EndLoad();
        if (readers.debugFrame)
            readers.debugFrame(file_);
        return LDR_OK;
    }

    LdrResult Download()
    {
        if (s_.flags & LOAD_SEGMENTS) {
            uint64_t loaded = 0;
            if (LdrResult r = DownloadSegments(file_, &loaded, MemWriteBlock); r != LDR_OK)
                return r;
        }
        if (s_.flags & (LOAD_DATA | LOAD_RODATA)) {
            if (LdrResult r = DownloadSections(file_, s_.flags, MemWriteBlock); r != LDR_OK)
                return r;
        }
        return LDR_OK;
    }

    // After the section headers the reading stands behind the table or the
    // section names, whichever lies further.
    // A section or segment whose bytes run past the end of the file is
    // damaged: it is named in the load's messages and never read.
    void ReportDamagedSizes()
    {
        const auto text = [&](const char* what, const std::string& name, uint32_t offset, uint32_t size) {
            char line[200];
            std::snprintf(line, sizeof line, "%s %s: %u bytes at offset 0x%x run past the end of the file (%llu bytes)",
                          what, name.c_str(), size, offset, static_cast<unsigned long long>(file_.Size()));
            ReportReaderMessage(line);
        };
        for (const SectionRecord& s : s_.image.sections)
            if (s.pastEnd)
                text("section", s.name, s.offset, s.size);
        for (size_t i = 0; i < s_.image.segments.size(); ++i)
            if (s_.image.segments[i].pastEnd)
                text("segment", std::to_string(i), s_.image.segments[i].offset, s_.image.segments[i].filesz);
    }

    void MarkSectionTableRead()
    {
        const ElfHeader& h = s_.image.header;
        uint64_t end = uint64_t{h.shoff} + uint64_t{s_.image.sections.size()} * h.shentsize;
        if (s_.image.nameTableIndex != 0) {
            const SectionRecord& names = s_.image.sections[s_.image.nameTableIndex];
            end = std::max(end, uint64_t{names.offset} + names.size);
        }
        MarkPosition(end);
    }

    void MarkPosition(uint64_t position)
    {
        file_.SetPosition(position);
        s_.record.filePosition = position;
    }

    void CloseImage()
    {
        file_.Close();
        s_.tables.ClearPerLoad();
    }

    void AbandonSymbolLoad()
    {
        if (s_.SymbolsWanted()) {
            quinar::Symbols().EndLoad();
            if (s_.mode == 0)
                FreeSectionTable();
            quinar::Symbols().Clear();
        }
        s_.stack.found = false;
    }

    ElfLoadState& s_;
    ImageFile& file_;
};

}  // namespace
}  // namespace tarnel

using namespace tarnel;

extern "C" LdrResult LdrLoadWinElf(const char* path, int mode, unsigned flags, HWND progress)
{
    ElfLoadState& s = State();
    // An Esc pending from before the load is no abort of it.
    TakeEscPress();
    if (s.busy) {
        // Refused without touching the running load; the caller's bar ends.
        SendProgress(progress, 100);
        return LDR_E_BUSY;
    }
    s.busy = true;
    s.flags = flags;
    s.mode = mode;
    s.progressWindow = progress;
    s.imagePath = path ? path : "";
    s.imageDirectory = DirectoryOf(s.imagePath);
    s.record = LoadProgressRecord{};
    s.record.pathTail = PathTail(s.imagePath);
    s.progress = ProgressMemory{};
    s.messages.clear();
    s.startPC = 0;
    s.stack = StackNote{0, STACK_SIZE_UNKNOWN, false};

    ElfLoad load;
    LdrResult result;
    try {
        result = load.Run();
    } catch (const std::exception&) {
        // Out of memory for a table or record (bad_alloc, length_error).
        result = load.Fail(LDR_E_NO_MEMORY, true, true);
    }
    FinishLoadProgress(result);
    s.busy = false;
    return result;
}
