#include "download.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "load_state.h"
#include "progress.h"

namespace tarnel {
namespace {

constexpr uint32_t CHUNK = 4096;
constexpr int WRITE_WIDTH = 4;

// A section of the download's second path: allocated, writable or not,
// nothing else, and with contents in the file (an even type such as NOBITS
// or SYMTAB has none to write).
bool IsDataSection(const SectionRecord& s)
{
    return s.size != 0 && (s.flags == SHF_ALLOC || s.flags == (SHF_ALLOC | SHF_WRITE)) && (s.type & 1) != 0;
}

bool WantedSection(const SectionRecord& s, uint32_t flags)
{
    if (s.name == ".text")
        return false;
    if (s.name == ".data")
        return (flags & LOAD_DATA) != 0;
    if (s.name == ".romdata" || s.name == ".rodata" || s.name == ".rodata1")
        return (flags & LOAD_RODATA) != 0;
    return true;
}

// A segment goes to its load address, ELF's physical address: a ROM image
// keeps the initial bytes of its .data there and its start-up code copies
// them to the run address, as gdb's load and objcopy place them. Tools that
// leave every physical address 0 mean the run address.
bool PhysicalAddressesGiven(const std::vector<ProgramHeader>& segments)
{
    return std::any_of(segments.begin(), segments.end(), [](const ProgramHeader& p) { return p.paddr != 0; });
}

void RecordDownloaded(uint64_t bytes, uint64_t filePosition)
{
    ElfLoadState& s = State();
    s.record.downloadedBytes += bytes;
    s.record.filePosition = filePosition;
    ReportLoadProgress();
}

}  // namespace

TargetWriter::TargetWriter(TargetWrite write) : write_(write) {}

int TargetWriter::Write(uint32_t address, const uint8_t* data, uint32_t count)
{
    return write_(ADDR{address, ADDR_SPACE_TARGET}, data, count, WRITE_WIDTH);
}

int TargetWriter::Flush()
{
    if (count_ == 0)
        return 0;
    const int r = Write(start_, stage_, count_);
    count_ = 0;
    start_ = 0;
    return r;
}

int TargetWriter::WriteBuffered(const Reader& reader, uint32_t address, uint32_t size, uint32_t repeat)
{
    if (size == 0 || repeat == 0)
        return 0;
    // Staged bytes that the new ones do not continue go first.
    if (count_ != 0 && address != start_ + count_) {
        if (int r = Flush(); r != 0)
            return r;
    }
    const uint64_t total = uint64_t{size} * repeat;
    if (total + count_ <= STAGE_SIZE) {
        if (count_ == 0)
            start_ = address;
        uint8_t* unit = stage_ + count_;
        if (int r = reader(unit, size); r != 0)
            return r;
        for (uint32_t i = 1; i < repeat; ++i)
            std::memcpy(unit + uint64_t{i} * size, unit, size);
        count_ += static_cast<uint32_t>(total);
        return 0;
    }

    if (int r = Flush(); r != 0)
        return r;
    start_ = address;
    auto unit = std::make_unique<uint8_t[]>(size);
    if (int r = reader(unit.get(), size); r != 0)
        return r;
    if (size > STAGE_SIZE) {
        for (uint32_t i = 0; i < repeat; ++i, start_ += size) {
            if (int r = Write(start_, unit.get(), size); r != 0)
                return r;
        }
        return 0;
    }
    // Units that fit the buffer gather there; a full buffer is written.
    for (uint32_t i = 0; i < repeat; ++i) {
        if (count_ + size > STAGE_SIZE) {
            const uint32_t next = start_ + count_;
            if (int r = Flush(); r != 0)
                return r;
            start_ = next;
        }
        std::memcpy(stage_ + count_, unit.get(), size);
        count_ += size;
    }
    return 0;
}

LdrResult DownloadSegments(const ImageFile& file, uint64_t* bytesLoaded, TargetWrite write)
{
    *bytesLoaded = 0;
    TargetWriter writer(write);
    const bool physical = PhysicalAddressesGiven(State().image.segments);
    for (const ProgramHeader& p : State().image.segments) {
        if (PollUserAbort()) {
            FinishLoadProgress(LDR_E_USER_ABORT);
            return LDR_E_USER_ABORT;
        }
        ReportLoadProgress();
        uint32_t address = physical ? p.paddr : p.vaddr;
        for (uint32_t done = 0; done < p.filesz;) {
            const uint32_t chunk = std::min(CHUNK, p.filesz - done);
            const uint64_t at = uint64_t{p.offset} + done;
            auto reader = [&](uint8_t* destination, uint32_t count) -> int {
                return static_cast<int>(file.ReadBlock(at, destination, count));
            };
            if (int r = writer.WriteBuffered(reader, address, chunk, 1); r != 0)
                return static_cast<LdrResult>(r);
            address += chunk;
            done += chunk;
            RecordDownloaded(chunk, at + chunk);
        }
        *bytesLoaded += p.filesz;
    }
    return static_cast<LdrResult>(writer.Flush());
}

LdrResult DownloadSections(const ImageFile& file, uint32_t flags, TargetWrite write)
{
    uint8_t buffer[CHUNK];
    for (const SectionRecord& s : State().image.sections) {
        if (!IsDataSection(s) || !WantedSection(s, flags))
            continue;
        for (uint32_t done = 0; done < s.size;) {
            const uint32_t chunk = std::min(CHUNK, s.size - done);
            const uint64_t at = uint64_t{s.offset} + done;
            if (LdrResult r = file.ReadBlock(at, buffer, chunk); r != LDR_OK)
                return r;
            if (int r = write(ADDR{s.addr + done, ADDR_SPACE_TARGET}, buffer, chunk, WRITE_WIDTH); r != 0)
                return static_cast<LdrResult>(r);
            done += chunk;
            RecordDownloaded(chunk, at + chunk);
        }
    }
    return LDR_OK;
}

}  // namespace tarnel
