/* Device maintenance: commits a session's configuration, waits until its I/O
 * is ready, prints the temperature and power limits, the I/O module's
 * information and the size of the image's metadata, writes a calibration
 * block and reads it back, and gets the session reference that the
 * synchronisation software uses. */
#include <stdio.h>
#include <string.h>

#include "report_status.h"
#include "votarsinapi.h"

static int waitUntilReady(Session session) {
  uint32_t ready = 0;
  int32_t ioError = 0;
  if (failed(session, voTarsin_Commit(session), "commit")) return 1;
  const int32_t status = voTarsin_WaitForIoReady(session, 2000, &ready, &ioError);
  printf("  %-22s %s (IO Error %d)\n", "I/O", ready ? "ready" : "not ready", (int)ioError);
  return failed(session, status, "wait for I/O ready");
}

static int showLimitsAndModule(Session session) {
  double temperature = 0, power = 0;
  uint16_t vendor = 0, product = 0, options = 0;
  uint32_t serial = 0, revision = 0;
  uint8_t slots = 0;
  uint64_t metadataSize = 0;
  if (failed(session, voTarsin_GetTemperatureLimit(session, &temperature), "temperature limit") ||
      failed(session, voTarsin_GetPowerLimit(session, &power), "power limit") ||
      failed(session,
             voTarsinMDK_readIoModuleInfo(session, &vendor, &product, &serial, &revision, &slots,
                                          &options),
             "I/O module information") ||
      failed(session, voTarsin_GetBitfileMetadata(session, &metadataSize, NULL),
             "image metadata size"))
    return 1;
  printf("  %-22s %.1f C\n", "temperature limit", temperature);
  printf("  %-22s %.1f W\n", "power limit", power);
  printf("  %-22s %04x:%04x serial %08x revision %08x (%u, %u)\n", "I/O module", (unsigned)vendor,
         (unsigned)product, (unsigned)serial, (unsigned)revision, (unsigned)slots,
         (unsigned)options);
  printf("  %-22s %llu bytes\n", "image metadata", (unsigned long long)metadataSize);
  return 0;
}

static int roundTripCalibration(Session session) {
  static const char block[] = "offset=-0.0012;gain=1.00031";
  char readBack[sizeof block];
  memset(readBack, 0, sizeof readBack);
  if (failed(session, voTarsin_WriteCalibrationData(session, 128, block, sizeof block),
             "write calibration") ||
      failed(session, voTarsin_ReadCalibrationData(session, 128, readBack, sizeof readBack),
             "read calibration"))
    return 1;
  const int same = memcmp(block, readBack, sizeof block) == 0;
  printf("  %-22s %s \"%s\"\n", "calibration block", same ? "read back" : "DIFFERS:", readBack);
  return !same;
}

static int showReference(Session session) {
  uint32_t reference = 0;
  if (failed(session, voTarsin_GetSessionReference(session, &reference), "session reference"))
    return 1;
  printf("  %-22s %u\n", "session reference", (unsigned)reference);
  return 0;
}

int main(void) {
  Session session = 0;
  if (failed(session, voTarsin_OpenSession("RIO0", NULL, 0, &session), "open RIO0")) return 1;
  printf("RIO0 maintenance (session 0x%04x)\n", (unsigned)session);
  int bad = waitUntilReady(session);
  bad = bad || showLimitsAndModule(session);
  bad = bad || roundTripCalibration(session);
  bad = bad || showReference(session);
  failed(session, voTarsin_CloseSession(session, 0), "close");
  return bad;
}
