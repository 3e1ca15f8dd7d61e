// CRegistry: one open key of the registry store and its typed values.
//
// Values and their registry types: int and unsigned long are REG_DWORD (the
// low 32 bits), a text is REG_SZ, and the three lists are REG_BINARY records
// that start with their own tag ("SARR", "SLST", "DARR"), a 32-bit count and
// then the items (texts as a 32-bit length and the bytes; words as 32 bits,
// little-endian). Read answers nonzero exactly when the value exists with the
// asked type and its record is whole; otherwise the caller's variable keeps
// what it held.
#pragma once

#include <list>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace lathris {

using CStringArray = std::vector<std::string>;
using CStringList = std::list<std::string>;
using CDWordArray = std::vector<DWORD>;

class CRegistry {
public:
    CRegistry() = default;
    ~CRegistry() { Close(); }
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;

    // An existing key; nonzero when opened.
    BOOL Open(HKEY root, const std::string& path);
    BOOL Open(const std::string& path) { return Open(HKEY_CURRENT_USER, path); }
    // Creates the key (and its parents) under HKEY_CURRENT_USER and opens it.
    BOOL CreateKey(const std::string& path);
    BOOL IsOpen() const { return key_ != nullptr; }
    const std::string& Path() const { return path_; }
    // Writes pending changes and closes the key.
    void Close();

    BOOL VerifyValue(const std::string& name);

    BOOL Read(const std::string& name, int& value);
    BOOL Read(const std::string& name, unsigned long& value);
    BOOL Read(const std::string& name, std::string& value);
    BOOL Read(const std::string& name, CStringArray& value);
    BOOL Read(const std::string& name, CStringList& value);
    BOOL Read(const std::string& name, CDWordArray& value);
    // Raw bytes of a REG_BINARY value (the bar states).
    BOOL ReadBinary(const std::string& name, std::string& bytes);

    BOOL Write(const std::string& name, int value);
    BOOL Write(const std::string& name, unsigned long value);
    BOOL Write(const std::string& name, const std::string& value);
    BOOL Write(const std::string& name, const char* value) { return Write(name, std::string(value ? value : "")); }
    BOOL Write(const std::string& name, const CStringArray& value);
    BOOL Write(const std::string& name, const CStringList& value);
    BOOL Write(const std::string& name, const CDWordArray& value);
    BOOL WriteBinary(const std::string& name, const std::string& bytes);

    BOOL DeleteValue(const std::string& name);

private:
    BOOL Query(const std::string& name, DWORD& type, std::string& data);
    BOOL Set(const std::string& name, DWORD type, const std::string& data);

    HKEY key_ = nullptr;
    std::string path_;
};

}  // namespace lathris

using lathris::CDWordArray;
using lathris::CRegistry;
using lathris::CStringArray;
using lathris::CStringList;
