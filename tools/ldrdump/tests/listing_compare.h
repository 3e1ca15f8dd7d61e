// ldrdump's listings of two builds of one program compared part by part:
// each part's records (a row with its indented items) as a multiset, after
// the rewrites that say what the other build's format cannot carry.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace tarnel::test {

// One thing a format cannot carry: rows matching `drop` are left out, and
// `pattern` is replaced by `with` in the rows that stay.
struct ListingRewrite {
    const char* what;
    const char* drop;  // nullptr: none
    const char* pattern;
    const char* with;
};

using ListingParts = std::map<std::string, std::multiset<std::string>>;

// How records compare beyond the rewrites.
struct ListingOptions {
    bool distinctTypes = false;        // equal type records count once
    bool enumeratorsAnyOrder = false;  // an enumeration's constants in any order
};

// "Types (25):" heads a part; records are "  row" with "    item" lines.
inline ListingParts ListingPartsOf(const std::string& listing, const std::vector<ListingRewrite>& rewrites,
                                   ListingOptions options = {})
{
    ListingParts parts;
    std::string part, record;
    std::vector<std::string> items;
    auto flush = [&] {
        if (options.enumeratorsAnyOrder && !items.empty() && items[0].rfind("    enumerator ", 0) == 0)
            std::sort(items.begin(), items.end());
        for (const std::string& item : items)
            record += item;
        if (!record.empty() && !(options.distinctTypes && part == "Types" && parts[part].count(record)))
            parts[part].insert(record);
        record.clear();
        items.clear();
    };
    std::istringstream in(listing);
    for (std::string line; std::getline(in, line);) {
        if (line.empty())
            continue;
        if (line[0] != ' ') {
            flush();
            part = line.substr(0, line.find(' '));
            continue;
        }
        bool dropped = false;
        for (const ListingRewrite& r : rewrites) {
            if (r.drop && std::regex_search(line, std::regex(r.drop))) {
                dropped = true;
                break;
            }
            if (r.pattern)
                line = std::regex_replace(line, std::regex(r.pattern), r.with);
        }
        if (dropped)
            continue;
        if (line.rfind("    ", 0) != 0) {
            flush();
            record = line + "\n";
        } else {
            items.push_back(line + "\n");
        }
    }
    flush();
    return parts;
}

// Every part of `expected` equals the same part of `got`; the records that
// differ are printed.
inline void ExpectSameListing(const ListingParts& expected, const ListingParts& got)
{
    for (const auto& [part, records] : expected) {
        auto it = got.find(part);
        ASSERT_NE(it, got.end()) << part;
        std::vector<std::string> missing, extra;
        std::set_difference(records.begin(), records.end(), it->second.begin(), it->second.end(),
                            std::back_inserter(missing));
        std::set_difference(it->second.begin(), it->second.end(), records.begin(), records.end(),
                            std::back_inserter(extra));
        std::string text;
        for (const std::string& m : missing)
            text += "missing:\n" + m;
        for (const std::string& e : extra)
            text += "extra:\n" + e;
        EXPECT_TRUE(missing.empty() && extra.empty()) << part << "\n" << text;
        EXPECT_FALSE(records.empty()) << part;
    }
}

}  // namespace tarnel::test
