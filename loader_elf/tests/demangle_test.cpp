// The old-scheme C++ demangler, one row per name: its examples with their
// spacing, every operator code, the type codes, repeats in and out of
// range, templates, and names that are not of the scheme (which come back
// unchanged). No tool of today knows this scheme, hence a table.
#include <gtest/gtest.h>

#include <string>

#include "demangle.h"

namespace tarnel {
namespace {

struct Row {
    const char* mangled;
    const char* text;
};

class DemangleTable : public testing::TestWithParam<Row> {};

TEST_P(DemangleTable, Demangles)
{
    EXPECT_EQ(DemangleSymbol(GetParam().mangled), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Names, DemangleTable,
    testing::Values(
        // Examples of the scheme, with their spacing.
        Row{"draw__5ShapeFi", "Shape::draw(int )"}, Row{"area__5ShapeFiPc", "Shape::area(int , char *)"},
        Row{"__ct__5ShapeFv", "Shape:: Shape(void )"}, Row{"__dt__5ShapeFv", "Shape::~Shape(void )"},
        Row{"__ml__5ShapeFRC5Shape", "Shape::operator *(const Shape &)"},
        Row{"get__5ShapeCFv", "Shape::get(void ) const "}, Row{"__opi__5ShapeFv", "Shape::operator int (void )"},
        Row{"__opPC5Shape__5ShapeFv", "Shape::operator const Shape *(void )"}, Row{"main", "main"},
        // Functions without a class.
        Row{"sum__FiT1", "sum(int , int )"}, Row{"f__Fv", "f(void )"}, Row{"f__F", "f()"},
        Row{"printf__FPCce", "printf(const char *, )"},
        // Every base code and qualifier.
        Row{"g__Fcdfilmrsv", "g(char , double , float , int , long , long long , long double , short , void )"},
        Row{"g__FUiScViCVl", "g(unsigned int , signed char , volatile int , const volatile long )"},
        Row{"g__FA10_iA2_A3_c", "g(int [10], char [2][3])"}, Row{"g__FM5ShapePi", "g(int *(Shape::*))"},
        Row{"g__FQ25Outer5Inner", "g(Inner)"}, Row{"g__FPQ25Outer5Inneri", "g(Inner*, int )"},
        // Repeats: T copies one parameter, N copies one into c records.
        Row{"g__FicT2", "g(int , char , char )"}, Row{"g__FiN31", "g(int , int , int , int )"},
        Row{"g__FiT0", "g__FiT0"}, Row{"g__FiT2", "g__FiT2"}, Row{"g__FN21", "g__FN21"}, Row{"g__FiN20", "g__FiN20"},
        // More than ten parameters demangle whole.
        Row{"g__Fiiiiiiiiiiic", "g(int , int , int , int , int , int , int , int , int , int , int , char )"},
        // Templates: base name, then the argument text after "__t" and two more.
        Row{"push__11Stack__t1ZiFRCi", "Stack<i>::push(const int &)"},
        // Names that are not of the scheme come back unchanged.
        Row{"__main", "__main"}, Row{"my__var", "my__var"}, Row{"f__FP", "f__FP"}, Row{"f__Fx", "f__Fx"},
        Row{"f__F9Shape", "f__F9Shape"}, Row{"f__FA", "f__FA"}, Row{"f__FQ0", "f__FQ0"},
        Row{"__xx__5ShapeFv", "__xx__5ShapeFv"}, Row{"__ct_5ShapeFv", "__ct_5ShapeFv"},
        Row{"__opii__5ShapeFv", "__opii__5ShapeFv"}, Row{"get__5ShapeCx", "get__5ShapeCx"}, Row{"", ""}));

// Every operator code, and codes that only begin like one: a code matches
// only the row it equals.
TEST(DemangleOperators, EveryCodeGivesItsOperator)
{
    const std::pair<const char*, const char*> rows[] = {
        {"aa", "&&"},    {"aad", "&="}, {"ad", "&"},   {"adv", "/="}, {"aer", "^="},      {"als", "<<="},
        {"amd", "%="},   {"ami", "-="}, {"amu", "*="}, {"aor", "|="}, {"apl", "+="},      {"ars", ">>="},
        {"as", "="},     {"cl", "()"},  {"cm", ","},   {"co", "~"},   {"da", "delete[]"}, {"dl", "delete"},
        {"dv", "/"},     {"eq", "=="},  {"er", "^"},   {"ge", ">="},  {"gt", ">"},        {"le", "<="},
        {"ls", "<<"},    {"lt", "<"},   {"md", "%"},   {"mi", "-"},   {"ml", "*"},        {"mm", "--"},
        {"na", "new[]"}, {"ne", "!="},  {"nt", "!"},   {"nw", "new"}, {"oo", "||"},       {"or", "|"},
        {"pl", "+"},     {"pp", "++"},  {"rm", "->*"}, {"rf", "->"},  {"rs", ">>"},       {"vc", "[]"},
    };
    for (const auto& [code, text] : rows) {
        const std::string mangled = std::string("__") + code + "__1XFi";
        EXPECT_EQ(DemangleSymbol(mangled), std::string("X::operator ") + text + "(int )") << mangled;
    }
    for (const char* code : {"a", "aadd", "adx", "m"})
        EXPECT_EQ(DemangleSymbol(std::string("__") + code + "__1XFi"), std::string("__") + code + "__1XFi");
}

// A long name is kept whole (no fixed text widths).
TEST(DemangleOperators, LongNamesAreKeptWhole)
{
    const std::string cls(150, 'K');
    const std::string mangled = "method__150" + cls + "FPC150" + cls;
    EXPECT_EQ(DemangleSymbol(mangled), cls + "::method(const " + cls + " *)");
}

}  // namespace
}  // namespace tarnel
