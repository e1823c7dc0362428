/* Shared by the examples: reports a status with the library's own text. */
#ifndef VOTARSIN_EXAMPLES_REPORT_STATUS_H
#define VOTARSIN_EXAMPLES_REPORT_STATUS_H

#include <stdio.h>

#include "votarsinapi.h"

/* Prints a non-zero status of `what` on stderr as the library describes it;
 * true when it is an error. */
static int failed(Session session, int32_t status, const char* what) {
  if (status == 0) return 0;
  char text[2048] = "";
  if (voTarsin_GetError(session, status, sizeof text, text) != 0 || text[0] == '\0')
    snprintf(text, sizeof text, "no description available");
  fprintf(stderr, "%s: %s: %s (status %d)\n", what, status < 0 ? "error" : "warning", text,
          (int)status);
  return status < 0;
}

#endif
