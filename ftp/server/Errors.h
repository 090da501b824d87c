#pragma once

#include <stdexcept>
#include <string>

namespace kobix::ftp {

/// Base of every error the engine raises itself. The dispatcher answers any error that leaves a
/// command handler with the entry's exception reply code and the error's message as text.
class EIdException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// A refusal that carries a reply code, raised by the file handlers ("Access denied." with 550).
/// The dispatcher does not consult the code: the command entry's exception code decides.
class EIdReplyError : public EIdException {
 public:
  EIdReplyError(int ACode, const std::string& AText) : EIdException(AText), FCode(ACode) {}
  int Code() const { return FCode; }

 private:
  int FCode;
};

/// A text that does not convert to the number or date it must hold.
class EConvertError : public EIdException {
 public:
  using EIdException::EIdException;
};

/// The engine's silent error kind: it ends an operation without any reply of its own.
class EIdSilentException : public EIdException {
 public:
  using EIdException::EIdException;
};

/// The other side closed the connection in an orderly way.
class EIdConnClosedGracefully : public EIdSilentException {
 public:
  EIdConnClosedGracefully() : EIdSilentException("Connection Closed Gracefully.") {}
};

/// A socket operation failed (reset, broken pipe, closed by the stop).
class EIdSocketError : public EIdException {
 public:
  using EIdException::EIdException;
};

}  // namespace kobix::ftp
