/* votarsinapi: host-side driver library of the Tarsin FPGA digitizers and
 * I/O modules. Plain C ABI; every function returns an int32_t status: 0 is
 * success, a negative value an error, a positive value a warning. Outputs are
 * written only on status 0 unless a function's line says otherwise.
 * voTarsin_GetError turns any status into text. */
#ifndef VOTARSINAPI_H
#define VOTARSINAPI_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#if defined(VOTARSIN_BUILDING_LIBRARY)
#define VOTARSIN_API __declspec(dllexport)
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
#define VOTARSIN_ATTR_ANALOG_EDGE_TRIGGER_LEVEL 0x20000002u /* Double: Analog Edge Trigger Level \
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
#define VOTARSIN_ATTR_INTERNAL_SCALING_COEF_PTR 0x50000005u /* UInt64: Internal Scaling Coef Ptr \
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
/* Opens a session for the graphical environment through VoFpgaGx, bound on first use (-52005 when it cannot be loaded; the next call tries again). */
VOTARSIN_API int32_t voTarsin_GxOpenSession(const char* resourceName, const char* imageName,
                                            uint32_t attribute, Session* session);
/* Stores the graphical environment's TLS index, handed to VoFpgaGx when it is bound. */
VOTARSIN_API void SetGXRTTLSIndexHook(uint32_t index);

/* ---- Attributes ----
 * Getters take one channel name ("AI3", a stream number such as "5", or null/"" for the
 * device); setters take a channel list ("AI0-AI3,AO1,5"; null/"" for the device).
 * -63196: ID outside its type's range; -1: null output pointer. */

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
 * -1 when the library or an entry point is missing. */
VOTARSIN_API int32_t voTarsin_RestartSimulation(uint32_t a1, uint32_t a2, uint64_t a3, uint64_t a4,
                                                uint64_t a5, uint64_t a6, uint64_t a7, uint32_t a8,
                                                uint64_t a9, uint64_t a10, uint64_t a11,
                                                uint64_t a12);
/* Unbinds and unloads the simulation library; always 0. */
VOTARSIN_API int32_t voTarsin_DisposeSimulation(void);

#ifdef __cplusplus
}
#endif

#endif
