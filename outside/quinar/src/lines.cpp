// Line tables of the modules' source files.
#include "store.h"

namespace quinar {

uint32_t Store::FileForTable(uint32_t key)
{
    if (KindOf(key) == SYM_KIND_SOURCE)
        return fileHandles_.PositionIn(key, files_);
    uint32_t at = ModulePosition(key);
    if (at == kNone)
        return kNone;
    Module& m = modules_[at];
    if (m.currentFile == kNone) {
        // The module's own source file, named as the module.
        uint32_t file = static_cast<uint32_t>(files_.size());
        files_.push_back({at, ""});
        m.files.push_back(file);
        m.currentFile = file;
        moduleNamesBuilt_ = false;
    }
    return m.currentFile;
}

SymResult Store::BeginLineTable(uint32_t key)
{
    uint32_t file = FileForTable(key);
    if (file == kNone)
        return SYM_E_BAD_HANDLE;
    if (openTable_ != kNone)
        EndLineTable();
    openTable_ = static_cast<uint32_t>(lineTables_.tables.size());
    lineTables_.tables.push_back({file, static_cast<uint32_t>(lineTables_.rows.size()), 0});
    return SYM_OK;
}

SymResult Store::AddLineRow(uint32_t line, uint32_t column, uint32_t address, bool statement)
{
    if (openTable_ == kNone)
        return SYM_E_NO_LINE_TABLE;
    LineTable& table = lineTables_.tables[openTable_];
    uint16_t col = static_cast<uint16_t>(column > 0xFFFF ? 0xFFFF : column);
    lineTables_.rows.push_back({address, line, table.file, col, statement});
    ++table.rowCount;
    table.sorted = false;
    linesBuilt_ = false;
    return SYM_OK;
}

SymResult Store::EndLineTable()
{
    if (openTable_ == kNone)
        return SYM_E_NO_LINE_TABLE;
    openTable_ = kNone;
    return SYM_S_LINE_TABLE_ENDED;
}

uint32_t Store::LineLimit(uint32_t address, uint32_t file)
{
    // The last row of a table runs to the end of its function, else to the
    // end of its module's range; with neither known it covers its address.
    if (uint32_t f = FunctionAt(address); f != kNone)
        return functions_[f].end;
    const Module& m = modules_[files_[file].module];
    if (m.hasRange && m.start <= address && address <= m.end)
        return m.end;
    return address;
}

const LineIndex& Store::Lines()
{
    if (!linesBuilt_) {
        BuildAddressIndexes();
        lineIndex_.Build(lineTables_, files_.size(),
                         [this](uint32_t address, uint32_t file) { return LineLimit(address, file); });
        linesBuilt_ = true;
    }
    return lineIndex_;
}

}  // namespace quinar
