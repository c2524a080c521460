#include "StandInJournal.h"

#include <map>
#include <mutex>

namespace {

std::mutex& JournalLock() {
    static std::mutex lock;
    return lock;
}

std::map<int, std::wstring>& Journals() {
    static std::map<int, std::wstring> journals;
    return journals;
}

}  // namespace

void AppendToJournal(int browserId, const std::wstring& entry) {
    std::lock_guard<std::mutex> guard(JournalLock());
    Journals()[browserId] += entry + L";";
}

std::wstring ReadJournal(int browserId) {
    std::lock_guard<std::mutex> guard(JournalLock());
    auto found = Journals().find(browserId);
    return found == Journals().end() ? std::wstring() : found->second;
}
