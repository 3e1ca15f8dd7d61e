// Documents, views and the templates that make them.
//
// A template (document, frame and view classes, resource id) opens a document:
// it makes the document and a frame with its views, loads the file through
// Serialize(CArchive&) and runs OnInitialUpdate. A failed load (an exception
// from Serialize, a missing file) is reported through the modal service and
// leaves no frame or document behind.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/archive.h"
#include "platform/cell_paint.h"
#include "platform/frame_wnd.h"

namespace platform {

class CView;
class CDocTemplate;

// The print protocol's state.
struct CPrintInfo {
    UINT m_nCurPage = 1;
    UINT m_nFromPage = 1;
    UINT m_nToPage = 0xFFFF;
    UINT m_nMinPage = 1;
    UINT m_nMaxPage = 0xFFFF;
    BOOL m_bContinuePrinting = TRUE;
    BOOL m_bPreview = FALSE;
    RECT m_rectDraw;     // the printable page in device pixels
    SIZE m_cell{8, 16};  // the printer font's cell in device pixels
    int m_dpi = 96;
    void SetMaxPage(UINT n) { m_nMaxPage = n; }
    UINT GetMaxPage() const { return m_nMaxPage; }
};

// A device context as a display list: the logic draws into it, the host
// replays it on a widget or a printer page.
class CDC {
public:
    struct Op {
        enum Kind { Text, Fill, Line, Cells } kind;
        int x = 0, y = 0, x2 = 0, y2 = 0;
        std::string text;
        COLORREF fg = 0, bg = 0;
        CellPaint cells;
    };
    explicit CDC(bool printing = false) : printing_(printing) {}
    bool IsPrinting() const { return printing_; }
    void SetTextColor(COLORREF c) { fg_ = c; }
    void SetBkColor(COLORREF c) { bg_ = c; }
    void TextOut(int x, int y, const std::string& text);
    void FillSolidRect(const RECT& r, COLORREF c);
    void Line(int x1, int y1, int x2, int y2, COLORREF c);
    void DrawCells(int x, int y, CellPaint paint);
    int GetDeviceCaps(int index) const;
    void SetDeviceCaps(int dpi, RECT page) { dpi_ = dpi, page_ = page; }
    const std::vector<Op>& Ops() const { return ops_; }
    void Clear() { ops_.clear(); }

private:
    bool printing_;
    COLORREF fg_ = 0, bg_ = 0xFFFFFF;
    int dpi_ = 96;
    RECT page_;
    std::vector<Op> ops_;
};

class CDocument : public CCmdTarget {
public:
    CDocument();
    ~CDocument() override;

    const std::string& GetTitle() const { return title_; }
    virtual void SetTitle(const std::string& title);
    const std::string& GetPathName() const { return path_; }
    virtual void SetPathName(const std::string& path, BOOL addToMRU = TRUE);
    BOOL IsModified() const { return modified_; }
    void SetModifiedFlag(BOOL modified = TRUE) { modified_ = modified != FALSE; }
    CDocTemplate* GetDocTemplate() const { return template_; }

    void AddView(CView* view);
    void RemoveView(CView* view);
    const std::vector<CView*>& Views() const { return views_; }
    void UpdateAllViews(CView* sender, LPARAM hint = 0, CObject* hintObject = nullptr);

    virtual BOOL OnNewDocument();
    // Loads through Serialize; an exception is reported and FALSE returned.
    virtual BOOL OnOpenDocument(const char* path);
    virtual BOOL OnSaveDocument(const char* path);
    virtual void OnCloseDocument();
    virtual void DeleteContents() {}
    // Asks "Save changes to <title>?" when modified: TRUE to go on.
    virtual BOOL SaveModified();
    virtual BOOL CanCloseFrame(CFrameWnd* frame);
    // Save (to the path, or Save As when there is none).
    BOOL DoFileSave();
    BOOL DoSave(const char* path, BOOL replace = TRUE);
    // The exception of a failed load or save, reported through ModalUi.
    virtual void ReportSaveLoadException(const char* path, const std::exception& e, BOOL saving);

    BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override;

    DECLARE_DYNAMIC(CDocument)

private:
    friend class CDocTemplate;
    std::string title_;
    std::string path_;
    bool modified_ = false;
    bool closing_ = false;
    CDocTemplate* template_ = nullptr;
    std::vector<CView*> views_;
};

class CView : public CWnd {
public:
    CView();
    ~CView() override;
    CDocument* GetDocument() const { return document_; }

    virtual void OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }
    virtual void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) { Invalidate(); }
    virtual void OnActivateView(BOOL activate, CView* activated, CView* deactivated) {}
    virtual void OnActivateFrame(UINT state, CFrameWnd* frame) {}

    // Self-drawn views: the rows [firstRow, firstRow + rows) as paint data.
    virtual bool GetCellPaint(int firstRow, int rows, CellPaint& paint) { return false; }

    // The print protocol.
    virtual BOOL OnPreparePrinting(CPrintInfo* info) { return TRUE; }
    virtual void OnBeginPrinting(CDC* dc, CPrintInfo* info) {}
    virtual void OnPrepareDC(CDC* dc, CPrintInfo* info = nullptr);
    virtual void OnPrint(CDC* dc, CPrintInfo* info) {}
    virtual void OnEndPrinting(CDC* dc, CPrintInfo* info) {}

    // Drops: `text` dragged over or dropped at `point`; the effect (0 none).
    virtual DWORD OnDragOver(const std::string& text, DWORD keyState, POINT point) { return 0; }
    virtual BOOL OnDrop(const std::string& text, DWORD effect, POINT point) { return FALSE; }

    BOOL Create(CWnd* parent, UINT id = AFX_IDW_PANE_FIRST, const std::string& text = {}) override;
    BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override;

    DECLARE_DYNAMIC(CView)

protected:
    void OnDestroy() override;
    void OnSetFocus() override;

private:
    friend class CDocument;
    friend class CFrameWnd;
    CDocument* document_ = nullptr;
};

inline constexpr DWORD DROPEFFECT_NONE = 0;
inline constexpr DWORD DROPEFFECT_COPY = 1;
inline constexpr DWORD DROPEFFECT_MOVE = 2;

class CDocTemplate : public CCmdTarget {
public:
    CDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
                 const CRuntimeClass* viewClass);
    ~CDocTemplate() override;

    UINT GetResourceId() const { return resourceId_; }
    // The file extension the template opens (".c"), from its filter string.
    void SetFilter(std::string extension, std::string filterName);
    const std::string& Extension() const { return extension_; }
    const std::string& FilterName() const { return filterName_; }
    bool Matches(const std::string& path) const;

    virtual CDocument* CreateNewDocument();
    virtual CFrameWnd* CreateNewFrame(CDocument* doc, CFrameWnd* other);
    // null path: a new document. Null on failure, with nothing left open.
    virtual CDocument* OpenDocumentFile(const char* path, BOOL makeVisible = TRUE);
    void InitialUpdateFrame(CFrameWnd* frame, CDocument* doc, BOOL makeVisible = TRUE);
    void AddDocument(CDocument* doc);
    void RemoveDocument(CDocument* doc);
    const std::vector<CDocument*>& Documents() const { return docs_; }
    void CloseAllDocuments(BOOL endSession);

    std::shared_ptr<CMenu> SharedMenu() const { return menu_; }
    std::shared_ptr<AccelTable> SharedAccel() const { return accel_; }

    const CRuntimeClass* m_pDocClass;
    const CRuntimeClass* m_pFrameClass;
    const CRuntimeClass* m_pViewClass;

    DECLARE_DYNAMIC(CDocTemplate)

private:
    UINT resourceId_;
    std::string extension_;
    std::string filterName_;
    std::vector<CDocument*> docs_;
    std::shared_ptr<CMenu> menu_;
    std::shared_ptr<AccelTable> accel_;
    int untitled_ = 0;
};

class CMultiDocTemplate : public CDocTemplate {
public:
    using CDocTemplate::CDocTemplate;
};

class CDocManager {
public:
    ~CDocManager();
    void AddDocTemplate(CDocTemplate* t) { templates_.push_back(t); }
    const std::vector<CDocTemplate*>& Templates() const { return templates_; }
    // An open document of the path is activated instead of opened again.
    CDocument* OpenDocumentFile(const char* path);
    void OnFileNew();
    void OnFileOpen();
    BOOL SaveAllModified();
    void CloseAllDocuments(BOOL endSession);
    int GetOpenDocumentCount() const;

private:
    std::vector<CDocTemplate*> templates_;  // owned
};

}  // namespace platform

using platform::CDC;
using platform::CDocManager;
using platform::CDocTemplate;
using platform::CDocument;
using platform::CMultiDocTemplate;
using platform::CPrintInfo;
using platform::CView;
