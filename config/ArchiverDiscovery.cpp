#include "config/KryOpr.h"

#include "archivers/FindArchiver.h"

namespace vexel {

ArchiverAvailability DiscoverArchivers(const ArchiverPresence &isPresent)
{
    ArchiverAvailability a;
    a.LHAAvailable = isPresent("unlha32.dll");
    // Every lookup runs, in this order, even when an earlier one already decides a flag.
    const bool zip32 = isPresent("ZIP32.DLL");
    const bool zip32j = isPresent("ZIP32J.DLL");
    a.ZIPAvailable = zip32 && zip32j;
    a.CABAvailable = isPresent("cab32.dll");
    a.BGAAvailable = isPresent("bga32.dll");
    a.RARAvailable = isPresent("rar.exe");
    a.GCAAvailable = isPresent("gcac.exe");
    a.ACEAvailable = isPresent("ace32.exe");

    a.LHAExeAvailable = a.LHAAvailable;
    // A self-extracting ZIP accepts IZIP32J in place of ZIP32 but needs the stub.
    const bool sfxZip32 = isPresent("ZIP32.DLL");
    const bool sfxIzip32j = isPresent("IZIP32J.DLL");
    const bool sfxStub = isPresent("sfx32gui.dat");
    const bool sfxZip32j = isPresent("ZIP32J.DLL");
    a.ZIPExeAvailable = (sfxZip32 || sfxIzip32j) && sfxStub && sfxZip32j;
    a.CABExeAvailable = a.CABAvailable;
    a.BGAExeAvailable = a.BGAAvailable;
    // RAR and GCA are never offered as self-extracting archives: their flags stay false.
    return a;
}

ArchiverAvailability DiscoverArchivers() { return DiscoverArchivers(platform::SearchPath()); }

ArchiverAvailability DiscoverArchivers(const platform::SearchPath &searchPath)
{
    return DiscoverArchivers([&searchPath](const std::string &name) {
        std::string folder;
        return FindArchiver(name, folder, searchPath);
    });
}

} // namespace vexel
