/*
 * qvx_archive.h -- the archive library qvx.lib: lists and extracts 7z archives.
 *
 * qvx.lib is a 32-bit DLL that travels beside the engine. It exports four
 * functions under their plain names (no "@N" decoration):
 *
 *   OpenListArchive  CloseListArchive  ExtractArchive  GetLastArchiveError
 *
 * Calling convention: every export and every callback is __stdcall (the
 * callee pops its arguments). 64-bit arguments are passed by value on the
 * stack, low half first.
 *
 * Text: every char string (paths, entry names, passwords) is zero-terminated
 * 8-bit text in the system's ANSI code page (CP_ACP). Entry names are stored
 * in the archive as UTF-16 and converted for the caller; files are created
 * under their exact UTF-16 names. In names handed out, folders are separated
 * by a backslash.
 *
 * Archives: the 7z format as 7-Zip writes it: LZMA, LZMA2, PPMd and stored
 * (Copy) data; the BCJ (x86), BCJ2, ARM, ARMT, ARM64, PPC, SPARC, IA64, RISCV
 * and Delta filters; solid and non-solid blocks; empty files and folders;
 * AES-256 encryption of the data and, optionally, of the headers. Every CRC
 * the archive holds is checked.
 *
 * Threads: the functions may be called from any thread. GetLastArchiveError
 * reports on the latest call made in the process, whichever thread made it;
 * callers that run archive calls on several threads at once must serialise
 * them to read a meaningful code.
 */
#ifndef QVX_ARCHIVE_H
#define QVX_ARCHIVE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define QVX_CALL __stdcall
#else
/* The library's reading core is also built natively (fuzzing); there the
   calling convention has no meaning. */
#define QVX_CALL
#endif

/* ---- Error codes (GetLastArchiveError) ------------------------------- */

#define QVX_OK 0
/* The archive file was not found (or the path names a folder). */
#define QVX_ERROR_NOT_FOUND 1001
/* Illegal path: an entry that would be written outside the destination
   folder (absolute path, drive letter, UNC or device prefix, a ".." part,
   "/" and "\" mixed in any way), or a name Windows cannot hold safely
   (":" , control characters, < > " | ? *, a part ending in "." or " ",
   reserved device names such as CON or NUL), an empty name, a part longer
   than 255 UTF-16 units, a name of more than 1,024 parts, or a path to
   write (the target, or its temporary file) longer than 32,766 UTF-16 units
   with its "\\?\" prefix (CreateFileW takes 32,767 with the terminating
   zero). Nothing is written then. */
#define QVX_ERROR_ILLEGAL_PATH 1002
/* The archive cannot be opened: not a 7z archive, a method or feature that
   is not supported, or a password that is missing or incorrect. For
   encrypted data, damage in the first file of a block cannot be told apart
   from a wrong password and is reported with this code too. */
#define QVX_ERROR_CANNOT_OPEN 1003
/* The archive is damaged or truncated: a CRC does not match, compressed
   data is invalid, or data is missing. */
#define QVX_ERROR_DATA 1004
/* An output folder or file cannot be created, written or replaced, or a
   folder stands where a file goes (or the other way round), be it one that
   was there or one of the archive's own entries. */
#define QVX_ERROR_WRITE 1005
/* A callback asked to stop (file or progress callback answered 0, query
   callback answered QVX_QUERY_CANCEL or an unknown answer). */
#define QVX_ERROR_STOPPED 1006
/* An invalid argument: a missing pointer, an unknown handle, an unknown
   extraction mode or overwrite flag. */
#define QVX_ERROR_ARGUMENT 1007
/* A name given in the target files is not in the archive. */
#define QVX_ERROR_NO_SUCH_ENTRY 1008
/* Not enough memory, or more than the library takes for one archive: the
   decoders of one block (dictionaries, PPMd model, buffers) or the reading
   of the header may take 1 GiB each. More is refused before it is
   allocated, so a hostile dictionary fails at once, whatever the machine
   would grant. A dictionary is only as large as the data needs: 1.5 GB
   declared for 1 KB of data take 4 KB. */
#define QVX_ERROR_MEMORY 1009
/* The archive file exists but cannot be read (locked, access denied, I/O
   error). */
#define QVX_ERROR_READ 1010
/* An unexpected failure inside the library. */
#define QVX_ERROR_INTERNAL 1011

/* ---- Entry records ---------------------------------------------------- */

/* Bits of QvxEntry.flags. */
#define QVX_ENTRY_DIRECTORY 0x01      /* the entry is a folder */
#define QVX_ENTRY_ENCRYPTED 0x02      /* its data is encrypted */
#define QVX_ENTRY_HAS_TIME 0x04       /* last_write_time comes from the archive */
#define QVX_ENTRY_HAS_CRC 0x08        /* crc is defined */
#define QVX_ENTRY_HAS_ATTRIBUTES 0x10 /* attributes come from the archive */

/* One entry of the archive: 48 bytes, naturally aligned. */
typedef struct QvxEntry {
  const char* name;          /*  0: entry path, zero-terminated; folders separated by "\" */
  uint32_t attributes;       /*  4: Windows FILE_ATTRIBUTE_* bits as the archive has them (0 when
                                    it has none); folders always carry FILE_ATTRIBUTE_DIRECTORY */
  uint64_t size;             /*  8: size in bytes once extracted */
  uint64_t packed_size;      /* 16: compressed size of the entry's block, given on the block's
                                    first file only (0 on the others, as 7-Zip lists it) */
  uint64_t last_write_time;  /* 24: last write time as a FILETIME value (UTC, 100 ns units since
                                    1601); 0 when the archive has none */
  uint32_t crc;              /* 32: CRC-32 of the data when QVX_ENTRY_HAS_CRC */
  uint32_t flags;            /* 36: QVX_ENTRY_* bits */
  uint32_t index;            /* 40: position of the entry in the archive (0-based) */
  uint32_t block;            /* 44: number of the entry's compressed block; 0xFFFFFFFF when
                                    the entry has no data (folder, empty file) */
} QvxEntry;

/* The names to extract: an array of pointers to zero-terminated names, as
   OpenListArchive listed them, and its count. */
typedef struct QvxTargetFiles {
  const char* const* names;
  int32_t count;
} QvxTargetFiles;

/* ---- Callbacks ----------------------------------------------------------- */

/* Password callback: called when the archive needs a password and none is
   known, and again after a password proved wrong. It copies a password
   (zero-terminated, at most buffer_size - 1 characters) into buffer and
   answers 1, or answers 0 when it has none. The library wipes the buffer
   after use. It is asked at most 8 times in one call. */
typedef int32_t(QVX_CALL* QvxPasswordCallback)(char* buffer, int32_t buffer_size);
#define QVX_PASSWORD_BUFFER_SIZE 1024

/* File callback: called before each entry (file or folder) is written, with
   the entry's name and the full path it goes to. Answer 1 to go on, 0 to
   stop (the extraction fails with QVX_ERROR_STOPPED). */
typedef int32_t(QVX_CALL* QvxFileCallback)(const char* entry_name, const char* target_path);

/* Progress callback: called when a file starts, after each further MiB, and
   once at the end (done == total). done and total count the bytes of the
   selected files; total is 0 when only folders and empty files are
   extracted. Answer 1 to go on, 0 to stop (QVX_ERROR_STOPPED). */
typedef int32_t(QVX_CALL* QvxProgressCallback)(const char* entry_name, uint64_t done, uint64_t total);

/* Query callback (overwrite question): called, with overwrite flag
   QVX_OVERWRITE_ASK, before a file that already exists is replaced (once the
   new file's data is complete and checked, so a damaged archive asks
   nothing). Its answer: */
#define QVX_QUERY_YES 1        /* replace this file */
#define QVX_QUERY_NO 2         /* keep the existing file and go on */
#define QVX_QUERY_CANCEL 3     /* stop: the extraction fails with QVX_ERROR_STOPPED */
#define QVX_QUERY_YES_TO_ALL 4 /* replace this and every later file without asking again */
#define QVX_QUERY_NO_TO_ALL 5  /* keep this and every later existing file without asking */
/* Any other answer stops like QVX_QUERY_CANCEL. */
typedef int32_t(QVX_CALL* QvxQueryCallback)(const char* entry_name, const char* existing_path);

/* ---- Functions ------------------------------------------------------------ */

typedef struct QvxListing* QvxListHandle;

/* Opens the archive and lists its entries.
     archive_path       the 7z file
     flags              reserved, pass 0
     password_callback  may be NULL; asked when the headers are encrypted and
                        password is NULL, empty or wrong
     reserved1..3       pass NULL
     password           may be NULL; tried before the callback
     entries, count     receive the entry array (count records) and its length;
                        the array and its names live until CloseListArchive
   Returns a handle, or NULL on failure (entries and count are then NULL and 0;
   GetLastArchiveError tells why). The archive file is not kept open. */
QvxListHandle QVX_CALL OpenListArchive(const char* archive_path, int32_t flags,
                                       QvxPasswordCallback password_callback, void* reserved1,
                                       void* reserved2, void* reserved3, const char* password,
                                       QvxEntry** entries, int32_t* count);

/* Frees a listing. Answers 1, or 0 for a handle that is not open (nothing
   happens then). */
int32_t QVX_CALL CloseListArchive(QvxListHandle handle);

/* Extraction modes. */
#define QVX_MODE_NO_PATHS 0   /* every file straight into the destination; folders are not created */
#define QVX_MODE_FULL_PATHS 1 /* entries keep their folders below the destination */

/* Overwrite flag: what happens to a file that already exists. */
#define QVX_OVERWRITE_ASK 0  /* it is replaced, after asking the query callback when one is given */
#define QVX_OVERWRITE_KEEP 1 /* it is kept as it is, without asking */

/* Extracts entries of the archive into destination (created when missing).
     mode               QVX_MODE_FULL_PATHS (1) or QVX_MODE_NO_PATHS (0)
     targets            the entries to extract, by the names OpenListArchive
                        gives; NULL extracts every entry
     overwrite          QVX_OVERWRITE_ASK (0) or QVX_OVERWRITE_KEEP (1)
     password           may be NULL; tried before the password callback
     callbacks          each may be NULL
   A file is kept only once its data is complete and its CRC matches: every
   file is written under a temporary name beside its target
   ("~qvx<process>-<number>.tmp", both in hex) and renamed to its own name
   when complete, so that no file under its own name is ever cut short and
   a file it replaces stays untouched on failure. A process killed part-way
   leaves only the temporary file; the next extraction removes such files of
   ended processes from the folders it writes into. Files finished before a
   failure stay; the folders made for the entry that failed are removed
   again (never a folder that was there before), and so is a destination
   that the call made, when it stays empty. An entry whose name an earlier
   entry of the archive had meets that file as an existing one (the
   overwrite flag and the query callback decide). Times (last write,
   creation) and the attributes read-only (files only), hidden, system,
   archive are restored where the archive has them. Before anything is
   written every selected name is checked; one illegal path fails the whole
   call with QVX_ERROR_ILLEGAL_PATH. Encrypted blocks are decrypted with the
   password text, then with the callback's answers.
   Answers nonzero on success, 0 on failure (GetLastArchiveError tells why). */
int32_t QVX_CALL ExtractArchive(const char* archive_path, int32_t mode, const char* destination,
                                const QvxTargetFiles* targets, int32_t overwrite, const char* password,
                                QvxPasswordCallback password_callback, QvxFileCallback file_callback,
                                QvxProgressCallback progress_callback, QvxQueryCallback query_callback);

/* The error code of the latest call (QVX_OK after a success). reserved: pass 0. */
int32_t QVX_CALL GetLastArchiveError(int32_t reserved);

#ifdef __cplusplus
}
#endif

#if defined(_WIN32) && !defined(_WIN64)
#if defined(__cplusplus)
static_assert(sizeof(QvxEntry) == 48, "QvxEntry is a 48-byte record");
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
_Static_assert(sizeof(QvxEntry) == 48, "QvxEntry is a 48-byte record");
#endif
#endif

#endif /* QVX_ARCHIVE_H */
