// The configured processor's name, type, family and byte order.
#include <gtest/gtest.h>

#include <string>

#include "vexlor/vexlor.h"

namespace {

TEST(Processor, AnswersForTheConfiguredProcessor)
{
    InitDLL_CpuServer(0, nullptr, "ARM7TDMI-KS32C50100", 0);
    char name[64] = {}, type[32] = {};
    DWORD family = 0;
    int order = -1, stack = 0;
    EXPECT_EQ(ProcReturnProcessorName(name), 0);
    EXPECT_STREQ(name, "ARM7TDMI-KS32C50100");
    EXPECT_EQ(ProcGetCpuType(type), 0);
    EXPECT_STREQ(type, "ARM7TDMI");
    EXPECT_EQ(ProcReturnProcFamily(&family), 0);
    EXPECT_EQ(family, VEXLOR_FAMILY_ARM);
    EXPECT_EQ(ProcReturnByteOrder(&order), 0);
    EXPECT_EQ(order, 0);
    EXPECT_EQ(ProcDefaultStackSize(&stack), 0);
    EXPECT_GT(stack, 0);

    InitDLL_CpuServer(0, nullptr, "PPC860", 5);
    EXPECT_EQ(ProcReturnByteOrder(&order), 0);
    EXPECT_EQ(order, 1);
    EXPECT_EQ(ProcReturnProcFamily(&family), 0);
    EXPECT_EQ(family, VEXLOR_FAMILY_UNKNOWN);
    EXPECT_EQ(ProcGetCpuType(type), 0);
    EXPECT_STREQ(type, "PPC860");
}

// Callers read the name into 64-byte buffers.
TEST(Processor, LongNamesAreCutToFitTheCallersBuffers)
{
    const std::string longName(100, 'A');
    InitDLL_CpuServer(0, nullptr, longName.c_str(), 0);
    char name[64 + 8];
    std::fill(std::begin(name), std::end(name), '#');
    EXPECT_EQ(ProcReturnProcessorName(name), 0);
    EXPECT_EQ(std::string(name), longName.substr(0, 63));
    EXPECT_EQ(name[64], '#');
    char type[32 + 8];
    std::fill(std::begin(type), std::end(type), '#');
    EXPECT_EQ(ProcGetCpuType(type), 0);
    EXPECT_EQ(std::string(type).size(), 31u);
    EXPECT_EQ(type[32], '#');
}

TEST(Processor, InsertsTheNameIntoAFilePattern)
{
    InitDLL_CpuServer(0, nullptr, "ARM7TDMI-KS32C50100", 0);
    char out[128];
    EXPECT_EQ(ProcInsertSpecificProcessor("PCF\\PERI%s.CFG", out), 0);
    EXPECT_STREQ(out, "PCF\\PERIARM7TDMI-KS32C50100.CFG");
    for (const char* bad : {"PCF\\PERI.CFG", "%s%s", "%d%s", "%s%", "%%s"})
        EXPECT_EQ(ProcInsertSpecificProcessor(bad, out), VEXLOR_BAD_PATTERN) << bad;
    const std::string tooLong = std::string(110, 'x') + "%s";
    EXPECT_EQ(ProcInsertSpecificProcessor(tooLong.c_str(), out), VEXLOR_BAD_PATTERN);
}

}  // namespace
