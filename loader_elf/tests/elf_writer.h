// Hand-built ELF32 images for the tests that need a shape no compiler
// gives: a stack section after .bss, a DWARF 1 image with stack symbols,
// damaged headers, hundreds of sections, a file of a given size.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace tarnel::test {

struct TestSection {
    std::string name;
    uint32_t type = 1;  // PROGBITS
    uint32_t flags = 0;
    uint32_t addr = 0;
    std::vector<uint8_t> data;
    uint32_t size = 0;  // NOBITS: the size; else data.size() is used
    uint32_t link = 0;
    uint32_t info = 0;
    uint32_t align = 1;
    uint32_t entsize = 0;
};

struct TestSegment {
    uint32_t type = 1;  // PT_LOAD
    uint32_t vaddr = 0;
    uint32_t paddr = 0;
    std::vector<uint8_t> data;
    uint32_t memsz = 0;  // 0: data.size()
    uint32_t flags = 7;
};

// Layout: header, program headers, segment data, section data, the section
// name table (last section), section headers.
struct TestElf {
    bool bigEndian = false;
    uint16_t machine = 40;
    uint32_t entry = 0x8000;
    std::vector<TestSegment> segments;
    std::vector<TestSection> sections;  // the null section and .shstrtab are added

    struct Layout {
        uint32_t phoff = 0, shoff = 0;
        std::vector<uint32_t> segmentOffsets, sectionOffsets;
    };

    std::vector<uint8_t> Build(Layout* layout = nullptr) const
    {
        std::vector<uint8_t> out(52, 0);
        Layout l;
        auto align4 = [&] {
            while (out.size() % 4)
                out.push_back(0);
        };
        l.phoff = segments.empty() ? 0 : static_cast<uint32_t>(out.size());
        out.resize(out.size() + 32 * segments.size());
        for (const TestSegment& s : segments) {
            align4();
            l.segmentOffsets.push_back(static_cast<uint32_t>(out.size()));
            out.insert(out.end(), s.data.begin(), s.data.end());
        }
        std::vector<TestSection> all;
        all.push_back(TestSection{"", 0, {}, {}, {}});
        all.insert(all.end(), sections.begin(), sections.end());
        TestSection names{".shstrtab", 3, {}, {}, {}};
        std::vector<uint32_t> nameOffsets;
        names.data.push_back(0);
        nameOffsets.push_back(0);  // the null section
        for (size_t i = 1; i < all.size(); ++i) {
            nameOffsets.push_back(static_cast<uint32_t>(names.data.size()));
            names.data.insert(names.data.end(), all[i].name.begin(), all[i].name.end());
            names.data.push_back(0);
        }
        nameOffsets.push_back(static_cast<uint32_t>(names.data.size()));
        names.data.insert(names.data.end(), names.name.begin(), names.name.end());
        names.data.push_back(0);
        all.push_back(names);
        for (const TestSection& s : all) {
            align4();
            l.sectionOffsets.push_back(static_cast<uint32_t>(out.size()));
            if (s.type != 8)
                out.insert(out.end(), s.data.begin(), s.data.end());
        }
        align4();
        l.shoff = static_cast<uint32_t>(out.size());
        for (size_t i = 0; i < all.size(); ++i) {
            const TestSection& s = all[i];
            const uint32_t size = s.type == 8 || s.data.empty() ? s.size : static_cast<uint32_t>(s.data.size());
            for (uint32_t w : {nameOffsets[i], s.type, s.flags, s.addr, i == 0 ? 0u : l.sectionOffsets[i], size, s.link,
                               s.info, s.align, s.entsize})
                Put32(out, w);
        }
        // Header.
        const uint8_t ident[16] = {0x7F, 'E', 'L', 'F', 1, static_cast<uint8_t>(bigEndian ? 2 : 1), 1};
        std::copy(std::begin(ident), std::end(ident), out.begin());
        size_t at = 16;
        Set16(out, at, 2);
        Set16(out, at, machine);
        Set32(out, at, 1);
        Set32(out, at, entry);
        Set32(out, at, l.phoff);
        Set32(out, at, l.shoff);
        Set32(out, at, 0x5000200);
        Set16(out, at, 52);
        Set16(out, at, 32);
        Set16(out, at, static_cast<uint16_t>(segments.size()));
        Set16(out, at, 40);
        Set16(out, at, static_cast<uint16_t>(all.size()));
        Set16(out, at, static_cast<uint16_t>(all.size() - 1));
        at = l.phoff;
        for (size_t i = 0; i < segments.size(); ++i) {
            const TestSegment& s = segments[i];
            const uint32_t size = static_cast<uint32_t>(s.data.size());
            for (uint32_t w : {s.type, l.segmentOffsets[i], s.vaddr, s.paddr ? s.paddr : s.vaddr, size,
                               s.memsz ? s.memsz : size, s.flags, 4u})
                Set32(out, at, w);
        }
        if (layout)
            *layout = l;
        return out;
    }

    void Put32(std::vector<uint8_t>& out, uint32_t v) const
    {
        out.resize(out.size() + 4);
        size_t at = out.size() - 4;
        Set32(out, at, v);
    }
    void Set16(std::vector<uint8_t>& out, size_t& at, uint16_t v) const
    {
        for (int i = 0; i < 2; ++i)
            out[at + i] = static_cast<uint8_t>(v >> (bigEndian ? 8 * (1 - i) : 8 * i));
        at += 2;
    }
    void Set32(std::vector<uint8_t>& out, size_t& at, uint32_t v) const
    {
        for (int i = 0; i < 4; ++i)
            out[at + i] = static_cast<uint8_t>(v >> (bigEndian ? 8 * (3 - i) : 8 * i));
        at += 4;
    }
};

// Bytes of 32-bit words in a byte order.
inline std::vector<uint8_t> Words(std::initializer_list<uint32_t> words, bool bigEndian = false)
{
    std::vector<uint8_t> out;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(w >> (bigEndian ? 8 * (3 - i) : 8 * i)));
    return out;
}

// A file under the system's temporary folder, removed at the end of the test.
class TempFile {
public:
    explicit TempFile(const std::string& name)
        : path_(std::filesystem::temp_directory_path() / ("tarnel_" + std::to_string(::getpid()) + "_" + name))
    {}
    TempFile(const std::string& name, const std::vector<uint8_t>& bytes) : TempFile(name) { Write(bytes); }
    ~TempFile() { std::filesystem::remove(path_); }
    void Write(const std::vector<uint8_t>& bytes) const
    {
        std::ofstream(path_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::string Path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

}  // namespace tarnel::test
