#include "run/FormatTable.h"

#include "archivers/KryUnPackDec.h"

#include <array>

namespace vexel {

namespace {

using A = ArchiverAvailability;
using O = OwnerWindow;

// Command-line templates. {archive}, {list} and {program} are the paths; {base} is the
// quoted base folder or nothing; the settings are trimmed; {CABMethod} is "-ml:<level> "
// for LZX and "-mz " for MSZIP. A library's list follows "@"; gcac takes it after -o.
constexpr const char kLhaOn[] = "a -x1 -r2 -y1 -gm -jm{LHAFreezeType} \"{archive}\" {base} @{list}";
constexpr const char kLhaOff[] =
    "a -x1 -r2 -y1 -gm -n -jm{LHAFreezeType} \"{archive}\" {base} @{list}";
constexpr const char kZip[] = "-r -{ZIPFreezeLevel} \"{archive}\" {base} @{list}";
constexpr const char kCabOn[] = "-a -r {CABMethod}\"{archive}\" {base} @{list}";
constexpr const char kCabOff[] = "-a -r -i {CABMethod}\"{archive}\" {base} @{list}";
// GZIP and BZIP2 get the same switches: the library tells them apart by the extension.
constexpr const char kBga[] = "a -r -l{BGAFreezeLevel} \"{archive}\" {base} @{list}";
constexpr const char kRarAce[] = "{program} a -r {archive} @{list}";
constexpr const char kGca[] = "{program} a -o{list} {archive}";

constexpr std::array<FormatInfo, 8> kFormats{{
    {"LHA", ".lzh", ".lzh", ArchiverKind::Library, "unlha32.dll", &A::LHAAvailable,
     &A::LHAExeAvailable, "FT_Chk_NA_LHA", "FT_Chk_EA_LHA",
     "必要なDLLが存在しないためLHA形式では圧縮できません", kLhaOn, kLhaOff, "Unlha",
     O::ProgressWindow, false, KRY_STATUS_TITLE_UNLHA, 0},
    {"ZIP", ".zip", ".ZIP", ArchiverKind::Library, "ZIP32J.DLL", &A::ZIPAvailable,
     &A::ZIPExeAvailable, "FT_Chk_NA_ZIP", "FT_Chk_EA_ZIP",
     "必要なDLLが存在しないためZIP形式では圧縮できません", kZip, kZip, "Zip", O::None, true,
     KRY_STATUS_TITLE_ZIP, 1},
    {"CAB", ".cab", ".CAB", ArchiverKind::Library, "cab32.dll", &A::CABAvailable,
     &A::CABExeAvailable, "FT_Chk_NA_CAB", "FT_Chk_EA_CAB",
     "必要なDLLが存在しないためCAB形式では圧縮できません", kCabOn, kCabOff, "Cab", O::MainWindow,
     false, KRY_STATUS_TITLE_CAB, 2},
    // The GZIP/BZIP2 library's status window is never looked for: it stays as the
    // library shows it (or not).
    {"GZIP", ".gza", ".gza", ArchiverKind::Library, "bga32.dll", &A::BGAAvailable,
     &A::BGAExeAvailable, "FT_Chk_NA_GZIP", "FT_Chk_EA_GZIP",
     "必要なDLLが存在しないためGZA形式では圧縮できません", kBga, kBga, "Bga", O::MainWindow, false,
     "", 3},
    {"BZIP2", ".bza", ".bza", ArchiverKind::Library, "bga32.dll", &A::BGAAvailable,
     &A::BGAExeAvailable, "FT_Chk_NA_BZIP2", "FT_Chk_EA_BZIP2",
     "必要なDLLが存在しないためBZA形式では圧縮できません", kBga, kBga, "Bga", O::MainWindow, false,
     "", -1},
    {"RAR", ".rar", ".RAR", ArchiverKind::CommandLine, "rar.exe", &A::RARAvailable,
     &A::RARExeAvailable, "FT_Chk_NA_RAR", "FT_Chk_EA_RAR",
     "必要な実行ファイル(RAR.EXE)が存在しないためRAR形式では圧縮できません", kRarAce, kRarAce, "",
     O::None, false, "", 5},
    {"GCA", ".gca", ".GCA", ArchiverKind::CommandLine, "gcac.exe", &A::GCAAvailable,
     &A::GCAExeAvailable, "FT_Chk_NA_GCA", "FT_Chk_EA_GCA",
     "必要な実行ファイル(GCAC.EXE)が存在しないためGCA形式では圧縮できません", kGca, kGca, "",
     O::None, false, "", 6},
    // ACE is never offered as a self-extracting archive: it has no such flag.
    {"ACE", ".ace", ".ACE", ArchiverKind::CommandLine, "ace32.exe", &A::ACEAvailable, nullptr,
     "FT_Chk_NA_ACE", "FT_Chk_EA_ACE",
     "必要な実行ファイル(ACE32.EXE)が存在しないためACE形式では圧縮できません", kRarAce, kRarAce, "",
     O::None, false, "", 4},
}};

} // namespace

std::span<const FormatInfo> formatTable() { return kFormats; }

const FormatInfo *findFormat(std::string_view entryText)
{
    for (const FormatInfo &f : kFormats)
        if (f.entryText == entryText)
            return &f;
    return nullptr;
}

} // namespace vexel
