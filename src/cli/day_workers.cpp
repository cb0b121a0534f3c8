#include "cli/day_workers.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <thread>
#include <vector>

namespace spectrel::cli {

namespace {

struct ResultHeader {
  std::uint64_t Index;      // the job
  std::uint64_t Bytes;      // DayOutcome::Bytes
  std::uint32_t Ok;         // DayOutcome::Ok
  std::uint32_t Length;     // bytes of message that follow
};

struct Worker {
  pid_t Pid = -1;           // the child process
  int ToChild = -1;         // job indices go down this pipe
  int FromChild = -1;       // results come up this one
  std::size_t Job = 0;      // the job it is working on
  bool Busy = false;        // a job is out
};

bool WriteAll(int fd, const void* data, std::size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool ReadAll(int fd, void* data, std::size_t size) {
  char* p = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t n = ::read(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

DayOutcome RunGuarded(const DayJob& job, std::size_t index) {
  try {
    return job(index);
  } catch (const std::exception& e) {
    return {false, 0, e.what()};
  } catch (...) {
    return {false, 0, "conversion failed"};
  }
}

// The child's life: take jobs until the parent closes the pipe, answer each; never returns.
[[noreturn]] void ServeJobs(int in, int out, const DayJob& job) {
  std::uint64_t index = 0;
  while (ReadAll(in, &index, sizeof index)) {
    const DayOutcome outcome = RunGuarded(job, static_cast<std::size_t>(index));
    const ResultHeader header{index, outcome.Bytes, outcome.Ok ? 1u : 0u,
                              static_cast<std::uint32_t>(outcome.Message.size())};
    if (!WriteAll(out, &header, sizeof header) ||
        !WriteAll(out, outcome.Message.data(), outcome.Message.size()))
      break;
  }
  std::fflush(nullptr);
  ::_exit(0);
}

bool Spawn(Worker& worker, std::vector<Worker>& all, const DayJob& job) {
  int down[2];
  int up[2];
  if (::pipe(down) != 0) return false;
  if (::pipe(up) != 0) {
    ::close(down[0]);
    ::close(down[1]);
    return false;
  }
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    // Only this worker's own ends stay open, so every other worker sees its pipe close.
    for (const Worker& other : all) {
      if (other.ToChild >= 0) ::close(other.ToChild);
      if (other.FromChild >= 0) ::close(other.FromChild);
    }
    ::close(down[1]);
    ::close(up[0]);
    ServeJobs(down[0], up[1], job);
  }
  ::close(down[0]);
  ::close(up[1]);
  if (pid < 0) {
    ::close(down[1]);
    ::close(up[0]);
    return false;
  }
  worker = {pid, down[1], up[0], 0, false};
  return true;
}

void Retire(Worker& worker) {
  if (worker.ToChild >= 0) ::close(worker.ToChild);
  if (worker.FromChild >= 0) ::close(worker.FromChild);
  worker.ToChild = worker.FromChild = -1;
  int status = 0;
  if (worker.Pid > 0) ::waitpid(worker.Pid, &status, 0);
  worker.Pid = -1;
  worker.Busy = false;
}

// Reads one result; false when the worker is gone (its pipe closed without one).
bool Collect(Worker& worker, DayOutcome& outcome) {
  ResultHeader header{};
  if (!ReadAll(worker.FromChild, &header, sizeof header)) return false;
  outcome.Ok = header.Ok != 0;
  outcome.Bytes = header.Bytes;
  outcome.Message.assign(header.Length, '\0');
  return ReadAll(worker.FromChild, outcome.Message.data(), header.Length);
}

void RunInProcess(std::size_t count, const DayJob& job, const DayReport& report) {
  for (std::size_t i = 0; i < count; ++i) report(i, RunGuarded(job, i));
}

}  // namespace

int WorkerCount(int requested, std::size_t count) {
  int workers = requested > 0 ? requested : static_cast<int>(std::thread::hardware_concurrency());
  workers = std::max(workers, 1);
  return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(workers), std::max<std::size_t>(count, 1)));
}

void RunDayWorkers(std::size_t count, int workers, const DayJob& job, const DayReport& report) {
  if (count == 0) return;
  if (workers <= 1) return RunInProcess(count, job, report);
  // A worker that dies must not take the parent with it through a write to its pipe.
  struct sigaction ignore {};
  struct sigaction previous {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGPIPE, &ignore, &previous);

  std::vector<Worker> pool(static_cast<std::size_t>(workers));
  std::size_t next = 0;
  std::size_t open = 0;   // jobs handed out and not yet reported
  const auto dispatch = [&](Worker& w) {
    if (next >= count || w.Pid < 0) return;
    const std::uint64_t index = next;
    if (!WriteAll(w.ToChild, &index, sizeof index)) return;
    w.Job = next++;
    w.Busy = true;
    ++open;
  };
  for (Worker& w : pool) {
    if (Spawn(w, pool, job)) dispatch(w);
  }
  if (open == 0) {   // no process could be started: do the work here
    for (Worker& w : pool) Retire(w);
    ::sigaction(SIGPIPE, &previous, nullptr);
    return RunInProcess(count, job, report);
  }
  while (open > 0) {
    std::vector<pollfd> fds;
    std::vector<Worker*> owners;
    for (Worker& w : pool)
      if (w.Busy) {
        fds.push_back({w.FromChild, POLLIN, 0});
        owners.push_back(&w);
      }
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].revents == 0) continue;
      Worker& w = *owners[i];
      DayOutcome outcome;
      const std::size_t index = w.Job;
      w.Busy = false;
      --open;
      if (Collect(w, outcome)) {
        report(index, outcome);
      } else {
        Retire(w);
        report(index, {false, 0, "the conversion ended abnormally"});
        Spawn(w, pool, job);
      }
      dispatch(w);
    }
  }
  for (Worker& w : pool) Retire(w);
  ::sigaction(SIGPIPE, &previous, nullptr);
  // Jobs never handed out (no worker left alive) still run, here.
  for (; next < count; ++next) report(next, RunGuarded(job, next));
}

}  // namespace spectrel::cli
