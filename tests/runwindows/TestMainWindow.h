// A stand-in for the main window in window tests: the format list FileType with check
// marks, the output name FileName and the check boxes DLLVisible and AlwaysTopSW.
#pragma once

#include "run/RunInputs.h"

#include <QWidget>

#include <initializer_list>

class QCheckBox;
class QLineEdit;
class QListWidget;

namespace vexel::test {

class TestMainWindow : public QWidget, public RunInputs {
public:
    TestMainWindow();

    // Replaces the format list: every entry text with its check mark.
    void setFormats(std::initializer_list<std::pair<const char *, bool>> entries);
    void setOutputName(const QString &name);
    void setDllVisible(bool on);
    void setAlwaysOnTop(bool on);

    int formatEntryCount() const override;
    std::string formatEntryText(int index) const override;
    bool formatEntryChecked(int index) const override;
    std::string outputName() const override;
    bool dllVisible() const override;
    bool alwaysOnTop() const override;
    void *mainWindowHandle() override;

private:
    QListWidget *FileType;
    QLineEdit *FileName;
    QCheckBox *DLLVisible;
    QCheckBox *AlwaysTopSW;
};

} // namespace vexel::test
