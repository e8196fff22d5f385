/*
 * ZipEngine.h: the C interface of zip32.so, Vexel's ZIP engine.
 *
 * zip32.so writes ZIP archives: the container through minizip, member data deflated by
 * zlib at the requested level (at level 9 by libdeflate's near-optimal parser instead,
 * a long file in pieces of 8 MiB joined into one stream, small files on worker threads
 * while the next ones come in), stored when deflate would not make it smaller.
 * Names are stored as their bytes; the UTF-8 flag marks those that are valid UTF-8 and not
 * plain ASCII, and a name that is not valid UTF-8 goes in without it, as Unix ZIP writers
 * do (a flag on such a name makes strict readers reject the whole archive). Each member
 * carries its modification time (DOS time plus the exact UTC "UT" extra field) and Unix
 * permissions. Zip64 is used for members and archives beyond 4 GiB, and its end records
 * whenever the entry count (65,535 or more), the central directory's size or its offset
 * do not fit the plain end record.
 *
 * One engine writes one archive, from one thread at a time. Every function returning int
 * returns 1 on success and 0 on failure, after which ZipEngineError() tells why and the
 * only useful call left is ZipEngineDestroy().
 */
#ifndef VEXEL_ZIPENGINE_H
#define VEXEL_ZIPENGINE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define ZIPENGINE_EXPORT __attribute__((visibility("default")))
#else
#define ZIPENGINE_EXPORT
#endif

typedef struct ZipEngine ZipEngine;

typedef struct ZipEngineMember {
    const char *
        name; /* bytes (UTF-8 when valid), "/" separators, relative; no trailing "/" needed for folders */
    int isFolder;  /* nonzero: a folder entry, no data follows */
    uint64_t size; /* the number of data bytes that will follow */
    int64_t mtime; /* seconds since the epoch, UTC */
    uint32_t mode; /* Unix permission bits */
} ZipEngineMember;

/* Creates (truncates) the archive at `path`; level 0 stores everything, 1..9 deflate.
 * Returns null on failure with a reason in `reason` (may be null). */
ZIPENGINE_EXPORT ZipEngine *ZipEngineCreate(const char *path, int level, char *reason,
                                            size_t reasonSize);
/* Starts a member; for a folder the member is complete at once. */
ZIPENGINE_EXPORT int ZipEngineBeginMember(ZipEngine *engine, const ZipEngineMember *member);
/* Adds data to the current file member; in all exactly the size given at its start. */
ZIPENGINE_EXPORT int ZipEngineWriteData(ZipEngine *engine, const void *data, size_t size);
/* Completes the current file member. */
ZIPENGINE_EXPORT int ZipEngineEndMember(ZipEngine *engine);
/* Writes the central directory and closes the archive. */
ZIPENGINE_EXPORT int ZipEngineFinish(ZipEngine *engine);
ZIPENGINE_EXPORT const char *ZipEngineError(const ZipEngine *engine);
/* Frees the engine; an unfinished archive is closed as it stands (the caller removes it). */
ZIPENGINE_EXPORT void ZipEngineDestroy(ZipEngine *engine);
/* Lets a stop end the engine's long steps at once: from then on, whenever `stopped`
 * answers nonzero while level 9 deflates a piece, the call in progress fails with the
 * reason "stopped by the user" without waiting for the piece (which is finished and
 * dropped on a thread of its own). `stopped` is called on the engine's thread; a null
 * one turns this off. */
ZIPENGINE_EXPORT void ZipEngineSetStop(ZipEngine *engine, int (*stopped)(void *context),
                                       void *context);
/* The engine's version, hundreds being the major version. */
ZIPENGINE_EXPORT uint16_t ZipEngineVersion(void);

#ifdef __cplusplus
}
#endif

#endif
