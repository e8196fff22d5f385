#include "UnlhaPlan.h"

#include "LhaArchiveWriter.h"

namespace vexel::lha {

const char *const kStatusTitle = KRY_STATUS_TITLE_UNLHA;

namespace {

bool methodFor(const kit::ParsedCommand &command, codec::LhMethod *method, std::string *reason)
{
    const auto level = command.switchValue("-jm");
    if (!level || *level == "2") {
        *method = codec::LhMethod::Lh5;
    } else if (*level == "3") {
        *method = codec::LhMethod::Lh6;
    } else if (*level == "4") {
        *method = codec::LhMethod::Lh7;
    } else {
        *reason = "unsupported compression method -jm" + *level + " (use -jm2, -jm3 or -jm4)";
        return false;
    }
    return true;
}

} // namespace

bool planUnlha(const kit::ParsedCommand &command, kit::JobPlan *plan, std::string *reason)
{
    if (command.command != "a" && command.command != "A") {
        *reason =
            "unsupported command \"" + command.command + "\": unlha32 only creates archives (a)";
        return false;
    }
    codec::LhMethod method{};
    if (!methodFor(command, &method, reason))
        return false;
    const auto recursion = command.switchValue("-r");
    plan->showStatus = !command.hasSwitch("-n");
    plan->collect.recurse = recursion && *recursion != "0";
    plan->collect.foldersAsEntries = true;
    plan->write = [method](const std::vector<kit::Member> &members, kit::ArchiveOutput &output,
                           kit::Progress &progress, std::string *why) {
        return writeLhaArchive(members, method, output, progress, why);
    };
    return true;
}

} // namespace vexel::lha
