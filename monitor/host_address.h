// What the host dialog accepts as a host to monitor. The probe hands the
// address to the system's resolver and address parser, which accept far
// more than a person means: " 127.0.0.1 " is looked up as a name, "1.2.3"
// is the short form of 1.2.0.3, "256.1.1.1" goes to the name lookup. So
// the dialog takes only an address the user can read at a glance:
// four decimal parts 0-255, or a host name (labels of 1-63 letters, digits
// and hyphens, neither first nor last a hyphen, joined by dots, at most
// 253 characters, the last label with a letter in it, so a dotted
// number that is not an address is no name either).
//
// Stored hosts are not checked: a row that breaks these rules loads and
// runs as it always did. Any thread may call these.
#pragma once

#include <cstdint>

#include "runtime/text.h"

// The text without the blanks (spaces, tabs) at either end.
Text TrimBlanks(const Text& text);

bool IsDottedAddress(const Text& text);
bool IsHostName(const Text& text);
// A dotted address or a host name, as typed (call TrimBlanks first).
bool IsMonitorableAddress(const Text& text);

constexpr std::int32_t kMinThreshold = 0;
constexpr std::int32_t kMaxThreshold = 60000;  // a minute: past that, no echo comes back
inline bool IsValidThreshold(std::int32_t ms) { return ms >= kMinThreshold && ms <= kMaxThreshold; }
