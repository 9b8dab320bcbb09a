#pragma once
// The tool's commands. Each one parses its own arguments and returns an exit
// status; errors it throws are reported by the dispatcher (error_report.h).

#include "tools/cli/args.h"

#include <string>
#include <vector>

namespace qcli {

struct Command {
    const char* name;
    const char* synopsis;      // one line for the overview
    const char* help;          // full text for "quenzil <name> --help"
    std::vector<OptionRule> options;
    int (*run)(const ParsedArgs& args);
};

// Every command, in the order the overview lists them.
const std::vector<Command>& AllCommands();

// The commands, one per file.
const Command& VersionCommand();
const Command& ExtractCommand();
const Command& ConvertCommand();
const Command& InfoCommand();
const Command& PackCommand();

// Runs the tool on argv; what main returns.
int Main(int argc, char** argv);

}  // namespace qcli
