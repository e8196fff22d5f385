/*
 * KryUnPackDec.h: the calling convention of Vexel's archiver libraries.
 *
 * This C header is the only thing the program and the libraries share. Each library
 * (unlha32.so, zip32j.so, cab32.so, bga32.so) exports these symbols with C linkage.
 *
 * Main entry (Unlha, Zip, Cab, Bga):
 *   window      the host's top-level QWidget*, or null (normal);
 *   commandLine UTF-8: switches, "archive path", "base folder" or empty, @list file;
 *   output      buffer of outputSize bytes for a one-line, NUL-terminated reason;
 *   returns 0 only when the archive is complete; nonzero on failure or stop, in which
 *   case the partial archive has been removed.
 * The entry blocks until the work is done; the library compresses on a worker thread
 * and runs a local event loop meanwhile, so the host's windows stay responsive.
 *
 * ...SetOwnerWindowEx registers a callback that the library calls at least every
 * 100 ms of work, possibly from its worker thread; an answer of 0 asks it to stop.
 * With the message KRY_MSG_PROGRESS its fourth argument points to a KryProgress record
 * (below); with any other message it may be null. A host that reads no argument keeps
 * working unchanged.
 *
 * ...GetVersion returns the library's own version, hundreds being the major version.
 */
#ifndef VEXEL_KRYUNPACKDEC_H
#define VEXEL_KRYUNPACKDEC_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define KRY_EXPORT __attribute__((visibility("default")))
#else
#define KRY_EXPORT
#endif

typedef int (*ARCHIVERPROC)(void *window, uint32_t message, uint32_t state, void *info);

typedef int (*ArchiverMainProc)(void *window, const char *commandLine, char *output,
                                uint32_t outputSize);
typedef uint16_t (*ArchiverVersionProc)(void);
typedef int (*ArchiverOwnerProc)(void *window, ARCHIVERPROC callback);

KRY_EXPORT int Unlha(void *window, const char *commandLine, char *output, uint32_t outputSize);
KRY_EXPORT uint16_t UnlhaGetVersion(void);
KRY_EXPORT int UnlhaSetOwnerWindowEx(void *window, ARCHIVERPROC callback);

KRY_EXPORT int Zip(void *window, const char *commandLine, char *output, uint32_t outputSize);
KRY_EXPORT uint16_t ZipGetVersion(void);

KRY_EXPORT int Cab(void *window, const char *commandLine, char *output, uint32_t outputSize);
KRY_EXPORT uint16_t CabGetVersion(void);
KRY_EXPORT int CabSetOwnerWindowEx(void *window, ARCHIVERPROC callback);

KRY_EXPORT int Bga(void *window, const char *commandLine, char *output, uint32_t outputSize);
KRY_EXPORT uint16_t BgaGetVersion(void);
KRY_EXPORT int BgaSetOwnerWindowEx(void *window, ARCHIVERPROC callback);

/*
 * The progress record passed with KRY_MSG_PROGRESS. It belongs to the library and is
 * valid only during the callback: a host copies what it wants to keep.
 *   size         sizeof the record as the library filled it; a host reads a field only
 *                when size covers it, so later fields can be added at the end;
 *   bytesDone,   bytes of input consumed and in all, for the current archive; done
 *   bytesTotal   never decreases, never exceeds total (0 while the members are still
 *                being collected) and equals total in the record of state
 *                KRY_STATE_END;
 *   filesDone,   files (not folders) whose input has been consumed, and files in all;
 *   filesTotal   the same rules as the bytes;
 *   member       the stored name of the member being written, NUL-terminated: UTF-8
 *                where the name is (a file name's bytes otherwise); "" when none.
 * The state argument says where the work is: KRY_STATE_BEGIN once before it starts,
 * KRY_STATE_WORKING during it, KRY_STATE_END once after a complete archive (the answer
 * to that last call is not read: the archive is already made).
 */
#define KRY_MSG_PROGRESS 0x4B50u /* "KP" */
#define KRY_STATE_BEGIN 0u
#define KRY_STATE_WORKING 1u
#define KRY_STATE_END 2u

typedef struct KryProgress {
    uint32_t size;
    uint32_t filesDone;
    uint32_t filesTotal;
    uint32_t reserved; /* 0; keeps the 64-bit fields aligned */
    uint64_t bytesDone;
    uint64_t bytesTotal;
    const char *member;
} KryProgress;

/* The exact titles of the libraries' status windows (UTF-8): the program finds a
 * library's window by its title, so both sides take them from here. */
#define KRY_STATUS_TITLE_UNLHA "圧縮状況"
#define KRY_STATUS_TITLE_ZIP "ZIP32J.DLL Status"
#define KRY_STATUS_TITLE_CAB "キャビネットファイルを操作しています..."
#define KRY_STATUS_TITLE_BGA "BGA32.DLL Status"

/* The size of the output buffer the program passes to every main entry. */
#define KRY_OUTPUT_SIZE 260

#ifdef __cplusplus
}
#endif

#endif
