// A script of editing primitives and undos: never a crash, and undoing every
// record brings back the text as it was when the undo list last started
// (joins record nothing, so they start it again).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fake_text_host.h"
#include "platform/modal_ui.h"

namespace {

class SilentUi : public platform::ModalUi {
public:
    int MessageBox(const platform::MessageBoxRequest& request) override
    {
        return platform::DefaultMessageBoxAnswer(request.type);
    }
    bool FileDialog(const platform::FileDialogRequest&, platform::FileDialogResult&) override { return false; }
    bool FolderDialog(const platform::FolderDialogRequest&, std::string&) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace textcore;
    static SilentUi ui;
    platform::ModalUiScope scope(ui);
    textcore::test::ViewFixture f({"int main(void)", "{", "\treturn 0;", "}"});
    f.services.maxUndoLen = 1 << 30;
    f.services.smartEdit = size > 0 && data[0] % 2;
    std::size_t pos = 1;
    auto next = [&]() -> unsigned { return pos < size ? data[pos++] : 0u; };
    auto start = f.Lines();
    int edits = 0;
    TextViewCore& view = f.view;
    while (pos < size && edits < 45) {
        const unsigned op = next() % 8;
        const int lines = view.LineCount();
        const int line = lines > 0 ? static_cast<int>(next() % static_cast<unsigned>(lines)) : 0;
        const int column = static_cast<int>(next() % static_cast<unsigned>(view.GetLineLength(line) + 1));
        switch (op) {
        case 0: {
            const std::size_t length = next() % 12;
            std::string text;
            for (std::size_t i = 0; i < length && pos < size; ++i)
                text.push_back(static_cast<char>(next()));
            view.SetCaret(line, column);
            edits += view.InsertText(text, 0);
            break;
        }
        case 1: {
            const int endLine = std::min(lines - 1, line + static_cast<int>(next() % 3));
            const int endColumn = static_cast<int>(next() % static_cast<unsigned>(view.GetLineLength(endLine) + 1));
            view.SetSelection(line, column, endLine, endColumn, false);
            break;
        }
        case 2: edits += view.DeleteSelection(true); break;
        case 3: view.UndoLastEdit(); break;
        case 4:
            if (view.JoinLines(line, line + 1)) {
                view.Buffer().UndoList().Clear();
                start = f.Lines();
                edits = 0;
            }
            break;
        case 5:
            view.SetCaret(line, column);
            edits += view.InsertText("\r\n", 13);
            break;
        case 6: {
            const char typed = static_cast<char>(next());
            view.SetCaret(line, column);
            edits += view.InsertText(std::string(1, typed), static_cast<unsigned char>(typed));
            break;
        }
        default: {
            const char* pastes[] = {"a\r\nb", "a\nb\n", "\n\n", "x\ry", "(", ""};
            if (!view.HasSelection())
                view.SetCaret(line, column);
            edits += view.InsertText(pastes[next() % 6], 0);
            break;
        }
        }
    }
    while (view.CanUndo())
        view.UndoLastEdit();
    if (f.Lines() != start)
        std::abort();
    return 0;
}
