#include "app/BatchOptions.h"

#include "run/FormatTable.h"

#include <QCommandLineParser>
#include <QStringList>

namespace vexel {

namespace {

// Latin-1 maps every byte to one character and back, so an argument that is not UTF-8
// passes through the parser unchanged; option names are ASCII either way.
QString fromBytes(const std::string &bytes)
{
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

std::string toBytes(const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

struct Options {
    QCommandLineOption batch{QStringLiteral("batch")};
    QCommandLineOption output{
        {QStringLiteral("o"), QStringLiteral("output")}, {}, QStringLiteral("NAME")};
    QCommandLineOption saveDir{
        {QStringLiteral("d"), QStringLiteral("save-dir")}, {}, QStringLiteral("DIR")};
    QCommandLineOption formats{
        {QStringLiteral("f"), QStringLiteral("formats")}, {}, QStringLiteral("LIST")};
    QCommandLineOption lha{QStringLiteral("lha"), {}, QStringLiteral("METHOD")};
    QCommandLineOption cab{QStringLiteral("cab"), {}, QStringLiteral("METHOD")};
    QCommandLineOption zipLevel{QStringLiteral("zip-level"), {}, QStringLiteral("N")};
    QCommandLineOption bgaLevel{QStringLiteral("bga-level"), {}, QStringLiteral("N")};
    QCommandLineOption jobs{{QStringLiteral("j"), QStringLiteral("jobs")}, {}, QStringLiteral("N")};
    QCommandLineOption quiet{{QStringLiteral("q"), QStringLiteral("quiet")}};
    QCommandLineOption json{QStringLiteral("json")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")}};

    QList<QCommandLineOption> batchOnly() const
    {
        return {output, saveDir, formats, lha, cab, zipLevel, bgaLevel, jobs, quiet, json};
    }
    QList<QCommandLineOption> all() const
    {
        QList<QCommandLineOption> list = batchOnly();
        list << batch << help << version;
        return list;
    }
};

// The last value given for an option (a later one overrides an earlier one).
std::string lastValue(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    const QStringList values = parser.values(option);
    return values.isEmpty() ? std::string() : toBytes(values.last());
}

std::string lowered(std::string text)
{
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

std::string trimmed(const std::string &text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A whole decimal number from `low` to `high`, written without sign or blanks.
bool inRange(const std::string &text, int low, int high)
{
    if (text.empty() || text.size() > 2)
        return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return value >= low && value <= high;
}

bool readFormats(const std::string &list, std::vector<std::string> *formats, std::string *error)
{
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        const std::string item = trimmed(list.substr(start, comma - start));
        const FormatInfo *found = nullptr;
        for (const FormatInfo &format : formatTable())
            if (lowered(std::string(format.entryText)) == lowered(item))
                found = &format;
        if (found == nullptr) {
            *error = "unknown format '" + item
                + "' in --formats (known: LHA, ZIP, CAB, GZIP, "
                  "BZIP2, RAR, GCA, ACE)";
            return false;
        }
        formats->emplace_back(found->entryText);
        if (comma == std::string::npos)
            return true;
        start = comma + 1;
    }
}

bool readLha(const std::string &value, BatchOptions *options, std::string *error)
{
    const std::string method = lowered(value);
    if (method == "lh5" || method == "lh6" || method == "lh7") {
        options->LHAFreezeType = std::string(1, char(method[2] - '5' + '2'));
        return true;
    }
    *error = "--lha takes lh5, lh6 or lh7, not '" + value + "'";
    return false;
}

bool readCab(const std::string &value, BatchOptions *options, std::string *error)
{
    const std::string method = lowered(value);
    if (method == "mszip") {
        options->CABFreezeType = "0";
        return true;
    }
    if (method.starts_with("lzx:") && inRange(method.substr(4), 15, 21)) {
        options->CABFreezeType = "1";
        options->CABFreezeLevel = method.substr(4);
        return true;
    }
    *error = "--cab takes mszip or lzx:15 ... lzx:21, not '" + value + "'";
    return false;
}

bool readLevel(const std::string &name, const std::string &value, std::optional<std::string> *level,
               std::string *error)
{
    if (!inRange(value, 1, 9)) {
        *error = "--" + name + " takes a level from 1 to 9, not '" + value + "'";
        return false;
    }
    *level = value;
    return true;
}

bool readJobs(const std::string &value, BatchOptions *options, std::string *error)
{
    if (!inRange(value, 0, 8)) {
        *error = "--jobs takes a number of formats from 0 (one per core) to 8, not '" + value + "'";
        return false;
    }
    options->jobs = std::stoi(value);
    return true;
}

// The batch options' values, checked; false with a message on the first bad one.
bool readBatchValues(const QCommandLineParser &parser, const Options &o, BatchOptions *options,
                     std::string *error)
{
    options->output = lastValue(parser, o.output);
    if (options->output.empty()) {
        *error = "the batch mode needs an output name: -o NAME";
        return false;
    }
    if (options->output.find('/') != std::string::npos) {
        *error = "the output name '" + options->output
            + "' must be a file name without '/'; give the folder with -d DIR";
        return false;
    }
    if (parser.isSet(o.saveDir)) {
        options->saveDir = lastValue(parser, o.saveDir);
        if (options->saveDir.empty()) {
            *error = "-d needs a folder";
            return false;
        }
    }
    if (parser.isSet(o.formats)) {
        options->formats.emplace();
        if (!readFormats(lastValue(parser, o.formats), &*options->formats, error))
            return false;
    }
    if (parser.isSet(o.lha) && !readLha(lastValue(parser, o.lha), options, error))
        return false;
    if (parser.isSet(o.cab) && !readCab(lastValue(parser, o.cab), options, error))
        return false;
    if (parser.isSet(o.zipLevel)
        && !readLevel("zip-level", lastValue(parser, o.zipLevel), &options->ZIPFreezeLevel, error))
        return false;
    if (parser.isSet(o.bgaLevel)
        && !readLevel("bga-level", lastValue(parser, o.bgaLevel), &options->BGAFreezeLevel, error))
        return false;
    if (parser.isSet(o.jobs) && !readJobs(lastValue(parser, o.jobs), options, error))
        return false;
    options->quiet = parser.isSet(o.quiet);
    options->json = parser.isSet(o.json);
    for (const QString &name : parser.positionalArguments())
        options->names.push_back(toBytes(name));
    if (options->names.empty()) {
        *error = "no files or folders to archive were named";
        return false;
    }
    return true;
}

} // namespace

bool wantsCommandLineMode(const std::vector<std::string> &arguments)
{
    const Options o;
    for (const std::string &argument : arguments) {
        if (argument == "--")
            return false;
        if (argument.size() < 2 || argument[0] != '-')
            continue;
        // "--output=NAME" names the option before its "=".
        const std::string word = argument.substr(0, argument.find('='));
        for (const QCommandLineOption &option : o.all())
            for (const QString &name : option.names())
                if (word == (name.size() == 1 ? "-" : "--") + name.toStdString())
                    return true;
    }
    return false;
}

ParsedCommandLine parseCommandLine(const std::vector<std::string> &arguments)
{
    ParsedCommandLine parsed;
    const Options o;
    QCommandLineParser parser;
    parser.addOptions(o.all());
    QStringList list{QStringLiteral("vexel")};
    for (const std::string &argument : arguments)
        list << fromBytes(argument);
    if (!parser.parse(list)) {
        parsed.error = toBytes(parser.errorText());
        return parsed;
    }
    BatchOptions &options = parsed.options;
    if (parser.isSet(o.help)) {
        options.mode = CommandMode::Help;
        return parsed;
    }
    if (parser.isSet(o.version)) {
        options.mode = CommandMode::Version;
        return parsed;
    }
    if (!parser.isSet(o.batch)) {
        for (const QCommandLineOption &option : o.batchOnly())
            if (parser.isSet(option)) {
                parsed.error = "--" + toBytes(option.names().last()) + " needs --batch";
                return parsed;
            }
        options.mode = CommandMode::Window;
        for (const QString &name : parser.positionalArguments())
            options.names.push_back(toBytes(name));
        return parsed;
    }
    options.mode = CommandMode::Batch;
    readBatchValues(parser, o, &options, &parsed.error);
    return parsed;
}

std::string usageText()
{
    return "Usage: vexel [FILE|FOLDER]...\n"
           "       vexel --batch -o NAME [options] [--] FILE|FOLDER...\n"
           "\n"
           "Archives the files in every chosen format and keeps the smallest archive.\n"
           "Without --batch the window opens with the named files.\n"
           "\n"
           "Batch options:\n"
           "  -o, --output NAME     output name; an extension of a format (.lzh .zip .cab .gza\n"
           "                        .bza .rar .gca .ace) makes that format alone, under NAME\n"
           "  -d, --save-dir DIR    save folder (default: the current directory)\n"
           "  -f, --formats LIST    formats to try, e.g. LHA,ZIP,CAB,GZIP,BZIP2\n"
           "                        (default: the formats ticked in the window)\n"
           "      --lha METHOD      lh5, lh6 or lh7\n"
           "      --cab METHOD      mszip, or lzx:15 ... lzx:21\n"
           "      --zip-level N     1 ... 9\n"
           "      --bga-level N     1 ... 9 (GZIP and BZIP2)\n"
           "  -j, --jobs N          formats made at once: 1 one after another, 0 one per\n"
           "                        core (default: as stored by the window)\n"
           "  -q, --quiet           no progress lines and no report\n"
           "      --json            the report as one JSON object\n"
           "  -h, --help            this text\n"
           "  -v, --version         the version\n"
           "\n"
           "Methods, levels and jobs not given are the ones stored by the window; the settings\n"
           "file is never written in batch mode.\n"
           "Exit status: 0 saved, 1 the run failed or was refused, 2 usage error,\n"
           "130 interrupted (nothing saved).\n";
}

} // namespace vexel
