// The built-in functions and constants of the language.
#include <chrono>
#include <cmath>
#include <ctime>
#include <unordered_map>

#include "interp.h"
#include "platform/connection.h"
#include "platform/modal_ui.h"

namespace zk::script {

namespace {

enum Id {
    kMsgBox,
    kInputBox,
    kLen,
    kLeft,
    kRight,
    kMid,
    kInStr,
    kInStrRev,
    kReplace,
    kUCase,
    kLCase,
    kTrim,
    kLTrim,
    kRTrim,
    kSplit,
    kJoin,
    kChr,
    kAsc,
    kSpace,
    kString,
    kStrComp,
    kCStr,
    kCInt,
    kCLng,
    kCByte,
    kCBool,
    kCDbl,
    kCDate,
    kCSng,
    kHex,
    kOct,
    kIsEmpty,
    kIsNull,
    kIsNumeric,
    kIsObject,
    kIsArray,
    kIsDate,
    kTypeName,
    kVarType,
    kUBound,
    kLBound,
    kArray,
    kInt,
    kFix,
    kAbs,
    kSgn,
    kRound,
    kRnd,
    kRandomize,
    kNow,
    kDate,
    kTime,
    kTimer,
    kCreateObject,
    kStrReverse,
    kConst,
};

struct Builtin {
    const char* name;
    int id;
    int minArgs, maxArgs;
};

const Builtin kBuiltins[] = {
    {"msgbox", kMsgBox, 1, 5},
    {"inputbox", kInputBox, 1, 7},
    {"len", kLen, 1, 1},
    {"left", kLeft, 2, 2},
    {"right", kRight, 2, 2},
    {"mid", kMid, 2, 3},
    {"instr", kInStr, 2, 4},
    {"instrrev", kInStrRev, 2, 4},
    {"replace", kReplace, 3, 6},
    {"ucase", kUCase, 1, 1},
    {"lcase", kLCase, 1, 1},
    {"trim", kTrim, 1, 1},
    {"ltrim", kLTrim, 1, 1},
    {"rtrim", kRTrim, 1, 1},
    {"split", kSplit, 1, 4},
    {"join", kJoin, 1, 2},
    {"chr", kChr, 1, 1},
    {"asc", kAsc, 1, 1},
    {"space", kSpace, 1, 1},
    {"string", kString, 2, 2},
    {"strcomp", kStrComp, 2, 3},
    {"cstr", kCStr, 1, 1},
    {"cint", kCInt, 1, 1},
    {"clng", kCLng, 1, 1},
    {"cbyte", kCByte, 1, 1},
    {"cbool", kCBool, 1, 1},
    {"cdbl", kCDbl, 1, 1},
    {"cdate", kCDate, 1, 1},
    {"csng", kCSng, 1, 1},
    {"hex", kHex, 1, 1},
    {"oct", kOct, 1, 1},
    {"isempty", kIsEmpty, 1, 1},
    {"isnull", kIsNull, 1, 1},
    {"isnumeric", kIsNumeric, 1, 1},
    {"isobject", kIsObject, 1, 1},
    {"isarray", kIsArray, 1, 1},
    {"isdate", kIsDate, 1, 1},
    {"typename", kTypeName, 1, 1},
    {"vartype", kVarType, 1, 1},
    {"ubound", kUBound, 1, 2},
    {"lbound", kLBound, 1, 2},
    {"array", kArray, 0, 1 << 20},
    {"int", kInt, 1, 1},
    {"fix", kFix, 1, 1},
    {"abs", kAbs, 1, 1},
    {"sgn", kSgn, 1, 1},
    {"round", kRound, 1, 2},
    {"rnd", kRnd, 0, 1},
    {"randomize", kRandomize, 0, 1},
    {"now", kNow, 0, 0},
    {"date", kDate, 0, 0},
    {"time", kTime, 0, 0},
    {"timer", kTimer, 0, 0},
    {"createobject", kCreateObject, 1, 2},
    {"strreverse", kStrReverse, 1, 1},
};

struct Constant {
    const char* name;
    int value;  // strings below
};

const Constant kConstants[] = {
    {"vbokonly", 0},
    {"vbokcancel", 1},
    {"vbabortretryignore", 2},
    {"vbyesnocancel", 3},
    {"vbyesno", 4},
    {"vbretrycancel", 5},
    {"vbcritical", 16},
    {"vbquestion", 32},
    {"vbexclamation", 48},
    {"vbinformation", 64},
    {"vbdefaultbutton1", 0},
    {"vbdefaultbutton2", 256},
    {"vbdefaultbutton3", 512},
    {"vbok", 1},
    {"vbcancel", 2},
    {"vbabort", 3},
    {"vbretry", 4},
    {"vbignore", 5},
    {"vbyes", 6},
    {"vbno", 7},
    {"vbbinarycompare", 0},
    {"vbtextcompare", 1},
    {"vbempty", 0},
    {"vbnull", 1},
    {"vbinteger", 2},
    {"vblong", 3},
    {"vbsingle", 4},
    {"vbdouble", 5},
    {"vbdate", 7},
    {"vbstring", 8},
    {"vbobject", 9},
    {"vberror", 10},
    {"vbboolean", 11},
    {"vbvariant", 12},
    {"vbbyte", 17},
    {"vbarray", 8192},
    {"vbobjecterror", static_cast<int>(0x80040000)},
};

const std::unordered_map<std::string, int>& Table()
{
    static const std::unordered_map<std::string, int> table = [] {
        std::unordered_map<std::string, int> t;
        for (const Builtin& b : kBuiltins)
            t.emplace(b.name, b.id);
        int i = 0;
        for (const Constant& c : kConstants)
            t.emplace(c.name, 1000 + i++);
        for (const char* s : {"vbcrlf", "vbcr", "vblf", "vbtab", "vbnullstring", "vbnewline", "vbnullchar"})
            t.emplace(s, 2000 + i++);
        return t;
    }();
    return table;
}

const Value& A(std::vector<Arg>& args, size_t i)
{
    return args[i].ref ? *args[i].ref : args[i].value;
}
bool Given(std::vector<Arg>& args, size_t i)
{
    return i < args.size() && A(args, i).vt != VT_ERROR;
}
bool IsNull(const Value& v)
{
    return v.vt == VT_NULL;
}

Value Text(std::string s)
{
    if (s.size() > StringLimit())
        Throw(14);
    return Value::Str(s);
}

std::string Upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

size_t Find(const std::string& hay, const std::string& needle, size_t from, bool text)
{
    if (!text)
        return hay.find(needle, from);
    return Lower(hay).find(Lower(needle), from);
}
size_t FindLast(const std::string& hay, const std::string& needle, size_t from, bool text)
{
    if (!text)
        return hay.rfind(needle, from);
    return Lower(hay).rfind(Lower(needle), from);
}

int32_t NonNegative(const Value& v)
{
    int32_t n = ToLong(v);
    if (n < 0)
        Throw(5);
    return n;
}

Value MakeArray(std::vector<Value> items)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items.size()));
    if (!a)
        Throw(7);
    for (size_t i = 0; i < items.size(); ++i) {
        LONG idx = static_cast<LONG>(i);
        SafeArrayPutElement(a, &idx, &items[i]);
    }
    Value r;
    r.vt = VT_ARRAY | VT_VARIANT;
    r.parray = a;
    return r;
}

std::string Radix(const Value& v, int bits, int base)
{
    int32_t n = ToLong(v);
    uint32_t u = static_cast<uint32_t>(n);
    if (bits == 16 && n < 0 && n >= -32768)
        u &= 0xFFFF;
    if (u == 0)
        return "0";
    std::string s;
    while (u) {
        s.insert(s.begin(), "0123456789ABCDEF"[u % base]);
        u /= base;
    }
    return s;
}

double NowDays()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const double sec = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
    // Days from 30 December 1899 to the local date.
    std::tm day = local;
    day.tm_hour = 12;
    day.tm_min = day.tm_sec = 0;
    const long y = local.tm_year + 1900, m = local.tm_mon + 1, d = local.tm_mday;
    const long yy = y - (m <= 2);
    const long era = (yy >= 0 ? yy : yy - 399) / 400;
    const long yoe = yy - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long days = era * 146097 + doe - 719468;  // since 1970-01-01
    return static_cast<double>(days + 25569) + sec / 86400.0;
}

// The published generator: x = (x * 1140671485 + 12820163) mod 2^24.
struct Rng {
    uint32_t seed = 327680;
    float last = 0;
} g_rng;

std::string Utf8(uint32_t c)
{
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

uint32_t FirstCodePoint(const std::string& s)
{
    const auto b = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    unsigned char c = b(0);
    auto cont = [&](size_t i) { return i < s.size() && (b(i) & 0xC0) == 0x80; };
    if (c >= 0xC0 && c < 0xE0 && cont(1))
        return ((c & 0x1F) << 6) | (b(1) & 0x3F);
    if (c >= 0xE0 && c < 0xF0 && cont(1) && cont(2))
        return ((c & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    if (c >= 0xF0 && cont(1) && cont(2) && cont(3))
        return ((c & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
    return c;
}

Value KeepType(const Value& v, double r)
{
    switch (v.vt) {
    case VT_EMPTY:
    case VT_BOOL:
    case VT_I2:
        if (r >= -32768 && r <= 32767)
            return Value::Int(static_cast<int16_t>(r));
        return Value::Long(static_cast<int32_t>(r));
    case VT_UI1: {
        Value b;
        b.vt = VT_UI1;
        b.bVal = static_cast<uint8_t>(r);
        return b;
    }
    case VT_I4:
        if (r >= -2147483648.0 && r <= 2147483647.0)
            return Value::Long(static_cast<int32_t>(r));
        return Value::Dbl(r);
    case VT_DATE: return Value::Date(r);
    default: return Value::Dbl(r);
    }
}

}  // namespace

int FindBuiltin(const std::string& lower)
{
    auto it = Table().find(lower);
    return it == Table().end() ? -1 : it->second;
}

Value Runtime::CallBuiltin(int id, std::vector<Arg>& args, const Expr& at)
{
    if (id >= 2000) {
        if (!args.empty())
            Throw(13);
        std::string name = at.lower;
        if (name == "vbcrlf" || name == "vbnewline")
            return Value::Str("\r\n");
        if (name == "vbcr")
            return Value::Str("\r");
        if (name == "vblf")
            return Value::Str("\n");
        if (name == "vbtab")
            return Value::Str("\t");
        if (name == "vbnullchar")
            return Value::Str(std::string_view("\0", 1));
        return Value::Str("");
    }
    if (id >= 1000) {
        if (!args.empty())
            Throw(13);
        int v = kConstants[id - 1000].value;
        return v >= -32768 && v <= 32767 ? Value::Int(static_cast<int16_t>(v)) : Value::Long(v);
    }
    const Builtin* b = nullptr;
    for (const Builtin& x : kBuiltins)
        if (x.id == id)
            b = &x;
    if (static_cast<int>(args.size()) < b->minArgs || static_cast<int>(args.size()) > b->maxArgs)
        Throw(450, std::string(ErrorText(450)) + ": '" + at.name + "'");
    for (int i = 0; i < b->minArgs; ++i)
        if (A(args, i).vt == VT_ERROR && id != kArray)
            Throw(449);
    auto arg = [&](size_t i) -> const Value& { return A(args, i); };
    auto str = [&](size_t i) { return ToStr(arg(i)); };
    auto textMode = [&](size_t i) { return Given(args, i) && ToLong(arg(i)) == 1; };

    switch (id) {
    case kMsgBox: {
        platform::MessageBoxRequest request;
        request.text = str(0);
        request.type = Given(args, 1) ? static_cast<UINT>(ToLong(arg(1))) : 0;
        request.caption = Given(args, 2) ? str(2) : caption;
        return Value::Int(static_cast<int16_t>(platform::ShowMessageBox(request)));
    }
    case kInputBox: {
        platform::TextRequest request;
        request.prompt = str(0);
        request.title = Given(args, 1) ? str(1) : caption;
        request.text = Given(args, 2) ? str(2) : std::string();
        std::string answer;
        if (!platform::ShowTextRequest(request, answer))
            return Value::Str("");
        return Text(answer);
    }
    case kLen:
        if (IsNull(arg(0)))
            return Value::Null();
        return Value::Long(static_cast<int32_t>(str(0).size()));
    case kLeft:
    case kRight: {
        if (IsNull(arg(0)))
            return Value::Null();
        std::string s = str(0);
        size_t n = static_cast<size_t>(NonNegative(arg(1)));
        if (n >= s.size())
            return Value::Str(s);
        return Value::Str(id == kLeft ? s.substr(0, n) : s.substr(s.size() - n));
    }
    case kMid: {
        if (IsNull(arg(0)))
            return Value::Null();
        std::string s = str(0);
        int32_t start = ToLong(arg(1));
        if (start < 1)
            Throw(5);
        size_t n = Given(args, 2) ? static_cast<size_t>(NonNegative(arg(2))) : s.size();
        if (static_cast<size_t>(start) > s.size())
            return Value::Str("");
        return Value::Str(s.substr(start - 1, n));
    }
    case kInStr: {
        size_t first = 0;
        int32_t start = 1;
        if (args.size() >= 3) {
            if (IsNull(arg(0)))
                Throw(94);
            start = ToLong(arg(0));
            first = 1;
        }
        if (start < 1)
            Throw(5);
        if (IsNull(arg(first)) || IsNull(arg(first + 1)))
            return Value::Null();
        std::string hay = str(first), needle = str(first + 1);
        bool text = args.size() == 4 && textMode(3);
        if (static_cast<size_t>(start) > hay.size())
            return Value::Long(0);
        if (needle.empty())
            return Value::Long(start);
        size_t p = Find(hay, needle, start - 1, text);
        return Value::Long(p == std::string::npos ? 0 : static_cast<int32_t>(p + 1));
    }
    case kInStrRev: {
        if (IsNull(arg(0)) || IsNull(arg(1)))
            return Value::Null();
        std::string hay = str(0), needle = str(1);
        int32_t start = Given(args, 2) ? ToLong(arg(2)) : -1;
        if (start == 0 || start < -1)
            Throw(5);
        bool text = textMode(3);
        if (start == -1)
            start = static_cast<int32_t>(hay.size());
        if (static_cast<size_t>(start) > hay.size())
            return Value::Long(0);
        if (needle.empty())
            return Value::Long(start);
        if (needle.size() > static_cast<size_t>(start))
            return Value::Long(0);
        size_t p = FindLast(hay, needle, start - needle.size(), text);
        return Value::Long(p == std::string::npos ? 0 : static_cast<int32_t>(p + 1));
    }
    case kReplace: {
        if (IsNull(arg(0)))
            return Value::Null();
        std::string s = str(0), find = str(1), with = str(2);
        int32_t start = Given(args, 3) ? ToLong(arg(3)) : 1;
        int32_t count = Given(args, 4) ? ToLong(arg(4)) : -1;
        if (start < 1 || count < -1)
            Throw(5);
        bool text = textMode(5);
        if (static_cast<size_t>(start) > s.size())
            return Value::Str("");
        s = s.substr(start - 1);  // the result begins at start
        if (find.empty() || count == 0)
            return Value::Str(s);
        std::string out;
        size_t pos = 0;
        for (int32_t done = 0; count < 0 || done < count; ++done) {
            size_t p = Find(s, find, pos, text);
            if (p == std::string::npos)
                break;
            out.append(s, pos, p - pos);
            out += with;
            if (out.size() > StringLimit())
                Throw(14);
            pos = p + find.size();
        }
        out.append(s, pos, std::string::npos);
        return Text(std::move(out));
    }
    case kUCase:
    case kLCase:
        if (IsNull(arg(0)))
            return Value::Null();
        return Value::Str(id == kUCase ? Upper(str(0)) : Lower(str(0)));
    case kTrim:
    case kLTrim:
    case kRTrim: {
        if (IsNull(arg(0)))
            return Value::Null();
        std::string s = str(0);
        size_t b0 = 0, e = s.size();
        if (id != kRTrim)
            while (b0 < e && s[b0] == ' ')
                ++b0;
        if (id != kLTrim)
            while (e > b0 && s[e - 1] == ' ')
                --e;
        return Value::Str(s.substr(b0, e - b0));
    }
    case kSplit: {
        if (IsNull(arg(0)))
            return Value::Null();
        std::string s = str(0);
        std::string delim = Given(args, 1) ? str(1) : " ";
        int32_t count = Given(args, 2) ? ToLong(arg(2)) : -1;
        if (count < -1)
            Throw(5);
        bool text = textMode(3);
        std::vector<Value> items;
        if (s.empty() || count == 0)
            return MakeArray({});
        if (delim.empty())
            return MakeArray({Value::Str(s)});
        size_t pos = 0;
        for (;;) {
            if (count > 0 && static_cast<int32_t>(items.size()) == count - 1) {
                items.push_back(Value::Str(s.substr(pos)));
                break;
            }
            size_t p = Find(s, delim, pos, text);
            if (p == std::string::npos) {
                items.push_back(Value::Str(s.substr(pos)));
                break;
            }
            items.push_back(Value::Str(s.substr(pos, p - pos)));
            pos = p + delim.size();
        }
        return MakeArray(std::move(items));
    }
    case kJoin: {
        const Value& list = arg(0);
        if (!list.IsArray() || !list.parray || list.parray->cDims != 1)
            Throw(13);
        std::string delim = Given(args, 1) ? str(1) : " ";
        std::string out;
        auto* data = static_cast<VARIANT*>(list.parray->pvData);
        for (ULONG i = 0; i < list.parray->rgsabound[0].cElements; ++i) {
            if (i)
                out += delim;
            Value v;
            v.Copy(data[i]);
            out += ToStr(v);
            if (out.size() > StringLimit())
                Throw(14);
        }
        return Value::Str(out);
    }
    case kChr: {
        int32_t c = ToLong(arg(0));
        if (c < 0 || c > 0x10FFFF)
            Throw(5);
        return Value::Str(Utf8(static_cast<uint32_t>(c)));
    }
    case kAsc: {
        if (IsNull(arg(0)))
            Throw(94);
        std::string s = str(0);
        if (s.empty())
            Throw(5);
        uint32_t c = FirstCodePoint(s);
        return c <= 32767 ? Value::Int(static_cast<int16_t>(c)) : Value::Long(static_cast<int32_t>(c));
    }
    case kSpace: {
        int32_t n = NonNegative(arg(0));
        if (static_cast<size_t>(n) > StringLimit())
            Throw(14);
        return Value::Str(std::string(n, ' '));
    }
    case kString: {
        if (IsNull(arg(0)) || IsNull(arg(1)))
            return Value::Null();
        int32_t n = NonNegative(arg(0));
        if (static_cast<size_t>(n) > StringLimit())
            Throw(14);
        std::string unit;
        if (arg(1).vt == VT_BSTR) {
            std::string s = str(1);
            if (s.empty())
                Throw(5);
            unit = Utf8(FirstCodePoint(s));
        } else {
            int32_t c = ToLong(arg(1));
            if (c < 0)
                Throw(5);
            unit = Utf8(static_cast<uint32_t>(c % 256));
        }
        std::string out;
        out.reserve(n * unit.size());
        for (int32_t i = 0; i < n; ++i)
            out += unit;
        return Text(std::move(out));
    }
    case kStrComp: {
        if (IsNull(arg(0)) || IsNull(arg(1)))
            return Value::Null();
        Value a = Value::Str(str(0)), b2 = Value::Str(str(1));
        return Value::Int(static_cast<int16_t>(Compare(a, b2, textMode(2))));
    }
    case kCStr: return ChangeType(arg(0), VT_BSTR);
    case kCInt: return ChangeType(arg(0), VT_I2);
    case kCLng: return ChangeType(arg(0), VT_I4);
    case kCByte: return ChangeType(arg(0), VT_UI1);
    case kCBool: return ChangeType(arg(0), VT_BOOL);
    case kCDbl: return ChangeType(arg(0), VT_R8);
    case kCSng: {
        double d = ToDouble(arg(0));
        if (std::fabs(d) > 3.402823466e38)
            Throw(6);
        Value r;
        r.vt = VT_R4;
        r.fltVal = static_cast<float>(d);
        return r;
    }
    case kCDate: return ChangeType(arg(0), VT_DATE);
    case kHex:
    case kOct: {
        const Value& v = arg(0);
        if (IsNull(v))
            return Value::Null();
        int bits = (v.vt == VT_I2 || v.vt == VT_UI1 || v.vt == VT_BOOL || v.vt == VT_EMPTY) ? 16 : 32;
        return Value::Str(Radix(v, bits, id == kHex ? 16 : 8));
    }
    case kIsEmpty: return Value::Bool(arg(0).vt == VT_EMPTY);
    case kIsNull: return Value::Bool(arg(0).vt == VT_NULL);
    case kIsObject: return Value::Bool(arg(0).IsObject());
    case kIsArray: return Value::Bool(arg(0).IsArray());
    case kIsNumeric: {
        const Value& v = arg(0);
        if (v.vt == VT_BSTR) {
            Value d;
            return Value::Bool(SUCCEEDED(VariantChangeType(&d, &v, 0, VT_R8)));
        }
        return Value::Bool(IsNumericType(v.vt) && v.vt != VT_DATE);
    }
    case kIsDate: {
        const Value& v = arg(0);
        if (v.vt == VT_DATE)
            return Value::Bool(true);
        if (v.vt != VT_BSTR)
            return Value::Bool(false);
        Value d;
        Value n;
        return Value::Bool(SUCCEEDED(VariantChangeType(&d, &v, 0, VT_DATE)) &&
                           FAILED(VariantChangeType(&n, &v, 0, VT_R8)));
    }
    case kTypeName: return Value::Str(TypeName(arg(0)));
    case kVarType: return Value::Int(static_cast<int16_t>(VarTypeOf(arg(0))));
    case kUBound:
    case kLBound: {
        const Value& v = arg(0);
        if (!v.IsArray())
            Throw(13);
        int32_t dim = Given(args, 1) ? ToLong(arg(1)) : 1;
        if (!v.parray || dim < 1 || dim > v.parray->cDims)
            Throw(9);
        LONG bound = 0;
        if (id == kUBound)
            SafeArrayGetUBound(v.parray, dim, &bound);
        else
            SafeArrayGetLBound(v.parray, dim, &bound);
        return Value::Long(bound);
    }
    case kArray: {
        std::vector<Value> items(args.size());
        for (size_t i = 0; i < args.size(); ++i)
            items[i] = arg(i);
        return MakeArray(std::move(items));
    }
    case kInt:
    case kFix: {
        const Value& v0 = arg(0);
        Value v = v0.IsObject() ? Deref(v0) : v0;
        if (IsNull(v))
            return Value::Null();
        double d = ToDouble(v);
        double r = id == kInt ? std::floor(d) : std::trunc(d);
        return KeepType(v.vt == VT_BSTR ? Value::Dbl(0) : v, r);
    }
    case kAbs: {
        const Value& v = arg(0);
        if (IsNull(v))
            return Value::Null();
        return KeepType(v.vt == VT_BSTR ? Value::Dbl(0) : v, std::fabs(ToDouble(v)));
    }
    case kSgn: {
        if (IsNull(arg(0)))
            Throw(94);
        double d = ToDouble(arg(0));
        return Value::Int(d > 0 ? 1 : d < 0 ? -1 : 0);
    }
    case kRound: {
        const Value& v = arg(0);
        if (IsNull(v))
            return Value::Null();
        int32_t places = Given(args, 1) ? ToLong(arg(1)) : 0;
        if (places < 0)
            Throw(5);
        double d = ToDouble(v);
        if (places > 15)
            return KeepType(v.vt == VT_BSTR ? Value::Dbl(0) : v, d);
        double scale = std::pow(10.0, places);
        double r = std::nearbyint(d * scale) / scale;  // half to even
        return KeepType(v.vt == VT_BSTR ? Value::Dbl(0) : v, r);
    }
    case kRnd: {
        double n = Given(args, 0) ? ToDouble(arg(0)) : 1;
        if (n == 0)
            return [&] {
                Value r;
                r.vt = VT_R4;
                r.fltVal = g_rng.last;
                return r;
            }();
        if (n < 0) {
            float f = static_cast<float>(n);
            uint32_t bits;
            std::memcpy(&bits, &f, 4);
            g_rng.seed = (bits + (bits >> 24)) & 0xFFFFFF;
        }
        g_rng.seed = (g_rng.seed * 1140671485u + 12820163u) & 0xFFFFFF;
        g_rng.last = static_cast<float>(g_rng.seed) / 16777216.0f;
        Value r;
        r.vt = VT_R4;
        r.fltVal = g_rng.last;
        return r;
    }
    case kRandomize: {
        double n = Given(args, 0) ? ToDouble(arg(0)) : std::fmod(NowDays(), 1.0) * 86400.0;
        uint64_t bits;
        std::memcpy(&bits, &n, 8);
        uint32_t hi = static_cast<uint32_t>(bits >> 32);
        uint32_t mix = ((hi & 0xFFFF) ^ (hi >> 16)) << 8;
        g_rng.seed = (g_rng.seed & 0xFF) | (mix & 0xFFFF00);
        return Value();
    }
    case kNow: return Value::Date(NowDays());
    case kDate: return Value::Date(std::floor(NowDays()));
    case kTime: {
        double n = NowDays();
        return Value::Date(n - std::floor(n));
    }
    case kTimer: {
        double n = NowDays();
        Value r;
        r.vt = VT_R4;
        r.fltVal = static_cast<float>((n - std::floor(n)) * 86400.0);
        return r;
    }
    case kCreateObject: {
        std::string progId = str(0);
        CLSID clsid;
        IDispatch* object = nullptr;
        if (FAILED(CLSIDFromProgID(progId.c_str(), &clsid)) ||
            FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, reinterpret_cast<void**>(&object))) ||
            !object)
            Throw(429, std::string(ErrorText(429)) + ": '" + progId + "'");
        Value r;
        r.vt = VT_DISPATCH;
        r.pdispVal = object;
        return r;
    }
    case kStrReverse: {
        if (IsNull(arg(0)))
            Throw(94);
        std::string s = str(0);
        return Value::Str(std::string(s.rbegin(), s.rend()));
    }
    default: Throw(5);
    }
}

}  // namespace zk::script
