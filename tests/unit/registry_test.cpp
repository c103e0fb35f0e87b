// Registry access against the real registry, under a key of the tests'
// own that is removed again.
#include "desktop/registry.h"
#include "support/shell_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace nltest;

namespace {

const char TestKey[] = "Software\\Nimbalune tests\\Registry";

TEST(Registry, WriteNeedsAKeyThatCreateMakesAndReadGivesTheStoredSize)
{
    RegistryKeyBackup backup(HKEY_CURRENT_USER, "Software\\Nimbalune tests");
    DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\Nimbalune tests");

    // Writing never creates the key.
    EXPECT_FALSE(RegistryWriteValue(HKEY_CURRENT_USER, TestKey, "Name", REG_SZ, "abc", 4));
    std::string data;
    EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, TestKey, "Name", data));

    EXPECT_TRUE(RegistryCreateKey(HKEY_CURRENT_USER, TestKey));
    EXPECT_TRUE(RegistryCreateKey(HKEY_CURRENT_USER, TestKey)); // an existing key is opened
    EXPECT_TRUE(RegistryWriteValue(HKEY_CURRENT_USER, TestKey, "Name", REG_SZ, "abc", 4));
    EXPECT_TRUE(RegistryWriteValue(HKEY_CURRENT_USER, TestKey, "Bytes", REG_BINARY, "\1\2\3", 3));

    char buffer[16] = {};
    DWORD size = sizeof buffer;
    EXPECT_TRUE(RegistryReadValue(HKEY_CURRENT_USER, TestKey, "Name", buffer, &size));
    EXPECT_EQ(size, 4u);
    EXPECT_STREQ(buffer, "abc");
    size = sizeof buffer;
    EXPECT_TRUE(RegistryReadValue(HKEY_CURRENT_USER, TestKey, "Bytes", buffer, &size));
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(std::string(buffer, 3), "\1\2\3");

    // Too small a buffer, a missing value or key: failure.
    size = 2;
    EXPECT_FALSE(RegistryReadValue(HKEY_CURRENT_USER, TestKey, "Name", buffer, &size));
    size = sizeof buffer;
    EXPECT_FALSE(RegistryReadValue(HKEY_CURRENT_USER, TestKey, "Missing", buffer, &size));
    size = sizeof buffer;
    EXPECT_FALSE(RegistryReadValue(HKEY_CURRENT_USER, "Software\\Nimbalune tests\\None", "Name", buffer, &size));
}

} // namespace
