#pragma once

#include <atomic>

namespace kobix::ftp {

/// One arranged data connection and the outcome of the one operation that uses it.
class TIdDataChannel {
 public:
  TIdDataChannel() = default;
  virtual ~TIdDataChannel() = default;
  TIdDataChannel(const TIdDataChannel&) = delete;
  TIdDataChannel& operator=(const TIdDataChannel&) = delete;

  /// Marks the channel stopped and closes its connection (or listener); safe from another thread.
  void Stop() { FStopped = true; }
  bool Stopped() const { return FStopped; }

 private:
  std::atomic<bool> FStopped{false};
};

}  // namespace kobix::ftp
