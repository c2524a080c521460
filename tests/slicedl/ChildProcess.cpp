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

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const std::string& program) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring path = program.empty() ? std::wstring(self) : Utf8ToWide(program);
  std::wstring commandLine = Quoted(path);
  for (const std::string& argument : arguments) commandLine += L" " + Quoted(Utf8ToWide(argument));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
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

int ChildProcess::wait() {
  if (m_process == nullptr) return -1;
  WaitForSingleObject(m_process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(m_process, &code);
  CloseHandle(m_process);
  m_process = nullptr;
  return static_cast<int>(code);
}

#else

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const std::string& program) {
  const std::string path = program.empty() ? "/proc/self/exe" : program;
  std::vector<std::string> texts{path};
  texts.insert(texts.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& text : texts) argv.push_back(&text[0]);
  argv.push_back(nullptr);
  if (posix_spawn(&m_pid, path.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
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

int ChildProcess::wait() {
  if (m_pid <= 0) return -1;
  int status = 0;
  waitpid(m_pid, &status, 0);
  m_pid = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif
