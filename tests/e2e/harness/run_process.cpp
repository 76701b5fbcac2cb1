#include "tests/e2e/harness/run_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double Now() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return (double)ts.tv_sec + (double)ts.tv_nsec / 1e9;
}

// Reads what is there without blocking; false at the end of the stream.
static bool Drain(int fd, std::string* into) {
  char buffer[4096];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0) {
      into->append(buffer, (size_t)got);
      continue;
    }
    return got < 0;  // 0: end of stream; -1: nothing more for now
  }
}

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& environment, int timeoutSeconds) {
  ProcessResult result;
  int outPipe[2], errPipe[2];
  if (argv.empty() || pipe2(outPipe, O_CLOEXEC) != 0) return result;
  if (pipe2(errPipe, O_CLOEXEC) != 0) {
    close(outPipe[0]);
    close(outPipe[1]);
    return result;
  }
  pid_t child = fork();
  if (child == 0) {
    setpgid(0, 0);
    int null = open("/dev/null", O_RDONLY);
    dup2(null, 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    for (const std::string& entry : environment) {
      size_t equals = entry.find('=');
      if (equals != std::string::npos)
        setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  if (child < 0) {
    close(outPipe[0]);
    close(errPipe[0]);
    return result;
  }
  setpgid(child, child);  // also here, so the group exists before any kill
  fcntl(outPipe[0], F_SETFL, O_NONBLOCK);
  fcntl(errPipe[0], F_SETFL, O_NONBLOCK);

  double deadline = Now() + timeoutSeconds;
  bool outOpen = true, errOpen = true, exited = false;
  int waitStatus = 0;
  double afterExit = 0;
  for (;;) {
    if (!exited && waitpid(child, &waitStatus, WNOHANG) == child) {
      exited = true;
      afterExit = Now() + 1.0;  // a little time for output still in the pipes
    }
    if ((!outOpen && !errOpen) && exited) break;
    if (exited && Now() > afterExit) break;  // a descendant keeps a pipe open
    if (!exited && Now() > deadline) {
      kill(-child, SIGKILL);
      waitpid(child, &waitStatus, 0);
      result.timedOut = true;
      exited = true;
      afterExit = Now() + 1.0;
    }
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    poll(fds, 2, 20);
    if (outOpen) outOpen = Drain(outPipe[0], &result.out);
    if (errOpen) errOpen = Drain(errPipe[0], &result.err);
  }
  close(outPipe[0]);
  close(errPipe[0]);
  if (!result.timedOut && WIFEXITED(waitStatus)) result.status = WEXITSTATUS(waitStatus);
  return result;
}
