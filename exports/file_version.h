#pragma once
// The installer's entry point that reads the version a project file carries.

#include "platform/api.h"

#include <cstdint>

// Reads the project file at path (narrow, in the calling thread's ANSI code
// page) and writes the four numbers of its "Version" element to the
// out-parameters, in the order major, minor, fixed, build; a number the
// document lacks comes back as 0. The out-parameters are written only after
// the whole document has been read; a null one is skipped. Failures are not
// caught: the reader's exceptions (MSAXError, MZipArchiveError) reach the
// caller and the out-parameters keep what they held. A null path throws
// MSAXError::MFileOpenRead with exactly "Failed to open file for reading", as
// an empty path does.
QZ_C_API void FileVersion(const char* path, int32_t* major, int32_t* minor, int32_t* fixed,
                          int32_t* build);
