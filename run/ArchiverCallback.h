// Which run control ArchiverCallback answers for while a library works.
#pragma once

#include "archivers/KryUnPackDec.h"
#include "run/RunState.h"

#include <cstddef>

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

// While several formats are made at once, each library call registers a callback of
// its own, so that its progress records reach its own RunningFormat: the calling
// convention gives a callback no context, only its identity tells the calls apart.
// The callback for ActiveRunControl's Running[index] keeps that format's records and
// answers 0 (stop) once CancelRequested is set. Null for an index of kMaxFormatsAtOnce
// or more.
inline constexpr std::size_t kMaxFormatsAtOnce = 8; // every format of the table
ARCHIVERPROC RunningFormatCallback(std::size_t index);

} // namespace vexel
