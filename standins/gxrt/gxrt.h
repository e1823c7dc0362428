/* Stand-in for the graphical environment's runtime (libgxrt.so): the memory
 * manager functions the library calls on GX handles, plus test control.
 *
 * Handles: a handle is a pointer to a pointer to a block. String blocks hold
 * an int32 byte count and the bytes; numeric arrays hold one int32 size per
 * dimension, then the elements, which start at the first offset past the
 * sizes that is aligned to the element size (at most 8): 16-bit 1-D at 4,
 * 64-bit 1-D at 8, any 2-D array at 8. */
#ifndef GXRT_H
#define GXRT_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define GXRT_API __attribute__((visibility("default")))

typedef void** GxHandle;

/* Element type codes of NumericArrayResize. */
#define GXRT_TYPE_U8 1
#define GXRT_TYPE_I16 2
#define GXRT_TYPE_F64 10

/* Status codes of the runtime. */
#define GXRT_NO_ERROR 0
#define GXRT_ARGUMENT_ERROR 1
#define GXRT_MEMORY_FULL 2

/* A new handle whose block holds `size` zero bytes; null when out of memory. */
GXRT_API GxHandle DSNewHandle(size_t size);
/* The block's size in bytes; -1 for a null handle or one without a block. */
GXRT_API int32_t DSGetHandleSize(GxHandle handle);
/* Resizes the block, keeping its leading bytes and zeroing new ones; a handle
 * without a block (null block pointer) gets a new zeroed block. */
GXRT_API int32_t DSSetHandleSize(GxHandle handle, size_t size);
/* Frees a handle and its block. */
GXRT_API int32_t DSDisposeHandle(GxHandle handle);
/* Makes the array behind *handle (created when null) big enough for `count`
 * elements of `typeCode` in `dimensions` dimensions (1 or 2). The sizes are
 * left to the caller. */
GXRT_API int32_t NumericArrayResize(int32_t typeCode, int32_t dimensions, GxHandle* handle,
                                    size_t count);
/* Compares two length-prefixed strings: 0 when equal, otherwise the sign of
 * the first difference (a shorter prefix sorts first). */
GXRT_API int32_t PStrCmp(const uint8_t* a, const uint8_t* b);
/* Writes the environment's language name into a 264-byte buffer as a
 * length-prefixed string. */
GXRT_API void GetLangStr(uint8_t* buffer);

/* ---- Test control ---- */

typedef struct GxRtCounters {
  uint64_t handlesCreated; /* DSNewHandle and NumericArrayResize of a null handle */
  uint64_t handlesDisposed;
  uint64_t resizes;     /* DSSetHandleSize and NumericArrayResize calls */
  uint64_t sizeQueries; /* DSGetHandleSize calls */
} GxRtCounters;

GXRT_API GxRtCounters GxRt_Counters(void);
/* Makes the next `count` resizes fail with GXRT_MEMORY_FULL. */
GXRT_API void GxRt_FailResizes(uint32_t count);
/* Sets the language name GetLangStr reports ("English" at start). */
GXRT_API void GxRt_SetLanguageName(const char* name);
/* Frees every handle still alive. */
GXRT_API void GxRt_DisposeAll(void);
/* Zeroes the counters, cancels failures and restores the language. */
GXRT_API void GxRt_Reset(void);

#ifdef __cplusplus
}
#endif

#endif
