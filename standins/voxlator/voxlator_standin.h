/* Stand-in for the external translator manager library (libvoxlator.so,
 * "voxlator.dll" on the original platform). It exports the four manager entry
 * points and offers one translator of its own, "voxlator_standin"; tests steer
 * and inspect it through the voxlatorstandin_ functions below.
 *
 * The translator "voxlator_standin":
 *  - static description: "Stand-in description of code <code> (language <l>, ade <a>)."
 *  - dynamic description ("json1" only; any other format raises -52029): the
 *    unescaped string member "standin_json1" of the context when present;
 *    otherwise, when the context has a number "standin_status", that code is
 *    raised and nothing returned; otherwise a report with an elaboration item
 *    and a usage item "Error constant" (the context's "error_constant") in
 *    "dynamic", and a usage item "Context bytes" in "debug".
 * "voxlator_standin_dynamic" is the same translator without static descriptions.
 * Any other name raises -52006 with
 * "voxlator_debug": {"voxlatormgr": "unknown translator", "name": name}. */
#ifndef VOXLATOR_STANDIN_H
#define VOXLATOR_STANDIN_H

#include <stdint.h>

#define VOXLATOR_STANDIN_XLATOR_NAME "voxlator_standin"
/* The same translator without a static-description function. */
#define VOXLATOR_STANDIN_DYNAMIC_ONLY_NAME "voxlator_standin_dynamic"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct VoxlatorStandinCounters {
  uint32_t sessionsCreated;
  uint32_t sessionsDestroyed;
  uint32_t xlatorsCreated;
  uint32_t xlatorsDestroyed;
  uint32_t staticCalls;
  uint32_t dynamicCalls;
  uint32_t lastOptions; /* options word of the last description call */
} VoxlatorStandinCounters;

/* Copies the counters. */
__attribute__((visibility("default"))) void voxlatorstandin_counters(VoxlatorStandinCounters* out);
/* Zeroes the counters and clears the failure below. */
__attribute__((visibility("default"))) void voxlatorstandin_reset(void);
/* A non-zero code makes every later voxlatormgr_createSession raise it and
 * return null. */
__attribute__((visibility("default"))) void voxlatorstandin_failCreateSession(int32_t code);

#ifdef __cplusplus
}
#endif

#endif
