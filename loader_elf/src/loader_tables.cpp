#include "loader_tables.h"

namespace tarnel {

uint32_t LoaderTables::LookUpDwarf2Type(uint32_t entryOffset) const
{
    auto it = dwarf2Types.find(entryOffset);
    return it == dwarf2Types.end() ? 0 : it->second.typeIndex;
}

const Dwarf2Abbrev* LoaderTables::LookUpAbbrev(uint32_t code) const
{
    auto it = dwarf2Abbrevs.find(code);
    return it == dwarf2Abbrevs.end() ? nullptr : &it->second;
}

uint32_t LoaderTables::LookUpStabsType(uint32_t fileNumber, uint32_t typeNumber) const
{
    auto it = stabsTypes.find({fileNumber, typeNumber});
    return it == stabsTypes.end() ? 0xFFFFFFFFu : it->second;
}

void LoaderTables::LookUpDwarf1Type(uint32_t reference, uint32_t* index, bool* found) const
{
    auto it = dwarf1Types.find(reference);
    *found = it != dwarf1Types.end();
    *index = *found ? it->second : reference;
}

const SourceFileRecord* LoaderTables::SourceFile(uint32_t module) const
{
    auto it = sourceFiles.find(module);
    return it == sourceFiles.end() ? nullptr : &it->second;
}

ClassRange LoaderTables::ClassRangeOf(const std::string& className) const
{
    auto it = classRanges.find(className);
    return it == classRanges.end() ? ClassRange{} : it->second;
}

void LoaderTables::AddSourceFile(SourceFileRecord record)
{
    const uint32_t module = record.module;
    sourceFiles.insert_or_assign(module, std::move(record));
}

void LoaderTables::FreeUnitNames()
{
    for (UnitRange& u : units)
        u.name = {};
}

void LoaderTables::ClearPerLoad()
{
    dwarf2Types.clear();
    dwarf2PendingLinks.clear();
    dwarf2Abbrevs.clear();
    dwarf2LineUnits.clear();
    globalNames.clear();
    externalVariables.clear();
    memberNames.clear();
    stabsTypes.clear();
    dwarf1Types.clear();
}

}  // namespace tarnel
