#pragma once
// The loopback HTTP(S) server of the transfer tests (loopback_server.py), run as a child process.
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace velmora_test {

// python3 loopback_server.py in a scratch directory of its own.
class LoopbackServer {
 public:
  explicit LoopbackServer(const std::filesystem::path& dir, std::vector<std::string> tls = {}) {
    int out[2];
    if (::pipe(out) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], 1);
      ::close(out[0]);
      std::vector<std::string> args = {
          "python3", VELMORA_SOURCE_DIR "/tests/net/loopback_server.py", dir.string()};
      args.insert(args.end(), tls.begin(), tls.end());
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execvp("python3", argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    char buf[16] = {};
    ssize_t n = 0, got = 0;
    while (got < 15 && (n = ::read(out[0], buf + got, 1)) == 1 && buf[got] != '\n') ++got;
    ::close(out[0]);
    port_ = std::atoi(buf);
  }
  ~LoopbackServer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  int Port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace velmora_test
