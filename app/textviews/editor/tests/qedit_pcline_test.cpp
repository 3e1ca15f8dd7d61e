// The program-counter mark on a program compiled by arm-none-eabi-gcc whose
// function lies past line 65,535 of its source: WM_SETPCLINE marks and shows
// the line addr2line gives for the function's address, in the view of that
// source only.
#include <gtest/gtest.h>

#include "editor_fixture.h"
#include "emu_messages.h"
#include "host_tools.h"
#include "lookups/sym_lookups.h"
#include "quentor.h"
#include "quinar/quinar.h"

namespace editor::test {
namespace {

class PcLineTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        elf = zk::test::FixturePath("editor_long_source");
        ASSERT_EQ(LdrLoadWin(elf.c_str(), 1, LDR_LOAD_SYMBOLS, nullptr), LDR_OK);
    }
    void TearDown() override
    {
        SymClearSymbolTables(0);
        EditorTest::TearDown();
    }
    std::string elf;
};

TEST_F(PcLineTest, SetPcLineMarksTheWholeLineOfTheAddressInItsOwnSourceOnly)
{
    const std::string nm = RunCommand("arm-none-eabi-nm '" + elf + "'");
    const std::size_t at = nm.find(" T far_function");
    ASSERT_NE(at, std::string::npos) << "arm-none-eabi-nm is required";
    const std::uint32_t address =
        static_cast<std::uint32_t>(std::stoul(nm.substr(nm.rfind('\n', at) + 1, 8), nullptr, 16));
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%x", address);
    const std::string where = RunCommand(std::string("arm-none-eabi-addr2line -e '") + elf + "' " + hex);
    const int line = std::stoi(where.substr(where.rfind(':') + 1));
    ASSERT_GT(line, 65536) << where;

    CQEditDoc* doc = Open("long_source.c", ReadBytes(ZK_LONG_SOURCE));
    CQEditDoc* other = Open("other.c", "int a;\nint b;\n");
    ASSERT_TRUE(doc && other);
    CQEditView* view = ViewOf(doc);
    CQEditView* otherView = ViewOf(other);
    ASSERT_FALSE(doc->IsComplete());

    for (CQEditView* v : {view, otherView})
        EXPECT_EQ(v->SendMessage(WM_SETPCLINE, 1, static_cast<LPARAM>(address)), 1);
    EXPECT_EQ(view->pcMarkLine, line - 1);
    EXPECT_EQ(view->topLine, line - 2);  // shown from the line above
    EXPECT_GE(static_cast<int>(doc->Lines().LineCount()), line);
    EXPECT_EQ(otherView->pcMarkLine, -1);
    EXPECT_EQ(otherView->topLine, 0);

    view->SendMessage(WM_SETPCLINE, 0, 0);
    EXPECT_EQ(view->pcMarkLine, -1);
}

}  // namespace
}  // namespace editor::test
