#include "Core/Painter.h"

#include "Core/WindowUIManager.h"
#include "Utils/UIGeometry.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace SkinUI {
namespace {

bool IsOpener(wchar_t ch) { return ch == L'<' || ch == L'{'; }
bool IsCloser(wchar_t ch) { return ch == L'>' || ch == L'}'; }
bool IsLetter(wchar_t ch) { return (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z'); }

// Markup numbers (<x>, <y>, <p>) reach the int limits: positions and heights add up without wrapping.
int Sum(long long a, long long b) { return ClampToInt(a + b); }

// The escapes <{>, <}>, {<} and {>} stand for their middle character: a bracket of the other kind.
bool IsEscape(const wchar_t* p)
{
    if (p[0] == L'<') return (p[1] == L'{' || p[1] == L'}') && p[2] == L'>';
    if (p[0] == L'{') return (p[1] == L'<' || p[1] == L'>') && p[2] == L'}';
    return false;
}

enum class TagKind { None, Open, Close };

struct Tag {
    TagKind kind = TagKind::None;
    wchar_t letter = 0;
    CUIString params;
    const wchar_t* next = nullptr;  // first character after the tag
};

Tag ReadTag(const wchar_t* p)
{
    Tag tag;
    if (!IsOpener(p[0])) return tag;
    if (p[1] == L'/' && p[2] >= L'a' && p[2] <= L'z' && IsCloser(p[3])) {
        tag.kind = TagKind::Close;
        tag.letter = p[2];
        tag.next = p + 4;
        return tag;
    }
    if (!(p[1] >= L'a' && p[1] <= L'z') || !(p[2] == L' ' || IsCloser(p[2]))) return tag;
    tag.kind = TagKind::Open;
    tag.letter = p[1];
    const wchar_t* q = p + 2;
    if (*q == L' ') {
        while (*q && *q < 0x21) ++q;
        const wchar_t* start = q;
        while (*q && !IsCloser(*q)) ++q;
        tag.params = CUIString(start, static_cast<int>(q - start));
    }
    tag.next = *q ? q + 1 : q;
    return tag;
}

// A line is as high as its tallest part, unless a <y> tag set its height.
struct LineHeight {
    int value = 0;
    bool fixed = false;

    void Raise(int height)
    {
        if (!fixed) value = std::max(value, height);
    }
    void Set(int height)
    {
        value = std::max(0, height);
        fixed = true;
    }
};

struct FontEntry {
    HFONT font;
    wchar_t letter;
};

// Lays out and draws one markup text; a line is first measured, then drawn from the state saved at its start.
class HtmlTextRenderer {
public:
    HtmlTextRenderer(HDC hdc, CWindowUIManager* manager, RECT& rc, DWORD color, RECT* linkRects,
                     CUIString* linkTargets, int linkCapacity, int font, UINT style)
        : m_hdc(hdc), m_manager(manager), m_rc(rc), m_baseColor(color), m_linkRects(linkRects),
          m_linkTargets(linkTargets), m_linkCapacity(linkCapacity), m_style(style)
    {
        m_state.fonts.push_back(FontEntry{manager->GetFont(font), 0});
        m_state.colors.push_back(color);
        m_measuring = (style & DT_CALCRECT) != 0;
        m_hoverTarget = HoveredTarget();
    }

    int Run(const wchar_t* text)
    {
        const wchar_t* p = text;
        m_y = m_rc.top;
        while (*p) {
            const State saved = m_state;
            const int linksBefore = m_linkCount;
            LineResult layout = Line(p, false);
            m_state = saved;
            m_linkCount = linksBefore;
            m_lineHeight = layout.height;
            const LineResult drawn = Line(p, true);
            m_widest = std::max(m_widest, drawn.width);
            m_y = Sum(m_y, m_lineHeight);
            p = drawn.next;
            if (drawn.stop || ((m_style & DT_SINGLELINE) && *p)) break;
        }
        if (m_measuring) {
            m_rc.right = std::min<LONG>(m_rc.right, Sum(m_rc.left, m_widest));
            m_rc.bottom = m_y;
        }
        return m_linkCount;
    }

private:
    struct State {
        std::vector<FontEntry> fonts;
        std::vector<DWORD> colors;
        std::vector<int> paragraphSpacing;
        bool selected = false;
        bool inLink = false;
        CUIString linkTarget;
        int linkStartX = 0;
        // Runs of multi-line centred or right-aligned text are drawn shifted; the link's rectangle follows
        // the shift of its first run on the line, taken when that run is laid out.
        int linkStartShift = 0;
        bool linkStartPending = false;
        bool raw = false;
    };
    struct LineResult {
        const wchar_t* next;
        int width;
        int height;
        bool stop;
    };

    CUIString HoveredTarget() const
    {
        if (!m_linkRects || !m_linkTargets) return CUIString();
        const POINT mouse = m_manager->GetMousePos();
        for (int i = 0; i < m_linkCapacity; ++i)
            if (::PtInRect(&m_linkRects[i], mouse)) return m_linkTargets[i];
        return CUIString();
    }

    HFONT CurrentFont() const { return m_state.fonts.back().font; }

    TEXTMETRICW Metrics() const
    {
        TEXTMETRICW tm = {};
        HGDIOBJ old = ::SelectObject(m_hdc, CurrentFont());
        ::GetTextMetricsW(m_hdc, &tm);
        ::SelectObject(m_hdc, old);
        return tm;
    }

    int MinimumLineHeight() const
    {
        const TEXTMETRICW tm = Metrics();
        const int spacing = m_state.paragraphSpacing.empty() ? 0 : m_state.paragraphSpacing.back();
        return Sum(tm.tmHeight + tm.tmExternalLeading, spacing);
    }

    // The current font with one more style; found among the window's fonts or made once for every window.
    HFONT Variant(bool bold, bool underline, bool italic) const
    {
        const FontInfo* info = m_manager->GetFontInfo(CurrentFont());
        LOGFONTW lf = {};
        ::GetObjectW(CurrentFont(), sizeof(lf), &lf);
        const CUIString face = info && info->hFont == CurrentFont() ? info->sFontName : CUIString(lf.lfFaceName);
        const int size = info && info->hFont == CurrentFont() ? info->iSize : std::abs(lf.lfHeight);
        bold = bold || lf.lfWeight >= FW_BOLD;
        underline = underline || lf.lfUnderline;
        italic = italic || lf.lfItalic;
        return FontByStyle(face, size, bold, underline, italic);
    }

    HFONT FontByStyle(const wchar_t* face, int size, bool bold, bool underline, bool italic) const
    {
        HFONT found = m_manager->GetStyledFont(face, size, bold, underline, italic);
        return found ? found : CurrentFont();
    }

    HFONT FontFromTag(const CUIString& params) const
    {
        const wchar_t* p = params.GetData();
        if (iswdigit(*p)) return m_manager->GetFont(_wtoi(p));
        const wchar_t* faceEnd = p;
        while (*faceEnd && *faceEnd != L' ') ++faceEnd;
        const CUIString face(p, static_cast<int>(faceEnd - p));
        const wchar_t* rest = faceEnd;
        while (*rest == L' ') ++rest;
        const int size = iswdigit(*rest) ? _wtoi(rest) : 12;
        CUIString words(rest);
        words.MakeLower();
        return FontByStyle(face, size, words.Find(L"bold") >= 0, words.Find(L"underline") >= 0,
                           words.Find(L"italic") >= 0);
    }

    void PopFont()
    {
        if (m_state.fonts.size() > 1) m_state.fonts.pop_back();
    }

    void AddLinkRect(int right, bool draw)
    {
        if (!draw || !m_state.inLink || m_linkCount >= m_linkCapacity || !m_linkRects) return;
        // Nothing of the link is on this line (it lies behind an end ellipsis).
        if (right <= m_state.linkStartX) return;
        m_linkRects[m_linkCount] =
            RECT{Sum(m_state.linkStartX, m_state.linkStartShift), m_y, Sum(right, m_runShift), Sum(m_y, m_lineHeight)};
        if (m_linkTargets) m_linkTargets[m_linkCount] = m_state.linkTarget;
        ++m_linkCount;
    }

    SIZE Extent(const wchar_t* text, int count) const
    {
        SIZE size = {0, 0};
        HGDIOBJ old = ::SelectObject(m_hdc, CurrentFont());
        ::GetTextExtentPoint32W(m_hdc, text, count, &size);
        ::SelectObject(m_hdc, old);
        return size;
    }

    void Output(int x, const wchar_t* text, int count)
    {
        const TEXTMETRICW tm = Metrics();
        const int baseline = Sum(Sum(m_y, m_lineHeight), -(tm.tmHeight + tm.tmExternalLeading));
        HGDIOBJ old = ::SelectObject(m_hdc, CurrentFont());
        ::SetTextColor(m_hdc, CPainter::ToColorRef(m_state.colors.back()));
        if (m_state.selected) {
            ::SetBkMode(m_hdc, OPAQUE);
            ::SetBkColor(m_hdc, CPainter::ToColorRef(m_manager->GetDefaultSelectedBkColor()));
        }
        ::TextOutW(m_hdc, x, baseline, text, count);
        ::SetBkMode(m_hdc, TRANSPARENT);
        ::SelectObject(m_hdc, old);
    }

    // Places (and when drawing, draws) an inline image; false when it must go to the next line.
    bool Image(const CUIString& params, int& x, LineHeight& height, bool draw)
    {
        CUIString name = params;
        CUIString type;
        int frames = 1, frame = 0;
        if (name.Find(L"file='") == 0 || name.Find(L"res='") == 0) {
            ImageDrawInfo info;
            ParseImageDescription(info, params, nullptr);
            name = info.sImageName;
            type = info.sResType;
        } else {
            const int blank = name.Find(L' ');
            if (blank >= 0) {
                wchar_t* end = nullptr;
                frames = std::max(1, static_cast<int>(wcstol(params.GetData() + blank, &end, 10)));
                frame = static_cast<int>(wcstol(end, nullptr, 10));
                if (frame < 0 || frame >= frames) frame = 0;
                name = params.Left(blank);
            }
        }
        const ImageRecord* image =
            m_manager->GetImageOrLoad(name, type.IsEmpty() ? nullptr : type.GetData(), 0, false, nullptr);
        if (!image) return true;
        const int width = image->nX / frames;
        if (Sum(x, width) > m_rc.right && x > m_rc.left && !(m_style & DT_SINGLELINE)) return false;
        height.Raise(image->nY);
        if (draw && !m_measuring) {
            const int bottom = Sum(m_y, m_lineHeight);
            const RECT dest = {x, Sum(bottom, -image->nY), Sum(x, width), bottom};
            const RECT source = {frame * width, 0, (frame + 1) * width, image->nY};
            CPainter::DrawImage(m_hdc, image->hBitmap, dest, m_rc, source, RECT{0, 0, 0, 0}, image->bAlpha);
        }
        x = Sum(x, width);
        m_runShift = 0;  // images keep their place
        return true;
    }

    void OpenTag(const Tag& tag, int& x, LineHeight& height, bool draw, bool& lineBreak, bool& imageWraps)
    {
        switch (tag.letter) {
        case L'a': {
            m_state.inLink = true;
            m_state.linkTarget = tag.params;
            m_state.linkStartX = x;
            m_state.linkStartShift = 0;
            m_state.linkStartPending = true;
            DWORD color = m_baseColor ? m_baseColor : m_manager->GetDefaultLinkFontColor();
            if (!m_hoverTarget.IsEmpty() && m_hoverTarget == tag.params) color = m_manager->GetDefaultLinkHoverFontColor();
            m_state.colors.push_back(color);
            LOGFONTW lf = {};
            ::GetObjectW(CurrentFont(), sizeof(lf), &lf);
            m_state.fonts.push_back(FontEntry{lf.lfUnderline ? CurrentFont() : Variant(false, true, false), L'a'});
            break;
        }
        case L'b':
            m_state.fonts.push_back(FontEntry{Variant(true, false, false), L'b'});
            break;
        case L'u':
            m_state.fonts.push_back(FontEntry{Variant(false, true, false), L'u'});
            break;
        case L'c': {
            const wchar_t* digits = tag.params.GetData();
            if (*digits == L'#') ++digits;
            m_state.colors.push_back(static_cast<DWORD>(wcstoul(digits, nullptr, 16)));
            break;
        }
        case L'f':
            m_state.fonts.push_back(FontEntry{FontFromTag(tag.params), L'f'});
            break;
        case L'i':
            if (tag.params.IsEmpty()) m_state.fonts.push_back(FontEntry{Variant(false, false, true), L'i'});
            else if (!m_clipped) imageWraps = !Image(tag.params, x, height, draw);
            break;
        case L'n':
            lineBreak = !(m_style & DT_SINGLELINE);
            break;
        case L'p':
            lineBreak = x > m_rc.left && !(m_style & DT_SINGLELINE);
            m_state.paragraphSpacing.push_back(_wtoi(tag.params));
            break;
        case L'r':
            m_state.raw = true;
            break;
        case L's':
            m_state.selected = !m_state.selected;
            break;
        case L'x':
            x = Sum(x, _wtoi(tag.params));
            break;
        case L'y':
            height.Set(_wtoi(tag.params));
            break;
        default:
            break;
        }
    }

    void CloseTag(wchar_t letter, int& x, bool draw, bool& lineBreak)
    {
        switch (letter) {
        case L'a':
            AddLinkRect(x, draw);
            m_state.inLink = false;
            if (m_state.colors.size() > 1) m_state.colors.pop_back();
            PopFont();
            break;
        case L'b':
        case L'f':
        case L'u':
            PopFont();
            break;
        case L'i':
            if (m_state.fonts.back().letter == L'i') {
                PopFont();
                ABC abc = {};
                HGDIOBJ old = ::SelectObject(m_hdc, CurrentFont());
                if (::GetCharABCWidthsW(m_hdc, L' ', L' ', &abc)) x = Sum(x, abc.abcC / 2);
                ::SelectObject(m_hdc, old);
            }
            break;
        case L'c':
            if (m_state.colors.size() > 1) m_state.colors.pop_back();
            break;
        case L'p':
            lineBreak = x > m_rc.left && !(m_style & DT_SINGLELINE);
            if (!m_state.paragraphSpacing.empty()) m_state.paragraphSpacing.pop_back();
            break;
        case L's':
            m_state.selected = !m_state.selected;
            break;
        default:
            break;
        }
    }

    // Length of the text run starting at p that fits, and whether the line overflowed there.
    int FitRun(const wchar_t* p, int length, int x, bool& overflow, bool& ellipsis) const
    {
        const TEXTMETRICW tm = Metrics();
        overflow = false;
        ellipsis = false;
        int count = 0;
        while (count < length) {
            const int next = count + 1;
            const long long estimate = static_cast<long long>(next) * tm.tmMaxCharWidth;
            if (x + estimate >= m_rc.right && static_cast<long long>(x) + Extent(p, next).cx > m_rc.right) {
                overflow = true;
                break;
            }
            count = next;
        }
        if (!overflow) return count;
        if (count == 0 && x <= m_rc.left) count = 1;
        if (m_style & DT_WORDBREAK) {
            int cut = count;
            while (cut > 0 && IsLetter(p[cut - 1])) --cut;
            if (cut > 0 && cut < length) count = cut;
        }
        if ((m_style & DT_END_ELLIPSIS) && count > 0) {
            count = std::max(0, count - (count == 1 ? 1 : 2));
            ellipsis = true;
        }
        return count;
    }

    LineResult Line(const wchar_t* p, bool draw)
    {
        int x = m_rc.left;
        m_runShift = 0;
        LineHeight height{MinimumLineHeight()};
        bool stop = false;
        m_clipped = false;
        while (*p) {
            if (*p == L'\n') {
                ++p;
                if (!(m_style & DT_SINGLELINE)) break;
                continue;
            }
            if (m_state.raw) {
                const Tag tag = ReadTag(p);
                if (tag.kind == TagKind::Close && tag.letter == L'r') {
                    m_state.raw = false;
                    p = tag.next;
                    continue;
                }
            } else if (IsEscape(p)) {
                if (!m_clipped && !EmitText(p + 1, 1, x, height, draw, stop)) break;
                p += 3;
                continue;
            } else if (IsOpener(*p)) {
                const Tag tag = ReadTag(p);
                if (tag.kind != TagKind::None) {
                    bool lineBreak = false, imageWraps = false;
                    if (tag.kind == TagKind::Open) OpenTag(tag, x, height, draw, lineBreak, imageWraps);
                    else CloseTag(tag.letter, x, draw, lineBreak);
                    if (imageWraps) break;
                    p = tag.next;
                    if (!m_clipped) height.Raise(MinimumLineHeight());
                    if (lineBreak) break;
                    continue;
                }
            }
            // A run: up to the next tag opener or line feed (in raw text, up to the closing tag).
            const wchar_t* end = p + 1;
            while (*end && *end != L'\n' && !(IsOpener(*end) && (!m_state.raw || ReadTag(end).kind == TagKind::Close)))
                ++end;
            const int length = static_cast<int>(end - p);
            if (m_clipped) {
                p = end;
                continue;
            }
            const int fitted = EmitTextFit(p, length, x, height, draw, stop);
            p += fitted;
            if (fitted < length || stop) break;
        }
        AddLinkRect(x, draw);
        if (m_state.inLink) {
            m_state.linkStartX = m_rc.left;
            m_state.linkStartShift = 0;
            m_state.linkStartPending = true;
        }
        return LineResult{p, Sum(x, -static_cast<long long>(m_rc.left)), height.value, stop};
    }

    bool EmitText(const wchar_t* text, int length, int& x, LineHeight& height, bool draw, bool& stop)
    {
        return EmitTextFit(text, length, x, height, draw, stop) == length;
    }

    int EmitTextFit(const wchar_t* text, int length, int& x, LineHeight& height, bool draw, bool& stop)
    {
        bool overflow = false, ellipsis = false;
        const int count = FitRun(text, length, x, overflow, ellipsis);
        const int width = count > 0 ? Extent(text, count).cx : 0;
        const TEXTMETRICW tm = Metrics();
        height.Raise(tm.tmHeight + tm.tmExternalLeading);
        if (count > 0) {
            m_runShift = 0;
            if (!(m_style & DT_SINGLELINE)) {
                if (m_style & DT_CENTER) m_runShift = (m_rc.right - m_rc.left - width) / 2;
                else if (m_style & DT_RIGHT) m_runShift = m_rc.right - m_rc.left - width;
            }
            if (m_state.inLink && m_state.linkStartPending) {
                m_state.linkStartShift = m_runShift;
                m_state.linkStartPending = false;
            }
        }
        if (draw && !m_measuring && count > 0) {
            const int shift = m_runShift;
            Output(Sum(x, shift), text, count);
            if (ellipsis) Output(Sum(Sum(x, shift), width), L"...", 3);
        }
        x = Sum(x, width);
        if (ellipsis) {
            // The ellipsis ends this line: what follows up to the next line break stays hidden.
            x = m_rc.right;
            m_clipped = true;
            return length;
        }
        if (overflow && (m_style & DT_SINGLELINE)) stop = true;
        return overflow && count == 0 ? 0 : count;
    }

    HDC m_hdc;
    CWindowUIManager* m_manager;
    RECT& m_rc;
    DWORD m_baseColor;
    RECT* m_linkRects;
    CUIString* m_linkTargets;
    int m_linkCapacity;
    UINT m_style;
    bool m_measuring = false;
    CUIString m_hoverTarget;
    State m_state;
    int m_linkCount = 0;
    int m_y = 0;
    int m_lineHeight = 0;
    int m_widest = 0;
    bool m_clipped = false;  // an end ellipsis cut the current line
    int m_runShift = 0;      // how far the last text run was drawn right of its place
};

}  // namespace

void CPainter::DrawHtmlText(HDC hdc, CWindowUIManager* manager, RECT& rc, const wchar_t* text, DWORD color,
                            RECT* linkRects, CUIString* linkTargets, int& linkCount, int font, UINT style)
{
    const int capacity = linkCount;
    linkCount = 0;
    if (!hdc || !manager || !text || !*text || ::IsRectEmpty(&rc)) return;
    if ((style & 0xF) != 0 && !(style & DT_CALCRECT)) {
        // Measured at the box's own width, so wrapped lines count; the box then only ever shrinks onto the
        // text: what is larger than the box stays inside it, clipped or cut with an ellipsis where asked.
        const int boxWidth = Sum(rc.right, -static_cast<long long>(rc.left));
        const int boxHeight = Sum(rc.bottom, -static_cast<long long>(rc.top));
        RECT measured = {0, 0, boxWidth, boxHeight};
        int none = 0;
        DrawHtmlText(hdc, manager, measured, text, color, nullptr, nullptr, none, font, style | DT_CALCRECT);
        // Text that ends left of or above where it starts takes no room: the box never grows out of itself.
        const int width = std::clamp<int>(measured.right - measured.left, 0, boxWidth);
        const int height = std::clamp<int>(measured.bottom - measured.top, 0, boxHeight);
        const int spareWidth = boxWidth - width;
        const int spareHeight = boxHeight - height;
        if ((style & DT_SINGLELINE) && spareWidth > 0) {
            if (style & DT_CENTER) {
                rc.left += spareWidth / 2;
                rc.right = rc.left + width;
            } else if (style & DT_RIGHT) {
                rc.left = rc.right - width;
            }
        }
        if (spareHeight > 0) {
            if (style & DT_VCENTER) {
                rc.top += spareHeight / 2;
                rc.bottom = rc.top + height;
            } else if (style & DT_BOTTOM) {
                rc.top = rc.bottom - height;
            }
        }
    }
    const int oldMode = ::SetBkMode(hdc, TRANSPARENT);
    const COLORREF oldColor = ::GetTextColor(hdc);
    const bool measuring = (style & DT_CALCRECT) != 0;
    CClipRegion clip;
    if (!measuring) CClipRegion::ClipToRect(hdc, rc, clip);
    HtmlTextRenderer renderer(hdc, manager, rc, color, linkRects, linkTargets, capacity, font, style);
    linkCount = renderer.Run(text);
    ::SetTextColor(hdc, oldColor);
    ::SetBkMode(hdc, oldMode);
}

}  // namespace SkinUI
