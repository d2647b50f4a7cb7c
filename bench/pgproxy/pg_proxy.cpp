// A forwarding proxy that puts a slow link between the benchmarks and the test server.
//
//   pg_delay_proxy SOCKET [DELAY_US]
//
// Listens on 127.0.0.1 (never another address) at a port the system chooses, prints
// that port on a line of its own, and forwards every connection to the server's Unix
// socket SOCKET, holding each chunk of bytes DELAY_US microseconds (500 unless told) in
// each direction before passing it on: a round trip through it costs twice that on top
// of the server's own time, as a link to a server on another host does. Chunks keep
// their order; one that arrives while earlier ones wait is held its own full delay from
// its arrival. Runs until it is killed.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <thread>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

bool writeAll(int fd, const char* p, std::size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

// Copies from one socket to the other, each chunk delay after it was read, until either
// side closes; then shuts the writing side so that the peer sees the end too.
void pump(int from, int to, std::chrono::microseconds delay) {
  std::deque<std::pair<Clock::time_point, std::string>> held;
  bool open = true;
  while (open || !held.empty()) {
    int timeout = -1;
    if (!held.empty()) {
      const auto left = held.front().first - Clock::now();
      timeout = static_cast<int>(
          std::max<long long>(0, std::chrono::ceil<std::chrono::milliseconds>(left).count()));
      // poll counts milliseconds: the last fraction is slept exactly below.
      if (left < std::chrono::milliseconds(1)) timeout = 0;
    }
    pollfd p{from, POLLIN, 0};
    const int n = open ? ::poll(&p, 1, timeout) : 0;
    if (n < 0 && errno != EINTR) break;
    if (n > 0) {
      char buffer[65536];
      const ssize_t r = ::read(from, buffer, sizeof buffer);
      if (r > 0) {
        held.emplace_back(Clock::now() + delay, std::string(buffer, static_cast<std::size_t>(r)));
      } else if (r == 0 || errno != EINTR) {
        open = false;
      }
    }
    while (!held.empty() &&
           (!open || held.front().first <= Clock::now() + std::chrono::milliseconds(1))) {
      std::this_thread::sleep_until(held.front().first);
      if (!writeAll(to, held.front().second.data(), held.front().second.size())) {
        ::shutdown(from, SHUT_RD);
        return;
      }
      held.pop_front();
    }
  }
  ::shutdown(to, SHUT_WR);
}

int connectServer(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (fd < 0 || path.size() >= sizeof addr.sun_path) return -1;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: pg_delay_proxy SOCKET [DELAY_US]\n");
    return 2;
  }
  const std::string socketPath = argv[1];
  const std::chrono::microseconds delay(argc > 2 ? std::atol(argv[2]) : 500);
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof addr;
  if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(listener, 64) != 0 ||
      ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
    std::perror("pg_delay_proxy: listen");
    return 1;
  }
  std::printf("%d\n", ntohs(addr.sin_port));
  std::fflush(stdout);
  for (;;) {
    const int client = ::accept(listener, nullptr, nullptr);
    if (client < 0) {
      if (errno == EINTR) continue;
      std::perror("pg_delay_proxy: accept");
      return 1;
    }
    // Small messages go out at once, as on a real link.
    const int one = 1;
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const int server = connectServer(socketPath);
    if (server < 0) {
      std::perror("pg_delay_proxy: connect to the server");
      ::close(client);
      continue;
    }
    std::thread([client, server, delay] {
      std::thread back(pump, server, client, delay);
      pump(client, server, delay);
      back.join();
      ::close(client);
      ::close(server);
    }).detach();
  }
}
