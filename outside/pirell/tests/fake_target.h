// The target the pirell tests stand in for: memory (an image's bytes as
// objdump prints them, and what the tests write), the loader's Thumb
// addresses, the symbol library's lines. classifier_test.cpp defines the
// memory library's, the loader's and the symbol library's calls on it.
#pragma once

#include <cstdint>
#include <set>

#include "objdump_kinds.h"

namespace pirell::test {

struct FakeTarget {
    ObjdumpImage image;
    std::set<uint32_t> thumb;      // addresses of Thumb code
    std::set<uint32_t> withLines;  // addresses that have a source line
    std::set<uint32_t> unreadable;
};

FakeTarget& Target();

}  // namespace pirell::test
