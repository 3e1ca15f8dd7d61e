// Every instruction word the PowerPC layers can feed a core, read back by
// binutils' PowerPC disassembler (403 flavour, basic mnemonics) and by the
// test core model: both must read what the layer meant.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "host_tools.h"
#include "ppc/ppc_words.h"
#include "ppc_core_model.h"

namespace {

using namespace ppc;

struct Intent {
    uint32_t word;
    std::string text;     // objdump's basic form
    ppctest::Decoded model;  // what the model must read
};

ppctest::Decoded Expect(const std::string& op, unsigned rd, unsigned ra, unsigned rb, uint32_t number = 0,
    int32_t immediate = 0)
{
    ppctest::Decoded d;
    d.op = op;
    d.rd = rd;
    d.ra = ra;
    d.rb = rb;
    d.number = number;
    d.immediate = immediate;
    return d;
}

std::string R(unsigned n)
{
    return "r" + std::to_string(n);
}

// Device control registers with names in the 403 disassembler.
std::string DcrText(bool from, uint32_t dcr)
{
    static const std::map<uint32_t, std::string> names = {{0x80, "br0"}, {0xA0, "iocr"}};
    const auto it = names.find(dcr);
    if (it != names.end())
        return std::string(from ? "mf" : "mt") + it->second + " r1";
    return from ? "mfdcr r1," + std::to_string(dcr) : "mtdcr " + std::to_string(dcr) + ",r1";
}

std::vector<Intent> AllWords()
{
    std::vector<Intent> words;
    for (unsigned n = 0; n < 32; ++n) {
        words.push_back({MoveGprToDbdr(n), "mtspr 1011," + R(n), Expect("mtspr", n, 0, 0, 1011)});
        words.push_back({MoveDbdrToGpr(n), "mfspr " + R(n) + ",1011", Expect("mfspr", n, 0, 0, 1011)});
        words.push_back({MoveGprToDpdr(n), "mtspr 630," + R(n), Expect("mtspr", n, 0, 0, 630)});
        words.push_back({MoveDpdrToGpr(n), "mfspr " + R(n) + ",630", Expect("mfspr", n, 0, 0, 630)});
        words.push_back(
            {StoreDouble(n), "stfd f" + std::to_string(n) + ",0(r1)", Expect("stfd", n, 1, 0, 0, 0)});
        words.push_back({LoadDouble(n), "lfd f" + std::to_string(n) + ",0(r1)", Expect("lfd", n, 1, 0, 0, 0)});
    }
    for (uint32_t spr : {1u, 8u, 9u, 26u, 27u, 148u, 272u, 287u, 630u, 981u, 1008u, 1011u, 1018u, 1019u, 1023u}) {
        words.push_back({MoveFromSpr(spr), "mfspr r1," + std::to_string(spr), Expect("mfspr", 1, 0, 0, spr)});
        words.push_back({MoveToSpr(spr), "mtspr " + std::to_string(spr) + ",r1", Expect("mtspr", 1, 0, 0, spr)});
    }
    for (uint32_t tbr : {kTbl, kTbu})
        words.push_back(
            {MoveFromTimeBase(tbr), "mftb r1," + std::to_string(tbr), Expect("mftb", 1, 0, 0, tbr)});
    for (uint32_t dcr : {0u, 8u, 26u, 27u, 0x80u, 0xA0u, 148u, 630u, 1008u, 1011u, 1023u}) {
        words.push_back({MoveFromDcr(dcr), DcrText(true, dcr), Expect("mfdcr", 1, 0, 0, dcr)});
        words.push_back({MoveToDcr(dcr), DcrText(false, dcr), Expect("mtdcr", 1, 0, 0, dcr)});
    }
    words.push_back({kMoveFromMsr, "mfmsr r1", Expect("mfmsr", 1, 0, 0)});
    words.push_back({kMoveToMsr, "mtmsr r1,0", Expect("mtmsr", 1, 0, 0)});
    // The basic form shows mfcr's unused field mask operand as -1.
    words.push_back({kMoveFromCr, "mfcr r1,-1", Expect("mfcr", 1, 0, 0)});
    words.push_back({kMoveToCr, "mtcrf 255,r1", Expect("mtcrf", 1, 15, 30, 0xFF)});
    words.push_back({kBranchAndLinkNext, "bl .", Expect("bl", 0, 0, 0, 0, 0)});
    words.push_back({kBranchToLr, "bclr 20,lt,0", Expect("blr", 20, 0, 4)});
    words.push_back({kLoadWordUpdate, "lwzu r0,4(r1)", Expect("lwzu", 0, 1, 0, 0, 4)});
    words.push_back({kLoadHalfUpdate, "lhzu r0,2(r1)", Expect("lhzu", 0, 1, 0, 0, 2)});
    words.push_back({kLoadByteUpdate, "lbzu r0,1(r1)", Expect("lbzu", 0, 1, 0, 0, 1)});
    words.push_back({kStoreWordUpdate, "stwu r0,4(r1)", Expect("stwu", 0, 1, 0, 0, 4)});
    words.push_back({kStoreHalfUpdate, "sthu r0,2(r1)", Expect("sthu", 0, 1, 0, 0, 2)});
    words.push_back({kStoreByteUpdate, "stbu r0,1(r1)", Expect("stbu", 0, 1, 0, 0, 1)});
    words.push_back({kLoadWord, "lwz r0,0(r1)", Expect("lwz", 0, 1, 0, 0, 0)});
    words.push_back({kStoreWord, "stw r0,0(r1)", Expect("stw", 0, 1, 0, 0, 0)});
    for (uint16_t v : {uint16_t(0), uint16_t(1), uint16_t(0x7FFF), uint16_t(0x8000), uint16_t(0xFFFF)}) {
        const int32_t s = int16_t(v);
        words.push_back({LoadImmediate(v), "addi r0,0," + std::to_string(s), Expect("addi", 0, 0, v >> 11, 0, s)});
        words.push_back(
            {LoadImmediateShifted(v), "addis r0,0," + std::to_string(s), Expect("addis", 0, 0, v >> 11, 0, s)});
        words.push_back({OrImmediate(v), "ori r0,r0," + std::to_string(v), Expect("ori", 0, 0, v >> 11, 0, v)});
    }
    words.push_back({kIcacheBlockInvalidate, "icbi 0,r1", Expect("icbi", 0, 0, 1)});
    words.push_back({kDcacheBlockStore, "dcbst 0,r1", Expect("dcbst", 0, 0, 1)});
    words.push_back({kDcacheClassInvalidate, "dccci r0,r1", Expect("dccci", 0, 0, 1)});
    words.push_back({kIcacheClassInvalidate, "iccci r0,r1", Expect("iccci", 0, 0, 1)});
    words.push_back({kInstructionSync, "isync", Expect("isync", 0, 0, 0)});
    words.push_back({kReturnFromInterrupt, "rfi", Expect("rfi", 0, 0, 0)});
    words.push_back({kMoveFromFpscr, "mffs f1", Expect("mffs", 1, 0, 0)});
    words.push_back({kMoveToFpscr, "mtfsf 255,f1", Expect("mtfsf", 15, 30, 1, 0xFF)});
    return words;
}

// The fields an instruction form gives meaning to, as text.
std::string Fields(const ppctest::Decoded& d)
{
    static const std::set<std::string> dForm = {
        "addi", "addis", "ori", "lwz", "lwzu", "lhzu", "lbzu", "stw", "stwu", "sthu", "stbu", "lfd", "stfd"};
    static const std::set<std::string> moves = {"mtspr", "mfspr", "mftb", "mfdcr", "mtdcr"};
    static const std::set<std::string> indexed = {"icbi", "dcbst", "dccci", "iccci"};
    std::ostringstream out;
    out << d.op;
    if (dForm.count(d.op))
        out << " rd=" << d.rd << " ra=" << d.ra << " imm=" << d.immediate;
    else if (moves.count(d.op))
        out << " rd=" << d.rd << " number=" << d.number;
    else if (indexed.count(d.op))
        out << " ra=" << d.ra << " rb=" << d.rb;
    else if (d.op == "mtcrf")
        out << " rs=" << d.rd << " mask=" << d.number;
    else if (d.op == "mtfsf")
        out << " frb=" << d.rb << " mask=" << d.number;
    else if (d.op == "mfmsr" || d.op == "mtmsr" || d.op == "mfcr" || d.op == "mffs")
        out << " rd=" << d.rd;
    else if (d.op == "bl")
        out << " offset=" << d.immediate;
    return out.str();
}

// objdump's instruction text of each word, blanks folded.
std::vector<std::string> Disassemble(const std::vector<uint32_t>& words)
{
    const std::string path = (std::filesystem::temp_directory_path() /
        ("ppc-words-" + std::to_string(::getpid()) + ".bin")).string();
    {
        std::ofstream out(path, std::ios::binary);
        for (uint32_t w : words) {
            const char bytes[4] = {char(w >> 24), char(w >> 16), char(w >> 8), char(w)};
            out.write(bytes, 4);
        }
    }
    const zk::test::ProcessResult r = zk::test::RunProcess(
        {"powerpc-linux-gnu-objdump", "-D", "-b", "binary", "-m", "powerpc", "-M", "403,raw", "-EB", path});
    std::filesystem::remove(path);
    EXPECT_EQ(r.exitStatus, 0) << "powerpc-linux-gnu-objdump (binutils-powerpc-linux-gnu) is needed: " << r.err;
    std::vector<std::string> texts;
    std::istringstream lines(r.out);
    std::string line;
    static const std::regex row(R"(^\s*([0-9a-f]+):\s+(?:[0-9a-f]{2} ){4}\s*(.*)$)");
    while (std::getline(lines, line)) {
        std::smatch m;
        if (!std::regex_match(line, m, row))
            continue;
        std::string text = std::regex_replace(m[2].str(), std::regex(R"(\s+)"), " ");
        // A branch's target is printed as an address: make it relative to the word.
        std::smatch b;
        if (std::regex_match(text, b, std::regex(R"(^(bl?) 0x([0-9a-f]+)$)")) &&
            std::stoul(b[2].str(), nullptr, 16) == std::stoul(m[1].str(), nullptr, 16))
            text = b[1].str() + " .";
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        texts.push_back(text);
    }
    return texts;
}

TEST(PpcWords, TheDisassemblerAndTheModelReadWhatTheLayerMeant)
{
    const std::vector<Intent> intents = AllWords();
    std::vector<uint32_t> words;
    for (const Intent& i : intents)
        words.push_back(i.word);
    const std::vector<std::string> texts = Disassemble(words);
    ASSERT_EQ(texts.size(), intents.size());
    for (size_t i = 0; i < intents.size(); ++i) {
        const Intent& intent = intents[i];
        char hex[12];
        std::snprintf(hex, sizeof hex, "%08X", intent.word);
        EXPECT_EQ(texts[i], intent.text) << hex;
        EXPECT_EQ(Fields(ppctest::Decode(intent.word)), Fields(intent.model)) << hex << " " << intent.text;
    }
}

TEST(PpcWords, TheSplitFieldRoundTripsEveryNumber)
{
    for (uint32_t n = 0; n < 1024; ++n) {
        EXPECT_EQ(SplitNumber(MoveFromSpr(n)), n);
        EXPECT_EQ(MoveFromSpr(n) & ~0x001FF800u, 0x7C2002A6u) << n;  // nothing outside the field
    }
    EXPECT_EQ(RegionBit(0x00000000), 0x80000000u);
    EXPECT_EQ(RegionBit(0x08000000), 0x40000000u);
    EXPECT_EQ(RegionBit(0xFFFFFFFF), 0x00000001u);
}

}  // namespace
