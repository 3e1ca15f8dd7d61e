#include "expression_text.h"

#include <cstdio>

namespace quinar {

namespace {

class Reader {
public:
    Reader(const uint8_t* p, uint32_t n) : p_(p), n_(n) {}
    bool More() const { return ok_ && at_ < n_; }
    bool Ok() const { return ok_; }
    uint32_t At() const { return at_; }
    uint8_t U8() { return at_ < n_ ? p_[at_++] : Fail(); }
    uint64_t Fixed(unsigned width)
    {
        // Target expressions are little-endian on every image the listing
        // is used for; the value is shown, not used.
        uint64_t v = 0;
        for (unsigned i = 0; i < width; ++i)
            v |= uint64_t{U8()} << (8 * i);
        return v;
    }
    uint64_t ULeb()
    {
        uint64_t v = 0;
        for (unsigned shift = 0; ok_; shift += 7) {
            uint8_t b = U8();
            if (shift < 64)
                v |= uint64_t{b & 0x7Fu} << shift;
            if (!(b & 0x80))
                break;
        }
        return v;
    }
    int64_t SLeb()
    {
        uint64_t v = 0;
        unsigned shift = 0;
        uint8_t b = 0;
        do {
            b = U8();
            if (shift < 64)
                v |= uint64_t{b & 0x7Fu} << shift;
            shift += 7;
        } while (ok_ && (b & 0x80));
        if (shift < 64 && (b & 0x40))
            v |= ~uint64_t{0} << shift;
        return static_cast<int64_t>(v);
    }

private:
    uint8_t Fail()
    {
        ok_ = false;
        return 0;
    }
    const uint8_t* p_;
    uint32_t n_;
    uint32_t at_ = 0;
    bool ok_ = true;
};

std::string Signed(int64_t v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%+lld", static_cast<long long>(v));
    return text;
}

std::string Unsigned(uint64_t v)
{
    return std::to_string(v);
}

std::string Hex(uint64_t v)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(v));
    return text;
}

const char* PlainName(uint8_t op)
{
    switch (op) {
    case 0x06: return "deref";
    case 0x12: return "dup";
    case 0x13: return "drop";
    case 0x14: return "over";
    case 0x16: return "swap";
    case 0x1A: return "and";
    case 0x1C: return "minus";
    case 0x1E: return "mul";
    case 0x1F: return "neg";
    case 0x20: return "not";
    case 0x21: return "or";
    case 0x22: return "plus";
    case 0x24: return "shl";
    case 0x25: return "shr";
    case 0x26: return "shra";
    case 0x27: return "xor";
    case 0x96: return "nop";
    case 0x9C: return "call_frame_cfa";
    case 0x9F: return "stack_value";
    default: return nullptr;
    }
}

}  // namespace

std::string ExpressionText(const uint8_t* expr, uint32_t length)
{
    Reader r(expr, length);
    std::string text;
    while (r.More()) {
        const uint32_t start = r.At();
        const uint8_t op = r.U8();
        std::string one;
        if (op >= 0x30 && op <= 0x4F) {
            one = "lit" + Unsigned(op - 0x30);
        } else if (op >= 0x50 && op <= 0x6F) {
            one = "reg" + Unsigned(op - 0x50);
        } else if (op >= 0x70 && op <= 0x8F) {
            one = "breg" + Unsigned(op - 0x70) + " " + Signed(r.SLeb());
        } else if (const char* name = PlainName(op)) {
            one = name;
        } else {
            switch (op) {
            case 0x03: one = "addr " + Hex(r.Fixed(4)); break;
            case 0x08: one = "const1u " + Unsigned(r.U8()); break;
            case 0x09: one = "const1s " + Signed(static_cast<int8_t>(r.U8())); break;
            case 0x0A: one = "const2u " + Unsigned(r.Fixed(2)); break;
            case 0x0B: one = "const2s " + Signed(static_cast<int16_t>(r.Fixed(2))); break;
            case 0x0C: one = "const4u " + Unsigned(r.Fixed(4)); break;
            case 0x0D: one = "const4s " + Signed(static_cast<int32_t>(r.Fixed(4))); break;
            case 0x10: one = "constu " + Unsigned(r.ULeb()); break;
            case 0x11: one = "consts " + Signed(r.SLeb()); break;
            case 0x23: one = "plus_uconst " + Unsigned(r.ULeb()); break;
            case 0x90: one = "regx " + Unsigned(r.ULeb()); break;
            case 0x91: one = "fbreg " + Signed(r.SLeb()); break;
            case 0x92: {
                const uint64_t reg = r.ULeb();
                one = "bregx " + Unsigned(reg) + " " + Signed(r.SLeb());
                break;
            }
            case 0x93: one = "piece " + Unsigned(r.ULeb()); break;
            case 0x94: one = "deref_size " + Unsigned(r.U8()); break;
            default: {
                // An operation not named here: its bytes, and the rest of the
                // expression with them (the operand sizes are not known).
                one = "bytes";
                for (uint32_t i = start; i < length; ++i) {
                    char b[4];
                    std::snprintf(b, sizeof b, " %02x", expr[i]);
                    one += b;
                }
                if (!text.empty())
                    text += ", ";
                return text + one;
            }
            }
        }
        if (!r.Ok())
            one += " (cut)";
        if (!text.empty())
            text += ", ";
        text += one;
    }
    return text.empty() ? "empty" : text;
}

}  // namespace quinar
