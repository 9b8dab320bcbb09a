#pragma once
// Command-line parsing for the tool's commands: positional arguments and
// "--name", "--name value" or "--name=value" options.

#include <map>
#include <string>
#include <vector>

namespace qcli {

// A command line the command cannot accept; reported with exit status 2.
struct UsageError {
    std::string message;
};

// One option a command accepts. A flag takes no value; an option with a value
// may be repeated only when repeatable is set.
struct OptionRule {
    std::string name;  // without the leading "--"
    bool takesValue = false;
    bool repeatable = false;
};

struct ParsedArgs {
    std::vector<std::string> positional;
    std::map<std::string, std::vector<std::string>> options;  // flags hold one empty value
    bool help = false;                                         // -h or --help was given

    bool Has(const std::string& name) const { return options.count(name) != 0; }
    // The value of a single-valued option, or fallback when it was not given.
    std::string Value(const std::string& name, const std::string& fallback = {}) const;
    // Every value of an option, in command-line order.
    std::vector<std::string> Values(const std::string& name) const;
};

// Parses the arguments that follow the command name. "-" counts as a
// positional argument and "--" ends the options. Throws UsageError for an
// unknown option, a missing or unexpected value, or a repeated option that is
// not repeatable. -h/--help anywhere sets help and stops nothing else.
ParsedArgs ParseArgs(const std::vector<std::string>& args, const std::vector<OptionRule>& rules);

// Checks the positional count; throws UsageError naming what is missing or extra.
void RequirePositional(const ParsedArgs& parsed, size_t minimum, size_t maximum);

// Reads a decimal number (or 0x-prefixed hexadecimal when allowHex) that fits
// in 32 bits unsigned; throws UsageError naming option on anything else.
uint32_t ParseUnsigned(const std::string& text, const std::string& option, bool allowHex);

}  // namespace qcli
