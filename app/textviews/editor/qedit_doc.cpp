#include "qedit_doc.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "command_ids.h"
#include "platform/cmd_target.h"
#include "platform/modal_ui.h"

namespace editor {

IMPLEMENT_DYNCREATE(CQEditDoc, CDocument)

namespace {

constexpr std::size_t kReadChunk = 0x40000;  // 256 KB

const char kMixedTitle[] = "Mixed Source";
const char kDisassemblyTitle[] = "Disassembly";

std::time_t ModificationTime(const std::string& path)
{
    CFileStatus status;
    return CFile::GetStatus(path.c_str(), status) ? status.m_mtime : 0;
}

// The byte after the n-th LF of `bytes` counted from `from`, with `n`
// lowered by the LFs passed; npos when fewer are there.
std::size_t AfterNthLineBreak(const std::string& bytes, std::size_t from, std::size_t& n)
{
    const char* data = bytes.data();
    while (n > 0 && from < bytes.size()) {
        const void* hit = std::memchr(data + from, '\n', bytes.size() - from);
        if (!hit)
            return std::string::npos;
        from = static_cast<std::size_t>(static_cast<const char*>(hit) - data) + 1;
        if (--n == 0)
            return from;
    }
    return std::string::npos;
}

}  // namespace

SourceDocumentHooks& DocumentHooks()
{
    static SourceDocumentHooks hooks;
    return hooks;
}

CQEditDoc::CQEditDoc() = default;

CQEditDoc::~CQEditDoc()
{
    CloseKeptFile();
}

void CQEditDoc::CloseKeptFile()
{
    if (file_)
        file_->Abort();
    file_.reset();
    leftover_.clear();
    rest_.reset();
}

BOOL CQEditDoc::OnNewDocument()
{
    if (!CDocument::OnNewDocument())
        return FALSE;
    CloseKeptFile();
    lines_.Clear();
    lines_.AppendLine({});
    complete_ = true;
    crLf_ = false;
    endedWithBreak_ = false;
    readFailed_ = false;
    RecomputeLineNumberFormat();
    RefreshAllViews();
    return TRUE;
}

BOOL CQEditDoc::OnOpenDocument(const char* path)
{
    language_ = LanguageOfPath(path ? path : "");
    CloseKeptFile();
    // A document read again starts with an empty text and an empty undo list.
    lines_.Clear();
    complete_ = false;
    readFailed_ = false;
    crLf_ = false;
    DeleteContents();
    auto file = std::make_unique<CFile>();
    CFileException error;
    if (!file->Open(path, CFile::modeRead | CFile::shareDenyWrite, &error)) {
        complete_ = true;
        ReportSaveLoadException(path, error, FALSE);
        return FALSE;
    }
    fileTime_ = ModificationTime(path);
    try {
        // Read whole chunks until 10,001 lines are there or the file ends;
        // the bytes past the 10,001st line wait for the idle steps.
        const std::uint64_t length = file->GetLength();
        std::string head;
        std::size_t wanted = kLinesAtOpen;
        std::size_t scanned = 0;
        std::size_t cut = std::string::npos;
        std::string chunk(
            static_cast<std::size_t>(std::min<std::uint64_t>(std::max<std::uint64_t>(length, 1), kReadChunk)), '\0');
        for (;;) {
            const UINT got = file->Read(chunk.data(), static_cast<UINT>(chunk.size()));
            if (got == 0)
                break;
            head.append(chunk.data(), got);
            cut = AfterNthLineBreak(head, scanned, wanted);
            if (cut != std::string::npos)
                break;
            scanned = head.size();
        }
        if (cut != std::string::npos) {
            leftover_.assign(head, cut, std::string::npos);
            head.resize(cut);
        }
        auto bytes = std::make_shared<const std::string>(std::move(head));
        endedWithBreak_ = bytes->empty() || bytes->back() == '\n';
        textcore::TextLineReader reader(bytes);
        reader.ReadLines(lines_, kLinesAtOpen);
        crLf_ = reader.UsedCrLf();
        if (cut == std::string::npos) {
            file->Close();
            FinishLoad();
        } else {
            file_ = std::move(file);
        }
    } catch (const std::exception& e) {
        CloseKeptFile();
        lines_.Clear();
        complete_ = true;
        DeleteContents();
        ReportSaveLoadException(path, e, FALSE);
        return FALSE;
    }
    RecomputeLineNumberFormat();
    RefreshAllViews();
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CQEditDoc::FinishLoad()
{
    // The text after the last line break is a line of its own: empty when
    // the file ends with a break (or is empty), so the break is kept.
    if (endedWithBreak_)
        lines_.AppendLine({});
    complete_ = true;
    CloseKeptFile();
}

void CQEditDoc::ReadRest()
{
    std::string rest = std::move(leftover_);
    leftover_.clear();
    const std::uint64_t position = file_->GetPosition();
    const std::uint64_t length = file_->GetLength();
    if (length > position)
        rest.reserve(rest.size() + static_cast<std::size_t>(length - position));
    std::string chunk(kReadChunk, '\0');
    for (;;) {
        const UINT got = file_->Read(chunk.data(), static_cast<UINT>(chunk.size()));
        if (got == 0)
            break;
        rest.append(chunk.data(), got);
    }
    file_->Close();
    file_.reset();
    if (!rest.empty())
        endedWithBreak_ = rest.back() == '\n';
    rest_ = std::make_unique<textcore::TextLineReader>(std::make_shared<const std::string>(std::move(rest)));
}

void CQEditDoc::ReportLoadFailure(const std::exception& e)
{
    // The lines read so far stay; the document is never saved over its file
    // as if it were whole.
    readFailed_ = true;
    complete_ = true;
    CloseKeptFile();
    ReportSaveLoadException(GetPathName().c_str(), e, FALSE);
}

int CQEditDoc::LoadRemainingLines(bool interactive)
{
    if (complete_)
        return 0;
    loading_ = true;
    try {
        if (!rest_)
            ReadRest();
        rest_->ReadLines(lines_, interactive ? static_cast<std::size_t>(-1) : kLinesPerIdleStep);
        if (rest_->AtEnd())
            FinishLoad();
    } catch (const std::exception& e) {
        ReportLoadFailure(e);
    }
    loading_ = false;
    RecomputeLineNumberFormat();
    return 1;
}

void CQEditDoc::LoadLinesUpTo(std::size_t count)
{
    while (!complete_ && lines_.LineCount() < count)
        LoadRemainingLines(false);
}

BOOL CQEditDoc::OnSaveDocument(const char* path)
{
    // A partly read document is read to its end first: the save writes the
    // whole file, not the lines loaded so far.
    while (LoadRemainingLines(true)) {}
    std::string temp;
    try {
        if (readFailed_)
            throw CException("the file was not read to its end, so it is not written over");
        const std::string bytes = lines_.Join(crLf_ ? "\r\n" : "\n", false);
        // The new text goes to a file beside the old one, which it replaces
        // only once it is written whole: a failing save leaves the old file.
        temp = std::string(path) + ".saving";
        CFile file(temp.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive);
        struct stat old;
        if (::stat(path, &old) == 0)
            ::chmod(temp.c_str(), old.st_mode & 07777);
        auto& write = DocumentHooks().write;
        if (write)
            write(file, bytes.data(), bytes.size());
        else
            file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
        file.Close();
        CFile::Rename(temp.c_str(), path);
        temp.clear();
    } catch (const std::exception& e) {
        if (!temp.empty())
            ::unlink(temp.c_str());
        ReportSaveLoadException(path, e, TRUE);
        return FALSE;
    }
    fileTime_ = ModificationTime(path);
    SetModifiedFlag(FALSE);
    if (DocumentHooks().markSourcesModified)
        DocumentHooks().markSourcesModified(true);
    return TRUE;
}

BOOL CQEditDoc::DoSave(const char* path, BOOL replace)
{
    if ((!path || !*path) && replace) {
        // Save As of a document without a file: propose the title as a name.
        platform::FileDialogRequest request;
        request.open = false;
        const CDocTemplate* tmpl = GetDocTemplate();
        const std::string extension = tmpl ? tmpl->Extension() : std::string();
        request.fileName = ProposedFileName(GetTitle(), extension);
        request.flags = platform::OFN_OVERWRITEPROMPT | platform::OFN_HIDEREADONLY;
        if (tmpl) {
            request.filter = tmpl->FilterName() + "|*" + extension + "|All Files (*.*)|*.*||";
            request.defaultExt = extension;
        }
        platform::FileDialogResult result;
        if (!platform::ShowFileDialog(request, result) || result.paths.empty())
            return FALSE;
        return CDocument::DoSave(result.paths.front().c_str(), replace);
    }
    return CDocument::DoSave(path, replace);
}

BOOL CQEditDoc::OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info)
{
    if (code == platform::CN_COMMAND && !info && !extra) {
        if (id == ID_FILE_SAVE) {
            DoSave(GetPathName().empty() ? nullptr : GetPathName().c_str());
            return TRUE;
        }
        if (id == ID_FILE_SAVE_AS) {
            DoSave(nullptr);
            return TRUE;
        }
    }
    return CDocument::OnCmdMsg(id, code, extra, info);
}

void CQEditDoc::SetModifiedFlag(BOOL modified)
{
    const std::string& title = GetTitle();
    if (title != kDisassemblyTitle && title != kMixedTitle) {
        const std::size_t star = title.find('*');
        if (modified && star == std::string::npos)
            SetTitle(title + "*");
        else if (!modified && star != std::string::npos)
            SetTitle(title.substr(0, star));
    }
    CDocument::SetModifiedFlag(modified);
    if (modified)
        RecomputeLineNumberFormat();
    if (DocumentHooks().markSourcesModified)
        DocumentHooks().markSourcesModified(modified != FALSE);
}

void CQEditDoc::SetTitle(const std::string& title)
{
    if (language_ == LANG_MIXED)
        CDocument::SetTitle(kMixedTitle);
    else if (language_ == LANG_DISASSEMBLY)
        CDocument::SetTitle(kDisassemblyTitle);
    else
        CDocument::SetTitle(title);
}

void CQEditDoc::RecomputeLineNumberFormat()
{
    std::string format = editor::LineNumberFormat(lines_.LineCount());
    if (format == lineNumberFormat_)
        return;
    lineNumberFormat_ = std::move(format);
    RefreshAllViews();
}

void CQEditDoc::RefreshAllViews()
{
    for (CView* view : std::vector<CView*>(Views()))
        if (auto* editorView = dynamic_cast<SourceDocumentView*>(view))
            editorView->OnLineNumberFormatChanged();
}

}  // namespace editor
