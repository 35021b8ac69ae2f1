#include "app/commandline.h"

#include <charconv>

#include "app/windowlayout.h"

namespace lumivox {

namespace {

constexpr char kRequestTag[] = "lumivox-command";
// A command is a few short words; anything longer is not one of ours.
constexpr std::size_t kMaxRequest = 512;

struct Switch {
    const char* name;
    CommandAction action; // Start: an option, not an action
};

constexpr Switch kSwitches[] = {
    {"--say-time", CommandAction::SayTime}, {"--countdown", CommandAction::Countdown},
    {"--until", CommandAction::Until},      {"--stop", CommandAction::Stop},
    {"--status", CommandAction::Status},    {"--show", CommandAction::Show},
    {"--quit", CommandAction::Quit},        {"--help", CommandAction::Help},
    {"--version", CommandAction::Version},
};

// A whole number of at most three digits within the box's list.
std::optional<int> Number(std::string_view text, ControlId box) {
    int value = 0;
    if (text.empty() || text.size() > 3)
        return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    const layout::Control& c = layout::Find(box);
    if (error != std::errc() || end != text.data() + text.size() || value < c.firstItem ||
        value > c.lastItem)
        return std::nullopt;
    return value;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// "H:M:S" (or "H:M" where seconds may be left out) into the three boxes' ranges.
bool ReadTime(std::string_view text, bool secondsOptional, const ControlId (&boxes)[3],
              Command& command) {
    const std::vector<std::string_view> parts = Split(text, ':');
    if (parts.size() != 3 && !(secondsOptional && parts.size() == 2))
        return false;
    int* fields[] = {&command.hours, &command.minutes, &command.seconds};
    command.seconds = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::optional<int> value = Number(parts[i], boxes[i]);
        if (!value)
            return false;
        *fields[i] = *value;
    }
    return true;
}

std::optional<LastEvery> ReadLastEvery(std::string_view text, ControlId lastBox,
                                       ControlId everyBox) {
    const std::vector<std::string_view> parts = Split(text, '/');
    if (parts.size() != 2)
        return std::nullopt;
    const std::optional<int> last = Number(parts[0], lastBox);
    const std::optional<int> every = Number(parts[1], everyBox);
    if (!last || !every)
        return std::nullopt;
    return LastEvery{*last, *every};
}

ParsedCommand Wrong(std::string line) {
    return {std::nullopt, std::move(line)};
}

} // namespace

ParsedCommand ParseCommand(const std::vector<std::string>& args) {
    using enum ControlId;
    Command command;
    command.args = args;
    bool actionGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string* {
            return i + 1 < args.size() ? &args[++i] : nullptr;
        };
        if (arg == "--cyclic" || arg == "--cue") {
            (arg == "--cyclic" ? command.cyclic : command.cue) = true;
            command.optionsGiven = true;
            continue;
        }
        if (arg == "--last-minutes" || arg == "--last-seconds") {
            const bool minutes = arg == "--last-minutes";
            const std::string* text = value();
            auto read = text ? ReadLastEvery(*text, minutes ? cbbLastMin : cbbLastSec,
                                             minutes ? cbbPerMin : cbbPerSec)
                             : std::nullopt;
            if (!read)
                return Wrong(arg + " takes N/M: in the last N, every M (for example 5/1)");
            (minutes ? command.lastMinutes : command.lastSeconds) = read;
            command.optionsGiven = true;
            continue;
        }
        if (arg == "--json") {
            command.json = true;
            continue;
        }
        const Switch* found = nullptr;
        for (const Switch& s : kSwitches)
            if (arg == s.name)
                found = &s;
        if (!found)
            return Wrong("unknown argument: " + arg);
        if (actionGiven)
            return Wrong("one command at a time: " + arg);
        actionGiven = true;
        command.action = found->action;
        if (found->action == CommandAction::Countdown) {
            const std::string* text = value();
            if (!text || !ReadTime(*text, false, {cbbHour, cbbMin, cbbSec}, command))
                return Wrong("--countdown takes H:M:S, hours 0-23, minutes and seconds 0-59");
        }
        if (found->action == CommandAction::Until) {
            const std::string* text = value();
            if (!text || !ReadTime(*text, true, {cbbUntilHour, cbbUntilMin, cbbUntilSec}, command))
                return Wrong("--until takes HH:MM or HH:MM:SS, a time of day");
        }
    }
    const bool counts =
        command.action == CommandAction::Countdown || command.action == CommandAction::Until;
    if (command.optionsGiven && !counts)
        return Wrong("--cyclic, --cue, --last-minutes and --last-seconds go with --countdown "
                     "or --until");
    if (command.optionsGiven && !command.cue && !command.lastMinutes && !command.lastSeconds)
        return Wrong("nothing to count: add --cue, --last-minutes or --last-seconds");
    if (command.json && command.action != CommandAction::Status)
        return Wrong("--json goes with --status");
    return {command, {}};
}

std::string CommandUsage() {
    return "Usage: lumivox [command]\n"
           "  (none)                 start, or bring the running window forward\n"
           "  --say-time             speak the time now\n"
           "  --countdown H:M:S      count down from H:M:S, as the start button does\n"
           "      --cyclic --cue --last-minutes N/M --last-seconds N/M\n"
           "                         the countdown's options (in the last N, every M);\n"
           "                         given any, they replace the page's\n"
           "  --until HH:MM[:SS]     count down to a time of day\n"
           "  --stop                 stop the countdown\n"
           "  --status [--json]      print what is left, or idle\n"
           "  --show                 bring the window forward\n"
           "  --quit                 end the running copy\n"
           "  --help, --version      print this, or the version\n"
           "Exit status: 0 done, 2 usage error, 3 not running.\n";
}

bool StartsCopy(CommandAction action) {
    return action == CommandAction::Start || action == CommandAction::SayTime ||
           action == CommandAction::Countdown || action == CommandAction::Until ||
           action == CommandAction::Show;
}

bool NeedsRunningCopy(CommandAction action) {
    return action == CommandAction::Stop || action == CommandAction::Status ||
           action == CommandAction::Quit;
}

std::string CommandRequest(const Command& command) {
    std::string line = kRequestTag;
    for (const std::string& arg : command.args)
        line += '\t' + arg;
    return line + '\n';
}

std::optional<Command> ReadCommandRequest(const std::string& line) {
    if (line.size() > kMaxRequest || line.empty() || line.back() != '\n')
        return std::nullopt;
    const std::vector<std::string_view> words =
        Split(std::string_view(line).substr(0, line.size() - 1), '\t');
    if (words.front() != kRequestTag)
        return std::nullopt;
    std::vector<std::string> args(words.begin() + 1, words.end());
    ParsedCommand parsed = ParseCommand(args);
    if (!parsed.command || parsed.command->action == CommandAction::Start ||
        parsed.command->action == CommandAction::Help ||
        parsed.command->action == CommandAction::Version)
        return std::nullopt;
    return parsed.command;
}

std::string ReplyLine(const CommandReply& reply) {
    return std::to_string(reply.status) + '\t' + reply.text + '\n';
}

std::optional<CommandReply> ReadReplyLine(const std::string& line) {
    const std::size_t tab = line.find('\t');
    if (tab != 1 || line.size() > kMaxRequest || line.back() != '\n' || line[0] < '0' ||
        line[0] > '9' || line.find('\n') != line.size() - 1)
        return std::nullopt;
    return CommandReply{line[0] - '0', line.substr(2, line.size() - 3)};
}

} // namespace lumivox
