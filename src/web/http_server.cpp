#include "web/http_server.h"

#include <microhttpd.h>
#include <sys/socket.h>

#include <chrono>
#include <cstring>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

namespace spectrel::web {

namespace {

using Clock = std::chrono::steady_clock;

// One open connection: its socket and since when it owes us a whole request.
struct Connection {
  int Fd = -1;
  std::optional<Clock::time_point> WaitingSince;   // empty while a request is being answered
  bool Cut = false;                                // shut down for taking too long
};

int RequestFlag;   // the address marks a request whose answer is queued

}  // namespace

struct HttpServer::State {
  Handler Answer;
  ServerLimits Limits;
  std::optional<std::string> Token;
  MHD_Daemon* Daemon = nullptr;

  std::mutex Guard;                 // over Open and Stopping
  std::set<Connection*> Open;       // every connection the library holds
  bool Stopping = false;
  std::condition_variable Wake;     // ends the watchdog's wait early when stopping
  std::thread Watchdog;

  // Shuts the socket of every connection that has owed its request too long; the library then
  // sees the connection end and closes it. The library closes a socket only after telling us, so
  // every socket in Open is still the connection's own.
  void WatchRequests() {
    std::unique_lock hold(Guard);
    while (!Stopping) {
      Wake.wait_for(hold, std::chrono::milliseconds(250));
      const Clock::time_point late = Clock::now() - std::chrono::seconds(Limits.RequestSeconds);
      for (Connection* c : Open) {
        if (c->Cut || !c->WaitingSince || *c->WaitingSince > late) continue;
        ::shutdown(c->Fd, SHUT_RDWR);
        c->Cut = true;
      }
    }
  }
};

namespace {

Connection* ConnectionOf(MHD_Connection* connection) {
  const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
  return info ? static_cast<Connection*>(info->socket_context) : nullptr;
}

void OnConnection(void* cls, MHD_Connection* connection, void** context, MHD_ConnectionNotificationCode code) {
  auto* state = static_cast<HttpServer::State*>(cls);
  std::lock_guard hold(state->Guard);
  if (code == MHD_CONNECTION_NOTIFY_STARTED) {
    auto* c = new Connection;
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    c->Fd = info ? info->connect_fd : -1;
    c->WaitingSince = Clock::now();
    state->Open.insert(c);
    *context = c;
  } else if (code == MHD_CONNECTION_NOTIFY_CLOSED) {
    auto* c = static_cast<Connection*>(*context);
    state->Open.erase(c);
    delete c;
    *context = nullptr;
  }
}

// A request answered (or abandoned): the connection now owes the next one.
void OnCompleted(void* cls, MHD_Connection* connection, void**, MHD_RequestTerminationCode) {
  auto* state = static_cast<HttpServer::State*>(cls);
  std::lock_guard hold(state->Guard);
  if (Connection* c = ConnectionOf(connection)) c->WaitingSince = Clock::now();
}

// Paths are taken as sent: every escape stays as it is, and the routes refuse it.
size_t KeepEscapes(void*, MHD_Connection*, char* text) { return std::strlen(text); }

MHD_Result CountHeader(void* count, MHD_ValueKind, const char*, const char*) {
  ++*static_cast<unsigned*>(count);
  return MHD_YES;
}

MHD_Result Queue(MHD_Connection* connection, Response&& r) {
  MHD_Response* response = nullptr;
  if (r.File) {
    response = MHD_create_response_from_fd64(static_cast<uint64_t>(r.FileBytes), r.File.Get());
    if (response) r.File.Release();   // the library closes it
  } else {
    response = MHD_create_response_from_buffer(r.Body.size(), r.Body.data(), MHD_RESPMEM_MUST_COPY);
  }
  if (response == nullptr) return MHD_NO;
  MHD_add_response_header(response, "Content-Type", r.ContentType.c_str());
  MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
  MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
  MHD_add_response_header(response, "Content-Security-Policy",
                          "default-src 'self'; img-src 'self' data:; frame-ancestors 'none'");
  for (const auto& [name, value] : r.Headers) MHD_add_response_header(response, name.c_str(), value.c_str());
  const MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(r.Status), response);
  MHD_destroy_response(response);
  return queued;
}

// Refusals decided before any route runs, in the order a client would want to hear them.
std::optional<Response> Refusal(const HttpServer::State& state, MHD_Connection* connection) {
  unsigned headers = 0;
  MHD_get_connection_values(connection, MHD_HEADER_KIND, CountHeader, &headers);
  if (headers > state.Limits.Headers) return TextResponse(431, "too many header lines");
  const char* length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Content-Length");
  const char* chunked = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Transfer-Encoding");
  if (chunked != nullptr || (length != nullptr && std::string(length) != "0"))
    return TextResponse(413, "read-only: requests carry no body");
  if (state.Token) {
    const char* authorization = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Authorization");
    if (authorization == nullptr || !Authorised(authorization, *state.Token)) {
      Response r = TextResponse(401, "this station asks for its token");
      r.Headers.push_back({"WWW-Authenticate", "Bearer realm=\"spectrel\""});
      r.Headers.push_back({"WWW-Authenticate", "Basic realm=\"spectrel\", charset=\"UTF-8\""});
      return r;
    }
  }
  return std::nullopt;
}

MHD_Result OnRequest(void* cls, MHD_Connection* connection, const char* url, const char* method, const char*,
                     const char*, size_t* uploadBytes, void** requestContext) {
  auto* state = static_cast<HttpServer::State*>(cls);
  if (*requestContext != nullptr) {
    *uploadBytes = 0;   // a body after the answer is queued is dropped with the connection
    return MHD_YES;
  }
  *requestContext = &RequestFlag;
  {
    std::lock_guard hold(state->Guard);
    if (Connection* c = ConnectionOf(connection)) c->WaitingSince.reset();
  }
  if (auto refusal = Refusal(*state, connection)) return Queue(connection, std::move(*refusal));
  Response response;
  try {
    response = state->Answer({method, url});
  } catch (const std::exception&) {
    response = TextResponse(500, "the answer could not be made");
  }
  return Queue(connection, std::move(response));
}

}  // namespace

HttpServer::HttpServer(Handler handler, ServerLimits limits, std::optional<std::string> token)
    : Inner(std::make_unique<State>()) {
  Inner->Answer = std::move(handler);
  Inner->Limits = limits;
  Inner->Token = std::move(token);
}

HttpServer::~HttpServer() { Stop(); }

bool HttpServer::Start(const ListenAddress& address, std::string& error) {
  State& s = *Inner;
  unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL;
  if (address.Ipv6) flags |= MHD_USE_IPv6;
  s.Daemon = MHD_start_daemon(
      flags, static_cast<uint16_t>(address.Port), nullptr, nullptr, OnRequest, &s,
      MHD_OPTION_SOCK_ADDR, reinterpret_cast<const sockaddr*>(&address.Socket),
      MHD_OPTION_THREAD_POOL_SIZE, s.Limits.Threads,
      MHD_OPTION_CONNECTION_LIMIT, s.Limits.Connections,
      MHD_OPTION_CONNECTION_TIMEOUT, s.Limits.IdleSeconds,
      MHD_OPTION_CONNECTION_MEMORY_LIMIT, s.Limits.RequestBytes,
      MHD_OPTION_NOTIFY_CONNECTION, OnConnection, &s,
      MHD_OPTION_NOTIFY_COMPLETED, OnCompleted, &s,
      MHD_OPTION_UNESCAPE_CALLBACK, KeepEscapes, nullptr,
      MHD_OPTION_END);
  if (s.Daemon == nullptr) {
    error = "cannot listen on " + address.Host + ":" + std::to_string(address.Port) +
            " (in use, or not an address of this host)";
    return false;
  }
  s.Stopping = false;
  s.Watchdog = std::thread([&s] { s.WatchRequests(); });
  return true;
}

int HttpServer::Port() const {
  if (Inner->Daemon == nullptr) return 0;
  const MHD_DaemonInfo* info = MHD_get_daemon_info(Inner->Daemon, MHD_DAEMON_INFO_BIND_PORT);
  return info ? info->port : 0;
}

void HttpServer::Stop() {
  State& s = *Inner;
  if (s.Daemon == nullptr) return;
  {
    std::lock_guard hold(s.Guard);
    s.Stopping = true;
  }
  s.Wake.notify_all();
  s.Watchdog.join();
  MHD_stop_daemon(s.Daemon);
  s.Daemon = nullptr;
}

}  // namespace spectrel::web
