// Error contexts of the model: what function 800 reports for a failure, as a
// JSON object that the library's scripted translator renders.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vodev {

// The constant name of a model status ("vodeverr_...") or null.
const char* StatusName(std::int32_t status);

// Details of one failure, filled in by whoever raises it. Members left empty
// are not reported.
struct ErrorDetail {
  std::string elaboration;  // one sentence; the status's own sentence when empty
  std::optional<std::uint32_t> attributeId;
  std::optional<std::string> channel;
  // The requested value as a JSON value text, and the attribute whose
  // enumeration names it (for enumerated attributes).
  std::optional<std::string> valueJson;
  std::optional<std::uint32_t> valueEnumId;
};

// The context text:
// {"error_constant":..,"component":..,"translator":"mxlator_votarsinapi",
//  "translator_info":{"ordered_data":[items]}}
// with an elaboration item, then usage items for the attribute, channel,
// requested value and device, each present when known.
std::string BuildErrorContext(std::int32_t status, std::string_view component,
                              const ErrorDetail& detail, std::string_view device);

// JSON text helpers.
std::string JsonString(std::string_view text);  // quoted and escaped
std::string JsonNumber(double value);           // non-finite values become strings

}  // namespace vodev
