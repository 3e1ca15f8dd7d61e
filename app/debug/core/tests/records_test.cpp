// The symbol data records and the loaded-module list.
#include "appdebug/symbol_records.h"

#include <gtest/gtest.h>

#include "quinar/quinar.h"

namespace appdebug::test {
namespace {

// A child that counts its deletions.
struct Counted : CObject {
    explicit Counted(int& deletions) : deletions(deletions) {}
    ~Counted() override { ++deletions; }
    int& deletions;
};

TEST(RecordsTest, EveryRecordIsMadeByItsClassName)
{
    for (const char* name : {"CSourceData", "CSourceAttr", "CAssemblyData", "CAssemblyCode", "CModuleDesc",
                             "CModuleInfo", "CFuncInfo", "CLineInfo"}) {
        std::unique_ptr<CObject> object(CRuntimeClass::CreateObject(name));
        ASSERT_NE(object, nullptr) << name;
        EXPECT_STREQ(object->GetRuntimeClass()->m_lpszClassName, name);
    }
    std::unique_ptr<CObject> data(CRuntimeClass::CreateObject("CAssemblyData"));
    EXPECT_EQ(static_cast<CAssemblyData*>(data.get())->m_mode, -1);
    EXPECT_TRUE(static_cast<CAssemblyData*>(data.get())->m_lines->empty());
    EXPECT_EQ(AsmColumnUnit(), 6);
}

TEST(RecordsTest, DestroyingASourceTreeDeletesEveryNode)
{
    int deletions = 0;
    auto* root = new CSourceData;
    auto* inner = new CSourceData;
    inner->m_children->push_back(new Counted(deletions));
    inner->m_children->push_back(new Counted(deletions));
    root->m_children->push_back(inner);
    root->m_children->push_back(new Counted(deletions));
    delete root;
    EXPECT_EQ(deletions, 3);

    deletions = 0;
    auto* fill = new CAssemblyData;
    fill->m_lines->push_back(new Counted(deletions));
    delete fill;
    EXPECT_EQ(deletions, 1);
}

void AddModule(const char* name, uint32_t start, uint32_t end)
{
    const ImageStamp stamp{};
    const SymModuleDesc desc{0, start, end};
    uint32_t handle = 0;
    ASSERT_EQ(SymOpenModule(name, &stamp, &desc, 0, 1, 0, &handle, 0), SYM_OK);
    SymCloseModule(0);
}

TEST(RecordsTest, ModuleListKeepsModulesWithARangeAndAPathSlotForEach)
{
    SymClearSymbolTables(0);
    AddModule("first.c", 0x8000, 0x80FF);
    AddModule("no_range.c", 0x9000, 0x8FFF);  // start above end
    AddModule("second.c", 0x8100, 0x8100);
    ASSERT_EQ(SymEndLoad(), SYM_OK);

    LoadedModuleList list;
    list.Rebuild();
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.Module(0)->m_name, "first.c");
    EXPECT_EQ(list.Module(0)->m_start, (ADDR{0x8000, 1}));
    EXPECT_EQ(list.Module(0)->m_end, (ADDR{0x80FF, 1}));
    EXPECT_EQ(list.Module(1)->m_name, "second.c");
    EXPECT_TRUE(list.ResolvedPath(1).empty());
    list.ResolvedPath(1) = "/src/second.c";

    list.Rebuild();  // resolved paths start empty again
    EXPECT_TRUE(list.ResolvedPath(1).empty());
    SymClearSymbolTables(0);
    list.Rebuild();
    EXPECT_EQ(list.Count(), 0u);
}

}  // namespace
}  // namespace appdebug::test
