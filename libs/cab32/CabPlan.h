// What a cab32 command line asks for: "-a -r [-i] -mz" (MSZIP) or "-a -r [-i] -ml:N"
// (LZX with a 2^N-byte window, N = 15..21), and how the cabinet is then written.
#pragma once

#include "LibraryRun.h"

#include <functional>
#include <memory>

namespace cab {

class FolderEncoder;

struct CabMethod {
    bool lzx = false;
    int windowBits = 0; // for LZX
};

// Reads the method switches; false with a reason for an LZX window outside 15..21.
bool parseCabMethod(const vexel::kit::ParsedCommand &command, CabMethod *method,
                    std::string *reason);

std::unique_ptr<FolderEncoder> makeEncoder(const CabMethod &method,
                                           std::function<bool()> stopRequested = {});

// The plan for the library kit: refuses anything but "-a", collects files only (a
// cabinet has no folder entries) and writes the cabinet with the chosen method.
bool planCab(const vexel::kit::ParsedCommand &command, vexel::kit::JobPlan *plan,
             std::string *reason);

} // namespace cab
