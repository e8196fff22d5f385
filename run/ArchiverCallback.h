// Which run control ArchiverCallback answers for while a library works.
#pragma once

#include "run/RunState.h"

namespace vexel {

// Makes `control` the one ArchiverCallback reads, for this object's lifetime (the
// duration of one library call). Outside such a call the callback answers "go on".
class ActiveRunControl {
public:
    explicit ActiveRunControl(const RunControl &control);
    ~ActiveRunControl();
    ActiveRunControl(const ActiveRunControl &) = delete;
    ActiveRunControl &operator=(const ActiveRunControl &) = delete;
};

} // namespace vexel
