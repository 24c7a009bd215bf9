#include "support/process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

extern char** environ;

namespace torvanel::test_support {
namespace {

// A pipe whose ends close on exec; the child dups the end it keeps.
struct Pipe {
  int read = -1;
  int write = -1;
  bool open() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    read = fds[0];
    write = fds[1];
    return true;
  }
  void close_all() {
    for (int* fd : {&read, &write}) {
      if (*fd >= 0) ::close(*fd);
      *fd = -1;
    }
  }
};

std::vector<std::string> child_environment(const ProcessSpec& spec) {
  std::map<std::string, std::string> vars;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    std::string_view text = *entry;
    size_t equals = text.find('=');
    if (equals == std::string_view::npos) continue;
    vars[std::string(text.substr(0, equals))] = std::string(text.substr(equals + 1));
  }
  for (const auto& [name, value] : spec.env) {
    if (value) {
      vars[name] = *value;
    } else {
      vars.erase(name);
    }
  }
  std::vector<std::string> env;
  for (const auto& [name, value] : vars) env.push_back(name + "=" + value);
  return env;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> out;
  for (std::string& text : texts) out.push_back(text.data());
  out.push_back(nullptr);
  return out;
}

// Hands the errno value of a failed start to the parent and ends the child.
[[noreturn]] void fail_child(int status_fd, int code) {
  ssize_t ignored = ::write(status_fd, &code, sizeof code);
  (void)ignored;
  ::_exit(127);
}

// Only async-signal-safe calls from here to exec; a failure is reported
// through `status`.
[[noreturn]] void exec_child(const ProcessSpec& spec, const Pipe& out, const Pipe& err,
                             const Pipe& status, char** argv, char** envp) {
  int null = ::open("/dev/null", O_RDONLY);
  if (null < 0 || ::dup2(null, STDIN_FILENO) < 0) fail_child(status.write, errno);
  if (::dup2(out.write, STDOUT_FILENO) < 0 || ::dup2(err.write, STDERR_FILENO) < 0) {
    fail_child(status.write, errno);
  }
  if (!spec.cwd.empty() && ::chdir(spec.cwd.c_str()) != 0) fail_child(status.write, errno);
  if (spec.in_child) spec.in_child();
  ::execve(spec.program.c_str(), argv, envp);
  fail_child(status.write, errno);
}

// Reads both streams to their end; false when the deadline came first.
bool drain(int out_fd, int err_fd, ProcessResult& result,
           std::chrono::steady_clock::time_point deadline) {
  struct pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open_streams = 2;
  while (open_streams > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    int ready = ::poll(fds, 2, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) return false;
    if (ready < 0) return true;  // nothing more can be read; the exit status still counts
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        fds[i].fd = -1;
        --open_streams;
      } else {
        sinks[i]->append(buffer, static_cast<size_t>(n));
      }
    }
  }
  return true;
}

}  // namespace

std::expected<ProcessResult, std::string> run_process(const ProcessSpec& spec) {
  std::vector<std::string> args{spec.program.string()};
  args.insert(args.end(), spec.args.begin(), spec.args.end());
  std::vector<std::string> env = child_environment(spec);
  std::vector<char*> argv = pointers(args);
  std::vector<char*> envp = pointers(env);

  Pipe out, err, status;
  if (!out.open() || !err.open() || !status.open()) {
    int code = errno;
    out.close_all();
    err.close_all();
    status.close_all();
    return std::unexpected(std::string("pipe: ") + std::strerror(code));
  }
  auto deadline = std::chrono::steady_clock::now() + spec.timeout;
  pid_t pid = ::fork();
  if (pid < 0) {
    int code = errno;
    out.close_all();
    err.close_all();
    status.close_all();
    return std::unexpected(std::string("fork: ") + std::strerror(code));
  }
  if (pid == 0) exec_child(spec, out, err, status, argv.data(), envp.data());

  ::close(out.write);
  ::close(err.write);
  ::close(status.write);
  int exec_errno = 0;
  ssize_t got;
  do {
    got = ::read(status.read, &exec_errno, sizeof exec_errno);
  } while (got < 0 && errno == EINTR);
  ::close(status.read);

  ProcessResult result;
  if (got <= 0) result.timed_out = !drain(out.read, err.read, result, deadline);
  if (got > 0 || result.timed_out) ::kill(pid, SIGKILL);
  ::close(out.read);
  ::close(err.read);

  int wait_status = 0;
  while (::waitpid(pid, &wait_status, 0) < 0 && errno == EINTR) {
  }
  if (got > 0) {
    return std::unexpected("start " + spec.program.string() + ": " + std::strerror(exec_errno));
  }
  if (WIFEXITED(wait_status)) {
    result.exit_status = WEXITSTATUS(wait_status);
  } else if (WIFSIGNALED(wait_status)) {
    result.term_signal = WTERMSIG(wait_status);
  }
  return result;
}

}  // namespace torvanel::test_support
