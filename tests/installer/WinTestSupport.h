#pragma once

#include <string>
#include <vector>

// Folder of the running test executable, ending with a backslash (helper programs live beside it).
std::wstring TestExecutableFolder();

// A new empty folder under the temporary folder, ending with a backslash; removed by ~ScratchFolder.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& label);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
};

bool FileExists(const std::wstring& path);
std::string ReadWholeFile(const std::wstring& path);
void WriteWholeFile(const std::wstring& path, const std::string& bytes);

// Waits (without a tight deadline: a minute) until another process has created and closed `path`.
bool WaitForFile(const std::wstring& path);

// The names (without folder) of the files that match a wildcard pattern such as L"C:\\dir\\*.dmp".
std::vector<std::wstring> FilesMatching(const std::wstring& pattern);

// How often `part` occurs in `text`, counting occurrences that do not overlap.
size_t Occurrences(const std::string& text, const std::string& part);
