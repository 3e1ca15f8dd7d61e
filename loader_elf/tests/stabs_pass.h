// Test base of the stabs reader over hand-built sections: an empty store,
// fresh loader tables, the messages the reader reports.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "quinar/quinar.h"
#include "quinar/symbol_store.h"
#include "stabs_reader.h"
#include "stabs_writer.h"

namespace tarnel::test {

class StabsPassTest : public ::testing::Test {
protected:
    void SetUp() override { SymClearSymbolTables(0); }
    void TearDown() override { SymClearSymbolTables(0); }

    LdrResult Read(const StabWriter& w, bool bigEndian = false)
    {
        ImageFile file;
        ReaderCall call{file, 1, 1, &moduleCount};
        StabsContext cx{w.stab, w.strings, 0, bigEndian, "/img/", tables, records, errors, {}, {}, 0, 0};
        const LdrResult r = ReadStabsPass(call, cx);
        functions = cx.functions;
        lineRows = cx.lineRows;
        return r;
    }

    static quinar::SymbolStore& Store() { return quinar::Symbols(); }

    // The type of a global or static variable, 0 when there is none.
    static uint32_t VariableType(const std::string& name)
    {
        const quinar::Result<uint32_t> h = Store().LookupNamedSymbol(0, name);
        if (!h)
            return 0;
        return Store().Details(*h)->type;
    }
    static std::string Text(uint32_t index) { return Store().TypeText(index).value; }
    static quinar::TypeInfo Info(uint32_t index) { return Store().Type(index).value; }
    static quinar::MemberInfo Member(uint32_t index, uint32_t n) { return Store().StructMember(index, n).value; }

    LoaderTables tables;
    ImageStamp stamp{};
    QuinarRecords records{stamp};
    std::vector<std::string> messages;
    ReadErrors errors{"img.elf", [this](std::string text) { messages.push_back(std::move(text)); }};
    uint32_t moduleCount = 0;
    uint32_t functions = 0;
    uint32_t lineRows = 0;
};

}  // namespace tarnel::test
