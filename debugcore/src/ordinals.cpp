// The ordinals by which the program and the flash programmer bind sarvik.
#include <platform/modules.h>

#include "sarvik.h"

ZK_ORDINAL_TABLE_BEGIN
ZK_ORDINAL(SARVIK_ORD_EmuHaltCmd, EmuHaltCmd)
ZK_ORDINAL(SARVIK_ORD_EmuHalt, EmuHalt)
ZK_ORDINAL(SARVIK_ORD_EmuJumpCmd, EmuJumpCmd)
ZK_ORDINAL(SARVIK_ORD_EmuSetPC, EmuSetPC)
ZK_ORDINAL(SARVIK_ORD_EmuRun, EmuRun)
ZK_ORDINAL(SARVIK_ORD_EmuGoCmd, EmuGoCmd)
ZK_ORDINAL(SARVIK_ORD_EmuRestart, EmuRestart)
ZK_ORDINAL(SARVIK_ORD_EmuStepCmd, EmuStepCmd)
ZK_ORDINAL(SARVIK_ORD_EmuStep, EmuStep)
ZK_ORDINAL(SARVIK_ORD_EmuSetTargetConfig, EmuSetTargetConfig)
ZK_ORDINAL(SARVIK_ORD_BptSetCmd, BptSetCmd)
ZK_ORDINAL(SARVIK_ORD_BptClearCmd, BptClearCmd)
ZK_ORDINAL(SARVIK_ORD_BptGetList, BptGetList)
ZK_ORDINAL(SARVIK_ORD_BptClearAll, BptClearAll)
ZK_ORDINAL(SARVIK_ORD_BptDeleteAllObjects, BptDeleteAllObjects)
ZK_ORDINAL(SARVIK_ORD_BptClearBp, BptClearBp)
ZK_ORDINAL(SARVIK_ORD_BptSetBp, BptSetBp)
ZK_ORDINAL(SARVIK_ORD_BptFindBp, BptFindBp)
ZK_ORDINAL(SARVIK_ORD_EmuInit, EmuInit)
ZK_ORDINAL(SARVIK_ORD_EmuResetCmd, EmuResetCmd)
ZK_ORDINAL(SARVIK_ORD_EmuResetTarget, EmuResetTarget)
ZK_ORDINAL(SARVIK_ORD_EmuSetSourceLevel, EmuSetSourceLevel)
ZK_ORDINAL(SARVIK_ORD_EmuIsBusy, EmuIsBusy)
ZK_ORDINAL(SARVIK_ORD_BptResetHitCounts, BptResetHitCounts)
ZK_ORDINAL(SARVIK_ORD_BptCheckHit, BptCheckHit)
ZK_ORDINAL_TABLE_END
