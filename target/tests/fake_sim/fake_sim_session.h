// Test base: Falcrest connected to the recording simulator for one test, the
// Falcrest settings back at their load values.
#pragma once

#include <gtest/gtest.h>
#include <platform/modules.h>

#include "fake_sim.h"
#include "falcrest.h"

class FakeSimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetModuleFolder(ZK_FAKE_SIM_DIR);
        ASSERT_EQ(NewABIDLL(1, "ARM7TDMI", nullptr, "Simulator", 1), 1) << platform::LastModuleError();
        module_ = LoadLibrary(SIM_LIBRARY_NAME);
        ASSERT_NE(module_, nullptr);
        auto instance = reinterpret_cast<FakeSim* (*)()>(GetProcAddress(module_, FAKE_SIM_INSTANCE_ENTRY));
        ASSERT_NE(instance, nullptr);
        sim_ = instance();
        sim_->Clear();
        emuSetAccessSize(4);
        emuSetHalvekBaseAddress(EMU_PERI_BASE_DEFAULT, EMU_PERI_BASE_DEFAULT, 0, EMU_PERI_BASE_DEFAULT);
    }

    void TearDown() override
    {
        ExitABIDLL();
        if (module_)
            FreeLibrary(module_);
        platform::SetModuleFolder("");
    }

    FakeSim& sim() { return *sim_; }

private:
    HMODULE module_ = nullptr;
    FakeSim* sim_ = nullptr;
};
