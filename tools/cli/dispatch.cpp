#include "exports/library_identity.h"
#include "tools/cli/commands.h"
#include "tools/cli/error_report.h"
#include "tools/cli/text.h"

#include <cstdio>
#include <cstring>

namespace qcli {
namespace {

void PrintOverview(std::FILE* stream) {
    std::fputs(
        "usage: quenzil <command> [arguments]\n"
        "       quenzil --help | --version\n"
        "\n"
        "Reads and writes project files.\n"
        "\n"
        "Commands:\n",
        stream);
    for (const Command& command : AllCommands()) std::fprintf(stream, "  %s\n", command.synopsis);
    std::fputs(
        "\n"
        "Run 'quenzil <command> --help' for the options of a command.\n"
        "Exit status: 0 success, 1 bad input (the error is printed on stderr), 2 usage error.\n",
        stream);
}

const Command* FindCommand(const std::string& name) {
    for (const Command& command : AllCommands())
        if (name == command.name) return &command;
    return nullptr;
}

}  // namespace

const std::vector<Command>& AllCommands() {
    static const std::vector<Command> commands = {VersionCommand(), ExtractCommand(), ConvertCommand(),
                                                  InfoCommand(), PackCommand()};
    return commands;
}

int Main(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (args.empty()) {
        PrintOverview(stderr);
        return kExitUsage;
    }
    const std::string& first = args[0];
    if (first == "--help" || first == "-h" || first == "help") {
        if (first == "help" && args.size() > 1) {
            if (const Command* command = FindCommand(args[1])) {
                std::fputs(command->help, stdout);
                return kExitOk;
            }
        }
        PrintOverview(stdout);
        return kExitOk;
    }
    if (first == "--version") {
        std::printf("%s\n", Utf8(Quenzil_02_00_00_00::__g_korlibrary_info).c_str());
        return kExitOk;
    }
    const Command* command = FindCommand(first);
    if (command == nullptr) {
        PrintError("unknown command '" + first + "'");
        std::fputs("Run 'quenzil --help' for the list of commands.\n", stderr);
        return kExitUsage;
    }

    const std::vector<std::string> rest(args.begin() + 1, args.end());
    return RunReported(command->name, {}, [&] {
        const ParsedArgs parsed = ParseArgs(rest, command->options);
        if (parsed.help) {
            std::fputs(command->help, stdout);
            return kExitOk;
        }
        return command->run(parsed);
    });
}

}  // namespace qcli
