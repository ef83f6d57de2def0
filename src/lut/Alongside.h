// Two independent pieces of work, the second on a thread of its own where the
// machine has a second core.
#pragma once

#include <exception>
#include <thread>

namespace zelvo {

// Runs `beside` on a new thread while `main` runs on this one, and returns
// once both are done; an exception of either is raised here (the main one's
// first). With a single core they run one after the other.
template <typename Main, typename Beside>
void RunAlongside(Main&& main, Beside&& beside) {
  if (std::thread::hardware_concurrency() < 2) {
    main();
    beside();
    return;
  }
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      beside();
    } catch (...) {
      failure = std::current_exception();
    }
  });
  try {
    main();
  } catch (...) {
    worker.join();
    throw;
  }
  worker.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace zelvo
