#include "elf_image.h"

#include <fstream>
#include <iterator>

#include "simcore/simulator.h"

namespace zk::tools {

namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
}

uint16_t Le16(const std::vector<uint8_t>& b, size_t at)
{
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

constexpr uint32_t kPtLoad = 1;
constexpr uint32_t kShtSymtab = 2;

void ReadSymbols(const std::vector<uint8_t>& file, ElfImage& image)
{
    const uint32_t shoff = Le32(file, 32);
    const uint16_t shentsize = Le16(file, 46);
    const uint16_t shnum = Le16(file, 48);
    auto header = [&](uint32_t i) { return size_t{shoff} + size_t{i} * shentsize; };
    for (uint16_t i = 0; i < shnum; ++i) {
        const size_t at = header(i);
        if (at + 40 > file.size() || Le32(file, at + 4) != kShtSymtab)
            continue;
        const uint32_t offset = Le32(file, at + 16), size = Le32(file, at + 20), link = Le32(file, at + 24);
        if (link >= shnum || header(link) + 40 > file.size())
            continue;
        const uint32_t strOffset = Le32(file, header(link) + 16), strSize = Le32(file, header(link) + 20);
        if (size_t{offset} + size > file.size() || size_t{strOffset} + strSize > file.size())
            continue;
        for (uint32_t s = 16; s + 16 <= size; s += 16) {
            const uint32_t name = Le32(file, offset + s);
            if (name == 0 || name >= strSize)
                continue;
            std::string text;
            for (size_t c = size_t{strOffset} + name; c < size_t{strOffset} + strSize && file[c]; ++c) {
                text.push_back(static_cast<char>(file[c]));
            }
            image.symbols.emplace(text, Le32(file, offset + s + 4));
        }
    }
}
constexpr uint16_t kMachineArm = 40;

}  // namespace

bool ReadElfImage(const std::string& path, ElfImage& image, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot open";
        return false;
    }
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (file.size() < 52 || file[0] != 0x7F || file[1] != 'E' || file[2] != 'L' || file[3] != 'F') {
        error = path + ": not an ELF file";
        return false;
    }
    if (file[4] != 1 || file[5] != 1 || Le16(file, 18) != kMachineArm) {
        error = path + ": not a little-endian 32-bit ARM image";
        return false;
    }
    image = {};
    image.entry = Le32(file, 24);
    const uint32_t phoff = Le32(file, 28);
    const uint16_t phentsize = Le16(file, 42);
    const uint16_t phnum = Le16(file, 44);
    for (uint16_t i = 0; i < phnum; ++i) {
        const size_t at = size_t{phoff} + size_t{i} * phentsize;
        if (at + 32 > file.size()) {
            error = path + ": program header " + std::to_string(i) + " past the end of the file";
            return false;
        }
        if (Le32(file, at) != kPtLoad)
            continue;
        const uint32_t offset = Le32(file, at + 4);
        const uint32_t paddr = Le32(file, at + 12);
        const uint32_t filesz = Le32(file, at + 16);
        const uint32_t memsz = Le32(file, at + 20);
        if (size_t{offset} + filesz > file.size()) {
            error = path + ": segment " + std::to_string(i) + " past the end of the file";
            return false;
        }
        ElfSegment seg;
        seg.address = paddr;
        seg.memSize = memsz;
        seg.bytes.assign(file.begin() + offset, file.begin() + offset + filesz);
        image.segments.push_back(std::move(seg));
    }
    ReadSymbols(file, image);
    return true;
}

void LoadElfImage(const ElfImage& image, sim::Simulator& simulator)
{
    for (const ElfSegment& seg : image.segments) {
        simulator.Memory().Store().WriteBytes(seg.address, seg.bytes.data(), seg.bytes.size());
    }
    simulator.Cpu().SetPc(image.entry & ~1u);
    if (image.entry & 1)
        simulator.Cpu().SetThumb(true);
}

bool LoadElfFile(const std::string& path, sim::Simulator& simulator, std::string& error)
{
    ElfImage image;
    if (!ReadElfImage(path, image, error))
        return false;
    LoadElfImage(image, simulator);
    return true;
}

}  // namespace zk::tools
