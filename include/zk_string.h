// The string type through which exported functions hand a text back to
// their caller (where the system passes a string object by reference): the
// caller owns it, the callee assigns it. Both sides are built with the same
// C++ library, so it is the standard string.
#pragma once

#include <string>

using ZkString = std::string;
