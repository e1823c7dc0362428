#include "error_context.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "vodevice_hook.h"

namespace vodev {
namespace {

struct StatusText {
  std::int32_t status;
  const char* name;
  const char* sentence;
};

constexpr std::array kStatusTexts = {
    StatusText{VODEV_E_INVALID_ARGUMENT, "vodeverr_invalidArgument",
               "A required argument is missing or invalid."},
    StatusText{VODEV_E_UNKNOWN_RESOURCE, "vodeverr_unknownResource",
               "The resource name does not name a device."},
    StatusText{VODEV_E_UNKNOWN_SESSION, "vodeverr_unknownSession",
               "The session handle was never issued."},
    StatusText{VODEV_E_SESSION_CLOSED, "vodeverr_sessionClosed", "The session has been closed."},
    StatusText{VODEV_E_WRONG_GROUP, "vodeverr_wrongGroup", "The function group must be 2."},
    StatusText{VODEV_E_UNSUPPORTED_FUNCTION, "vodeverr_unsupportedFunction",
               "The device does not support this function."},
    StatusText{VODEV_E_UNSUPPORTED_FAMILY, "vodeverr_unsupportedFamily",
               "The device does not support this request family."},
    StatusText{VODEV_E_UNSUPPORTED_COMMAND, "vodeverr_unsupportedCommand",
               "The request family has no such command."},
    StatusText{VODEV_E_BAD_REQUEST_SIZE, "vodeverr_badRequestSize",
               "The request record is missing or has the wrong size."},
    StatusText{VODEV_E_RESPONSE_TOO_SMALL, "vodeverr_responseBufferTooSmall",
               "The response buffer is missing or too small."},
    StatusText{VODEV_E_MALFORMED_REQUEST, "vodeverr_malformedRequest",
               "The request record is malformed."},
    StatusText{VODEV_E_UNKNOWN_ATTRIBUTE, "vodeverr_unknownAttribute",
               "The device has no such attribute."},
    StatusText{VODEV_E_WRONG_VALUE_TYPE, "vodeverr_wrongValueType",
               "The value type does not match the attribute's type."},
    StatusText{VODEV_E_CHANNEL_OUT_OF_SCOPE, "vodeverr_channelOutOfScope",
               "The attribute does not exist on this channel."},
    StatusText{VODEV_E_READ_ONLY_ATTRIBUTE, "vodeverr_readOnlyAttribute",
               "The attribute is read-only."},
    StatusText{VODEV_E_INVALID_VALUE, "vodeverr_invalidValue",
               "The value is not valid for the attribute."},
    StatusText{VODEV_E_NOT_SIMULATED, "vodeverr_notSimulated",
               "The session is not a simulated session."},
    StatusText{VODEV_E_NO_SUCH_REGISTER, "vodeverr_noSuchRegister",
               "The FPGA image has no such register."},
    StatusText{VODEV_E_NO_SUCH_FIFO, "vodeverr_noSuchFifo", "The FPGA image has no such FIFO."},
    StatusText{VODEV_E_NO_SUCH_STREAM, "vodeverr_noSuchStream",
               "The device has no such stream; streams are numbered 0 to 63."},
    StatusText{VODEV_E_NULL_BUFFER, "vodeverr_nullBuffer",
               "The read names no buffer for its samples or information records."},
    StatusText{VODEV_E_BUFFER_TOO_SMALL, "vodeverr_bufferTooSmall",
               "The read's buffer has fewer rows than the stream has channels."},
    StatusText{VODEV_E_WAIT_TIMED_OUT, "vodeverr_waitTimedOut",
               "The stream did not have the samples waited for within the timeout."},
    StatusText{VODEV_E_STREAM_OVERFLOW, "vodeverr_streamOverflow",
               "The stream's FIFO overflowed; unread samples were lost."},
    StatusText{VODEV_E_NO_SUCH_ROUTE, "vodeverr_noSuchRoute", "The device has no such route."},
    StatusText{VODEV_E_INVALID_ROUTE, "vodeverr_invalidRoute", "The route cannot be made."},
    StatusText{VODEV_E_OUT_OF_MEMORY, "vodeverr_outOfMemory",
               "The device model ran out of memory."},
    StatusText{VODEV_E_INTERNAL, "vodeverr_internal", "The device model failed unexpectedly."},
};

const StatusText* FindStatus(std::int32_t status) {
  for (const auto& entry : kStatusTexts) {
    if (entry.status == status) return &entry;
  }
  return nullptr;
}

// Length of the well-formed UTF-8 sequence at text[i], or 0 when the bytes
// there are not one.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  std::size_t length;
  std::uint32_t min;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, min = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - i < length) return 0;
  std::uint32_t code = lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

void AppendItem(std::string& items, const std::string& item) {
  if (!items.empty()) items += ',';
  items += item;
}

}  // namespace

const char* StatusName(std::int32_t status) {
  const StatusText* entry = FindStatus(status);
  return entry ? entry->name : nullptr;
}

// Control bytes and DEL are escaped; well-formed UTF-8 passes unchanged; a
// byte that is not part of well-formed UTF-8 is taken as Latin-1 and written
// as a \u escape, so the context is always valid JSON.
std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    char escape[8];
    switch (c) {
      case '\b':
        out += "\\b";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\r':
        out += "\\r";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          std::snprintf(escape, sizeof escape, "\\u%04x", c);
          out += escape;
        } else if (c >= 0x80) {
          std::size_t length = Utf8SequenceLength(text, i);
          if (length == 0) {
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
          } else {
            out.append(text.substr(i, length));
            i += length;
            continue;
          }
        } else {
          out += static_cast<char>(c);
        }
    }
    ++i;
  }
  out += '"';
  return out;
}

std::string JsonNumber(double value) {
  if (std::isnan(value)) return "\"nan\"";
  if (std::isinf(value)) return value > 0 ? "\"inf\"" : "\"-inf\"";
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string BuildErrorContext(std::int32_t status, std::string_view component,
                              const ErrorDetail& detail, std::string_view device) {
  const StatusText* entry = FindStatus(status);
  std::string items;
  std::string sentence = !detail.elaboration.empty() ? detail.elaboration
                         : entry                     ? entry->sentence
                                                     : "";
  if (!sentence.empty()) {
    AppendItem(items, R"({"type":"elaboration","usage":)" + JsonString(sentence) + "}");
  }
  if (detail.attributeId) {
    AppendItem(items, R"({"type":"usage","usage":"kUsageTypeAttributeId","value":)" +
                          std::to_string(*detail.attributeId) + "}");
  }
  if (detail.channel) {
    AppendItem(items, R"({"type":"usage","usage":"kUsageTypeChannelName","value":)" +
                          JsonString(*detail.channel) + "}");
  }
  if (detail.valueJson) {
    std::string item =
        R"({"type":"usage","usage":"kUsageTypeRequestedValue","value":)" + *detail.valueJson;
    if (detail.valueEnumId) {
      item += R"(,"value_type":{"type":"enum","id":)" + std::to_string(*detail.valueEnumId) + "}";
    }
    AppendItem(items, item + "}");
  }
  AppendItem(items,
             R"({"type":"usage","usage":"kUsageTypeDevice","value":)" + JsonString(device) + "}");

  std::string context = "{\"error_constant\":";
  context += JsonString(entry ? entry->name : "vodeverr_unknown");
  context += ",\"component\":" + JsonString(component);
  context += R"(,"translator":"mxlator_votarsinapi","translator_info":{"ordered_data":[)";
  context += items + "]}}";
  return context;
}

}  // namespace vodev
