#include "ieee695_writer.h"

#include <cstdio>

namespace zk::test {

Ieee695Bytes& Ieee695Bytes::Number(uint32_t v)
{
    if (v < 0x80)
        return Byte(static_cast<uint8_t>(v));
    int n = v > 0xFFFFFF ? 4 : v > 0xFFFF ? 3 : v > 0xFF ? 2 : 1;
    Byte(static_cast<uint8_t>(0x80 + n));
    while (n-- > 0)
        Byte(static_cast<uint8_t>(v >> (8 * n)));
    return *this;
}

Ieee695Bytes& Ieee695Bytes::Number4(uint32_t v)
{
    Byte(0x84);
    for (int n = 3; n >= 0; --n)
        Byte(static_cast<uint8_t>(v >> (8 * n)));
    return *this;
}

Ieee695Bytes& Ieee695Bytes::Name(const std::string& name)
{
    if (name.size() < 0x80) {
        Byte(static_cast<uint8_t>(name.size()));
    } else {
        Byte(0xDE);
        Number(static_cast<uint32_t>(name.size()));
    }
    bytes.insert(bytes.end(), name.begin(), name.end());
    return *this;
}

Ieee695Bytes& Ieee695Bytes::Append(const std::vector<uint8_t>& more)
{
    bytes.insert(bytes.end(), more.begin(), more.end());
    return *this;
}

Ieee695DebugWriter& Ieee695DebugWriter::Begin(uint32_t type, const std::string& name, bool sized)
{
    open_.push_back({out_.Size(), sized});
    out_.Byte(0xF8).Number(type).Number4(0).Name(name);
    return *this;
}

namespace {

void PatchSize(std::vector<uint8_t>& bytes, size_t start, bool sized)
{
    if (!sized)
        return;
    // The size field (0x84 and four bytes) follows F8 and the type number.
    const size_t typeBytes = bytes[start + 1] < 0x80 ? 1 : 1 + (bytes[start + 1] - 0x80);
    const size_t field = start + 1 + typeBytes;
    const uint32_t size = static_cast<uint32_t>(bytes.size() - start);
    for (int n = 0; n < 4; ++n)
        bytes[field + 1 + n] = static_cast<uint8_t>(size >> (8 * (3 - n)));
}

}  // namespace

Ieee695DebugWriter& Ieee695DebugWriter::End()
{
    out_.Byte(0xF9);
    PatchSize(out_.bytes, open_.back().first, open_.back().second);
    open_.pop_back();
    return *this;
}

Ieee695DebugWriter& Ieee695DebugWriter::EndFunction(uint32_t endAddress)
{
    out_.Byte(0xF9).Byte(0x85).Byte(0);
    for (int n = 3; n >= 0; --n)
        out_.Byte(static_cast<uint8_t>(endAddress >> (8 * n)));
    PatchSize(out_.bytes, open_.back().first, open_.back().second);
    open_.pop_back();
    return *this;
}

Ieee695DebugWriter& Ieee695DebugWriter::Name(uint32_t index, const std::string& name)
{
    out_.Byte(0xF0).Number(index).Name(name);
    return *this;
}

Ieee695DebugWriter& Ieee695DebugWriter::Type(uint32_t index, uint32_t nameIndex, char letter)
{
    out_.Byte(0xF2).Number(index).Byte(0xCE).Number(nameIndex).Byte(static_cast<uint8_t>(letter));
    return *this;
}

Ieee695DebugWriter& Ieee695DebugWriter::Attribute(uint32_t nameIndex, uint32_t type, uint32_t attribute)
{
    out_.Byte(0xF1).Byte(0xCE).Number(nameIndex).Number(type).Number(attribute);
    return *this;
}

Ieee695DebugWriter& Ieee695DebugWriter::Assign(uint32_t nameIndex, uint32_t value)
{
    out_.Byte(0xE2).Byte(0xCE).Number(nameIndex).Number(value);
    return *this;
}

Ieee695DebugWriter& Ieee695DebugWriter::Num(uint32_t v)
{
    out_.Number(v);
    return *this;
}

Ieee695DebugWriter& Ieee695DebugWriter::Str(const std::string& s)
{
    out_.Name(s);
    return *this;
}

Ieee695DebugWriter& Ieee695DebugWriter::Raw(std::vector<uint8_t> bytes)
{
    out_.Append(bytes);
    return *this;
}

Ieee695DebugWriter& Ieee695DebugWriter::Function(bool global, const std::string& name, uint32_t frameSize,
                                                 uint32_t type, uint32_t address, bool sized)
{
    Begin(global ? 4 : 6, name, sized);
    out_.Number(frameSize).Number(type).Number(address);
    return *this;
}

Ieee695DebugWriter& Ieee695DebugWriter::Variable(uint32_t index, const std::string& name, uint32_t type,
                                                 uint32_t attribute)
{
    return Name(index, name).Attribute(index, type, attribute);
}

std::vector<uint8_t> WriteIeee695(const Ieee695ModuleDesc& m)
{
    Ieee695Bytes out;
    out.Byte(0xE0).Name(m.processor).Name(m.name);
    out.Byte(0xEC).Number(8).Number(4).Byte(m.bigEndian ? 0xCC : 0xCD);
    // Part pointers: 0 descriptor extension, 1 environment, 2 sections,
    // 3 external, 4 debug, 5 data, 6 trailer, 7 module end; patched below.
    size_t pointerAt[8];
    for (uint32_t part = 0; part < 8; ++part) {
        out.Byte(0xE2).Byte(0xD7).Number(part);
        pointerAt[part] = out.Size();
        out.Number4(0);
    }
    uint32_t offsets[8] = {};

    if (m.environment) {
        offsets[1] = static_cast<uint32_t>(out.Size());
        out.Byte(0xF1).Byte(0xCE).Number(0).Number(0).Number(50);
        for (uint32_t v : {2026u, 12u, 11u, 7u, 30u, 0u})
            out.Number(v);
        out.Byte(0xF1).Byte(0xCE).Number(0).Number(0).Number(54).Number(m.toolNumber).Number(1).Number(0);
        out.Byte(0xF1).Byte(0xCE).Number(0).Number(0).Number(55).Name(m.toolName);
    }

    offsets[2] = static_cast<uint32_t>(out.Size());
    for (const Ieee695SectionDesc& s : m.sections) {
        out.Byte(0xE6).Number(s.index);
        for (char c : s.type)
            out.Byte(static_cast<uint8_t>(0xC0 + (c - '@')));
        if (s.kind)
            out.Byte(static_cast<uint8_t>(0xC0 + (s.kind - '@')));
        out.Name(s.name);
        out.Byte(0xE2).Byte(0xD3).Number(s.index).Number(s.size);
        out.Byte(0xE2).Byte(0xCC).Number(s.index).Number(s.base);
    }

    if (!m.publics.empty()) {
        offsets[3] = static_cast<uint32_t>(out.Size());
        uint32_t index = 32;
        for (const Ieee695PublicDesc& p : m.publics) {
            out.Byte(0xE8).Number(index).Name(p.name);
            out.Byte(0xF1).Byte(0xC9).Number(index).Number(p.type).Number(4);
            out.Byte(0xE2).Byte(0xC9).Number(index).Number(p.value);
            ++index;
        }
    }

    auto writeDebug = [&] {
        if (m.debug.empty())
            return;
        offsets[4] = static_cast<uint32_t>(out.Size());
        out.Append(m.debug);
    };
    if (!m.debugAfterData)
        writeDebug();

    if (!m.data.empty()) {
        offsets[5] = static_cast<uint32_t>(out.Size());
        bool first = true;
        uint64_t next = 0;
        for (const Ieee695DataDesc& d : m.data) {
            if (first || d.address != next) {
                out.Byte(0xE5).Number(1);
                out.Byte(0xE2).Byte(0xD0).Number(1).Number(d.address);
            }
            first = false;
            if (d.repeat > 0) {
                out.Byte(0xF7).Number(d.repeat).Byte(0xED).Number(static_cast<uint32_t>(d.bytes.size()));
                out.Append(d.bytes);
                next = d.address + uint64_t{d.repeat} * d.bytes.size();
            } else {
                out.Byte(0xED).Number(static_cast<uint32_t>(d.bytes.size())).Append(d.bytes);
                next = d.address + d.bytes.size();
            }
        }
    }
    if (m.debugAfterData)
        writeDebug();

    if (m.start) {
        offsets[6] = static_cast<uint32_t>(out.Size());
        out.Byte(0xE2).Byte(0xC7).Byte(0xBE).Number(*m.start).Byte(0xBF);
    }
    offsets[7] = static_cast<uint32_t>(out.Size());
    out.Byte(0xE1).Name(m.name);

    for (int part = 0; part < 8; ++part)
        for (int n = 0; n < 4; ++n)
            out.bytes[pointerAt[part] + 1 + n] = static_cast<uint8_t>(offsets[part] >> (8 * (3 - n)));
    return out.bytes;
}

bool WriteBytesFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace zk::test
