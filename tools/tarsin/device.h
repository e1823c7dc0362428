// A session of one resource for the length of a command, and attribute
// values read and written as text.
#pragma once

#include <cstdint>
#include <string>

#include "attribute_table.h"
#include "votarsinapi.h"

namespace tarsin {

class Device {
 public:
  // Opens resource; a simulated one also binds the simulation library, which
  // answers its requests. Throws Failure.
  explicit Device(const std::string& resource);
  ~Device();
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  Session session() const { return session_; }
  const std::string& resource() const { return resource_; }
  bool simulated() const { return (session_ & VOTARSIN_SESSION_SIMULATED) != 0; }

  // Returns a simulated device to its power-on state with the noise of seed.
  void Restart(uint32_t seed);

  // Throws Failure for an error, prints a warning for a warning.
  void Check(int32_t status, const std::string& what) const;

 private:
  std::string resource_;
  Session session_ = 0;
};

// The attribute's value on channel ("" for the device), with its value name
// and unit: "1 (DC)", "45.5 °C".
std::string ReadValue(const Device& device, const Attribute& attribute, const std::string& channel,
                      bool withUnit = true);
// Writes value to every channel of the list.
void WriteValue(const Device& device, const Attribute& attribute, const std::string& channels,
                const Value& value);

}  // namespace tarsin
