/* A tour of the library: reads a few attributes of a device session, then
 * binds the simulation library, writes attributes of every type to AI0-AI3 of
 * a simulated device, reads them back and prints them as a table. */
#include <stdio.h>

#include "report_status.h"
#include "votarsinapi.h"

static int showDevice(const char* resource) {
  Session session = 0;
  if (failed(session, voTarsin_OpenSession(resource, NULL, 0, &session), "open")) return 1;
  int32_t channels = 0, resolution = 0;
  double rate = 0, temperature = 0;
  char fifo[64] = "";
  int bad =
      failed(session,
             voTarsin_GetAttributeInt32(session, NULL, VOTARSIN_ATTR_AI_CHANNEL_COUNT, &channels),
             "AI Channel Count") ||
      failed(session,
             voTarsin_GetAttributeInt32(session, NULL, VOTARSIN_ATTR_ADC_RESOLUTION, &resolution),
             "ADC Resolution") ||
      failed(session,
             voTarsin_GetAttributeDouble(session, NULL, VOTARSIN_ATTR_ADC_SAMPLE_RATE, &rate),
             "ADC Sample Rate") ||
      failed(
          session,
          voTarsin_GetAttributeDouble(session, NULL, VOTARSIN_ATTR_FPGA_TEMPERATURE, &temperature),
          "FPGA Temperature") ||
      failed(session,
             voTarsin_GetAttributeString(session, "0", VOTARSIN_ATTR_STREAM_FIFO_NAME,
                                         sizeof fifo - 1, fifo),
             "Stream FIFO Name");
  if (!bad) {
    printf("%s (session 0x%04x)\n", resource, (unsigned)session);
    printf("  %-18s %d\n", "AI channels", (int)channels);
    printf("  %-18s %d bits\n", "ADC resolution", (int)resolution);
    printf("  %-18s %.4g MS/s\n", "ADC sample rate", rate / 1e6);
    printf("  %-18s %.1f C\n", "FPGA temperature", temperature);
    printf("  %-18s %s\n\n", "Stream 0 FIFO", fifo);
  }
  failed(session, voTarsin_CloseSession(session, 0), "close");
  return bad;
}

static int showSimulatedChannels(void) {
  if (failed(0, voTarsin_RestartSimulation(0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), "bind simulation"))
    return 1;
  Session session = 0;
  if (failed(session, voTarsin_OpenSession("SIM0", NULL, 0, &session), "open SIM0")) return 1;
  const char* list = "AI0-AI3";
  int bad =
      failed(session, voTarsin_SetAttributeDouble(session, list, VOTARSIN_ATTR_AI_RANGE, 0.5),
             "set AI Range") ||
      failed(session, voTarsin_SetAttributeInt32(session, list, VOTARSIN_ATTR_AI_COUPLING, 0),
             "set AI Coupling") ||
      failed(session, voTarsin_SetAttributeBoolean(session, "0", VOTARSIN_ATTR_STREAM_FINITE, 1),
             "set Stream Finite") ||
      failed(
          session,
          voTarsin_SetAttributeUInt64(session, "0", VOTARSIN_ATTR_STREAM_NUMBER_OF_SAMPLES, 4096),
          "set Stream Number Of Samples") ||
      failed(session,
             voTarsin_SetAttributeString(session, NULL, VOTARSIN_ATTR_ROUTING_ALIAS, "bench-A"),
             "set Routing Alias");
  if (bad) goto close;

  printf("SIM0 (session 0x%04x), after writing %s\n", (unsigned)session, list);
  printf("  %-8s %10s %10s %14s\n", "channel", "range (V)", "coupling", "gain (V/code)");
  for (int i = 0; i < 4 && !bad; ++i) {
    char channel[8];
    snprintf(channel, sizeof channel, "AI%d", i);
    double range = 0, gain = 0;
    int32_t coupling = -1;
    bad =
        failed(session,
               voTarsin_GetAttributeDouble(session, channel, VOTARSIN_ATTR_AI_RANGE, &range),
               "get AI Range") ||
        failed(session,
               voTarsin_GetAttributeInt32(session, channel, VOTARSIN_ATTR_AI_COUPLING, &coupling),
               "get AI Coupling") ||
        failed(session,
               voTarsin_GetAttributeDouble(session, channel, VOTARSIN_ATTR_AI_SCALING_GAIN, &gain),
               "get AI Scaling Gain");
    if (!bad) printf("  %-8s %10.3g %10s %14.4g\n", channel, range, coupling ? "DC" : "AC", gain);
  }
  uint32_t finite = 0;
  uint64_t samples = 0;
  char alias[64] = "";
  bad = bad ||
        failed(session,
               voTarsin_GetAttributeBoolean(session, "0", VOTARSIN_ATTR_STREAM_FINITE, &finite),
               "get Stream Finite") ||
        failed(session,
               voTarsin_GetAttributeUInt64(session, "0", VOTARSIN_ATTR_STREAM_NUMBER_OF_SAMPLES,
                                           &samples),
               "get Stream Number Of Samples") ||
        failed(session,
               voTarsin_GetAttributeString(session, NULL, VOTARSIN_ATTR_ROUTING_ALIAS,
                                           sizeof alias - 1, alias),
               "get Routing Alias");
  if (!bad)
    printf("  stream 0: %s, %llu samples; routing alias \"%s\"\n\n",
           finite ? "finite" : "continuous", (unsigned long long)samples, alias);
close:
  failed(session, voTarsin_CloseSession(session, 0), "close");
  voTarsin_DisposeSimulation();
  return bad;
}

/* Provokes a device error and prints the library's description of it: the
 * static text of the code and the report the driver's context gives. */
static int showErrorText(void) {
  Session session = 0;
  if (failed(session, voTarsin_OpenSession("RIO0", NULL, 0, &session), "open RIO0")) return 1;
  const int32_t status =
      voTarsin_SetAttributeInt32(session, "0", VOTARSIN_ATTR_START_TRIGGER_TYPE, 9);
  char text[2048] = "";
  const int32_t described = voTarsin_GetError(session, status, sizeof text, text);
  printf("Setting Start Trigger Type to 9 on stream 0 gives status %d:\n%s\n", (int)status, text);
  failed(session, voTarsin_CloseSession(session, 0), "close");
  return status >= 0 || described != 0;
}

int main(void) {
  int bad = showDevice("RIO0");
  bad |= showSimulatedChannels();
  bad |= showErrorText();
  return bad;
}
