#include "ChildProcess.h"

#include <memory>
#include <vector>

namespace {

// Serialises pipe creation and process creation, so that the inheritable ends made for one child
// are not inherited by another one started at the same time.
std::mutex& LaunchMutex()
{
    static std::mutex mutex;
    return mutex;
}

struct Pipe {
    UniqueHandle parentEnd;
    UniqueHandle childEnd;
};

// The child's end is inheritable, the parent's is not. `childReads`: the child reads (stdin).
bool CreateChildPipe(Pipe& pipe, bool childReads)
{
    SECURITY_ATTRIBUTES security{sizeof(security), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &security, 0))
        return false;
    pipe.parentEnd.Reset(childReads ? writeEnd : readEnd);
    pipe.childEnd.Reset(childReads ? readEnd : writeEnd);
    return SetHandleInformation(pipe.parentEnd.Get(), HANDLE_FLAG_INHERIT, 0) != FALSE;
}

void ReadUntilEnd(HANDLE pipe, size_t bufferSize, const ChildProcess::OutputCallback& callback)
{
    const DWORD chunk = static_cast<DWORD>(bufferSize > 0 && bufferSize < 0x7FFFFFFF ? bufferSize : 4096);
    std::unique_ptr<char[]> buffer(new char[chunk]);
    DWORD read = 0;
    while (ReadFile(pipe, buffer.get(), chunk, &read, nullptr) && read > 0)
        callback(buffer.get(), read);
}

} // namespace

ChildProcess::ChildProcess(const std::wstring& command, const std::wstring& workingFolder,
                           OutputCallback onStdout, OutputCallback onStderr, bool openStdin,
                           ChildProcessConfig config)
    : m_onStdout(std::move(onStdout)), m_onStderr(std::move(onStderr)), m_openStdin(openStdin), m_config(config)
{
    m_processId = Launch(command, workingFolder);
    if (m_processId == 0) {
        SetLastError(m_launchError);
        return;
    }
    StartReaders();
}

ChildProcess::~ChildProcess()
{
    ClosePipes();
}

DWORD ChildProcess::Launch(const std::wstring& command, const std::wstring& workingFolder)
{
    std::lock_guard<std::mutex> lock(LaunchMutex());

    Pipe input, output, error;
    const bool pipeOk = (!m_openStdin || CreateChildPipe(input, true)) &&
                        (!m_onStdout || CreateChildPipe(output, false)) &&
                        (!m_onStderr || CreateChildPipe(error, false));
    if (!pipeOk) {
        m_launchError = GetLastError();
        return 0;
    }
    const bool anyPiped = m_openStdin || m_onStdout || m_onStderr;

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (anyPiped) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = input.childEnd.Get();
        startup.hStdOutput = output.childEnd.Get();
        startup.hStdError = error.childEnd.Get();
    }

    std::vector<wchar_t> writableCommand(command.begin(), command.end());
    writableCommand.push_back(L'\0');
    PROCESS_INFORMATION info{};
    const BOOL inherit = anyPiped || m_config.inheritHandles;
    const DWORD flags = anyPiped ? CREATE_NO_WINDOW : 0;
    if (!CreateProcessW(nullptr, writableCommand.data(), nullptr, nullptr, inherit, flags, nullptr,
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info)) {
        m_launchError = GetLastError();
        return 0;  // the pipes close with their holders
    }
    CloseHandle(info.hThread);
    m_process.Reset(info.hProcess);
    m_stdin = std::move(input.parentEnd);
    m_stdout = std::move(output.parentEnd);
    m_stderr = std::move(error.parentEnd);
    return info.dwProcessId;  // the child's ends close here: only the child holds them now
}

void ChildProcess::StartReaders()
{
    if (m_stdout.IsValid())
        m_stdoutReader = std::thread(ReadUntilEnd, m_stdout.Get(), m_config.bufferSize, std::cref(m_onStdout));
    if (m_stderr.IsValid())
        m_stderrReader = std::thread(ReadUntilEnd, m_stderr.Get(), m_config.bufferSize, std::cref(m_onStderr));
}

bool ChildProcess::WriteStdin(const char* bytes, size_t count)
{
    std::lock_guard<std::mutex> lock(m_stdinMutex);
    if (!m_stdin.IsValid())
        return false;
    while (count > 0) {
        DWORD written = 0;
        const DWORD part = static_cast<DWORD>(count < 0x10000000 ? count : 0x10000000);
        if (!WriteFile(m_stdin.Get(), bytes, part, &written, nullptr))
            return false;
        bytes += written;
        count -= written;
    }
    return true;
}

void ChildProcess::CloseStdin()
{
    std::lock_guard<std::mutex> lock(m_stdinMutex);
    m_stdin.Reset();
}

// Standard input is closed first: a child that reads it to the end would otherwise never close
// its outputs, and the readers would wait for it forever.
void ChildProcess::ClosePipes()
{
    std::lock_guard<std::mutex> lock(m_closeMutex);
    CloseStdin();
    if (m_stdoutReader.joinable())
        m_stdoutReader.join();
    if (m_stderrReader.joinable())
        m_stderrReader.join();
    m_stdout.Reset();
    m_stderr.Reset();
}
