#include "BgaNames.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace vexel::bga {

bool toCp932(const std::string &utf8, std::string *cp932)
{
    cp932->clear();
    bool ascii = std::all_of(utf8.begin(), utf8.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) { // the common case, and the same bytes in both encodings
        *cp932 = utf8;
        return true;
    }
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string out(utf8.size() * 2 + 4, '\0');
    char *in = const_cast<char *>(utf8.data());
    std::size_t inLeft = utf8.size();
    char *outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1) || inLeft != 0 || rc != 0) // rc > 0: lossy conversion
        return false;
    out.resize(out.size() - outLeft);
    *cp932 = out;
    return true;
}

NameEncoding chooseEncoding(const std::vector<kit::Member> &members)
{
    std::string unused;
    for (const kit::Member &m : members)
        if (!toCp932(m.storedName, &unused))
            return NameEncoding::Utf8;
    return NameEncoding::Cp932;
}

bool encodeName(const kit::Member &member, NameEncoding encoding, EncodedName *name,
                std::string *reason)
{
    // '\' separates folders in these archives: a Linux name holding one would come back
    // split into folders, so it is refused rather than altered.
    if (member.storedName.find('\\') != std::string::npos) {
        *reason = "a name holding a backslash (the GZA/BZA folder separator) cannot be stored: "
            + member.diskPath;
        return false;
    }
    std::string folder, file;
    if (member.isFolder) {
        folder = member.storedName + "/";
    } else {
        const std::size_t slash = member.storedName.rfind('/');
        if (slash != std::string::npos)
            folder = member.storedName.substr(0, slash + 1);
        file = member.storedName.substr(slash == std::string::npos ? 0 : slash + 1);
    }
    // Separators are replaced before conversion: a CP932 trail byte may be 0x5C ('\').
    std::replace(folder.begin(), folder.end(), '/', '\\');
    if (encoding == NameEncoding::Cp932) {
        if (!toCp932(folder, &name->folderPart) || !toCp932(file, &name->filePart)) {
            *reason = "cannot convert the name " + member.storedName + " to CP932";
            return false;
        }
    } else {
        name->folderPart = folder;
        name->filePart = file;
    }
    if (name->folderPart.size() > 0xFFFF || name->filePart.size() > 0xFFFF) {
        *reason = "the name " + member.storedName + " is too long for a GZA/BZA archive";
        return false;
    }
    return true;
}

} // namespace vexel::bga
