#include "config/StoredSettings.h"

#include "platform/FolderListing.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <optional>

namespace vexel {

namespace {

const std::array<NumericSettingKey, 5> kNumericKeys{{
    {"LHAFreezeType", "2", 2, 4, &RunSettings::LHAFreezeType},
    {"CABFreezeType", "0", 0, 1, &RunSettings::CABFreezeType},
    {"CABFreezeLevel", "15", 15, 21, &RunSettings::CABFreezeLevel},
    {"ZIPFreezeLevel", "6", 1, 9, &RunSettings::ZIPFreezeLevel},
    {"BGAFreezeLevel", "9", 1, 9, &RunSettings::BGAFreezeLevel},
}};

std::string_view withoutBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// A whole number written in decimal digits, optionally signed; nothing else around it.
std::optional<long long> wholeNumber(std::string_view text)
{
    text = withoutBlanks(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    long long number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

bool checkBoxValue(const SettingsStore &store, const std::string &key)
{
    return wholeNumber(store.GetSetting(key, "0")) == 1;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x))
            == std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

std::span<const NumericSettingKey> numericSettingKeys() { return kNumericKeys; }

int storedJobs(const SettingsStore &store)
{
    constexpr int kMostJobs = 8;
    const auto number = wholeNumber(store.GetSetting("Jobs", "0"));
    if (!number || *number < 0)
        return 0;
    return static_cast<int>(std::min<long long>(*number, kMostJobs));
}

std::string checkedNumericSetting(const NumericSettingKey &key, const std::string &stored)
{
    const std::string_view digits = withoutBlanks(stored);
    const bool onlyDigits = !digits.empty()
        && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    const auto number = onlyDigits ? wholeNumber(digits) : std::nullopt;
    if (number && *number >= key.lowest && *number <= key.highest)
        return stored;
    return std::string(key.defaultValue);
}

StoredOptions readStoredOptions(const SettingsStore &store, const std::string &currentDirectory)
{
    StoredOptions options;
    options.values.DefaultPath = store.GetSetting("DefaultPath", currentDirectory);
    options.AlwaysTop = checkBoxValue(store, "AlwaysTop");
    options.DLLVisible = checkBoxValue(store, "DLLVisible");
    // The save folder must still be there; otherwise the run starts where the program did.
    if (!platform::isFolder(options.values.DefaultPath))
        options.values.DefaultPath = currentDirectory;
    for (const NumericSettingKey &key : kNumericKeys) {
        const std::string stored =
            store.GetSetting(std::string(key.key), std::string(key.defaultValue));
        options.values.*key.value = checkedNumericSetting(key, stored);
    }
    options.values.Jobs = storedJobs(store);
    const auto freezeType = wholeNumber(store.GetSetting("FreezeType", "0"));
    options.kind = freezeType.value_or(0) == 0 ? OrdinaryKind : SelfExtractingKind;
    return options;
}

bool SaveSettings(SettingsStore &store, const std::string &savePath, bool alwaysTop,
                  bool dllVisible, const RunSettings &values)
{
    bool allWritten = store.SaveSetting("DefaultPath", savePath);
    allWritten &= store.SaveSetting("AlwaysTop", alwaysTop ? "1" : "0");
    allWritten &= store.SaveSetting("DLLVisible", dllVisible ? "1" : "0");
    for (const NumericSettingKey &key : kNumericKeys)
        allWritten &= store.SaveSetting(std::string(key.key), values.*key.value);
    allWritten &= store.SaveSetting("Jobs", std::to_string(values.Jobs));
    return allWritten;
}

std::string checkMarkKey(ArchiveKind kind, std::string_view entryText)
{
    return (kind == OrdinaryKind ? "FT_Chk_NA_" : "FT_Chk_EA_") + std::string(entryText);
}

bool readCheckMark(const SettingsStore &store, ArchiveKind kind, std::string_view entryText)
{
    const std::string stored = store.GetSetting(checkMarkKey(kind, entryText), "True");
    const std::string_view text = withoutBlanks(stored);
    if (equalsIgnoringCase(text, "False"))
        return false;
    if (const auto number = wholeNumber(text))
        return *number != 0;
    return true;
}

bool writeCheckMark(SettingsStore &store, ArchiveKind kind, std::string_view entryText,
                    bool checked)
{
    return store.SaveSetting(checkMarkKey(kind, entryText), checked ? "True" : "False");
}

} // namespace vexel
