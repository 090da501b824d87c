#pragma once

#include "ftp/server/Connection.h"
#include "platform/Socket.h"

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kobix::ftp {

class TIdCustomTCPServer;

/// One session: the control connection, owned, and the waker that the engine's stop fires so that
/// every blocking wait of the session (a read, a passive accept, the failed-login pause) ends at once.
class TIdContext {
 public:
  TIdContext(TIdCustomTCPServer& AServer, platform::TSocket ASocket);
  virtual ~TIdContext();

  TIdTCPConnection& Connection() { return *FConnection; }
  const TIdTCPConnection& Connection() const { return *FConnection; }
  TIdCustomTCPServer& Server() { return FServer; }
  const platform::TWaker& StopWaker() const { return FStopWaker; }
  bool Stopping() const { return FStopWaker.Woken(); }
  /// Sleeps, but returns early (false) when the engine stops.
  bool SleepUnlessStopped(int AMilliseconds) const;

 private:
  friend class TIdCustomTCPServer;
  TIdCustomTCPServer& FServer;
  platform::TWaker FStopWaker;
  std::unique_ptr<TIdTCPConnection> FConnection;
};

enum TIdReuseSocket { rsOSDependent, rsTrue, rsFalse };

/// One local address the engine listens on.
struct TIdSocketHandle {
  std::string IP;  // empty: every local address
  uint16_t Port = 0;
  platform::TIPVersion IPVersion = platform::TIPVersion::IPv4;
};

/// The bottom layer of the engine: listens, enforces the connection limit, gives every accepted
/// connection a session and a thread of its own, and stops everything in order. It knows nothing
/// of FTP; the layers above plug in through the virtual hooks.
class TIdCustomTCPServer {
 public:
  using TContextEvent = std::function<void(TIdContext&)>;
  using TExceptionEvent = std::function<void(TIdContext&, const std::exception&)>;
  using TListenExceptionEvent = std::function<void(const std::exception&)>;

  TIdCustomTCPServer();
  virtual ~TIdCustomTCPServer();
  TIdCustomTCPServer(const TIdCustomTCPServer&) = delete;
  TIdCustomTCPServer& operator=(const TIdCustomTCPServer&) = delete;

  bool Active() const { return FActive; }
  /// Starting binds every binding and starts the listeners; a bind failure raises EIdException and
  /// leaves the engine inactive. Stopping closes every connection without a reply and returns once
  /// every session thread has ended.
  void SetActive(bool AValue);

  std::vector<TIdSocketHandle>& Bindings() { return FBindings; }
  const std::vector<TIdSocketHandle>& Bindings() const { return FBindings; }
  /// The port the first listener actually bound (useful when the binding asked for port 0).
  uint16_t BoundPort() const { return FBoundPort; }

  uint16_t DefaultPort = 21;
  int ListenQueue = 15;
  std::atomic<int> MaxConnections{0};
  TIdReuseSocket ReuseSocket = rsOSDependent;
  int TerminateWaitTime = 5000;
  TIdServerIntercept* Intercept = nullptr;

  TContextEvent OnConnect, OnDisconnect;
  TExceptionEvent OnException;
  TListenExceptionEvent OnListenException;

  /// Calls AVisit with the live sessions, in order, under the session-list lock.
  void WithContexts(const std::function<void(const std::vector<TIdContext*>&)>& AVisit);

 protected:
  /// Runs once, at the first activation of the engine's life (the command tables are built here).
  virtual void Startup() {}
  virtual std::unique_ptr<TIdContext> CreateContext(platform::TSocket ASocket);
  /// Called on the listener thread for each new session, before its thread starts.
  virtual void ContextCreated(TIdContext&) {}
  /// First thing on the session thread; raises OnConnect.
  virtual void DoConnect(TIdContext& AContext);
  /// One step of the session's life; returns whether the connection is still up.
  virtual bool DoExecute(TIdContext& AContext) = 0;
  /// Last thing on the session thread; raises OnDisconnect.
  virtual void DoDisconnect(TIdContext& AContext);
  /// Called by the stop for every live session, under the session-list lock.
  virtual void DoTerminateContext(TIdContext& AContext);
  /// Answers a connection refused because the limit is reached.
  virtual void DoMaxConnectionsExceeded(TIdTCPConnection& AConnection);
  /// The derived engine's destructor calls this so that no hook runs on a half-destroyed object.
  void StopAndWait() { SetActive(false); }

 private:
  struct TSessionThread {
    std::thread Thread;
    std::atomic<bool> Finished{false};
  };

  void Start();
  void Stop();
  void ListenerRun(platform::TSocket* AListener);
  void AcceptOne(const platform::TSocket& AListener);
  void SessionRun(std::unique_ptr<TIdContext> AContext, TSessionThread* AThread);
  void JoinFinishedThreads();

  bool FActive = false;
  bool FStartedOnce = false;
  std::vector<TIdSocketHandle> FBindings;
  uint16_t FBoundPort = 0;

  std::vector<platform::TSocket> FListeners;
  std::vector<std::thread> FListenerThreads;
  std::unique_ptr<platform::TWaker> FListenerWaker;

  std::mutex FContextsLock;  // guards FContexts
  std::vector<TIdContext*> FContexts;

  std::mutex FThreadsLock;  // guards FThreads
  std::list<TSessionThread> FThreads;
};

}  // namespace kobix::ftp
