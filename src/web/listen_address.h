// Where the server listens and who may ask it: the address from --listen and the bearer token
// from --token-file.
#pragma once

#include <sys/socket.h>

#include <optional>
#include <string>

namespace spectrel::web {

struct ListenAddress {
  sockaddr_storage Socket{};   // IPv4 or IPv6 address and port
  std::string Host;            // as given, without brackets
  int Port = 0;                // 0: any free port
  bool Ipv6 = false;
  bool Loopback = false;       // 127.0.0.0/8 or ::1: only this host can connect
};

// "127.0.0.1:8080", "[::1]:8080", "0.0.0.0:8080", "localhost:8080" (127.0.0.1); numeric addresses
// only otherwise. Empty with a reason in error for anything else.
std::optional<ListenAddress> ParseListenAddress(const std::string& text, std::string& error);

// The token in the file (blanks and line ends around it removed). Empty with a reason when the
// file cannot be read, others than its owner and group may read it, or the token is shorter than
// 16 characters or holds blanks.
std::optional<std::string> ReadTokenFile(const std::string& path, std::string& error);

// Whether an Authorization header carries the token: "Bearer TOKEN", or "Basic" with the token as
// the password (what a browser sends when it asks its user). Compared in constant time.
bool Authorised(const std::string& authorization, const std::string& token);

}  // namespace spectrel::web
