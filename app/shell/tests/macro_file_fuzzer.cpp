// Any bytes as a macro file: the procedure reader lists names or reports a
// missing "End Sub", and the script engine's parse of the same bytes gives a
// program or one compile error. Neither crashes nor runs anything.
#include <cstddef>
#include <cstdint>
#include <string>

#include "parser.h"
#include "platform/modal_ui.h"
#include "shell/macro_files.h"

namespace {

// Message boxes answered at once and quietly.
class QuietUi final : public platform::ModalUi {
public:
    int MessageBox(const platform::MessageBoxRequest&) override { return IDOK; }
    bool FileDialog(const platform::FileDialogRequest&, platform::FileDialogResult&) override { return false; }
    bool FolderDialog(const platform::FolderDialogRequest&, std::string&) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QuietUi ui;
    static platform::ModalUiScope scope(ui);
    std::string text(reinterpret_cast<const char*>(data), size);

    auto reader = shell::CMacroFileReader::FromText(text);
    const std::vector<std::string> names = shell::MacroProcedures(reader);
    for (const std::string& name : names)
        if (name.size() > size)
            __builtin_trap();

    try {
        auto program = zk::script::Parse(text, false);
        (void)program;
    } catch (const zk::script::ScriptError& e) {
        if (!e.compile || e.number == 0 || e.description.empty())
            __builtin_trap();
    } catch (const zk::script::RuntimeError&) {
        __builtin_trap();  // parsing raises only compile errors
    }
    return 0;
}
