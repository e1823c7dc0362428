/* Stand-in for the session-registry library ("voajel.dll" on the original
 * platform, libvoajel.so here): the two entry points the driver library
 * calls. Test control is in voajel_standin.h. */
#ifndef VOAJEL_H
#define VOAJEL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VOAJEL_API __attribute__((visibility("default")))

/* One {interface table, context} pair of a registration. */
typedef struct VoAjelInterface {
  const void* table;
  uint64_t context;
} VoAjelInterface;

/* Number of pairs every registration passes. */
#define VOAJEL_INTERFACE_COUNT 5

/* The status argument of both entry points points to the caller's status
 * record, whose first field is its int32 code. A failure is stored there when
 * the record holds no error yet (an error already there is never replaced);
 * the record may be null, which loses the failure. */

/* Registers five interface pairs and returns a new key (1, 2, ... in the order
 * of registration, never reused), or 0 on failure: a null array or a null
 * table (VOAJEL_E_INVALID_ARGUMENT), running out of memory
 * (VOAJEL_E_OUT_OF_MEMORY, nothing registered), or a failure scripted with
 * VoAjel_FailNextRegistration. The other four arguments are kept with the
 * registration and otherwise ignored. */
VOAJEL_API uint32_t voajel_registerSessionGetKey(uint32_t version, uint32_t flags,
                                                 const VoAjelInterface* interfaces,
                                                 uint32_t reserved1, uint32_t reserved2,
                                                 void* status);

/* Forgets a key: 0, or VOAJEL_E_UNKNOWN_KEY for a key that is not registered. */
VOAJEL_API int32_t voajel_unregisterSession(uint32_t key, void* status);

#ifdef __cplusplus
}
#endif

#endif
