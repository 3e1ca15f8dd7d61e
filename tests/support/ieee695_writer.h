// Writes IEEE-695 object modules for the tests: the header (module begin
// with a processor name, address descriptor, the eight part pointers), an
// environment part (date, tool number, attribute 55), sections, the data
// part as load-data and repeat records, a trailer with the start address,
// an external part of public names and a debug part built block by block.
// The tests describe a module here and load the bytes through the loader:
// nothing of the loader is used to write them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zk::test {

// The bytes of IEEE-695 records: numbers, names and the record bytes.
class Ieee695Bytes {
public:
    Ieee695Bytes& Byte(uint8_t b)
    {
        bytes.push_back(b);
        return *this;
    }
    // 0-127 as one byte, else 0x80 + n and n bytes, most significant first.
    Ieee695Bytes& Number(uint32_t v);
    // Always five bytes (0x84 and four): for fields patched afterwards.
    Ieee695Bytes& Number4(uint32_t v);
    Ieee695Bytes& Name(const std::string& name);
    Ieee695Bytes& Append(const std::vector<uint8_t>& more);
    size_t Size() const { return bytes.size(); }

    std::vector<uint8_t> bytes;
};

// The debug part, written block by block:
//   block      F8 type size name ... F9      (size 0 when not sized)
//   name       F0 index name
//   type       F2 index CE name-index letter parameters
//   attribute  F1 CE name-index type attribute parameters
//   assignment E2 CE name-index value
class Ieee695DebugWriter {
public:
    // A block; its size is patched in at End unless `sized` is false.
    Ieee695DebugWriter& Begin(uint32_t type, const std::string& name, bool sized = true);
    Ieee695DebugWriter& End();
    // The end of a function block: F9 and the end address as five bytes,
    // so that it lies seven bytes before the block's end.
    Ieee695DebugWriter& EndFunction(uint32_t endAddress);
    Ieee695DebugWriter& Name(uint32_t index, const std::string& name);
    // F2 index CE name-index letter; parameters follow with Num and Str.
    Ieee695DebugWriter& Type(uint32_t index, uint32_t nameIndex, char letter);
    Ieee695DebugWriter& Attribute(uint32_t nameIndex, uint32_t type, uint32_t attribute);
    Ieee695DebugWriter& Assign(uint32_t nameIndex, uint32_t value);
    Ieee695DebugWriter& Num(uint32_t v);
    Ieee695DebugWriter& Str(const std::string& s);
    Ieee695DebugWriter& Raw(std::vector<uint8_t> bytes);

    // Function blocks: frame size, type, code address.
    Ieee695DebugWriter& Function(bool global, const std::string& name, uint32_t frameSize, uint32_t type,
                                 uint32_t address, bool sized = true);
    // A named variable: name record and attribute record.
    Ieee695DebugWriter& Variable(uint32_t index, const std::string& name, uint32_t type, uint32_t attribute);

    const std::vector<uint8_t>& Bytes() const { return out_.bytes; }

private:
    Ieee695Bytes out_;
    std::vector<std::pair<size_t, bool>> open_;  // block start, sized
};

struct Ieee695SectionDesc {
    std::string name;
    uint32_t index = 0;
    char kind = 'P';  // 'P' code, 'D' data, 'R' read-only; 0 writes no kind letter
    uint32_t size = 0;
    uint32_t base = 0;
    std::string type = "AS";  // the type letters: "AS" or "B" are read
};

// Load data at an address; with repeat > 0 one repeat record of `bytes`.
struct Ieee695DataDesc {
    uint32_t address = 0;
    std::vector<uint8_t> bytes;
    uint32_t repeat = 0;
};

// A public name (written as given: C names with their leading '_').
struct Ieee695PublicDesc {
    std::string name;
    uint32_t type = 15;  // 15 code
    uint32_t value = 0;
};

struct Ieee695ModuleDesc {
    std::string processor = "ARM7TDMI";
    std::string name = "image";
    bool bigEndian = false;
    bool environment = true;
    uint32_t toolNumber = 0;
    std::string toolName = "zelkor fixture writer";
    std::vector<Ieee695SectionDesc> sections;
    std::vector<Ieee695DataDesc> data;
    std::optional<uint32_t> start;
    std::vector<Ieee695PublicDesc> publics;
    std::vector<uint8_t> debug;  // the debug part's blocks (Ieee695DebugWriter)
    bool debugAfterData = false;
};

// The module's bytes; its parts in the order environment, sections,
// external, debug, data, trailer (debug after data when asked).
std::vector<uint8_t> WriteIeee695(const Ieee695ModuleDesc& m);
// Writes the bytes to a file; false when it cannot.
bool WriteBytesFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace zk::test
