// `CQEditDoc`: a source file as lines shared by its views. Large files open
// at once: the first 10,001 lines are read at open, the rest in idle steps of
// 1,001 lines or when a view scrolls towards the end; until then the file
// stays open. The document keeps the line ends it was read with (a new
// document uses LF) and writes a last line break only when the file had one,
// so an unchanged document saves the bytes it was read from.
#pragma once

#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "platform/doc_view.h"
#include "platform/file.h"
#include "shell/incremental_source.h"
#include "source_rules.h"
#include "text_buffer.h"
#include "text_line_reader.h"

namespace editor {

// What a view does when the document's line-number format changes: lay
// itself out again and repaint at once.
class SourceDocumentView {
public:
    virtual ~SourceDocumentView() = default;
    virtual void OnLineNumberFormatChanged() = 0;
};

// The program around the document. `MarkSourcesModified` belongs to the
// debugger core; the write is the save's one way to the disk (tests fail it).
struct SourceDocumentHooks {
    std::function<void(bool modified)> markSourcesModified;
    std::function<void(CFile& file, const char* data, std::size_t size)> write;
};
SourceDocumentHooks& DocumentHooks();

class CQEditDoc : public CDocument, public shell::CIncrementalSource {
public:
    static constexpr std::size_t kLinesAtOpen = 10001;
    static constexpr std::size_t kLinesPerIdleStep = 1001;

    CQEditDoc();
    ~CQEditDoc() override;

    textcore::TextBuffer& Lines() { return lines_; }
    const textcore::TextBuffer& Lines() const { return lines_; }
    int Language() const { return language_; }
    void SetLanguage(int language) { language_ = language; }
    const std::string& LineNumberFormat() const { return lineNumberFormat_; }
    std::time_t FileTime() const { return fileTime_; }
    bool IsLoading() const { return loading_; }
    bool IsComplete() const override { return complete_; }
    bool UsesCrLf() const { return crLf_; }

    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const char* path) override;
    BOOL OnSaveDocument(const char* path) override;
    void SetTitle(const std::string& title) override;

    // 1 when it read lines, 0 when the document was already complete.
    // Interactive (a view that needs the end): reads to the end of the file;
    // otherwise (the idle step): at most 1,001 lines.
    int LoadRemainingLines(bool interactive) override;
    // Reads until the document holds `count` lines or is complete.
    void LoadLinesUpTo(std::size_t count);

    // Save (to the path, or Save As when there is none) and Save As with the
    // proposed name.
    BOOL DoSave(const char* path, BOOL replace = TRUE);
    void SetModifiedFlag(BOOL modified = TRUE);
    void RecomputeLineNumberFormat();
    void RefreshAllViews();

    BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override;

    DECLARE_DYNCREATE(CQEditDoc)

private:
    void CloseKeptFile();
    void ReadRest();
    void FinishLoad();
    void ReportLoadFailure(const std::exception& e);

    textcore::TextBuffer lines_;
    std::string lineNumberFormat_ = "%1d";
    std::time_t fileTime_ = 0;
    bool loading_ = false;
    bool complete_ = true;
    bool crLf_ = false;
    bool endedWithBreak_ = true;
    bool readFailed_ = false;
    int language_ = LANG_C;
    // While partly read: the open file, the bytes read past the last whole
    // line at open, and then a reader over the rest.
    std::unique_ptr<CFile> file_;
    std::string leftover_;
    std::unique_ptr<textcore::TextLineReader> rest_;
};

}  // namespace editor

using editor::CQEditDoc;
