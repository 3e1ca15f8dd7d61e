#include "editor_figures.h"

#include <QApplication>
#include <QImage>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "base_view_widget.h"
#include "bench_figures.h"
#include "platform/messages.h"
#include "qedit_doc.h"
#include "qedit_view.h"
#include "shell/debugger_app.h"
#include "shell/settings.h"
#include "text_line_reader.h"

namespace textbench {
namespace {

// A document of the file with one view on a widget of 800 x 600, painted once.
struct Editor {
    std::unique_ptr<CQEditDoc> doc = std::make_unique<CQEditDoc>();
    CQEditView* view = nullptr;
    std::unique_ptr<textbase::qt::BaseViewWidget> widget;

    bool Open(const std::string& path)
    {
        if (!doc->OnOpenDocument(path.c_str()))
            return false;
        doc->SetPathName(path, FALSE);
        view = new CQEditView;
        doc->AddView(view);
        if (!view->Create(nullptr))
            return false;
        widget = std::make_unique<textbase::qt::BaseViewWidget>(view);
        widget->resize(800, 600);
        widget->show();
        view->OnInitialUpdate();
        view->SendMessage(WM_SIZE, 0, MAKELPARAM(widget->viewport()->width(), widget->viewport()->height()));
        image = QImage(widget->viewport()->size(), QImage::Format_RGB32);
        Repaint();
        return true;
    }
    // A paint of the whole view into an image: a real paint, shown or not.
    void Repaint() { widget->viewport()->render(&image); }
    QImage image;
    ~Editor()
    {
        widget.reset();
        if (view)
            view->DestroyWindow();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

}  // namespace

std::string EditorFigures(const std::vector<EditorText>& texts, const std::string& folder)
{
    if (theSettings.FormatColors[0].back == 0 && theSettings.FormatColors[0].fore == 0)
        theSettings.SetDefaultColors();
    theSettings.LineNumbe = 1;
    std::vector<Row> rows = {{"open to first paint (ms)", {}},
                             {"open and load through idle steps (ms)", {}},
                             {"  the text engine's complete load (ms)", {}},
                             {"  wc -l (ms)", {}},
                             {"keystroke with its repaint (us)", {}},
                             {"Page Down with its repaint (us)", {}},
                             {"Ctrl+End on a partly read file, with its repaint (ms)", {}},
                             {"idle steps", {}}};
    CDebuggerApp app;
    CMultiDocTemplate source(1, RUNTIME_CLASS(CQEditDoc), nullptr, nullptr);
    app.m_sourceTemplate = &source;

    for (const EditorText& text : texts) {
        const std::string path = folder + "/editor_" + std::to_string(&text - texts.data()) + ".h";
        std::ofstream(path, std::ios::binary) << text.bytes;

        rows[0].figures.push_back(Sample3([&] {
            const auto t0 = Clock::now();
            Editor editor;
            editor.Open(path);
            return Seconds(Clock::now() - t0) * 1e3;
        }));
        int steps = 0;
        rows[1].figures.push_back(Sample3([&] {
            const auto t0 = Clock::now();
            auto* doc = static_cast<CQEditDoc*>(source.CreateNewDocument());
            doc->OnOpenDocument(path.c_str());
            steps = 0;
            while (app.OnIdle(0)) {
                platform::DispatchPending();
                ++steps;
            }
            const double seconds = Seconds(Clock::now() - t0);
            delete doc;
            return seconds * 1e3;
        }));
        rows[2].figures.push_back(Sample3([&] {
            textcore::TextBuffer buffer;
            const auto t0 = Clock::now();
            std::ifstream in(path, std::ios::binary | std::ios::ate);
            std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
            in.seekg(0);
            in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            textcore::LoadText(buffer, std::make_shared<const std::string>(std::move(bytes)));
            return Seconds(Clock::now() - t0) * 1e3;
        }));
        rows[3].figures.push_back(Sample3([&] { return TimeCommand("wc -l " + path + " >/dev/null") * 1e3; }));

        Editor editor;
        editor.Open(path);
        editor.doc->LoadRemainingLines(true);
        CQEditView* view = editor.view;
        const int middle = view->LineCount() / 2;
        const int runs = 200;
        rows[4].figures.push_back(Sample3([&] {
            double total = 0;
            for (int r = 0; r < runs; ++r) {
                view->SetCaret(middle, 2);
                const auto t0 = Clock::now();
                view->SendMessage(WM_CHAR, 'x', 1);
                editor.Repaint();
                total += Seconds(Clock::now() - t0);
                view->UndoLastEdit();
            }
            return total / runs * 1e6;
        }));
        rows[5].figures.push_back(Sample3([&] {
            double total = 0;
            for (int r = 0; r < runs; ++r) {
                view->SendMessage(WM_VSCROLL, MAKEWPARAM(textcore::SB_THUMBPOSITION, middle), 0);
                view->SetCaret(middle, 0);
                const auto t0 = Clock::now();
                view->SendMessage(WM_KEYDOWN, textcore::VK_NEXT, 1);
                editor.Repaint();
                total += Seconds(Clock::now() - t0);
            }
            return total / runs * 1e6;
        }));
        rows[6].figures.push_back(Sample3([&] {
            Editor fresh;
            fresh.Open(path);
            auto previous = platform::SetKeyStateQuery(
                [](int vk) -> short { return vk == textcore::VK_CONTROL ? static_cast<short>(-32768) : 0; });
            const auto t0 = Clock::now();
            fresh.view->SendMessage(WM_KEYDOWN, textcore::VK_END, 1);
            fresh.Repaint();
            const double seconds = Seconds(Clock::now() - t0);
            platform::SetKeyStateQuery(previous);
            return seconds * 1e3;
        }));
        rows[7].figures.push_back({static_cast<double>(steps), static_cast<double>(steps)});
        std::filesystem::remove(path);
    }
    app.m_sourceTemplate = nullptr;

    std::vector<std::string> columns;
    for (const EditorText& text : texts)
        columns.push_back(text.name);
    return FormatTable("source editor, offscreen (min / median of 3)", columns, rows, "idle steps");
}

}  // namespace textbench
