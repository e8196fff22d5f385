// RunInputs: what a run reads from the main window while it runs: the format list
// FileType with its check marks, the output name FileName, the check boxes DLLVisible
// and AlwaysTopSW, and the main window itself as owner of the archiver libraries.
#pragma once

#include <string>

namespace vexel {

class RunInputs {
public:
    virtual ~RunInputs() = default;

    // The format list FileType, in list order.
    virtual int formatEntryCount() const = 0;
    virtual std::string formatEntryText(int index) const = 0;
    virtual bool formatEntryChecked(int index) const = 0;
    virtual std::string outputName() const = 0; // the text of FileName
    virtual bool dllVisible() const = 0;        // DLLVisible: libraries show their status
    virtual bool alwaysOnTop() const = 0;       // AlwaysTopSW
    virtual void *mainWindowHandle() = 0;       // owner for the libraries: a QWidget*, or null
};

} // namespace vexel
