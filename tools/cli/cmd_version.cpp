// quenzil version: the version stored in project files, through FileVersion.
#include "exports/file_version.h"
#include "tools/cli/commands.h"
#include "tools/cli/error_report.h"

#include <cstdint>
#include <cstdio>

namespace qcli {
namespace {

int Version(const ParsedArgs& args) {
    RequirePositional(args, 1, SIZE_MAX);
    const bool several = args.positional.size() > 1;
    int status = kExitOk;
    for (const std::string& file : args.positional) {
        // One failing file is reported and the others are still answered.
        const int result = RunReported("version", several ? file : std::string(), [&] {
            int32_t major = 0, minor = 0, fixed = 0, build = 0;
            FileVersion(file.c_str(), &major, &minor, &fixed, &build);
            if (several)
                std::printf("%s: %d.%d.%d.%d\n", file.c_str(), major, minor, fixed, build);
            else
                std::printf("%d.%d.%d.%d\n", major, minor, fixed, build);
            return kExitOk;
        });
        if (result != kExitOk) status = result;
    }
    return status;
}

}  // namespace

const Command& VersionCommand() {
    static const Command command{
        "version",
        "version FILE...                 print the version stored in project files",
        "usage: quenzil version FILE...\n"
        "\n"
        "Prints the four version numbers that each project file stores (the\n"
        "\"Major\", \"Minor\", \"Fixed\" and \"Build\" elements under \"Version\") as\n"
        "major.minor.fixed.build, exactly as an installer's FileVersion call gets\n"
        "them; numbers the document lacks are 0. With several files, each line\n"
        "starts with the file name and a colon. A file that cannot be read is\n"
        "reported on stderr and the others are still answered; the exit status is\n"
        "then 1.\n",
        {},
        Version};
    return command;
}

}  // namespace qcli
