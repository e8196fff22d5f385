#include "config/ArchiveKind.h"

namespace vexel {

std::vector<FormatListEntry> archiveKindEntries(int kind, const ArchiverAvailability &availability,
                                                const SettingsStore &store)
{
    std::vector<FormatListEntry> entries;
    if (kind != OrdinaryKind && kind != SelfExtractingKind)
        return entries;
    for (const FormatInfo &format : formatTable()) {
        const auto flag = kind == OrdinaryKind ? format.available : format.exeAvailable;
        if (flag == nullptr || !(availability.*flag))
            continue;
        const std::string text(format.entryText);
        entries.push_back({text, readCheckMark(store, ArchiveKind(kind), text)});
    }
    return entries;
}

} // namespace vexel
