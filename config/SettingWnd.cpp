#include "config/SettingWnd.h"

#include "config/ProgramVersion.h"
#include "run/windows/Twips.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>

namespace vexel {

namespace {

// The window is at least the size the dialog was drawn at; larger fonts make it grow.
constexpr int kDesignWidthTwips = 6480;
constexpr int kDesignHeightTwips = 4860;

// A failure reason in the report may be long; beyond this the report box scrolls
// rather than widening the window past a usual screen.
constexpr int kWidestReportPixels = 640;

QLabel *namedLabel(const char *name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// Where the settings store keeps its file: QSettings' INI file of the organisation
// "Korvane Club" in the user's configuration folder. Nothing is read or written here.
QString settingsFileLocation()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Korvane Club"))
        .fileName();
}

} // namespace

SettingWnd::SettingWnd(RunSettings &values, const ArchiverAvailability &availability,
                       const LibraryVersionQuery &versionOf, QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                  | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      values_(values)
{
    setObjectName(QStringLiteral("SettingWnd"));
    setWindowTitle(QStringLiteral("Vexel - 詳細設定"));
    setModal(true);
    buildControls();
    Form_Load(availability, versionOf);
    // Fixed after the report is in: its lines decide how wide the version panel is.
    setFixedSize(sizeHint().expandedTo(twipsSize(kDesignWidthTwips, kDesignHeightTwips)));
}

void SettingWnd::buildControls()
{
    TabStrip1 = new QTabWidget(this);
    TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
    TabStrip1->setElideMode(Qt::ElideNone);
    TabStrip1->setUsesScrollButtons(false);
    // The tab widget shows one panel at a time: "全般" shows Setting_All alone,
    // "圧縮率" Setting_FreezeLevel, "バージョン" Setting_Version.
    TabStrip1->addTab(buildGeneralPanel(), QStringLiteral("全般"));
    TabStrip1->addTab(buildLevelPanel(), QStringLiteral("圧縮率"));
    TabStrip1->addTab(buildVersionPanel(), QStringLiteral("バージョン"));
    TabStrip1->setCurrentIndex(0);

    Command3 = new QPushButton(QStringLiteral("OK"), this);
    Command2 = new QPushButton(QStringLiteral("キャンセル"), this);
    Command1 = new QPushButton(QStringLiteral("適用(&A)"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (auto [button, name] :
         {std::pair{Command3, "Command3"}, {Command2, "Command2"}, {Command1, "Command1"}}) {
        button->setObjectName(QString::fromLatin1(name));
        // Enter presses no button: none of the three is the window's default.
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    connect(Command1, &QPushButton::clicked, this, &SettingWnd::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &SettingWnd::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &SettingWnd::Command3_Click);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(TabStrip1, 1);
    layout->addLayout(buttons);
}

QWidget *SettingWnd::buildGeneralPanel()
{
    Setting_All = new QWidget;
    Setting_All->setObjectName(QStringLiteral("Setting_All"));
    JobsSpin = new QSpinBox(Setting_All);
    JobsSpin->setObjectName(QStringLiteral("JobsSpin"));
    JobsSpin->setRange(kJobsRange.minimum, kJobsRange.maximum);
    // 0 is no count: the run makes as many at once as the machine has cores.
    JobsSpin->setSpecialValueText(QStringLiteral("自動"));
    auto *label = namedLabel("JobsLabel", QStringLiteral("同時に圧縮する形式の数"), Setting_All);
    label->setBuddy(JobsSpin);

    auto *row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(JobsSpin);
    row->addStretch();
    auto *layout = new QVBoxLayout(Setting_All);
    layout->addLayout(row);
    layout->addStretch();
    return Setting_All;
}

QWidget *SettingWnd::buildLevelPanel()
{
    Setting_FreezeLevel = new QWidget;
    Setting_FreezeLevel->setObjectName(QStringLiteral("Setting_FreezeLevel"));

    QGroupBox *frame2 =
        buildMethodFrame("Frame2", QStringLiteral("LHA圧縮形式"), OptLHA, "OptLHA",
                         {QStringLiteral("LH5"), QStringLiteral("LH6"), QStringLiteral("LH7")});
    QGroupBox *frame3 =
        buildMethodFrame("Frame3", QStringLiteral("CAB圧縮形式・圧縮率"), OptCAB, "OptCAB",
                         {QStringLiteral("MSZIP"), QStringLiteral("LZX")});
    frame3->layout()->addWidget(
        namedLabel("Label5", QStringLiteral("圧縮形式がLZXの場合の圧縮率"), frame3));
    // Usable whichever method is chosen; the archiver reads the level only with LZX.
    CabLevel = addLevelSlider(frame3, "CabLevel", kCabLevelRange, "Label9", "Label8");

    auto *frame4 = new QGroupBox(QStringLiteral("Zip圧縮率"));
    frame4->setObjectName(QStringLiteral("Frame4"));
    new QVBoxLayout(frame4);
    ZipLevel = addLevelSlider(frame4, "ZipLevel", kZipLevelRange, "Label7", "Label6");

    auto *frame5 = new QGroupBox(QStringLiteral("BZIP2/GZIP圧縮率"));
    frame5->setObjectName(QStringLiteral("Frame5"));
    new QVBoxLayout(frame5);
    BGALevel = addLevelSlider(frame5, "BGALevel", kBgaLevelRange, "Label10", "Label11");

    auto *grid = new QGridLayout(Setting_FreezeLevel);
    grid->addWidget(frame2, 0, 0);
    grid->addWidget(frame3, 0, 1);
    grid->addWidget(frame4, 1, 0);
    grid->addWidget(frame5, 1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
    return Setting_FreezeLevel;
}

// A frame of option buttons named groupName + element ("OptLHA0"), gathered in a button
// group named groupName whose ids are the element numbers.
QGroupBox *SettingWnd::buildMethodFrame(const char *frameName, const QString &caption,
                                        QButtonGroup *&group, const char *groupName,
                                        const QStringList &elements)
{
    auto *frame = new QGroupBox(caption);
    frame->setObjectName(QString::fromLatin1(frameName));
    auto *layout = new QVBoxLayout(frame);
    group = new QButtonGroup(frame);
    group->setObjectName(QString::fromLatin1(groupName));
    for (int element = 0; element < elements.size(); ++element) {
        auto *option = new QRadioButton(elements[element], frame);
        option->setObjectName(QString::fromLatin1(groupName) + QString::number(element));
        group->addButton(option, element);
        layout->addWidget(option);
    }
    return frame;
}

// A horizontal slider with a tick per step between its "低" and "高" labels.
QSlider *SettingWnd::addLevelSlider(QGroupBox *frame, const char *sliderName, PositionRange range,
                                    const char *lowName, const char *highName)
{
    auto *slider = new QSlider(Qt::Horizontal, frame);
    slider->setObjectName(QString::fromLatin1(sliderName));
    slider->setRange(range.minimum, range.maximum);
    slider->setSingleStep(1);
    slider->setPageStep(1);
    slider->setTickInterval(1);
    slider->setTickPosition(QSlider::TicksBelow);

    auto *row = new QHBoxLayout;
    row->addWidget(namedLabel(lowName, QStringLiteral("低"), frame));
    row->addWidget(slider, 1);
    row->addWidget(namedLabel(highName, QStringLiteral("高"), frame));
    static_cast<QBoxLayout *>(frame->layout())->addLayout(row);
    return slider;
}

QWidget *SettingWnd::buildVersionPanel()
{
    Setting_Version = new QWidget;
    Setting_Version->setObjectName(QStringLiteral("Setting_Version"));

    Label1 = namedLabel(
        "Label1", QStringLiteral("Vexel - Version ") + QString::fromStdString(programVersion()),
        Setting_Version);
    // Arial where it is installed, else the system's sans-serif face.
    QFont titleFont = Label1->font();
    titleFont.setFamilies({QStringLiteral("Arial"), QStringLiteral("Sans Serif")});
    titleFont.setStyleHint(QFont::SansSerif);
    Label1->setFont(titleFont);

    auto *frame1 = new QGroupBox(QStringLiteral("DLL情報"));
    frame1->setObjectName(QStringLiteral("Frame1"));
    Text1 = new QPlainTextEdit(QStringLiteral("Not Supported."), frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    (new QVBoxLayout(frame1))->addWidget(Text1);

    auto *layout = new QVBoxLayout(Setting_Version);
    layout->addWidget(frame1, 1);
    layout->addWidget(Label1);
    layout->addWidget(namedLabel(
        "Label2", QStringLiteral("選んだすべての形式で圧縮し、一番小さい書庫を残します。"),
        Setting_Version));
    layout->addWidget(namedLabel(
        "Label3", QStringLiteral("このソフトウェアは無保証で提供されます。"), Setting_Version));
    auto *label4 = namedLabel("Label4", QStringLiteral("設定ファイル: ") + settingsFileLocation(),
                              Setting_Version);
    label4->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(label4);
    return Setting_Version;
}

void SettingWnd::Form_Load(const ArchiverAvailability &availability,
                           const LibraryVersionQuery &versionOf)
{
    const SettingPositions shown = positionsFromSettings(values_);
    OptLHA->button(shown.lhaMethod)->setChecked(true);
    OptCAB->button(shown.cabMethod)->setChecked(true);
    CabLevel->setValue(shown.cabLevel);
    ZipLevel->setValue(shown.zipLevel);
    BGALevel->setValue(shown.bgaLevel);
    JobsSpin->setValue(shown.jobs);

    Text1->setPlainText(QString::fromStdString(installationReport(availability, versionOf)));
    fitTextToReport();
}

// The report box is made large enough to show every line without scrolling.
void SettingWnd::fitTextToReport()
{
    const QFontMetrics metrics(Text1->font());
    int widest = 0;
    for (const QString &line : Text1->toPlainText().split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int margins = 2 * (Text1->frameWidth() + int(Text1->document()->documentMargin()) + 1);
    const int lines = Text1->document()->blockCount();
    Text1->setMinimumSize(
        std::min(widest + margins + metrics.averageCharWidth(), kWidestReportPixels),
        lines * metrics.lineSpacing() + margins);
}

SettingPositions SettingWnd::shownPositions() const
{
    SettingPositions p;
    p.lhaMethod = OptLHA->checkedId();
    p.cabMethod = OptCAB->checkedId();
    p.cabLevel = CabLevel->value();
    p.zipLevel = ZipLevel->value();
    p.bgaLevel = BGALevel->value();
    p.jobs = JobsSpin->value();
    return p;
}

void SettingWnd::ApplySettings() { applyPositions(shownPositions(), values_); }

void SettingWnd::Command1_Click() { ApplySettings(); }

// Closing by the close box or Esc is the same: QDialog rejects without applying.
void SettingWnd::Command2_Click() { reject(); }

void SettingWnd::Command3_Click()
{
    ApplySettings();
    accept();
}

} // namespace vexel

// The meta-object code compiled with this file, not in a unit of its own.
#include "moc_SettingWnd.cpp"
