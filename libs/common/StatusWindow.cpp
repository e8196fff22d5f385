#include "StatusWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace vexel::kit {
namespace {
// The bar runs over thousandths, so archives beyond 2 GiB need no special case.
constexpr int kBarSteps = 1000;
} // namespace

StatusWindow::StatusWindow(const QString &title, std::function<void()> onClose)
    : QWidget(nullptr, Qt::Window), member_(new QLabel(this)), bar_(new QProgressBar(this)),
      onClose_(std::move(onClose))
{
    setWindowTitle(title);
    setObjectName(QStringLiteral("StatusWindow"));
    member_->setObjectName(QStringLiteral("Member"));
    bar_->setObjectName(QStringLiteral("Bytes"));
    bar_->setRange(0, kBarSteps);
    bar_->setValue(0);
    member_->setMinimumWidth(360);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(member_);
    layout->addWidget(bar_);
}

void StatusWindow::showProgress(const Progress::Snapshot &snapshot)
{
    member_->setText(QString::fromStdString(snapshot.member));
    const int value = snapshot.total == 0
        ? 0
        : static_cast<int>(static_cast<double>(snapshot.done) / static_cast<double>(snapshot.total)
                           * kBarSteps);
    bar_->setValue(std::min(value, kBarSteps));
}

void StatusWindow::closeEvent(QCloseEvent *event)
{
    if (onClose_)
        onClose_();
    event->accept();
}

} // namespace vexel::kit

// The meta-object code compiled with this file, not in a unit of its own.
#include "moc_StatusWindow.cpp"
