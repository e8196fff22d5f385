#include "mainwnd/KryMain.h"

#include "config/ArchiveKind.h"
#include "config/SettingWnd.h"
#include "config/SettingsStore.h"
#include "dirtree/TreeImageList.h"
#include "dirtree/cDTree.h"
#include "mainwnd/FileList.h"
#include "mainwnd/HelpWnd.h"
#include "mainwnd/KryIcon.h"
#include "platform/Files.h"
#include "run/StartRun.h"
#include "run/windows/ProgressWnd.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>

#include <iostream>

namespace vexel {

// The start-up sequence. The current directory stays where the program was started:
// a name on the command line means the file of the folder the user is in.
KryMain::KryMain(const std::vector<std::string> &arguments,
                 const ArchiverAvailability &availability, std::unique_ptr<SettingsStore> store,
                 QWidget *parent)
    : QWidget(parent), availability_(availability), store_(std::move(store))
{
    if (!store_)
        store_ = std::make_unique<IniSettingsStore>();
    setObjectName(QStringLiteral("KryMain"));
    setWindowTitle(QStringLiteral("Vexel"));
    setWindowIcon(kryIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    buildControls();
    connectControls();

    DirTree = std::make_unique<cDTree>();
    LoadSettings();
    fillFromCommandLine(arguments);
    ImageList = std::make_unique<TreeImageList>();
    DirTree->setTreeView(DirList);
    DirTree->setImageList(ImageList.get());
    DirTree->setPath(QString::fromStdString(settings_.DefaultPath));

    setFocusOrder();
    acceptDropsEverywhere();
    fitLayout();
    FileName->setFocus();
}

KryMain::~KryMain() = default;

void KryMain::connectControls()
{
    connect(KryStart, &QPushButton::clicked, this, &KryMain::KryStart_Click);
    connect(CloseWnd, &QPushButton::clicked, this, &QWidget::close);
    connect(HelpShow, &QPushButton::clicked, this, &KryMain::HelpShow_Click);
    connect(SettingShow, &QPushButton::clicked, this, &KryMain::SettingShow_Click);
    connect(ArcAllCheck, &QPushButton::clicked, this, &KryMain::ArcAllCheck_Click);
    connect(AlwaysTopSW, &QCheckBox::clicked, this, &KryMain::AlwaysTopSW_Click);
    connect(NormalArc, &QRadioButton::clicked, this, &KryMain::NormalArc_Click);
    connect(FileName, &QLineEdit::textChanged, this, &KryMain::FileName_Change);
    connect(FileType, &QListWidget::itemChanged, this, &KryMain::FileType_ItemCheck);
}

// LoadSettings: the stored options, the save folder, the methods and levels (checked
// against their ranges) and the archive kind with its format list.
void KryMain::LoadSettings()
{
    const StoredOptions stored = readStoredOptions(*store_, platform::currentDirectory());
    settings_ = stored.values;
    AlwaysTopSW->setChecked(stored.AlwaysTop);
    if (stored.AlwaysTop)
        AlwaysTopSW_Click();
    DLLVisible->setChecked(stored.DLLVisible);
    NormalArc->setChecked(stored.kind == OrdinaryKind);
    EXEArc->setChecked(stored.kind == SelfExtractingKind);
    SetArchiveKind(stored.kind);
}

// SetArchiveKind: rebuilds FileType for the kind with the stored marks; writes nothing.
void KryMain::SetArchiveKind(int kind)
{
    rebuildingList_ = true;
    FileType->clear();
    for (const FormatListEntry &entry : archiveKindEntries(kind, availability_, *store_)) {
        auto *item = new QListWidgetItem(QString::fromStdString(entry.text));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(entry.checked ? Qt::Checked : Qt::Unchecked);
        FileType->addItem(item);
    }
    if (FileType->count() > 0)
        FileType->setCurrentRow(0);
    rebuildingList_ = false;
}

ArchiveKind KryMain::currentKind() const
{
    return NormalArc->isChecked() ? OrdinaryKind : SelfExtractingKind;
}

// The command-line fill: every existing name, quoted in FreezeFile even when alone. A
// name that names nothing is left out and said so on standard error; when no name is
// left, nothing changes.
void KryMain::fillFromCommandLine(const std::vector<std::string> &arguments)
{
    const NamedFiles named = fileListFromNames(arguments, platform::currentDirectory());
    for (const std::string &name : named.missing)
        std::cerr << "vexel: " << name << ": そのようなファイルやフォルダはありません" << std::endl;
    if (named.entries.empty())
        return;
    fileList_ = named.entries;
    FreezeFile->setText(fileListDisplay(fileList_));
    FreezeFile->setCursorPosition(0);
}

void KryMain::DropFiles(const std::vector<std::string> &names)
{
    if (names.empty())
        return;
    fileList_.clear();
    for (const std::string &name : names)
        fileList_.push_back(fileListEntry(name, platform::currentDirectory()));
    FreezeFile->setText(dropDisplay(fileList_));
    FreezeFile->setCursorPosition(0);
    // A drop only ever enables the start button.
    if (FreezeFile->text() != kNoFilesText && !FileName->text().isEmpty())
        KryStart->setEnabled(true);
}

// The start rule: enabled exactly when files are given and a name is typed.
void KryMain::FileName_Change()
{
    const bool filesGiven = FreezeFile->text() != kNoFilesText;
    KryStart->setEnabled(filesGiven && !FileName->text().isEmpty());
}

void KryMain::FileType_ItemCheck(QListWidgetItem *item)
{
    if (rebuildingList_)
        return;
    writeCheckMark(*store_, currentKind(), item->text().toStdString(),
                   item->checkState() == Qt::Checked);
}

void KryMain::ArcAllCheck_Click()
{
    for (int i = 0; i < FileType->count(); ++i) {
        QListWidgetItem *item = FileType->item(i);
        if (item->checkState() == Qt::Checked)
            FileType_ItemCheck(item); // already checked: stored as "True" all the same
        else
            item->setCheckState(Qt::Checked);
    }
}

void KryMain::NormalArc_Click() { SetArchiveKind(OrdinaryKind); }

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

void KryMain::AlwaysTopSW_Click()
{
    const bool wasVisible = isVisible();
    const QPoint at = pos();
    setWindowFlag(Qt::WindowStaysOnTopHint, AlwaysTopSW->isChecked());
    if (wasVisible) {
        move(at);
        show(); // changing the flags hides a window
    }
}

void KryMain::HelpShow_Click()
{
    HelpWnd help(settingsFilePath(), this);
    help.exec();
}

// Opens the settings window SettingWnd modally on the shared values settings_; every
// later run uses what it applied, and SaveSettings stores it at close. The versions it
// shows come from the libraries themselves, asked at every opening.
void KryMain::SettingShow_Click()
{
    SettingWnd window(settings_, availability_, loadedLibraryVersion(state_.Libraries), this);
    window.exec();
}

// The close sequence: store the settings with the tree's folder, close the progress
// window, release the tree. It cannot be cancelled; the program then ends.
void KryMain::closeEvent(QCloseEvent *event)
{
    if (!closed_) {
        closed_ = true;
        SaveSettings(*store_, DirTree->Path().toStdString(), AlwaysTopSW->isChecked(),
                     DLLVisible->isChecked(), settings_);
        if (progress_ != nullptr)
            progress_->close();
        DirTree.reset();
    }
    event->accept();
}

void KryMain::changeEvent(QEvent *event)
{
    // A new font (the user's, or the application's) needs new room for the texts.
    if (event->type() == QEvent::FontChange && DirTree)
        fitLayout();
    QWidget::changeEvent(event);
}

// Drops on any control (also the disabled ones and the tree) and the keys of the whole
// window reach the window first. Scroll areas receive drags on their viewports, so
// those are watched as well.
void KryMain::acceptDropsEverywhere()
{
    setAcceptDrops(true);
    installEventFilter(this);
    for (QWidget *child : findChildren<QWidget *>()) {
        child->setAcceptDrops(true);
        child->installEventFilter(this);
    }
}

bool KryMain::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress: return handleKey(watched, static_cast<QKeyEvent *>(event));
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: return handleDrag(event);
    default: return QWidget::eventFilter(watched, event);
    }
}

// Esc closes from any control; Enter starts a run while KryStart is enabled and then
// goes on to the focused control, except FileName, which takes no Enter.
bool KryMain::handleKey(QObject *watched, QKeyEvent *key)
{
    // A key a control ignores travels on to its parents: act on it once, where it landed.
    QWidget *focus = QApplication::focusWidget();
    if (watched != (focus != nullptr ? focus : this))
        return false;
    if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
        close();
        return true;
    }
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!enter)
        return false;
    if (KryStart->isEnabled())
        KryStart_Click();
    return watched == FileName;
}

// A drag that carries local files is accepted everywhere, so file managers show that
// the window takes it; the drop replaces the file list. Anything else is ignored.
bool KryMain::handleDrag(QEvent *event)
{
    auto *drag = static_cast<QDropEvent *>(event);
    const std::vector<std::string> names = droppedNames(drag->mimeData());
    if (names.empty())
        return false;
    drag->setDropAction(Qt::CopyAction);
    drag->accept();
    if (event->type() == QEvent::Drop)
        DropFiles(names);
    return true;
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

// The meta-object code compiled with this file, not in a unit of its own.
#include "moc_KryMain.cpp"
