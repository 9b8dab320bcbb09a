#pragma once
// Runs the built `quenzil` binary with arguments and captures what it prints.

#include <string>
#include <vector>

namespace qtest {

struct CliResult {
    int exitStatus = -1;  // -1 when the process did not exit normally
    std::string out;
    std::string err;
};

// Runs the tool in directory workDir (a scratch directory for its outputs)
// with stdin from /dev/null and stdout and stderr captured.
CliResult RunCli(const std::vector<std::string>& args, const std::string& workDir);

// Path of a packed sample project file.
std::string SamplePath(const std::string& name);

}  // namespace qtest
