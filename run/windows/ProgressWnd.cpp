#include "run/windows/ProgressWnd.h"

#include "run/ErrorOutput.h"
#include "run/FormatTable.h"
#include "run/FormatsAtOnce.h"
#include "run/KryArc.h"
#include "run/RunContext.h"
#include "run/RunProgress.h"
#include "run/RunReport.h"
#include "run/windows/ResultWnd.h"
#include "run/windows/StatusWindowWatch.h"
#include "run/windows/Twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace vexel {

namespace {

constexpr int kTmrIntervalMs = 10;
constexpr int kWndChkIntervalMs = 1;
// Often enough for a bar that moves smoothly, rarely enough to cost the run nothing.
constexpr int kProgressIntervalMs = 100;
// Space below the last control, as above the first.
constexpr int kBottomMargin = 8;

void setOnTop(QWidget *window, bool onTop)
{
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
}

QTimer *makeTimer(QObject *owner, const char *name, int intervalMs)
{
    auto *timer = new QTimer(owner);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(intervalMs);
    return timer;
}

} // namespace

ProgressWnd::ProgressWnd(RunInputs &inputs, const RunSettings &settings, RunRequest &request,
                         RunControl &control, RunState &state, QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                  | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      inputs_(inputs), settings_(settings), request_(request), control_(control), state_(state)
{
    setObjectName(QStringLiteral("ProgressWnd"));
    setWindowTitle(QStringLiteral("Vexel - 圧縮実行中"));
    buildControls();
    // The design's client area, grown downwards to hold the progress display.
    const int bottom = display_.build(this, twipsSize(4680, 1185).height() + 4);
    setFixedSize(twipsSize(4680, 1185).width(), bottom + kBottomMargin);
}

void ProgressWnd::buildControls()
{
    MainMsg = new QLabel(QStringLiteral("ファイルを圧縮しています －"), this);
    MainMsg->setObjectName(QStringLiteral("MainMsg"));
    MainMsg->setGeometry(twipsRect(120, 120, 4335, 255));

    Prg = new QLabel(QStringLiteral("-/-"), this);
    Prg->setObjectName(QStringLiteral("Prg"));
    Prg->setGeometry(twipsRect(2040, 480, 735, 255));

    PrgCancel = new QPushButton(QStringLiteral("中止"), this);
    PrgCancel->setObjectName(QStringLiteral("PrgCancel"));
    PrgCancel->setGeometry(twipsRect(1440, 840, 1815, 300));
    PrgCancel->setAutoDefault(false);
    connect(PrgCancel, &QPushButton::clicked, this, &ProgressWnd::PrgCancel_Click);

    Tmr = makeTimer(this, "Tmr", kTmrIntervalMs);
    connect(Tmr, &QTimer::timeout, this, &ProgressWnd::Tmr_Timer);
    WndChkTimer = makeTimer(this, "WndChkTimer", kWndChkIntervalMs);
    connect(WndChkTimer, &QTimer::timeout, this, &ProgressWnd::WndChkTimer_Timer);
    ProgressTimer = makeTimer(this, "ProgressTimer", kProgressIntervalMs);
    connect(ProgressTimer, &QTimer::timeout, this, &ProgressWnd::ProgressTimer_Timer);
}

int ProgressWnd::formatEntryCount() const { return inputs_.formatEntryCount(); }
std::string ProgressWnd::formatEntryText(int index) const { return inputs_.formatEntryText(index); }
bool ProgressWnd::formatEntryChecked(int index) const { return inputs_.formatEntryChecked(index); }
std::string ProgressWnd::outputName() const { return inputs_.outputName(); }
bool ProgressWnd::dllVisible() const { return inputs_.dllVisible(); }
bool ProgressWnd::alwaysOnTop() const { return inputs_.alwaysOnTop(); }
void *ProgressWnd::mainWindowHandle() { return inputs_.mainWindowHandle(); }
void *ProgressWnd::progressWindowHandle() { return static_cast<QWidget *>(this); }

void ProgressWnd::setCounterText(const std::string &text)
{
    Prg->setText(QString::fromStdString(text));
}
// The label keeps the design's width. A message naming several running formats may not
// fit it: the names are then cut short, keeping the closing "形式", and the whole text
// is the label's tool tip (each running format also has its own bar).
void ProgressWnd::setMessageText(const std::string &text)
{
    const QString full = QString::fromStdString(text);
    const QFontMetrics metrics(MainMsg->font());
    const int room = MainMsg->width();
    QString shown = full;
    if (metrics.horizontalAdvance(full) > room) {
        const QString tail =
            full.endsWith(QStringLiteral("形式")) ? QStringLiteral("形式") : QString();
        const QString body = full.left(full.size() - tail.size());
        shown =
            metrics.elidedText(body, Qt::ElideRight, room - metrics.horizontalAdvance(tail)) + tail;
    }
    MainMsg->setText(shown);
    MainMsg->setToolTip(shown == full ? QString() : full);
}

void ProgressWnd::setStatusWindowTimer(bool on)
{
    if (on)
        WndChkTimer->start();
    else
        WndChkTimer->stop();
}

void ProgressWnd::processPendingEvents() { QCoreApplication::processEvents(); }

void ProgressWnd::showError(const std::string &text) { showError(text, {}); }

void ProgressWnd::showError(const std::string &text, const std::string &details)
{
    writeFailure(text, details);
    // Before a run starts (the run start's refusals) this window is hidden: the box
    // then belongs to the main window.
    QWidget *owner = isVisible() ? static_cast<QWidget *>(this) : parentWidget();
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Vexel"), QString::fromStdString(text),
                    QMessageBox::Ok, owner);
    if (!details.empty())
        box.setDetailedText(QString::fromStdString(details));
    box.exec();
}

void ProgressWnd::runProgressModal()
{
    // Set while hidden: changing the flags of a shown window hides it, which would end
    // its modal display.
    setOnTop(this, inputs_.alwaysOnTop());
    shownForRun_ = true;
    runningStatusWindows_.clear();
    display_.reset();
    fitDisplay();
    Tmr->start();
    exec();
    // A close before the first tick leaves the timer running: it must not fire later.
    Tmr->stop();
    WndChkTimer->stop();
    shownForRun_ = false;
}

void ProgressWnd::Tmr_Timer()
{
    if (!isVisible())
        return;
    Tmr->stop();
    RunContext ctx{*this, settings_, request_, control_, state_};
    ProgressTimer->start();
    const bool abandoned = RunFormats(ctx);
    ProgressTimer->stop();
    ProgressTimer_Timer(); // the end as it is, not as the last tick saw it
    hide();
    if (!abandoned)
        showResult();
}

void ProgressWnd::showResult()
{
    ChartInput chart;
    if (state_.Results.size() > 1) // record 0 is always empty
        chart.made.assign(state_.Results.begin() + 1, state_.Results.end());
    chart.winner = chart.made.empty() ? 0 : chooseWinner(chart.made);
    chart.inputSize = state_.InputSize;
    const std::string &saved = state_.SavedPath;
    const std::string folder = saved.substr(0, saved.rfind('/') + 1);
    ResultWnd result(QString::fromStdString(state_.RunReport), chart, folder, parentWidget());
    if (inputs_.alwaysOnTop())
        setOnTop(&result, true);
    result.exec();
}

// Several formats at once: every running library's status window is looked for (each
// has its own title) and treated as the one of a single format is; the timer keeps
// running for the ones still to come. Once the run is being stopped (a cancel, or a
// format failed) the found windows are closed, which is the only way to stop a library
// that registers no callback.
void ProgressWnd::watchRunningStatusWindows()
{
    for (const auto &running : control_.Running) {
        if (!running->Started.load() || running->Finished.load())
            continue;
        const FormatInfo *format = findFormat(running->Format);
        if (format == nullptr || (!inputs_.dllVisible() && !format->timerWhenDisplayOff))
            continue; // shows no window with the display off
        const QString title = statusWindowTitle(running->Format);
        if (title.isEmpty() || !runningStatusWindows_[title].isNull())
            continue;
        QWidget *window = findShownTopLevelWindow(title);
        if (window == nullptr)
            continue;
        if (!inputs_.dllVisible())
            window->hide();
        else if (inputs_.alwaysOnTop())
            keepOnTop(window);
        runningStatusWindows_[title] = window;
    }
    if (!control_.CancelRequested.load())
        return;
    for (auto &[title, window] : runningStatusWindows_) {
        if (window.isNull())
            continue;
        QWidget *closing = window.data();
        window = nullptr; // closed once; a closed window is hidden and never found again
        closing->close();
    }
}

void ProgressWnd::WndChkTimer_Timer()
{
    if (!control_.Running.empty()) {
        watchRunningStatusWindows();
        return;
    }
    const FormatInfo *format = findFormat(control_.CurrentFormat);
    if (format == nullptr || format->kind != ArchiverKind::Library)
        return;
    const QString title = statusWindowTitle(format->entryText);
    if (title.isEmpty()) {
        WndChkTimer->stop();
        return;
    }
    QWidget *window = findShownTopLevelWindow(title);
    if (window == nullptr)
        return; // not open yet: the next tick looks again
    if (!inputs_.dllVisible())
        window->hide();
    else if (inputs_.alwaysOnTop())
        keepOnTop(window);
    WndChkTimer->stop();
    statusWindow_ = window;
    control_.StatusWindow = window;
}

void ProgressWnd::ProgressTimer_Timer()
{
    display_.show(runProgress(request_, control_, state_, std::chrono::steady_clock::now()));
    fitDisplay();
}

// The window grows and shrinks with the number of format bars.
void ProgressWnd::fitDisplay()
{
    const int height = display_.bottom() + kBottomMargin;
    if (height != this->height())
        setFixedSize(width(), height);
}

QWidget *ProgressWnd::liveStatusWindow() const
{
    if (control_.StatusWindow == nullptr || statusWindow_.isNull())
        return nullptr;
    return statusWindow_.data() == control_.StatusWindow ? statusWindow_.data() : nullptr;
}

void ProgressWnd::PrgCancel_Click()
{
    if (!control_.Running.empty()) {
        EndAllArchivers(control_);
        watchRunningStatusWindows(); // closes the status windows found so far
        return;
    }
    if (QWidget *statusWindow = liveStatusWindow())
        statusWindow->close(); // the library stops and its call fails
    else if (control_.ArchiverProcess != 0)
        EndArchiverProcess(control_);
    else
        control_.CancelRequested = true; // the library hears it at its next callback
}

void ProgressWnd::closeEvent(QCloseEvent *event)
{
    if (!shownForRun_) {
        event->accept(); // the program is ending: the window goes for good
        return;
    }
    // The close box during a run: the window goes, the run is cancelled as by PrgCancel
    // (which also ends a running command-line archiver), and the run ends by itself.
    hide();
    event->ignore();
    PrgCancel_Click();
}

} // namespace vexel

// The meta-object code compiled with this file, not in a unit of its own.
#include "moc_ProgressWnd.cpp"
