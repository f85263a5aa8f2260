#pragma once
// The dispense protocol on the simulation window's port. It is send-only: commands go out one
// byte per write and whatever the hopper sends back is read and thrown away.

#include <cstdint>

namespace hopper {

class SerialPort;

// Writes 0x80. False when the byte could not be handed to the line.
bool SendStartUp(SerialPort& port);

// Writes 0x81, the channel byte, 0x10, one after the other with nothing in between.
// Stops at the first byte that cannot be written, so the hopper never gets the tail of a
// command without its head; false then.
bool SendDispense(SerialPort& port, std::int16_t channelCode);

// Reads everything waiting and discards it; nothing when no byte waits.
void DrainReplies(SerialPort& port);

}  // namespace hopper
