/* Test control of the stand-in device model (libvodevicemodel.so).
 *
 * The model sits behind the stand-ins for the FPGA interface library
 * (libVoFpga.so), its graphical flavour (libVoFpgaGx.so) and the simulation
 * library (libvotarsinsimulation.so); all of them share one model instance in
 * the process. A test installs a hook that sees every call reaching the model
 * and may answer it itself; without a hook (or when the hook declines) the
 * model answers from memory.
 *
 * The model imitates a 16-channel, 14-bit digitizer. Resources "RIO0" to
 * "RIO7" open hardware sessions; every resource name that begins with "SIM"
 * opens a simulated session (handle bit 0x2000 set). A device keeps its
 * attribute values across sessions of the same resource, as hardware does,
 * until VoDev_Reset, a close with VODEV_CLOSE_RESET_DEVICE or a simulation
 * restart. The attribute table with scopes, access and defaults is in
 * README.md beside this header. */
#ifndef VODEVICE_HOOK_H
#define VODEVICE_HOOK_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VODEV_API __attribute__((visibility("default")))

/* Which component received the call. */
typedef enum VoDevRoute {
  VODEV_ROUTE_FPGA = 0,       /* VoFpgaDll_ClientFunctionCall */
  VODEV_ROUTE_SIMULATION = 1, /* Simulation_ClientFunctionCall */
} VoDevRoute;

/* One client function call as it reached the model. */
typedef struct VoDevRequest {
  VoDevRoute route;
  uint32_t session;
  uint32_t group;
  uint32_t function;
  const void* input;
  uint64_t inputSize;
  void* output; /* the caller's response buffer; may be null */
  uint64_t outputSize;
} VoDevRequest;

/* Return non-zero to answer the request: store the status in *status and, when
 * the status is 0, fill request->output as the response. Return 0 to let the
 * model answer. The hook runs on the caller's thread, without any lock of the
 * model held, so it may call back into the model (for example to forward the
 * request through VoFpgaDll_ClientFunctionCall after a check; that nested call
 * reaches the hook again). */
typedef int (*VoDevRequestHook)(void* context, const VoDevRequest* request, int32_t* status);

/* Installs (or, with null, removes) the request hook. */
VODEV_API void VoDev_SetRequestHook(VoDevRequestHook hook, void* context);

/* Forgets every session, device, register definition, recorded error context
 * and recorded call (last open, close, restart, register lookup, request
 * counts), restoring the power-on state. Handles issued before the reset stay
 * unknown afterwards (handles are never reused). Kept: the request hook (its
 * owner removes it, so a fixture may install it before resetting) and the
 * load count and TLS index of libVoFpgaGx.so, which describe the process. */
VODEV_API void VoDev_Reset(void);

/* ---- Status codes of the model ------------------------------------------
 * Every failure of a stand-in is one of these; none collides with the
 * library's own codes. VoDev_StatusName gives the constant name that the
 * error context (function 800) reports as "error_constant". */
#define VODEV_SUCCESS 0
#define VODEV_E_INVALID_ARGUMENT (-61000)     /* null pointer or unusable argument */
#define VODEV_E_UNKNOWN_RESOURCE (-61001)     /* open: resource names no device */
#define VODEV_E_UNKNOWN_SESSION (-61002)      /* handle never issued (or issued before a reset) */
#define VODEV_E_SESSION_CLOSED (-61003)       /* handle was closed */
#define VODEV_E_WRONG_GROUP (-61004)          /* client function group is not 2 */
#define VODEV_E_UNSUPPORTED_FUNCTION (-61005) /* function number not served */
#define VODEV_E_UNSUPPORTED_FAMILY (-61006)   /* function 256: family code not served */
#define VODEV_E_UNSUPPORTED_COMMAND (-61007)  /* function 256: command unknown in its family */
#define VODEV_E_BAD_REQUEST_SIZE (-61008)     /* input null or not the record's size */
#define VODEV_E_RESPONSE_TOO_SMALL (-61009)   /* output null or smaller than the response */
#define VODEV_E_MALFORMED_REQUEST (-61010)    /* reserved header word set, unterminated name */
#define VODEV_E_UNKNOWN_ATTRIBUTE (-61011)    /* attribute ID not in the device's table */
#define VODEV_E_WRONG_VALUE_TYPE (-61012)     /* wire type does not fit the attribute */
#define VODEV_E_CHANNEL_OUT_OF_SCOPE (-61013) /* channel name outside the attribute's scope */
#define VODEV_E_READ_ONLY_ATTRIBUTE (-61014)  /* set or reset of a read-only attribute */
#define VODEV_E_INVALID_VALUE (-61015)        /* value outside the attribute's values */
#define VODEV_E_NOT_SIMULATED (-61016)        /* simulation entry got a hardware handle */
#define VODEV_E_NO_SUCH_REGISTER (-61017)     /* register name or handle not in the image */
#define VODEV_E_NO_SUCH_FIFO (-61018)         /* FIFO name not in the image */

/* The model's constant name of a status ("vodeverr_readOnlyAttribute"), or
 * null for a code that is not the model's. The text is static. */
VODEV_API const char* VoDev_StatusName(int32_t status);

/* ---- Open and close records ---------------------------------------------- */

/* Which entry point made an open. */
typedef enum VoDevOpenEntry {
  VODEV_OPEN_NONE = 0, /* no open since the last reset */
  VODEV_OPEN_FPGA = 1, /* VoFpgaDll_Open */
  VODEV_OPEN_GX = 2,   /* VoFpgaGx_Open */
} VoDevOpenEntry;

/* The last open call as it arrived (recorded also when the open failed). */
typedef struct VoDevOpenRecord {
  VoDevOpenEntry entry;
  uint32_t attribute;     /* the open attribute word, unchanged */
  int32_t imageGiven;     /* 0 when the image name was null */
  int32_t signatureGiven; /* 0 when the signature was null */
  int32_t resourceGiven;  /* 0 when the resource name was null */
  int32_t status;         /* what the open returned */
  uint32_t session;       /* the handle issued, 0 when the open failed */
  char image[1024];       /* image name, cut to 1023 bytes */
  char signature[256];    /* signature text, cut to 255 bytes */
  char resource[256];     /* resource name, cut to 255 bytes */
} VoDevOpenRecord;

/* Copies the last open into *record; returns its entry (VODEV_OPEN_NONE and
 * a zeroed record when there was none). */
VODEV_API VoDevOpenEntry VoDev_GetLastOpen(VoDevOpenRecord* record);

/* Short form: copies the last open's image name (NUL-terminated, cut to
 * imageSize - 1; nothing with a null buffer or size 0) and its attribute word
 * (when attribute is not null); returns the entry that made the open. */
VODEV_API VoDevOpenEntry VoDev_LastOpen(char* image, size_t imageSize, uint32_t* attribute);

/* Close attribute bit: VoFpgaDll_Close also returns the device's attributes
 * to their power-on values. Other bits of the close attribute are ignored. */
#define VODEV_CLOSE_RESET_DEVICE 0x1u

/* Copies the arguments of the last VoFpgaDll_Close (both outputs may be
 * null) and returns how many closes arrived since the last reset. */
VODEV_API uint32_t VoDev_LastClose(uint32_t* session, uint32_t* attribute);

/* Number of sessions currently open. */
VODEV_API uint32_t VoDev_OpenSessionCount(void);

/* Number of client function calls that arrived on a route since the last
 * reset, including those that the hook answered or that failed. */
VODEV_API uint64_t VoDev_RequestCount(VoDevRoute route);

/* ---- libVoFpgaGx.so ------------------------------------------------------- */

/* How often libVoFpgaGx.so has been loaded into the process (its
 * constructor ran); not cleared by VoDev_Reset. */
VODEV_API uint32_t VoDev_GxLoadCount(void);

/* The index most recently given to SetGXRTTLSIndex (0 before any), and, when
 * calls is not null, how many SetGXRTTLSIndex calls arrived in total. */
VODEV_API uint32_t VoDev_GxLastTlsIndex(uint32_t* calls);

/* ---- Simulation ------------------------------------------------------------ */

/* Copies the twelve arguments of the last voTarsin_RestartSimulation (each
 * widened to 64 bits) into args (may be null) and returns how many restarts
 * arrived since the last reset. */
VODEV_API uint32_t VoDev_LastRestart(uint64_t args[12]);

/* ---- Image registers ------------------------------------------------------- *
 * Every session's image carries two boolean registers, both reading 1:
 * "tarsin.module.dram ready 0" and "tarsin.module.data valid 0". Tests may
 * change them, add more or remove them. Register handles are numbered per
 * session from 1. */

/* Defines the register (or changes its value when it exists) on an open
 * session. Returns its handle (above 0) or a negative model code. */
VODEV_API int32_t VoDev_SetRegister(uint32_t session, const char* name, uint8_t value);

/* Removes a register from an open session's image; 0 or a negative code. */
VODEV_API int32_t VoDev_RemoveRegister(uint32_t session, const char* name);

/* How many VoFpgaDll_ReadBool calls read the register successfully, or a
 * negative code when the session or register does not exist. */
VODEV_API int64_t VoDev_RegisterReadCount(uint32_t session, const char* name);

/* Copies the name (cut to nameSize - 1) and the third argument of the last
 * VoFpgaDll_FindRegisterPrivate call; returns how many lookups arrived. */
VODEV_API uint32_t VoDev_LastFindRegister(char* name, size_t nameSize, uint32_t* reserved);

#ifdef __cplusplus
}
#endif

#endif
