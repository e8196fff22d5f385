// Which run control ArchiverCallback answers for while a library works.
#pragma once

#include "run/RunState.h"

namespace vexel {

// Makes `control` the one ArchiverCallback reads and reports progress into, for this
// object's lifetime (the duration of one library call). Outside such a call the
// callback answers "go on" and keeps nothing.
class ActiveRunControl {
public:
    explicit ActiveRunControl(RunControl &control);
    ~ActiveRunControl();
    ActiveRunControl(const ActiveRunControl &) = delete;
    ActiveRunControl &operator=(const ActiveRunControl &) = delete;
};

} // namespace vexel
