/* Opens a device session, reads a few attributes and prints them. */
#include <stdio.h>

#include "votarsinapi.h"

static int check(int32_t status, const char* what) {
  if (status != 0) fprintf(stderr, "%s: status %d\n", what, (int)status);
  return status < 0;
}

int main(void) {
  Session session = 0;
  if (check(voTarsin_OpenSession("RIO0", NULL, 0, &session), "open RIO0")) return 1;
  printf("Session 0x%08x on RIO0\n", (unsigned)session);

  int32_t channels = 0, resolution = 0;
  double rate = 0, range = 0, temperature = 0;
  char fifo[64] = "";
  int failed = 0;
  failed |=
      check(voTarsin_GetAttributeInt32(session, NULL, VOTARSIN_ATTR_AI_CHANNEL_COUNT, &channels),
            "AI Channel Count");
  failed |=
      check(voTarsin_GetAttributeInt32(session, NULL, VOTARSIN_ATTR_ADC_RESOLUTION, &resolution),
            "ADC Resolution");
  failed |= check(voTarsin_GetAttributeDouble(session, NULL, VOTARSIN_ATTR_ADC_SAMPLE_RATE, &rate),
                  "ADC Sample Rate");
  failed |= check(voTarsin_GetAttributeDouble(session, "AI0", VOTARSIN_ATTR_AI_RANGE, &range),
                  "AI Range");
  failed |= check(
      voTarsin_GetAttributeDouble(session, NULL, VOTARSIN_ATTR_FPGA_TEMPERATURE, &temperature),
      "FPGA Temperature");
  failed |= check(voTarsin_GetAttributeString(session, "0", VOTARSIN_ATTR_STREAM_FIFO_NAME,
                                              sizeof fifo - 1, fifo),
                  "Stream FIFO Name");
  if (!failed) {
    printf("  %-20s %d\n", "AI Channel Count", (int)channels);
    printf("  %-20s %d bits\n", "ADC Resolution", (int)resolution);
    printf("  %-20s %.6g S/s\n", "ADC Sample Rate", rate);
    printf("  %-20s %.3g V\n", "AI0 Range", range);
    printf("  %-20s %.1f C\n", "FPGA Temperature", temperature);
    printf("  %-20s %s\n", "Stream 0 FIFO", fifo);
  }
  check(voTarsin_CloseSession(session, 0), "close");
  return failed;
}
