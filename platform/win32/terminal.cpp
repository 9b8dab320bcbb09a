#include "platform/terminal.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

namespace platform {
namespace {

int Descriptor(StandardStream stream) {
    return stream == StandardStream::kOutput ? _fileno(stdout) : _fileno(stderr);
}

}  // namespace

// _isatty also answers true for character devices such as NUL; a console is
// what matters here, and redirecting to NUL only costs an unseen progress line.
bool IsTerminal(StandardStream stream) { return _isatty(Descriptor(stream)) != 0; }

bool SetBinaryMode(StandardStream stream) { return _setmode(Descriptor(stream), _O_BINARY) != -1; }

}  // namespace platform
