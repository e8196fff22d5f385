#include "config/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringConverter>

#include <iostream>

namespace vexel {

namespace {

const QString kGroup = QStringLiteral("Kry");

QString keyInGroup(const std::string &key) { return kGroup + '/' + QString::fromStdString(key); }

// QSettings gives no reason for a failed save; opening the same file for an atomic
// write shows what the system says (no permission, read-only file system ...).
QString writeFailureReason(const QString &path)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return QStringLiteral("フォルダを作成できません");
    QSaveFile probe(path);
    if (!probe.open(QIODevice::WriteOnly))
        return probe.errorString();
    probe.cancelWriting();
    return QStringLiteral("書き込みに失敗しました");
}

QString uniqueBrokenName(const QString &path)
{
    QString name = path + QStringLiteral(".broken");
    for (int n = 1; QFileInfo::exists(name); ++n)
        name = path + QStringLiteral(".broken.") + QString::number(n);
    return name;
}

} // namespace

std::string SettingsStore::GetSetting(const std::string &key, const std::string &defaultValue) const
{
    return read(key).value_or(defaultValue);
}

bool SettingsStore::SaveSetting(const std::string &key, const std::string &value)
{
    return write(key, value);
}

QString settingsFilePath()
{
    QString base = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    // The XDG rule: an unset, empty or relative XDG_CONFIG_HOME means ~/.config.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Korvane Club.ini");
}

bool isReadableIniText(const QByteArray &text)
{
    auto decoder = QStringDecoder(QStringDecoder::Utf8);
    const QString decoded = decoder(text);
    if (decoder.hasError())
        return false;
    for (QStringView line : QStringView(decoded).split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[') ? !line.endsWith(']') : !line.contains('='))
            return false;
    }
    return true;
}

IniSettingsStore::IniSettingsStore(const QString &path) : IniSettingsStore(path, std::cerr) {}

IniSettingsStore::IniSettingsStore(const QString &path, std::ostream &errors)
    : path_(path), errors_(errors)
{
    setAsideIfBroken();
    settings_ = std::make_unique<QSettings>(path_, QSettings::IniFormat);
    if (settings_->status() == QSettings::AccessError) {
        errors_ << "vexel: " << path_.toStdString()
                << ": 設定ファイルを読み取れません。既定値で始めます" << std::endl;
    }
}

IniSettingsStore::~IniSettingsStore() = default;

// QSettings skips lines it cannot parse and would drop them at the next save, and it
// refuses to save over a file with a broken section header: either way the user's file
// is best kept aside under another name before a new one is written.
void IniSettingsStore::setAsideIfBroken()
{
    QFile file(path_);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return;
    const QByteArray text = file.readAll();
    file.close();
    if (isReadableIniText(text))
        return;
    const QString kept = uniqueBrokenName(path_);
    if (QFile::rename(path_, kept)) {
        keptAs_ = kept;
        errors_ << "vexel: " << path_.toStdString() << ": 設定ファイルを読み取れません。"
                << kept.toStdString() << " として残し、既定値で始めます" << std::endl;
    } else {
        errors_ << "vexel: " << path_.toStdString()
                << ": 設定ファイルを読み取れず、別名で残すこともできません: "
                << file.errorString().toStdString() << std::endl;
    }
}

std::optional<std::string> IniSettingsStore::read(const std::string &key) const
{
    const QVariant value = settings_->value(keyInGroup(key));
    if (!value.isValid())
        return std::nullopt;
    // An unquoted value holding a comma comes back as a list: it is still one text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(',').toStdString();
    return value.toString().toStdString();
}

bool IniSettingsStore::write(const std::string &key, const std::string &value)
{
    settings_->setValue(keyInGroup(key), QString::fromStdString(value));
    settings_->sync();
    if (settings_->status() == QSettings::NoError)
        return true;
    errors_ << "vexel: " << path_.toStdString()
            << ": 設定を保存できません: " << writeFailureReason(path_).toStdString() << std::endl;
    return false;
}

} // namespace vexel
