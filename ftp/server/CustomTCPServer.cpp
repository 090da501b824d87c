#include "ftp/server/CustomTCPServer.h"

#include "ftp/server/Errors.h"

#include <algorithm>
#include <cerrno>

namespace kobix::ftp {

namespace {

// The in-use case keeps its well-known text; any other cause is named as the host names it.
std::string BindErrorText(const std::system_error& AError) {
  if (AError.code().value() == EADDRINUSE) return "Could not bind socket. Address and port are already in use.";
  return "Could not bind socket. " + platform::SystemErrorText(AError.code().value()) + ".";
}

}  // namespace

TIdContext::TIdContext(TIdCustomTCPServer& AServer, platform::TSocket ASocket)
    : FServer(AServer), FConnection(std::make_unique<TIdTCPConnection>(std::move(ASocket), &FStopWaker)) {}

TIdContext::~TIdContext() = default;

bool TIdContext::SleepUnlessStopped(int AMilliseconds) const {
  return platform::WaitReadable(FStopWaker.Handle(), nullptr, AMilliseconds) == platform::TWaitResult::Timeout;
}

TIdCustomTCPServer::TIdCustomTCPServer() = default;

TIdCustomTCPServer::~TIdCustomTCPServer() { SetActive(false); }

void TIdCustomTCPServer::SetActive(bool AValue) {
  if (AValue == FActive) return;
  if (AValue)
    Start();
  else
    Stop();
}

void TIdCustomTCPServer::Start() {
  if (!FStartedOnce) {
    Startup();
    FStartedOnce = true;
  }
  if (FBindings.empty()) {
    FBindings.push_back({"", DefaultPort, platform::TIPVersion::IPv4});
    if (platform::IPv6Supported()) FBindings.push_back({"", DefaultPort, platform::TIPVersion::IPv6});
  }
  // On this host the address-reuse option only lets a new listener bind while connections of an
  // earlier one linger in TIME_WAIT; a port another live listener holds is still refused. Without it
  // a stop and start would fail with "in use" for a minute after any client, so the host-dependent
  // default takes it.
  const bool reuseAddress = ReuseSocket != rsFalse;
  try {
    for (const auto& binding : FBindings)
      FListeners.push_back(platform::TSocket::Listen(binding.IP, binding.Port, ListenQueue, reuseAddress, binding.IPVersion));
  } catch (const std::system_error& e) {
    FListeners.clear();
    throw EIdException(BindErrorText(e));
  }
  FBoundPort = FListeners.front().LocalAddress().Port;
  FListenerWaker = std::make_unique<platform::TWaker>();
  for (auto& listener : FListeners) FListenerThreads.emplace_back(&TIdCustomTCPServer::ListenerRun, this, &listener);
  FActive = true;
}

void TIdCustomTCPServer::Stop() {
  FActive = false;
  FListenerWaker->Wake();
  for (auto& thread : FListenerThreads) thread.join();
  FListenerThreads.clear();
  FListeners.clear();
  FListenerWaker.reset();
  {
    std::lock_guard lock(FContextsLock);
    for (TIdContext* context : FContexts) {
      context->FStopWaker.Wake();
      DoTerminateContext(*context);
    }
  }
  for (;;) {
    std::list<TSessionThread> threads;
    {
      std::lock_guard lock(FThreadsLock);
      threads.swap(FThreads);
    }
    if (threads.empty()) break;
    for (auto& thread : threads) thread.Thread.join();
  }
}

void TIdCustomTCPServer::WithContexts(const std::function<void(const std::vector<TIdContext*>&)>& AVisit) {
  std::lock_guard lock(FContextsLock);
  AVisit(FContexts);
}

void TIdCustomTCPServer::ListenerRun(platform::TSocket* AListener) {
  for (;;) {
    try {
      if (platform::WaitReadable(AListener->Handle(), FListenerWaker.get(), -1) == platform::TWaitResult::Woken) return;
      AcceptOne(*AListener);
    } catch (const std::exception& e) {
      if (OnListenException) {
        try {
          OnListenException(e);
        } catch (...) {
        }
      }
    }
  }
}

void TIdCustomTCPServer::AcceptOne(const platform::TSocket& AListener) {
  platform::TSocket socket = AListener.Accept();
  std::unique_ptr<TIdContext> context;
  {
    std::lock_guard lock(FContextsLock);
    const int limit = MaxConnections.load();
    if (limit <= 0 || FContexts.size() < static_cast<size_t>(limit)) {
      context = CreateContext(std::move(socket));
      ContextCreated(*context);
      FContexts.push_back(context.get());
    }
  }
  if (!context) {
    TIdTCPConnection refused(std::move(socket), nullptr);
    try {
      DoMaxConnectionsExceeded(refused);
    } catch (const EIdException&) {
    }
    refused.Disconnect();
    return;
  }
  {
    std::lock_guard lock(FThreadsLock);
    auto& record = FThreads.emplace_back();
    TIdContext* raw = context.release();
    try {
      record.Thread = std::thread([this, raw, &record] { SessionRun(std::unique_ptr<TIdContext>(raw), &record); });
    } catch (...) {
      FThreads.pop_back();
      {
        std::lock_guard contexts(FContextsLock);
        std::erase(FContexts, raw);
      }
      delete raw;
      throw;
    }
  }
  // Ended sessions are joined only once the new one runs, so a thread still on its way out never
  // delays a client that is waiting for its greeting.
  JoinFinishedThreads();
}

void TIdCustomTCPServer::JoinFinishedThreads() {
  std::list<TSessionThread> finished;
  {
    std::lock_guard lock(FThreadsLock);
    for (auto it = FThreads.begin(); it != FThreads.end();) {
      auto next = std::next(it);
      if (it->Finished.load()) finished.splice(finished.end(), FThreads, it);
      it = next;
    }
  }
  for (auto& thread : finished) thread.Thread.join();
}

void TIdCustomTCPServer::SessionRun(std::unique_ptr<TIdContext> AContext, TSessionThread* AThread) {
  TIdContext& context = *AContext;
  std::exception_ptr error;
  try {
    if (Intercept) context.Connection().AttachIntercept(Intercept->Accept(context.Connection()));
    DoConnect(context);
    while (context.Connection().Connected() && DoExecute(context)) {
    }
  } catch (const EIdSilentException&) {
    // The peer closed in the middle of a line: the session simply ends.
  } catch (...) {
    error = std::current_exception();
  }
  try {
    DoDisconnect(context);
  } catch (...) {
  }
  context.Connection().Disconnect();
  context.Connection().DetachIntercept();
  {
    std::lock_guard lock(FContextsLock);
    std::erase(FContexts, &context);
  }
  if (error && OnException) {
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      try {
        OnException(context, e);
      } catch (...) {
      }
    } catch (...) {
    }
  }
  AContext.reset();
  AThread->Finished = true;
}

std::unique_ptr<TIdContext> TIdCustomTCPServer::CreateContext(platform::TSocket ASocket) {
  return std::make_unique<TIdContext>(*this, std::move(ASocket));
}

void TIdCustomTCPServer::DoConnect(TIdContext& AContext) {
  if (OnConnect) OnConnect(AContext);
}

void TIdCustomTCPServer::DoDisconnect(TIdContext& AContext) {
  if (OnDisconnect) OnDisconnect(AContext);
}

void TIdCustomTCPServer::DoTerminateContext(TIdContext& AContext) { AContext.Connection().Disconnect(); }

void TIdCustomTCPServer::DoMaxConnectionsExceeded(TIdTCPConnection&) {}

}  // namespace kobix::ftp
