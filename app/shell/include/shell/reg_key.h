// One open key of the registry store with the typed values the shell keeps:
// 32-bit numbers as REG_DWORD, texts as REG_SZ, and the lists as REG_BINARY
// records that start with their tag ("SARR" text array, "DARR" word array),
// a 32-bit count and the items (a text as its 32-bit length and bytes, a
// word as 32 bits, little-endian) - the record form of the UI library's
// registry class, so either reads what the other wrote.
//
// Read answers true exactly when the value exists with the asked type and a
// whole record; otherwise the caller's variable keeps what it held.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace shell {

using CStringArray = std::vector<std::string>;
using CDWordArray = std::vector<DWORD>;

class RegKey {
public:
    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // An existing key under HKEY_CURRENT_USER.
    bool Open(const std::string& path);
    // Creates the key and its parents, then opens it.
    bool CreateKey(const std::string& path);
    // Open, else create.
    bool OpenOrCreate(const std::string& path) { return Open(path) || CreateKey(path); }
    bool IsOpen() const { return key_ != nullptr; }
    // Writes pending changes and closes the key.
    void Close();

    bool VerifyValue(const std::string& name);
    bool Read(const std::string& name, int& value);
    bool Read(const std::string& name, DWORD& value);
    bool Read(const std::string& name, std::string& value);
    bool Read(const std::string& name, CStringArray& value);
    bool Read(const std::string& name, CDWordArray& value);

    bool Write(const std::string& name, int value);
    bool Write(const std::string& name, DWORD value);
    bool Write(const std::string& name, const std::string& value);
    bool Write(const std::string& name, const CStringArray& value);
    bool Write(const std::string& name, const CDWordArray& value);

private:
    bool Query(const std::string& name, DWORD& type, std::string& data);
    bool Set(const std::string& name, DWORD type, const std::string& data);
    HKEY key_ = nullptr;
};

}  // namespace shell
