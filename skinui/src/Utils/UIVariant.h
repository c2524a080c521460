#pragma once

#include <cstdint>
#include <string>

namespace SkinUI {

// Tagged value of the embedded browser's script bridge.
class CUIVariant {
public:
    enum Kind : uint32_t { None = 0, Integer = 1, Double = 2, String = 3 };

    void SetInt(int value);
    void SetDouble(double value);
    void SetString(const std::string& value);
    void SetKind(uint32_t kind) { m_kind = kind; }
    void Clear();

    uint32_t GetKind() const { return m_kind; }
    int GetInt() const { return m_int; }
    double GetDouble() const { return m_double; }
    const std::string& GetString() const { return m_string; }

private:
    uint32_t m_kind = None;
    int m_int = 0;
    double m_double = 0.0;
    std::string m_string;
};

}  // namespace SkinUI
