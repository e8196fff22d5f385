// The keys of the settings store (section "Kry"), their defaults, and the routines of
// KryOpr that read and write them. Nothing here needs a window: the main window's
// LoadSettings applies StoredOptions to its controls, and a command-line mode can use
// readStoredOptions and readCheckMark directly.
//
//   Key              Value                                      Default
//   "DefaultPath"    folder path                                the current directory
//   "AlwaysTop"      "0" / "1": check box 常に手前に表示          "0"
//   "DLLVisible"     "0" / "1": check box 各DLLによる進行状況表示  "0"
//   "LHAFreezeType"  "2" "3" "4": -lh5- -lh6- -lh7-             "2"
//   "CABFreezeType"  "0" MSZIP, "1" LZX                         "0"
//   "CABFreezeLevel" 15..21, LZX window                         "15"
//   "ZIPFreezeLevel" 1..9                                       "6"
//   "BGAFreezeLevel" 1..9, GZIP and BZIP2                       "9"
//   "Jobs"           formats made at once: 0 one per core, 1..8   "0"
//   "FreezeType"     0 ordinary, other numbers self-extracting  0   (read, never written)
//   "FT_Chk_NA_<entry>" / "FT_Chk_EA_<entry>"  "True"/"False"  checked
//
// Levels may carry one leading blank (" 15"): the settings window writes them so.
#pragma once

#include "config/SettingsStore.h"
#include "run/RunState.h"

#include <span>
#include <string>
#include <string_view>

namespace vexel {

// One compression method or level of the shared values: its key, its default, its
// accepted range and the RunSettings member that holds it.
struct NumericSettingKey {
    std::string_view key;
    std::string_view defaultValue;
    int lowest;
    int highest;
    std::string RunSettings::*value;
};

// The five methods and levels, in the order LoadSettings reads and SaveSettings writes
// them: LHAFreezeType, CABFreezeType, CABFreezeLevel, ZIPFreezeLevel, BGAFreezeLevel.
std::span<const NumericSettingKey> numericSettingKeys();

// The stored text when it is a decimal number within [lowest, highest] (blanks around
// it allowed, kept as stored: " 15" stays " 15"), otherwise the key's default. A value
// out of range or not a number would make every run's command line fail.
std::string checkedNumericSetting(const NumericSettingKey &key, const std::string &stored);

// The stored "Jobs": a whole number from 0 up, more than 8 counting as 8 (there are no
// more formats to make at once); anything else, or nothing, is the default 0.
int storedJobs(const SettingsStore &store);

// The archive kinds: 0 ordinary, 1 self-extracting.
enum ArchiveKind : int { OrdinaryKind = 0, SelfExtractingKind = 1 };

// What LoadSettings reads, checked.
struct StoredOptions {
    RunSettings values;              // DefaultPath (an existing folder) and the methods and levels
    bool AlwaysTop = false;          // "AlwaysTop" is "1"
    bool DLLVisible = false;         // "DLLVisible" is "1"
    ArchiveKind kind = OrdinaryKind; // from "FreezeType"
};

// LoadSettings' reading steps in their order: "DefaultPath" (a folder that does not
// exist, or an empty value, becomes `currentDirectory`), "AlwaysTop", "DLLVisible",
// the five methods and levels (checkedNumericSetting), "Jobs" (storedJobs), "FreezeType" (a number other
// than 0 selects the self-extracting kind; a value that is no number counts as 0).
// A check box value other than "0"/"1" counts as "0". Writes nothing.
StoredOptions readStoredOptions(const SettingsStore &store, const std::string &currentDirectory);

// SaveSettings, in its order: "DefaultPath" = `savePath`, "AlwaysTop", "DLLVisible"
// ("0"/"1"), then the five methods and levels as they stand in `values`, then "Jobs". Never writes
// "FreezeType" nor a check mark. False when any write failed (the store reports it).
bool SaveSettings(SettingsStore &store, const std::string &savePath, bool alwaysTop,
                  bool dllVisible, const RunSettings &values);

// The check-mark key of a format list entry: "FT_Chk_NA_" (ordinary) or "FT_Chk_EA_"
// (self-extracting) followed by the entry text ("LHA" ... "ACE").
std::string checkMarkKey(ArchiveKind kind, std::string_view entryText);

// The stored check mark of an entry; absent means checked. "True"/"False" in any
// letter case, or a number (0 unchecked, other checked); any other text counts as
// checked, the default.
bool readCheckMark(const SettingsStore &store, ArchiveKind kind, std::string_view entryText);

// Stores "True" or "False" for an entry at once.
bool writeCheckMark(SettingsStore &store, ArchiveKind kind, std::string_view entryText,
                    bool checked);

} // namespace vexel
