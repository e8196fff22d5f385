// RunInputs: what a run reads from the main window while it runs: the format list
// FileType with its check marks, the output name FileName, the check boxes DLLVisible
// and AlwaysTopSW, and the main window itself as owner of the archiver libraries.
// The progress window forwards these parts of RunHost to it.
#pragma once

#include <string>

namespace vexel {

class RunInputs {
public:
    virtual ~RunInputs() = default;

    virtual int formatEntryCount() const = 0;
    virtual std::string formatEntryText(int index) const = 0;
    virtual bool formatEntryChecked(int index) const = 0;
    virtual std::string outputName() const = 0;
    virtual bool dllVisible() const = 0;
    virtual bool alwaysOnTop() const = 0;
    virtual void *mainWindowHandle() = 0;   // a QWidget*, or null
};

} // namespace vexel
