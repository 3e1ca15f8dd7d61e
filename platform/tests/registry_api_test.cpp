// The Win32 registry functions over the global store, as lathris CRegistry
// and the settings record call them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/registry.h"
#include "test_support.h"

using namespace platform;

namespace {

class RegistryApiTest : public ::testing::Test {
protected:
    void SetUp() override { Registry::Global().SetFile(dir_ + "/registry"); }
    void TearDown() override { Registry::Global().SetFile(dir_ + "/unused"); }

    test::TempDir temp_{"zk-regapi"};
    const std::string dir_ = temp_.path();
};

TEST_F(RegistryApiTest, CreateSetCloseAndReadBack)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Zelkor\\Zelkor for Arm\\Configuration", 0, nullptr,
                             REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    const char* protocol = "Pelliton";
    EXPECT_EQ(RegSetValueEx(key, "Protocol", 0, REG_SZ, reinterpret_cast<const BYTE*>(protocol),
                            static_cast<DWORD>(std::strlen(protocol) + 1)),
              ERROR_SUCCESS);
    DWORD top = 0x74000;
    EXPECT_EQ(RegSetValueEx(key, "TopMemory", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&top), 4), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(key, "Bad", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&top), 2), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_FALSE(Registry::Global().HasPendingChanges()) << "closing the key writes the file";

    // Another process would see it: a second store over the same file.
    Registry other(dir_ + "/registry");
    EXPECT_EQ(other.GetString("Software\\Zelkor\\Zelkor for Arm\\Configuration", "Protocol"), "Pelliton");
    EXPECT_EQ(other.GetDword("Software\\Zelkor\\Zelkor for Arm\\Configuration", "TopMemory"), 0x74000u);

    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "software\\zelkor\\zelkor for arm\\CONFIGURATION", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueEx(key, "PROTOCOL", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 9u) << "the size counts the terminating NUL";
    char small[4];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueEx(key, "Protocol", nullptr, &type, reinterpret_cast<BYTE*>(small), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 9u);
    char text[32];
    size = sizeof text;
    EXPECT_EQ(RegQueryValueEx(key, "Protocol", nullptr, &type, reinterpret_cast<BYTE*>(text), &size), ERROR_SUCCESS);
    EXPECT_STREQ(text, "Pelliton");
    DWORD value = 0;
    size = 4;
    EXPECT_EQ(RegQueryValueEx(key, "topmemory", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(value, 0x74000u);
    EXPECT_EQ(RegQueryValueEx(key, "Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValue(key, "TOPMEMORY"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(key, "TopMemory"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryApiTest, OpeningAMissingKeyFailsAndOnlyTheCurrentUserIsServed)
{
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Nobody", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegQueryValueEx(reinterpret_cast<HKEY>(uintptr_t{12345}), "x", nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_HANDLE);
}

TEST_F(RegistryApiTest, SubkeysOpenRelativeToAnOpenKeyAndDeleteLeafFirst)
{
    HKEY app = nullptr, bars = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Zelkor\\Zelkor for Arm", 0, nullptr, 0, KEY_ALL_ACCESS,
                             nullptr, &app, nullptr),
              ERROR_SUCCESS);
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyEx(app, "Control Bars\\Bar0", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &bars, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(bars);
    ASSERT_EQ(RegCreateKeyEx(app, "control bars\\bar0", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &bars, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(bars);
    EXPECT_EQ(RegDeleteKey(app, "Control Bars"), ERROR_ACCESS_DENIED) << "a key with subkeys stays";
    EXPECT_EQ(RegDeleteKey(app, "Control Bars\\Bar0"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(app, "Control Bars"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyEx(app, "Control Bars", 0, KEY_READ, &bars), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegFlushKey(app), ERROR_SUCCESS);
    RegCloseKey(app);
}

}  // namespace
