#pragma once
// The process's standard streams as the command-line tool needs them: whether
// one is an interactive terminal, and raw byte output.

namespace platform {

enum class StandardStream { kOutput, kError };

// True when the stream is attached to an interactive terminal (a console on
// Windows); false for files, pipes and closed streams.
bool IsTerminal(StandardStream stream);

// Makes the stream pass bytes through untranslated (no line-end conversion),
// for binary data written to standard output. False when it cannot be set;
// a no-op that succeeds where streams never translate.
bool SetBinaryMode(StandardStream stream);

}  // namespace platform
