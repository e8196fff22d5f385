#include "app/StoredChoices.h"

#include "config/StoredSettings.h"

#include <QFile>
#include <QSettings>

#include <cstdio>
#include <memory>

namespace vexel {

namespace {

// The settings store without its write side: IniSettingsStore would set a broken file
// aside, which is a change the batch mode must not make.
class ReadOnlyStore : public SettingsStore {
public:
    explicit ReadOnlyStore(const QString &path)
    {
        QFile file(path);
        if (!file.exists())
            return;
        if (!file.open(QIODevice::ReadOnly) || !isReadableIniText(file.readAll())) {
            std::fprintf(stderr, "vexel: %s: 設定ファイルを読み取れません。既定値を使います\n",
                         path.toLocal8Bit().constData());
            return;
        }
        settings_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
    }

    std::optional<std::string> read(const std::string &key) const override
    {
        if (!settings_)
            return std::nullopt;
        const QVariant value =
            settings_->value(QStringLiteral("Kry/") + QString::fromStdString(key));
        if (!value.isValid())
            return std::nullopt;
        // An unquoted value holding a comma comes back as a list: it is still one text.
        if (value.typeId() == QMetaType::QStringList)
            return value.toStringList().join(',').toStdString();
        return value.toString().toStdString();
    }

    bool write(const std::string &, const std::string &) override { return false; }

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace

StoredChoices readStoredChoices(const ArchiverAvailability &availability,
                                const std::string &currentDirectory)
{
    const ReadOnlyStore store(settingsFilePath());
    StoredChoices choices;
    choices.settings = readStoredOptions(store, currentDirectory).values;
    choices.formats = archiveKindEntries(OrdinaryKind, availability, store);
    return choices;
}

} // namespace vexel
