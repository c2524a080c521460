// Starts this test executable again as a child process with other arguments, and kills it.
#pragma once

#include <string>
#include <vector>

class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& arguments);  // throws on failure
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Ends the process at once, as a crash or a killed task would, and waits until it is gone.
  void kill();

 private:
#ifdef _WIN32
  void* m_process = nullptr;
#else
  int m_pid = -1;
#endif
};
