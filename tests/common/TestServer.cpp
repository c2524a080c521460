#include "TestServer.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#include <curl/curl.h>

#ifdef _WIN32
#include <windows.h>

#include "StringConvert.h"
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <fcntl.h>
extern char** environ;
#endif

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kStartTimeout = std::chrono::seconds(10);
constexpr auto kStopTimeout = std::chrono::seconds(10);
constexpr auto kPollInterval = std::chrono::milliseconds(20);

std::atomic<int> g_serverCount{0};

struct HttpReply {
  long status = 0;
  std::string body;
};

size_t AppendToString(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

HttpReply HttpGet(const std::string& url, long timeoutMs) {
  static std::once_flag curlInit;
  std::call_once(curlInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
  if (!curl) throw std::runtime_error("curl_easy_init failed");
  HttpReply reply;
  curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl.get(), CURLOPT_NOPROXY, "*");
  curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, timeoutMs);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, AppendToString);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &reply.body);
  const CURLcode code = curl_easy_perform(curl.get());
  if (code != CURLE_OK)
    throw std::runtime_error("GET " + url + ": " + curl_easy_strerror(code));
  curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &reply.status);
  return reply;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The server runs as a Unix process in both builds, so it is told Unix paths. Under Wine the
// drive Z: is the Unix root: Z:\tmp\x is /tmp/x.
std::filesystem::path MakeServerDir() {
  const int serial = g_serverCount++;
#ifdef _WIN32
  const std::wstring name = L"tolvan-ts-w" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                            std::to_wstring(serial);
  std::filesystem::path dir = std::filesystem::path(L"Z:\\tmp") / name;
#else
  const std::string name = "tolvan-ts-" + std::to_string(getpid()) + "-" + std::to_string(serial);
  std::filesystem::path dir = std::filesystem::temp_directory_path() / name;
#endif
  // Process ids repeat across Wine prefixes and machines' test runs: never take over (or delete)
  // a folder another server still uses.
  std::filesystem::create_directories(dir.parent_path());
  for (int attempt = 0; !std::filesystem::create_directory(dir); ++attempt) {
    if (attempt > 1000) throw std::runtime_error("no free folder for the test server");
    dir += "_";
  }
  return dir;
}

std::string UnixPath(const std::filesystem::path& path) {
#ifdef _WIN32
  std::string text = WideToUtf8(path.wstring());
  if (text.size() < 2 || (text[0] != 'Z' && text[0] != 'z') || text[1] != ':')
    throw std::runtime_error("not on the Unix root drive Z: " + text);
  text.erase(0, 2);
  for (char& c : text)
    if (c == '\\') c = '/';
  return text;
#else
  return path.string();
#endif
}

}  // namespace

// The python process. Under Wine it is a Unix process that Wine detaches: its exit code and even
// its end cannot be observed, so only the native side waits for it.
class TestServer::Process {
 public:
  Process(const std::vector<std::string>& args, const std::filesystem::path& logFile);
  ~Process();
  bool hasExited();
  void waitForExit();

 private:
#ifndef _WIN32
  pid_t m_pid = -1;
#endif
};

#ifdef _WIN32

TestServer::Process::Process(const std::vector<std::string>& args, const std::filesystem::path&) {
  std::string commandLine;
  for (const std::string& arg : args)
    commandLine += (commandLine.empty() ? "" : " ") + ("\"" + arg + "\"");
  std::wstring wideCommandLine = Utf8ToWide(commandLine);
  // The server must not hold the test runner's output pipe: give it NUL, not our handles.
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inheritable, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(nullptr, wideCommandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  const DWORD error = GetLastError();
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  if (!started)
    throw std::runtime_error("cannot start " + commandLine + ": error " + std::to_string(error));
  // For a Unix program Wine reports success but leaves the process information unfilled: close
  // only handles that really belong to the new process.
  if (process.dwProcessId != 0 && GetProcessId(process.hProcess) == process.dwProcessId) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

TestServer::Process::~Process() = default;

bool TestServer::Process::hasExited() { return false; }

void TestServer::Process::waitForExit() {}

#else

TestServer::Process::Process(const std::vector<std::string>& args, const std::filesystem::path& logFile) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  // Errors before the server detaches its output land in the log file, not in the test's output.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  const int error = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0)
    throw std::runtime_error("cannot start " + args[0] + ": " + std::generic_category().message(error));
}

TestServer::Process::~Process() { waitForExit(); }

bool TestServer::Process::hasExited() {
  if (m_pid <= 0) return true;
  if (waitpid(m_pid, nullptr, WNOHANG) != m_pid) return false;
  m_pid = -1;
  return true;
}

void TestServer::Process::waitForExit() {
  const auto deadline = Clock::now() + kStopTimeout;
  while (!hasExited()) {
    if (Clock::now() > deadline) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
      m_pid = -1;
      return;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
}

#endif

TestServer::TestServer() : m_dir(MakeServerDir()) {
  m_process = std::make_unique<Process>(
      std::vector<std::string>{TOLVAN_PYTHON, TOLVAN_TESTSERVER_SCRIPT, "--port-file",
                               UnixPath(m_dir / "port"), "--log-file", UnixPath(m_dir / "server.log")},
      m_dir / "server.log");
  try {
    waitForPort();
  } catch (...) {
    m_process.reset();
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
    throw;
  }
}

void TestServer::waitForPort() {
  const auto deadline = Clock::now() + kStartTimeout;
  const std::filesystem::path portFile = m_dir / "port";
  while (!std::filesystem::exists(portFile)) {
    if (m_process->hasExited() || Clock::now() > deadline)
      throw std::runtime_error("test server did not start: " + ReadFile(m_dir / "server.log"));
    std::this_thread::sleep_for(kPollInterval);
  }
  m_port = std::stoi(ReadFile(portFile));
  m_base = "http://127.0.0.1:" + std::to_string(m_port);
}

TestServer::~TestServer() {
  try {
    HttpGet(url("/_control/shutdown"), 5000);
  } catch (const std::exception&) {
    // Already gone; its idle timeout covers a server that no longer listens to us.
  }
  m_process->waitForExit();
  const auto deadline = Clock::now() + kStopTimeout;
  while (answers() && Clock::now() < deadline) std::this_thread::sleep_for(kPollInterval);
  m_process.reset();
  std::error_code ignored;
  std::filesystem::remove_all(m_dir, ignored);
}

bool TestServer::answers() const {
  try {
    HttpGet(url("/_control/stats"), 1000);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

std::string TestServer::get(const std::string& pathAndQuery) const {
  HttpReply reply = HttpGet(url(pathAndQuery), 30000);
  if (reply.status >= 400)
    throw std::runtime_error("GET " + pathAndQuery + " answered " + std::to_string(reply.status));
  return std::move(reply.body);
}

nlohmann::json TestServer::control(const std::string& pathAndQuery) const {
  const std::string prefix = "/_control/";
  std::string target = pathAndQuery;
  if (target.rfind(prefix, 0) != 0) target = prefix + target.substr(target.rfind('/', 0) == 0 ? 1 : 0);
  return nlohmann::json::parse(get(target));
}
