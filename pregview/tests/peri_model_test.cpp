// The register model over a recording target: access paths by family and
// CPU type, the faults of widths and buffers, writes and their view updates,
// base changes, the name look-up and the rows of the window's list.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "description_files.h"
#include "emu_messages.h"
#include "field_rules.h"
#include "halvek.h"
#include "peri_model.h"
#include "row_model.h"

namespace halvek {
namespace {

// A target with a byte memory for the block calls and a value per offset
// for the peripheral calls; every call is written down.
class RecordingTarget : public TargetAccess {
public:
    void SetBase(uint32_t current, uint32_t reset, int flag, uint32_t mask) override
    {
        calls.push_back("base " + Hex(current) + " " + Hex(reset) + " " + std::to_string(flag) + " " + Hex(mask));
    }
    int GetIntReg(int offset, int width, int* value) override
    {
        calls.push_back("get " + Hex(static_cast<uint32_t>(offset)) + " " + std::to_string(width));
        if (failing)
            return 5;
        *value = static_cast<int>(peripheral[offset]);
        return 0;
    }
    int SetIntReg(int offset, int width, int value) override
    {
        calls.push_back("set " + Hex(static_cast<uint32_t>(offset)) + " " + std::to_string(width) + " " +
                        Hex(static_cast<uint32_t>(value)));
        if (failing)
            return 5;
        peripheral[offset] = static_cast<uint32_t>(value);
        return 0;
    }
    int ReadBlock(uint32_t address, void* buffer, uint32_t count) override
    {
        calls.push_back("read " + Hex(address) + " " + std::to_string(count));
        for (uint32_t i = 0; i < count; ++i)
            static_cast<uint8_t*>(buffer)[i] = memory[address + i];
        return failing ? 7 : 0;
    }
    int WriteBlock(uint32_t address, const void* data, uint32_t count, int width) override
    {
        calls.push_back("write " + Hex(address) + " " + std::to_string(count) + " " + std::to_string(width));
        for (uint32_t i = 0; i < count; ++i)
            memory[address + i] = static_cast<const uint8_t*>(data)[i];
        return failing ? 7 : 0;
    }
    void UpdateViews(int kind, LPARAM parameter) override { updates.emplace_back(kind, parameter); }

    static std::string Hex(uint32_t v)
    {
        char t[16];
        std::snprintf(t, sizeof t, "%X", v);
        return t;
    }

    std::vector<std::string> calls;
    std::vector<std::pair<int, LPARAM>> updates;
    std::map<int, uint32_t> peripheral;
    std::map<uint32_t, uint8_t> memory;
    bool failing = false;
};

class PeriModelTest : public testing::Test {
protected:
    void Load(const std::string& processor, uint32_t family, const std::string& cpuType)
    {
        model.SetProcessor({processor, family, cpuType});
        files = test::DescriptionFiles::Fixtures();
        ASSERT_EQ(LoadDescription(model.description(), files.Context(processor)), 0u) << model.description().errorText;
        target.calls.clear();
    }
    Register& Reg(size_t group, size_t reg) { return model.description().groups[group].registers[reg]; }

    RecordingTarget target;
    PeriModel model{target};
    test::DescriptionFiles files;
};

TEST_F(PeriModelTest, FamilyOneReadsAtTheOffsetFromTheBaseForArm7tdmi)
{
    Load("ARM7TDMI", 1, "ARM7TDMI");
    target.peripheral[0xD008] = 0x1234;  // UCON: group offset 0xD000 + register 0x08
    Register& ucon = Reg(1, 1);
    ASSERT_EQ(ucon.name, "UCON");
    EXPECT_EQ(model.Read(ucon), 0u);
    EXPECT_EQ(ucon.value, 0x1234u);
    EXPECT_EQ(ucon.fields[0].value, 0x1234u >> 1);
    EXPECT_EQ(target.calls, (std::vector<std::string>{"get D008 2"}));
}

TEST_F(PeriModelTest, OtherFamilyOneCpuTypesPassTheRegistersOwnOffset)
{
    Load("ARM7TDMI", 1, "ARM720T");
    target.peripheral[0x8] = 0x77;
    Register& ucon = Reg(1, 1);
    EXPECT_EQ(model.Read(ucon), 0u);
    EXPECT_EQ(ucon.value, 0x77u);
    // A write goes where the read came from.
    EXPECT_EQ(model.Write(ucon, 0x99), 0u);
    EXPECT_EQ(target.calls, (std::vector<std::string>{"get 8 2", "set 8 2 99"}));
}

TEST_F(PeriModelTest, WriteOnlyReadOnlyAndOddWidthsAreLeftAlone)
{
    Load("ARM7TDMI", 1, "ARM7TDMI");
    Register& utxbuf = Reg(1, 3);
    ASSERT_TRUE(utxbuf.writeOnly);
    EXPECT_EQ(model.Read(utxbuf), 0u);
    Register& clkcon = Reg(0, 1);
    ASSERT_TRUE(clkcon.readOnly);
    EXPECT_NE(model.Write(clkcon, 1), 0u);
    EXPECT_TRUE(target.calls.empty());
    for (int width : {0, 3, 8, 256}) {
        Register& r = Reg(0, 0);
        r.width = width;
        r.value = 0xAB;
        EXPECT_NE(model.Read(r), 0u) << width;
        EXPECT_TRUE(r.unreadable);
        EXPECT_EQ(r.value, 0xABu);
        EXPECT_NE(model.Write(r, 1), 0u);
        EXPECT_EQ(RegisterRowValue(r), std::string(width <= 1 ? 2 : width <= 2 ? 4 : 8, '?'));
    }
    EXPECT_TRUE(target.calls.empty());
}

TEST_F(PeriModelTest, AWriteStoresTheComposedValueAndUpdatesTheViews)
{
    Load("ARM7TDMI", 1, "ARM7TDMI");
    Register& syscfg = Reg(0, 0);
    target.peripheral[0] = 0xFFFFFFFF;
    ASSERT_EQ(model.Read(syscfg), 0u);
    const Field& cm = syscfg.fields[1];
    const uint32_t composed = ComposeValue(syscfg.value, cm, 1, syscfg.implemented);
    EXPECT_EQ(composed, ((0xFFFFFFFFu & ~0x30u) | 0x10u) & 0xF7FFFFFFu);
    EXPECT_EQ(model.Write(syscfg, composed), 0u);
    EXPECT_EQ(target.peripheral[0], composed);
    EXPECT_EQ(syscfg.fields[1].value, 1u);
    EXPECT_EQ(target.updates,
              (std::vector<std::pair<int, LPARAM>>{{DVK_MEMORY1, -1}, {DVK_WATCH, 0}, {DVK_CALL_STACK, 0}}));
    // A failed write keeps the old value and marks the register.
    target.failing = true;
    target.updates.clear();
    EXPECT_NE(model.Write(syscfg, 0), 0u);
    EXPECT_EQ(syscfg.value, composed);
    EXPECT_TRUE(syscfg.unreadable);
    EXPECT_EQ(target.updates.size(), 3u);
    // A failed read keeps the value too.
    EXPECT_NE(model.Read(syscfg), 0u);
    EXPECT_EQ(syscfg.value, composed);
    EXPECT_EQ(RegisterRowValue(syscfg), "????????");
}

TEST_F(PeriModelTest, OtherFamiliesMoveBigEndianRegistersThroughMemoryBlocks)
{
    Load("MCF5206", 0, "MCF5206");
    auto& mem = target.memory;
    const uint32_t group = 0x10000000 + 0x100;
    for (uint8_t b : {0x11, 0x22, 0x33, 0x44})
        mem[group + 0x14 + (b >> 4) - 1] = b;
    mem[group + 0x06] = 0xAB;
    mem[group + 0x07] = 0xCD;
    mem[group + 0x03] = 0x5E;
    Register& simr = Reg(0, 0);
    Register& marb = Reg(0, 1);
    Register& swivr = Reg(0, 3);
    EXPECT_EQ(model.Read(simr), 0u);
    EXPECT_EQ(simr.value, 0x5Eu);
    EXPECT_EQ(model.Read(marb), 0u);
    EXPECT_EQ(marb.value, 0xABCDu);
    EXPECT_EQ(model.Read(swivr), 0u);
    EXPECT_EQ(swivr.value, 0x11223344u);
    EXPECT_EQ(swivr.fields[0].value, 0x33u);
    EXPECT_EQ(model.Write(swivr, 0xA1B2C3D4), 0u);
    EXPECT_EQ(mem[group + 0x14], 0xA1);
    EXPECT_EQ(mem[group + 0x17], 0xD4);
    EXPECT_EQ(model.Write(marb, 0x0102), 0u);
    EXPECT_EQ(mem[group + 0x06], 0x01);
    EXPECT_EQ(mem[group + 0x07], 0x02);
    EXPECT_EQ(target.calls,
              (std::vector<std::string>{"read 10000103 1", "read 10000106 2", "read 10000114 4", "write 10000114 4 4",
                                        "write 10000106 2 2"}));
    // Never a read-only register.
    target.calls.clear();
    EXPECT_NE(model.Write(Reg(0, 2), 0), 0u);
    EXPECT_TRUE(target.calls.empty());
    // Before the ranges are computed reads are refused.
    model.description().rangesComputed = false;
    EXPECT_EQ(model.Read(simr), PERI_RANGES_NOT_READY);
}

TEST_F(PeriModelTest, ABufferReadsExactlyItsShadowBytes)
{
    Load("MCF5206", 0, "MCF5206");
    Register& r = Reg(0, 1);
    r.buffer = true;
    r.width = 4;
    r.count = 6;
    r.shadow.assign(6, 0);
    for (uint32_t i = 0; i < 32; ++i)
        target.memory[r.address + i] = static_cast<uint8_t>(i + 1);
    EXPECT_EQ(model.Read(r), 0u);
    EXPECT_EQ(r.shadow, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(target.calls, (std::vector<std::string>{"read 10000106 6"}));
    target.updates.clear();
    EXPECT_EQ(model.WriteBuffer(r), 0u);
    EXPECT_EQ(target.updates, (std::vector<std::pair<int, LPARAM>>{{DVK_MEMORY1, -1}, {DVK_WATCH, 0}}));
}

TEST_F(PeriModelTest, TheBaseDialogAndTheTargetsReset)
{
    Load("ARM7TDMI", 1, "ARM7TDMI");
    EXPECT_EQ(model.BaseText(), "03FF0000");
    model.SetNewBase(0x7FF0000);
    EXPECT_EQ(target.calls, (std::vector<std::string>{"base 7FF0000 3FF0000 1 3FF0000"}));
    EXPECT_EQ(model.description().currentBase, 0x7FF0000u);
    EXPECT_EQ(model.description().groups[1].first, 0x7FFD000u);
    EXPECT_EQ(Reg(1, 0).address, 0x7FFD000u);
    EXPECT_EQ(model.redrawRequests(), 1);
    // The reset moves only the base; the ranges follow at the next update.
    model.ResetBase(0x3FF0000);
    EXPECT_EQ(model.description().groups[1].first, 0x7FFD000u);
    Reg(1, 0).stale = false;
    model.UpdateBlockLocation();
    EXPECT_EQ(model.description().groups[1].first, 0x3FFD000u);
    EXPECT_TRUE(Reg(1, 0).stale);
}

TEST_F(PeriModelTest, RegistersAreFoundByNameWithoutCase)
{
    Load("ARM7TDMI", 1, "ARM7TDMI");
    ASSERT_NE(model.FindRegister("ucon"), nullptr);
    EXPECT_EQ(model.FindRegister("ucon")->name, "UCON");
    EXPECT_EQ(model.FindRegister("Clkcon")->offset, 0x3000u);
    EXPECT_EQ(model.FindRegister("nothing"), nullptr);
    EXPECT_TRUE(HasModuleBaseRegister("ppc860"));
    EXPECT_FALSE(HasModuleBaseRegister("ARM7TDMI"));
}

TEST_F(PeriModelTest, RowsOfGroupsRegistersFieldsAndBuffers)
{
    Load("ARM7TDMI", 1, "ARM7TDMI");
    Description& d = model.description();
    auto hex = [](uint32_t a) { return "0x" + RecordingTarget::Hex(a); };
    EXPECT_EQ(RecountRows(d), 3u);
    EXPECT_EQ(RowText(d, 0, hex), "(+)  SYSCFG");
    EXPECT_EQ(RowText(d, 3, hex), "UNREADABLE");
    d.groups[1].expanded = true;
    EXPECT_EQ(RecountRows(d), 3u + 5u);
    EXPECT_EQ(RowText(d, 1, hex), "(-)  UART0");
    Register& ucon = Reg(1, 1);
    ucon.value = 0x3;
    ucon.unreadable = false;
    const std::string row = RowText(d, 3, hex);
    EXPECT_EQ(row.substr(27, 4), "UCON");
    EXPECT_EQ(row.substr(41), "Control");
    EXPECT_NE(row.find("0x3FFD008"), std::string::npos);
    EXPECT_NE(row.find("0003"), std::string::npos);
    // A buffer of 20 bytes of width 1: one row and three of eight units.
    Register& fifo = Reg(1, 4);
    fifo.expanded = true;
    RecountRows(d);
    EXPECT_EQ(fifo.rows, 4);
    EXPECT_EQ(d.groups[1].rows, 1 + 5 + 3);
    SetAllExpanded(d, true);
    EXPECT_EQ(RecountRows(d), (1 + 2 + 3) + (1 + 5 + 1 + 1 + 3) + (1 + 1 + 2));
    EXPECT_EQ(FindRow(d, 3).kind, RowKind::Field);
    SetAllExpanded(d, false);
    EXPECT_EQ(RecountRows(d), 3u);
}

}  // namespace
}  // namespace halvek
