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
