#pragma once
// The hopper's side of the setting link and the dispense protocol, free of I/O and clocks:
// power-on, received bytes and fired timers go in; bytes to send, log lines and timer
// requests come out through HopperHost before each call returns.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/emulator/command_decoder.h"
#include "tools/emulator/hopper_config.h"

namespace hopper::emulator {

enum class HopperTimer { EchoWait, FrameGap, AckDelay, ReadBackDelay };

class HopperHost {
 public:
  virtual ~HopperHost() = default;
  // Bytes for the line, in order, and what they mean.
  virtual void Send(const std::vector<std::uint8_t>& bytes, const std::string& meaning) = 0;
  // Bytes taken from the line and what they meant.
  virtual void Heard(const std::vector<std::uint8_t>& bytes, const std::string& meaning) = 0;
  // A log line that carries no bytes.
  virtual void Note(const std::string& text) = 0;
  // Starts the timer again if it runs already.
  virtual void ArmTimer(HopperTimer timer, int ms) = 0;
  virtual void CancelTimer(HopperTimer timer) = 0;
};

enum class HopperPhase {
  Off,        // not switched on yet: everything received is ignored
  AwaitEcho,  // report and sync byte sent, waiting for the tool to echo 0x82
  Ready,      // takes save frames and dispense commands
};

class HopperSide {
 public:
  HopperSide(HopperConfig config, HopperHost& host) : config_(std::move(config)), host_(host) {}

  // Switched on, or switched off and on again: the whole power-on report goes out anew.
  void PowerOn();
  void Consume(std::uint8_t byte);
  void TimerFired(HopperTimer timer);

  HopperPhase Phase() const { return phase_; }
  // The coin numbers the hopper holds: the configured ones until a save frame replaces them.
  const CoinNumbers& Coins() const { return config_.coins; }
  const HopperConfig& Config() const { return config_; }

 private:
  void SendReady();
  void AnswerSave(const Command& command);
  void SendAnswer();
  void SendReadBack();
  void Interpret(const Command& command);

  // A save's answer and read-back, while a delay holds them back.
  struct Outgoing {
    std::vector<std::uint8_t> bytes;
    std::string meaning;
  };

  HopperConfig config_;
  HopperHost& host_;
  CommandDecoder decoder_;
  HopperPhase phase_ = HopperPhase::Off;
  Outgoing answer_;
  Outgoing readBack_;
};

// "1000 500 0 …": the 16 values in channel order.
std::string CoinList(const CoinNumbers& coins);

}  // namespace hopper::emulator
