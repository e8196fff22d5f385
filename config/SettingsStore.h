// SettingsStore: the per-user settings store, application "Korvane Club", section
// "Kry". Every value is a text string; reading a key that is absent yields the caller's
// default, writing creates or overwrites the key, no key is ever deleted.
//
// IniSettingsStore backs it with the INI file `$XDG_CONFIG_HOME/Korvane Club.ini`
// (normally ~/.config/Korvane Club.ini), group [Kry], written through QSettings, whose
// save goes to a temporary file renamed over the old one: an interrupted write never
// leaves a half-written store. Nothing here needs a window; a command-line mode uses the
// same store. What the keys mean and how their values are checked: StoredSettings.h.
#pragma once

#include <QString>

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

class QSettings;

namespace vexel {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The stored text of `key`, or nothing when the key is absent.
    virtual std::optional<std::string> read(const std::string &key) const = 0;
    // Stores `value` under `key` at once. False when it could not be written; the
    // store itself reports why (see IniSettingsStore).
    virtual bool write(const std::string &key, const std::string &value) = 0;

    // The design's GetSetting / SaveSetting, over read/write.
    std::string GetSetting(const std::string &key, const std::string &defaultValue) const;
    bool SaveSetting(const std::string &key, const std::string &value);
};

// Where the user's store lives: $XDG_CONFIG_HOME/Korvane Club.ini (the variable is read
// at every call, so a test may point it at a temporary folder).
QString settingsFilePath();

class IniSettingsStore : public SettingsStore {
public:
    // Opens the store at `path` (by default settingsFilePath()). A file that exists
    // but cannot be parsed as an INI file (an unclosed section header, a line that is
    // neither a comment, a [section] nor a key=value pair, text that is not UTF-8) is
    // renamed to `path` + ".broken" (".broken.1", ... when that exists) so that its
    // content is kept for the user, and the store starts empty; one line on `errors`
    // says so. A file that cannot be read at all is left alone and reported.
    explicit IniSettingsStore(const QString &path = settingsFilePath());
    IniSettingsStore(const QString &path, std::ostream &errors);
    ~IniSettingsStore() override;

    std::optional<std::string> read(const std::string &key) const override;
    // Writes through to the file at once. A failure is reported as one line on the
    // error stream ("vexel: <path>: 設定を保存できません: <reason>"), never in a window.
    bool write(const std::string &key, const std::string &value) override;

    const QString &path() const { return path_; }
    // The name the broken file was kept under at opening, or empty.
    const QString &brokenFileKeptAs() const { return keptAs_; }

private:
    void setAsideIfBroken();

    QString path_;
    QString keptAs_;
    std::ostream &errors_;
    std::unique_ptr<QSettings> settings_;
};

// True when `text` is an INI file the store can read without losing a line: every
// line is blank, a comment (";" or "#"), a "[section]" header or holds "=", and the
// text is valid UTF-8.
bool isReadableIniText(const QByteArray &text);

} // namespace vexel
