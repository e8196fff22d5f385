// zip32j.so: the ZIP archiver library. Takes "-r -N" lines (N = level 0..9, 0 stores)
// and writes through the ZIP engine zip32.so.
#include "ZipEngine.h"

#include "InputFile.h"
#include "KryUnPackDec.h"
#include "LibraryRun.h"

#include <cctype>
#include <memory>

namespace {

using namespace vexel::kit;

constexpr int kDefaultLevel = 6;

const LibraryTraits kTraits{KRY_STATUS_TITLE_ZIP, CommandSyntax{false}};

struct EngineDeleter {
    void operator()(ZipEngine *engine) const { ZipEngineDestroy(engine); }
};

// The level is the last switch made of a single digit ("-9"); other switches are ignored.
int levelOf(const ParsedCommand &command)
{
    int level = kDefaultLevel;
    for (const std::string &s : command.switches)
        if (s.size() == 2 && std::isdigit(static_cast<unsigned char>(s[1])))
            level = s[1] - '0';
    return level;
}

bool writeZip(int level, const std::vector<Member> &members, ArchiveOutput &output,
              Progress &progress, std::string *reason)
{
    char why[256] = "";
    std::unique_ptr<ZipEngine, EngineDeleter> engine(
        ZipEngineCreate(output.temporaryPath().c_str(), level, why, sizeof why));
    if (!engine) {
        *reason = why;
        return false;
    }
    // A stop ends even a long deflate step at once.
    ZipEngineSetStop(
        engine.get(), [](void *p) { return static_cast<Progress *>(p)->stopRequested() ? 1 : 0; },
        &progress);
    const auto engineFailed = [&] {
        *reason = ZipEngineError(engine.get());
        return false;
    };
    for (const Member &m : members) {
        progress.beginMember(m.storedName);
        const ZipEngineMember entry{m.storedName.c_str(), m.isFolder ? 1 : 0, m.size, m.mtime,
                                    m.mode};
        if (!ZipEngineBeginMember(engine.get(), &entry))
            return engineFailed();
        if (m.isFolder)
            continue;
        const bool read = readMember(
            m, progress,
            [&](const std::uint8_t *data, std::size_t size, std::string *why) {
                if (ZipEngineWriteData(engine.get(), data, size))
                    return true;
                *why = ZipEngineError(engine.get());
                return false;
            },
            reason);
        if (!read)
            return false;
        if (!ZipEngineEndMember(engine.get()))
            return engineFailed();
    }
    return ZipEngineFinish(engine.get()) ? true : engineFailed();
}

bool planZip(const ParsedCommand &command, JobPlan *plan, std::string *)
{
    const int level = levelOf(command);
    plan->showStatus = true; // the host hides the window when it wants none
    plan->collect.recurse = command.hasSwitch("-r");
    plan->collect.foldersAsEntries = true;
    plan->write = [level](const std::vector<Member> &members, ArchiveOutput &output,
                          Progress &progress, std::string *reason) {
        return writeZip(level, members, output, progress, reason);
    };
    return true;
}

} // namespace

extern "C" {

int Zip(void *window, const char *commandLine, char *output, uint32_t outputSize)
{
    return runLibrary({window, commandLine, output, outputSize}, kTraits, nullptr, planZip);
}

uint16_t ZipGetVersion(void) { return 100; }

} // extern "C"
