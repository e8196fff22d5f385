// A settings store held in memory that records every write in order, for the tests of
// what is read and written when.
#pragma once

#include "config/SettingsStore.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vexel::test {

class MemoryStore : public SettingsStore {
public:
    std::map<std::string, std::string> values;
    std::vector<std::pair<std::string, std::string>> writes;

    std::optional<std::string> read(const std::string &key) const override
    {
        const auto it = values.find(key);
        return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
    }

    bool write(const std::string &key, const std::string &value) override
    {
        values[key] = value;
        writes.emplace_back(key, value);
        return true;
    }
};

} // namespace vexel::test
