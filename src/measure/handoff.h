// One value handed from a worker thread to the document's thread: the worker puts it, the
// document takes it when its posted task runs; a later put replaces a value not yet taken.
#pragma once

#include <mutex>
#include <optional>
#include <utility>

namespace spectrel {

template <typename T>
class Handoff {
 public:
  void Put(T value) {
    std::lock_guard<std::mutex> lock(Lock);
    Value = std::move(value);
  }
  std::optional<T> Take() {
    std::lock_guard<std::mutex> lock(Lock);
    return std::exchange(Value, std::nullopt);
  }

 private:
  std::mutex Lock;
  std::optional<T> Value;
};

}  // namespace spectrel
