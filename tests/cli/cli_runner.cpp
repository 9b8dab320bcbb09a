#include "tests/cli/cli_runner.h"

#include "tests/support/temp_dir.h"

#include <sys/wait.h>

#include <cstdlib>

namespace qtest {
namespace {

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args, const std::string& workDir) {
    const std::string outFile = workDir + "/.cli-stdout";
    const std::string errFile = workDir + "/.cli-stderr";
    std::string command = "cd " + ShellQuote(workDir) + " && " + ShellQuote(QUENZIL_CLI_PATH);
    for (const std::string& arg : args) command += " " + ShellQuote(arg);
    command += " </dev/null >" + ShellQuote(outFile) + " 2>" + ShellQuote(errFile);

    CliResult result;
    const int status = std::system(command.c_str());
    if (status != -1 && WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
    result.out = ReadFileBytes(outFile);
    result.err = ReadFileBytes(errFile);
    return result;
}

std::string SamplePath(const std::string& name) { return std::string(QUENZIL_SAMPLE_DIR) + "/" + name; }

}  // namespace qtest
