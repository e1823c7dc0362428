/* Test control of the session-registry stand-in (libvoajel.so).
 *
 * The stand-in keeps every registration it accepted until it is unregistered
 * or VoAjel_Reset is called: the five {table, context} pairs and the four
 * scalar arguments. A test fetches the tables of a key and calls the
 * operations in them as the synchronisation software would. Counters count
 * since the last reset; keys keep rising across resets. */
#ifndef VOAJEL_STANDIN_H
#define VOAJEL_STANDIN_H

#include <stdint.h>

#include "voajel.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Status codes of the stand-in. */
#define VOAJEL_SUCCESS 0
#define VOAJEL_E_INVALID_ARGUMENT (-62000) /* null array, null table, interface index >= 5 */
#define VOAJEL_E_UNKNOWN_KEY (-62001)      /* key never issued, or unregistered */
#define VOAJEL_E_REFUSED (-62002)          /* a code for tests to script */
#define VOAJEL_E_OUT_OF_MEMORY (-62003)    /* the stand-in ran out of memory */
#define VOAJEL_E_INTERNAL (-62004)         /* the stand-in failed in an unforeseen way */

/* The scalar arguments a registration arrived with. */
typedef struct VoAjelRegistration {
  uint32_t version;
  uint32_t flags;
  uint32_t reserved1;
  uint32_t reserved2;
} VoAjelRegistration;

/* Forgets every registration, the counters and a scripted failure. */
VOAJEL_API void VoAjel_Reset(void);

/* Registrations accepted, and unregistrations of known keys, since the reset. */
VOAJEL_API uint32_t VoAjel_RegistrationCount(void);
VOAJEL_API uint32_t VoAjel_UnregistrationCount(void);

/* Registrations accepted since the reset whose first pair carried `context`. */
VOAJEL_API uint32_t VoAjel_RegistrationsFor(uint64_t context);

/* Non-zero while the key is registered. */
VOAJEL_API int VoAjel_IsRegistered(uint32_t key);

/* The key most recently issued (0 before any). */
VOAJEL_API uint32_t VoAjel_LastKey(void);

/* Copies pair `index` (0 to 4) of a registered key: 0, VOAJEL_E_UNKNOWN_KEY or
 * VOAJEL_E_INVALID_ARGUMENT. Either output may be null. */
VOAJEL_API int32_t VoAjel_GetInterface(uint32_t key, uint32_t index, const void** table,
                                       uint64_t* context);

/* Copies the scalar arguments of a registered key: 0 or VOAJEL_E_UNKNOWN_KEY
 * (VOAJEL_E_INVALID_ARGUMENT for a null output). */
VOAJEL_API int32_t VoAjel_GetRegistration(uint32_t key, VoAjelRegistration* registration);

/* Makes the next registration fail: it returns key 0 and, when status is not
 * 0, stores status in the caller's record. Used up by that registration. */
VOAJEL_API void VoAjel_FailNextRegistration(int32_t status);

#ifdef __cplusplus
}
#endif

#endif
