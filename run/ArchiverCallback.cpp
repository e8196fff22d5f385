#include "run/ArchiverCallback.h"

#include "run/KryArc.h"

#include <array>
#include <atomic>
#include <utility>

namespace vexel {

namespace {

// The libraries' calling convention gives the callback no context argument, so the
// run it belongs to can only be found through a value outside it. One atomic pointer,
// set just for the duration of a library call, keeps that to a single place; atomic
// because the library may call back from its worker thread.
std::atomic<RunControl *> activeControl{nullptr};

} // namespace

ActiveRunControl::ActiveRunControl(RunControl &control) { activeControl = &control; }

ActiveRunControl::~ActiveRunControl() { activeControl = nullptr; }

namespace {

template <std::size_t Index>
int runningFormatCallback(void *, uint32_t message, uint32_t state, void *info)
{
    RunControl *control = activeControl.load();
    if (control == nullptr)
        return 1;
    // Running does not change while an archiver of the run is working.
    if (Index < control->Running.size() && message == KRY_MSG_PROGRESS && info != nullptr)
        control->Running[Index]->Reported.store(*static_cast<const KryProgress *>(info), state);
    return control->CancelRequested.load() ? 0 : 1;
}

template <std::size_t... Index>
constexpr std::array<ARCHIVERPROC, sizeof...(Index)> callbacks(std::index_sequence<Index...>)
{
    return {&runningFormatCallback<Index>...};
}

constexpr auto kRunningCallbacks = callbacks(std::make_index_sequence<kMaxFormatsAtOnce>{});

} // namespace

ARCHIVERPROC RunningFormatCallback(std::size_t index)
{
    return index < kRunningCallbacks.size() ? kRunningCallbacks[index] : nullptr;
}

} // namespace vexel

extern "C" int ArchiverCallback(void *, uint32_t message, uint32_t state, void *info)
{
    vexel::RunControl *control = vexel::activeControl.load();
    if (control == nullptr)
        return 1;
    if (message == KRY_MSG_PROGRESS && info != nullptr)
        control->Reported.store(*static_cast<const KryProgress *>(info), state);
    return control->CancelRequested.load() ? 0 : 1;
}
