// What the front end's own readers found damaged in the image of the last
// load ("file: debug part+0x1c: what"); empty after a load without damage
// and after a load handed to tarnel (whose readers keep their own list).
#pragma once

#include <string>
#include <vector>

namespace quentor {

const std::vector<std::string>& LoadMessages();

}  // namespace quentor
