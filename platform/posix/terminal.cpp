#include "platform/terminal.h"

#include <unistd.h>

namespace platform {
namespace {

int Descriptor(StandardStream stream) {
    return stream == StandardStream::kOutput ? STDOUT_FILENO : STDERR_FILENO;
}

}  // namespace

bool IsTerminal(StandardStream stream) { return isatty(Descriptor(stream)) == 1; }

// POSIX streams never translate bytes.
bool SetBinaryMode(StandardStream) { return true; }

}  // namespace platform
