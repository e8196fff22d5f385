#include "app/BatchReport.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

namespace vexel {

namespace {

bool isValidUtf8(const std::string &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return !decoder.hasError();
}

} // namespace

std::string batchJson(const std::vector<FormatResult> &made, std::size_t winner,
                      const std::string &savedTo)
{
    QJsonArray formats;
    for (const FormatResult &record : made)
        formats.append(
            QJsonObject{{QStringLiteral("format"), QString::fromStdString(record.FormatName)},
                        {QStringLiteral("size"), qint64(record.ArchiveSize)}});
    QJsonObject report{
        {QStringLiteral("formats"), formats},
        {QStringLiteral("winner"), QString::fromStdString(made.at(winner).FormatName)},
        {QStringLiteral("saved"), QString::fromStdString(savedTo)}};
    if (!isValidUtf8(savedTo)) {
        const QByteArray bytes(savedTo.data(), qsizetype(savedTo.size()));
        report.insert(QStringLiteral("saved_base64"), QString::fromLatin1(bytes.toBase64()));
    }
    return QJsonDocument(report).toJson(QJsonDocument::Compact).toStdString() + "\n";
}

} // namespace vexel
