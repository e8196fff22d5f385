// cab32.so's C entry points (KryUnPackDec.h).
#include "CabPlan.h"
#include "KryUnPackDec.h"
#include "LibraryRun.h"

namespace {

// 1.00: MSZIP and LZX:15..21 cabinets.
constexpr std::uint16_t kCabVersion = 100;

vexel::kit::OwnerSlot owner;

const vexel::kit::LibraryTraits kTraits{KRY_STATUS_TITLE_CAB, {false}};

} // namespace

extern "C" {

KRY_EXPORT int Cab(void *window, const char *commandLine, char *output, uint32_t outputSize)
{
    return vexel::kit::runLibrary({window, commandLine, output, outputSize}, kTraits, &owner,
                                  cab::planCab);
}

KRY_EXPORT uint16_t CabGetVersion(void) { return kCabVersion; }

KRY_EXPORT int CabSetOwnerWindowEx(void *window, ARCHIVERPROC callback)
{
    owner.set(window, callback);
    return 1;
}

} // extern "C"
