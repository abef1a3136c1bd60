// The windows' control tables against the core's tables: a row that names a choice must be
// that choice's check box, with a caption that says what the choice installs.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "install/FileInstall.h"
#include "install/RomBuilder.h"
#include "windows/Dpi.h"
#include "windows/LoadingWin.h"
#include "windows/MainWin.h"
#include "windows/SelDrvWin.h"
#include "windows/SelMLWin.h"
#include "windows/SetuppedWin.h"
#include "windows/SystemDll.h"

namespace setup::win {
namespace {

std::string English(std::string_view caption) {
  return std::string(caption.substr(0, caption.find('|')));
}

const WindowDef* const kTables[] = {&kMainDef, &kSelDrvDef, &kSetuppedDef};

TEST(WindowTables, EachChoiceIsOneCheckBoxSayingWhatItInstalls) {
  std::map<Check, std::string> captions;
  for (const WindowDef* def : kTables) {
    for (const ControlDef& row : def->controls) {
      if (!IsChoiceId(row.id)) continue;
      const auto choice = static_cast<Check>(row.id);
      EXPECT_EQ(row.kind, Kind::CheckBox) << CtlName(ControlOf(choice));
      EXPECT_TRUE(captions.emplace(choice, English(row.caption)).second)
          << CtlName(ControlOf(choice)) << " has two rows";
    }
  }
  ASSERT_EQ(captions.size(), kChoices.size());
  for (const RomRow& rom : kRomRows) {
    const std::string& caption = captions[rom.check];
    EXPECT_EQ(caption, "The NDS file for " + std::string(rom.cartridge) + " is copied.")
        << CtlName(ControlOf(rom.check));
  }
  for (const ConfGroup& group : kConfGroups) {
    const std::string& caption = captions[group.choice];
    EXPECT_EQ(caption.rfind("/Skylarch/" + std::string(group.files[0]), 0), 0u)
        << CtlName(ControlOf(group.choice)) << ": " << caption;
  }
  EXPECT_NE(captions[Check::sysExistBackupChk].find("backup"), std::string::npos);
  EXPECT_NE(captions[Check::OpenGlobalINIChk].find("global.ini"), std::string::npos);
}

TEST(WindowTables, IdsAreUniqueAndParentsAreGroupBoxes) {
  for (const WindowDef* def : {&kMainDef, &kSelDrvDef, &kSetuppedDef, &kLoadingDef, &kSelMLDef}) {
    std::set<int> ids;
    for (const ControlDef& row : def->controls) {
      EXPECT_TRUE(ids.insert(row.id).second) << "id " << row.id << " twice in the table";
      if (row.parent < 0) continue;
      const int parent = RowOf(def->controls, row.parent);
      ASSERT_GE(parent, 0) << "row " << row.id << " names a missing parent";
      EXPECT_EQ(def->controls[static_cast<std::size_t>(parent)].kind, Kind::GroupBox);
    }
  }
}

// The pixels of an icon's colour bitmap where its mask is opaque, as 0xRRGGBB.
std::vector<unsigned> InkOf(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return {};
  BITMAP bm{};
  GetObjectW(info.hbmColor, sizeof bm, &bm);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof bi.bmiHeader, bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<unsigned> color(static_cast<std::size_t>(bm.bmWidth * bm.bmHeight));
  std::vector<unsigned> mask(color.size());
  const HDC dc = GetDC(nullptr);
  GetDIBits(dc, info.hbmColor, 0, bm.bmHeight, color.data(), &bi, DIB_RGB_COLORS);
  GetDIBits(dc, info.hbmMask, 0, bm.bmHeight, mask.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  std::vector<unsigned> ink;
  for (std::size_t i = 0; i < color.size(); ++i)
    if ((mask[i] & 0xffffff) == 0) ink.push_back(color[i] & 0xffffff);
  return ink;
}

RECT RectIn(HWND window, HWND item) {
  RECT r{};
  GetWindowRect(item, &r);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool Overlap(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The area a caption needs, measured apart from the program's own measure: the text as
// DrawText lays it out in the font the control was given, and for a check box or radio button
// the system's mark at the DPI and a digit's width of gap; one line high, centred.
RECT CaptionArea(HWND window, HWND item, Kind kind, int dpi) {
  const HDC dc = GetDC(item);
  const HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(item, WM_GETFONT, 0, 0)));
  const std::wstring text = TextOf(item);
  RECT r{};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  int need = r.right;
  if (kind != Kind::Label) {
    SIZE zero{};
    GetTextExtentPoint32W(dc, L"0", 1, &zero);
    const auto metric =
        SystemProc<int(WINAPI*)(int, UINT)>(L"user32.dll", "GetSystemMetricsForDpi");
    need += zero.cx + (metric ? metric(SM_CXMENUCHECK, dpi)
                              : MulDiv(GetSystemMetrics(SM_CXMENUCHECK), dpi, 96));
  }
  SelectObject(dc, old);
  ReleaseDC(item, dc);
  const RECT rect = RectIn(window, item);
  const LONG top = kind == Kind::Label ? rect.top : (rect.top + rect.bottom - r.bottom) / 2;
  return {rect.left, top, rect.left + need, top + r.bottom};
}

// Each of the five windows in each language, laid out at the system's DPI and then after a
// move to each other DPI: every caption needs no more than its control's width, and what it
// needs overlaps no sibling; every control lies inside its parent (the drive dialog's height
// changes at run time, so a window's own controls are held to its width only); a control whose
// designed rect is clear of a sibling is not grown into it; every glyph button carries its
// glyph, a green tick or a red cross, drawn for the DPI.
TEST(WindowTables, EveryCaptionFitsAndEveryGlyphIsThereAtEveryDpi) {
  App app("Captions");
  for (const WindowDef* def : {&kMainDef, &kSelDrvDef, &kSetuppedDef, &kLoadingDef, &kSelMLDef}) {
    for (const bool japanese : {false, true}) {
      Window window(app, *def);
      window.Create(nullptr);
      const auto& rows = def->controls;
      for (const ControlDef& row : rows) {
        const std::size_t bar = row.caption.find('|');
        if (bar != std::string_view::npos)
          window.SetText(row.id, std::string(japanese ? row.caption.substr(bar + 1)
                                                      : row.caption.substr(0, bar)));
      }
      for (const int dpi : {0, 120, 144, 192, 96}) {
        if (dpi) {
          RECT at{};
          GetWindowRect(window.Handle(), &at);
          SendMessageW(window.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                       reinterpret_cast<LPARAM>(&at));
        }
        const int shown = dpi ? dpi : 96;
        RECT client{};
        GetClientRect(window.Handle(), &client);
        for (const ControlDef& row : rows) {
          const HWND item = window.Item(row.id);
          const std::string where = ToUtf8(def->className) + " " + ToUtf8(TextOf(item)) + " at " +
                                    std::to_string(shown) + " DPI";
          const RECT rect = RectIn(window.Handle(), item);
          const RECT parent =
              row.parent < 0 ? client : RectIn(window.Handle(), window.Item(row.parent));
          EXPECT_TRUE(rect.left >= parent.left && rect.right <= parent.right &&
                      (row.parent < 0 || (rect.top >= parent.top && rect.bottom <= parent.bottom)))
              << where;
          if (row.flags & (kGlyphOk | kGlyphCancel)) {
            const std::vector<unsigned> ink =
                InkOf(reinterpret_cast<HICON>(SendMessageW(item, BM_GETIMAGE, IMAGE_ICON, 0)));
            const unsigned want = (row.flags & kGlyphOk) ? 0x008c00 : 0xc80000;
            EXPECT_GE(std::count(ink.begin(), ink.end(), want), Scale(14, shown)) << where;
          }
          if (row.kind != Kind::Label && row.kind != Kind::CheckBox && row.kind != Kind::Radio)
            continue;
          const RECT caption = CaptionArea(window.Handle(), item, row.kind, shown);
          EXPECT_LE(caption.right, rect.right) << where;
          for (const ControlDef& other : rows) {
            if (&other == &row || other.parent != row.parent) continue;
            const RECT theirs = RectIn(window.Handle(), window.Item(other.id));
            EXPECT_FALSE(Overlap(caption, theirs)) << where << " runs into " << other.id;
            const RECT designed{row.rect.left, row.rect.top, row.rect.left + row.rect.width,
                                row.rect.top + row.rect.height};
            const RECT designedTheirs{other.rect.left, other.rect.top,
                                      other.rect.left + other.rect.width,
                                      other.rect.top + other.rect.height};
            if (row.rect.width && !Overlap(designed, designedTheirs)) {
              EXPECT_FALSE(Overlap(rect, theirs)) << where << " grew into " << other.id;
            }
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace setup::win
