// The C entry points of unlha32.so (calling convention in KryUnPackDec.h).
#include "KryUnPackDec.h"
#include "LibraryRun.h"
#include "UnlhaPlan.h"

namespace {

vexel::kit::OwnerSlot owner;

const vexel::kit::LibraryTraits traits{vexel::lha::kStatusTitle, vexel::kit::CommandSyntax{true}};

// 1.00: the first release of this library.
constexpr uint16_t kVersion = 100;

} // namespace

extern "C" {

int Unlha(void *window, const char *commandLine, char *output, uint32_t outputSize)
{
    return vexel::kit::runLibrary({window, commandLine, output, outputSize}, traits, &owner,
                                  vexel::lha::planUnlha);
}

uint16_t UnlhaGetVersion(void) { return kVersion; }

int UnlhaSetOwnerWindowEx(void *window, ARCHIVERPROC callback)
{
    owner.set(window, callback);
    return 1;
}
}
