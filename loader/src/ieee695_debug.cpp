#include "ieee695_debug.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "front_state.h"
#include "ieee695_debug_types.h"
#include "ieee695_names.h"
#include "ieee695_records.h"
#include "load_progress.h"
#include "quinar/symbol_store.h"

namespace quentor {

using namespace ieee695;

namespace {

// Block types of the debug part.
enum BlockType : uint32_t {
    BLOCK_TYPES = 1,
    BLOCK_GLOBAL_TYPES = 2,
    BLOCK_MODULE = 3,
    BLOCK_GLOBAL_FUNCTION = 4,
    BLOCK_LINES = 5,
    BLOCK_LOCAL_FUNCTION = 6,
    BLOCK_ASM_MODULE = 10,
    BLOCK_MODULE_SECTION = 11,
};

// Variable attributes.
enum : uint32_t {
    VAR_AUTOMATIC = 1,  // in a module: a position kept for the next variable
    VAR_REGISTER = 2,
    VAR_STATIC = 3,
    VAR_NONE = 4,
    VAR_NO_ADDRESS = 5,
    VAR_LINE = 7,
    VAR_EXTERNAL = 8,
    VAR_REGISTER_RANGE = 9,
    VAR_REGISTER_PARAMETER = 10,
    VAR_COMPILER_NAME = 16,
    VAR_ASSEMBLER = 19,
    VAR_EXTRAS = 62,
    VAR_ASSIGNMENTS = 64,
};

// The frame pointers automatic variables' offsets count from: r11 in ARM
// code, r7 in Thumb code (where gcc keeps its frame pointer; r11 is a high
// register most Thumb instructions cannot reach).
constexpr uint32_t ARM_FRAME_REGISTER = 11;
constexpr uint32_t THUMB_FRAME_REGISTER = 7;

struct BlockHeader {
    uint64_t start = 0;
    uint32_t type = 0;
    uint32_t size = 0;
    std::string name;
    uint64_t end = 0;  // start + size, 0 when the size is unknown
};

void PutUleb(std::vector<uint8_t>& out, uint32_t v)
{
    do {
        const uint8_t b = v & 0x7F;
        v >>= 7;
        out.push_back(v ? b | 0x80 : b);
    } while (v);
}

void PutSleb(std::vector<uint8_t>& out, int32_t v)
{
    for (bool more = true; more;) {
        const uint8_t b = v & 0x7F;
        v >>= 7;
        more = !((v == 0 && !(b & 0x40)) || (v == -1 && (b & 0x40)));
        out.push_back(more ? b | 0x80 : b);
    }
}

class DebugReader {
public:
    DebugReader(Ieee695Input& in, const DebugContext& cx) : in_(in), cx_(cx), types_(in, cx, symbols_) {}

    LdrResult Run()
    {
        in_.SetLimit(cx_.partEnd);
        while (!in_.AtLimit() && fatal_ == LDR_OK) {
            if (in_.Peek() != BLOCK_BEGIN) {
                uint8_t skipped = 0;
                in_.Byte(skipped);
                continue;
            }
            BlockHeader h;
            if (!Header(h)) {
                Report();
                if (fatal_ == LDR_OK)
                    in_.Seek(h.start + 1);
                continue;
            }
            ReadBlock(h, 0);
            if (fatal_ != LDR_OK)
                break;
            FrontState().record.filePosition = in_.Position();
            if (BeforeRecord())
                return LDR_E_USER_ABORT;
        }
        if (in_.ReadError())
            return LDR_E_READ;
        return fatal_;
    }

private:
    // The damage the input holds goes to the load's messages.
    void Report()
    {
        if (in_.ReadError()) {
            fatal_ = LDR_E_READ;
            return;
        }
        if (!in_.Failed())
            return;
        cx_.message(in_.FaultPosition() - std::min(cx_.partStart, in_.FaultPosition()), in_.Fault());
        in_.ClearFault();
    }

    void Complain(LdrResult code, const std::string& what)
    {
        char text[32];
        std::snprintf(text, sizeof text, " (0x%X)", static_cast<unsigned>(code));
        cx_.message(in_.Position() - std::min(cx_.partStart, in_.Position()), what + text);
    }

    bool Header(BlockHeader& h)
    {
        h.start = in_.Position();
        if (!in_.Accept(BLOCK_BEGIN) || !in_.Number(h.type) || !in_.Number(h.size) || !in_.Name(h.name))
            return in_.Fail("block header cut short");
        if (h.size == 0) {
            sizelessSeen_ = true;
            return true;
        }
        h.end = h.start + h.size;
        if (h.end <= in_.Position())
            return in_.Fail("block size ends before its header");
        if (h.end > in_.Limit())
            return in_.Fail("block size past its part");
        return true;
    }

    // Reads a block within its size; false when its end is unknown and the
    // reader that called must give up too.
    bool ReadBlock(const BlockHeader& h, unsigned depth)
    {
        if (depth > MAX_BLOCK_DEPTH) {
            in_.Fail("blocks nested too deep");
            Report();
            return false;
        }
        const uint64_t outer = in_.Limit();
        if (h.end)
            in_.SetLimit(h.end);
        const bool ok = Dispatch(h, depth);
        in_.SetLimit(outer);
        if (!ok)
            Report();
        if (fatal_ != LDR_OK)
            return false;
        if (h.end) {
            if (in_.Position() != h.end && !in_.Seek(h.end))
                fatal_ = LDR_E_READ;
            return fatal_ == LDR_OK;
        }
        return ok;
    }

    bool Dispatch(const BlockHeader& h, unsigned depth)
    {
        switch (h.type) {
        case BLOCK_TYPES: return types_.Block(false);
        case BLOCK_GLOBAL_TYPES: return cx_.toolKind == TOOL_KIND_CPP ? types_.Block(true) : Skip(h);
        case BLOCK_MODULE: return Module(h, depth);
        case BLOCK_GLOBAL_FUNCTION:
        case BLOCK_LOCAL_FUNCTION: return Function(h, depth);
        case BLOCK_LINES: return Lines(h);
        case BLOCK_ASM_MODULE: return AsmModule(h, depth);
        default: return Skip(h);
        }
    }

    // A block of a type not read here: to its end, or past its F9 with the
    // blocks nested in it.
    bool Skip(const BlockHeader& h)
    {
        if (h.end)
            return true;
        unsigned depth = 1;
        uint8_t b = 0;
        while (depth > 0 && in_.Byte(b)) {
            if (b == BLOCK_BEGIN)
                ++depth;
            else if (b == BLOCK_END)
                --depth;
        }
        return depth == 0;
    }

    // The parameters of a record not read here, up to the next record.
    void SkipParameters()
    {
        uint8_t b = 0;
        while (in_.Peek() >= 0 && in_.Peek() < ASSIGN)
            in_.Byte(b);
    }

    bool NestedBlock(unsigned depth)
    {
        BlockHeader inner;
        if (!Header(inner))
            return false;
        return ReadBlock(inner, depth + 1);
    }

    bool Module(const BlockHeader& h, unsigned depth)
    {
        const std::string name = ModuleNameOf(h.name);
        quinar::ModuleOpening how;
        how.position = static_cast<uint32_t>(h.start);
        const quinar::Result<uint32_t> opened = symbols_.OpenModule(name, how);
        if (!opened.ok() && opened.status != SYM_S_MODULE_NO_HANDLE) {
            Complain(LDR_E_MODULE, "module " + name + " cannot be opened");
            return Skip(h);
        }
        low_ = 0xFFFFFFFF;
        high_ = 0;
        bool ok = true;
        while (ok) {
            if (in_.Accept(BLOCK_END))
                break;
            if (in_.Peek() == BLOCK_BEGIN)
                ok = NestedBlock(depth);
            else if (in_.Accept(LOCAL_NAME))
                ok = Variable(false);
            else
                ok = in_.Fail("unexpected record in module " + name);
        }
        symbols_.CloseModule();
        if (low_ <= high_)
            symbols_.SetRange(0, SymRange{low_, high_, 1, 1});
        lastModule_ = opened.value;
        lastModuleName_ = name;
        ++modules_;
        return ok;
    }

    uint32_t Register(uint32_t compilerRegister) const
    {
        const std::vector<int>& map = *cx_.registers;
        if (compilerRegister < map.size() && map[compilerRegister] >= 0)
            return static_cast<uint32_t>(map[compilerRegister]);
        return compilerRegister;
    }

    void AddVariable(const quinar::VariableEntry& v, std::vector<uint8_t> expression, uint32_t low = 0,
                     uint32_t high = 0xFFFFFFFF)
    {
        const quinar::Result<uint32_t> h = symbols_.AddVariable(v);
        if (!h.ok()) {
            if (h.status != SYM_S_VARIABLE_ACCEPTED)
                Complain(LDR_E_SYMBOL_CALL, "variable " + std::string(v.name) + " refused");
            return;
        }
        if (!expression.empty()) {
            const SymLocationPiece piece{low, high, expression.data(), static_cast<uint32_t>(expression.size())};
            symbols_.SetLocationList(h.value, std::span(&piece, 1));
        }
    }

    std::vector<uint8_t> AddressExpression(uint32_t address) const
    {
        std::vector<uint8_t> e{0x03};  // DW_OP_addr
        for (int i = 0; i < 4; ++i)
            e.push_back(static_cast<uint8_t>(address >> (cx_.bigEndian ? 8 * (3 - i) : 8 * i)));
        return e;
    }

    static std::vector<uint8_t> RegisterExpression(uint32_t reg)
    {
        std::vector<uint8_t> e;
        if (reg < 32) {
            e.push_back(static_cast<uint8_t>(0x50 + reg));  // DW_OP_regN
        } else {
            e.push_back(0x90);  // DW_OP_regx
            PutUleb(e, reg);
        }
        return e;
    }

    // A name record and the attribute that describes it.
    bool Variable(bool inFunction)
    {
        uint32_t index = 0;
        std::string name;
        if (!in_.Number(index) || !in_.Name(name))
            return false;
        uint32_t nameIndex = 0;
        uint32_t type = 0;
        uint32_t attribute = 0;
        if (!in_.AcceptPair(ATTRIBUTE, LETTER_N))
            return true;  // a name alone
        if (!in_.Number(nameIndex) || !in_.Number(type) || !in_.Number(attribute))
            return false;
        quinar::VariableEntry v;
        v.name = name;
        v.type = types_.Shift(type);
        uint32_t n = 0;
        switch (attribute) {
        case VAR_AUTOMATIC:
            if (!in_.Number(n))
                return false;
            if (inFunction) {
                v.location[0] = n;
                std::vector<uint8_t> e{static_cast<uint8_t>(0x70 + frameRegister_)};  // DW_OP_bregN
                PutSleb(e, static_cast<int32_t>(n));
                AddVariable(v, std::move(e));
            }
            return true;
        case VAR_REGISTER:
        case VAR_REGISTER_PARAMETER: {
            if (!in_.Number(n))
                return false;
            v.isRegister = true;
            v.location[0] = Register(n);
            if (inFunction && attribute == VAR_REGISTER) {
                if (n >= cx_.registers->size())
                    Complain(LDR_E_REGISTER, "register " + std::to_string(n) + " of " + name + " has no list");
                else
                    registerLists_[n].push_back(name);
            }
            AddVariable(v, RegisterExpression(v.location[0]));
            return true;
        }
        case VAR_REGISTER_RANGE: {
            uint32_t lowPc = 0;
            uint32_t highPc = 0;
            if (!in_.Number(n) || !in_.Number(lowPc) || !in_.Number(highPc))
                return false;
            v.isRegister = true;
            v.location[0] = Register(n);
            AddVariable(v, RegisterExpression(v.location[0]), lowPc, highPc);
            return true;
        }
        case VAR_STATIC:
        case VAR_EXTERNAL: {
            uint32_t address = 0;
            if (!in_.AcceptPair(ASSIGN, LETTER_N) || !in_.Number(nameIndex) || !in_.Number(address))
                return in_.Fail("variable " + name + " without its address");
            v.storage = attribute == VAR_STATIC ? SYM_STORAGE_STATIC : SYM_STORAGE_EXTERNAL;
            v.location[1] = address;
            AddVariable(v, AddressExpression(address));
            return true;
        }
        case VAR_NONE: return true;
        case VAR_NO_ADDRESS:
        case VAR_EXTRAS:
            SkipParameters();
            AddVariable(v, {});
            return true;
        case VAR_COMPILER_NAME: return in_.Name(compilerName_);
        default: SkipParameters(); return !in_.Failed();
        }
    }

    bool Function(const BlockHeader& h, unsigned depth)
    {
        uint32_t frameSize = 0;
        uint32_t typeIndex = 0;
        uint32_t address = 0;
        if (!in_.Number(frameSize) || !in_.Number(typeIndex) || !in_.Number(address))
            return false;
        // A code address with bit 0 set is Thumb code (ARM's interworking
        // address, as ELF gives Thumb functions): the function starts at the
        // even address and its automatics count from r7.
        const bool thumb = (address & 1) != 0;
        address &= ~1u;
        uint32_t end = address;
        if (h.end && !EndAddressAt(h.end, end))
            return false;
        const std::string name = cx_.cppNames ? CodeNameOf(h.name) : h.name;
        const uint32_t type = types_.Shift(typeIndex);
        const quinar::Result<quinar::TypeInfo> t = symbols_.Type(type);
        const uint32_t procType = t.ok() && t->code == SYM_TYPE_PROC ? type : 0;
        const SymModuleDesc range{cx_.codeSection, address, end};
        if (symbols_.AddFunction(name, h.type == BLOCK_LOCAL_FUNCTION, range, procType) != SYM_OK) {
            Complain(LDR_E_FUNCTION, "function " + name + " refused");
            return Skip(h);
        }
        for (auto& list : registerLists_)
            list.clear();
        const uint32_t outerFrameRegister = frameRegister_;
        frameRegister_ = thumb ? THUMB_FRAME_REGISTER : ARM_FRAME_REGISTER;
        bool ok = true;
        for (;;) {
            if (in_.Accept(BLOCK_END)) {
                uint32_t given = 0;
                ok = in_.Number(given);
                if (ok && !h.end)
                    end = given;
                break;
            }
            if (in_.Peek() == BLOCK_BEGIN)
                ok = NestedBlock(depth);
            else if (in_.Accept(LOCAL_NAME))
                ok = Variable(true);
            else
                ok = in_.Fail("unexpected record in function " + name);
            if (!ok)
                break;
        }
        symbols_.EndSymbolBlock();
        frameRegister_ = outerFrameRegister;
        if (end >= address) {
            // A block of unknown size learnt its end only now.
            if (!h.end) {
                const quinar::Result<quinar::AddressInfo> at = symbols_.CodeAt(address);
                if (at.ok() && at->kind == SYM_KIND_FUNCTION && at->start == address)
                    symbols_.SetRange(at->handle, SymRange{address, end, 1, 1});
            }
            low_ = std::min(low_, address);
            high_ = std::max(high_, end);
            if (thumb && cx_.thumbCode) {
                cx_.thumbCode->push_back(address);
                cx_.thumbCode->push_back(end);
            }
        }
        return ok;
    }

    // A block of known size: its end address lies seven bytes before its end
    // (F9 and a five-byte number).
    bool EndAddressAt(uint64_t blockEnd, uint32_t& end)
    {
        const uint64_t back = in_.Position();
        if (blockEnd < back + 7)
            return in_.Fail("end address outside its block");
        uint32_t given = 0;
        if (!in_.Seek(blockEnd - 7) || !in_.Accept(BLOCK_END) || !in_.Number(given))
            return in_.Fail("no end address seven bytes before the block end");
        end = given;
        return in_.Seek(back);
    }

    bool Lines(const BlockHeader& h)
    {
        if ((cx_.mode != 0 && !sizelessSeen_) || lastModule_ == 0)
            return Skip(h);
        symbols_.SetModuleAttr(lastModule_, h.name);
        if (symbols_.BeginLineTable(lastModule_) != SYM_OK) {
            Complain(LDR_E_LINE_TABLE, "no line table for " + lastModuleName_);
            return Skip(h);
        }
        uint32_t lastLine = 0;
        bool ok = true;
        for (;;) {
            if (in_.Accept(BLOCK_END))
                break;
            uint32_t index = 0;
            uint32_t type = 0;
            uint32_t attribute = 0;
            std::string name;
            if (in_.Accept(LOCAL_NAME)) {
                ok = in_.Number(index) && in_.Name(name);
            } else if (in_.AcceptPair(ATTRIBUTE, LETTER_N)) {
                ok = in_.Number(index) && in_.Number(type) && in_.Number(attribute);
                if (ok && attribute == VAR_LINE) {
                    uint32_t line = 0;
                    uint32_t column = 0;
                    uint32_t address = 0;
                    ok = in_.Number(line) && in_.Number(column) && in_.AcceptPair(ASSIGN, LETTER_N) &&
                        in_.Number(index) && in_.Number(address);
                    if (ok && (cx_.toolKind != TOOL_KIND_LINES_GROW || line > lastLine)) {
                        symbols_.AddLineRow(line, column, address);
                        lastLine = line;
                    }
                } else if (ok) {
                    SkipParameters();
                }
            } else {
                ok = in_.Fail("source-line block without its end");
            }
            if (!ok)
                break;
        }
        if (symbols_.EndLineTable() == SYM_S_LINE_TABLE_ENDED)
            (void)symbols_.SourceFileName(lastModule_);
        return ok;
    }

    // An assembler module opens a module of its own when LOAD_ASM_MODULES is
    // set or its name differs from the module before; else its symbols join
    // that module.
    bool AsmModule(const BlockHeader& h, unsigned depth)
    {
        const std::string name = ModuleNameOf(h.name);
        const bool own = (cx_.flags & LOAD_ASM_MODULES) || name != lastModuleName_ || lastModule_ == 0;
        quinar::ModuleOpening how;
        how.position = static_cast<uint32_t>(h.start);
        if (own) {
            const quinar::Result<uint32_t> opened = symbols_.OpenModule(name, how);
            if (!opened.ok() && opened.status != SYM_S_MODULE_NO_HANDLE) {
                Complain(LDR_E_ASM_MODULE, "assembler module " + name + " cannot be opened");
                return Skip(h);
            }
            lastModule_ = opened.value;
            lastModuleName_ = name;
            ++modules_;
        } else if (symbols_.ReopenModule(lastModule_, name, how) != SYM_OK) {
            Complain(LDR_E_ASM_MODULE, "assembler module " + name + " cannot be opened");
            return Skip(h);
        }
        bool ok = true;
        while (ok) {
            if (in_.Accept(BLOCK_END))
                break;
            if (in_.Peek() == BLOCK_BEGIN)
                ok = ModuleSection(depth);
            else if (in_.Accept(LOCAL_NAME))
                ok = AsmSymbol();
            else
                ok = in_.Fail("unexpected record in assembler module " + name);
        }
        symbols_.CloseModule();
        return ok;
    }

    bool AsmSymbol()
    {
        uint32_t index = 0;
        uint32_t type = 0;
        uint32_t attribute = 0;
        std::string name;
        if (!in_.Number(index) || !in_.Name(name))
            return false;
        if (!in_.AcceptPair(ATTRIBUTE, LETTER_N))
            return true;
        if (!in_.Number(index) || !in_.Number(type) || !in_.Number(attribute))
            return false;
        if (attribute != VAR_ASSEMBLER) {
            SkipParameters();
            return !in_.Failed();
        }
        uint32_t address = 0;
        if (!in_.AcceptPair(ASSIGN, LETTER_N) || !in_.Number(index) || !in_.Number(address))
            return in_.Fail("assembler symbol " + name + " without its address");
        if (type != CODE_SYMBOL_TYPE) {
            quinar::VariableEntry v;
            v.name = name;
            v.storage = SYM_STORAGE_STATIC;
            v.location[1] = address;
            AddVariable(v, AddressExpression(address));
        }
        return true;
    }

    // A module-section block: the code range of its assembler module.
    bool ModuleSection(unsigned depth)
    {
        BlockHeader h;
        if (!Header(h))
            return false;
        if (h.type != BLOCK_MODULE_SECTION)
            return ReadBlock(h, depth + 1);
        uint32_t section = 0;
        uint32_t low = 0;
        uint32_t size = 0;
        if (!in_.Number(section) || !in_.Number(low) || !in_.Number(size) || !in_.Accept(BLOCK_END))
            return in_.Fail("module-section block damaged");
        if (size != 0)
            symbols_.SetRange(0, SymRange{low, low + size - 1, 1, 1});
        if (h.end && in_.Position() != h.end)
            return in_.Seek(h.end);
        return true;
    }

    Ieee695Input& in_;
    const DebugContext& cx_;
    quinar::SymbolStore& symbols_ = quinar::Symbols();
    DebugTypes types_;
    LdrResult fatal_ = LDR_OK;
    bool sizelessSeen_ = false;
    uint32_t lastModule_ = 0;
    std::string lastModuleName_;
    uint32_t modules_ = 0;
    uint32_t low_ = 0xFFFFFFFF;
    uint32_t high_ = 0;
    std::string compilerName_;
    std::array<std::vector<std::string>, 32> registerLists_;
    uint32_t frameRegister_ = ARM_FRAME_REGISTER;
};

}  // namespace

LdrResult ReadDebugPart(Ieee695Input& in, const DebugContext& cx)
{
    return DebugReader(in, cx).Run();
}

}  // namespace quentor
