#include "app/StoredChoices.h"

#include "run/FormatTable.h"

#include <QSettings>

namespace vexel {

bool StoredChoices::isChecked(const std::string &entryText) const
{
    const auto found = checked.find(entryText);
    return found == checked.end() || found->second;
}

StoredChoices readStoredChoices()
{
    // PLACEHOLDER until the settings store lands
    StoredChoices choices;
    QSettings store(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Korvane Club"));
    store.beginGroup(QStringLiteral("Kry"));
    for (const FormatInfo &format : formatTable()) {
        const QString key = QString::fromUtf8(format.checkKeyOrdinary.data(),
                                              qsizetype(format.checkKeyOrdinary.size()));
        choices.checked[std::string(format.entryText)] =
            store.value(key, QStringLiteral("True")).toString() != QStringLiteral("False");
    }
    return choices;
}

} // namespace vexel
