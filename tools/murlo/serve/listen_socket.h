// The listening socket of murlo serve, made before the HTTP server starts
// so that a port in use or an address that cannot be had is reported with
// the system's reason, and --port 0 learns its port.
#ifndef MURLO_TOOLS_MURLO_SERVE_LISTEN_SOCKET_H_
#define MURLO_TOOLS_MURLO_SERVE_LISTEN_SOCKET_H_

#include <optional>
#include <string>
#include <string_view>

namespace murlo::tool {

// Whether `host` can name an address to listen on: a numeric IPv4 or IPv6
// address, or a host name (letters, digits, "-" and "." in labels of at
// most 63 characters). The empty text and anything else is refused before
// it is looked up.
bool isWellFormedHost(std::string_view host);

struct ListenSocket {
  int fd = -1;
  int port = 0;
  bool ipv6 = false;
  bool loopback = false;  // only this machine can connect
};

// A socket bound to `host`:`port` (any free port for 0) and listening, or
// nothing with `error` set ("cannot listen on HOST port N: reason").
std::optional<ListenSocket> listenOn(const std::string& host, int port, std::string& error);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_SERVE_LISTEN_SOCKET_H_
