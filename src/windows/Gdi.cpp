#include "windows/Gdi.h"

#include <algorithm>

#include "windows/Dpi.h"

namespace setup::win {

namespace {

HFONT MakeFont(int pixels, const wchar_t* face, BYTE pitch) {
  return CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitch, face);
}

// The buttons' glyphs are drawn here rather than shipped: a green tick for OK, a red cross
// for Cancel, on a transparent background. Nothing here throws; noexcept spares the owners
// their unwind code.
HICON MakeGlyph(bool ok, int size) noexcept {
  const WindowDc screen(nullptr);
  const ScopedBitmap color(CreateCompatibleBitmap(screen.get(), size, size));
  const ScopedBitmap mask(CreateBitmap(size, size, 1, 1, nullptr));
  {
    const ScopedMemoryDc dc(CreateCompatibleDC(screen.get()));
    const auto at = [size](double f) { return static_cast<int>(f * (size - 1) + 0.5); };
    const POINT tick[] = {{at(0.12), at(0.55)}, {at(0.40), at(0.82)}, {at(0.88), at(0.18)}};
    const POINT cross[] = {
        {at(0.2), at(0.2)}, {at(0.8), at(0.8)}, {at(0.8), at(0.2)}, {at(0.2), at(0.8)}};
    const auto draw = [&](const ScopedBitmap& target, DWORD background, COLORREF ink) noexcept {
      const Selected onto(dc.get(), target.get());
      PatBlt(dc.get(), 0, 0, size, size, background);
      LOGBRUSH brush{BS_SOLID, ink, 0};
      const ScopedPen pen(ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                                       std::max(2, size / 6), &brush, 0, nullptr));
      const Selected with(dc.get(), pen.get());
      if (ok) {
        Polyline(dc.get(), tick, 3);
      } else {
        Polyline(dc.get(), cross, 2);
        Polyline(dc.get(), cross + 2, 2);
      }
    };
    draw(mask, WHITENESS, RGB(0, 0, 0));
    draw(color, BLACKNESS, ok ? RGB(0, 140, 0) : RGB(200, 0, 0));
  }
  // The icon takes copies of the bitmaps, which must be selected into no device context by then.
  ICONINFO info{TRUE, 0, 0, mask.get(), color.get()};
  return CreateIconIndirect(&info);
}

}  // namespace

GdiSet GdiSet::For(int dpi) {
  GdiSet set;
  set.ui.Reset(MakeFont(Scale(12, dpi), L"ＭＳ Ｐゴシック", DEFAULT_PITCH | FF_DONTCARE));
  set.terminal.Reset(MakeFont(Scale(13, dpi), L"Terminal", FIXED_PITCH | FF_MODERN));
  set.ok.Reset(MakeGlyph(true, Scale(14, dpi)));
  set.cancel.Reset(MakeGlyph(false, Scale(14, dpi)));
  return set;
}

}  // namespace setup::win
