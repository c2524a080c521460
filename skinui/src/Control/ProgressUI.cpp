#include "Control/ProgressUI.h"

#include "Core/AttributeValues.h"
#include "Core/Painter.h"
#include "Core/WindowUIManager.h"
#include "Utils/UIGeometry.h"

#include <algorithm>
#include <climits>
#include <cwchar>

namespace SkinUI {

CProgressUI::CProgressUI()
{
    m_textStyle = DT_CENTER | DT_SINGLELINE;
    m_fixedHeight = 12;
}

void* CProgressUI::GetInterface(const wchar_t* name)
{
    if (name && _wcsicmp(name, L"Progress") == 0) return this;
    return CLabelUI::GetInterface(name);
}

void CProgressUI::SetValue(int value)
{
    if (value == m_value || value < m_min || value > m_max) return;
    m_value = value;
    Invalidate();
    UpdateText();
}

void CProgressUI::UpdateText()
{
    if (!m_showText || m_max == m_min) return;
    const float percent = static_cast<float>(static_cast<long long>(m_value) - m_min) * 100.0f /
                          static_cast<float>(static_cast<long long>(m_max) - m_min);
    CUIString text;
    text.Format(L"%.0f%%", static_cast<double>(percent));
    SetText(text);
}

void CProgressUI::SetAttribute(const wchar_t* name, const wchar_t* value)
{
    if (_wcsicmp(name, L"hor") == 0) {
        if (m_horizontal == ParseBool(value)) return;
        m_horizontal = ParseBool(value);
        Invalidate();
    } else if (_wcsicmp(name, L"min") == 0) {
        m_min = _wtoi(value);
        Invalidate();
    } else if (_wcsicmp(name, L"max") == 0) {
        m_max = _wtoi(value);
        Invalidate();
    } else if (_wcsicmp(name, L"value") == 0) {
        SetValue(_wtoi(value));
    } else if (_wcsicmp(name, L"isstretchfore") == 0) {
        if (m_stretchForeImage == ParseBool(value)) return;
        m_stretchForeImage = ParseBool(value);
        Invalidate();
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

CProgressUI::ValueRange CProgressUI::GetNormalisedRange() const
{
    ValueRange range = {m_min, m_max, m_value};
    if (range.max <= range.min) {
        // At INT_MAX there is no value above the minimum: the range becomes the last step below it.
        if (range.min == INT_MAX) range.min = INT_MAX - 1;
        range.max = range.min + 1;
    }
    range.value = std::clamp(range.value, range.min, range.max);
    return range;
}

void CProgressUI::NormaliseRange()
{
    const ValueRange range = GetNormalisedRange();
    m_min = range.min;
    m_max = range.max;
    m_value = range.value;
}

void CProgressUI::PaintForegroundColor(HDC hdc)
{
    NormaliseRange();
    RECT rc = m_rcItem;
    const long long span = static_cast<long long>(m_max) - m_min;
    const long long done = static_cast<long long>(m_value) - m_min;
    if (m_horizontal) rc.right = rc.left + static_cast<LONG>(MulDiv64(rc.right - rc.left, done, span));
    else rc.top = rc.top + static_cast<LONG>(MulDiv64(rc.bottom - rc.top, span - done, span));
    CPainter::FillColor(hdc, rc, GetAdjustedColor(m_foreColor));
}

void CProgressUI::PaintForegroundImage(HDC hdc)
{
    NormaliseRange();
    if (m_foreImage.IsEmpty()) return;
    const int width = m_rcItem.right - m_rcItem.left;
    const int height = m_rcItem.bottom - m_rcItem.top;
    const long long span = static_cast<long long>(m_max) - m_min;
    const long long done = static_cast<long long>(m_value) - m_min;
    // The filled part starts at the image's left edge: only its right end (or top, upright) moves.
    const int filledRight = m_horizontal ? static_cast<int>(MulDiv64(done, width, span)) : width;
    const int filledTop = m_horizontal ? 0 : static_cast<int>(MulDiv64(span - done, height, span));
    const int scale = m_manager ? m_manager->GetDpiScaler()->GetScale() : 100;
    const int right = ::MulDiv(filledRight, 100, scale);
    const int top = ::MulDiv(filledTop, 100, scale);
    const int bottom = top + ::MulDiv(height - filledTop, 100, scale);
    if (m_stretchForeImage)
        m_foreModify.Format(L"dest='0,%d,%d,%d'", top, right, bottom);
    else
        m_foreModify.Format(L"dest='0,%d,%d,%d' source='0,%d,%d,%d'", top, right, bottom, top, right, bottom);
    DrawImage(hdc, m_foreImage, m_foreModify);
}

}  // namespace SkinUI
