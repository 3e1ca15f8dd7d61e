// A library that the module tests load by name: one named entry and an
// ordinal table.
#include <platform/modules.h>

extern "C" int TestPlugAnswer()
{
    return 42;
}

namespace {
int ByOrdinalOne()
{
    return 1;
}
int ByOrdinalSeven()
{
    return 7;
}
}  // namespace

ZK_ORDINAL_TABLE_BEGIN
ZK_ORDINAL(1, ByOrdinalOne)
ZK_ORDINAL(7, ByOrdinalSeven)
ZK_ORDINAL_TABLE_END
