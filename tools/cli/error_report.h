#pragma once
// Turns whatever a command throws into one line on stderr and an exit status,
// so no library error ends the tool with a raw abort.

#include <functional>
#include <string>

namespace qcli {

// Exit statuses of every command.
constexpr int kExitOk = 0;
constexpr int kExitBadInput = 1;
constexpr int kExitUsage = 2;

// What the tool reports for a caught exception.
struct ErrorDescription {
    std::string text;   // e.g. "MSAXError::MNotAKorProjectFile (527): Not a valid project file"
    int exitStatus;     // kExitBadInput, or kExitUsage for a UsageError
};

// Describes the exception being handled; call only inside a catch block.
// Library errors are named by their most derived type, with code and message
// (MSAXError), extra detail and stop tag when set, or message and entry name
// (MZipArchiveError).
ErrorDescription DescribeCurrentException();

// Runs body and returns its status; an exception is reported on stderr as
// "quenzil: <context>: <description>" (no context part when context is empty)
// and turned into its exit status. A usage error adds a hint to run
// "quenzil <command> --help".
int RunReported(const std::string& command, const std::string& context, const std::function<int()>& body);

// Writes "quenzil: <text>" and a line end to stderr.
void PrintError(const std::string& text);

}  // namespace qcli
