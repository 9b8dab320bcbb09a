#include "tools/cli/error_report.h"

#include "errors/sax_error.h"
#include "errors/zip_archive_error.h"
#include "tools/cli/args.h"
#include "tools/cli/text.h"

#include <cstdio>
#include <exception>
#include <new>

namespace qcli {
namespace {

std::string SaxText(const char* type, const MSAXError::MGeneric& e) {
    std::string text = std::string("MSAXError::") + type + " (" + std::to_string(e.code) + ")";
    if (!e.message.empty()) text += ": " + Utf8(e.message);
    return text;
}

std::string WithDetail(std::string text, const std::u16string& detail) {
    if (!detail.empty()) text += " (" + Utf8(detail) + ")";
    return text;
}

std::string StopText(const char* type, const MSAXError::MStopParsing& e) {
    std::string text = SaxText(type, e);
    if (!e.tag.empty()) text += " at element <" + Utf8(e.tag) + ">";
    return text;
}

std::string ZipText(const char* type, const MZipArchiveError::MGeneric& e) {
    std::string text = std::string("MZipArchiveError::") + type + ": " + Utf8(e.message);
    if (!e.name.empty()) text += " (entry \"" + Utf8(e.name) + "\")";
    return text;
}

}  // namespace

ErrorDescription DescribeCurrentException() {
    // The error types are plain structures without virtual functions, so the
    // most derived type is found by catching the derived types before their bases.
    try {
        throw;
    } catch (const UsageError& e) {
        return {e.message, kExitUsage};
    } catch (const InputError& e) {
        return {e.message, kExitBadInput};
    } catch (const MSAXError::MSAXIncompatibleVersion& e) {
        return {StopText("MSAXIncompatibleVersion", e), kExitBadInput};
    } catch (const MSAXError::MStopParsing& e) {
        return {StopText("MStopParsing", e), kExitBadInput};
    } catch (const MSAXError::MFileOpenRead& e) {
        return {SaxText("MFileOpenRead", e), kExitBadInput};
    } catch (const MSAXError::MFileOpenWrite& e) {
        return {SaxText("MFileOpenWrite", e), kExitBadInput};
    } catch (const MSAXError::MNotAKorProjectFile& e) {
        return {SaxText("MNotAKorProjectFile", e), kExitBadInput};
    } catch (const MSAXError::MParse& e) {
        return {SaxText("MParse", e), kExitBadInput};
    } catch (const MSAXError::MDeflate& e) {
        return {WithDetail(SaxText("MDeflate", e), e.detail), kExitBadInput};
    } catch (const MSAXError::MDecrypt& e) {
        return {SaxText("MDecrypt", e), kExitBadInput};
    } catch (const MSAXError::MDecryptUnknownLevel& e) {
        return {SaxText("MDecryptUnknownLevel", e), kExitBadInput};
    } catch (const MSAXError::MEncryptOpen& e) {
        return {WithDetail(SaxText("MEncryptOpen", e), e.detail), kExitBadInput};
    } catch (const MSAXError::MMissingReference& e) {
        return {SaxText("MMissingReference", e), kExitBadInput};
    } catch (const MSAXError::MInflate& e) {
        return {WithDetail(WithDetail(SaxText("MInflate", e), e.detail), e.detail2), kExitBadInput};
    } catch (const MSAXError::MContentMismatch& e) {
        return {SaxText("MContentMismatch", e), kExitBadInput};
    } catch (const MSAXError::MGenericRead& e) {
        return {SaxText("MGenericRead", e), kExitBadInput};
    } catch (const MSAXError::MGenericWrite& e) {
        return {SaxText("MGenericWrite", e), kExitBadInput};
    } catch (const MSAXError::MGeneric& e) {
        return {SaxText("MGeneric", e), kExitBadInput};
    } catch (const MZipArchiveError::MFileNotFound& e) {
        return {ZipText("MFileNotFound", e), kExitBadInput};
    } catch (const MZipArchiveError::MFileNotCreated& e) {
        return {ZipText("MFileNotCreated", e), kExitBadInput};
    } catch (const MZipArchiveError::MDeflate& e) {
        return {ZipText("MDeflate", e), kExitBadInput};
    } catch (const MZipArchiveError::MInflate& e) {
        return {ZipText("MInflate", e), kExitBadInput};
    } catch (const MZipArchiveError::MGeneric& e) {
        return {ZipText("MGeneric", e), kExitBadInput};
    } catch (const std::bad_alloc&) {
        return {"out of memory", kExitBadInput};
    } catch (const std::exception& e) {
        return {e.what(), kExitBadInput};
    } catch (...) {
        return {"unexpected error", kExitBadInput};
    }
}

void PrintError(const std::string& text) {
    std::fflush(stdout);
    std::fprintf(stderr, "quenzil: %s\n", text.c_str());
}

int RunReported(const std::string& command, const std::string& context, const std::function<int()>& body) {
    try {
        return body();
    } catch (...) {
        const ErrorDescription error = DescribeCurrentException();
        std::string text = error.text;
        if (!context.empty()) text = context + ": " + text;
        if (error.exitStatus == kExitUsage) text = command + ": " + text;
        PrintError(text);
        if (error.exitStatus == kExitUsage)
            std::fprintf(stderr, "Try 'quenzil %s --help'.\n", command.c_str());
        return error.exitStatus;
    }
}

}  // namespace qcli
