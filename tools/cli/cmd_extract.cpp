// quenzil extract: the deciphered "header.xml" of a project file.
#include "platform/file_io.h"
#include "platform/temp_directory.h"
#include "platform/terminal.h"
#include "reader/sax_reader.h"
#include "tools/cli/commands.h"
#include "tools/cli/error_report.h"
#include "tools/cli/text.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>

namespace qcli {
namespace {

// A file in the system's temporary directory, deleted with this object.
class TempFile {
public:
    TempFile() {
        const uint32_t needed = platform::GetTempDirectory(0, nullptr);
        if (needed == 0) throw InputError{"the system reports no temporary directory"};
        std::u16string directory(needed, u'\0');
        directory.resize(platform::GetTempDirectory(needed, directory.data()));
        std::random_device random;
        path_ = directory + WidenArg("quenzil-extract-" + std::to_string(random()) + ".xml");
    }
    ~TempFile() { platform::DeleteFileAt(path_); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::u16string& path() const { return path_; }

private:
    std::u16string path_;
};

void CopyToStdout(const std::u16string& path) {
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file(platform::OpenStream(path, "rb"));
    if (!file) throw InputError{"cannot read the extracted document back"};
    // Where the system allows it, the name goes now, so that nothing is left
    // behind if a closed pipe ends the process during the copy.
    platform::DeleteFileAt(path);
    platform::SetBinaryMode(platform::StandardStream::kOutput);
    char buffer[64 * 1024];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        if (!WriteAll(stdout, {buffer, got})) throw InputError{"cannot write to standard output"};
    if (std::fflush(stdout) != 0) throw InputError{"cannot write to standard output"};
}

int Extract(const ParsedArgs& args) {
    RequirePositional(args, 1, 2);
    const std::u16string project = WidenArg(args.positional[0]);
    if (args.positional.size() == 2 && args.positional[1] != "-") {
        // The output is emptied before the document is read: writing over the
        // project file itself would destroy it.
        std::error_code error;
        if (std::filesystem::equivalent(std::filesystem::path(project),
                                        std::filesystem::path(WidenArg(args.positional[1])), error))
            throw InputError{"the output '" + args.positional[1] + "' is the project file itself"};
        MSAXReader::ExtractXMLHeader(project.c_str(), WidenArg(args.positional[1]).c_str());
        return kExitOk;
    }
    // The extraction writes to a named file; standard output gets a copy of it.
    TempFile temp;
    MSAXReader::ExtractXMLHeader(project.c_str(), temp.path().c_str());
    CopyToStdout(temp.path());
    return kExitOk;
}

}  // namespace

const Command& ExtractCommand() {
    static const Command command{
        "extract",
        "extract FILE [OUT|-]            write the deciphered \"header.xml\"",
        "usage: quenzil extract FILE [OUT|-]\n"
        "\n"
        "Writes the document \"header.xml\" of the project file FILE, deciphered but\n"
        "otherwise byte for byte, to OUT (created or emptied), or to standard output\n"
        "when OUT is \"-\" or missing. The document is not parsed or checked.\n",
        {},
        Extract};
    return command;
}

}  // namespace qcli
