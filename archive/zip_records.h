#pragma once
// The zip record layer: reads and writes the records of a single-disk zip
// archive with 32-bit sizes and offsets, stored (method 0) and deflated
// (method 8) entries, over zlib raw deflate streams and CRC-32. Every record
// signature is accepted in its standard form ("PK") or its alternative form
// ("KR") when reading; writing uses one form, chosen by a flag. All functions
// report by result codes and keep no global error state; every number read from
// a file is checked against the file before it is used.

#include <cstdint>
#include <string>

// Opaque handles; the archive's reader and writer (see archive/zip_archive.h).
struct unz_archive;
struct zip_archive;
using unzFile = unz_archive*;
using zipFile = zip_archive*;

// Result codes. zlib's own negative codes (Z_DATA_ERROR -3, ...) pass through.
constexpr int UNZ_OK = 0;
constexpr int UNZ_ERRNO = -1;                 // a short read or write, or a refused seek
constexpr int UNZ_EOF = 0;
constexpr int UNZ_END_OF_LIST_OF_FILE = -100; // no current entry, or no further entry
constexpr int UNZ_PARAMERROR = -102;          // bad argument or wrong state
constexpr int UNZ_BADZIPFILE = -103;          // inconsistent archive
constexpr int UNZ_INTERNALERROR = -104;       // out of memory
constexpr int UNZ_CRCERROR = -105;            // CRC mismatch found when closing an entry
constexpr int ZIP_OK = 0;
constexpr int ZIP_ERRNO = UNZ_ERRNO;
constexpr int ZIP_PARAMERROR = UNZ_PARAMERROR;
constexpr int ZIP_BADZIPFILE = UNZ_BADZIPFILE;
constexpr int ZIP_INTERNALERROR = UNZ_INTERNALERROR;

// Compression methods the layer handles.
constexpr int Z_STORED_METHOD = 0;
constexpr int Z_DEFLATED_METHOD = 8;

// Mode bits of the open slot.
constexpr int ZLIB_FILEFUNC_MODE_READ = 1;
constexpr int ZLIB_FILEFUNC_MODE_WRITE = 2;
constexpr int ZLIB_FILEFUNC_MODE_READWRITEFILTER = 3;
constexpr int ZLIB_FILEFUNC_MODE_EXISTING = 4;
constexpr int ZLIB_FILEFUNC_MODE_CREATE = 8;

// Seek origins of the seek slot.
constexpr int ZLIB_FILEFUNC_SEEK_SET = 0;
constexpr int ZLIB_FILEFUNC_SEEK_CUR = 1;
constexpr int ZLIB_FILEFUNC_SEEK_END = 2;

// The table through which the layer does all its input and output. Every slot
// gets the table's opaque pointer first. Offsets are 64-bit so archives placed
// after large prepended data still work.
using open_file_func = void* (*)(void* opaque, const char16_t* path, int mode);
using read_file_func = uint32_t (*)(void* opaque, void* stream, void* buffer, uint32_t size);
using write_file_func = uint32_t (*)(void* opaque, void* stream, const void* buffer, uint32_t size);
using tell_file_func = int64_t (*)(void* opaque, void* stream);
using seek_file_func = int64_t (*)(void* opaque, void* stream, int64_t offset, int origin);
using close_file_func = int (*)(void* opaque, void* stream);
using testerror_file_func = int (*)(void* opaque, void* stream);

struct zlib_filefunc_def {
    open_file_func zopen_file;
    read_file_func zread_file;
    write_file_func zwrite_file;
    tell_file_func ztell_file;
    seek_file_func zseek_file;
    close_file_func zclose_file;
    testerror_file_func zerror_file;
    void* opaque;
};

// Fills the default table: stdio streams opened by UTF-16 path. Open modes:
// (mode & 3) == 1 gives "rb", else the existing bit "r+b", else the create bit
// "wb"; anything else, or a null path, yields null. Seek yields 0 on success and
// -1 for an unknown origin or when the seek fails.
void fill_default_filefunc(zlib_filefunc_def* table);

// Position of an entry: offset of its header in the central directory and its
// number in directory order.
struct unz_file_pos {
    uint32_t pos_in_zip_directory;
    uint32_t num_of_file;
};

// Fields of the current entry's central directory header.
struct unz_file_info {
    uint32_t version;
    uint32_t version_needed;
    uint32_t flag;
    uint32_t compression_method;
    uint32_t dosDate;             // DOS time in the low word, DOS date in the high word
    uint32_t crc;
    uint32_t compressed_size;
    uint32_t uncompressed_size;
    uint32_t size_filename;
    uint32_t size_file_extra;
    uint32_t size_file_comment;
    uint32_t disk_num_start;
    uint32_t internal_fa;
    uint32_t external_fa;
};

// Date and attributes of a new entry, nine 32-bit words. When dosDate is 0 the
// DOS time and date are computed from the broken-down fields (month 0..11).
struct zip_fileinfo {
    uint32_t tm_sec;
    uint32_t tm_min;
    uint32_t tm_hour;
    uint32_t tm_mday;
    uint32_t tm_mon;
    uint32_t tm_year;
    uint32_t dosDate;
    uint32_t internal_fa;
    uint32_t external_fa;
};

// ---- Reading ----

// Opens an archive by UTF-16 path through the default file functions; null when
// the file is missing, has no end record (one at file offset 0 does not count),
// spans disks, has differing entry counts or a directory that does not fit
// before the end record. The first entry is current afterwards, if readable.
unzFile unzOpen(const std::u16string& path);
// As unzOpen, through the given file functions (null: the default ones).
unzFile unzOpen2(const std::u16string& path, const zlib_filefunc_def* functions);
// Closes the open entry and the file and frees the handle; -102 for null.
int unzClose(unzFile file);
// Makes the first directory entry current; -103 when it cannot be read.
int unzGoToFirstFile(unzFile file);
// Makes the next entry current; -100 after the last one (or without a current
// entry); -103 when the next header cannot be read (nothing is current then).
int unzGoToNextFile(unzFile file);
// Position of the current entry; -100 when none is current, -102 for null.
int unzGetFilePos(unzFile file, unz_file_pos* position);
// Makes the entry at a position taken by unzGetFilePos current again; -103
// when no entry header is there.
int unzGoToFilePos(unzFile file, const unz_file_pos* position);
// Copies the current entry's fields (info may be null) and its name: a name
// shorter than nameSize is copied with a terminating zero, a longer one as
// nameSize bytes without one. Extra field and comment are copied (up to their
// buffer sizes, no terminator) only when buffers are given. -100 without a
// current entry; -1 when the extra field or comment cannot be read.
int unzGetCurrentFileInfo(unzFile file, unz_file_info* info, char* name, uint32_t nameSize,
                          void* extra, uint32_t extraSize, char* comment, uint32_t commentSize);
// Compares two zero-terminated names: mode 1 byte for byte, modes 0 and 2
// folding only ASCII a-z onto A-Z. Returns -1, 0 or 1.
int unzStringFileNameCompare(const char* a, const char* b, int caseMode);
// Opens the current entry for decompressing, closing one that is still open.
// -102 without a current entry; -103 when the local header disagrees with the
// directory (signature, method, name length, CRC or sizes unless flag bit 3 is
// set), the method is neither 0 nor 8, a stored entry's two sizes differ, or
// the data do not lie before the end record; -104 when memory fails.
int unzOpenCurrentFile(unzFile file);
// Delivers up to length uncompressed bytes (at most INT32_MAX per call) of the
// open entry; the count, 0 at the end or for length 0, or a negative code: -102
// without an open entry, -1 for a failed read, zlib's code for damaged data
// (-3 also for a deflate stream that stops short of its compressed data end).
int unzReadCurrentFile(unzFile file, void* buffer, uint32_t length);
// 1 when every uncompressed byte of the open entry was delivered, else 0;
// -102 without an open entry.
int unzeof(unzFile file);
// Closes the open entry: -105 when it was read to its end and the CRC differs,
// else 0; -102 without an open entry.
int unzCloseCurrentFile(unzFile file);
// Signature forms of the current entry's central and local headers and of the
// end record: false for the standard "PK" form, true for the alternative "KR"
// form (each pointer may be null). -100 without a current entry, -102 for a
// null handle, -103 when a record cannot be read or holds no signature of its
// kind. Reads only the signatures; the open entry, if any, is not disturbed.
int unzGetCurrentFileSignatureForms(unzFile file, bool* centralAlternative, bool* localAlternative,
                                    bool* endAlternative);

// ---- Writing ----

// Creates (or truncates) an archive file by UTF-16 path for writing, the archive
// starting at offset 0; null when the file cannot be created.
zipFile zipCreate(const std::u16string& path);
// As zipCreate, through the given file functions (null: the default ones).
zipFile zipCreate2(const std::u16string& path, const zlib_filefunc_def* functions);
// Starts a new entry, finishing one still open first (its failure is returned).
// A null name is "-". -102 for a method other than 0 and 8, a name, extra field
// or comment longer than 0xFFFF bytes, a full archive (0xFFFF entries) or a
// local header beyond 4 GiB; -1 when the local header cannot be written; zlib's
// code when it refuses the level. alternativeSignatures selects "KR" records.
int zipOpenNewFileInZip(zipFile file, const char* name, const zip_fileinfo* info,
                        const void* extraLocal, uint32_t extraLocalSize,
                        const void* extraGlobal, uint32_t extraGlobalSize,
                        const char* comment, int method, int level,
                        bool alternativeSignatures = false);
// Adds bytes to the open entry. -102 without one or when the entry would pass
// 4 GiB; -1 for a short write; zlib's code on a deflate error.
int zipWriteInFileInZip(zipFile file, const void* buffer, uint32_t length);
// Finishes the open entry: flushes the deflate stream, patches CRC and sizes
// into the local header and queues the directory header. -102 without an open
// entry or when the compressed data pass 4 GiB; -1 on a write or seek failure.
int zipCloseFileInZip(zipFile file);
// Finishes the open entry, writes the directory and the end record (comment
// null or "": none) and frees the handle, whatever failed. -102 for a null
// handle, a comment over 0xFFFF bytes (the end record is written without it) or
// a directory beyond 4 GiB; -1 on a write failure or when the file fails to close.
int zipClose(zipFile file, const char* comment, bool alternativeSignatures = false);
