#include "serve/listen_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace murlo::tool {
namespace {

constexpr int kListenBacklog = 128;

bool isLoopback(const sockaddr* address) {
  if (address->sa_family == AF_INET) {
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
    return (ntohl(v4->sin_addr.s_addr) >> 24) == 127;
  }
  if (address->sa_family == AF_INET6) {
    const in6_addr& v6 = reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
    if (IN6_IS_ADDR_LOOPBACK(&v6)) return true;
    return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;
  }
  return false;
}

bool isNumericAddress(const std::string& host) {
  in6_addr v6{};
  in_addr v4{};
  return ::inet_pton(AF_INET, host.c_str(), &v4) == 1 ||
         ::inet_pton(AF_INET6, host.c_str(), &v6) == 1;
}

}  // namespace

bool isWellFormedHost(std::string_view host) {
  if (host.empty() || host.size() > 253) return false;
  if (isNumericAddress(std::string(host))) return true;
  std::size_t label = 0;
  for (std::size_t i = 0; i <= host.size(); ++i) {
    if (i == host.size() || host[i] == '.') {
      if (label == 0 || label > 63) return false;
      if (host[i - 1] == '-' || host[i - label] == '-') return false;
      label = 0;
      continue;
    }
    const char c = host[i];
    const bool allowed =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
    if (!allowed) return false;
    ++label;
  }
  return true;
}

std::optional<ListenSocket> listenOn(const std::string& host, int port, std::string& error) {
  error = "cannot listen on " + host + " port " + std::to_string(port);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (const int failed = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
      failed != 0) {
    error += std::string(": ") + ::gai_strerror(failed);
    return std::nullopt;
  }
  int cause = 0;
  std::optional<ListenSocket> made;
  for (const addrinfo* at = found; at != nullptr && !made; at = at->ai_next) {
    const int fd = ::socket(at->ai_family, at->ai_socktype | SOCK_CLOEXEC, at->ai_protocol);
    if (fd < 0) {
      cause = errno;
      continue;
    }
    // SO_REUSEADDR lets a restart bind at once; a port in use stays an
    // error (no SO_REUSEPORT: a second server would take half the requests).
    int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(fd, at->ai_addr, at->ai_addrlen) != 0 || ::listen(fd, kListenBacklog) != 0) {
      cause = errno;
      ::close(fd);
      continue;
    }
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
    ListenSocket socket;
    socket.fd = fd;
    socket.ipv6 = bound.ss_family == AF_INET6;
    socket.port = ntohs(socket.ipv6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                    : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    socket.loopback = isLoopback(reinterpret_cast<sockaddr*>(&bound));
    made = socket;
  }
  ::freeaddrinfo(found);
  if (!made && cause != 0) error += std::string(": ") + std::strerror(cause);
  return made;
}

}  // namespace murlo::tool
