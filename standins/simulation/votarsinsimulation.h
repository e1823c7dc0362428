/* Stand-in for the simulation library (libvotarsinsimulation.so).
 *
 * Answers requests of simulated sessions (handle bit 0x2000, opened through
 * VoFpgaDll_Open on a resource beginning with "SIM") from the device model
 * shared with the other stand-ins; see ../device/vodevice_hook.h for the
 * status codes and the test control. */
#ifndef VOTARSINSIMULATION_H
#define VOTARSINSIMULATION_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VOSIM_API __attribute__((visibility("default")))

/* The request entry: arguments and records as VoFpgaDll_ClientFunctionCall.
 * Only simulated handles are served; a hardware handle gets
 * VODEV_E_NOT_SIMULATED. The request hook sees these calls with the route
 * VODEV_ROUTE_SIMULATION. */
VOSIM_API int32_t Simulation_ClientFunctionCall(uint32_t session, uint32_t group, uint32_t function,
                                                const void* input, uint64_t inputSize, void* output,
                                                uint64_t outputSize);

/* Restarts the simulation of one device. Arguments:
 *   session  the simulated session whose device returns to its power-on
 *            attribute values; 0 restarts nothing (the call is only recorded)
 *   seed     seed of the noise added to the simulated signals (see
 *            ../device/README.md, Acquisition); kept with the device, so the
 *            same seed gives the same samples
 *   reserved3 .. reserved12
 *            simulation options not used by this simulation; recorded as
 *            8-byte values (4-byte ones for reserved8), whatever they hold
 * The device's streams stop and its routes and sync pulse count are
 * forgotten with its attributes. Every call is recorded (VoDev_LastRestart).
 * Returns 0, or
 * VODEV_E_UNKNOWN_SESSION, VODEV_E_SESSION_CLOSED for a handle that is not
 * open, VODEV_E_NOT_SIMULATED for a hardware handle. */
VOSIM_API int32_t voTarsin_RestartSimulation(uint32_t session, uint32_t seed, uint64_t reserved3,
                                             uint64_t reserved4, uint64_t reserved5,
                                             uint64_t reserved6, uint64_t reserved7,
                                             uint32_t reserved8, uint64_t reserved9,
                                             uint64_t reserved10, uint64_t reserved11,
                                             uint64_t reserved12);

#ifdef __cplusplus
}
#endif

#endif
