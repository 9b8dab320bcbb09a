#include "tools/cli/args.h"

#include <cstdint>

namespace qcli {

std::string ParsedArgs::Value(const std::string& name, const std::string& fallback) const {
    auto it = options.find(name);
    return it == options.end() || it->second.empty() ? fallback : it->second.back();
}

std::vector<std::string> ParsedArgs::Values(const std::string& name) const {
    auto it = options.find(name);
    return it == options.end() ? std::vector<std::string>{} : it->second;
}

ParsedArgs ParseArgs(const std::vector<std::string>& args, const std::vector<OptionRule>& rules) {
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            parsed.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            parsed.help = true;
            continue;
        }
        if (arg.compare(0, 2, "--") != 0) throw UsageError{"unknown option '" + arg + "'"};

        const size_t equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        const OptionRule* rule = nullptr;
        for (const OptionRule& candidate : rules)
            if (candidate.name == name) rule = &candidate;
        if (rule == nullptr) throw UsageError{"unknown option '--" + name + "'"};
        if (parsed.Has(name) && !rule->repeatable)
            throw UsageError{"option '--" + name + "' given more than once"};

        std::string value;
        if (rule->takesValue) {
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                throw UsageError{"option '--" + name + "' needs a value"};
            }
        } else if (equals != std::string::npos) {
            throw UsageError{"option '--" + name + "' takes no value"};
        }
        parsed.options[name].push_back(value);
    }
    return parsed;
}

void RequirePositional(const ParsedArgs& parsed, size_t minimum, size_t maximum) {
    const size_t count = parsed.positional.size();
    if (count < minimum) throw UsageError{"missing argument"};
    if (count > maximum) throw UsageError{"unexpected argument '" + parsed.positional[maximum] + "'"};
}

uint32_t ParseUnsigned(const std::string& text, const std::string& option, bool allowHex) {
    const UsageError bad{"option '--" + option + "' needs " +
                         (allowHex ? "a decimal or 0x-prefixed hexadecimal" : "a decimal") +
                         " number of at most 32 bits, not '" + text + "'"};
    size_t start = 0;
    int base = 10;
    if (allowHex && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        start = 2;
        base = 16;
    }
    if (start == text.size()) throw bad;
    uint64_t value = 0;
    for (size_t i = start; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else throw bad;
        value = value * base + digit;
        if (value > UINT32_MAX) throw bad;
    }
    return uint32_t(value);
}

}  // namespace qcli
