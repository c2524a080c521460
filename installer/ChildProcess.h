#pragma once

#include "UniqueHandle.h"

#include <windows.h>

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

struct ChildProcessConfig {
    size_t bufferSize = 131072;  // read buffer of each output reader
    bool inheritHandles = false;
};

// Starts one program at construction. Standard output and error are piped when a callback is given
// (each read by its own thread, chunks delivered as they arrive); standard input when asked for.
// The object never waits for the child nor ends it.
class ChildProcess {
public:
    using OutputCallback = std::function<void(const char* bytes, size_t count)>;

    ChildProcess(const std::wstring& command, const std::wstring& workingFolder,
                 OutputCallback onStdout = nullptr, OutputCallback onStderr = nullptr,
                 bool openStdin = false, ChildProcessConfig config = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // False when the start failed; LaunchError() (and GetLastError right after construction) say why.
    bool HasValidId() const { return m_processId > 0; }
    DWORD ProcessId() const { return m_processId; }
    DWORD LaunchError() const { return m_launchError; }

    // Writes all bytes to the child's standard input; false without an open stdin or on failure.
    bool WriteStdin(const char* bytes, size_t count);

    // Ends the child's standard input, then waits until both outputs have ended (the child closed
    // them, usually by exiting) and every callback has returned.
    void ClosePipes();

private:
    DWORD Launch(const std::wstring& command, const std::wstring& workingFolder);
    void StartReaders();
    void CloseStdin();

    DWORD m_processId = 0;
    DWORD m_launchError = 0;
    UniqueHandle m_process;
    std::thread m_stdoutReader;
    std::thread m_stderrReader;
    std::mutex m_closeMutex;
    OutputCallback m_onStdout;
    OutputCallback m_onStderr;
    bool m_openStdin = false;
    UniqueHandle m_stdin;
    std::mutex m_stdinMutex;
    UniqueHandle m_stdout;
    UniqueHandle m_stderr;
    ChildProcessConfig m_config;
};
