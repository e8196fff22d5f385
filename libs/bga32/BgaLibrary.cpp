// bga32.so: the GZA/BZA archiver library. Takes "a -r -lN" lines; the archive name's
// extension chooses the format: ".gza" gzip members, ".bza" bzip2 members.
#include "BgaWriter.h"

#include "KryUnPackDec.h"
#include "LibraryRun.h"

#include <cctype>

namespace {

using namespace vexel;
using namespace vexel::kit;

constexpr int kDefaultLevel = 9;

// bga32's command line has no display switch: its window shows whenever a QApplication
// exists, and the program never looks for it.
const LibraryTraits kTraits{KRY_STATUS_TITLE_BGA, CommandSyntax{true}};

OwnerSlot &owner()
{
    static OwnerSlot slot;
    return slot;
}

bool endsWithIgnoringCase(const std::string &text, const std::string &suffix)
{
    if (text.size() < suffix.size())
        return false;
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - suffix.size() + i]))
            != suffix[i])
            return false;
    return true;
}

bool planBga(const ParsedCommand &command, JobPlan *plan, std::string *reason)
{
    if (command.command != "a" && command.command != "A") {
        *reason = command.command.empty()
            ? "the command line has no command (expected \"a\")"
            : "unsupported command \"" + command.command + "\" (expected \"a\")";
        return false;
    }
    bga::Kind kind;
    if (endsWithIgnoringCase(command.archivePath, ".gza"))
        kind = bga::Kind::Gza;
    else if (endsWithIgnoringCase(command.archivePath, ".bza"))
        kind = bga::Kind::Bza;
    else {
        *reason = "the archive name " + command.archivePath + " ends in neither .gza nor .bza";
        return false;
    }
    int level = kDefaultLevel;
    if (const auto value = command.switchValue("-l")) {
        if (value->size() != 1 || !std::isdigit(static_cast<unsigned char>((*value)[0]))) {
            *reason = "the level switch -l" + *value + " is not -l0 to -l9";
            return false;
        }
        level = (*value)[0] - '0';
    }
    plan->showStatus = true;
    plan->collect.recurse = command.hasSwitch("-r");
    plan->collect.foldersAsEntries = true;
    plan->write = [kind, level](const std::vector<Member> &members, ArchiveOutput &output,
                                Progress &progress, std::string *why) {
        return bga::writeArchive(kind, level, members, output, progress, why);
    };
    return true;
}

} // namespace

extern "C" {

int Bga(void *window, const char *commandLine, char *output, uint32_t outputSize)
{
    return runLibrary({window, commandLine, output, outputSize}, kTraits, &owner(), planBga);
}

uint16_t BgaGetVersion(void) { return 100; }

int BgaSetOwnerWindowEx(void *window, ARCHIVERPROC callback)
{
    owner().set(window, callback);
    return 1;
}

} // extern "C"
