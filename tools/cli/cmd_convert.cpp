// quenzil convert: an ANSI text file to UTF-16 through ConvertToUnicode.
#include "exports/convert_to_unicode.h"
#include "platform/code_page.h"
#include "platform/diagnostics.h"
#include "tools/cli/commands.h"
#include "tools/cli/error_report.h"
#include "tools/cli/text.h"

#include <cstdio>

namespace qcli {
namespace {

// Re-encodes a command-line path for the code page the conversion reads paths
// in; refuses a path that the code page cannot spell.
std::string PathInCodePage(const std::string& arg, uint32_t argCodePage, uint32_t codePage) {
    if (codePage == argCodePage) return arg;
    const std::u16string wide = platform::MultiByteToWide(argCodePage, arg);
    const std::string narrow = platform::WideToMultiByte(codePage, wide);
    if (platform::MultiByteToWide(codePage, narrow) != wide)
        throw InputError{"the path '" + arg + "' cannot be written in code page " + std::to_string(codePage)};
    return narrow;
}

int Convert(const ParsedArgs& args) {
    RequirePositional(args, 2, 2);
    const uint32_t argCodePage = platform::GetAnsiCodePage();
    uint32_t codePage = argCodePage;
    if (args.Has("codepage")) {
        codePage = ParseUnsigned(args.Value("codepage"), "codepage", false);
        if (codePage == platform::kCodePageAnsi || codePage == platform::kCodePageThreadAnsi ||
            !platform::IsCodePageSupported(codePage))
            throw UsageError{"code page " + args.Value("codepage") + " is not supported here"};
    }
    const std::string input = PathInCodePage(args.positional[0], argCodePage, codePage);
    const std::string output = PathInCodePage(args.positional[1], argCodePage, codePage);

    // The conversion reports failures in message boxes: show them on stderr.
    // Its path texts are in the chosen code page; print them as UTF-8.
    platform::SetMessageBoxSink([codePage](std::string_view caption, std::string_view text) {
        PrintError(std::string(caption) + ": " + Utf8(platform::MultiByteToWide(codePage, text)));
    });
    const uint32_t previous = platform::SetAnsiCodePage(codePage);
    const bool converted = ConvertToUnicode(input.c_str(), output.c_str());
    platform::SetAnsiCodePage(previous);
    platform::SetMessageBoxSink({});
    return converted ? kExitOk : kExitBadInput;
}

}  // namespace

const Command& ConvertCommand() {
    static const Command command{
        "convert",
        "convert IN OUT [--codepage N]   convert an ANSI text file to UTF-16",
        "usage: quenzil convert IN OUT [--codepage N]\n"
        "\n"
        "Converts the ANSI text file IN into the UTF-16 little-endian text file OUT:\n"
        "a byte-order mark FF FE, then the text with line ends written as CR LF.\n"
        "An existing OUT is overwritten.\n"
        "\n"
        "Options:\n"
        "  --codepage N   read IN in code page N (for example 1252 or 65001);\n"
        "                 default: the system's ANSI code page, UTF-8 on Linux\n"
        "\n"
        "Failures are reported on stderr with the conversion's own message,\n"
        "e.g. \"quenzil: Can`t open ANSI file: in.txt\", and exit status 1.\n",
        {{"codepage", true, false}},
        Convert};
    return command;
}

}  // namespace qcli
