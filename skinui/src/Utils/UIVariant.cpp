#include "Utils/UIVariant.h"

namespace SkinUI {

void CUIVariant::SetInt(int value)
{
    m_kind = Integer;
    m_int = value;
}

void CUIVariant::SetDouble(double value)
{
    m_kind = Double;
    m_double = value;
}

void CUIVariant::SetString(const std::string& value)
{
    m_kind = String;
    m_string = value;
}

void CUIVariant::Clear()
{
    m_kind = None;
    m_int = 0;
    m_double = 0.0;
    m_string.clear();
}

}  // namespace SkinUI
