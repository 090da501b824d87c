#include "platform/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <pthread.h>
#include <signal.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kobix::platform {

namespace {

[[noreturn]] void ThrowSystemError(const char* AWhat) {
  throw std::system_error(errno, std::generic_category(), AWhat);
}

int FamilyOf(TIPVersion AVersion) { return AVersion == TIPVersion::IPv6 ? AF_INET6 : AF_INET; }

// Fills a socket address; an empty IP means every local address.
socklen_t MakeAddress(const std::string& AIP, uint16_t APort, TIPVersion AVersion, sockaddr_storage& AStorage) {
  std::memset(&AStorage, 0, sizeof AStorage);
  if (AVersion == TIPVersion::IPv6) {
    auto* a = reinterpret_cast<sockaddr_in6*>(&AStorage);
    a->sin6_family = AF_INET6;
    a->sin6_port = htons(APort);
    a->sin6_addr = in6addr_any;
    if (!AIP.empty() && inet_pton(AF_INET6, AIP.c_str(), &a->sin6_addr) != 1)
      throw std::system_error(EINVAL, std::generic_category(), "invalid IPv6 address " + AIP);
    return sizeof(sockaddr_in6);
  }
  auto* a = reinterpret_cast<sockaddr_in*>(&AStorage);
  a->sin_family = AF_INET;
  a->sin_port = htons(APort);
  a->sin_addr.s_addr = htonl(INADDR_ANY);
  if (!AIP.empty() && inet_pton(AF_INET, AIP.c_str(), &a->sin_addr) != 1)
    throw std::system_error(EINVAL, std::generic_category(), "invalid IPv4 address " + AIP);
  return sizeof(sockaddr_in);
}

TSocketAddress ReadAddress(const sockaddr_storage& AStorage) {
  TSocketAddress result;
  char text[INET6_ADDRSTRLEN] = {};
  if (AStorage.ss_family == AF_INET6) {
    const auto* a = reinterpret_cast<const sockaddr_in6*>(&AStorage);
    inet_ntop(AF_INET6, &a->sin6_addr, text, sizeof text);
    result.Port = ntohs(a->sin6_port);
    result.Version = TIPVersion::IPv6;
  } else if (AStorage.ss_family == AF_INET) {
    const auto* a = reinterpret_cast<const sockaddr_in*>(&AStorage);
    inet_ntop(AF_INET, &a->sin_addr, text, sizeof text);
    result.Port = ntohs(a->sin_port);
  }
  result.IP = text;
  return result;
}

TWaitResult WaitFor(int AHandle, short AEvents, const TWaker* AWaker, int ATimeoutMs) {
  pollfd fds[2] = {{AHandle, AEvents, 0}, {AWaker ? AWaker->Handle() : -1, POLLIN, 0}};
  for (;;) {
    const int n = poll(fds, AWaker ? 2 : 1, ATimeoutMs);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ThrowSystemError("poll");
    if (n == 0) return TWaitResult::Timeout;
    if (AWaker && fds[1].revents) return TWaitResult::Woken;
    return TWaitResult::Ready;
  }
}

}  // namespace

TWaker::TWaker() : FHandle(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (FHandle < 0) ThrowSystemError("eventfd");
}

TWaker::~TWaker() { close(FHandle); }

void TWaker::Wake() {
  const uint64_t one = 1;
  [[maybe_unused]] auto written = write(FHandle, &one, sizeof one);
}

bool TWaker::Woken() const {
  pollfd fd{FHandle, POLLIN, 0};
  return poll(&fd, 1, 0) > 0;
}

TWaitResult WaitReadable(int AHandle, const TWaker* AWaker, int ATimeoutMs) {
  return WaitFor(AHandle, POLLIN, AWaker, ATimeoutMs);
}

TWaitResult WaitWritable(int AHandle, const TWaker* AWaker, int ATimeoutMs) {
  return WaitFor(AHandle, POLLOUT, AWaker, ATimeoutMs);
}

TSocket& TSocket::operator=(TSocket&& AOther) noexcept {
  if (this != &AOther) {
    Close();
    FHandle = AOther.Release();
  }
  return *this;
}

int TSocket::Release() {
  const int handle = FHandle;
  FHandle = -1;
  return handle;
}

TSocket TSocket::Listen(const std::string& AIP, uint16_t APort, int ABacklog, bool AReuseAddress,
                        TIPVersion AVersion) {
  TSocket socket(::socket(FamilyOf(AVersion), SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!socket.IsOpen()) ThrowSystemError("socket");
  if (AReuseAddress) {
    const int on = 1;
    setsockopt(socket.FHandle, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  }
  sockaddr_storage address;
  const socklen_t length = MakeAddress(AIP, APort, AVersion, address);
  if (bind(socket.FHandle, reinterpret_cast<sockaddr*>(&address), length) != 0) ThrowSystemError("bind");
  if (listen(socket.FHandle, ABacklog) != 0) ThrowSystemError("listen");
  return socket;
}

TSocket TSocket::Accept() const {
  for (;;) {
    const int handle = accept4(FHandle, nullptr, nullptr, SOCK_CLOEXEC);
    if (handle >= 0) return TSocket(handle);
    if (errno != EINTR) ThrowSystemError("accept");
  }
}

TSocket TSocket::Connect(const TSocketAddress& ALocal, bool ABindLocal, const TSocketAddress& ARemote,
                         const TWaker* AWaker) {
  TSocket socket(::socket(FamilyOf(ARemote.Version), SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!socket.IsOpen()) ThrowSystemError("socket");
  if (ABindLocal) {
    const int on = 1;
    setsockopt(socket.FHandle, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_storage local;
    const socklen_t length = MakeAddress(ALocal.IP, ALocal.Port, ARemote.Version, local);
    if (bind(socket.FHandle, reinterpret_cast<sockaddr*>(&local), length) != 0) ThrowSystemError("bind");
  }
  sockaddr_storage remote;
  const socklen_t length = MakeAddress(ARemote.IP, ARemote.Port, ARemote.Version, remote);
  if (connect(socket.FHandle, reinterpret_cast<sockaddr*>(&remote), length) != 0) {
    if (errno != EINPROGRESS) ThrowSystemError("connect");
    if (WaitWritable(socket.FHandle, AWaker, -1) == TWaitResult::Woken)
      throw std::system_error(ECANCELED, std::generic_category(), "connect");
    int error = 0;
    socklen_t size = sizeof error;
    getsockopt(socket.FHandle, SOL_SOCKET, SO_ERROR, &error, &size);
    if (error != 0) throw std::system_error(error, std::generic_category(), "connect");
  }
  fcntl(socket.FHandle, F_SETFL, fcntl(socket.FHandle, F_GETFL) & ~O_NONBLOCK);
  return socket;
}

void TSocket::SendAll(const void* AData, size_t ASize) const {
  const char* data = static_cast<const char*>(AData);
  while (ASize > 0) {
    const ssize_t sent = send(FHandle, data, ASize, MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR) continue;
      ThrowSystemError("send");
    }
    data += sent;
    ASize -= static_cast<size_t>(sent);
  }
}

size_t TSocket::Receive(void* ABuffer, size_t ASize) const {
  for (;;) {
    const ssize_t received = recv(FHandle, ABuffer, ASize, 0);
    if (received >= 0) return static_cast<size_t>(received);
    if (errno != EINTR) ThrowSystemError("recv");
  }
}

size_t TSocket::SendFile(int AFileHandle, int64_t AOffset, size_t ACount) const {
  // sendfile has no MSG_NOSIGNAL: a peer that has gone would raise SIGPIPE and end the process.
  // The calling thread blocks that signal once; the failure then arrives as EPIPE.
  thread_local const bool brokenPipeBlocked = [] {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    return pthread_sigmask(SIG_BLOCK, &set, nullptr) == 0;
  }();
  (void)brokenPipeBlocked;
  off_t offset = AOffset;
  for (;;) {
    const ssize_t sent = sendfile(FHandle, AFileHandle, &offset, ACount);
    if (sent >= 0) return static_cast<size_t>(sent);
    if (errno != EINTR) ThrowSystemError("sendfile");
  }
}

void TSocket::Shutdown() const {
  if (FHandle >= 0) shutdown(FHandle, SHUT_RDWR);
}

void TSocket::Close() {
  if (FHandle >= 0) {
    close(FHandle);
    FHandle = -1;
  }
}

TSocketAddress TSocket::LocalAddress() const {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (FHandle < 0 || getsockname(FHandle, reinterpret_cast<sockaddr*>(&address), &length) != 0) return {};
  return ReadAddress(address);
}

TSocketAddress TSocket::PeerAddress() const {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (FHandle < 0 || getpeername(FHandle, reinterpret_cast<sockaddr*>(&address), &length) != 0) return {};
  return ReadAddress(address);
}

void TSocket::SetNoDelay() const {
  const int on = 1;
  setsockopt(FHandle, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

bool IPv6Supported() {
  static const bool supported = [] {
    const int handle = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (handle < 0) return false;
    close(handle);
    return true;
  }();
  return supported;
}

std::string SystemErrorText(int AErrorNumber) { return std::generic_category().message(AErrorNumber); }

}  // namespace kobix::platform
