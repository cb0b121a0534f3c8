// The HTTP server of "spectrel-cli serve", on libmicrohttpd. Chosen among Debian's HTTP server
// libraries because it is event-driven (a slow client holds a socket, never a thread), bounds the
// memory of each connection (and so the request line and headers), caps the connections it keeps
// and closes idle ones, and has long served hostile networks; the bounds it lacks (header count,
// time to a complete request, request bodies) are added here.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "web/http_message.h"
#include "web/listen_address.h"

namespace spectrel::web {

struct ServerLimits {
  unsigned Connections = 256;          // open connections at once; more are closed on arrival
  std::size_t RequestBytes = 16384;    // request line and headers of one request, bytes
  unsigned Headers = 64;               // header lines of one request
  unsigned IdleSeconds = 10;           // a connection silent this long is closed
  unsigned RequestSeconds = 15;        // from connecting (or the last answer) to a whole request
  unsigned Threads = 4;                // threads answering requests
};

using Handler = std::function<Response(const Request&)>;

class HttpServer {
 public:
  // token: when given, every request must carry it (see Authorised).
  HttpServer(Handler handler, ServerLimits limits, std::optional<std::string> token);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Starts listening; false with a reason in error when the address cannot be bound.
  bool Start(const ListenAddress& address, std::string& error);
  // The port listened on (the one chosen when the address asked for port 0).
  int Port() const;
  // Stops listening and closes every connection; also done by the destructor.
  void Stop();

  struct State;   // the library's daemon and the connections' clocks

 private:
  std::unique_ptr<State> Inner;
};

}  // namespace spectrel::web
