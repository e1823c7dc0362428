/* votarsinapi: host-side driver library of the Tarsin FPGA digitizers and
 * I/O modules. Plain C ABI; every function returns an int32_t status: 0 is
 * success, a negative value an error, a positive value a warning. Outputs are
 * written only on status 0 unless a function's line says otherwise.
 * voTarsin_GetError turns any status into text.
 * Threads: every entry point may be called from any thread at any time, and sessions are
 * independent of each other; the exceptions are noted at the functions concerned (simulation
 * restart and dispose, the GX runtime setters, translators from voxlator_exported_create) and
 * concurrent sets of one attribute interleave per channel. */
#ifndef VOTARSINAPI_H
#define VOTARSINAPI_H

#include <stddef.h>
#include <stdint.h>

/* Version of this header and of the library built with it (semantic versioning: a new major
 * version breaks the ABI, a new minor version adds to it). */
#define VOTARSINAPI_VERSION_MAJOR 0
#define VOTARSINAPI_VERSION_MINOR 1
#define VOTARSINAPI_VERSION_PATCH 0

#if defined(_WIN32)
#if defined(VOTARSIN_BUILDING_LIBRARY)
#define VOTARSIN_API __declspec(dllexport)
#elif defined(VOTARSIN_STATIC) /* linked with the library's objects, not the DLL */
#define VOTARSIN_API
#else
#define VOTARSIN_API __declspec(dllimport)
#endif
#else
#define VOTARSIN_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A device session; bit 13 (VOTARSIN_SESSION_SIMULATED) marks a simulated one. */
typedef uint32_t Session;
#define VOTARSIN_SESSION_SIMULATED 0x2000u

/* Status codes raised by the library itself. */
#define VOTARSIN_SUCCESS 0
#define VOTARSIN_ERR_MEMORY_FULL (-52000)        /* allocation failed */
#define VOTARSIN_ERR_SOFTWARE_FAULT (-52003)     /* internal failure */
#define VOTARSIN_ERR_BAD_CAST (-52004)           /* internal type mismatch */
#define VOTARSIN_ERR_INVALID_PARAMETER (-52005)  /* invalid argument */
#define VOTARSIN_ERR_RESOURCE_NOT_FOUND (-52006) /* missing component, file or value */
#define VOTARSIN_ERR_SYSTEM (-52008)             /* operating-system error */
#define VOTARSIN_ERR_TEXT_CONVERSION (-52027)    /* text has no representation */
#define VOTARSIN_ERR_UNSUPPORTED_FORMAT (-52029) /* unsupported report format */
#define VOTARSIN_ERR_NULL_OUTPUT (-1)            /* null output pointer given to a getter */
#define VOTARSIN_ERR_INVALID_ATTRIBUTE (-63196)  /* attribute ID outside its type's range */

/* Channel-list and attribute statuses. */
#define VOTARSIN_ERR_CHANNEL_LIST_SYNTAX (-304419) /* a token matches no channel form */
#define VOTARSIN_ERR_CHANNEL_LIST_FULL (-304420)   /* more than 64 channels */
#define VOTARSIN_ERR_CHANNEL_NUMBER (-304421)      /* AI/AO channel number of 64 or more */
#define VOTARSIN_ERR_STREAM_NUMBER (-304422)       /* bare number of 64 or more */

/* Device attributes (ID, type, name). */
#define VOTARSIN_ATTR_CHANNELS_IN_STREAM 0x10000000u     /* Int32: Channels In Stream */
#define VOTARSIN_ATTR_SAMPLES_PER_CLOCK 0x10000001u      /* Int32: Samples Per Clock */
#define VOTARSIN_ATTR_ADC_RESOLUTION 0x10000005u         /* Int32: ADC Resolution */
#define VOTARSIN_ATTR_ADC_SAMPLE_CONTAINER 0x10000006u   /* Int32: ADC Sample Container */
#define VOTARSIN_ATTR_SYNQ_SESSION_REFERENCE 0x10000007u /* Int32: Synq Session Reference */
#define VOTARSIN_ATTR_ANALOG_EDGE_TRIGGER_CHANNEL \
  0x10000008u                                               /* Int32: Analog Edge Trigger Channel */
#define VOTARSIN_ATTR_START_TRIGGER_TYPE 0x10000009u        /* Int32: Start Trigger Type */
#define VOTARSIN_ATTR_REFERENCE_CLOCK_SOURCE 0x1000000Bu    /* Int32: Reference Clock Source */
#define VOTARSIN_ATTR_CALIBRATION_STORAGE_SIZE 0x1000000Cu  /* Int32: Calibration Storage Size */
#define VOTARSIN_ATTR_IO_ERROR 0x1000000Du                  /* Int32: IO Error */
#define VOTARSIN_ATTR_AI_NYQUIST_ZONE 0x1000000Eu           /* Int32: AI Nyquist Zone */
#define VOTARSIN_ATTR_AI_CHANNEL_COUNT 0x1000000Fu          /* Int32: AI Channel Count */
#define VOTARSIN_ATTR_ADC_CLOCK_DIVISOR 0x10000010u         /* Int32: ADC Clock Divisor */
#define VOTARSIN_ATTR_AI_COUPLING 0x10000011u               /* Int32: AI Coupling */
#define VOTARSIN_ATTR_PHASE_DAC_VALUE 0x10000012u           /* Int32: Phase DAC Value */
#define VOTARSIN_ATTR_SAMPLE_CLOCK_SOURCE 0x10000013u       /* Int32: Sample Clock Source */
#define VOTARSIN_ATTR_AI_DECIMATION_FILTER_BAND 0x10000014u /* Int32: AI Decimation Filter Band */
#define VOTARSIN_ATTR_DATA_CLOCK_DIVISOR 0x10000015u        /* Int32: Data Clock Divisor */
#define VOTARSIN_ATTR_START_TRIGGER_SENSITIVITY 0x10000016u /* Int32: Start Trigger Sensitivity */
#define VOTARSIN_ATTR_IO_MODULE_REF_CLK_PIN_SRC 0x10000017u /* Int32: IO Module Ref Clk Pin Src */
#define VOTARSIN_ATTR_ANALOG_EDGE_TRIGGER_LEVEL    \
  0x20000002u /* Double: Analog Edge Trigger Level \
               */
#define VOTARSIN_ATTR_ANALOG_EDGE_TRIGGER_HYSTERESIS \
  0x20000003u                                       /* Double: Analog Edge Trigger Hysteresis */
#define VOTARSIN_ATTR_FPGA_TEMPERATURE 0x20000005u  /* Double: FPGA Temperature */
#define VOTARSIN_ATTR_TOTAL_POWER 0x20000006u       /* Double: Total Power */
#define VOTARSIN_ATTR_12V_POWER 0x20000007u         /* Double: 12V Power */
#define VOTARSIN_ATTR_3V3_POWER 0x20000008u         /* Double: 3V3 Power */
#define VOTARSIN_ATTR_12V_IO_POWER 0x20000009u      /* Double: 12V IO Power */
#define VOTARSIN_ATTR_TEMPERATURE_LIMIT 0x2000000Au /* Double: Temperature Limit */
#define VOTARSIN_ATTR_POWER_LIMIT 0x2000000Bu       /* Double: Power Limit */
#define VOTARSIN_ATTR_CALIBRATION_TEMPERATURE 0x2000000Du  /* Double: Calibration Temperature */
#define VOTARSIN_ATTR_VERIFICATION_TEMPERATURE 0x2000000Eu /* Double: Verification Temperature */
#define VOTARSIN_ATTR_AI_IMPEDANCE 0x2000000Fu             /* Double: AI Impedance */
#define VOTARSIN_ATTR_AI_RANGE 0x20000010u                 /* Double: AI Range */
#define VOTARSIN_ATTR_AI_SCALING_GAIN 0x20000011u          /* Double: AI Scaling Gain */
#define VOTARSIN_ATTR_AI_SCALING_OFFSET 0x20000012u        /* Double: AI Scaling Offset */
#define VOTARSIN_ATTR_SAMPLE_DT 0x20000013u                /* Double: Sample dt */
#define VOTARSIN_ATTR_DIO_VOLTAGE 0x20000014u              /* Double: DIO Voltage */
#define VOTARSIN_ATTR_DATA_CLOCK_RATE 0x20000015u          /* Double: Data Clock Rate */
#define VOTARSIN_ATTR_ADC_SAMPLE_RATE 0x20000016u          /* Double: ADC Sample Rate */
#define VOTARSIN_ATTR_SAMPLE_CLOCK_TIMEBASE_RATE \
  0x20000017u                                          /* Double: Sample Clock Timebase Rate */
#define VOTARSIN_ATTR_REFERENCE_CLOCK_RATE 0x20000018u /* Double: Reference Clock Rate */
#define VOTARSIN_ATTR_DATA_DELAY 0x20000019u           /* Double: Data Delay */
#define VOTARSIN_ATTR_DIGITAL_START_TRIGGER_SOURCE \
  0x30000000u                                      /* String: Digital Start Trigger Source */
#define VOTARSIN_ATTR_STREAM_FIFO_NAME 0x30000002u /* String: Stream FIFO Name */
#define VOTARSIN_ATTR_START_TRIGGER_OUTPUT_TERMINAL \
  0x30000003u /* String: Start Trigger Output Terminal */
#define VOTARSIN_ATTR_PHASE_DAC_CALIBRATION_POLYNOMIAL \
  0x30000004u /* String: Phase DAC Calibration Polynomial */
#define VOTARSIN_ATTR_TDC_CALIBRATION_POLYNOMIAL \
  0x30000005u                                   /* String: TDC Calibration Polynomial */
#define VOTARSIN_ATTR_ROUTING_ALIAS 0x30000006u /* String: Routing Alias */
#define VOTARSIN_ATTR_START_TRIGGER_FOR_SYNQ_OUTPUT_TERMINAL \
  0x30000007u                                   /* String: Start Trigger for Synq Output Terminal */
#define VOTARSIN_ATTR_STREAM_FINITE 0x40000001u /* Boolean: Stream Finite */
#define VOTARSIN_ATTR_ANALOG_EDGE_TRIGGER_RISING \
  0x40000002u                                              /* Boolean: Analog Edge Trigger Rising */
#define VOTARSIN_ATTR_IO_READY 0x40000003u                 /* Boolean: IO Ready */
#define VOTARSIN_ATTR_IOC_FILTER_ENABLE 0x40000004u        /* Boolean: IOC Filter Enable */
#define VOTARSIN_ATTR_INTERNAL_SYNC_BYPASS_CAL 0x40000005u /* Boolean: Internal Sync Bypass Cal */
#define VOTARSIN_ATTR_STREAM_NUMBER_OF_SAMPLES 0x50000000u /* UInt64: Stream Number Of Samples */
#define VOTARSIN_ATTR_STREAM_FIFO_SIZE 0x50000001u         /* UInt64: Stream FIFO Size */
#define VOTARSIN_ATTR_STREAM_CHANNELS_ENABLED 0x50000002u  /* UInt64: Stream Channels Enabled */
#define VOTARSIN_ATTR_CALIBRATION_DATE_TIME 0x50000003u    /* UInt64: Calibration Date/Time */
#define VOTARSIN_ATTR_VERIFICATION_DATE_TIME 0x50000004u   /* UInt64: Verification Date/Time */
#define VOTARSIN_ATTR_INTERNAL_SCALING_COEF_PTR    \
  0x50000005u /* UInt64: Internal Scaling Coef Ptr \
               */

/* Built-in image names for voTarsin_OpenSession. */
#define VOTARSIN_IMAGE_DEFAULT "/com::vo::tarsin::image::default"
#define VOTARSIN_IMAGE_USER "/com::vo::tarsin::image::user"
#define VOTARSIN_IMAGE_GOLDEN "/com::vo::tarsin::image::golden"

/* ---- Sessions ---- */

/* Opens resourceName ("RIO0", ...) with imageName (null: the default image); bit 31 of attribute is
 * always set, bit 30 too for a built-in image. -52005 for a null resourceName or session. */
VOTARSIN_API int32_t voTarsin_OpenSession(const char* resourceName, const char* imageName,
                                          uint32_t attribute, Session* session);
/* Closes a session; attribute is passed to the FPGA interface library unchanged. */
VOTARSIN_API int32_t voTarsin_CloseSession(Session session, uint32_t attribute);
/* Opens a session for the graphical environment through VoFpgaGx, bound on first use (-52005 when
 * it cannot be loaded; the next call tries again); threads arriving together bind it once. */
VOTARSIN_API int32_t voTarsin_GxOpenSession(const char* resourceName, const char* imageName,
                                            uint32_t attribute, Session* session);
/* Stores the graphical environment's TLS index, handed to VoFpgaGx when it is bound. */
VOTARSIN_API void SetGXRTTLSIndexHook(uint32_t index);

/* ---- Attributes ----
 * Getters take one channel name ("AI3", a stream number such as "5", or null/"" for the
 * device); setters take a channel list ("AI0-AI3,AO1,5"; null/"" for the device).
 * -63196: ID outside its type's range; -1: null output pointer. Sets of one attribute from
 * several threads at once interleave per channel: each channel ends with one of the values. */

/* Reads an Int32 attribute (IDs 0x10000000-0x1000FFFE). */
VOTARSIN_API int32_t voTarsin_GetAttributeInt32(Session session, const char* channelName,
                                                uint32_t attributeId, int32_t* value);
/* Reads a UInt64 attribute (IDs 0x50000000-0x5000FFFE). */
VOTARSIN_API int32_t voTarsin_GetAttributeUInt64(Session session, const char* channelName,
                                                 uint32_t attributeId, uint64_t* value);
/* Reads a Double attribute (IDs 0x20000000-0x2000FFFE). */
VOTARSIN_API int32_t voTarsin_GetAttributeDouble(Session session, const char* channelName,
                                                 uint32_t attributeId, double* value);
/* Reads a String attribute (IDs 0x30000000-0x3000FFFE) into at most bufferSize bytes, zero-filled;
 * a text of bufferSize characters or more is not terminated. */
VOTARSIN_API int32_t voTarsin_GetAttributeString(Session session, const char* channelName,
                                                 uint32_t attributeId, size_t bufferSize,
                                                 char* buffer);
/* Reads a Boolean attribute (IDs 0x40000000-0x4000FFFE) as 0 or non-zero; value may be null. */
VOTARSIN_API int32_t voTarsin_GetAttributeBoolean(Session session, const char* channelName,
                                                  uint32_t attributeId, uint32_t* value);
/* Writes an Int32 attribute on every channel of the list; stops at the first error. */
VOTARSIN_API int32_t voTarsin_SetAttributeInt32(Session session, const char* channelList,
                                                uint32_t attributeId, int32_t value);
/* Writes a UInt64 attribute on every channel of the list; stops at the first error. */
VOTARSIN_API int32_t voTarsin_SetAttributeUInt64(Session session, const char* channelList,
                                                 uint32_t attributeId, uint64_t value);
/* Writes a Double attribute on every channel of the list; stops at the first error. */
VOTARSIN_API int32_t voTarsin_SetAttributeDouble(Session session, const char* channelList,
                                                 uint32_t attributeId, double value);
/* Writes a String attribute (cut at 256 bytes; null is the empty text) on every channel of the
 * list. */
VOTARSIN_API int32_t voTarsin_SetAttributeString(Session session, const char* channelList,
                                                 uint32_t attributeId, const char* value);
/* Writes a Boolean attribute (non-zero is sent as 1) on every channel of the list. */
VOTARSIN_API int32_t voTarsin_SetAttributeBoolean(Session session, const char* channelList,
                                                  uint32_t attributeId, uint32_t value);

/* ---- Simulation ----
 * Simulated sessions (resources "SIM...", handle bit 0x2000) are answered by the
 * simulation library, which must be bound by voTarsin_RestartSimulation first; until
 * then their requests fail with -52006. Restart and dispose must not overlap requests
 * of simulated sessions. */

/* Binds the simulation library on first use and forwards the twelve arguments to its restart entry;
 * -1 when the library or an entry point is missing. Not concurrently with another restart, a
 * dispose or any request of a simulated session. */
VOTARSIN_API int32_t voTarsin_RestartSimulation(uint32_t a1, uint32_t a2, uint64_t a3, uint64_t a4,
                                                uint64_t a5, uint64_t a6, uint64_t a7, uint32_t a8,
                                                uint64_t a9, uint64_t a10, uint64_t a11,
                                                uint64_t a12);
/* Unbinds and unloads the simulation library; always 0. Not concurrently with a restart, another
 * dispose or any request of a simulated session. */
VOTARSIN_API int32_t voTarsin_DisposeSimulation(void);

/* ---- Streams ----
 * Streams 0..63 carry analog inputs. Order of use: configure enabled channels, the finite
 * sample count, the start trigger and the clock; start; wait; read; clear. The reads hand
 * the driver the caller's buffers, which it fills directly. */

#define VOTARSIN_STREAM_COUNT 64u
#define VOTARSIN_ERR_INVALID_STREAM (-304405) /* stream number of 64 or more */
#define VOTARSIN_ERR_READ_OVERFLOW (-304415)  /* read incomplete, stream state 4 (overflow) */
#define VOTARSIN_ERR_READ_STOPPED (-304416)   /* read incomplete, stream state 6 (not running) */
#define VOTARSIN_ERR_TIMEOUT (-50400)         /* read incomplete, any other stream state */
#define VOTARSIN_STREAM_STATE_OVERFLOW 4u /* stream state that gives VOTARSIN_ERR_READ_OVERFLOW */
#define VOTARSIN_STREAM_STATE_STOPPED 6u  /* stream state that gives VOTARSIN_ERR_READ_STOPPED */
#define VOTARSIN_READ_INFO_SIZE 80        /* bytes of one channel's information record */

/* Information record of one channel of a read; the driver writes it, its layout is the
 * driver's. */
typedef struct VoTarsinReadInfo {
  uint8_t bytes[VOTARSIN_READ_INFO_SIZE];
} VoTarsinReadInfo;

/* Enables the analog inputs of channelList ("AI0-AI3") on stream; *channelCount (may be null)
 * receives the number of distinct channels, also when a later write fails. */
VOTARSIN_API int32_t voTarsin_ConfigureStreamEnabledChannels(Session session, uint32_t stream,
                                                             const char* channelList,
                                                             uint32_t* channelCount);
/* Makes stream finite with numberOfSamples samples per channel. */
VOTARSIN_API int32_t voTarsin_ConfigureStreamFinite(Session session, uint32_t stream,
                                                    uint64_t numberOfSamples);
/* Starts stream (the stream number is passed to the driver unchecked). */
VOTARSIN_API int32_t voTarsin_StartStream(Session session, uint32_t stream);
/* Waits for stream's transfer; *countOut and *stateOut (each may be null) are written after every
 * call, also a failed one. */
VOTARSIN_API int32_t voTarsin_WaitForTransfer(Session session, uint32_t stream, uint64_t count,
                                              uint32_t timeout, uint64_t* countOut,
                                              uint8_t* stateOut);
/* Clears stream (the stream number is passed to the driver unchecked). */
VOTARSIN_API int32_t voTarsin_ClearStream(Session session, uint32_t stream);
/* Reads numberOfSamples raw samples of one channel into data and its record into info; -52005 when
 * the byte count overflows 64 bits. */
VOTARSIN_API int32_t voTarsin_ReadStreamI16(Session session, uint32_t stream, uint32_t timeout,
                                            uint64_t numberOfSamples, int16_t* data,
                                            VoTarsinReadInfo* info);
/* Reads numberOfSamples scaled values of one channel into data and its record into info;
 * -52005 when the byte count overflows 64 bits. */
VOTARSIN_API int32_t voTarsin_ReadStreamF64(Session session, uint32_t stream, uint32_t timeout,
                                            uint64_t numberOfSamples, double* data,
                                            VoTarsinReadInfo* info);
/* Reads numberOfChannels rows of samplesPerChannel raw samples into data and one record per row
 * into info; -52005 when the byte count overflows 64 bits. */
VOTARSIN_API int32_t voTarsin_ReadStream2DI16(Session session, uint32_t stream, uint32_t timeout,
                                              uint64_t numberOfChannels, uint64_t samplesPerChannel,
                                              int16_t* data, VoTarsinReadInfo* info);
/* Reads numberOfChannels rows of samplesPerChannel scaled values into data and one record per
 * row into info; -52005 when the byte count overflows 64 bits. */
VOTARSIN_API int32_t voTarsin_ReadStream2DF64(Session session, uint32_t stream, uint32_t timeout,
                                              uint64_t numberOfChannels, uint64_t samplesPerChannel,
                                              double* data, VoTarsinReadInfo* info);

/* ---- Triggers ----
 * Start triggers of a stream. Sensitivities of the digital trigger and slopes of the analog
 * edge trigger: */

#define VOTARSIN_SENSITIVITY_LOW_LEVEL 0x7FFFFFFC    /* digital trigger: low level */
#define VOTARSIN_SENSITIVITY_HIGH_LEVEL 0x7FFFFFFD   /* digital trigger: high level */
#define VOTARSIN_SENSITIVITY_FALLING_EDGE 0x7FFFFFFE /* digital trigger: falling edge */
#define VOTARSIN_SENSITIVITY_RISING_EDGE 0x7FFFFFFF  /* digital trigger: rising edge */
#define VOTARSIN_SLOPE_FALLING 0                     /* analog edge trigger: falling */
#define VOTARSIN_SLOPE_RISING 1           /* analog edge trigger: rising (any non-zero) */
#define VOTARSIN_DIO_TRIGGER_SOURCE "DIO" /* source selecting the DIO trigger */

/* Starts stream as soon as it is started. */
VOTARSIN_API int32_t voTarsin_ConfigureImmediateTrigger(Session session, uint32_t stream);
/* Starts stream on source ("DIO" selects the DIO trigger) with sensitivity; -52005 for a null
 * source. */
VOTARSIN_API int32_t voTarsin_ConfigureDigitalStartTrigger(Session session, uint32_t stream,
                                                           const char* source, int32_t sensitivity);
/* Starts stream when the one analog input of channel crosses level (volts) on slope, with
 * hysteresis; -304420 for several channels, -304421 for a channel that is not an analog input. */
VOTARSIN_API int32_t voTarsin_ConfigureAnalogEdgeTrigger(Session session, uint32_t stream,
                                                         const char* channel, int32_t slope,
                                                         double level, double hysteresis);

/* ---- Clocks, routes and sync ---- */

#define VOTARSIN_ERR_INVALID_CLOCK_SELECTOR (-304410) /* external clock selector other than 0 */
#define VOTARSIN_REF_CLOCK_DEFAULT 0u                 /* reference clock: the device's default */
#define VOTARSIN_REF_CLOCK_ONBOARD 1u                 /* reference clock: onboard */
#define VOTARSIN_REF_CLOCK_PXI_CLK10 2u               /* reference clock: PXI_Clk10 */
#define VOTARSIN_REF_CLOCK_EXTERNAL 3u                /* reference clock: external */

/* Derives the sample clock from reference clock source (VOTARSIN_REF_CLOCK_...). */
VOTARSIN_API int32_t voTarsin_ConfigureForReferenceClock(Session session, uint32_t source);
/* Takes the sample clock from the front panel with timebase rate (Hz); selector must be 0. */
VOTARSIN_API int32_t voTarsin_ConfigureForExternalClock(Session session, int32_t selector,
                                                        double rate);
/* Routes terminal1 to terminal2 (names cut at 511 characters); *route (may be null) receives the
 * route's identifier after every call; -52005 for a null name. */
VOTARSIN_API int32_t voTarsin_RouteSignal(Session session, const char* terminal1,
                                          const char* terminal2, uint32_t* route);
/* Removes the route that voTarsin_RouteSignal identified as route. */
VOTARSIN_API int32_t voTarsin_UnrouteSignal(Session session, uint32_t route);
/* Sends a synchronisation pulse. */
VOTARSIN_API int32_t voTarsin_SendSyncPulse(Session session);

/* ---- Calibration storage ----
 * Blocks of bytes in the device's calibration area; the bytes and location are the driver's. */

#define VOTARSIN_ERR_RECORD_ALLOCATION (-304017) /* record or registry entry not allocated */

/* Writes size bytes of data for location; -52005 for null data or a size that overflows the
 * record, -304017 when the record cannot be allocated. */
VOTARSIN_API int32_t voTarsin_WriteCalibrationData(Session session, uint32_t location,
                                                   const void* data, uint64_t size);
/* Reads size bytes for location into buffer; -52005 for a null buffer. */
VOTARSIN_API int32_t voTarsin_ReadCalibrationData(Session session, uint32_t location, void* buffer,
                                                  uint64_t size);
/* Asks the driver to update the device's verification information. */
VOTARSIN_API int32_t voTarsin_UpdateVerificationInformation(Session session);

/* ---- Limits, commit and I/O readiness ---- */

#define VOTARSIN_ERR_IO_NOT_READY (-304314)        /* I/O not ready in time, or IO Error negative */
#define VOTARSIN_ERR_MODULE_MEMORY (-304417)       /* module memory not ready in time */
#define VOTARSIN_ERR_MODULE_DATA_INVALID (-304418) /* module data not valid in time */

/* Sets the device's temperature limit. */
VOTARSIN_API int32_t voTarsin_SetTemperatureLimit(Session session, double limit);
/* Sets the device's power limit. */
VOTARSIN_API int32_t voTarsin_SetPowerLimit(Session session, double limit);
/* Reads the temperature limit; *limit is written after every call; -52005 for a null limit. */
VOTARSIN_API int32_t voTarsin_GetTemperatureLimit(Session session, double* limit);
/* Reads the power limit; *limit is written after every call; -52005 for a null limit. */
VOTARSIN_API int32_t voTarsin_GetPowerLimit(Session session, double* limit);
/* Commits the session's configuration to the device. */
VOTARSIN_API int32_t voTarsin_Commit(Session session);
/* Busy-waits up to timeout ms (negative: no limit) for IO Ready or IO Error, then for the module's
 * memory and data; *ioReady and *ioError (each may be null) receive the last attribute values. */
VOTARSIN_API int32_t voTarsin_WaitForIoReady(Session session, int32_t timeout, uint32_t* ioReady,
                                             int32_t* ioError);

/* ---- Registers, instruction FIFO and image management ----
 * Reads that take an output write it after every call (after a failed one it carries no
 * meaning); a null output gives -52005. */

#define VOTARSIN_FIFO_BATCH_MAX 15u /* instruction words of one batch at most */

/* Reads the 32-bit register at offset of the device's base address region. */
VOTARSIN_API int32_t tarsin_readBar32(Session session, uint32_t offset, uint32_t* value);
/* Writes the 32-bit register at offset of the device's base address region. */
VOTARSIN_API int32_t tarsin_writeBar32(Session session, uint32_t offset, uint32_t value);
/* Sends one instruction to the instruction FIFO of target and reads its 32-bit result. */
VOTARSIN_API int32_t tarsin_instructionFifoRead(Session session, uint32_t target,
                                                uint64_t instruction, uint32_t* result);
/* Sends one instruction to the instruction FIFO of target. */
VOTARSIN_API int32_t tarsin_instructionFifoWrite(Session session, uint32_t target,
                                                 uint64_t instruction);
/* Writes count (at most 15) instructions to target's FIFO; -52005 for more or a null array. */
VOTARSIN_API int32_t voTarsin_WriteInstructionFifo(Session session, uint32_t target, uint32_t count,
                                                   const uint64_t* instructions);
/* Sends count (at most 15) instructions and reads the 64-bit result into *result (may be null). */
VOTARSIN_API int32_t voTarsin_ReadInstructionFifo(Session session, uint32_t target, uint32_t count,
                                                  const uint64_t* instructions, uint64_t* result);
/* Stores the session's FPGA image in the device's flash; option is the driver's. */
VOTARSIN_API int32_t tarsin_PromoteSessionToFlash(Session session, uint32_t option);
/* Sets (non-zero) or clears the flag that loads the user image at power-on. */
VOTARSIN_API int32_t voTarsin_SetUserAutoloadFlag(Session session, int32_t flag);
/* With a null buffer stores the image metadata's size in *size (after every call); else fetches
 * *size bytes of it into buffer. Always asks the size first; -52005 when size is null. */
VOTARSIN_API int32_t voTarsin_GetBitfileMetadata(Session session, uint64_t* size, void* buffer);
/* Fetches the serialised tree selected by treeSelector into buffer of size bytes. */
VOTARSIN_API int32_t tarsin_GetTreeSerialization(Session session, uint32_t treeSelector,
                                                 void* buffer, uint64_t size);
/* Looks up an image register by name (scope 0xFFFFFFFF: any); the FPGA interface's result. */
VOTARSIN_API int32_t voTarsin_QueryBitfileRegister(Session session, const char* name,
                                                   uint32_t scope, uint32_t* handle);
/* Looks up an image FIFO by name; the FPGA interface's result. */
VOTARSIN_API int32_t voTarsin_QueryBitfileFifo(Session session, const char* name, uint32_t scope,
                                               uint32_t* fifo);
/* Sets the I/O module's reference-clock pin source (attribute IO Module Ref Clk Pin Src). */
VOTARSIN_API int32_t voTarsinMDK_configureIoModuleRefClkPinSrc(Session session, uint32_t source);
/* Writes the I/O module's information record. */
VOTARSIN_API int32_t voTarsinMDK_writeIoModuleInfo(Session session, uint16_t field1,
                                                   uint16_t field2, uint32_t field3,
                                                   uint32_t field4, uint8_t field5,
                                                   uint16_t field6);
/* Reads the I/O module's information record (each output may be null; all ones after an error). */
VOTARSIN_API int32_t voTarsinMDK_readIoModuleInfo(Session session, uint16_t* field1,
                                                  uint16_t* field2, uint32_t* field3,
                                                  uint32_t* field4, uint8_t* field5,
                                                  uint16_t* field6);

/* ---- Session references ---- */

/* The session's reference for the synchronisation software, registering the session on first
 * use (once, also when several threads ask at once); -1 for a null reference. */
VOTARSIN_API int32_t voTarsin_GetSessionReference(Session session, uint32_t* reference);

/* ---- Error text ---- */

/* Writes the description of errorCode (with the driver's details for session; 0 for none) into
 * buffer, cut to bufferSize - 1 bytes, NUL-terminated and zero-filled; nothing when bufferSize is
 * 0. Returns 0 unless the call itself failed; a code without a description gives "Failed to
 * translate error elaboration.". */
VOTARSIN_API int32_t voTarsin_GetError(Session session, int32_t errorCode, uint64_t bufferSize,
                                       char* buffer);
/* For the maker's tools: creates this library's scripted translator "mxlator_votarsinapi" from a
 * registration JSON text; status points to the C++ status record of the translator interface;
 * returns the translator's interface head, or null with the reason in *status. A translator is
 * used by one thread at a time; separate translators may run at once. */
VOTARSIN_API void* voxlator_exported_create(const char* name, const char* registrationInfo,
                                            void* status);

/* ---- Graphical environment ----
 * The environment tells the library where its runtime is before it calls any GX entry
 * point; GX entry points end the process with a message when no runtime can be found. */

/* Stores the runtime module of the environment, then calls SetGXRTModuleHook. Call it before any
 * GX entry point, not while one runs. */
VOTARSIN_API void SetGXRTModule(void* module);
/* Does nothing; a hook the environment may call after SetGXRTModule. */
VOTARSIN_API void SetGXRTModuleHook(void);
/* Stores the environment's TLS index holding each thread's runtime module, then calls
 * SetGXRTTLSIndexHook. Call it before any GX entry point, not while one runs. */
VOTARSIN_API void SetGXRTTLSIndex(uint32_t index);

/* A string handle of the environment: pointer to pointer to a byte count and the text (no
 * terminator). */
typedef struct VoGxStringBlock {
  int32_t count;
  char text[1];
} VoGxStringBlock;
typedef VoGxStringBlock** VoGxStringHandle;
/* A numeric array handle of the environment: pointer to pointer to one int32 size per dimension,
 * then the elements (16-bit 1-D at offset 4, otherwise at offset 8). */
typedef void** VoGxArrayHandle;
/* A timestamp of the environment: two 64-bit words. */
typedef struct VoGxTimestamp {
  uint64_t words[2];
} VoGxTimestamp;

/* GX attribute entry points: channel (list) in a string handle (first 511 bytes, up to a zero byte;
 * null is the device); every non-zero status is described into *errorText (line feed, then the
 * description). */

/* Stores a line feed and the description of errorCode in *errorText (created when null); code 0
 * leaves it untouched. -52000 when the handle cannot be resized. */
VOTARSIN_API int32_t voTarsin_GXGetError(Session session, int32_t errorCode,
                                         VoGxStringHandle* errorText);
/* voTarsin_GetAttributeInt32 with the channel in a string handle. */
VOTARSIN_API int32_t voTarsin_GetAttributeInt32GX(Session session, VoGxStringHandle* channel,
                                                  uint32_t attributeId, int32_t* value,
                                                  VoGxStringHandle* errorText);
/* voTarsin_GetAttributeUInt64 with the channel in a string handle. */
VOTARSIN_API int32_t voTarsin_GetAttributeUInt64GX(Session session, VoGxStringHandle* channel,
                                                   uint32_t attributeId, uint64_t* value,
                                                   VoGxStringHandle* errorText);
/* voTarsin_GetAttributeDouble with the channel in a string handle. */
VOTARSIN_API int32_t voTarsin_GetAttributeDoubleGX(Session session, VoGxStringHandle* channel,
                                                   uint32_t attributeId, double* value,
                                                   VoGxStringHandle* errorText);
/* Reads a Boolean attribute as 0 or 1; value may be null (the request is still sent). */
VOTARSIN_API int32_t voTarsin_GetAttributeBoolGX(Session session, VoGxStringHandle* channel,
                                                 uint32_t attributeId, uint8_t* value,
                                                 VoGxStringHandle* errorText);
/* Reads a String attribute into *value (created when null); a warning stores the empty text, an
 * error leaves it untouched. */
VOTARSIN_API int32_t voTarsin_GetAttributeStringGX(Session session, VoGxStringHandle* channel,
                                                   uint32_t attributeId, VoGxStringHandle* value,
                                                   VoGxStringHandle* errorText);
/* Reads a UInt64 attribute into a timestamp as {0, value}; written {0, 0} also on failure. */
VOTARSIN_API int32_t voTarsin_GetAttributeTimestampGX(Session session, VoGxStringHandle* channel,
                                                      uint32_t attributeId,
                                                      VoGxTimestamp* timestamp,
                                                      VoGxStringHandle* errorText);
/* voTarsin_SetAttributeInt32 with the list in a string handle; -52005 for a null value. */
VOTARSIN_API int32_t voTarsin_SetAttributeInt32GX(Session session, VoGxStringHandle* channels,
                                                  uint32_t attributeId, const int32_t* value,
                                                  VoGxStringHandle* errorText);
/* voTarsin_SetAttributeUInt64 with the list in a string handle; -52005 for a null value. */
VOTARSIN_API int32_t voTarsin_SetAttributeUInt64GX(Session session, VoGxStringHandle* channels,
                                                   uint32_t attributeId, const uint64_t* value,
                                                   VoGxStringHandle* errorText);
/* voTarsin_SetAttributeDouble with the list in a string handle; -52005 for a null value. */
VOTARSIN_API int32_t voTarsin_SetAttributeDoubleGX(Session session, VoGxStringHandle* channels,
                                                   uint32_t attributeId, const double* value,
                                                   VoGxStringHandle* errorText);
/* Writes 1 for a non-zero *value, else 0; -52005 for a null value. */
VOTARSIN_API int32_t voTarsin_SetAttributeBoolGX(Session session, VoGxStringHandle* channels,
                                                 uint32_t attributeId, const uint8_t* value,
                                                 VoGxStringHandle* errorText);
/* Writes the handle's text (first 511 bytes; empty for null) as a String attribute. */
VOTARSIN_API int32_t voTarsin_SetAttributeStringGX(Session session, VoGxStringHandle* channels,
                                                   uint32_t attributeId, VoGxStringHandle* value,
                                                   VoGxStringHandle* errorText);

/* GX reads: the data handle (and the 2-D information array, 80-byte records from offset 8) is kept
 * when it fits and is at most twice too large, else resized; its sizes are set after the read
 * whatever it returned. -52000 when a handle cannot be sized. */

/* voTarsin_ReadStreamI16 into a 1-D array handle; *info (80 bytes) is cleared first. */
VOTARSIN_API int32_t voTarsin_GxReadStreamI16(Session session, uint32_t stream, uint32_t timeout,
                                              uint64_t numberOfSamples, VoGxArrayHandle* data,
                                              VoTarsinReadInfo* info);
/* voTarsin_ReadStreamF64 into a 1-D array handle; *info (80 bytes) is cleared first. */
VOTARSIN_API int32_t voTarsin_GxReadStreamF64(Session session, uint32_t stream, uint32_t timeout,
                                              uint64_t numberOfSamples, VoGxArrayHandle* data,
                                              VoTarsinReadInfo* info);
/* voTarsin_ReadStream2DI16 into a 2-D array handle (rows = channels); numberOfChannels all ones
 * reads the stream's Channels In Stream, 0 fails with -304401. */
VOTARSIN_API int32_t voTarsin_GxReadStream2DI16(Session session, uint32_t stream, uint32_t timeout,
                                                uint64_t numberOfChannels,
                                                uint64_t samplesPerChannel, VoGxArrayHandle* data,
                                                VoGxArrayHandle* info);
/* voTarsin_ReadStream2DF64 into a 2-D array handle, as voTarsin_GxReadStream2DI16. */
VOTARSIN_API int32_t voTarsin_GxReadStream2DF64(Session session, uint32_t stream, uint32_t timeout,
                                                uint64_t numberOfChannels,
                                                uint64_t samplesPerChannel, VoGxArrayHandle* data,
                                                VoGxArrayHandle* info);

#ifdef __cplusplus
}
#endif

#endif
