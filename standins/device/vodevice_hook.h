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

/* ---- Fault injection --------------------------------------------------------
 * Makes client function calls fail the way a faulty driver would. A fault
 * applies to the requests of one function (or of all with function 0): to the
 * nth such request counted from VoDev_SetFault (nth 1 is the next one), or to
 * every one with nth 0. It acts after the request hook declined the request,
 * so a recording hook still sees it. One fault at a time; setting another
 * replaces it and restarts the count. */
typedef enum VoDevFaultKind {
  VODEV_FAULT_NONE = 0,
  VODEV_FAULT_STATUS = 1,    /* not served; answers `status`, output untouched */
  VODEV_FAULT_WARNING = 2,   /* served; a success becomes the positive `status` */
  VODEV_FAULT_SHORT = 3,     /* served; the output after its first `size` bytes is
                                overwritten with 0xA5 (a response cut short) */
  VODEV_FAULT_OVERSIZED = 4, /* served; the whole output is overwritten with 0xFF
                                (every count, size and index at its maximum,
                                strings without a terminator) */
  VODEV_FAULT_CONTEXT = 5,   /* function 800 answers success with `data`/`size`
                                as the context, cut to the output buffer and
                                without an added terminator */
  VODEV_FAULT_TIMEOUT = 6,   /* not served; waits `delayMs`, then answers `status`
                                (VODEV_E_WAIT_TIMED_OUT when 0) */
} VoDevFaultKind;

typedef struct VoDevFault {
  VoDevFaultKind kind;
  uint32_t function; /* client function number; 0 for every function */
  uint32_t nth;      /* 1-based index among the matching requests; 0 for all */
  int32_t status;    /* STATUS, WARNING, TIMEOUT */
  const void* data;  /* CONTEXT: the bytes (copied by VoDev_SetFault) */
  uint64_t size;     /* SHORT: bytes kept; CONTEXT: bytes of data */
  uint32_t delayMs;  /* TIMEOUT */
} VoDevFault;

/* Sets the fault (null, or kind VODEV_FAULT_NONE, removes it). VoDev_Reset
 * removes it too. */
VODEV_API void VoDev_SetFault(const VoDevFault* fault);

/* How many requests the current fault has acted on. */
VODEV_API uint64_t VoDev_FaultHits(void);

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
#define VODEV_E_NO_SUCH_STREAM (-61019)       /* stream request: stream number 64 or more */
#define VODEV_E_NULL_BUFFER (-61020)          /* read: sample or information address is 0 */
#define VODEV_E_BUFFER_TOO_SMALL (-61021)     /* read: fewer rows than the stream's channels */
#define VODEV_E_WAIT_TIMED_OUT (-61022)       /* wait: fewer samples ready than asked for */
#define VODEV_E_STREAM_OVERFLOW (-61023)      /* wait: the stream's FIFO overflowed */
#define VODEV_E_NO_SUCH_ROUTE (-61024)        /* unroute: identifier not of a present route */
#define VODEV_E_INVALID_ROUTE (-61025)        /* route: empty, looped, busy or too many */
#define VODEV_E_OUT_OF_MEMORY (-61026)        /* the model ran out of memory */
#define VODEV_E_INTERNAL (-61027)             /* the model failed in an unforeseen way */

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

/* ---- Acquisition ------------------------------------------------------------ *
 * Streams 0 to 63 of a device (shared by its sessions) acquire the simulated
 * signals of AI0 to AI15. README.md beside this header describes the stream,
 * route and synchronisation requests in full; in short:
 *
 * Signal of AI channel n, at sample index k counted from the stream's start:
 *   v(k) = A sin(2 pi k / P + phi) + noise(k mod L)   volts
 *   P = 100 + 20 n samples, A = 0.5 - 0.01 n V, phi = n pi / 8,
 *   noise: Gaussian, 0.5 mV standard deviation, drawn from the device's seed
 *   (the seed of voTarsin_RestartSimulation, 0 until one) for a table of
 *   L = P * ceil(8192 / P) samples, so it repeats every L samples.
 * The 14-bit converter gives code = round((v - offset) / gain), clamped to
 * -8192..8191, with gain = AI Range / 8192 ("AI Scaling Gain") and offset =
 * "AI Scaling Offset"; float64 samples are code * gain + offset. Gain and
 * signal are fixed when the stream starts.
 *
 * Start (278) arms the stream with its attributes of that moment. Trigger
 * types: 0 immediate (the record begins at sample 0); 4 analog edge (the
 * record begins at the first sample where the trigger channel's codes reach
 * the level, rising: after a sample below level - hysteresis, falling: after a
 * sample above level + hysteresis); 1 and 2 digital, waiting for a pulse on
 * the terminal named by Digital Start Trigger Source; 3 DIO, waiting for a
 * pulse on VODEV_DIO_TERMINAL. Every pulse satisfies every sensitivity.
 *
 * Terminals are pulsed by: the sync pulse (synchronisation command 1) on
 * VODEV_SYNC_TERMINAL; a stream that triggers, on its Start Trigger Output
 * Terminal; a new route from a terminal the model does not drive itself
 * (an outside signal), on the route's second terminal; VoDev_PulseTerminal.
 * Each pulse travels on along every route from the terminal pulsed (first
 * terminal to second) and triggers every stream waiting for a terminal it
 * reaches. Pulses are not stored: a stream started later waits for the next.
 *
 * Finite records are acquired the moment their trigger fires. A continuous
 * stream acquires in modelled time, which passes only while a read or a wait
 * of that stream waits (their timeouts are milliseconds of modelled time).
 *
 * Read response (28 bytes): u64 samples per channel delivered at 0; u64
 * samples per channel still ready at 8; u32 rows written at 16; u32 stream
 * state at 20; u32 completion at 24: 1 complete, 2 incomplete. */

/* Stream states (wait response byte 8, read response and information record). */
#define VODEV_STREAM_ACQUIRING 1 /* continuous stream triggered and acquiring */
#define VODEV_STREAM_WAITING 2   /* started, waiting for its start trigger */
#define VODEV_STREAM_OVERFLOW 4  /* continuous stream overflowed its FIFO */
#define VODEV_STREAM_STOPPED 6   /* not started, cleared, or finite record complete */

/* Terminal pulsed by the sync pulse; terminal of the DIO start trigger. */
#define VODEV_SYNC_TERMINAL "SyncPulse"
#define VODEV_DIO_TERMINAL "DIO"

/* Information record flags. */
#define VODEV_INFO_TRIGGERED 0x1u  /* the record has begun */
#define VODEV_INFO_INCOMPLETE 0x2u /* this read delivered fewer samples than asked */
#define VODEV_INFO_FINITE 0x4u     /* the stream is finite */

/* The 80-byte information record a read writes per row (channel). Packed
 * little-endian at these offsets; the struct has no padding. */
typedef struct VoDevReadInfo {
  uint64_t delivered;    /*  0: samples of this row delivered by this read */
  uint64_t position;     /*  8: record index of the row's first sample */
  uint64_t triggerIndex; /* 16: samples from the start to the record's first sample
                                (the trigger sample); all ones before the trigger */
  double t0;             /* 24: seconds from the start to the row's first sample,
                                (triggerIndex + position) * dt; 0 before the trigger */
  double dt;             /* 32: seconds per sample */
  double gain;           /* 40: volts per code */
  double offset;         /* 48: volts at code 0 */
  uint32_t channel;      /* 56: AI channel number of the row */
  uint32_t dataType;     /* 60: 7 int16 or 1 float64, as requested */
  uint32_t state;        /* 64: stream state after the read */
  uint32_t flags;        /* 68: VODEV_INFO_* */
  uint64_t ready;        /* 72: samples per channel still ready after the read */
} VoDevReadInfo;
typedef char VoDevReadInfoSizeCheck[sizeof(VoDevReadInfo) == 80 ? 1 : -1];

/* How many sync pulses (synchronisation command 1) reached the session's
 * device since its last reset, or a negative code for a session that is not
 * open; *lastArgument (when not null) receives the last pulse's u32 argument. */
VODEV_API int64_t VoDev_SyncPulseCount(uint32_t session, uint32_t* lastArgument);

/* Pulses a terminal of the session's device as an outside signal would (see
 * above). Returns the number of streams it triggered, or a negative code
 * (VODEV_E_INVALID_ARGUMENT for a null or empty name). */
VODEV_API int32_t VoDev_PulseTerminal(uint32_t session, const char* terminal);

/* The number of routes present on the session's device, or a negative code. */
VODEV_API int32_t VoDev_RouteCount(uint32_t session);

/* Copies the terminals of a present route (cut to size - 1; a null buffer or
 * size 0 receives nothing). Returns 0, VODEV_E_NO_SUCH_ROUTE or another
 * negative code. */
VODEV_API int32_t VoDev_GetRoute(uint32_t session, uint32_t route, char* source, size_t sourceSize,
                                 char* destination, size_t destinationSize);

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

/* ---- Maintenance ----------------------------------------------------------- *
 * A commit (maintenance command 342) starts the device's I/O: IO Ready reads
 * true one I/O delay after it, "tarsin.module.dram ready 0" one module delay
 * later and "tarsin.module.data valid 0" two module delays later. Before its
 * first commit a device reports IO Ready false while the image's registers
 * keep their loaded value 1; VoDev_SetRegister takes a register off the
 * commit. The calibration area, the I/O module record, the autoload flag and
 * the flash belong to the resource name for the life of the process (they
 * outlive closes, device resets and VoDev_Reset). README.md has the requests. */

/* Sets the I/O delay and the module delay; process-wide, 20 ms and 10 ms at
 * start, not changed by VoDev_Reset. */
VODEV_API void VoDev_SetCommitDelays(uint32_t ioReadyMs, uint32_t moduleMs);

/* Sets the IO Error attribute of the session's device; 0 or a negative code. */
VODEV_API int32_t VoDev_SetIoError(uint32_t session, int32_t value);

/* Commits the session's device received since its reset, or a negative code. */
VODEV_API int64_t VoDev_CommitCount(uint32_t session);

/* Scripts the next `count` VoFpgaDll_ReadBool calls of a register: call i
 * answers statuses[i] with values[i] (values may be null: all 0); later calls
 * read the register again. Replaces an earlier script; 0 or a negative code. */
VODEV_API int32_t VoDev_ScriptRegisterReads(uint32_t session, const char* name,
                                            const int32_t* statuses, const uint8_t* values,
                                            size_t count);

/* Words queued on an instruction FIFO target of the session's device, or a
 * negative code. */
VODEV_API int64_t VoDev_FifoDepth(uint32_t session, uint32_t target);

/* How often synchronisation command `command` (2 to 14) reached the session's
 * device since its reset, or a negative code; args (may be null) receive the
 * last one's two argument words (u32 zero-extended, f64 by its bits). */
VODEV_API int64_t VoDev_SynqCommandCount(uint32_t session, uint32_t command, uint64_t args[2]);

/* What a resource keeps for the life of the process. */
typedef struct VoDevNonVolatile {
  uint32_t autoload;            /* user autoload flag, 0 or 1 */
  uint32_t promoteOption;       /* option of the last promotion to flash */
  uint64_t promotions;          /* promotions to flash */
  uint64_t verificationUpdates; /* verification information updates */
  char flashImage[256];         /* image name last promoted, cut to 255 bytes */
} VoDevNonVolatile;

/* Copies a resource's non-volatile state (zeroed for a resource that has
 * none yet); 0 or VODEV_E_INVALID_ARGUMENT. */
VODEV_API int32_t VoDev_GetNonVolatile(const char* resource, VoDevNonVolatile* state);

/* Erases the non-volatile state of a resource, or of all with null. */
VODEV_API void VoDev_EraseNonVolatile(const char* resource);

#ifdef __cplusplus
}
#endif

#endif
