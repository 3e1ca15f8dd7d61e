#include "debug_frame.h"

#include <unordered_map>

#include "cfa_rows.h"
#include "quinar/symbol_store.h"
#include "tarnel/loaded_tables.h"

namespace tarnel {
namespace {

constexpr uint32_t CIE_ID = 0xFFFFFFFF;
constexpr uint32_t DWARF64_ESCAPE = 0xFFFFFFFF;

std::vector<uint8_t> RestOf(ByteCursor& entry)
{
    const std::span<const uint8_t> rest = entry.Block(entry.Remaining());
    return {rest.begin(), rest.end()};
}

// False for a CIE whose layout is not known (another DWARF version).
bool ReadCie(ByteCursor& entry, FrameCie& cie)
{
    cie.version = entry.U8();
    if (cie.version != 1 && cie.version != 3 && cie.version != 4)
        return false;
    cie.augmentation = std::string(entry.CString());
    if (cie.version >= 4)
        entry.Skip(2);  // address size, segment selector size
    cie.codeAlignment = entry.ULeb128();
    cie.dataAlignment = entry.SLeb128();
    cie.returnAddressRegister = cie.version == 1 ? entry.U8() : static_cast<uint32_t>(entry.ULeb128());
    // Augmentation data, announced by a leading 'z', lies in front of the instructions.
    if (!cie.augmentation.empty() && cie.augmentation[0] == 'z')
        entry.Skip(entry.ULeb128());
    cie.initialInstructions = RestOf(entry);
    return entry.Ok();
}

}  // namespace

bool CfaReader::Next(CfaInstruction& out)
{
    if (failed_ || cursor_.AtEnd())
        return false;
    out = CfaInstruction{};
    const uint8_t byte = cursor_.U8();
    const uint8_t high = byte & 0xC0;
    if (high != 0) {
        out.opcode = high;
        out.operand1 = byte & 0x3F;
        if (high == DW_CFA_offset)
            out.operand2 = static_cast<int64_t>(cursor_.ULeb128());
        return Settle();
    }
    out.opcode = byte;
    auto block = [&] { out.expression = cursor_.Block(cursor_.ULeb128()); };
    switch (byte) {
    case DW_CFA_nop:
    case DW_CFA_remember_state:
    case DW_CFA_restore_state: break;
    case DW_CFA_set_loc:
    case DW_CFA_advance_loc4: out.operand1 = cursor_.U32(); break;
    case DW_CFA_advance_loc1: out.operand1 = cursor_.U8(); break;
    case DW_CFA_advance_loc2: out.operand1 = cursor_.U16(); break;
    case DW_CFA_restore_extended:
    case DW_CFA_undefined:
    case DW_CFA_same_value:
    case DW_CFA_def_cfa_register:
    case DW_CFA_def_cfa_offset:
    case DW_CFA_GNU_args_size: out.operand1 = cursor_.ULeb128(); break;
    case DW_CFA_offset_extended:
    case DW_CFA_register:
    case DW_CFA_def_cfa:
    case DW_CFA_val_offset:
    case DW_CFA_GNU_negative_offset_extended:
        out.operand1 = cursor_.ULeb128();
        out.operand2 = static_cast<int64_t>(cursor_.ULeb128());
        break;
    case DW_CFA_offset_extended_sf:
    case DW_CFA_def_cfa_sf:
    case DW_CFA_val_offset_sf:
        out.operand1 = cursor_.ULeb128();
        out.operand2 = cursor_.SLeb128();
        break;
    case DW_CFA_def_cfa_offset_sf: out.operand2 = cursor_.SLeb128(); break;
    case DW_CFA_def_cfa_expression: block(); break;
    case DW_CFA_expression:
    case DW_CFA_val_expression:
        out.operand1 = cursor_.ULeb128();
        block();
        break;
    default:
        // The operands of an unknown opcode cannot be stepped over.
        failed_ = true;
        return false;
    }
    return Settle();
}

bool CfaReader::Settle()
{
    if (!cursor_.Ok())
        failed_ = true;
    return !failed_;
}

std::vector<uint32_t> SavedRegistersOf(std::span<const uint8_t> instructions, bool bigEndian)
{
    std::vector<uint32_t> registers;
    CfaReader reader(instructions, bigEndian);
    for (CfaInstruction i; reader.Next(i);) {
        if (i.opcode == DW_CFA_offset)
            registers.push_back(static_cast<uint32_t>(i.operand1));
    }
    return registers;
}

void FrameTable::Clear()
{
    present = false;
    cies.clear();
    fdes.clear();
    saved.clear();
    functions.clear();
}

FrameTable& LoadedFrames()
{
    static FrameTable frames;
    return frames;
}

std::vector<FdeSummary> LoadedFdes()
{
    const FrameTable& frames = LoadedFrames();
    std::vector<FdeSummary> out;
    for (const FrameFde& fde : frames.fdes)
        out.push_back({fde.initialLocation, fde.initialLocation + fde.addressRange - 1, fde.cieOffset,
                       SavedRegistersOf(fde.instructions, frames.bigEndian)});
    return out;
}

LdrResult ReadDebugFrame(const ImageFile& file, const NotedSection& section, bool bigEndian, FrameTable& frames)
{
    frames.Clear();
    if (!section.present)
        return LDR_OK;
    frames.present = true;
    frames.bigEndian = bigEndian;

    ByteCursor cursor = file.Cursor(section.offset, section.size, bigEndian, ".debug_frame");
    while (cursor.Remaining() >= 4) {
        const auto offset = static_cast<uint32_t>(cursor.Offset());
        const uint32_t length = cursor.U32();
        if (length == DWARF64_ESCAPE || length > cursor.Remaining())
            break;  // 64-bit entries are not for 32-bit images; a length past the end is damage
        ByteCursor entry = cursor.Split(length);
        if (length < 4)
            continue;
        const uint32_t id = entry.U32();
        if (id == CIE_ID) {
            FrameCie cie;
            cie.offset = offset;
            if (ReadCie(entry, cie))
                frames.cies.push_back(std::move(cie));
            continue;
        }
        FrameFde fde;
        fde.offset = offset;
        fde.cieOffset = id;
        fde.initialLocation = entry.U32();
        fde.addressRange = entry.U32();
        fde.instructions = RestOf(entry);
        if (!entry.Ok())
            continue;
        frames.fdes.push_back(std::move(fde));
    }

    std::unordered_map<uint32_t, int32_t> cieAt;
    for (size_t i = 0; i < frames.cies.size(); ++i)
        cieAt.emplace(frames.cies[i].offset, static_cast<int32_t>(i));
    for (FrameFde& fde : frames.fdes) {
        if (auto it = cieAt.find(fde.cieOffset); it != cieAt.end())
            fde.cie = it->second;
        const quinar::Result<quinar::AddressInfo> at = quinar::Symbols().CodeAt(fde.initialLocation);
        if (!at || at->kind != SYM_KIND_FUNCTION)
            continue;
        const uint32_t handle = at->handle;
        frames.functions.push_back(handle);
        auto [it, added] = frames.saved.try_emplace(handle);
        if (added) {
            it->second.registers = SavedRegistersOf(fde.instructions, frames.bigEndian);
            it->second.view =
                LdrSavedRegisters{it->second.registers.data(), static_cast<uint32_t>(it->second.registers.size())};
        }
    }
    AddFrameTablesToSymbols(frames);
    return LDR_OK;
}

}  // namespace tarnel

using namespace tarnel;

extern "C" int MapFuncToRegArr(unsigned functionKey, const LdrSavedRegisters** savedRegs, DWORD*)
{
    const FrameTable& frames = LoadedFrames();
    if (auto it = frames.saved.find(functionKey); it != frames.saved.end() && savedRegs)
        *savedRegs = &it->second.view;
    return 1;
}

extern "C" int LdrIsHasFrame()
{
    return LoadedFrames().present ? 1 : 0;
}
