// Templates and the document manager.
#include <algorithm>
#include <cctype>

#include "platform/doc_view.h"
#include "platform/modal_ui.h"
#include "platform/resources.h"
#include "platform/win_app.h"

namespace platform {

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)

namespace {

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

}  // namespace

CDocTemplate::CDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
                           const CRuntimeClass* viewClass)
    : m_pDocClass(docClass), m_pFrameClass(frameClass), m_pViewClass(viewClass), resourceId_(resourceId)
{
    menu_ = resources::LoadMenu(resourceId);
    accel_ = resources::LoadAccelerators(resourceId);
}

CDocTemplate::~CDocTemplate()
{
    for (CDocument* d : std::vector<CDocument*>(docs_))
        d->template_ = nullptr;
}

void CDocTemplate::SetFilter(std::string extension, std::string filterName)
{
    extension_ = std::move(extension);
    filterName_ = std::move(filterName);
}

bool CDocTemplate::Matches(const std::string& path) const
{
    if (extension_.empty() || path.size() < extension_.size())
        return false;
    return Lower(path.substr(path.size() - extension_.size())) == Lower(extension_);
}

CDocument* CDocTemplate::CreateNewDocument()
{
    auto* doc = dynamic_cast<CDocument*>(m_pDocClass ? m_pDocClass->CreateObject() : nullptr);
    if (doc)
        AddDocument(doc);
    return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* doc, CFrameWnd*)
{
    auto* frame = dynamic_cast<CFrameWnd*>(m_pFrameClass ? m_pFrameClass->CreateObject() : nullptr);
    if (!frame)
        return nullptr;
    CCreateContext context;
    context.m_pCurrentDoc = doc;
    context.m_pNewViewClass = m_pViewClass;
    context.m_pNewDocTemplate = this;
    CWnd* main = AfxGetApp() ? AfxGetApp()->m_pMainWnd : nullptr;
    if (!frame->LoadFrame(resourceId_, main, &context)) {
        if (!frame->m_hWnd)
            delete frame;  // never made a window: nothing deletes it otherwise
        return nullptr;
    }
    return frame;
}

CDocument* CDocTemplate::OpenDocumentFile(const char* path, BOOL makeVisible)
{
    CDocument* doc = CreateNewDocument();
    if (!doc)
        return nullptr;
    CFrameWnd* frame = CreateNewFrame(doc, nullptr);
    if (!frame) {
        RemoveDocument(doc);
        delete doc;
        return nullptr;
    }
    bool ok;
    if (path) {
        ok = doc->OnOpenDocument(path);
        if (ok)
            doc->SetPathName(path);
    } else {
        doc->SetTitle(resources::LoadString(resourceId_).empty()
                          ? "Untitled" + std::to_string(++untitled_)
                          : resources::LoadString(resourceId_) + std::to_string(++untitled_));
        ok = doc->OnNewDocument();
    }
    if (!ok) {
        // No half-open document: the frame and its views go, then the document.
        doc->OnCloseDocument();
        return nullptr;
    }
    InitialUpdateFrame(frame, doc, makeVisible);
    return doc;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* frame, CDocument* doc, BOOL makeVisible)
{
    frame->InitialUpdateFrame(doc, makeVisible);
}

void CDocTemplate::AddDocument(CDocument* doc)
{
    doc->template_ = this;
    docs_.push_back(doc);
}

void CDocTemplate::RemoveDocument(CDocument* doc)
{
    docs_.erase(std::remove(docs_.begin(), docs_.end(), doc), docs_.end());
}

void CDocTemplate::CloseAllDocuments(BOOL)
{
    for (CDocument* d : std::vector<CDocument*>(docs_))
        d->OnCloseDocument();
}

CDocManager::~CDocManager()
{
    for (CDocTemplate* t : templates_)
        delete t;
}

CDocument* CDocManager::OpenDocumentFile(const char* path)
{
    if (!path)
        return nullptr;
    CDocTemplate* best = nullptr;
    for (CDocTemplate* t : templates_) {
        for (CDocument* d : t->Documents()) {
            if (Lower(d->GetPathName()) == Lower(path)) {
                if (!d->Views().empty())
                    if (auto* child = dynamic_cast<CMDIChildWnd*>(d->Views().front()->GetParentFrame()))
                        child->MDIActivate();
                return d;
            }
        }
        if (!best && t->Matches(path))
            best = t;
    }
    if (!best && !templates_.empty())
        best = templates_.front();
    return best ? best->OpenDocumentFile(path) : nullptr;
}

void CDocManager::OnFileNew()
{
    if (!templates_.empty())
        templates_.front()->OpenDocumentFile(nullptr);
}

void CDocManager::OnFileOpen()
{
    FileDialogRequest request;
    request.open = true;
    request.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    for (CDocTemplate* t : templates_)
        if (!t->Extension().empty())
            request.filter += t->FilterName() + "|*" + t->Extension() + "|";
    request.filter += "All Files (*.*)|*.*||";
    FileDialogResult result;
    if (!ShowFileDialog(request, result))
        return;
    for (const auto& p : result.paths)
        if (AfxGetApp())
            AfxGetApp()->OpenDocumentFile(p.c_str());
        else
            OpenDocumentFile(p.c_str());
}

BOOL CDocManager::SaveAllModified()
{
    for (CDocTemplate* t : templates_)
        for (CDocument* d : std::vector<CDocument*>(t->Documents()))
            if (!d->SaveModified())
                return FALSE;
    return TRUE;
}

void CDocManager::CloseAllDocuments(BOOL endSession)
{
    for (CDocTemplate* t : templates_)
        t->CloseAllDocuments(endSession);
}

int CDocManager::GetOpenDocumentCount() const
{
    int n = 0;
    for (CDocTemplate* t : templates_)
        n += static_cast<int>(t->Documents().size());
    return n;
}

}  // namespace platform
