#include "Core/DpiScaler.h"

#include "Utils/ProcessUtils.h"
#include "Utils/UIGeometry.h"

namespace SkinUI {
namespace {

enum ProcessAwareness { Unaware = 0, SystemAware = 1, PerMonitorAware = 2 };

constexpr int kEffectiveDpi = 0;

// Scales beyond what any display asks for only come from a broken DPI value; taking one would turn every
// size of the window into nonsense (and MulDiv answers -1 when the product overflows).
constexpr int kMinScale = 25;
constexpr int kMaxScale = 500;

bool IsSaneScale(long long scale) { return scale >= kMinScale && scale <= kMaxScale; }

long long ScaleOfDpi(long long dpi) { return MulDivRounded64(dpi, 100, 96); }

int ScreenDpi()
{
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

template <class Function>
Function Lookup(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

DpiSystemFunctions ShcoreFunctions(HMODULE shcore)
{
    DpiSystemFunctions system;
    system.available = true;
    system.getProcessDpiAwareness =
        Lookup<decltype(system.getProcessDpiAwareness)>(shcore, "GetProcessDpiAwareness");
    system.setProcessDpiAwareness =
        Lookup<decltype(system.setProcessDpiAwareness)>(shcore, "SetProcessDpiAwareness");
    system.getDpiForMonitor = Lookup<decltype(system.getDpiForMonitor)>(shcore, "GetDpiForMonitor");
    return system;
}

}  // namespace

const DpiSystemFunctions& CDpiScaler::SystemFunctions()
{
    // Shcore stays loaded once found: its functions serve every window for the process's life.
    static const DpiSystemFunctions functions = [] {
        HMODULE shcore = ::LoadLibraryW(L"Shcore.dll");
        return shcore ? ShcoreFunctions(shcore) : DpiSystemFunctions();
    }();
    return functions;
}

int CDpiScaler::GetMonitorDPI(const DpiSystemFunctions& system)
{
    if (!system.available) return ScreenDpi();
    if (!system.getDpiForMonitor) return 96;
    HMONITOR monitor = ::MonitorFromPoint(POINT{1, 1}, MONITOR_DEFAULTTONEAREST);
    UINT dpiX = 96, dpiY = 96;
    if (FAILED(system.getDpiForMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY))) return 96;
    // Some systems (Wine among them) report success with a DPI of 0, which is no answer: the screen knows.
    return dpiX > 0 ? static_cast<int>(dpiX) : ScreenDpi();
}

CDpiScaler::CDpiScaler() : CDpiScaler(SystemFunctions()) {}

CDpiScaler::CDpiScaler(const DpiSystemFunctions& system) { SettleAwareness(system); }

void CDpiScaler::SettleAwareness(const DpiSystemFunctions& system)
{
    int awareness = Unaware;
    if (!system.getProcessDpiAwareness || FAILED(system.getProcessDpiAwareness(::GetCurrentProcess(), &awareness)))
        return;
    if (awareness == Unaware) {
        if (system.setProcessDpiAwareness) system.setProcessDpiAwareness(PerMonitorAware);
    } else if (awareness == SystemAware) {
        const long long scale = ScaleOfDpi(GetMonitorDPI(system));
        if (IsSaneScale(scale)) m_scale = static_cast<int>(scale);
    }
}

void CDpiScaler::SetDPI(int dpi)
{
    const long long scale = ScaleOfDpi(dpi);
    if (!IsSaneScale(scale)) {
        DebugOutputFormat(L"SkinUI: Warning: DPI %d is refused; the scale stays %d%%.\n", dpi, m_scale);
        return;
    }
    m_scale = static_cast<int>(scale);
}

int CDpiScaler::GetDPI() const { return ::MulDiv(m_scale, 96, 100); }

int CDpiScaler::Scale(int value) const { return MulDivRounded(value, m_scale, 100); }

SIZE CDpiScaler::ScaleSize(int cx, int cy) const { return SIZE{Scale(cx), Scale(cy)}; }

void CDpiScaler::ScaleSizeInPlace(SIZE& size) const { size = ScaleSize(size.cx, size.cy); }

RECT CDpiScaler::ScaleRectCopy(const RECT& rc) const
{
    RECT scaled = rc;
    ScaleRect(scaled);
    return scaled;
}

namespace {
// Left and top move as values; width and height are converted on their own and added back. In 64 bits:
// a rectangle spanning most of the int range has a width beyond it.
void ConvertRect(RECT& rc, long long numerator, long long denominator)
{
    const auto convert = [&](long long value) { return MulDivRounded64(value, numerator, denominator); };
    const long long left = convert(rc.left);
    const long long top = convert(rc.top);
    const long long right = left + convert(static_cast<long long>(rc.right) - rc.left);
    const long long bottom = top + convert(static_cast<long long>(rc.bottom) - rc.top);
    rc = RECT{ClampToInt(left), ClampToInt(top), ClampToInt(right), ClampToInt(bottom)};
}
}  // namespace

void CDpiScaler::ScaleRect(RECT& rc) const { ConvertRect(rc, m_scale, 100); }

int CDpiScaler::Unscale(int value) const { return MulDivRounded(value, 100, m_scale); }

void CDpiScaler::UnscaleRect(RECT& rc) const { ConvertRect(rc, 100, m_scale); }

int CDpiScaler::GetMainMonitorDPI() { return GetMonitorDPI(SystemFunctions()); }

bool CDpiScaler::GetDpiVariantName(const wchar_t* name, int scale, CUIString& variant)
{
    const CUIString source(name);
    const int dot = source.ReverseFind(L'.');
    if (dot < 0) return false;
    CUIString suffix;
    suffix.Format(L"@%d", scale);
    variant = source.Left(dot) + suffix + source.Mid(dot);
    return true;
}

}  // namespace SkinUI
