/* Acquires one triggered record of four channels from a simulated digitizer
 * and prints it as CSV, one column per channel.
 *
 * Stream 0 carries AI0 to AI3 as a finite record of 1000 samples per channel
 * that starts where AI0 rises through 0.2 V. The record is read as scaled
 * values (volts) in one 2-D read: row n of the buffer is channel AIn. */
#include <stdio.h>
#include <stdlib.h>

#include "report_status.h"
#include "votarsinapi.h"

#define STREAM 0u
#define CHANNELS 4u
#define SAMPLES 1000u
#define TIMEOUT_MS 5000u

static int acquire(Session session, double* data, VoTarsinReadInfo* info) {
  uint32_t enabled = 0;
  uint64_t ready = 0;
  uint8_t state = 0;
  if (failed(session, voTarsin_ConfigureStreamEnabledChannels(session, STREAM, "AI0-AI3", &enabled),
             "enable AI0-AI3"))
    return 1;
  if (failed(session, voTarsin_ConfigureStreamFinite(session, STREAM, SAMPLES), "finite record"))
    return 1;
  if (failed(session,
             voTarsin_ConfigureAnalogEdgeTrigger(session, STREAM, "AI0", VOTARSIN_SLOPE_RISING, 0.2,
                                                 0.01),
             "analog edge trigger"))
    return 1;
  if (failed(session, voTarsin_StartStream(session, STREAM), "start")) return 1;
  if (failed(session,
             voTarsin_WaitForTransfer(session, STREAM, SAMPLES, TIMEOUT_MS, &ready, &state),
             "wait"))
    return 1;
  if (failed(session,
             voTarsin_ReadStream2DF64(session, STREAM, TIMEOUT_MS, enabled, SAMPLES, data, info),
             "read"))
    return 1;
  return 0;
}

int main(void) {
  Session session = 0;
  if (failed(session, voTarsin_OpenSession("SIM0", NULL, 0, &session), "open SIM0")) return 1;
  /* Binds the simulation library, which answers the simulated session, and
   * restarts the simulated device (seed 1) from its power-on state. */
  if (failed(session, voTarsin_RestartSimulation(session, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0),
             "restart simulation")) {
    voTarsin_CloseSession(session, 0);
    return 1;
  }

  double* data = malloc(sizeof(double) * CHANNELS * SAMPLES);
  VoTarsinReadInfo info[CHANNELS];
  int result = 1;
  if (data == NULL)
    fprintf(stderr, "out of memory\n");
  else
    result = acquire(session, data, info);
  if (result == 0) {
    for (unsigned c = 0; c < CHANNELS; ++c) printf(c ? ",AI%u" : "AI%u", c);
    printf("\n");
    for (unsigned k = 0; k < SAMPLES; ++k) {
      for (unsigned c = 0; c < CHANNELS; ++c)
        printf(c ? ",%.6f" : "%.6f", data[(size_t)c * SAMPLES + k]);
      printf("\n");
    }
  }
  free(data);
  failed(session, voTarsin_ClearStream(session, STREAM), "clear");
  failed(session, voTarsin_CloseSession(session, 0), "close");
  return result;
}
