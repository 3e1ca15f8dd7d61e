// Any text as a breakpoint condition, parsed and evaluated against a small
// symbol store, and as an expression of the symbol library. Message boxes
// are answered at once; the target is absent, so every value read fails.
// Never a crash or a read outside the text.
#include <platform/modal_ui.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "condition_parser.h"
#include "quinar/quinar.h"

using namespace sarvik;

namespace {

class Answers : public platform::ModalUi {
public:
    int MessageBox(const platform::MessageBoxRequest&) override { return IDOK; }
    bool FileDialog(const platform::FileDialogRequest&, platform::FileDialogResult&) override { return false; }
    bool FolderDialog(const platform::FolderDialogRequest&, std::string&) override { return false; }
};

// app.c with the globals i and c and worker() holding the register local fast.
void FillStore()
{
    const ImageStamp stamp{};
    SymModuleDesc desc{2, 0x100, 0x2FF};
    uint32_t module = 0;
    SymOpenModule("app.c", &stamp, &desc, 0, 1, 0, &module, 0);
    uint32_t handle = 0;
    const uint32_t i[3] = {3, 0x9000, 0};
    SymAddVariable("i", 8, SYM_STORAGE_EXTERNAL, 0, i, 0, 1, &handle);
    const uint32_t c[3] = {3, 0x9004, 0};
    SymAddVariable("c", 2, SYM_STORAGE_EXTERNAL, 0, c, 0, 1, &handle);
    SymModuleDesc worker{2, 0x100, 0x1FF};
    SymAddPublicSymbol("worker", 0, 0, &worker, 0);
    const uint32_t r4[3] = {4, 0, 0};
    SymAddVariable("fast", 1, SYM_STORAGE_LOCAL, 1, r4, 0, 1, &handle);
    SymEndSymbolBlock();
    SymCloseModule(0);
    SymEndLoad();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Answers answers;
    static const bool ready = [] {
        platform::SetModalUi(&answers);
        FillStore();
        return true;
    }();
    (void)ready;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<BpCondClause> clauses;
    if (ParseBpCondition(text, {0x104, 1}, &clauses)) {
        if (clauses.empty() || clauses.size() > BP_CONDITION_MAX_CLAUSES)
            __builtin_trap();
        EvaluateBpClauses(clauses);
    }
    SymExprValue value{};
    SymEvaluateExpr(text.c_str(), &value);
    return 0;
}
