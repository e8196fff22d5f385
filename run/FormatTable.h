// The format table: every fact about the eight formats, read by every room that needs
// one: names, extensions, archiver, availability, settings keys, how the archiver is
// called (command-line template, owner window, status-window timer) and the title of
// its status window. Nothing else in the program lists the eight formats or tells
// them apart by name.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace vexel {

// Which archivers were found at start-up, per format and archive kind. Computed once
// by the archiver discovery, read by the format list, the run start and the settings.
struct ArchiverAvailability {
    bool LHAAvailable = false, ZIPAvailable = false, CABAvailable = false, BGAAvailable = false,
         RARAvailable = false, GCAAvailable = false, ACEAvailable = false;
    bool LHAExeAvailable = false, ZIPExeAvailable = false, CABExeAvailable = false,
         BGAExeAvailable = false, RARExeAvailable = false, GCAExeAvailable = false;
};

enum class ArchiverKind { Library, CommandLine };

// Whose window a library is given as owner before its main entry is called.
enum class OwnerWindow { None, ProgressWindow, MainWindow };

struct FormatInfo {
    std::string_view entryText;      // "LHA" ... the text of the format list
    std::string_view typedExtension; // ".lzh": selects the format alone; temp archive
    std::string_view savedExtension; // ".lzh", ".ZIP", ...: appended to the output name
    ArchiverKind kind;
    std::string_view archiverFile; // the name the lookup searches ("unlha32.dll", "rar.exe")
    bool ArchiverAvailability::*available;    // ordinary kind
    bool ArchiverAvailability::*exeAvailable; // self-extracting kind; null: never offered
    std::string_view checkKeyOrdinary;        // "FT_Chk_NA_LHA"
    std::string_view checkKeySelfExtracting;  // "FT_Chk_EA_LHA"
    std::string_view missingMessage;          // shown when a typed extension names it

    // How the archiver is called. A command line is its template with the fields in
    // braces filled in (ArchiverCommands.h): for a library with the display switch on
    // or off, for a command-line archiver (both the same) the script's archiver line.
    std::string_view commandDisplayOn;
    std::string_view commandDisplayOff;
    std::string_view entryPrefix; // library entry points ("Unlha"); "" for a script
    OwnerWindow owner;            // registered with ...SetOwnerWindowEx
    bool timerWhenDisplayOff;     // WndChkTimer runs even with the display switch off
    std::string_view statusTitle; // the status window the program looks for; "": none
    // Its line in the settings window's installation report (0 first), or -1 for a
    // format whose archiver another format's line already names (BZIP2 shares bga32).
    int reportLine;
};

// The eight formats in the fixed list order LHA, ZIP, CAB, GZIP, BZIP2, RAR, GCA, ACE.
std::span<const FormatInfo> formatTable();

// The format whose entry text is exactly `entryText`, or null.
const FormatInfo *findFormat(std::string_view entryText);

} // namespace vexel
