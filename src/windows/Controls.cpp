#include "windows/Controls.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "platform/Platform.h"
#include "windows/Dpi.h"

namespace setup::win {

namespace {

// The layout keeps its controls this far from their parent's right edge.
constexpr int kMargin = 8;

HFONT FontOf(const ControlDef& row, const GdiSet& gdi) {
  return (row.flags & kTerminalFont) ? gdi.terminal.get() : gdi.ui.get();
}

// The text's size in that font; the height of the font's line for no text. Nothing here
// throws; noexcept spares the owners their unwind code.
SIZE TextSize(HWND item, const std::wstring& text, HFONT font) noexcept {
  const WindowDc dc(item);
  const Selected selected(dc.get(), font);
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  if (size.cy == 0) {
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.get(), &tm);
    size.cy = tm.tmHeight;
  }
  return size;
}

DWORD StyleOf(const ControlDef& c, const wchar_t*& cls) {
  cls = L"BUTTON";
  DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  switch (c.kind) {
    case Kind::Label:
      cls = L"STATIC";
      static_assert(kNotify == SS_NOTIFY);
      return style | SS_LEFT | SS_NOPREFIX | (c.flags & kNotify);
    case Kind::GroupBox:
      return style | BS_GROUPBOX;
    case Kind::CheckBox:
      return style | BS_AUTOCHECKBOX | WS_TABSTOP;
    case Kind::Radio:
      return style | BS_AUTORADIOBUTTON | WS_TABSTOP;
    case Kind::Button:
      return style | ((c.flags & kDefault) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP;
    case Kind::DropList:
      cls = L"COMBOBOX";
      return style | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    case Kind::Progress:
      cls = PROGRESS_CLASSW;
      return style;
  }
  return style;
}

}  // namespace

std::vector<HWND> CreateControls(HWND parent, std::span<const ControlDef> rows) {
  const auto tabOf = [&](int id) { return rows[RowOf(rows, id)].tab; };
  const auto key = [&](int row) {
    const ControlDef& c = rows[row];
    return c.parent < 0 ? std::pair(c.tab, -1) : std::pair(tabOf(c.parent), c.tab);
  };
  // Creation order is tab order; a few dozen rows at most, so an insertion sort, stable.
  std::vector<int> order;
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
    auto at = order.end();
    while (at != order.begin() && key(row) < key(*(at - 1))) --at;
    order.insert(at, row);
  }

  std::vector<HWND> items(rows.size(), nullptr);
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  Kind previous = Kind::Label;
  for (const int row : order) {
    const ControlDef& c = rows[row];
    const wchar_t* cls = nullptr;
    DWORD style = StyleOf(c, cls);
    // A run of radio buttons is one group; every other control starts a group of its own.
    if (!(c.kind == Kind::Radio && previous == Kind::Radio)) style |= WS_GROUP;
    previous = c.kind;
    bool ticked = c.flags & kChecked;
    if (IsChoiceId(c.id)) {
      const ChoiceDef& choice = ChoiceOf(static_cast<Check>(c.id));
      ticked = choice.ticked;
      if (!choice.enabled) style |= WS_DISABLED;
    }
    items[row] =
        CreateWindowExW(0, cls, ToWide(std::string(c.caption)).c_str(), style, 0, 0, 0, 0, parent,
                        reinterpret_cast<HMENU>(INT_PTR{kFirstItemId + row}), instance, nullptr);
    if (!items[row])
      throw Error("Cannot create the control " + std::to_string(c.id) + ". " +
                  SystemReason(GetLastError()));
    if (ticked) SendMessageW(items[row], BM_SETCHECK, BST_CHECKED, 0);
  }
  // Group boxes go to the bottom so that their members, clipping their siblings, stay visible.
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
    if (rows[row].kind == Kind::GroupBox) {
      SetWindowPos(items[row], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  return items;
}

void LayoutControls(std::span<const ControlDef> rows, const std::vector<HWND>& items,
                    const GdiSet& gdi, int dpi, int clientWidth) {
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
    const ControlDef& c = rows[row];
    const HWND item = items[row];
    SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(c, gdi)), FALSE);
    int left = c.rect.left, top = c.rect.top;
    if (c.parent >= 0) {
      const Rect96& box = rows[RowOf(rows, c.parent)].rect;
      left += box.left;
      top += box.top;
    }
    int height = Scale(c.rect.height, dpi);
    if (c.kind == Kind::DropList) {
      // The closed field is as high as the table says; the rest is the drop-down part.
      SendMessageW(item, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height - 6);
      height += Scale(160, dpi);
    }
    MoveWindow(item, Scale(left, dpi), Scale(top, dpi), Scale(c.rect.width, dpi), height, FALSE);
    FitToText(rows, items, row, gdi, dpi, clientWidth);
    if (c.flags & (kGlyphOk | kGlyphCancel)) {
      const HICON glyph = (c.flags & kGlyphOk) ? gdi.ok.get() : gdi.cancel.get();
      SendMessageW(item, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(glyph));
    }
  }
}

void FitToText(std::span<const ControlDef> rows, const std::vector<HWND>& items, int row,
               const GdiSet& gdi, int dpi, int clientWidth) {
  const ControlDef& c = rows[row];
  const bool label = c.kind == Kind::Label && c.rect.width == 0;
  if (!label && c.kind != Kind::CheckBox && c.kind != Kind::Radio) return;
  const HWND item = items[row];
  // The mark's gap to its text is about a digit wide, the focus frame included.
  const SIZE size = TextSize(item, (label ? L"" : L"0") + TextOf(item), FontOf(c, gdi));
  const int need = label ? size.cx : CheckMarkWidth(dpi) + size.cx;
  // The right edge it may reach, at 96 DPI relative to its parent, where the table's rects are.
  const Rect96* box = c.parent < 0 ? nullptr : &rows[RowOf(rows, c.parent)].rect;
  int limit = (box ? box->width : clientWidth) - kMargin;
  const int bottom = c.rect.top + (label ? MulDiv(size.cy, 96, dpi) : c.rect.height);
  for (const ControlDef& other : rows) {
    if (other.parent == c.parent && other.rect.left > c.rect.left && other.rect.top < bottom &&
        c.rect.top < other.rect.top + std::max(other.rect.height, 1))
      limit = std::min(limit, other.rect.left);
  }
  const int origin = box ? box->left : 0;
  const int room = Scale(origin + limit, dpi) - Scale(origin + c.rect.left, dpi);
  if (label) {
    SetWindowPos(item, nullptr, 0, 0, std::min(need, room), size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  } else if (c.rect.left + c.rect.width <= limit) {
    SetWindowPos(item, nullptr, 0, 0, std::max(Scale(c.rect.width, dpi), std::min(need, room)),
                 Scale(c.rect.height, dpi), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  InvalidateRect(item, nullptr, TRUE);
}

std::wstring TextOf(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), text.size())));
  return text;
}

}  // namespace setup::win
