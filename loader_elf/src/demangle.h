// The C++ name demangler of the older two-underscore scheme (name, "__",
// class, 'F', parameter codes), as the DWARF 1 compilers wrote linkage
// names: draw__5ShapeFi is Shape::draw(int ). A name that does not follow
// the scheme comes back unchanged, so C names pass through.
#pragma once

#include <string>
#include <string_view>

namespace tarnel {

// The readable text of `mangled`, or `mangled` itself when it is not a
// well-formed name of the scheme. Texts have no length limit; any number of
// parameters is decoded.
std::string DemangleSymbol(std::string_view mangled);

}  // namespace tarnel
