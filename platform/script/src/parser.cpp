#include "parser.h"

#include <algorithm>

#include "lexer.h"

namespace zk::script {

std::string Lower(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return r;
}

namespace {

// Words that cannot name a variable.
bool Reserved(const std::string& w)
{
    static const char* const kWords[] = {
        "and",  "call",     "case",    "const", "dim",      "do",     "each",  "else",    "elseif", "empty", "end",
        "eqv",  "exit",     "false",   "for",   "function", "if",     "imp",   "in",      "is",     "loop",  "mod",
        "next", "not",      "nothing", "null",  "on",       "option", "or",    "private", "public", "redim", "select",
        "set",  "step",     "sub",     "then",  "to",       "true",   "until", "wend",    "while",  "xor",   "class",
        "with", "property", "let",     "get",   "new",      "me",     "erase", "preserve"};
    for (const char* k : kWords)
        if (w == k)
            return true;
    return false;
}

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : m_t(std::move(tokens)) {}

    std::unique_ptr<Program> Run(bool expression)
    {
        m_prog = std::make_unique<Program>();
        SkipEols();
        if (expression) {
            auto st = NewStmt(StmtKind::Call);
            st->value = Expression();
            SkipEols();
            if (Cur().kind != Tok::End)
                Fail(1025);
            m_prog->top.push_back(std::move(st));
            return std::move(m_prog);
        }
        bool first = true;
        while (Cur().kind != Tok::End) {
            if (IsWord("option")) {
                if (!first)
                    Fail(1042);
                Next();
                if (!IsWord("explicit"))
                    Fail(1002);
                Next();
                m_prog->explicitVars = true;
                EndOfStatement();
                continue;
            }
            first = false;
            size_t save = m_i;
            if (IsWord("public") || IsWord("private")) {
                Next();
                if (!IsWord("sub") && !IsWord("function")) {
                    m_i = save;  // Public/Private variable declarations
                }
            }
            if (IsWord("sub") || IsWord("function")) {
                ProcDecl();
                continue;
            }
            m_i = save;
            Statement(m_prog->top);
        }
        return std::move(m_prog);
    }

private:
    const Token& Cur() const { return m_t[m_i]; }
    const Token& Peek(size_t n = 1) const { return m_t[std::min(m_i + n, m_t.size() - 1)]; }
    void Next()
    {
        if (m_i + 1 < m_t.size())
            ++m_i;
    }
    bool IsWord(const char* w) const { return Cur().kind == Tok::Name && Lower(Cur().text) == w; }
    bool IsOp(const char* o) const { return Cur().kind == Tok::Op && Cur().text == o; }
    bool IsEnd() const { return Cur().kind == Tok::Eol || Cur().kind == Tok::End; }

    [[noreturn]] void Fail(int number, std::string description = {}) const
    {
        ScriptError e;
        e.number = number;
        e.compile = true;
        e.source = kCompileSource;
        e.description = description.empty() ? ErrorText(number) : description;
        const Token& at = m_failAt ? *m_failAt : Cur();
        e.line = at.line;
        e.column = at.col;
        throw e;
    }
    void Expect(const char* word, int number)
    {
        if (!IsWord(word))
            Fail(number);
        Next();
    }
    void ExpectOp(const char* op, int number)
    {
        if (!IsOp(op))
            Fail(number);
        Next();
    }
    void SkipEols()
    {
        while (Cur().kind == Tok::Eol)
            Next();
    }
    void EndOfStatement()
    {
        if (Cur().kind == Tok::End)
            return;
        if (Cur().kind != Tok::Eol)
            Fail(1025);
        SkipEols();
    }
    std::string Identifier()
    {
        if (Cur().kind != Tok::Name || Reserved(Lower(Cur().text)))
            Fail(1010);
        std::string n = Cur().text;
        Next();
        return n;
    }
    void Refuse(const char* what) const
    {
        ScriptError e;
        e.number = 1002;
        e.compile = true;
        e.source = kCompileSource;
        e.description = std::string("Syntax error: '") + what + "' is not supported";
        e.line = Cur().line;
        e.column = Cur().col;
        throw e;
    }

    struct Depth {
        explicit Depth(Parser& p) : m_p(p)
        {
            if (++m_p.m_depth > kMaxNesting) {
                ScriptError e;
                e.number = 28;
                e.compile = true;
                e.source = kCompileSource;
                e.description = "Out of stack space: the text is nested too deeply";
                e.line = m_p.Cur().line;
                e.column = m_p.Cur().col;
                throw e;
            }
        }
        ~Depth() { --m_p.m_depth; }
        Parser& m_p;
    };

    std::unique_ptr<Stmt> NewStmt(StmtKind kind)
    {
        auto s = std::make_unique<Stmt>();
        s->kind = kind;
        s->line = Cur().line;
        s->col = Cur().col;
        return s;
    }
    ExprPtr NewExpr(ExprKind kind, const Token& at)
    {
        auto e = std::make_unique<Expr>();
        e->kind = kind;
        e->line = at.line;
        e->col = at.col;
        e->scope = m_proc;
        return e;
    }
    ExprPtr NameExpr(const Token& at, std::string name)
    {
        auto e = NewExpr(ExprKind::Name, at);
        e->lower = Lower(name);
        e->name = std::move(name);
        if (m_proc && !m_proc->locals.count(e->lower) && e->lower != m_proc->lower) {
            // An implicit local in case the name is found nowhere else.
            m_proc->locals.emplace(e->lower, m_proc->slots++);
            m_proc->declared.push_back(false);
        }
        return e;
    }

    void DeclareLocal(const std::string& name, bool redefinition = true, const Token* at = nullptr)
    {
        if (at)
            m_failAt = at;
        std::string l = Lower(name);
        if (!m_proc) {
            if (std::find(m_prog->globals.begin(), m_prog->globals.end(), l) == m_prog->globals.end())
                m_prog->globals.push_back(l);
            else if (redefinition)
                Fail(1041);
            m_failAt = nullptr;
            return;
        }
        auto it = m_proc->locals.find(l);
        if (it != m_proc->locals.end()) {
            if (m_proc->declared[it->second])
                Fail(1041);
            m_proc->declared[it->second] = true;
            m_failAt = nullptr;
            return;
        }
        m_proc->locals.emplace(l, m_proc->slots++);
        m_proc->declared.push_back(true);
        m_failAt = nullptr;
    }

    // ---- procedures ----
    void ProcDecl()
    {
        auto proc = std::make_unique<Proc>();
        proc->isFunction = IsWord("function");
        proc->line = Cur().line;
        proc->explicitVars = m_prog->explicitVars;
        Next();
        proc->name = Identifier();
        proc->lower = Lower(proc->name);
        proc->declared.push_back(true);  // slot 0: the result
        m_proc = proc.get();
        if (IsOp("(")) {
            Next();
            while (!IsOp(")")) {
                Param p;
                if (IsWord("byval")) {
                    p.byVal = true;
                    Next();
                } else if (IsWord("byref")) {
                    Next();
                }
                p.name = Identifier();
                if (IsOp("(")) {  // "a()" takes an array
                    Next();
                    ExpectOp(")", 1006);
                }
                DeclareLocal(p.name);
                proc->params.push_back(std::move(p));
                if (!IsOp(","))
                    break;
                Next();
            }
            ExpectOp(")", 1006);
        }
        EndOfStatement();
        const char* kind = proc->isFunction ? "function" : "sub";
        for (;;) {
            if (Cur().kind == Tok::End)
                Fail(1014);
            if (IsWord("end") && Peek().kind == Tok::Name && Lower(Peek().text) == kind)
                break;
            if (IsWord("sub") || IsWord("function"))
                Fail(1024);
            Statement(proc->body);
        }
        Next();
        Next();
        EndOfStatement();
        m_proc = nullptr;
        m_prog->procs.push_back(std::move(proc));
    }

    // ---- statements ----
    // Parses statements until one of the given words starts a statement.
    void BlockUntil(Block& block, std::initializer_list<const char*> enders, int missing)
    {
        Depth d(*this);
        for (;;) {
            if (Cur().kind == Tok::End)
                Fail(missing);
            for (const char* e : enders)
                if (IsWord(e))
                    return;
            if (IsWord("sub") || IsWord("function"))
                Fail(missing);
            Statement(block);
        }
    }

    void Statement(Block& block)
    {
        SkipEols();
        if (Cur().kind == Tok::End)
            return;
        if (Cur().kind != Tok::Name)
            Fail(1024);
        std::string w = Lower(Cur().text);
        if (w == "class" || w == "with" || w == "property")
            Refuse(Cur().text.c_str());
        if (w == "if")
            return If(block);
        if (w == "dim" || w == "public" || w == "private")
            return Dim(block);
        if (w == "redim")
            return ReDim(block);
        if (w == "const")
            return Const(block);
        if (w == "for")
            return Peek().kind == Tok::Name && Lower(Peek().text) == "each" ? ForEach(block) : For(block);
        if (w == "do")
            return Do(block);
        if (w == "while")
            return While(block);
        if (w == "select")
            return Select(block);
        if (w == "exit")
            return Exit(block);
        if (w == "on")
            return OnError(block);
        if (w == "set")
            return Assign(block, true);
        if (w == "call") {
            auto st = NewStmt(StmtKind::Call);
            Next();
            st->value = Postfix(Primary(), true);
            EndStmt();
            block.push_back(std::move(st));
            return;
        }
        if (w == "erase") {
            auto st = NewStmt(StmtKind::Erase);
            Next();
            const Token& at = Cur();
            st->target = NameExpr(at, Identifier());
            EndStmt();
            block.push_back(std::move(st));
            return;
        }
        if (w == "option")
            Fail(1042);
        if (w == "loop")
            Fail(1038);
        if (w == "execute" || w == "executeglobal")
            Refuse(Cur().text.c_str());
        if (w == "let") {
            Next();
            return Assign(block, false);
        }
        if (Reserved(w))
            Fail(1024);
        Assign(block, false);
    }

    // Assignment or call statement.
    void Assign(Block& block, bool isSet)
    {
        auto st = NewStmt(isSet ? StmtKind::Set : StmtKind::Assign);
        if (isSet)
            Next();
        if (Cur().kind != Tok::Name || Reserved(Lower(Cur().text)))
            Fail(isSet ? 1010 : 1024);
        ExprPtr target = Postfix(Primary(), false);
        if (IsOp("=")) {
            Next();
            st->target = std::move(target);
            st->value = Expression();
            EndStmt();
            block.push_back(std::move(st));
            return;
        }
        if (isSet)
            Fail(1011);
        st->kind = StmtKind::Call;
        if (IsEnd()) {
            if (target->kind == ExprKind::Call && target->parens) {
                // "Name(x)" as a statement passes (x) by value; more
                // arguments may not be in parentheses.
                if (target->args.size() > 1)
                    FailAt(1044, *target);
                if (target->args.size() == 1) {
                    auto paren = NewExpr(ExprKind::Paren, Cur());
                    paren->a = std::move(target->args[0]);
                    st->args.push_back(std::move(paren));
                }
                target = std::move(target->a);
            }
            st->value = std::move(target);
            EndStmt();
            block.push_back(std::move(st));
            return;
        }
        if (target->kind == ExprKind::Call && target->parens) {
            // "Name (a) & b, c": the parenthesis opened the first argument;
            // read the arguments again from there.
            m_i = target->slot;
            target = std::move(target->a);
        }
        st->value = std::move(target);
        ArgList(st->args, false);
        EndStmt();
        block.push_back(std::move(st));
    }

    [[noreturn]] void FailAt(int number, const Expr& at) const
    {
        ScriptError e;
        e.number = number;
        e.compile = true;
        e.source = kCompileSource;
        e.description = ErrorText(number);
        e.line = at.line;
        e.column = at.col;
        throw e;
    }

    // Arguments up to ')' (parens) or the statement's end; empty ones are missing.
    void ArgList(std::vector<ExprPtr>& args, bool parens)
    {
        auto done = [&] { return parens ? IsOp(")") : IsEnd(); };
        if (done())
            return;
        for (;;) {
            if (IsOp(",") || done())
                args.push_back(NewExpr(ExprKind::Missing, Cur()));
            else
                args.push_back(Expression());
            if (!IsOp(","))
                break;
            Next();
            if (done())
                args.push_back(NewExpr(ExprKind::Missing, Cur()));
        }
    }

    void If(Block& block)
    {
        Depth d(*this);
        auto st = NewStmt(StmtKind::If);
        Next();
        Branch b;
        b.cond = Expression();
        Expect("then", 1017);
        if (!IsEnd()) {
            // One-line form: statements up to Else or the line's end.
            OneLine(b.body);
            st->branches.push_back(std::move(b));
            if (IsWord("else")) {
                Next();
                Branch e;
                e.isElse = true;
                OneLine(e.body);
                st->branches.push_back(std::move(e));
            }
            if (IsWord("end") && Peek().kind == Tok::Name && Lower(Peek().text) == "if") {
                Next();
                Next();
            }
            EndOfStatement();
            block.push_back(std::move(st));
            return;
        }
        EndOfStatement();
        BlockUntil(b.body, {"elseif", "else", "end"}, 1014);
        st->branches.push_back(std::move(b));
        while (IsWord("elseif")) {
            Next();
            Branch e;
            e.cond = Expression();
            Expect("then", 1017);
            if (!IsEnd())
                OneLine(e.body);  // tolerated: "ElseIf x Then y" on one line
            else
                EndOfStatement();
            BlockUntil(e.body, {"elseif", "else", "end"}, 1014);
            st->branches.push_back(std::move(e));
        }
        if (IsWord("else")) {
            Next();
            Branch e;
            e.isElse = true;
            if (!IsEnd())
                OneLine(e.body);
            else
                EndOfStatement();
            BlockUntil(e.body, {"end"}, 1014);
            st->branches.push_back(std::move(e));
        }
        Expect("end", 1014);
        Expect("if", 1012);
        EndOfStatement();
        block.push_back(std::move(st));
    }

    // Statements of a one-line If, separated by ':'.
    void OneLine(Block& body)
    {
        for (;;) {
            if (Cur().kind != Tok::Name)
                Fail(1024);
            std::string w = Lower(Cur().text);
            if (w == "if" || w == "for" || w == "do" || w == "while" || w == "select" || w == "sub" || w == "function")
                Fail(1024);
            SingleStatement(body);
            if (Cur().kind == Tok::Eol && Cur().text == ":" && Peek().kind == Tok::Name &&
                Lower(Peek().text) != "else") {
                Next();
                continue;
            }
            if (Cur().kind == Tok::Eol && Cur().text == ":" && Peek().kind == Tok::Name && Lower(Peek().text) == "else")
                Next();
            break;
        }
    }
    // A simple statement not followed by its end (for one-line If).
    void SingleStatement(Block& body)
    {
        // Parse into a scratch block using a sentinel: temporarily treat
        // "Else" as the statement's end.
        size_t before = body.size();
        m_oneLine = true;
        std::string w = Lower(Cur().text);
        if (w == "exit" || w == "on" || w == "dim" || w == "redim" || w == "const" || w == "erase") {
            // These end at the line's end or ':' anyway.
        }
        StatementNoEnd(body);
        m_oneLine = false;
        (void)before;
    }
    void StatementNoEnd(Block& block)
    {
        // Same as Statement, but EndOfStatement accepts "Else" and keeps
        // the statement end for the caller.
        m_noEnd = true;
        Statement(block);
        m_noEnd = false;
    }

    void Dim(Block& block)
    {
        auto st = NewStmt(StmtKind::Dim);
        Next();
        for (;;) {
            const Token& at = Cur();
            DimItem item;
            std::string name = Identifier();
            DeclareLocal(name, true, &at);
            item.target = NameExpr(at, name);
            if (IsOp("(")) {
                Next();
                item.array = true;
                while (!IsOp(")")) {
                    if (Cur().kind != Tok::Number && Cur().kind != Tok::Name)
                        Fail(1026);
                    item.dims.push_back(Expression());
                    if (!IsOp(","))
                        break;
                    Next();
                }
                ExpectOp(")", 1006);
            }
            st->dims.push_back(std::move(item));
            if (!IsOp(","))
                break;
            Next();
        }
        EndStmt();
        block.push_back(std::move(st));
    }

    void ReDim(Block& block)
    {
        auto st = NewStmt(StmtKind::ReDim);
        Next();
        if (IsWord("preserve")) {
            st->flag = true;
            Next();
        }
        for (;;) {
            const Token& at = Cur();
            DimItem item;
            std::string name = Identifier();
            if (!m_proc)
                DeclareLocal(name, false);
            item.target = NameExpr(at, name);
            item.array = true;
            ExpectOp("(", 1005);
            for (;;) {
                item.dims.push_back(Expression());
                if (!IsOp(","))
                    break;
                Next();
            }
            ExpectOp(")", 1006);
            st->dims.push_back(std::move(item));
            if (!IsOp(","))
                break;
            Next();
        }
        EndStmt();
        block.push_back(std::move(st));
    }

    void Const(Block& block)
    {
        auto st = NewStmt(StmtKind::Const);
        Next();
        for (;;) {
            const Token& at = Cur();
            DimItem item;
            std::string name = Identifier();
            DeclareLocal(name, true, &at);
            item.target = NameExpr(at, name);
            ExpectOp("=", 1011);
            item.dims.push_back(Expression());
            st->dims.push_back(std::move(item));
            if (!IsOp(","))
                break;
            Next();
        }
        EndStmt();
        block.push_back(std::move(st));
    }

    void For(Block& block)
    {
        Depth d(*this);
        auto st = NewStmt(StmtKind::For);
        Next();
        const Token& at = Cur();
        if (Cur().kind != Tok::Name || Reserved(Lower(Cur().text)))
            Fail(1040);
        st->target = NameExpr(at, Identifier());
        ExpectOp("=", 1011);
        st->value = Expression();
        Expect("to", 1013);
        st->to = Expression();
        if (IsWord("step")) {
            Next();
            st->step = Expression();
        }
        EndOfStatement();
        ++m_forDepth;
        BlockUntil(st->body, {"next"}, 1020);
        --m_forDepth;
        Next();
        if (Cur().kind == Tok::Name && !Reserved(Lower(Cur().text)))
            Next();  // "Next i"
        EndStmt();
        block.push_back(std::move(st));
    }

    void ForEach(Block& block)
    {
        Depth d(*this);
        auto st = NewStmt(StmtKind::ForEach);
        Next();
        Next();
        const Token& at = Cur();
        if (Cur().kind != Tok::Name || Reserved(Lower(Cur().text)))
            Fail(1040);
        st->target = NameExpr(at, Identifier());
        Expect("in", 1046);
        st->value = Expression();
        EndOfStatement();
        ++m_forDepth;
        BlockUntil(st->body, {"next"}, 1020);
        --m_forDepth;
        Next();
        if (Cur().kind == Tok::Name && !Reserved(Lower(Cur().text)))
            Next();
        EndStmt();
        block.push_back(std::move(st));
    }

    void Do(Block& block)
    {
        Depth d(*this);
        auto st = NewStmt(StmtKind::Do);
        Next();
        if (IsWord("while") || IsWord("until")) {
            st->until = IsWord("until");
            Next();
            st->value = Expression();
        } else if (!IsEnd()) {
            Fail(1028);
        }
        EndOfStatement();
        ++m_doDepth;
        BlockUntil(st->body, {"loop"}, 1019);
        --m_doDepth;
        Next();
        if (IsWord("while") || IsWord("until")) {
            if (st->value)
                Fail(1025);
            st->until = IsWord("until");
            st->flag = true;
            Next();
            st->value = Expression();
        }
        EndStmt();
        block.push_back(std::move(st));
    }

    void While(Block& block)
    {
        Depth d(*this);
        auto st = NewStmt(StmtKind::While);
        Next();
        st->value = Expression();
        EndOfStatement();
        BlockUntil(st->body, {"wend"}, 1018);
        Next();
        EndStmt();
        block.push_back(std::move(st));
    }

    void Select(Block& block)
    {
        Depth d(*this);
        auto st = NewStmt(StmtKind::Select);
        Next();
        Expect("case", 1021);
        st->value = Expression();
        EndOfStatement();
        while (IsWord("case")) {
            Next();
            Branch b;
            if (IsWord("else")) {
                Next();
                b.isElse = true;
            } else {
                for (;;) {
                    CaseItem item;
                    if (IsWord("is")) {
                        Next();
                        item.kind = CaseItem::Is;
                        if (Cur().kind != Tok::Op)
                            Fail(1023);
                        item.op = CompareOp(Cur().text);
                        Next();
                        item.a = Expression();
                    } else {
                        item.a = Expression();
                        if (IsWord("to")) {
                            Next();
                            item.kind = CaseItem::Range;
                            item.b = Expression();
                        }
                    }
                    b.items.push_back(std::move(item));
                    if (!IsOp(","))
                        break;
                    Next();
                }
            }
            if (Cur().kind != Tok::Eol && Cur().kind != Tok::End)
                Fail(1025);
            SkipEols();
            BlockUntil(b.body, {"case", "end"}, 1022);
            bool wasElse = b.isElse;
            st->branches.push_back(std::move(b));
            if (wasElse)
                break;
        }
        Expect("end", 1022);
        Expect("select", 1022);
        EndStmt();
        block.push_back(std::move(st));
    }

    Op CompareOp(const std::string& t)
    {
        if (t == "=")
            return Op::Eq;
        if (t == "<>")
            return Op::Ne;
        if (t == "<")
            return Op::Lt;
        if (t == ">")
            return Op::Gt;
        if (t == "<=")
            return Op::Le;
        if (t == ">=")
            return Op::Ge;
        Fail(1023);
    }

    void Exit(Block& block)
    {
        auto st = NewStmt(StmtKind::Exit);
        Next();
        if (IsWord("for") && m_forDepth > 0)
            st->exit = ExitKind::For;
        else if (IsWord("do") && m_doDepth > 0)
            st->exit = ExitKind::Do;
        else if (IsWord("sub") && m_proc && !m_proc->isFunction)
            st->exit = ExitKind::Sub;
        else if (IsWord("function") && m_proc && m_proc->isFunction)
            st->exit = ExitKind::Function;
        else
            Fail(1039);
        Next();
        EndStmt();
        block.push_back(std::move(st));
    }

    void OnError(Block& block)
    {
        auto st = NewStmt(StmtKind::OnErrorResume);
        Next();
        Expect("error", 1002);
        if (IsWord("resume")) {
            Next();
            Expect("next", 1002);
        } else if (IsWord("goto")) {
            Next();
            if (Cur().kind != Tok::Number || Cur().value.vt != VT_I2 || Cur().value.iVal != 0)
                Fail(1002);
            Next();
            st->kind = StmtKind::OnErrorGoto0;
        } else {
            Fail(1002);
        }
        EndStmt();
        block.push_back(std::move(st));
    }

    // A statement's end; in a one-line If the caller takes ':' and Else.
    void EndStmt()
    {
        if (m_noEnd) {
            if (IsEnd() || IsWord("else") || (IsWord("end") && Peek().kind == Tok::Name && Lower(Peek().text) == "if"))
                return;
            Fail(1025);
        }
        EndOfStatement();
    }

    // ---- expressions, lowest precedence first ----
    ExprPtr Expression()
    {
        Depth d(*this);
        return Imp();
    }
    ExprPtr Bin(Op op, ExprPtr a, ExprPtr b, const Token& at)
    {
        auto e = NewExpr(ExprKind::Binary, at);
        e->op = op;
        e->a = std::move(a);
        e->b = std::move(b);
        // Long operator chains nest the tree; bound them as nesting.
        size_t depth = std::max(DepthOf(*e->a), DepthOf(*e->b)) + 1;
        if (depth > 1000)
            Fail(28, "Out of stack space: the expression is too long");
        e->slot = depth;
        return e;
    }
    static size_t DepthOf(const Expr& e) { return e.kind == ExprKind::Binary ? e.slot : 1; }

    template <typename Next, typename Match>
    ExprPtr Chain(Next next, Match match)
    {
        ExprPtr left = (this->*next)();
        for (;;) {
            Op op;
            if (!match(op))
                return left;
            const Token& at = Cur();
            Parser::Next();
            left = Bin(op, std::move(left), (this->*next)(), at);
        }
    }
    bool Word(const char* w, Op o, Op& op)
    {
        if (!IsWord(w))
            return false;
        op = o;
        return true;
    }
    ExprPtr Imp()
    {
        return Chain(&Parser::Eqv, [&](Op& op) { return Word("imp", Op::Imp, op); });
    }
    ExprPtr Eqv()
    {
        return Chain(&Parser::Xor, [&](Op& op) { return Word("eqv", Op::Eqv, op); });
    }
    ExprPtr Xor()
    {
        return Chain(&Parser::Or, [&](Op& op) { return Word("xor", Op::Xor, op); });
    }
    ExprPtr Or()
    {
        return Chain(&Parser::And, [&](Op& op) { return Word("or", Op::Or, op); });
    }
    ExprPtr And()
    {
        return Chain(&Parser::Not, [&](Op& op) { return Word("and", Op::And, op); });
    }
    ExprPtr Not()
    {
        if (IsWord("not")) {
            Depth d(*this);
            auto e = NewExpr(ExprKind::Unary, Cur());
            Next();
            e->op = Op::Not;
            e->a = Not();
            return e;
        }
        return Comparison();
    }
    ExprPtr Comparison()
    {
        return Chain(&Parser::Concat, [&](Op& op) {
            if (IsWord("is")) {
                op = Op::Is;
                return true;
            }
            if (Cur().kind != Tok::Op)
                return false;
            const std::string& t = Cur().text;
            if (t == "=" || t == "<>" || t == "<" || t == ">" || t == "<=" || t == ">=") {
                op = CompareOp(t);
                return true;
            }
            return false;
        });
    }
    ExprPtr Concat()
    {
        return Chain(&Parser::Additive, [&](Op& op) {
            if (!IsOp("&"))
                return false;
            op = Op::Cat;
            return true;
        });
    }
    ExprPtr Additive()
    {
        return Chain(&Parser::Modulo, [&](Op& op) {
            if (IsOp("+"))
                op = Op::Add;
            else if (IsOp("-"))
                op = Op::Sub;
            else
                return false;
            return true;
        });
    }
    ExprPtr Modulo()
    {
        return Chain(&Parser::IntDivide, [&](Op& op) { return Word("mod", Op::Mod, op); });
    }
    ExprPtr IntDivide()
    {
        return Chain(&Parser::Multiplicative, [&](Op& op) {
            if (!IsOp("\\"))
                return false;
            op = Op::IntDiv;
            return true;
        });
    }
    ExprPtr Multiplicative()
    {
        return Chain(&Parser::Negation, [&](Op& op) {
            if (IsOp("*"))
                op = Op::Mul;
            else if (IsOp("/"))
                op = Op::Div;
            else
                return false;
            return true;
        });
    }
    ExprPtr Negation()
    {
        if (IsOp("-") || IsOp("+")) {
            Depth d(*this);
            bool minus = IsOp("-");
            const Token& at = Cur();
            Next();
            ExprPtr operand = Negation();
            if (!minus)
                return operand;
            auto e = NewExpr(ExprKind::Unary, at);
            e->op = Op::Neg;
            e->a = std::move(operand);
            return e;
        }
        return Power();
    }
    ExprPtr Power()
    {
        // Left-associative, binding tighter than negation: -2^2 is -4.
        ExprPtr left = Postfix(Primary(), true);
        while (IsOp("^")) {
            const Token& at = Cur();
            Next();
            ExprPtr right;
            if (IsOp("-") || IsOp("+"))
                right = Negation();
            else
                right = Postfix(Primary(), true);
            left = Bin(Op::Pow, std::move(left), std::move(right), at);
        }
        return left;
    }

    ExprPtr Primary()
    {
        const Token& t = Cur();
        switch (t.kind) {
        case Tok::Number:
        case Tok::String:
        case Tok::Date: {
            auto e = NewExpr(ExprKind::Literal, t);
            e->literal = t.value;
            Next();
            return e;
        }
        case Tok::Op:
            if (t.text == "(") {
                Depth d(*this);
                auto e = NewExpr(ExprKind::Paren, t);
                Next();
                e->a = Expression();
                ExpectOp(")", 1006);
                return e;
            }
            if (t.text == ".")
                Refuse("With");
            Fail(1023);
        case Tok::Name: {
            std::string w = Lower(t.text);
            auto literal = [&](Value v) {
                auto e = NewExpr(ExprKind::Literal, t);
                e->literal = std::move(v);
                Next();
                return e;
            };
            if (w == "true")
                return literal(Value::Bool(true));
            if (w == "false")
                return literal(Value::Bool(false));
            if (w == "empty")
                return literal(Value());
            if (w == "null")
                return literal(Value::Null());
            if (w == "nothing")
                return literal(Value::Object(nullptr));
            if (w == "new")
                Refuse("New");
            if (w == "me")
                Fail(1037);
            if (w == "eval" || w == "getref" || w == "execute" || w == "executeglobal")
                Refuse(t.text.c_str());
            if (Reserved(w))
                Fail(1023);
            std::string name = t.text;
            Next();
            return NameExpr(t, std::move(name));
        }
        default: Fail(1023);
        }
    }

    // Member access and argument lists after a primary.
    ExprPtr Postfix(ExprPtr e, bool)
    {
        int chain = 0;
        for (;;) {
            if (++chain > kMaxNesting)
                Fail(28, "Out of stack space: the expression is too long");
            if (IsOp(".")) {
                const Token& at = Cur();
                Next();
                if (Cur().kind != Tok::Name)
                    Fail(1010);
                auto m = NewExpr(ExprKind::Member, at);
                m->name = Cur().text;
                m->lower = Lower(m->name);
                m->a = std::move(e);
                Next();
                e = std::move(m);
                continue;
            }
            if (IsOp("(") && e->kind != ExprKind::Literal && e->kind != ExprKind::Paren) {
                Depth d(*this);
                auto c = NewExpr(ExprKind::Call, Cur());
                c->slot = m_i;  // where the parenthesis opened
                Next();
                c->parens = true;
                c->a = std::move(e);
                ArgList(c->args, true);
                ExpectOp(")", 1006);
                e = std::move(c);
                continue;
            }
            return e;
        }
    }

    std::vector<Token> m_t;
    size_t m_i = 0;
    std::unique_ptr<Program> m_prog;
    Proc* m_proc = nullptr;
    int m_depth = 0;
    int m_forDepth = 0;
    int m_doDepth = 0;
    bool m_oneLine = false;
    bool m_noEnd = false;
    const Token* m_failAt = nullptr;
};

}  // namespace

std::unique_ptr<Program> Parse(std::string_view text, bool expression)
{
    Parser parser(Tokenize(text));
    auto program = parser.Run(expression);
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == '\n') {
            std::string_view l = text.substr(start, i - start);
            if (!l.empty() && l.back() == '\r')
                l.remove_suffix(1);
            program->lines.emplace_back(l);
            start = i + 1;
        }
    return program;
}

}  // namespace zk::script
