// textbench: how the text engine's costs grow with the size of the text.
//
// Texts of 1 KB, 1 MB and 10 MB cut from newlib's headers (and 10 MB with no
// comment marker, painted at its end). Each figure is the min and the median
// of 3 samples; a sample of an edit, its undo, a near find and a page paint is
// the mean of many runs. A search without a match is timed beside
// `LC_ALL=C grep -cF`, the complete load beside `cat` and `wc -l` of the same
// file, all in this run (each command started through the shell, whose own
// start is shown too).
//
//   textbench [--headers DIR] [--out FILE]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "bench_figures.h"
#include "platform/modal_ui.h"
#ifdef ZK_TEXTBENCH_EDITOR
#include <QApplication>

#include "editor_figures.h"
#include "platform/qt/qt_loop.h"
#endif
#include "text_line_reader.h"
#include "text_view_core.h"

namespace {

using namespace textcore;
using namespace textbench;

class NullHost : public TextViewHost {
public:
    CellMetrics GetCellMetrics() override { return {8, 16, 8}; }
    PaintRect GetClientRect() override { return {0, 0, 20 + 120 * 8, 60 * 16}; }
    void Invalidate(const PaintRect*, bool) override {}
    void UpdateWindow() override {}
    void ScrollWindow(int, int, const PaintRect*) override {}
    void SetScrollRange(int, int, int) override {}
    void EnableScrollBar(int, bool) override {}
    void SetScrollPos(int, int) override {}
    void SetCaretPos(int, int) override {}
    void ShowCaret(bool) override {}
    void SetCapture(bool) override {}
    bool HasCapture() override { return false; }
    void SetTimer(int, int) override {}
    void KillTimer(int) override {}
    void GetCursorPos(int& x, int& y) override { x = y = 0; }
    void SendCommand(int) override {}
    void PostRButtonDown(int, int) override {}
    void MessageBeep(unsigned) override {}
    void SetClipboardText(const std::string&) override {}
};

class NullServices : public TextViewServices {};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    in.seekg(0, std::ios::end);
    bytes.resize(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// Whole lines of the headers, repeated, up to `size` bytes.
std::string CutText(const std::string& headers, std::size_t size)
{
    std::string text;
    while (text.size() < size) {
        const std::size_t want = size - text.size();
        if (want >= headers.size()) {
            text += headers;
        } else {
            const std::size_t cut = headers.rfind('\n', want);
            text += headers.substr(0, cut == std::string::npos ? want : cut + 1);
            break;
        }
    }
    return text;
}

constexpr const char* kNeedle = "NEEDLE_TEXTBENCH";
constexpr const char* kAbsent = "zq_no_such_text_zq";

}  // namespace

int main(int argc, char** argv)
{
#ifdef ZK_TEXTBENCH_EDITOR
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication qtApp(argc, argv);
    platform::qt::QtLoop loop;
#endif
    std::string headersDir = "/usr/include/newlib";
    std::string outPath;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--headers") == 0)
            headersDir = argv[i + 1];
        else if (std::strcmp(argv[i], "--out") == 0)
            outPath = argv[i + 1];
    }
    class SilentUi : public platform::ModalUi {
        int MessageBox(const platform::MessageBoxRequest& r) override
        {
            return platform::DefaultMessageBoxAnswer(r.type);
        }
        bool FileDialog(const platform::FileDialogRequest&, platform::FileDialogResult&) override { return false; }
        bool FolderDialog(const platform::FolderDialogRequest&, std::string&) override { return false; }
    } ui;
    platform::ModalUiScope scope(ui);

    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(headersDir)) {
        if (entry.is_regular_file() && entry.path().extension() == ".h")
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    std::string headers;
    for (const std::string& file : files)
        headers += ReadFile(file);
    if (headers.empty()) {
        std::fprintf(stderr, "textbench: no headers in %s\n", headersDir.c_str());
        return 1;
    }
    struct Text {
        std::string name;
        std::string bytes;
    };
    std::string noComment = CutText(headers, 10u << 20);
    std::replace(noComment.begin(), noComment.end(), '/', ' ');
    std::vector<Text> texts = {{"1 KB", CutText(headers, 1024)},
                               {"1 MB", CutText(headers, 1u << 20)},
                               {"10 MB", CutText(headers, 10u << 20)},
                               {"10 MB no comment", noComment}};

    const std::string dir = std::filesystem::temp_directory_path() / "textbench";
    std::filesystem::create_directories(dir);
    std::vector<Row> rows = {{"type a character mid-file (us)", {}},
                             {"  its undo (us)", {}},
                             {"Enter mid-file (us)", {}},
                             {"  its undo (us)", {}},
                             {"3-line deletion (us)", {}},
                             {"  its undo (us)", {}},
                             {"Find Next, match 10 lines on (us)", {}},
                             {"paint a row, page at top (us)", {}},
                             {"paint a row, page in the middle (us)", {}},
                             {"paint a row, page at the end (us)", {}},
                             {"search without match (ms)", {}},
                             {"  LC_ALL=C grep -cF (ms)", {}},
                             {"complete load (ms)", {}},
                             {"  cat (ms)", {}},
                             {"  wc -l (ms)", {}},
                             {"  sh -c true, the start of a command (ms)", {}},
                             {"lines", {}}};

    for (Text& text : texts) {
        // A unique word ten lines below the middle line.
        std::vector<std::string> lines = SplitTextIntoLines(text.bytes);
        const std::size_t mid = lines.size() / 2;
        if (mid + 10 < lines.size())
            lines[mid + 10] += std::string(" ") + kNeedle;
        std::string bytes;
        for (const std::string& line : lines)
            bytes += line + "\n";
        const std::string path = dir + "/" + std::to_string(&text - texts.data()) + ".h";
        std::ofstream(path, std::ios::binary) << bytes;

        NullHost host;
        NullServices services;
        TextViewCore view(host, services);
        LoadText(view.Buffer(), std::make_shared<const std::string>(bytes));
        view.OnInitialUpdate();
        const int middle = static_cast<int>(mid);
        const int runs = 400;

        auto editPair = [&](const std::function<void()>& edit, std::size_t rowEdit) {
            double editTotal[3] = {};
            double undoTotal[3] = {};
            for (int s = 0; s < 3; ++s) {
                for (int r = 0; r < runs; ++r) {
                    const auto t0 = Clock::now();
                    edit();
                    const auto t1 = Clock::now();
                    view.UndoLastEdit();
                    const auto t2 = Clock::now();
                    editTotal[s] += Seconds(t1 - t0);
                    undoTotal[s] += Seconds(t2 - t1);
                }
            }
            int s = 0;
            rows[rowEdit].figures.push_back(Sample3([&] { return editTotal[s++] / runs * 1e6; }));
            s = 0;
            rows[rowEdit + 1].figures.push_back(Sample3([&] { return undoTotal[s++] / runs * 1e6; }));
        };
        editPair(
            [&] {
                view.SetCaret(middle, 2);
                view.InsertText("x", 'x');
            },
            0);
        editPair(
            [&] {
                view.SetCaret(middle, 2);
                view.InsertText("\r\n", 13);
            },
            2);
        editPair(
            [&] {
                view.SetSelection(middle, 0, middle + 3, 0, false);
                view.DeleteSelection(true);
            },
            4);
        rows[6].figures.push_back(Sample3([&] {
            const auto t0 = Clock::now();
            for (int r = 0; r < runs; ++r) {
                view.ClearSelection(false);
                view.SetCaret(middle, 0);
                view.FindNext(kNeedle, true, true, false);
            }
            return Seconds(Clock::now() - t0) / runs * 1e6;
        }));
        TextPaint paint;
        const int lineCount = view.LineCount();
        const int tops[] = {0, lineCount / 2, std::max(0, lineCount - 60)};
        for (int p = 0; p < 3; ++p) {
            rows[7 + static_cast<std::size_t>(p)].figures.push_back(Sample3([&] {
                const auto t0 = Clock::now();
                const int paints = 50;
                for (int r = 0; r < paints; ++r) {
                    view.topLine = tops[p];
                    view.PaintRows(paint, 0, view.linesPerPage);
                }
                return Seconds(Clock::now() - t0) / paints / view.linesPerPage * 1e6;
            }));
        }
        rows[10].figures.push_back(Sample3([&] {
            view.ClearSelection(false);
            view.SetCaret(0, 0);
            const auto t0 = Clock::now();
            view.FindNext(kAbsent, true, true, false);
            return Seconds(Clock::now() - t0) * 1e3;
        }));
        rows[11].figures.push_back(Sample3([&] {
            return TimeCommand("LC_ALL=C grep -cF " + std::string(kAbsent) + " " + path + " >/dev/null") * 1e3;
        }));
        rows[12].figures.push_back(Sample3([&] {
            TextBuffer buffer;
            const auto t0 = Clock::now();
            LoadText(buffer, std::make_shared<const std::string>(ReadFile(path)));
            return Seconds(Clock::now() - t0) * 1e3;
        }));
        rows[13].figures.push_back(Sample3([&] { return TimeCommand("cat " + path + " >/dev/null") * 1e3; }));
        rows[14].figures.push_back(Sample3([&] { return TimeCommand("wc -l " + path + " >/dev/null") * 1e3; }));
        rows[15].figures.push_back(Sample3([&] { return TimeCommand("true") * 1e3; }));
        rows[16].figures.push_back({static_cast<double>(lineCount), static_cast<double>(lineCount)});
        std::filesystem::remove(path);
    }

    std::vector<std::string> columns;
    for (const Text& text : texts)
        columns.push_back(text.name);
    std::ostringstream out;
    out << FormatTable("figure (min / median of 3)", columns, rows, "lines");
#ifdef ZK_TEXTBENCH_EDITOR
    out << "\n"
        << textbench::EditorFigures(
               {{texts[0].name, texts[0].bytes}, {texts[1].name, texts[1].bytes}, {texts[2].name, texts[2].bytes}},
               dir);
#endif
    std::fputs(out.str().c_str(), stdout);
    if (!outPath.empty())
        std::ofstream(outPath) << out.str();
    return 0;
}
