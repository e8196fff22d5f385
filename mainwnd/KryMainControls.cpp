// KryMain's controls: created in the design's order at the design's positions, each
// named as the design names it, then scaled together until every text fits.
#include "mainwnd/KryMain.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>

namespace vexel {

namespace {

// The client area of the design, in design pixels.
const QSize kDesignSize(520, 350);

template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

const QString kNoFilesText =
    QStringLiteral("ファイルがありません（圧縮するファイルをドラッグ＆ドロップしてください）");

void KryMain::buildControls()
{
    DesignGeometry &g = geometry_;
    TabStrip1 = named(new QTabWidget(this), "TabStrip1");
    CheckArcMode = named(new QWidget, "CheckArcMode");
    CheckOption = named(new QWidget, "CheckOption");
    TabStrip1->addTab(CheckArcMode, QStringLiteral("チェック形式"));
    TabStrip1->addTab(CheckOption, QStringLiteral("オプション"));

    SettingShow = named(new QPushButton(QStringLiteral("詳細設定"), CheckOption), "SettingShow");
    g.place(SettingShow, {168, 72, 81, 20});
    OptionFrame = named(new QGroupBox(QStringLiteral("簡易設定"), CheckOption), "OptionFrame");
    g.place(OptionFrame, {0, 8, 249, 57});
    AlwaysTopSW =
        named(new QCheckBox(QStringLiteral("常に手前に表示"), OptionFrame), "AlwaysTopSW");
    g.place(AlwaysTopSW, {8, 32, 153, 17});
    DLLVisible = named(new QCheckBox(QStringLiteral("各DLLによる進行状況表示をする"), OptionFrame),
                       "DLLVisible");
    g.place(DLLVisible, {8, 16, 217, 15});
    ArcAllCheck = named(new QPushButton(QStringLiteral("すべて選択"), CheckArcMode), "ArcAllCheck");
    g.place(ArcAllCheck, {168, 117, 81, 19});
    FileType = named(new QListWidget(CheckArcMode), "FileType");
    g.place(FileType, {0, 8, 249, 102});
    g.place(TabStrip1, {248, 144, 265, 169});

    FreezeFile = named(new QLineEdit(kNoFilesText, this), "FreezeFile");
    FreezeFile->setReadOnly(true);
    g.place(FreezeFile, {112, 8, 401, 18});
    HelpShow = named(new QPushButton(QStringLiteral("ヘルプ(&H)"), this), "HelpShow");
    g.place(HelpShow, {432, 320, 81, 25});
    CloseWnd = named(new QPushButton(QStringLiteral("閉じる(&C)"), this), "CloseWnd");
    g.place(CloseWnd, {344, 320, 81, 25});
    KryStart = named(new QPushButton(QStringLiteral("圧縮開始(&F)"), this), "KryStart");
    KryStart->setEnabled(false);
    g.place(KryStart, {248, 320, 89, 25});
    SaveDirFrame = named(new QGroupBox(QStringLiteral("保存先"), this), "SaveDirFrame");
    g.place(SaveDirFrame, {8, 32, 233, 313});
    DirList = named(new QTreeWidget(SaveDirFrame), "DirList");
    g.place(DirList, {8, 16, 217, 289});
    FileFrame = named(new QGroupBox(QStringLiteral("ファイル名"), this), "FileFrame");
    g.place(FileFrame, {248, 32, 265, 105});
    EXEArc = named(new QRadioButton(QStringLiteral("自己解凍書庫"), FileFrame), "EXEArc");
    EXEArc->setEnabled(false);
    g.place(EXEArc, {104, 40, 113, 17});
    NormalArc = named(new QRadioButton(QStringLiteral("通常書庫"), FileFrame), "NormalArc");
    NormalArc->setChecked(true);
    g.place(NormalArc, {8, 40, 89, 17});
    FileName = named(new QLineEdit(FileFrame), "FileName");
    g.place(FileName, {8, 16, 249, 18});
    Label1 = named(
        new QLabel(QStringLiteral(
                       "ファイル名に拡張子を付けた場合、その圧縮形式で、付けなかった場合はもっとも"
                       "圧縮効率が良くなる圧縮方式で保存します。"),
                   FileFrame),
        "Label1");
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    g.place(Label1, {24, 64, 233, 38});
    Label3 = named(new QLabel(QStringLiteral("※"), FileFrame), "Label3");
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    g.place(Label3, {8, 64, 15, 17});
    Label2 = named(new QLabel(QStringLiteral("圧縮するファイル"), this), "Label2");
    g.place(Label2, {8, 10, 97, 17});
}

// Keyboard focus: the output name first, then the tree, the kind, the buttons, the
// file field, the tab strip and the two pages; disabled and hidden controls are skipped.
void KryMain::setFocusOrder()
{
    const QList<QWidget *> order{FileName,    DirList,    NormalArc,   EXEArc,     KryStart,
                                 CloseWnd,    HelpShow,   FreezeFile,  TabStrip1,  FileType,
                                 ArcAllCheck, DLLVisible, AlwaysTopSW, SettingShow};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

// Scales the design geometry to the font in use. Run again when the font changes.
void KryMain::fitLayout()
{
    ensurePolished();
    scale_ = geometry_.fittingScale();
    setFixedSize(geometry_.apply(scale_, kDesignSize));
}

} // namespace vexel
