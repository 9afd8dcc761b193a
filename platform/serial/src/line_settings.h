// The tty line behind a comm handle, in its own translation unit because
// the kernel's termios2 (any baud rate) cannot share one with <termios.h>.
#pragma once

#include "helm/serial/comm.h"

namespace helm::serial::detail {

// Puts the line in raw mode with the DCB's speed, framing and flow
// control. The DCB is already checked. Returns 0 or an errno.
int apply_line_settings(int fd, const DCB& dcb);
// Drops what waits in the kernel's input and/or output queue.
int flush_line(int fd, bool input, bool output);
// Bytes in the kernel's output queue, or -1.
int output_queue_length(int fd);
// Bytes in the kernel's input queue, or -1.
int input_queue_length(int fd);

}  // namespace helm::serial::detail
