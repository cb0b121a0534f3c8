#include "web/listen_address.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/stat.h>

#include <charconv>
#include <cstring>

#include "base/file_input.h"

namespace spectrel::web {

namespace {

std::optional<int> PortNumber(const std::string& text) {
  int port = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || port < 0 || port > 65535)
    return std::nullopt;
  return port;
}

bool SameInConstantTime(const std::string& a, const std::string& b) {
  unsigned char differ = a.size() == b.size() ? 0 : 1;
  for (std::size_t i = 0; i < a.size(); ++i) differ |= static_cast<unsigned char>(a[i] ^ b[i % (b.empty() ? 1 : b.size())]);
  return differ == 0 && !b.empty();
}

std::string DecodeBase64(const std::string& text) {
  std::string out;
  unsigned value = 0;
  int bits = 0;
  for (const char c : text) {
    const char* at = std::strchr("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/", c);
    if (c == '=' || c == '\0') break;
    if (at == nullptr) return {};
    value = value << 6 | static_cast<unsigned>(at - "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((value >> bits) & 0xFF);
    }
  }
  return out;
}

}  // namespace

std::optional<ListenAddress> ParseListenAddress(const std::string& text, std::string& error) {
  ListenAddress a;
  std::string portText;
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find("]:");
    if (close == std::string::npos) {
      error = "an IPv6 address is written [ADDRESS]:PORT";
      return std::nullopt;
    }
    a.Host = text.substr(1, close - 1);
    portText = text.substr(close + 2);
    a.Ipv6 = true;
  } else {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos) {
      error = "the address is written ADDRESS:PORT";
      return std::nullopt;
    }
    a.Host = text.substr(0, colon);
    portText = text.substr(colon + 1);
  }
  const auto port = PortNumber(portText);
  if (!port) {
    error = "the port must be a number from 0 to 65535";
    return std::nullopt;
  }
  a.Port = *port;
  const std::string numeric = a.Host == "localhost" ? "127.0.0.1" : a.Host;
  if (a.Ipv6) {
    auto* in6 = reinterpret_cast<sockaddr_in6*>(&a.Socket);
    in6->sin6_family = AF_INET6;
    in6->sin6_port = htons(static_cast<std::uint16_t>(a.Port));
    if (::inet_pton(AF_INET6, numeric.c_str(), &in6->sin6_addr) != 1) {
      error = "\"" + a.Host + "\" is not an IPv6 address";
      return std::nullopt;
    }
    a.Loopback = IN6_IS_ADDR_LOOPBACK(&in6->sin6_addr);
  } else {
    auto* in4 = reinterpret_cast<sockaddr_in*>(&a.Socket);
    in4->sin_family = AF_INET;
    in4->sin_port = htons(static_cast<std::uint16_t>(a.Port));
    if (::inet_pton(AF_INET, numeric.c_str(), &in4->sin_addr) != 1) {
      error = "\"" + a.Host + "\" is not an IPv4 address (names other than localhost are not looked up)";
      return std::nullopt;
    }
    a.Loopback = (ntohl(in4->sin_addr.s_addr) >> 24) == 127;
  }
  return a;
}

std::optional<std::string> ReadTokenFile(const std::string& path, std::string& error) {
  // Read in bounded time: a named pipe or a device in the token file's place is refused at once.
  std::string token;
  const SmallFileRead read = ReadSmallFile(path, 4096, token);
  struct stat st{};
  if (read.Error != SmallFileError::None || ::stat(path.c_str(), &st) != 0) {
    error = "cannot read the token file " + path + ": " + read.Text() + "; give a file of one token this user can read";
    return std::nullopt;
  }
  if (st.st_mode & S_IROTH) {
    error = "the token file " + path + " may be read by every user; allow only its owner and group (chmod 640)";
    return std::nullopt;
  }
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!token.empty() && blank(token.back())) token.pop_back();
  std::size_t first = 0;
  while (first < token.size() && blank(token[first])) ++first;
  token.erase(0, first);
  if (token.size() < 16 || token.find_first_of(" \t\r\n") != std::string::npos) {
    error = "the token in " + path + " must be one word of at least 16 characters";
    return std::nullopt;
  }
  return token;
}

bool Authorised(const std::string& authorization, const std::string& token) {
  if (authorization.rfind("Bearer ", 0) == 0) return SameInConstantTime(authorization.substr(7), token);
  if (authorization.rfind("Basic ", 0) == 0) {
    const std::string pair = DecodeBase64(authorization.substr(6));
    const std::size_t colon = pair.find(':');
    return colon != std::string::npos && SameInConstantTime(pair.substr(colon + 1), token);
  }
  return false;
}

}  // namespace spectrel::web
