// The parsed form of a script text: expressions, statements, procedures and
// the block of top-level code, with source positions for error reports.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "value.h"

namespace zk::script {

struct Proc;
struct Program;

enum class ExprKind : uint8_t { Literal, Name, Member, Call, Binary, Unary, Paren, Missing };

// How a name was found the first time it was evaluated (kept when stable).
enum class BindKind : uint8_t { None, Local, Global };

struct Expr {
    ExprKind kind;
    Op op = Op::Add;
    bool parens = false;  // Call: the arguments were in parentheses
    BindKind bind = BindKind::None;
    int line = 0, col = 0;
    size_t slot = 0;   // bound local slot or global index
    std::string name;  // Name, Member: as written; lower holds the key
    std::string lower;
    Value literal;
    std::unique_ptr<Expr> a, b;  // Member/Call: a is the object or callee
    std::vector<std::unique_ptr<Expr>> args;
    Proc* scope = nullptr;  // the procedure the name is in (null: top level)
};
using ExprPtr = std::unique_ptr<Expr>;

enum class StmtKind : uint8_t {
    Assign,
    Set,
    Call,
    If,
    Select,
    For,
    ForEach,
    Do,
    While,
    Exit,
    Dim,
    ReDim,
    Const,
    OnErrorResume,
    OnErrorGoto0,
    Erase,
};

enum class ExitKind : uint8_t { None, For, Do, Sub, Function };

struct Stmt;
using Block = std::vector<std::unique_ptr<Stmt>>;

struct CaseItem {
    enum Kind : uint8_t { Single, Range, Is } kind = Single;
    Op op = Op::Eq;
    ExprPtr a, b;
};

struct Branch {
    ExprPtr cond;                 // If: the condition (null: Else)
    std::vector<CaseItem> items;  // Select: the case list (empty: Case Else)
    bool isElse = false;
    Block body;
};

struct DimItem {
    ExprPtr target;             // a Name (ReDim: the variable)
    std::vector<ExprPtr> dims;  // upper bounds
    bool array = false;         // "Dim a()" or with bounds
};

struct Stmt {
    StmtKind kind;
    ExitKind exit = ExitKind::None;
    bool flag = false;  // Do: test after the body; ReDim: Preserve
    bool until = false;
    int line = 0, col = 0;
    ExprPtr target, value, to, step;
    std::vector<ExprPtr> args;  // Call statement arguments
    std::vector<Branch> branches;
    std::vector<DimItem> dims;
    Block body;
};

struct Param {
    std::string name;
    bool byVal = false;
};

struct Proc {
    std::string name;
    std::string lower;
    bool isFunction = false;
    bool explicitVars = false;
    int line = 0;
    std::vector<Param> params;
    // Locals by lower-case name: slot 0 is a function's result, then the
    // parameters, then declared and implicit variables.
    std::unordered_map<std::string, size_t> locals;
    std::vector<bool> declared;  // per slot: declared (not implicit)
    size_t slots = 1;
    Block body;
    const Program* program = nullptr;
};

struct Program {
    std::vector<std::unique_ptr<Proc>> procs;
    Block top;
    std::vector<std::string> globals;  // names Dim, Const or ReDim'ed at top level
    bool explicitVars = false;
    std::vector<std::string> lines;  // the text's lines, for error reports
};

std::string Lower(std::string_view s);

}  // namespace zk::script
