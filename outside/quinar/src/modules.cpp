// The load life cycle, sections, modules and their source files.
#include <algorithm>

#include "store.h"

namespace quinar {

Store& TheStore()
{
    static Store store;
    return store;
}

Store::Store()
{
    Clear();
}

void Store::Clear()
{
    imageKnown_ = false;
    imagePath_.clear();
    imageStamp_ = {};
    currentModule_ = lastModule_ = openTable_ = kNone;
    openFunctions_.clear();

    sections_.clear();
    modules_.clear();
    moduleByHandle_.clear();
    fileHandles_.Retire(static_cast<uint32_t>(files_.size()));
    files_.clear();
    scopes_.clear();
    lineTables_.Clear();
    frameRules.Clear();

    functionHandles_.Retire(static_cast<uint32_t>(functions_.size()));
    functions_.clear();
    labelHandles_.Retire(static_cast<uint32_t>(labels_.size()));
    labels_.clear();
    dataLabelHandles_.Retire(static_cast<uint32_t>(dataLabels_.size()));
    dataLabels_.clear();
    variableHandles_.Retire(static_cast<uint32_t>(variables_.size()));
    variables_.clear();
    variableByEntry_.clear();
    locationPieces_.clear();
    locationBytes_.clear();
    names_.Clear();
    funcNames_.clear();
    types_.Clear();
    FreeDerived();
    TouchAddresses();
}

void Store::FreeDerived()
{
    lineIndex_.Clear();
    linesBuilt_ = false;
    keysByName_.clear();
    moduleNamesBuilt_ = false;
}

SymResult Store::CheckImageLoaded(std::string_view path, const ImageStamp& stamp)
{
    bool holdsSymbols =
        !modules_.empty() || !functions_.empty() || !labels_.empty() || !variables_.empty() || !dataLabels_.empty();
    if (imageKnown_ && holdsSymbols && imagePath_ == path && imageStamp_ == stamp)
        return SYM_S_IMAGE_LOADED;
    // One image at a time: the symbols of another one (or of a changed file)
    // go before this one's are read.
    if (holdsSymbols || imageKnown_)
        Clear();
    imageKnown_ = true;
    imagePath_ = path;
    imageStamp_ = stamp;
    return SYM_OK;
}

void Store::EndLoad()
{
    if (openTable_ != kNone)
        EndLineTable();
    CloseOpenFunctions();
    currentModule_ = kNone;
    BuildAddressIndexes();
    Lines();
    BuildModuleNames();
}

LoadCounts Store::Counts() const
{
    auto count = [](size_t n) { return static_cast<uint32_t>(std::min<size_t>(n, 0xFFFFFFFFu)); };
    LoadCounts c;
    c.items = count(modules_.size() + functions_.size() + labels_.size() + dataLabels_.size() + variables_.size());
    c.modules = count(modules_.size());
    c.functions = count(functions_.size());
    c.lineRows = count(lineTables_.rows.size());
    return c;
}

void Store::AddSection(std::string_view name, uint32_t index, uint32_t attribute)
{
    sections_.push_back({std::string(name), index, attribute});
}

uint32_t Store::ModulePosition(uint32_t handle) const
{
    auto it = moduleByHandle_.find(handle);
    return it == moduleByHandle_.end() ? kNone : it->second;
}

uint32_t Store::NewModule(uint32_t handle, std::string_view name)
{
    uint32_t position = static_cast<uint32_t>(modules_.size());
    Module m;
    m.handle = handle;
    m.name = name;
    modules_.push_back(std::move(m));
    moduleByHandle_[handle] = position;
    modules_[position].scope = NewScope(ScopeKind::Module, position, kNone);
    moduleNamesBuilt_ = false;
    return position;
}

void Store::ApplyDesc(Module& m, const ModuleOpening& how)
{
    if (how.stamp)
        m.stamp = *how.stamp;
    m.position = how.position;
    m.kind = how.kind;
    if (how.range) {
        m.section = how.range->section;
        GrowRange(m, how.range->start, how.range->end);
    }
}

Result<uint32_t> Store::OpenModule(std::string_view name, const ModuleOpening& how)
{
    if (name.empty())
        return {SYM_S_MODULE_NO_HANDLE, 0};
    CloseModule();
    uint32_t serial = nextModuleSerial_++;
    if (nextModuleSerial_ > kSerialMask)
        nextModuleSerial_ = 1;
    uint32_t h = MakeHandle(SYM_KIND_MODULE, serial);
    uint32_t at = NewModule(h, name);
    ApplyDesc(modules_[at], how);
    currentModule_ = lastModule_ = at;
    return {SYM_OK, h};
}

SymResult Store::ReopenModule(uint32_t handle, std::string_view name, const ModuleOpening& how)
{
    if (KindOf(handle) != SYM_KIND_MODULE || SerialOf(handle) == 0)
        return SYM_E_BAD_HANDLE;
    CloseModule();
    uint32_t at = ModulePosition(handle);
    if (at == kNone) {
        // A reader that keeps its module table across loads hands back a
        // handle of a cleared store: the module is made again under it.
        at = NewModule(handle, name);
    } else {
        ++modules_[at].reopenCount;
    }
    if (!name.empty() && modules_[at].name.empty())
        modules_[at].name = name;
    ApplyDesc(modules_[at], how);
    currentModule_ = lastModule_ = at;
    return SYM_OK;
}

SymResult Store::MarkNameShared(uint32_t handle)
{
    uint32_t at = ModulePosition(handle);
    if (at == kNone)
        return SYM_E_BAD_HANDLE;
    modules_[at].nameShared = true;
    return SYM_OK;
}

void Store::CloseModule()
{
    CloseOpenFunctions();
    if (currentModule_ != kNone)
        lastModule_ = currentModule_;
    currentModule_ = kNone;
}

namespace {

// A function's or a variable's range, as given.
template <class Records>
SymResult SetSpan(const HandleSpace& space, Records& records, uint32_t handle, const SymRange& range)
{
    uint32_t at = space.PositionIn(handle, records);
    if (at == kNone)
        return SYM_E_BAD_HANDLE;
    if (range.startValid)
        records[at].start = range.start;
    if (range.endValid)
        records[at].end = range.end;
    return SYM_OK;
}

}  // namespace

void Store::GrowRange(Module& m, uint32_t start, uint32_t end)
{
    if (start == kNoRangeStart || start > end)
        return;
    m.start = m.hasRange ? std::min(m.start, start) : start;
    m.end = m.hasRange ? std::max(m.end, end) : end;
    m.hasRange = true;
    TouchAddresses();
}

SymResult Store::SetRange(const SymRange& range, uint32_t handle)
{
    if (handle == 0) {
        if (lastModule_ == kNone)
            return SYM_E_BAD_HANDLE;
        handle = modules_[lastModule_].handle;
    }
    SymResult r = SYM_E_BAD_HANDLE;
    switch (KindOf(handle)) {
    case SYM_KIND_MODULE:
        if (uint32_t at = ModulePosition(handle); at != kNone) {
            GrowRange(modules_[at], range.start, range.end);
            r = SYM_OK;
        }
        break;
    case SYM_KIND_FUNCTION:
        r = SetSpan(functionHandles_, functions_, handle, range);
        if (r == SYM_OK)
            TouchAddresses();
        break;
    case SYM_KIND_VARIABLE:
        r = SetSpan(variableHandles_, variables_, handle, range);
        if (r == SYM_OK)
            TouchSymbols();
        break;
    default: break;
    }
    return r;
}

SymResult Store::SetModuleAttr(uint32_t handle, std::string_view text)
{
    uint32_t at = ModulePosition(handle);
    if (at == kNone)
        return SYM_E_BAD_HANDLE;
    Module& m = modules_[at];
    m.attr = text;
    if (m.attr.empty())
        return SYM_OK;
    for (uint32_t file : m.files) {
        if (files_[file].name == m.attr) {
            m.currentFile = file;
            return SYM_OK;
        }
    }
    // The module's own file, made by a line table before any name came,
    // takes the name; otherwise the name is a further source file.
    if (m.files.size() == 1 && files_[m.files.front()].name.empty()) {
        files_[m.files.front()].name = m.attr;
        m.currentFile = m.files.front();
        moduleNamesBuilt_ = false;
        return SYM_OK;
    }
    uint32_t file = static_cast<uint32_t>(files_.size());
    files_.push_back({at, m.attr});
    m.files.push_back(file);
    m.currentFile = file;
    moduleNamesBuilt_ = false;
    linesBuilt_ = false;
    return SYM_OK;
}

SymResult Store::AddModuleByName(std::string_view name, uint32_t value)
{
    if (name.empty())
        return SYM_E_ARGUMENT;
    if (currentModule_ != kNone) {
        labels_.push_back({std::string(name), value, currentModule_});
        names_.Add(name, {SYM_KIND_LABEL, static_cast<uint32_t>(labels_.size() - 1)});
        TouchSymbols();
        return SYM_OK;
    }
    return OpenModule(name, {std::nullopt, SymModuleDesc{0, kNoRangeStart, 0}, value, 0}).status;
}

uint32_t Store::FileOfKey(uint32_t key) const
{
    if (KindOf(key) == SYM_KIND_SOURCE)
        return fileHandles_.PositionIn(key, files_);
    uint32_t at = ModulePosition(key);
    if (at == kNone || modules_[at].files.empty())
        return kNone;
    return modules_[at].files.front();
}

bool Store::IsModuleOrSourceKey(uint32_t key) const
{
    if (KindOf(key) == SYM_KIND_SOURCE)
        return fileHandles_.PositionIn(key, files_) != kNone;
    return ModulePosition(key) != kNone;
}

uint32_t Store::KeyOfFile(uint32_t file) const
{
    const Module& m = modules_[files_[file].module];
    return m.files.front() == file ? m.handle : fileHandles_.HandleOf(file);
}

std::string Store::FileName(uint32_t file) const
{
    const SourceFile& f = files_[file];
    return f.name.empty() ? modules_[f.module].name : f.name;
}

Result<std::string> Store::SourceNameOfKey(uint32_t key) const
{
    uint32_t file = FileOfKey(key);
    if (file != kNone)
        return {SYM_OK, FileName(file)};
    uint32_t at = ModulePosition(key);
    if (at == kNone)
        return {SYM_E_BAD_HANDLE, {}};
    return {SYM_OK, modules_[at].name};
}

void Store::BuildModuleNames()
{
    if (moduleNamesBuilt_)
        return;
    keysByName_.clear();
    auto file = [&](std::string_view name, uint32_t key) {
        std::string folded = FoldCase(FilePart(name));
        if (folded.empty())
            return;
        auto& keys = keysByName_[folded];
        if (keys.empty() || keys.back() != key)
            keys.push_back(key);
    };
    for (const Module& m : modules_) {
        if (m.files.empty()) {
            file(m.name, m.handle);
            continue;
        }
        bool named = false;
        for (uint32_t f : m.files) {
            file(FileName(f), KeyOfFile(f));
            named = named || SameName(FilePart(FileName(f)), FilePart(m.name), false);
        }
        // A reader may name the module by the file's base name only.
        if (!named)
            file(m.name, m.handle);
    }
    moduleNamesBuilt_ = true;
}

Result<uint32_t> Store::FindModuleByFile(std::string_view fileName, uint32_t n)
{
    BuildModuleNames();
    std::string folded = FoldCase(FilePart(fileName));
    std::vector<uint32_t> matches;
    if (auto it = keysByName_.find(folded); it != keysByName_.end())
        matches = it->second;
    // "main.c" also finds the module a reader named "main".
    if (size_t dot = folded.rfind('.'); dot != std::string::npos && dot > 0) {
        if (auto it = keysByName_.find(folded.substr(0, dot)); it != keysByName_.end())
            for (uint32_t k : it->second)
                if (std::find(matches.begin(), matches.end(), k) == matches.end())
                    matches.push_back(k);
    }
    if (n >= matches.size())
        return {SYM_E_NOT_FOUND, 0};
    return {SYM_OK, matches[n]};
}

}  // namespace quinar
