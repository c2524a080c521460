#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The skin zip exactly as the program carries it: resource "ZIPRES" 102 of the running module, listed
// and read through minizip straight from the resource's memory.
class ResourceZip {
public:
    ResourceZip();
    ~ResourceZip();
    ResourceZip(const ResourceZip&) = delete;
    ResourceZip& operator=(const ResourceZip&) = delete;

    bool IsOpen() const { return m_zip != nullptr; }
    size_t Size() const { return m_view.size; }
    std::vector<std::string> EntryNames() const;
    // Exact, case-sensitive name as stored; false when missing or unreadable.
    bool Read(const std::string& name, std::vector<unsigned char>& bytes) const;

    struct View {
        const unsigned char* data = nullptr;
        size_t size = 0;
        size_t position = 0;
    };

private:
    View m_view;
    void* m_zip = nullptr;
};
