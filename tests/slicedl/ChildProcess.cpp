#include "ChildProcess.h"

#include <stdexcept>

#ifdef _WIN32
#include <windows.h>

#include "StringConvert.h"
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

#ifdef _WIN32

namespace {
// Quoting for CommandLineToArgvW-style parsing; the arguments here hold no quotes.
std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }
}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring commandLine = Quoted(self);
  for (const std::string& argument : arguments) commandLine += L" " + Quoted(Utf8ToWide(argument));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(self, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    throw std::runtime_error("CreateProcessW failed");
  }
  CloseHandle(info.hThread);
  m_process = info.hProcess;
}

ChildProcess::~ChildProcess() {
  if (m_process != nullptr) kill();
}

void ChildProcess::kill() {
  if (m_process == nullptr) return;
  TerminateProcess(m_process, 9);
  WaitForSingleObject(m_process, INFINITE);
  CloseHandle(m_process);
  m_process = nullptr;
}

#else

ChildProcess::ChildProcess(const std::vector<std::string>& arguments) {
  std::vector<std::string> texts{"/proc/self/exe"};
  texts.insert(texts.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& text : texts) argv.push_back(&text[0]);
  argv.push_back(nullptr);
  if (posix_spawn(&m_pid, "/proc/self/exe", nullptr, nullptr, argv.data(), environ) != 0) {
    throw std::runtime_error("posix_spawn failed");
  }
}

ChildProcess::~ChildProcess() {
  if (m_pid > 0) kill();
}

void ChildProcess::kill() {
  if (m_pid <= 0) return;
  ::kill(m_pid, SIGKILL);
  int status = 0;
  waitpid(m_pid, &status, 0);
  m_pid = -1;
}

#endif
