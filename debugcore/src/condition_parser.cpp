// Parsing a breakpoint condition into clauses.
#include "condition_parser.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <platform/win32.h>

#include "dolmer/dolmer.h"
#include "morwen/morwen.h"
#include "quinar/symbol_store.h"

namespace sarvik {

namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

// The operator at the clause's first '<', '>' or '='; its length, 0 when
// there is none, -1 for a lone '='.
int ReadOperator(std::string_view clause, size_t at, int32_t* op)
{
    if (at >= clause.size())
        return 0;
    const char c = clause[at];
    const char next = at + 1 < clause.size() ? clause[at + 1] : '\0';
    if (c == '<' && next == '=')
        *op = BP_COND_LE;
    else if (c == '<' && next == '>')
        *op = BP_COND_NE;
    else if (c == '=' && next == '=')
        *op = BP_COND_EQ;
    else if (c == '>' && next == '=')
        *op = BP_COND_GE;
    else if (c == '<')
        return *op = BP_COND_LT, 1;
    else if (c == '>')
        return *op = BP_COND_GT, 1;
    else
        return -1;
    return 2;
}

// The left side: a symbol seen from the scope, else an address text.
bool ReadLeftSide(std::string_view left, ADDR scope, BpCondClause* clause)
{
    const std::string name(Trim(left));
    if (name.empty())
        return false;
    quinar::SymbolStore& symbols = quinar::Symbols();
    const quinar::Result<quinar::AddressInfo> at = symbols.CodeAt(scope.off);
    const uint32_t scopeHandle = at ? at->handle : 0;
    const quinar::Result<uint32_t> symbol = symbols.FindSymbol(scopeHandle, name);
    quinar::Result<SymSymbolInfo> found;
    if (symbol)
        found = symbols.SymbolInfo(*symbol);
    if (symbol && found) {
        const SymSymbolInfo& info = *found;
        const bool inRegister = info.address.seg == SYM_SPACE_REGISTER;
        clause->address = {info.address.off, static_cast<uint16_t>(inRegister ? SYM_SPACE_REGISTER : 0)};
        clause->size = info.size;
        return true;
    }
    ADDR address{};
    if (AdrTextToAddr(name.c_str(), &address, 1) == 1) {
        clause->address = address;
        clause->size = 4;
        return true;
    }
    return false;
}

// A C number that fits 32 bits (signed or unsigned); blanks around it.
bool ReadConstant(std::string_view right, int32_t* constant)
{
    const std::string text(right);
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 0);
    if (end == text.c_str() || errno != 0 || !Trim(end).empty())
        return false;
    if (v < INT32_MIN || v > static_cast<long long>(UINT32_MAX))
        return false;
    *constant = static_cast<int32_t>(static_cast<uint32_t>(v));
    return true;
}

bool ParseClause(std::string_view text, ADDR scope, BpCondClause* clause)
{
    const size_t at = std::min(text.find_first_of("<>="), text.size());
    const int length = ReadOperator(text, at, &clause->op);
    if (length < 0) {
        ReportError(ERR_CONDITION_OPERATOR, ERR_CAPTION, MB_ICONEXCLAMATION);
        return false;
    }
    if (length == 0)
        return false;
    clause->text = std::string(text.substr(0, at));
    return ReadLeftSide(clause->text, scope, clause) &&
        ReadConstant(text.substr(at + static_cast<size_t>(length)), &clause->constant);
}

}  // namespace

bool ParseBpCondition(const std::string& text, ADDR scope, std::vector<BpCondClause>* clauses)
{
    clauses->clear();
    std::string_view rest = text;
    for (;;) {
        const size_t andAt = rest.find("&&");
        const size_t orAt = rest.find("||");
        const size_t end = std::min(andAt, orAt);
        BpCondClause clause;
        clause.connector = end == std::string_view::npos ? BP_COND_LAST : end == andAt ? BP_COND_AND : BP_COND_OR;
        if (!ParseClause(rest.substr(0, end), scope, &clause))
            return false;
        clauses->push_back(std::move(clause));
        if (clauses->size() > BP_CONDITION_MAX_CLAUSES) {
            ReportError(ERR_CONDITION_TOO_LONG, ERR_CAPTION, MB_ICONEXCLAMATION);
            return false;
        }
        if (end == std::string_view::npos)
            return true;
        rest.remove_prefix(end + 2);
    }
}

}  // namespace sarvik
