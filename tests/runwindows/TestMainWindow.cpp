#include "TestMainWindow.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace vexel::test {

TestMainWindow::TestMainWindow()
    : FileType(new QListWidget(this)), FileName(new QLineEdit(this)),
      DLLVisible(new QCheckBox(QStringLiteral("DLLVisible"), this)),
      AlwaysTopSW(new QCheckBox(QStringLiteral("AlwaysTopSW"), this))
{
    setObjectName(QStringLiteral("KryMain"));
    FileType->setObjectName(QStringLiteral("FileType"));
    FileName->setObjectName(QStringLiteral("FileName"));
    DLLVisible->setObjectName(QStringLiteral("DLLVisible"));
    AlwaysTopSW->setObjectName(QStringLiteral("AlwaysTopSW"));
    auto *layout = new QVBoxLayout(this);
    for (QWidget *w : {static_cast<QWidget *>(FileType), static_cast<QWidget *>(FileName),
                       static_cast<QWidget *>(DLLVisible), static_cast<QWidget *>(AlwaysTopSW)})
        layout->addWidget(w);
}

void TestMainWindow::setFormats(std::initializer_list<std::pair<const char *, bool>> entries)
{
    FileType->clear();
    for (const auto &[text, checked] : entries) {
        auto *item = new QListWidgetItem(QString::fromUtf8(text), FileType);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
}

void TestMainWindow::setOutputName(const QString &name) { FileName->setText(name); }
void TestMainWindow::setDllVisible(bool on) { DLLVisible->setChecked(on); }
void TestMainWindow::setAlwaysOnTop(bool on) { AlwaysTopSW->setChecked(on); }

int TestMainWindow::formatEntryCount() const { return FileType->count(); }

std::string TestMainWindow::formatEntryText(int index) const
{
    return FileType->item(index)->text().toStdString();
}

bool TestMainWindow::formatEntryChecked(int index) const
{
    return FileType->item(index)->checkState() == Qt::Checked;
}

std::string TestMainWindow::outputName() const { return FileName->text().toStdString(); }
bool TestMainWindow::dllVisible() const { return DLLVisible->isChecked(); }
bool TestMainWindow::alwaysOnTop() const { return AlwaysTopSW->isChecked(); }
void *TestMainWindow::mainWindowHandle() { return static_cast<QWidget *>(this); }

} // namespace vexel::test
