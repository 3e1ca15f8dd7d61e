// Runs parsed programs: global variables and procedures shared by every
// text added to one engine, frames of procedure calls with ByRef
// parameters, On Error per procedure, Err per entry into the script, late-
// bound calls on objects, arrays, and the checks between statements
// (interrupt, statement budget, stack depth).
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ast.h"

namespace zk::script {

// What the interpreter asks of the engine that hosts it.
class Host {
public:
    virtual ~Host() = default;
    // A visible named item by lower-case name (borrowed), or null.
    virtual IDispatch* FindItem(const std::string& lower) = 0;
    // A member of a global-members item: the object (borrowed) and DISPID.
    virtual bool FindGlobalMember(const std::string& name, IDispatch** object, DISPID* dispid) = 0;
};

struct ErrState {
    int32_t number = 0;
    std::string source;
    std::string description;
};

class ErrObject;

// One argument. A variable goes by reference; an array element goes as a
// copy that is written back to the array when the call is over, so that
// the callee never holds a pointer into an array it could resize.
struct Arg {
    Arg() = default;
    Arg(const Arg&) = delete;
    Arg& operator=(const Arg&) = delete;
    ~Arg();
    Value value;
    Value* ref = nullptr;
    Value* array = nullptr;  // the array variable an element came from
    std::vector<LONG> indices;
};

class Runtime {
public:
    explicit Runtime(Host& host);
    ~Runtime();
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    // Makes a program's procedures and global names known.
    void Add(Program& program);
    // Runs top-level code; a run-time error not resumed comes out as a
    // RuntimeError with its position (and Interrupted when interrupted).
    void RunTop(Program& program);
    // The value of a one-expression program.
    Value EvalTop(Program& program);
    // Calls a procedure by name (events, host calls); false when unknown.
    bool Call(const std::string& lower, std::vector<Value>& args, Value* result);
    bool HasProc(const std::string& lower) const { return m_procs.count(lower) != 0; }
    // A global variable's value, or null when there is none.
    const Value* Global(const std::string& lower) const;

    std::atomic<bool> interrupt{false};
    uint64_t budget = 0;  // statements allowed (0: unlimited)
    uint64_t executed = 0;
    int depth = 0;  // procedure calls in progress
    // Builtins that ask the user (MsgBox, InputBox) use this caption.
    std::string caption = "VBScript";

    Value CallBuiltin(int id, std::vector<Arg>& args, const Expr& at);
    ErrState& Err() { return *m_err; }

private:
    friend class ErrObject;
    struct Frame {
        Proc* proc = nullptr;  // null: top-level code
        const Program* program = nullptr;
        std::vector<Value> own;
        std::vector<Value*> refs;
        bool resumeNext = false;
        bool explicitVars = false;
    };
    enum class Flow { Normal, ExitFor, ExitDo, ExitProc };

    Flow Exec(Block& block);
    Flow ExecOne(Stmt& st);
    void Check(Stmt& st);
    Value Eval(Expr& e);
    bool Truth(Expr& e);
    Value EvalName(Expr& e);
    Value EvalCall(Expr& e);
    Value EvalMember(Expr& e, std::vector<Arg>* args, const Value* put, bool putRef);
    Value CallProc(Proc& proc, std::vector<Arg>& args, const Expr* at);
    Value InvokeObject(const Value& object, const std::string& name, DISPID dispid, WORD flags, std::vector<Arg>& args,
                       const Value* put);
    std::vector<Arg> EvalArgs(std::vector<ExprPtr>& exprs);
    Value* Variable(Expr& name, bool create);
    Value* FindVariable(Expr& name);
    void Assign(Expr& target, Value value, bool isSet);
    void AssignIndexed(Expr& call, Value value, bool isSet);
    Value Index(const Value& array, std::vector<Arg>& args);
    void DimArray(Value& target, std::vector<ExprPtr>& dims, bool preserve);
    Flow ForEach(Stmt& st);
    Flow For(Stmt& st);
    bool SelectMatches(const Value& subject, Branch& b);
    void CheckStack();

    Host& m_host;
    std::deque<Value> m_globals;
    std::unordered_map<std::string, size_t> m_globalIndex;
    std::unordered_map<std::string, Proc*> m_procs;
    Frame* m_frame = nullptr;
    ErrState m_topErr;
    ErrState* m_err = &m_topErr;
    ErrObject* m_errObject = nullptr;
    uintptr_t m_stackLimit = 0;
};

// Ids of the built-in functions (-1 when the name is none).
int FindBuiltin(const std::string& lower);

}  // namespace zk::script
