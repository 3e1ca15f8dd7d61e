// The connection values, the target configuration record and the connect
// and disconnect orders.
#include "appdebug/connection.h"

#include <gtest/gtest.h>

#include "core_fakes.h"
#include "frame_standins.h"
#include "lathris/registry.h"
#include "shell/settings.h"

namespace appdebug::test {
namespace {

TEST(ConnectionTest, ProtocolIndexIgnoresCaseAndUnknownNamesGiveZero)
{
    EXPECT_EQ(ProtocolIndex("Pelliton"), 1u);
    EXPECT_EQ(ProtocolIndex("tamber"), 2u);
    EXPECT_EQ(ProtocolIndex("ANGEL"), 3u);
    EXPECT_EQ(ProtocolIndex("simulator"), 4u);
    EXPECT_EQ(ProtocolIndex("Simulator2"), 0u);
    EXPECT_EQ(ProtocolIndex(""), 0u);
}

}  // namespace
}  // namespace appdebug::test
