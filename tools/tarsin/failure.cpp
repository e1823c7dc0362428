#include "failure.h"

#include <fmt/core.h>

#include <cstdio>
#include <string>

namespace tarsin {

std::string ErrorText(Session session, int32_t status) {
  char text[4096] = "";
  const int32_t described = voTarsin_GetError(session, status, sizeof text, text);
  if (described != 0) return fmt::format("no description (voTarsin_GetError: {})", described);
  std::string result(text);
  while (!result.empty() && (result.back() == '\n' || result.back() == ' ')) result.pop_back();
  return result;
}

void Check(Session session, int32_t status, const std::string& what) {
  if (status == 0) return;
  const std::string line =
      fmt::format("{}: {} (status {})", what, ErrorText(session, status), status);
  if (status < 0) throw Failure(line);
  PrintError("warning: " + line);
}

void PrintError(const std::string& message) {
  fmt::print(stderr, "tarsin: {}\n", message);
  std::fflush(stderr);
}

}  // namespace tarsin
