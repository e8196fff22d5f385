#include "mainwnd/KryMain.h"

#include "dirtree/cDTree.h"
#include "dirtree/TreeImageList.h"
#include "mainwnd/FileList.h"
#include "run/StartRun.h"
#include "run/windows/ProgressWnd.h"

#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QUrl>

namespace vexel {

namespace {

const QString kNoFiles = QStringLiteral(
    "ファイルがありません（圧縮するファイルをドラッグ＆ドロップしてください）");

// The local files a drop carries, in the drop's order; empty when it carries none.
QStringList droppedFiles(const QMimeData *mime)
{
    QStringList paths;
    if (mime == nullptr || !mime->hasUrls())
        return paths;
    for (const QUrl &url : mime->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

template <typename W>
W *placed(W *widget, const char *name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

} // namespace

KryMain::KryMain(const QStringList &arguments, const ArchiverAvailability &availability,
                 QWidget *parent)
    : QWidget(parent), availability_(availability)
{
    settings_.DefaultPath = QDir::currentPath().toStdString();
    buildControls();
    fillFormatList();
    setFiles(arguments);

    ImageList = std::make_unique<TreeImageList>();
    DirTree = std::make_unique<cDTree>();
    DirTree->setTreeView(DirList);
    DirTree->setImageList(ImageList.get());
    DirTree->setPath(QString::fromStdString(settings_.DefaultPath));

    acceptDropsEverywhere();
    FileName->setFocus();
}

KryMain::~KryMain() = default;

void KryMain::buildControls()
{
    setWindowTitle(QStringLiteral("Vexel"));
    setFixedSize(520, 350);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    placed(new QLabel(QStringLiteral("圧縮するファイル"), this), "Label2", 8, 10, 97, 17);
    FreezeFile = placed(new QLineEdit(kNoFiles, this), "FreezeFile", 112, 8, 401, 18);
    FreezeFile->setReadOnly(true);

    auto *saveDirFrame = placed(new QGroupBox(QStringLiteral("保存先"), this), "SaveDirFrame",
                                8, 32, 233, 313);
    DirList = placed(new QTreeWidget(saveDirFrame), "DirList", 8, 16, 217, 289);

    auto *fileFrame = placed(new QGroupBox(QStringLiteral("ファイル名"), this), "FileFrame",
                             248, 32, 265, 105);
    FileName = placed(new QLineEdit(fileFrame), "FileName", 8, 16, 249, 18);
    auto *normalArc = placed(new QRadioButton(QStringLiteral("通常書庫"), fileFrame),
                             "NormalArc", 8, 40, 89, 17);
    normalArc->setChecked(true);
    auto *exeArc = placed(new QRadioButton(QStringLiteral("自己解凍書庫"), fileFrame),
                          "EXEArc", 104, 40, 113, 17);
    exeArc->setEnabled(false);
    placed(new QLabel(QStringLiteral("※"), fileFrame), "Label3", 8, 64, 15, 17);
    auto *hint = placed(new QLabel(QStringLiteral(
        "ファイル名に拡張子を付けた場合、その圧縮形式で、付けなかった場合はもっとも"
        "圧縮効率が良くなる圧縮方式で保存します。"), fileFrame), "Label1", 24, 64, 233, 38);
    hint->setWordWrap(true);

    auto *tabs = placed(new QTabWidget(this), "TabStrip1", 248, 144, 265, 169);
    auto *checkArcMode = new QWidget;
    checkArcMode->setObjectName(QStringLiteral("CheckArcMode"));
    FileType = placed(new QListWidget(checkArcMode), "FileType", 0, 8, 249, 102);
    auto *arcAllCheck = placed(new QPushButton(QStringLiteral("すべて選択"), checkArcMode),
                               "ArcAllCheck", 168, 117, 81, 19);
    tabs->addTab(checkArcMode, QStringLiteral("チェック形式"));

    auto *checkOption = new QWidget;
    checkOption->setObjectName(QStringLiteral("CheckOption"));
    auto *optionFrame = placed(new QGroupBox(QStringLiteral("簡易設定"), checkOption),
                               "OptionFrame", 0, 8, 249, 57);
    DLLVisible = placed(new QCheckBox(QStringLiteral("各DLLによる進行状況表示をする"),
                                      optionFrame), "DLLVisible", 8, 16, 217, 15);
    AlwaysTopSW = placed(new QCheckBox(QStringLiteral("常に手前に表示"), optionFrame),
                         "AlwaysTopSW", 8, 32, 153, 17);
    tabs->addTab(checkOption, QStringLiteral("オプション"));

    KryStart = placed(new QPushButton(QStringLiteral("圧縮開始(&F)"), this), "KryStart",
                      248, 320, 89, 25);
    KryStart->setEnabled(false);
    auto *closeWnd = placed(new QPushButton(QStringLiteral("閉じる(&C)"), this), "CloseWnd",
                            344, 320, 81, 25);
    placed(new QPushButton(QStringLiteral("ヘルプ(&H)"), this), "HelpShow", 432, 320, 81, 25);

    connect(KryStart, &QPushButton::clicked, this, &KryMain::KryStart_Click);
    connect(closeWnd, &QPushButton::clicked, this, &QWidget::close);
    connect(arcAllCheck, &QPushButton::clicked, this, &KryMain::ArcAllCheck_Click);
    connect(AlwaysTopSW, &QCheckBox::clicked, this, &KryMain::AlwaysTopSW_Click);
    connect(FileName, &QLineEdit::textChanged, this, &KryMain::updateStartButton);
}

void KryMain::fillFormatList()
{
    for (const FormatInfo &format : formatTable()) {
        if (!(availability_.*format.available))
            continue;
        auto *item = new QListWidgetItem(QString::fromUtf8(format.entryText.data(),
                                                           qsizetype(format.entryText.size())));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        FileType->addItem(item);
    }
}

void KryMain::setFiles(const QStringList &paths)
{
    fileList_ = fileListEntries(paths, QDir::currentPath());
    FreezeFile->setText(fileList_.empty() ? kNoFiles : fileListDisplay(fileList_));
    FreezeFile->setCursorPosition(0);
    updateStartButton();
}

void KryMain::updateStartButton()
{
    KryStart->setEnabled(!fileList_.empty() && !FileName->text().isEmpty());
}

void KryMain::KryStart_Click()
{
    std::string saveDir = DirTree->Path().toStdString();
    if (saveDir.empty() || saveDir.back() != '/')
        saveDir += '/';
    request_.SaveDir = saveDir;
    request_.FileList = fileList_;
    if (progress_ == nullptr)
        progress_ = new ProgressWnd(*this, settings_, request_, control_, state_, this);
    StartRun(*progress_, availability_, request_, control_);
}

void KryMain::ArcAllCheck_Click()
{
    for (int i = 0; i < FileType->count(); ++i)
        FileType->item(i)->setCheckState(Qt::Checked);
}

void KryMain::AlwaysTopSW_Click()
{
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, AlwaysTopSW->isChecked());
    if (wasVisible)
        show();   // changing the flags hides a window
}

void KryMain::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

// Files dropped on any control replace the file list. Scroll areas receive drags on
// their viewports, so those are watched as well.
void KryMain::acceptDropsEverywhere()
{
    setAcceptDrops(true);
    for (QWidget *child : findChildren<QWidget *>()) {
        child->setAcceptDrops(true);
        child->installEventFilter(this);
    }
}

bool KryMain::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (droppedFiles(drag->mimeData()).isEmpty())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QStringList paths = droppedFiles(drop->mimeData());
        if (paths.isEmpty())
            return false;
        setFiles(paths);
        drop->acceptProposedAction();
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

int KryMain::formatEntryCount() const { return FileType->count(); }

std::string KryMain::formatEntryText(int index) const
{
    return FileType->item(index)->text().toStdString();
}

bool KryMain::formatEntryChecked(int index) const
{
    return FileType->item(index)->checkState() == Qt::Checked;
}

std::string KryMain::outputName() const { return FileName->text().toStdString(); }
bool KryMain::dllVisible() const { return DLLVisible->isChecked(); }
bool KryMain::alwaysOnTop() const { return AlwaysTopSW->isChecked(); }
void *KryMain::mainWindowHandle() { return static_cast<QWidget *>(this); }

} // namespace vexel
