#include "archive/day_workers.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace spectrel::archive {

namespace {

// What a worker tells the parent about a job.
enum MessageKind : std::uint32_t {
  Done = 0,    // the job's outcome; the worker is free for the next one
  Ready = 1,   // computed, now finishing beside the next job: the outcome follows later
};

struct ResultHeader {
  std::uint64_t Index;      // the job
  std::uint64_t Bytes;      // DayOutcome::Bytes
  std::uint32_t Ok;         // DayOutcome::Ok in bit 0, DayOutcome::Partial in bit 1
  std::uint32_t Length;     // bytes of message that follow
  std::uint32_t Kind;       // MessageKind
  std::uint32_t Warnings;   // bytes of warnings that follow the message
};

struct Worker {
  pid_t Pid = -1;                  // the child process
  int ToChild = -1;                // job indices go down this pipe
  int FromChild = -1;              // results come up this one
  bool Computing = false;          // the job last sent is still computing
  std::size_t Current = 0;         // that job
  std::vector<std::size_t> Open;   // jobs sent and not yet reported (computing or finishing)
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

template <class Work>
DayOutcome Guarded(const Work& work) {
  try {
    return work();
  } catch (const std::exception& e) {
    return {false, 0, e.what(), {}, {}};
  } catch (...) {
    return {false, 0, "conversion failed", {}, {}};
  }
}

DayOutcome RunGuarded(const DayJob& job, std::size_t index) {
  return Guarded([&] { return job(index); });
}

DayOutcome FinishGuarded(const std::function<DayOutcome()>& finish) { return Guarded(finish); }

// The worker's end of the result pipe, shared by the job and the finishing thread.
class ResultPipe {
 public:
  explicit ResultPipe(int fd) : Fd(fd) {}
  bool Send(MessageKind kind, std::uint64_t index, const DayOutcome& outcome) {
    const ResultHeader header{index, outcome.Bytes, (outcome.Ok ? 1u : 0u) | (outcome.Partial ? 2u : 0u),
                              static_cast<std::uint32_t>(outcome.Message.size()), kind,
                              static_cast<std::uint32_t>(outcome.Warnings.size())};
    const std::lock_guard<std::mutex> hold(Lock);
    return WriteAll(Fd, &header, sizeof header) &&
           WriteAll(Fd, outcome.Message.data(), outcome.Message.size()) &&
           WriteAll(Fd, outcome.Warnings.data(), outcome.Warnings.size());
  }

 private:
  int Fd;
  std::mutex Lock;
};

// The child's life: take jobs until the parent closes the pipe, answer each; never returns. A
// job's Finish runs on a thread while the next job computes.
[[noreturn]] void ServeJobs(int in, int out, const DayJob& job) {
  ResultPipe pipe(out);
  std::thread finishing;
  std::uint64_t index = 0;
  bool open = true;
  while (open && ReadAll(in, &index, sizeof index)) {
    DayOutcome outcome = RunGuarded(job, static_cast<std::size_t>(index));
    if (finishing.joinable()) finishing.join();   // one day on its way to disk at a time
    if (outcome.Finish) {
      open = pipe.Send(Ready, index, {});
      finishing = std::thread([&pipe, index, finish = std::move(outcome.Finish)] {
        pipe.Send(Done, index, FinishGuarded(finish));
      });
    } else {
      open = pipe.Send(Done, index, outcome);
    }
  }
  if (finishing.joinable()) finishing.join();
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
  worker = Worker{pid, down[1], up[0], false, 0, {}};
  return true;
}

void Retire(Worker& worker) {
  if (worker.ToChild >= 0) ::close(worker.ToChild);
  if (worker.FromChild >= 0) ::close(worker.FromChild);
  worker.ToChild = worker.FromChild = -1;
  int status = 0;
  if (worker.Pid > 0) ::waitpid(worker.Pid, &status, 0);
  worker.Pid = -1;
  worker.Computing = false;
  worker.Open.clear();
}

// Reads one message; false when the worker is gone (its pipe closed without one).
bool Collect(Worker& worker, ResultHeader& header, DayOutcome& outcome) {
  if (!ReadAll(worker.FromChild, &header, sizeof header)) return false;
  outcome.Ok = (header.Ok & 1u) != 0;
  outcome.Partial = (header.Ok & 2u) != 0;
  outcome.Bytes = header.Bytes;
  outcome.Message.assign(header.Length, '\0');
  outcome.Warnings.assign(header.Warnings, '\0');
  return ReadAll(worker.FromChild, outcome.Message.data(), header.Length) &&
         ReadAll(worker.FromChild, outcome.Warnings.data(), header.Warnings);
}

// Jobs first .. count - 1 in this process, each one's Finish beside the next job.
void RunInProcess(std::size_t first, std::size_t count, const DayJob& job, const DayReport& report) {
  std::future<DayOutcome> finishing;
  std::size_t finishingIndex = 0;
  for (std::size_t i = first; i < count; ++i) {
    DayOutcome outcome = RunGuarded(job, i);
    if (finishing.valid()) report(finishingIndex, finishing.get());
    if (outcome.Finish) {
      finishing = std::async(std::launch::async,
                             [finish = std::move(outcome.Finish)] { return FinishGuarded(finish); });
      finishingIndex = i;
    } else {
      report(i, outcome);
    }
  }
  if (finishing.valid()) report(finishingIndex, finishing.get());
}

// The parent's side of the pool.
class Pool {
 public:
  Pool(std::size_t count, int workers, const DayJob& job, const DayReport& report)
      : Count(count), Job(job), Report(report), Workers(static_cast<std::size_t>(workers)) {}

  // Runs every job; returns the first one never handed out (no worker left alive).
  std::size_t Run() {
    for (Worker& w : Workers)
      if (Spawn(w, Workers, Job)) Dispatch(w);
    while (OpenJobs() > 0 && Wait()) {
    }
    for (Worker& w : Workers) Retire(w);
    return Next;
  }

 private:
  void Dispatch(Worker& w) {
    if (Next >= Count || w.Pid < 0 || w.Computing) return;
    const std::uint64_t index = Next;
    if (!WriteAll(w.ToChild, &index, sizeof index)) return;
    w.Current = Next++;
    w.Computing = true;
    w.Open.push_back(w.Current);
  }

  std::size_t OpenJobs() const {
    std::size_t open = 0;
    for (const Worker& w : Workers) open += w.Open.size();
    return open;
  }

  // Waits for messages and handles them; false when waiting is no longer possible.
  bool Wait() {
    std::vector<pollfd> fds;
    std::vector<Worker*> owners;
    for (Worker& w : Workers)
      if (!w.Open.empty()) {
        fds.push_back({w.FromChild, POLLIN, 0});
        owners.push_back(&w);
      }
    if (::poll(fds.data(), fds.size(), -1) < 0) return errno == EINTR;
    for (std::size_t i = 0; i < fds.size(); ++i)
      if (fds[i].revents != 0) Handle(*owners[i]);
    return true;
  }

  void Handle(Worker& w) {
    ResultHeader header{};
    DayOutcome outcome;
    if (!Collect(w, header, outcome)) return Lost(w);
    const std::size_t index = static_cast<std::size_t>(header.Index);
    if (w.Computing && w.Current == index) w.Computing = false;
    if (header.Kind == Done) {
      w.Open.erase(std::remove(w.Open.begin(), w.Open.end(), index), w.Open.end());
      Report(index, outcome);
    }
    Dispatch(w);
  }

  // The worker died: its open jobs fail, and a new one takes its place.
  void Lost(Worker& w) {
    const std::vector<std::size_t> open = w.Open;
    Retire(w);
    for (std::size_t index : open) Report(index, {false, 0, "the conversion ended abnormally", {}, {}});
    if (Spawn(w, Workers, Job)) Dispatch(w);
  }

  std::size_t Count;              // jobs in all
  const DayJob& Job;
  const DayReport& Report;
  std::vector<Worker> Workers;
  std::size_t Next = 0;           // the next job to hand out
};

}  // namespace

int WorkerCount(int requested, std::size_t count) {
  int workers = requested > 0 ? requested : static_cast<int>(std::thread::hardware_concurrency());
  workers = std::max(workers, 1);
  return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(workers), std::max<std::size_t>(count, 1)));
}

void RunDayWorkers(std::size_t count, int workers, const DayJob& job, const DayReport& report) {
  if (count == 0) return;
  if (workers <= 1) return RunInProcess(0, count, job, report);
  // A worker that dies must not take the parent with it through a write to its pipe.
  struct sigaction ignore {};
  struct sigaction previous {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGPIPE, &ignore, &previous);
  const std::size_t handedOut = Pool(count, workers, job, report).Run();
  ::sigaction(SIGPIPE, &previous, nullptr);
  // Jobs never handed out (no process could be started, or none is left alive) run here.
  RunInProcess(handedOut, count, job, report);
}

}  // namespace spectrel::archive
