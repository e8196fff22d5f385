#include "mainwnd/HelpWnd.h"

#include "config/VexelVersion.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vexel {

QString HelpWnd::usageText(const QString &settingsFile)
{
    return QStringLiteral(
               "Vexel バージョン %1\n"
               "\n"
               "同じファイルをチェックしたすべての圧縮形式で圧縮し、いちばん小さくなった書庫だけを"
               "保存します。\n"
               "\n"
               "1. 圧縮するファイルやフォルダを、このウィンドウのどこかにドラッグ＆ドロップします。"
               "起動するときにコマンドラインで指定することもできます。もう一度ドロップすると、"
               "前の指定と置き換わります。\n"
               "2. 「保存先」のツリーで、書庫を保存するフォルダを選びます。\n"
               "3. 「ファイル名」に書庫の名前を入力します。拡張子を付けなかった場合は、チェックした"
               "形式のうちもっとも小さくなった形式で保存し、その形式の拡張子を付けます。"
               ".lzh、.zip、.cab、.gza、.bza、.rar、.gca、.ace のいずれかを付けた場合は、"
               "その形式だけで圧縮し、入力した名前のまま保存します。\n"
               "4. 「チェック形式」のページで、試す圧縮形式にチェックを付けます。"
               "圧縮ツールが見つからない形式は表示されません。\n"
               "5. 「圧縮開始」を押すと圧縮が始まり、終わると各形式のサイズと保存した形式を"
               "表示します。\n"
               "\n"
               "「オプション」のページの「詳細設定」では、LHA と CAB の圧縮方式、CAB・ZIP・"
               "GZIP/BZIP2 の圧縮レベルを設定できます。\n"
               "\n"
               "設定は次のファイルに保存されます:\n%2")
        .arg(QStringLiteral(VEXEL_VERSION), settingsFile);
}

HelpWnd::HelpWnd(const QString &settingsFile, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("HelpWnd"));
    setWindowTitle(QStringLiteral("Vexel - ヘルプ"));
    setModal(true);

    auto *text = new QLabel(usageText(settingsFile), this);
    text->setObjectName(QStringLiteral("HelpText"));
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // About 40 full-width characters a line at the font in use; the height follows.
    text->setFixedWidth(fontMetrics().horizontalAdvance(QChar(0x3042)) * 40);
    // Lines of Japanese text take the height of the fallback CJK font, which the label's
    // own estimate can miss: take the larger of it and the font's measurement.
    const QRect measured = fontMetrics().boundingRect(QRect(0, 0, text->width(), 100000),
                                                      Qt::TextWordWrap, text->text());
    text->setMinimumHeight(std::max(text->heightForWidth(text->width()), measured.height()));
    auto *close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("HelpClose"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(close, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace vexel

// The meta-object code compiled with this file, not in a unit of its own.
#include "moc_HelpWnd.cpp"
