// HelpWnd: the small modal window that HelpShow opens: how to use the main window, in
// the program's own words, and the program's version.
#pragma once

#include <QDialog>

namespace vexel {

class HelpWnd : public QDialog {
    Q_OBJECT
public:
    // `settingsFile` is where the settings store lives, shown so the user can find it.
    HelpWnd(const QString &settingsFile, QWidget *parent = nullptr);

    // The usage text shown, for a given settings file path.
    static QString usageText(const QString &settingsFile);
};

} // namespace vexel
