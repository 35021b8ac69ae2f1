// The program's command line, and the one line that carries a command to the copy
// already running. Both ends read a command with the same parser, so the running copy
// takes nothing a command line could not say.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace lumivox {

enum class CommandAction {
    Start,
    SayTime,
    Countdown,
    Until,
    Stop,
    Status,
    Show,
    Quit,
    Help,
    Version
};

// Exit statuses of a command.
inline constexpr int kExitDone = 0;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNotRunning = 3;

// "--last-minutes N/M": in the last N, every M.
struct LastEvery {
    int last = 0;
    int every = 0;
};

struct Command {
    CommandAction action = CommandAction::Start;
    std::vector<std::string> args; // as given, for the running copy
    // --countdown H:M:S, or --until HH:MM[:SS].
    int hours = 0, minutes = 0, seconds = 0;
    // Countdown options; when any is given, they are the whole set.
    bool optionsGiven = false;
    bool cyclic = false;
    bool cue = false;
    std::optional<LastEvery> lastMinutes, lastSeconds;
    bool json = false;
};

struct ParsedCommand {
    std::optional<Command> command;
    std::string error; // one line, when command is empty
};

// args: the arguments after the program's name.
ParsedCommand ParseCommand(const std::vector<std::string>& args);
std::string CommandUsage();

// Whether the command asks the running copy (or a copy it starts) to act.
bool StartsCopy(CommandAction action);
bool NeedsRunningCopy(CommandAction action);

// A command as the one line sent to the running copy, and back; nullopt for anything
// that is not a command a copy acts on.
std::string CommandRequest(const Command& command);
std::optional<Command> ReadCommandRequest(const std::string& line);

// What the running copy answers: an exit status and a line to print.
struct CommandReply {
    int status = kExitDone;
    std::string text;
};
std::string ReplyLine(const CommandReply& reply);
std::optional<CommandReply> ReadReplyLine(const std::string& line);

} // namespace lumivox
