// What the link server's threads say to each other.
#pragma once

#include "helm/kernel/types.h"

namespace helm::sensorlink {

// Thread message that ends a link thread.
constexpr UINT kStopThreadMessage = 2;
// lParam of the write message: the next Talvor or inertial command, or
// the texts relayed between the sensor and the remote-support tunnel.
constexpr LPARAM kWriteTalvor = 0;
constexpr LPARAM kWriteInertial = 1;
constexpr LPARAM kWriteRelayed = 2;
// A link thread that has heard nothing for this long asks whether the I/O
// server is still there.
constexpr DWORD kQuietCheckMs = 5000;
// Texts waiting between the two link threads, each way.
constexpr size_t kMaxRelayed = 256;
// The longest sentence taken from a record (the server cuts frames at 1023).
constexpr size_t kMaxSentence = 1024;
// The most one write to a port carries (the server's text area).
constexpr size_t kMaxWriteText = 1023;

}  // namespace helm::sensorlink
