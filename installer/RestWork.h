#pragma once

#include <pplx/pplxtasks.h>

#include <chrono>
#include <memory>
#include <utility>

// The REST work still running on the task pool: a request from its start until the last continuation
// of its chain has run. The shutdown lets it end before COM and the C runtime go away, since a
// continuation left running then throws into a torn-down runtime (and ends in std::terminate).
namespace RestfulClient {

// The work counts as running while any copy of its token lives.
using WorkToken = std::shared_ptr<const void>;
WorkToken BeginWork();

// Keeps `work` counted until `task`, and so every continuation it waits for, has run.
template <typename T>
pplx::task<T> CountUntilDone(const pplx::task<T>& task, WorkToken work)
{
    task.then([work = std::move(work)](const pplx::task<T>&) {});
    return task;
}

// Waits until no work is running, `limit` at most; true when none is left.
bool WaitForWorkToEnd(std::chrono::milliseconds limit);

} // namespace RestfulClient
