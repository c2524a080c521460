// Starts a child process (by default this test executable again, with other arguments), waits
// for it or kills it.
#pragma once

#include <string>
#include <vector>

class ChildProcess {
 public:
  // An empty `program` means this executable; throws on failure.
  explicit ChildProcess(const std::vector<std::string>& arguments, const std::string& program = "");
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Ends the process at once, as a crash or a killed task would, and waits until it is gone.
  void kill();
  // Waits for the process to end by itself; its exit code.
  int wait();

 private:
#ifdef _WIN32
  void* m_process = nullptr;
#else
  int m_pid = -1;
#endif
};
