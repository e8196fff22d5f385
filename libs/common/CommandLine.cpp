#include "CommandLine.h"

#include <cctype>

namespace vexel::kit {
namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i]))
            != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

struct Token {
    std::string text;
    bool quoted = false;
};

// Reads one token at `pos`; false when a quote is left open.
bool readToken(std::string_view line, std::size_t *pos, Token *token)
{
    std::size_t i = *pos;
    token->text.clear();
    token->quoted = false;
    while (i < line.size() && !isBlank(line[i])) {
        if (line[i] == '"') {
            // The program quotes paths without escaping, so a path may itself hold a
            // double quote: only a quote that ends the word (a blank or the line's end
            // follows) closes it.
            std::size_t close = line.find('"', i + 1);
            while (close != std::string_view::npos && close + 1 < line.size()
                   && !isBlank(line[close + 1]))
                close = line.find('"', close + 1);
            if (close == std::string_view::npos)
                return false;
            token->text.append(line.substr(i + 1, close - i - 1));
            token->quoted = true;
            i = close + 1;
        } else {
            token->text.push_back(line[i++]);
        }
    }
    *pos = i;
    return true;
}

std::string trimmed(std::string_view text)
{
    std::size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

} // namespace

bool ParsedCommand::hasSwitch(std::string_view name) const
{
    for (const std::string &s : switches) {
        if (sameIgnoringCase(s, name))
            return true;
    }
    return false;
}

std::optional<std::string> ParsedCommand::switchValue(std::string_view prefix) const
{
    for (auto it = switches.rbegin(); it != switches.rend(); ++it) {
        if (it->size() >= prefix.size()
            && sameIgnoringCase(std::string_view(*it).substr(0, prefix.size()), prefix))
            return it->substr(prefix.size());
    }
    return std::nullopt;
}

bool parseCommandLine(std::string_view line, const CommandSyntax &syntax, ParsedCommand *out,
                      std::string *reason)
{
    *out = ParsedCommand{};
    std::vector<std::string> paths;
    std::size_t pos = 0;
    while (true) {
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        if (pos >= line.size())
            break;
        if (line[pos] == '@') {
            // The list file ends the line. Unquoted, it runs to the end of the line.
            std::string_view rest = line.substr(pos + 1);
            std::string restTrimmed = trimmed(rest);
            if (restTrimmed.size() >= 2 && restTrimmed.front() == '"' && restTrimmed.back() == '"')
                restTrimmed = restTrimmed.substr(1, restTrimmed.size() - 2);
            out->listFile = restTrimmed;
            if (out->listFile.empty()) {
                *reason = "the command line names no list file after \"@\"";
                return false;
            }
            break;
        }
        Token token;
        if (!readToken(line, &pos, &token)) {
            *reason = "the command line has an unclosed double quote";
            return false;
        }
        if (!token.quoted && token.text.size() > 1 && token.text[0] == '-') {
            out->switches.push_back(token.text);
        } else if (!token.quoted && syntax.takesCommandWord && out->command.empty()
                   && paths.empty()) {
            out->command = token.text;
        } else {
            paths.push_back(token.text);
        }
    }
    if (paths.empty() || paths[0].empty()) {
        *reason = "the command line names no archive";
        return false;
    }
    if (paths.size() > 2) {
        *reason = "the command line has an unexpected word: " + paths[2];
        return false;
    }
    out->archivePath = paths[0];
    if (paths.size() == 2 && !paths[1].empty()) {
        out->baseFolder = paths[1];
        if (out->baseFolder.back() != '/')
            out->baseFolder.push_back('/');
    }
    return true;
}

} // namespace vexel::kit
