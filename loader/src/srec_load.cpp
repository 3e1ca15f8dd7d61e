#include "srec_load.h"

#include "image_symbols.h"
#include "load_progress.h"
#include "quinar/symbol_store.h"

namespace quentor {
namespace {

// The predefined types whose sizes S-record images assume.
constexpr uint32_t WORD_SIZED_TYPES[] = {16, 17, 18};

class SrecLoader {
public:
    SrecLoader(ByteSource& source, const std::string& path, const ImageStamp& stamp, const TargetWriter::Write& write)
        : s_(FrontState()), lines_(source), path_(path), stamp_(stamp), writer_(write)
    {}

    LdrResult Run()
    {
        if (s_.SymbolsWanted()) {
            if (LdrResult r = BeginSymbols(); r != LDR_OK)
                return r;
            symbolsBegun_ = true;
            symbols_.AddSection("BASE_CODE", 1, 1);
            symbols_.AddSection("symbol", 2, 2);
        }
        if (LdrResult r = SymbolPass(); r != LDR_OK)
            return Fail(r);
        if (s_.SymbolsWanted())
            symbols_.EndLoad();
        CheckEsc();
        if (s_.escPressed)
            return Fail(LDR_E_USER_ABORT);
        if (s_.CodeWanted()) {
            if (LdrResult r = CodePass(); r != LDR_OK)
                return Fail(r);
        }
        return LDR_OK;
    }

private:
    LdrResult BeginSymbols()
    {
        if (LdrResult r = BeginImageSymbols(path_, stamp_); r != LDR_OK)
            return r;
        for (uint32_t type : WORD_SIZED_TYPES)
            symbols_.SetTypeSize(type, 4);
        return LDR_OK;
    }

    // Up to the first data record, which is held for the code pass.
    LdrResult SymbolPass()
    {
        std::vector<SymbolEntry> symbols;
        while (lines_.Next(line_)) {
            switch (KindOfLine(line_)) {
            case LineKind::Data: return LDR_OK;
            case LineKind::Module:
                if (s_.SymbolsWanted()) {
                    // objcopy closes its block with a "$$" line that names nothing.
                    const std::string name = ModuleName(line_);
                    if (!name.empty()) {
                        if (SymResult r = symbols_.AddModuleByName(name, 0); r != SYM_OK)
                            return static_cast<LdrResult>(r);
                    }
                }
                break;
            case LineKind::Symbol:
                if (s_.SymbolsWanted()) {
                    symbols.clear();
                    if (!ParseSymbolLine(line_, symbols))
                        return LDR_E_BAD_RECORD;
                    for (const SymbolEntry& e : symbols)
                        if (!e.name.empty())
                            symbols_.AddLabel(e.name, e.address);
                }
                break;
            case LineKind::Other: return LDR_E_NO_DATA;
            }
            s_.record.filePosition = lines_.Position();
        }
        return lines_.Failed() ? LDR_E_READ : LDR_E_NO_DATA;
    }

    LdrResult CodePass()
    {
        DataRecord record;
        do {
            if (KindOfLine(line_) != LineKind::Data)
                break;
            s_.record.filePosition = lines_.Position();
            if (BeforeRecord())
                return LDR_E_USER_ABORT;
            if (DecodeRecord(line_, record) != RecordFault::None) {
                // What came before the damaged record goes to the target.
                writer_.Flush();
                return LDR_E_BAD_RECORD;
            }
            if (record.IsEnd())
                break;
            if (record.IsData()) {
                if (int r = writer_.Put(record.address, record.data); r != 0)
                    return static_cast<LdrResult>(r);
                s_.record.codeBytes += record.data.size();
            }
        } while (lines_.Next(line_));
        if (lines_.Failed()) {
            writer_.Flush();
            return LDR_E_READ;
        }
        return static_cast<LdrResult>(writer_.Flush());
    }

    LdrResult Fail(LdrResult result)
    {
        if (symbolsBegun_)
            AbandonImageSymbols();
        return result;
    }

    FrontEndState& s_;
    quinar::SymbolStore& symbols_ = quinar::Symbols();
    LineReader lines_;
    const std::string& path_;
    const ImageStamp& stamp_;
    TargetWriter writer_;
    std::string line_;
    bool symbolsBegun_ = false;
};

}  // namespace

LdrResult LoadSRecords(ByteSource& source, const std::string& path, const ImageStamp& stamp,
                       const TargetWriter::Write& write)
{
    return SrecLoader(source, path, stamp, write).Run();
}

}  // namespace quentor
