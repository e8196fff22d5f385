#include "CabPlan.h"

#include "CabFormat.h"
#include "CabinetWriter.h"
#include "DosTime.h"
#include "LzxEncoder.h"
#include "LzxTables.h"
#include "MszipEncoder.h"

#include <charconv>

namespace cab {
namespace {

using vexel::kit::Member;

std::uint16_t attributesOf(const Member &member)
{
    std::uint16_t attributes = kAttrArchive;
    if (!(member.mode & 0200))
        attributes |= kAttrReadOnly;
    if (member.mode & 0100) // extractors give such files their execute bit back
        attributes |= kAttrExecute;
    return attributes;
}

std::vector<CabEntry> cabEntries(const std::vector<Member> &members)
{
    std::vector<CabEntry> entries;
    for (const Member &m : members) {
        if (m.isFolder)
            continue;
        const vexel::kit::DosDateTime dos = vexel::kit::toDosDateTime(m.mtime);
        entries.push_back({m.diskPath, m.storedName, m.size, dos.date, dos.time, attributesOf(m)});
    }
    return entries;
}

bool writeMembers(const CabMethod &method, const std::vector<Member> &members,
                  vexel::kit::ArchiveOutput &output, vexel::kit::Progress &progress,
                  std::string *reason)
{
    const std::vector<CabEntry> entries = cabEntries(members);
    std::uint64_t reported = 0;
    std::string current;
    const ProgressFn onFrame = [&](std::uint64_t done, const std::string &name) {
        if (name != current) {
            current = name;
            progress.beginMember(name);
        }
        const bool goOn = progress.advance(done - reported);
        reported = done;
        return goOn;
    };
    try {
        const std::unique_ptr<FolderEncoder> encoder =
            makeEncoder(method, [&progress] { return progress.stopRequested(); });
        return writeCabinet(output.temporaryPath(), entries, *encoder, onFrame, reason);
    } catch (const std::exception &e) { // out of memory, mostly
        *reason = e.what();
        return false;
    }
}

} // namespace

bool parseCabMethod(const vexel::kit::ParsedCommand &command, CabMethod *method,
                    std::string *reason)
{
    *method = {};
    const std::optional<std::string> lzx = command.switchValue("-ml:");
    if (!lzx)
        return true; // "-mz" and no method at all both mean MSZIP
    int bits = 0;
    const auto [end, error] = std::from_chars(lzx->data(), lzx->data() + lzx->size(), bits);
    if (error != std::errc() || end != lzx->data() + lzx->size() || bits < lzx::kMinWindowBits
        || bits > lzx::kMaxWindowBits) {
        *reason = "-ml:" + *lzx + ": the LZX window must be 15 to 21";
        return false;
    }
    method->lzx = true;
    method->windowBits = bits;
    return true;
}

std::unique_ptr<FolderEncoder> makeEncoder(const CabMethod &method,
                                           std::function<bool()> stopRequested)
{
    if (!method.lzx)
        return std::make_unique<MszipEncoder>();
    LzxEncoder::Options options;
    options.windowBits = method.windowBits;
    options.stopRequested = std::move(stopRequested);
    return std::make_unique<LzxEncoder>(options);
}

bool planCab(const vexel::kit::ParsedCommand &command, vexel::kit::JobPlan *plan,
             std::string *reason)
{
    if (!command.hasSwitch("-a")) {
        *reason = "cab32 makes new cabinets only: the command line needs -a";
        return false;
    }
    CabMethod method;
    if (!parseCabMethod(command, &method, reason))
        return false;
    plan->showStatus = !command.hasSwitch("-i");
    plan->collect.recurse = command.hasSwitch("-r");
    plan->collect.foldersAsEntries = false;
    plan->write = [method](const std::vector<Member> &members, vexel::kit::ArchiveOutput &output,
                           vexel::kit::Progress &progress, std::string *why) {
        return writeMembers(method, members, output, progress, why);
    };
    return true;
}

} // namespace cab
