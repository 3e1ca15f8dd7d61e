// The real simulator library with an image loaded as the program loads it
// (target library, memory library, loader front end with symbols and code),
// and the kernel view's tables back at their starting state.
#pragma once

#include <gtest/gtest.h>
#include <platform/win32.h>

#include <string>

#include "kernel_reference.h"

namespace corvane::test {

class KernelSession : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Loads build/fixtures/<fixture>.elf and reads the reference tools' view.
    void Load(const std::string& fixture);
    uint32_t Sym(const std::string& name) const;
    void WriteWord(uint32_t address, uint32_t value);

    HWND window_ = nullptr;
    std::string path_;
    ImageReference ref_;
};

}  // namespace corvane::test
