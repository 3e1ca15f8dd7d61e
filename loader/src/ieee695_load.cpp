#include "ieee695_load.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "ieee695_debug.h"
#include "ieee695_names.h"
#include "image_symbols.h"
#include "load_progress.h"
#include "quinar/symbol_store.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace quentor {

using namespace ieee695;

bool ReadIeee695Header(Ieee695Input& in, ModuleHeader& h)
{
    if (!in.Accept(MODULE_BEGIN))
        return in.Fail("no module-begin record");
    if (!in.Name(h.processor) || !in.Name(h.module))
        return false;
    if (in.Accept(ADDRESS_DESCRIPTOR)) {
        if (!in.Number(h.bitsPerUnit) || !in.Number(h.unitsPerAddress))
            return false;
        if (in.Accept(LETTER_L))
            h.bigEndian = true;
        else if (in.Accept(LETTER_M))
            h.bigEndian = false;
    }
    std::array<bool, PART_COUNT> seen{};
    for (size_t i = 0; i < PART_COUNT; ++i) {
        uint32_t part = 0;
        uint32_t offset = 0;
        if (!in.AcceptPair(ASSIGN, LETTER_W))
            return in.Fail("part pointer missing");
        if (!in.Number(part) || !in.Number(offset))
            return false;
        if (part >= PART_COUNT || seen[part])
            return in.Fail("part pointer of part " + std::to_string(part));
        if (offset > in.FileSize())
            return in.Fail("part " + std::to_string(part) + " outside the file");
        seen[part] = true;
        h.parts[part] = offset;
    }
    return true;
}

namespace {

struct SectionRecord {
    std::string name;
    uint32_t index = 0;
    uint32_t kind = 0;  // 1 code, 2 data, 3, or 0
    uint32_t size = 0;
    uint32_t base = 0;
};

// The registers of the debug part's register variables, by tool kind:
// compiler register n is ARM register rn; the tools of kinds 0 and 6
// number three more registers that ARM code does not have.
const std::vector<int> REGISTERS_16 = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
const std::vector<int> REGISTERS_19 = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, -1, -1, -1};

class Ieee695Loader {
public:
    Ieee695Loader(ByteSource& source, const std::string& path, const ImageStamp& stamp,
                  const TargetWriter::Write& write)
        : s_(FrontState()), in_(source), path_(path), stamp_(stamp), writer_(write)
    {}

    LdrResult Run()
    {
        if (!ReadIeee695Header(in_, header_))
            return Damaged("header");
        if (LdrResult r = Environment(); r != LDR_OK)
            return r;
        if (s_.SymbolsWanted()) {
            if (LdrResult r = BeginImageSymbols(path_, stamp_); r != LDR_OK)
                return r;
            symbolsBegun_ = true;
            // The call stays for its failure rule; base types 16 to 18 keep
            // the sizes quinar gives them (a stack size is no type size).
            int stackSize = 0;
            if (int r = ProcDefaultStackSize(&stackSize); r != 0)
                return Fail(static_cast<LdrResult>(r));
        }
        if (LdrResult r = Sections(); r != LDR_OK)
            return Fail(r);
        if (Step())
            return Fail(LDR_E_USER_ABORT);
        if (s_.CodeWanted()) {
            if (LdrResult r = DataPart(); r != LDR_OK)
                return Fail(r);
        }
        Trailer();
        if (Step())
            return Fail(LDR_E_USER_ABORT);
        if (s_.SymbolsWanted()) {
            if (LdrResult r = DebugPart(); r != LDR_OK)
                return Fail(r);
            if (s_.flags & LOAD_EXTERNAL)
                ExternalPart();
            symbols_.EndLoad();
        }
        return LDR_OK;
    }

private:
    void Message(const std::string& where, uint64_t offset, const std::string& what)
    {
        char text[64];
        std::snprintf(text, sizeof text, "+0x%llx: ", static_cast<unsigned long long>(offset));
        s_.messages.push_back(path_ + ": " + where + text + what);
    }

    // The damage the input noted, named in the load's messages.
    LdrResult Damaged(const std::string& where, uint64_t partStart = 0)
    {
        if (in_.ReadError() && where != "header")
            return LDR_E_READ;
        Message(where, in_.FaultPosition() - std::min(partStart, in_.FaultPosition()),
                in_.Failed() ? in_.Fault() : "damaged");
        return LDR_E_UNKNOWN_FORMAT;
    }

    bool Step()
    {
        s_.record.filePosition = in_.Position();
        return BeforeRecord();
    }

    // Reads the bytes of one part: false when the part is absent.
    bool EnterPart(Part part)
    {
        const uint32_t at = header_.parts[part];
        if (at == 0)
            return false;
        in_.ClearFault();
        in_.SetLimit(in_.FileSize());
        if (!in_.Seek(at))
            return false;
        in_.SetLimit(header_.PartEnd(part, in_.FileSize()));
        return true;
    }

    // An attribute record "F1 CE index type attribute"; the attribute number.
    bool Attribute(uint32_t& attribute)
    {
        uint32_t index = 0;
        uint32_t type = 0;
        return in_.AcceptPair(ATTRIBUTE, LETTER_N) && in_.Number(index) && in_.Number(type) && in_.Number(attribute);
    }

    LdrResult Environment()
    {
        if (!EnterPart(PART_ENVIRONMENT))
            return in_.ReadError() ? LDR_E_READ : LDR_OK;
        uint32_t attribute = 0;
        while (Attribute(attribute)) {
            uint32_t n = 0;
            std::string name;
            bool ok = true;
            switch (attribute) {
            case ENV_DATE:
                for (int i = 0; i < 6 && ok; ++i)
                    ok = in_.Number(n);
                break;
            case ENV_HOST: ok = in_.Name(name); break;
            case ENV_NUMBER_52:
            case ENV_NUMBER_53: ok = in_.Number(n); break;
            case ENV_TOOL: {
                uint32_t tool = 0;
                uint32_t version = 0;
                uint32_t revision = 0;
                ok = in_.Number(tool) && in_.Number(version) && in_.Number(revision);
                if (ok && in_.NumberFollows())
                    ok = in_.Number(n);  // level
                if (ok)
                    toolKind_ = ToolKindOf(tool);
                break;
            }
            case ENV_TOOL_NAME:
                ok = in_.Name(name);
                if (ok && name.find("Cosmic") != std::string::npos)
                    toolKind_ = TOOL_KIND_COSMIC;
                break;
            default: return LDR_OK;
            }
            if (!ok)
                return Damaged("environment part", header_.parts[PART_ENVIRONMENT]);
        }
        return in_.Failed() ? Damaged("environment part", header_.parts[PART_ENVIRONMENT]) : LDR_OK;
    }

    LdrResult Sections()
    {
        if (!EnterPart(PART_SECTIONS))
            return in_.ReadError() ? LDR_E_READ : LDR_OK;
        const uint64_t partStart = header_.parts[PART_SECTIONS];
        uint32_t highest = 0;
        while (in_.Accept(SECTION_TYPE)) {
            SectionRecord r;
            if (!in_.Number(r.index))
                return Damaged("section part", partStart);
            if (in_.Accept(LETTER_A)) {
                if (!in_.Accept(LETTER_S))
                    return in_.Fail("section type A without S"), Damaged("section part", partStart);
            } else if (!in_.Accept(LETTER_B)) {
                return LDR_E_SECTION_TYPE;
            }
            const int kind = in_.Peek();
            if (kind >= 0xC0 && kind <= 0xDA) {
                uint8_t letter = 0;
                in_.Byte(letter);
                r.kind = letter == LETTER_P ? 1 : letter == LETTER_D ? 2 : letter == LETTER_R ? 3 : 0;
            }
            if (!in_.Name(r.name))
                return Damaged("section part", partStart);
            uint32_t skipped = 0;
            while (in_.NumberFollows())
                in_.Number(skipped);
            uint32_t index = 0;
            if (!in_.AcceptPair(ASSIGN, LETTER_S) || !in_.Number(index) || !in_.Number(r.size) ||
                !in_.AcceptPair(ASSIGN, LETTER_L) || !in_.Number(index) || !in_.Number(r.base)) {
                in_.Fail("section " + std::to_string(r.index) + " without its size and base address");
                return Damaged("section part", partStart);
            }
            if (r.name.find("stack") != std::string::npos) {
                s_.stackBase = r.base;
                s_.stackSize = r.size;
                s_.stackKnown = true;
            }
            highest = std::max(highest, r.index);
            sections_.push_back(std::move(r));
        }
        if (in_.ReadError())
            return LDR_E_READ;
        // Every section of the file is kept (not only the first 32), the
        // base sections after them.
        const uint32_t next = highest + 1;
        sections_.push_back({"BASE_RTACTIVATE", next, 0, 1, 0});
        sections_.push_back({"BASE_CODE", next + 1, 1, 1, 0});
        sections_.push_back({"BASE_DATA", next + 2, 2, 1, 0});
        codeSection_ = next + 1;
        dataSection_ = next + 2;
        if (s_.SymbolsWanted())
            for (const SectionRecord& r : sections_)
                if (!r.name.empty() && r.name[0] != ' ' && r.size != 0)
                    symbols_.AddSection(r.name, r.index, r.kind);
        return LDR_OK;
    }

    LdrResult BadData(const std::string& what)
    {
        in_.Fail(what);
        Message("data part", in_.FaultPosition() - header_.parts[PART_DATA], in_.Fault());
        writer_.Flush();
        return in_.ReadError() ? LDR_E_READ : LDR_E_BAD_RECORD;
    }

    LdrResult Put(uint64_t& address, std::span<const uint8_t> bytes)
    {
        if (int r = writer_.Put(static_cast<uint32_t>(address), bytes); r != 0)
            return static_cast<LdrResult>(r);
        address += bytes.size();
        s_.record.codeBytes += bytes.size();
        return LDR_OK;
    }

    // One load-data item: its count and bytes.
    bool LoadDataItem(std::vector<uint8_t>& bytes)
    {
        uint32_t count = 0;
        if (!in_.Accept(LOAD_DATA) || !in_.Number(count))
            return in_.Fail("load data expected");
        if (count > in_.Limit() - in_.Position())
            return in_.Fail("load data past the end");
        bytes.resize(count);
        return in_.Bytes(bytes.data(), count);
    }

    LdrResult DataPart()
    {
        if (!EnterPart(PART_DATA))
            return in_.ReadError() ? LDR_E_READ : LDR_OK;
        std::vector<uint8_t> item;
        std::vector<uint8_t> chunk;
        uint64_t address = 0;
        for (;;) {
            // Address records: a section begin names the section, the
            // current address ('P') sets the address.
            bool addressed = false;
            for (;;) {
                uint32_t index = 0;
                uint32_t at = 0;
                if (in_.Accept(SECTION_BEGIN)) {
                    if (!in_.Number(index))
                        return BadData("section begin cut short");
                } else if (in_.AcceptPair(ASSIGN, LETTER_P)) {
                    if (!in_.Number(index) || !in_.Number(at))
                        return BadData("current address cut short");
                    address = at;
                    addressed = true;
                } else {
                    break;
                }
            }
            if (!addressed)
                break;
            for (;;) {
                s_.record.filePosition = in_.Position();
                if (BeforeRecord())
                    return writer_.Flush(), LDR_E_USER_ABORT;
                const int next = in_.Peek();
                if (next == LOAD_DATA) {
                    if (!LoadDataItem(item))
                        return BadData(in_.Fault());
                    if (address + item.size() > 0x100000000ull)
                        return BadData("load data past the 4 GiB address space");
                    if (LdrResult r = Put(address, item); r != LDR_OK)
                        return r;
                } else if (next == REPEAT_DATA) {
                    uint8_t b = 0;
                    uint32_t repeat = 0;
                    in_.Byte(b);
                    if (!in_.Number(repeat) || !LoadDataItem(item))
                        return BadData(in_.Fault());
                    if (address + uint64_t{repeat} * item.size() > 0x100000000ull)
                        return BadData("repeated data past the 4 GiB address space");
                    if (LdrResult r = Repeat(address, item, repeat, chunk); r != LDR_OK)
                        return r;
                } else {
                    break;
                }
            }
            if (in_.Failed())
                return BadData(in_.Fault());
            const int next = in_.Peek();
            if (next != SECTION_BEGIN && next != ASSIGN)
                break;
        }
        if (in_.ReadError())
            return BadData("read error");
        return static_cast<LdrResult>(writer_.Flush());
    }

    // The item `repeat` times, streamed through the write buffer in pieces
    // of about a kilobyte: never the whole run in memory.
    LdrResult Repeat(uint64_t& address, const std::vector<uint8_t>& item, uint32_t repeat, std::vector<uint8_t>& chunk)
    {
        if (item.empty() || repeat == 0)
            return LDR_OK;
        const uint32_t perChunk = static_cast<uint32_t>(std::max<size_t>(1, TargetWriter::CAPACITY / item.size()));
        chunk.clear();
        for (uint32_t i = 0; i < std::min(perChunk, repeat); ++i)
            chunk.insert(chunk.end(), item.begin(), item.end());
        for (uint32_t left = repeat; left > 0;) {
            const uint32_t n = std::min(left, perChunk);
            if (LdrResult r = Put(address, std::span(chunk).first(n * item.size())); r != LDR_OK)
                return r;
            left -= n;
        }
        return LDR_OK;
    }

    void Trailer()
    {
        if (!EnterPart(PART_TRAILER))
            return;
        uint32_t start = 0;
        if (in_.AcceptPair(ASSIGN, LETTER_G) && in_.Accept(OPEN_PAREN) && in_.Number(start) && in_.Accept(CLOSE_PAREN))
            s_.startAddress = start;
    }

    LdrResult DebugPart()
    {
        if (!EnterPart(PART_DEBUG))
            return in_.ReadError() ? LDR_E_READ : LDR_OK;
        const uint32_t at = header_.parts[PART_DEBUG];
        const uint32_t data = header_.parts[PART_DATA];
        DebugContext cx;
        cx.partStart = at;
        // A debug part in front of the data part stops at the data part.
        cx.partEnd = data > at ? std::min<uint64_t>(data, in_.FileSize()) : in_.FileSize();
        cx.toolKind = toolKind_;
        cx.cppNames = toolKind_ == TOOL_KIND_CPP;
        cx.flags = s_.flags;
        cx.mode = s_.mode;
        cx.registers = toolKind_ == 0 || toolKind_ == 6 ? &REGISTERS_19 : &REGISTERS_16;
        cx.codeSection = codeSection_;
        cx.dataSection = dataSection_;
        cx.bigEndian = header_.bigEndian;
        cx.message = [this](uint64_t offset, const std::string& what) { Message("debug part", offset, what); };
        std::vector<uint32_t> thumbCode;
        cx.thumbCode = &thumbCode;
        const LdrResult result = ReadDebugPart(in_, cx);
        // The debugger plants and steps by the instruction set of the code.
        LdrSetThumbCode(thumbCode.data(), static_cast<unsigned>(thumbCode.size() / 2));
        return result;
    }

    void ExternalPart()
    {
        if (!EnterPart(PART_EXTERNAL))
            return;
        const bool cpp = toolKind_ == TOOL_KIND_CPP;
        for (;;) {
            uint32_t index = 0;
            std::string name;
            if (in_.Accept(PUBLIC_NAME)) {
                uint32_t nameIndex = 0;
                uint32_t type = 0;
                uint32_t value = 0;
                uint32_t more = 0;
                uint8_t letter = 0;
                if (!in_.Number(index) || !in_.Name(name) || !in_.AcceptPair(ATTRIBUTE, LETTER_I) ||
                    !in_.Number(nameIndex) || !in_.Number(type))
                    break;
                for (int i = 0; i < 2 && in_.NumberFollows(); ++i)
                    in_.Number(more);
                if (!in_.Accept(ASSIGN) || !in_.Byte(letter) || !in_.Number(nameIndex) || !in_.Number(value))
                    break;
                const std::string_view plain = PlainName(name);
                if (type == CODE_SYMBOL_TYPE)
                    symbols_.AddLabel(cpp ? CodeNameOf(plain) : std::string(plain), value);
                else
                    symbols_.AddDataLabel(value, cpp ? DataNameOf(plain) : std::string(plain), type, dataSection_,
                                          value);
            } else if (in_.Accept(EXTERNAL_NAME) || in_.Accept(LOCAL_NAME)) {
                if (!in_.Number(index) || !in_.Name(name))
                    break;
            } else if (in_.Peek() == ATTRIBUTE) {
                uint32_t attribute = 0;
                uint32_t n = 0;
                if (!Attribute(attribute) || attribute != EXT_ATTRIBUTE_63 || !in_.Number(n) || !in_.Number(n))
                    break;
            } else {
                break;
            }
        }
        if (in_.Failed())
            Message("external part", in_.FaultPosition() - header_.parts[PART_EXTERNAL], in_.Fault());
    }

    LdrResult Fail(LdrResult result)
    {
        if (symbolsBegun_)
            AbandonImageSymbols();
        return result;
    }

    FrontEndState& s_;
    quinar::SymbolStore& symbols_ = quinar::Symbols();
    Ieee695Input in_;
    const std::string& path_;
    const ImageStamp& stamp_;
    TargetWriter writer_;
    ModuleHeader header_;
    uint32_t toolKind_ = 0;
    std::vector<SectionRecord> sections_;
    uint32_t codeSection_ = 0;
    uint32_t dataSection_ = 0;
    bool symbolsBegun_ = false;
};

}  // namespace

LdrResult LoadIeee695(ByteSource& source, const std::string& path, const ImageStamp& stamp,
                      const TargetWriter::Write& write)
{
    return Ieee695Loader(source, path, stamp, write).Run();
}

}  // namespace quentor
