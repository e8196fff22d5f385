// Writes the fixed benchmark corpus: the same bytes on every machine, every run.
//   make_corpus <folder>
// Text, source code, machine-code-like data, already-compressed (random) data, logs
// and many small files in nested folders, about 60 MB in all.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// xorshift64*: tiny, portable and fully specified, unlike std::rand or awk's rand.
struct Random {
    std::uint64_t state;
    explicit Random(std::uint64_t seed) : state(seed) {}
    std::uint64_t next()
    {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 2685821657736338717ULL;
    }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
    // Small indices far more often than large ones, as word frequencies are.
    std::size_t skewed(std::size_t n) { return below(below(n) + 1); }
};

const std::vector<std::string> kWords = {
    "the",      "of",       "and",      "to",          "in",         "a",          "is",
    "that",     "for",      "it",       "as",          "was",        "with",       "be",
    "by",       "on",       "not",      "he",          "this",       "are",        "or",
    "his",      "from",     "at",       "which",       "but",        "have",       "an",
    "had",      "they",     "you",      "were",        "their",      "one",        "all",
    "we",       "can",      "her",      "has",         "there",      "been",       "if",
    "more",     "when",     "will",     "would",       "who",        "so",         "no",
    "archive",  "folder",   "file",     "compression", "window",     "library",    "smallest",
    "format",   "member",   "header",   "stream",      "program",    "settings",   "between",
    "through",  "without",  "against",  "another",     "because",    "country",    "history",
    "morning",  "evening",  "question", "answer",      "government", "water",      "mountain",
    "river",    "village",  "thought",  "nothing",     "something",  "everything", "people",
    "children", "language", "station",  "machine",     "engineer",   "distance",   "universe",
    "garden"};

const std::vector<std::string> kIdentifiers = {
    "count",  "index",  "buffer", "length", "result", "value", "node", "next",  "state",   "offset",
    "reader", "writer", "table",  "entry",  "size",   "name",  "path", "flags", "options", "error"};
const std::vector<std::string> kTypes = {"int",  "size_t",      "uint32_t", "const char *",
                                         "bool", "std::string", "double",   "Node *"};

std::string sentence(Random &r)
{
    std::string s;
    const std::size_t words = 4 + r.below(14);
    for (std::size_t i = 0; i < words; ++i) {
        std::string w = kWords[r.skewed(kWords.size())];
        if (i == 0)
            w[0] = static_cast<char>(w[0] - 'a' + 'A');
        s += w;
        s += (i + 1 == words) ? ". " : (r.below(9) == 0 ? ", " : " ");
    }
    return s;
}

std::string textBytes(Random &r, std::size_t size)
{
    std::string out;
    while (out.size() < size) {
        const std::size_t sentences = 2 + r.below(6);
        for (std::size_t i = 0; i < sentences; ++i)
            out += sentence(r);
        out += "\n\n";
    }
    out.resize(size);
    return out;
}

std::string sourceBytes(Random &r, std::size_t size)
{
    std::string out;
    int function = 0;
    while (out.size() < size) {
        const std::string &type = kTypes[r.below(kTypes.size())];
        const std::string a = kIdentifiers[r.below(kIdentifiers.size())];
        const std::string b = kIdentifiers[r.below(kIdentifiers.size())];
        out += "// " + sentence(r) + "\n";
        out += "static " + type + " " + a + "_" + std::to_string(function++) + "(" + type + " " + b
            + ")\n{\n";
        const std::size_t lines = 3 + r.below(12);
        for (std::size_t i = 0; i < lines; ++i) {
            const std::string c = kIdentifiers[r.below(kIdentifiers.size())];
            switch (r.below(4)) {
            case 0:
                out += "    if (" + b + " > " + std::to_string(r.below(1000)) + ")\n        return "
                    + c + ";\n";
                break;
            case 1:
                out += "    " + c + " += " + b + " * " + std::to_string(r.below(64)) + ";\n";
                break;
            case 2:
                out += "    for (int i = 0; i < " + c + "; ++i)\n        " + b + "[i] = " + c
                    + "[i];\n";
                break;
            default:
                out +=
                    "    " + c + " = " + a + "(" + b + ", " + std::to_string(r.below(16)) + ");\n";
                break;
            }
        }
        out += "    return " + b + ";\n}\n\n";
    }
    out.resize(size);
    return out;
}

// Instruction-like bytes: a few hundred "functions" of common opcodes with varied
// operands, each reused with small changes, as in real executables.
std::string machineBytes(Random &r, std::size_t size)
{
    static const std::uint8_t opcodes[] = {0x48, 0x89, 0x8b, 0xe8, 0xc3, 0x55, 0x5d,
                                           0x41, 0x83, 0x0f, 0x85, 0x74, 0x75, 0xeb,
                                           0xff, 0x31, 0xc0, 0x90, 0x66};
    std::vector<std::string> routines;
    for (int i = 0; i < 400; ++i) {
        std::string routine;
        const std::size_t length = 40 + r.below(400);
        while (routine.size() < length) {
            routine.push_back(static_cast<char>(opcodes[r.skewed(sizeof opcodes)]));
            if (r.below(3) == 0)
                routine.push_back(static_cast<char>(r.below(256)));
        }
        routines.push_back(routine);
    }
    std::string out;
    while (out.size() < size) {
        std::string routine = routines[r.skewed(routines.size())];
        for (int k = 0; k < 4; ++k) // relocated addresses differ between copies
            routine[r.below(routine.size())] = static_cast<char>(r.below(256));
        out += routine;
        if (r.below(5) == 0)
            out.append(8 + r.below(24), '\0');
    }
    out.resize(size);
    return out;
}

std::string randomBytes(Random &r, std::size_t size)
{
    std::string out(size, '\0');
    for (std::size_t i = 0; i < size; i += 8) {
        const std::uint64_t v = r.next();
        for (std::size_t k = 0; k < 8 && i + k < size; ++k)
            out[i + k] = static_cast<char>(v >> (8 * k));
    }
    return out;
}

std::string logBytes(Random &r, std::size_t size)
{
    std::string out;
    std::uint64_t second = 1700000000;
    while (out.size() < size) {
        second += r.below(5);
        out += std::to_string(second) + " host" + std::to_string(r.below(8)) + " service["
            + std::to_string(1000 + r.below(50))
            + "]: " + kIdentifiers[r.below(kIdentifiers.size())] + "="
            + std::to_string(r.below(100000)) + " " + sentence(r) + "\n";
    }
    out.resize(size);
    return out;
}

void writeFile(const fs::path &path, const std::string &bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const fs::path root = argv[1];
    Random r(20261207);
    const std::size_t MB = 1 << 20;
    writeFile(root / "text" / "novel.txt", textBytes(r, 12 * MB));
    writeFile(root / "text" / "notes.txt", textBytes(r, 3 * MB));
    for (int i = 0; i < 12; ++i)
        writeFile(root / "source" / ("module" + std::to_string(i) + ".cpp"), sourceBytes(r, MB));
    writeFile(root / "bin" / "program", machineBytes(r, 9 * MB));
    writeFile(root / "bin" / "libsupport.so", machineBytes(r, 4 * MB));
    writeFile(root / "compressed" / "photos.jpg", randomBytes(r, 6 * MB));
    writeFile(root / "compressed" / "backup.gz", randomBytes(r, 3 * MB));
    writeFile(root / "logs" / "service.log", logBytes(r, 4 * MB));
    for (int i = 0; i < 2000; ++i) { // many small files, 0 to 8 KiB, in nested folders
        const fs::path folder =
            root / "small" / ("d" + std::to_string(i % 10)) / ("e" + std::to_string(i % 7));
        const std::size_t size = r.below(8192);
        writeFile(folder / ("f" + std::to_string(i) + (i % 2 ? ".txt" : ".c")),
                  i % 2 ? textBytes(r, size) : sourceBytes(r, size));
    }
    return 0;
}
