#include "run/FormatTable.h"

#include <array>

namespace vexel {

namespace {

using A = ArchiverAvailability;

constexpr std::array<FormatInfo, 8> kFormats{{
    {"LHA", ".lzh", ".lzh", ArchiverKind::Library, "unlha32.dll", &A::LHAAvailable,
     &A::LHAExeAvailable, "FT_Chk_NA_LHA", "FT_Chk_EA_LHA",
     "必要なDLLが存在しないためLHA形式では圧縮できません"},
    {"ZIP", ".zip", ".ZIP", ArchiverKind::Library, "ZIP32J.DLL", &A::ZIPAvailable,
     &A::ZIPExeAvailable, "FT_Chk_NA_ZIP", "FT_Chk_EA_ZIP",
     "必要なDLLが存在しないためZIP形式では圧縮できません"},
    {"CAB", ".cab", ".CAB", ArchiverKind::Library, "cab32.dll", &A::CABAvailable,
     &A::CABExeAvailable, "FT_Chk_NA_CAB", "FT_Chk_EA_CAB",
     "必要なDLLが存在しないためCAB形式では圧縮できません"},
    {"GZIP", ".gza", ".gza", ArchiverKind::Library, "bga32.dll", &A::BGAAvailable,
     &A::BGAExeAvailable, "FT_Chk_NA_GZIP", "FT_Chk_EA_GZIP",
     "必要なDLLが存在しないためGZA形式では圧縮できません"},
    {"BZIP2", ".bza", ".bza", ArchiverKind::Library, "bga32.dll", &A::BGAAvailable,
     &A::BGAExeAvailable, "FT_Chk_NA_BZIP2", "FT_Chk_EA_BZIP2",
     "必要なDLLが存在しないためBZA形式では圧縮できません"},
    {"RAR", ".rar", ".RAR", ArchiverKind::CommandLine, "rar.exe", &A::RARAvailable,
     &A::RARExeAvailable, "FT_Chk_NA_RAR", "FT_Chk_EA_RAR",
     "必要な実行ファイル(RAR.EXE)が存在しないためRAR形式では圧縮できません"},
    {"GCA", ".gca", ".GCA", ArchiverKind::CommandLine, "gcac.exe", &A::GCAAvailable,
     &A::GCAExeAvailable, "FT_Chk_NA_GCA", "FT_Chk_EA_GCA",
     "必要な実行ファイル(GCAC.EXE)が存在しないためGCA形式では圧縮できません"},
    // ACE is never offered as a self-extracting archive: it has no such flag.
    {"ACE", ".ace", ".ACE", ArchiverKind::CommandLine, "ace32.exe", &A::ACEAvailable,
     nullptr, "FT_Chk_NA_ACE", "FT_Chk_EA_ACE",
     "必要な実行ファイル(ACE32.EXE)が存在しないためACE形式では圧縮できません"},
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
