// Member names of GZA/BZA archives: CP932 (Shift_JIS) with '\' separators when every
// name of the archive converts, else the names' own bytes for the whole archive: UTF-8,
// or whatever a name that is not valid UTF-8 holds (the format has no flag to label it;
// readers take valid UTF-8 as UTF-8 and anything else as CP932). A name holding '\' is
// refused: it would come back split into folders.
#pragma once

#include "Members.h"

#include <string>
#include <vector>

namespace vexel::bga {

enum class NameEncoding { Cp932, Utf8 };

// CP932 bytes for a UTF-8 text; false when some character has no CP932 form.
bool toCp932(const std::string &utf8, std::string *cp932);

NameEncoding chooseEncoding(const std::vector<kit::Member> &members);

struct EncodedName {
    std::string folderPart; // ending in '\' when not empty
    std::string filePart;   // empty for a folder
};

// Splits a stored name ("a/b/c.txt") into its folder and file parts in the archive's
// encoding; a folder's whole path goes into the folder part.
bool encodeName(const kit::Member &member, NameEncoding encoding, EncodedName *name,
                std::string *reason);

} // namespace vexel::bga
