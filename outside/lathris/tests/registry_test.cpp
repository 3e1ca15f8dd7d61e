// CRegistry: typed values read back exactly as written, and a Read of a
// missing value or of another type leaves the caller's default alone.
#include "lathris/registry.h"

#include "temp_registry.h"

namespace lathris {
namespace {

const std::string kKey = "Software\\Zelkor\\Zelkor for Arm\\Workspace";

TEST(RegistryTest, EveryTypeReadsBackWhatWasWritten)
{
    test::TempRegistry temp;
    {
        CRegistry reg;
        EXPECT_FALSE(reg.Open(kKey)) << "Open does not create";
        ASSERT_TRUE(reg.CreateKey(kKey));
        EXPECT_TRUE(reg.Write("Int", -5));
        EXPECT_TRUE(reg.Write("Unsigned", 0xFFFFFFFFul));
        EXPECT_TRUE(reg.Write("Text", "C:\\work\\hello.prj"));
        EXPECT_TRUE(reg.Write("Array", CStringArray{"a", "", "long text"}));
        EXPECT_TRUE(reg.Write("List", CStringList{"x", "y"}));
        EXPECT_TRUE(reg.Write("Words", CDWordArray{0xFFFF0003u, 0x0002E001u, 0}));
        EXPECT_TRUE(reg.Write("Empty", CDWordArray{}));
    }
    CRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_CURRENT_USER, kKey));
    int i = 0;
    unsigned long u = 0;
    std::string text;
    CStringArray array;
    CStringList list;
    CDWordArray words{7}, empty{7};
    EXPECT_TRUE(reg.Read("Int", i));
    EXPECT_TRUE(reg.Read("Unsigned", u));
    EXPECT_TRUE(reg.Read("Text", text));
    EXPECT_TRUE(reg.Read("Array", array));
    EXPECT_TRUE(reg.Read("List", list));
    EXPECT_TRUE(reg.Read("Words", words));
    EXPECT_TRUE(reg.Read("Empty", empty));
    EXPECT_EQ(i, -5);
    EXPECT_EQ(u, 0xFFFFFFFFul);
    EXPECT_EQ(text, "C:\\work\\hello.prj");
    EXPECT_EQ(array, (CStringArray{"a", "", "long text"}));
    EXPECT_EQ(list, (CStringList{"x", "y"}));
    EXPECT_EQ(words, (CDWordArray{0xFFFF0003u, 0x0002E001u, 0}));
    EXPECT_TRUE(empty.empty());
    EXPECT_TRUE(reg.VerifyValue("Words"));
    EXPECT_FALSE(reg.VerifyValue("Missing"));
}

TEST(RegistryTest, ReadOfAnotherTypeOrMissingValueKeepsTheDefault)
{
    test::TempRegistry temp;
    CRegistry reg;
    ASSERT_TRUE(reg.CreateKey(kKey));
    reg.Write("Int", 3);
    reg.Write("Text", "3");
    reg.Write("Array", CStringArray{"3"});
    reg.WriteBinary("Torn", std::string("DARR\x05\0\0\0\x01\0", 10));

    int i = 42;
    std::string text = "default";
    CStringList list{"default"};
    CDWordArray words{42};
    EXPECT_FALSE(reg.Read("Text", i));
    EXPECT_FALSE(reg.Read("Int", text));
    EXPECT_FALSE(reg.Read("Array", list)) << "an array is not a list";
    EXPECT_FALSE(reg.Read("Array", words));
    EXPECT_FALSE(reg.Read("Torn", words)) << "five words announced, two bytes stored";
    EXPECT_FALSE(reg.Read("Missing", i));
    EXPECT_EQ(i, 42);
    EXPECT_EQ(text, "default");
    EXPECT_EQ(list, CStringList{"default"});
    EXPECT_EQ(words, CDWordArray{42});

    reg.Close();
    EXPECT_FALSE(reg.Read("Int", i)) << "a closed key reads nothing";
    EXPECT_FALSE(reg.Write("Int", 1));
}

}  // namespace
}  // namespace lathris
