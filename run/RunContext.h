// The state objects one run works on, handed around together.
#pragma once

#include "run/RunHost.h"
#include "run/RunState.h"

namespace vexel {

struct RunContext {
    RunHost &host;
    const RunSettings &settings;
    RunRequest &request;
    RunControl &control;
    RunState &state;
};

} // namespace vexel
