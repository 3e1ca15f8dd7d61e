// The text of an S-record file: its lines, the Motorola data records, and
// the header lines of symbols that some tools write in front of them
// (objcopy -O symbolsrec):
//
//   $$ image.sym          a module line: the name starts at its first letter
//     main $8018          symbol lines: a name, then '$' and its address
//   $$                    (a module line without a name closes the block)
//   S00B0000696D6167652E73796DC1
//   S1130000...           data records: type, count, address, data, checksum
//   S9030000FC
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ldr_types.h"

namespace quentor {

// The bytes of the file, read front to back.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `count` bytes; 0 at the end. False on a read error.
    virtual bool Read(uint8_t* buffer, size_t count, size_t* got) = 0;
    virtual uint64_t Size() const = 0;
    // The next Read starts at this byte; false when it cannot.
    virtual bool Seek(uint64_t position) = 0;
};

// A file opened for reading; null when it cannot be opened (or is no file).
std::unique_ptr<ByteSource> OpenFileSource(const std::string& path);
std::unique_ptr<ByteSource> MemorySource(std::vector<uint8_t> bytes);

// A line holds at most this many characters; a longer one comes in pieces.
inline constexpr size_t MAX_LINE = 1203;

// Lines end at CR or LF; empty lines are skipped.
class LineReader {
public:
    explicit LineReader(ByteSource& source) : source_(source) {}
    // The next line; false at the end of the file or on a read error.
    bool Next(std::string& line);
    bool Failed() const { return failed_; }
    // Bytes taken from the file so far.
    uint64_t Position() const { return position_; }

private:
    bool Fill();

    ByteSource& source_;
    std::vector<uint8_t> buffer_ = std::vector<uint8_t>(64 * 1024);
    size_t at_ = 0;
    size_t filled_ = 0;
    uint64_t position_ = 0;
    bool failed_ = false;
};

enum class LineKind { Data, Module, Symbol, Other };
LineKind KindOfLine(std::string_view line);

// One data record, checked: hexadecimal digits of either case, a count
// that covers the rest of the line, the checksum (the ones' complement of
// the sum of count, address and data bytes) and an address range that
// stays below 4 GiB.
struct DataRecord {
    char type = 0;  // '0' to '9'
    uint32_t address = 0;
    std::vector<uint8_t> data;

    bool IsData() const { return type == '1' || type == '2' || type == '3'; }
    bool IsEnd() const { return type == '7' || type == '8' || type == '9'; }
};

enum class RecordFault {
    None,
    BadType,    // no digit after 'S'
    BadDigit,   // a character that is no hexadecimal digit
    OddLength,  // half a byte
    BadCount,   // the count does not match the line, or leaves no room for the address
    BadChecksum,
    PastTop,  // the data runs past 0xFFFFFFFF
};
RecordFault DecodeRecord(std::string_view line, DataRecord& out);
const char* FaultText(RecordFault fault);

// The module name of a module line: from its first letter to the end of
// the line (trailing blanks dropped); empty when the line has no letter.
std::string ModuleName(std::string_view line);

struct SymbolEntry {
    std::string name;
    uint32_t address = 0;
};
// The symbols of a symbol line: from the line's first letter or '_', words
// in pairs, a name (one leading '_' dropped) and its address word ('$' and
// 1 to 8 hexadecimal digits, either case). A name without an address word
// ends the line. False for an address word that is not one.
bool ParseSymbolLine(std::string_view line, std::vector<SymbolEntry>& out);

}  // namespace quentor
