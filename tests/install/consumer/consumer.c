/* A program built against an installed votarsinapi: prints the header's
 * version, a simulated device's ADC resolution and the text of a status,
 * which the library finds through the installation's registry file. */
#include <stdio.h>
#include <votarsinapi.h>

int main(void) {
  Session session = 0;
  int32_t bits = 0;
  char text[512] = "";
  printf("version %d.%d.%d\n", VOTARSINAPI_VERSION_MAJOR, VOTARSINAPI_VERSION_MINOR,
         VOTARSINAPI_VERSION_PATCH);
  int32_t status = voTarsin_OpenSession("SIM0", NULL, 0, &session);
  if (status >= 0) status = voTarsin_RestartSimulation(session, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  if (status >= 0)
    status = voTarsin_GetAttributeInt32(session, "", VOTARSIN_ATTR_ADC_RESOLUTION, &bits);
  voTarsin_GetError(session, status < 0 ? status : VOTARSIN_ERR_INVALID_PARAMETER, sizeof text,
                    text);
  printf("ADC resolution %d\n%s\n", (int)bits, text);
  if (session != 0) voTarsin_CloseSession(session, 0);
  return status < 0;
}
