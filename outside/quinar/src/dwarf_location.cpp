// The DWARF 2 expression machine for locations at a stop.
#include "dwarf_location.h"

#include <vector>

namespace quinar {

namespace {

// DWARF 2 operation codes (the standard's numbers).
enum : uint8_t {
    OP_addr = 0x03,
    OP_deref = 0x06,
    OP_const1u = 0x08,
    OP_const1s,
    OP_const2u,
    OP_const2s,
    OP_const4u,
    OP_const4s,
    OP_const8u,
    OP_const8s,
    OP_constu,
    OP_consts,
    OP_dup,
    OP_drop,
    OP_over,
    OP_pick,
    OP_swap,
    OP_rot,
    OP_xderef,
    OP_abs,
    OP_and,
    OP_div,
    OP_minus,
    OP_mod,
    OP_mul,
    OP_neg,
    OP_not,
    OP_or,
    OP_plus,
    OP_plus_uconst,
    OP_shl,
    OP_shr,
    OP_shra,
    OP_xor,
    OP_bra,
    OP_eq,
    OP_ge,
    OP_gt,
    OP_le,
    OP_lt,
    OP_ne,
    OP_skip,
    OP_lit0 = 0x30,
    OP_lit31 = 0x4f,
    OP_reg0 = 0x50,
    OP_reg31 = 0x6f,
    OP_breg0 = 0x70,
    OP_breg31 = 0x8f,
    OP_regx = 0x90,
    OP_fbreg = 0x91,
    OP_bregx = 0x92,
    OP_piece = 0x93,
    OP_deref_size = 0x94,
    OP_xderef_size = 0x95,
    OP_nop = 0x96,
};

constexpr size_t kMaxStack = 64;
constexpr int kMaxSteps = 10000;  // a branch loop ends here

class Cursor {
public:
    Cursor(const uint8_t* bytes, uint32_t length, bool bigEndian)
        : bytes_(bytes), length_(length), bigEndian_(bigEndian)
    {}
    bool AtEnd() const { return pos_ >= length_; }
    bool Ok() const { return ok_; }
    uint32_t Pos() const { return pos_; }
    bool Seek(int64_t to)
    {
        if (to < 0 || to > length_)
            return ok_ = false;
        pos_ = static_cast<uint32_t>(to);
        return true;
    }
    uint8_t U8() { return static_cast<uint8_t>(Fixed(1)); }
    // An operand of n bytes in the image's byte order (8-byte ones keep
    // their low 32 bits).
    uint32_t Fixed(uint32_t n)
    {
        if (length_ - pos_ < n || pos_ > length_) {
            ok_ = false;
            return 0;
        }
        uint64_t v = 0;
        for (uint32_t i = 0; i < n; ++i) {
            const uint8_t b = bytes_[pos_ + (bigEndian_ ? i : n - 1 - i)];
            v = (v << 8) | b;
        }
        pos_ += n;
        return static_cast<uint32_t>(v);
    }
    uint32_t ULeb() { return static_cast<uint32_t>(Leb(false)); }
    int32_t SLeb() { return static_cast<int32_t>(static_cast<uint32_t>(Leb(true))); }

private:
    uint64_t Leb(bool isSigned)
    {
        uint64_t v = 0;
        unsigned shift = 0;
        uint8_t b = 0;
        do {
            if (pos_ >= length_) {
                ok_ = false;
                return 0;
            }
            b = bytes_[pos_++];
            if (shift < 64)
                v |= uint64_t{b & 0x7Fu} << shift;
            shift += 7;
        } while (b & 0x80);
        if (isSigned && shift < 64 && (b & 0x40))
            v |= ~uint64_t{0} << shift;
        return v;
    }

    const uint8_t* bytes_;
    uint32_t length_;
    bool bigEndian_;
    uint32_t pos_ = 0;
    bool ok_ = true;
};

class Machine {
public:
    Machine(const uint8_t* expr, uint32_t length, const DwarfMachine& m) : c_(expr, length, m.bigEndian), m_(m)
    {
        if (m.pushInitial)
            stack_.push_back(m.initial);
    }

    // A simple location in *out; with `pieces`, a composite one (each
    // DW_OP_piece ends the simple location before it) there instead.
    SymResult Run(DwarfLocation* out, std::vector<DwarfPiece>* pieces)
    {
        if (c_.AtEnd())
            return SYM_E_NO_VALUE;
        bool composite = false;
        for (int steps = 0; !c_.AtEnd(); ++steps) {
            if (steps > kMaxSteps)
                return SYM_E_NO_VALUE;
            const uint8_t op = c_.U8();
            // A register location ends the expression or the piece.
            if ((op >= OP_reg0 && op <= OP_reg31) || op == OP_regx) {
                const uint32_t reg = op == OP_regx ? c_.ULeb() : op - OP_reg0;
                if (!c_.Ok())
                    return SYM_E_NO_VALUE;
                if (c_.AtEnd() && !composite) {
                    *out = {true, reg};
                    return SYM_OK;
                }
                if (c_.AtEnd() || c_.U8() != OP_piece || !pieces)
                    return SYM_E_NO_VALUE;
                if (!Piece(DwarfPiece::Register, reg, pieces))
                    return SYM_E_NO_VALUE;
                composite = true;
                continue;
            }
            if (op == OP_piece) {
                // Nothing computed before the piece: that part of the
                // object is optimised out.
                const bool missing = stack_.empty();
                if (!pieces ||
                    !Piece(missing ? DwarfPiece::Missing : DwarfPiece::Memory, missing ? 0 : stack_.back(), pieces))
                    return SYM_E_NO_VALUE;
                composite = true;
                continue;
            }
            if (!Step(op) || !c_.Ok())
                return SYM_E_NO_VALUE;
        }
        if (composite)
            return stack_.empty() ? SYM_OK : SYM_E_NO_VALUE;  // operations after the last piece
        if (stack_.empty())
            return SYM_E_NO_VALUE;
        *out = {false, stack_.back()};
        return SYM_OK;
    }

private:
    // The piece's size follows; the next piece starts from an empty stack.
    bool Piece(DwarfPiece::Kind kind, uint32_t where, std::vector<DwarfPiece>* pieces)
    {
        const uint32_t size = c_.ULeb();
        if (!c_.Ok() || size == 0 || pieces->size() >= kMaxStack)
            return false;
        pieces->push_back({kind, where, size});
        stack_.clear();
        return true;
    }
    bool Push(uint32_t v)
    {
        if (stack_.size() >= kMaxStack)
            return false;
        stack_.push_back(v);
        return true;
    }
    bool Pop(uint32_t* v)
    {
        if (stack_.empty())
            return false;
        *v = stack_.back();
        stack_.pop_back();
        return true;
    }
    bool Register(uint32_t reg, int32_t offset)
    {
        uint32_t v = 0;
        return m_.readRegister && m_.readRegister(reg, &v) == SYM_OK && Push(v + static_cast<uint32_t>(offset));
    }
    bool Binary(uint8_t op)
    {
        uint32_t b = 0, a = 0;
        if (!Pop(&b) || !Pop(&a))
            return false;
        const auto sa = static_cast<int32_t>(a), sb = static_cast<int32_t>(b);
        switch (op) {
        case OP_and: return Push(a & b);
        case OP_div:
            if (b == 0 || (sa == INT32_MIN && sb == -1))
                return false;
            return Push(static_cast<uint32_t>(sa / sb));
        case OP_minus: return Push(a - b);
        case OP_mod:
            if (b == 0)
                return false;
            return Push(a % b);
        case OP_mul: return Push(a * b);
        case OP_or: return Push(a | b);
        case OP_plus: return Push(a + b);
        case OP_shl: return Push(b >= 32 ? 0 : a << b);
        case OP_shr: return Push(b >= 32 ? 0 : a >> b);
        case OP_shra: return Push(static_cast<uint32_t>(b >= 32 ? (sa < 0 ? -1 : 0) : sa >> b));
        case OP_xor: return Push(a ^ b);
        case OP_eq: return Push(sa == sb);
        case OP_ge: return Push(sa >= sb);
        case OP_gt: return Push(sa > sb);
        case OP_le: return Push(sa <= sb);
        case OP_lt: return Push(sa < sb);
        case OP_ne: return Push(sa != sb);
        default: return false;
        }
    }
    bool Deref(uint32_t size)
    {
        uint32_t address = 0, v = 0;
        if (size == 0 || size > 4 || !Pop(&address) || !m_.readMemory)
            return false;
        return m_.readMemory(address, size, &v) == SYM_OK && Push(v);
    }

    bool Step(uint8_t op)
    {
        uint32_t a = 0, b = 0, c = 0;
        if (op >= OP_lit0 && op <= OP_lit31)
            return Push(op - OP_lit0);
        if (op >= OP_breg0 && op <= OP_breg31)
            return Register(op - OP_breg0, c_.SLeb());
        switch (op) {
        case OP_addr: return Push(c_.Fixed(4));
        case OP_deref: return Deref(4);
        case OP_deref_size: return Deref(c_.U8());
        case OP_const1u: return Push(c_.Fixed(1));
        case OP_const1s: return Push(static_cast<uint32_t>(static_cast<int8_t>(c_.Fixed(1))));
        case OP_const2u: return Push(c_.Fixed(2));
        case OP_const2s: return Push(static_cast<uint32_t>(static_cast<int16_t>(c_.Fixed(2))));
        case OP_const4u:
        case OP_const4s: return Push(c_.Fixed(4));
        case OP_const8u:
        case OP_const8s: return Push(c_.Fixed(8));
        case OP_constu: return Push(c_.ULeb());
        case OP_consts: return Push(static_cast<uint32_t>(c_.SLeb()));
        case OP_dup: return !stack_.empty() && Push(stack_.back());
        case OP_drop: return Pop(&a);
        case OP_over: return stack_.size() >= 2 && Push(stack_[stack_.size() - 2]);
        case OP_pick: {
            const uint32_t n = c_.Fixed(1);
            return n < stack_.size() && Push(stack_[stack_.size() - 1 - n]);
        }
        case OP_swap:
            if (!Pop(&a) || !Pop(&b))
                return false;
            return Push(a) && Push(b);
        case OP_rot:
            if (!Pop(&a) || !Pop(&b) || !Pop(&c))
                return false;
            return Push(a) && Push(c) && Push(b);
        case OP_abs:
            if (!Pop(&a))
                return false;
            return Push(static_cast<int32_t>(a) < 0 ? 0u - a : a);
        case OP_neg:
            if (!Pop(&a))
                return false;
            return Push(0u - a);
        case OP_not:
            if (!Pop(&a))
                return false;
            return Push(~a);
        case OP_plus_uconst:
            if (!Pop(&a))
                return false;
            return Push(a + c_.ULeb());
        case OP_skip: {
            const int32_t offset = static_cast<int16_t>(c_.Fixed(2));
            return c_.Ok() && c_.Seek(int64_t{c_.Pos()} + offset);
        }
        case OP_bra: {
            const int32_t offset = static_cast<int16_t>(c_.Fixed(2));
            if (!c_.Ok() || !Pop(&a))
                return false;
            return a == 0 || c_.Seek(int64_t{c_.Pos()} + offset);
        }
        case OP_fbreg: {
            const int32_t offset = c_.SLeb();
            uint32_t base = 0;
            return m_.frameBase && m_.frameBase(&base) == SYM_OK && Push(base + static_cast<uint32_t>(offset));
        }
        case OP_bregx: {
            const uint32_t reg = c_.ULeb();
            return Register(reg, c_.SLeb());
        }
        case OP_nop: return true;
        case OP_and:
        case OP_div:
        case OP_minus:
        case OP_mod:
        case OP_mul:
        case OP_or:
        case OP_plus:
        case OP_shl:
        case OP_shr:
        case OP_shra:
        case OP_xor:
        case OP_eq:
        case OP_ge:
        case OP_gt:
        case OP_le:
        case OP_lt:
        case OP_ne: return Binary(op);
        default: return false;  // xderef, and operations of later versions
        }
    }

    Cursor c_;
    const DwarfMachine& m_;
    std::vector<uint32_t> stack_;
};

}  // namespace

SymResult EvaluateDwarfLocation(const uint8_t* expr, uint32_t length, const DwarfMachine& machine,
                                DwarfLocation* location)
{
    if (!expr || !location)
        return SYM_E_NO_VALUE;
    return Machine(expr, length, machine).Run(location, nullptr);
}

SymResult EvaluateDwarfPieces(const uint8_t* expr, uint32_t length, const DwarfMachine& machine,
                              DwarfLocation* location, std::vector<DwarfPiece>* pieces)
{
    if (!expr || !location || !pieces)
        return SYM_E_NO_VALUE;
    pieces->clear();
    return Machine(expr, length, machine).Run(location, pieces);
}

SymResult EvaluateDwarfFrameBase(const uint8_t* expr, uint32_t length, const DwarfMachine& machine, uint32_t* base)
{
    DwarfLocation at;
    // A frame base that counts from itself has none.
    DwarfMachine inner = machine;
    inner.frameBase = nullptr;
    if (SymResult r = EvaluateDwarfLocation(expr, length, inner, &at); r != SYM_OK)
        return r;
    if (!at.inRegister) {
        *base = at.where;
        return SYM_OK;
    }
    return machine.readRegister ? machine.readRegister(at.where, base) : SYM_E_NO_VALUE;
}

}  // namespace quinar
