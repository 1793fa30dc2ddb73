#include "ui/win32/input_box.h"

#include <cstdint>
#include <vector>

#include "ui/win32/japanese_font.h"
#include "ui/win32/ui_host.h"
#include "ui/win32/wide_text.h"

namespace qrx::win32 {
namespace {

constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;

// A dialog template built in memory, in the layout DialogBoxIndirect reads: a header, then
// one item after another, each starting on a 4-byte boundary.
class DialogTemplate {
 public:
  DialogTemplate(DWORD style, short cx, short cy, WORD items, std::u16string_view title,
                 WORD points, std::wstring_view face) {
    Dword(style);
    Dword(0);  // extended style
    Word(items);
    Word(0);  // x, y: centred by DS_CENTER
    Word(0);
    Word(static_cast<WORD>(cx));
    Word(static_cast<WORD>(cy));
    Word(0);  // no menu
    Word(0);  // the standard dialog class
    String(Wide(title));
    Word(points);
    String(face);
  }

  void Item(DWORD style, DWORD ex_style, short x, short y, short cx, short cy, WORD id,
            WORD class_atom, std::wstring_view text) {
    while (words_.size() % 2 != 0) words_.push_back(0);
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(ex_style);
    for (const short v : {x, y, cx, cy}) Word(static_cast<WORD>(v));
    Word(id);
    Word(0xFFFF);
    Word(class_atom);
    String(text);
    Word(0);  // no creation data
  }

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Word(WORD w) { words_.push_back(w); }
  void Dword(DWORD d) {
    Word(LOWORD(d));
    Word(HIWORD(d));
  }
  void String(std::wstring_view s) {
    for (const wchar_t c : s) Word(static_cast<WORD>(c));
    Word(0);
  }

  // WORDs from operator new are aligned well beyond the 4 bytes the template needs.
  std::vector<WORD> words_;
};

struct BoxState {
  Win32UiHost& host;
  std::u16string_view prompt;
  std::u16string_view title;
  std::u16string_view initial;
  std::optional<std::u16string> typed;
};

INT_PTR OnMessage(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* state = reinterpret_cast<BoxState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<BoxState*>(lparam);
      ::SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      state->host.AddDialog(dialog);
      ::SetWindowTextW(dialog, Wide(state->title).c_str());
      ::SetDlgItemTextW(dialog, kInputPromptId, Wide(state->prompt).c_str());
      const HWND edit = ::GetDlgItem(dialog, kInputEditId);
      ::SetWindowTextW(edit, Wide(state->initial).c_str());
      ::SendMessageW(edit, EM_SETSEL, 0, -1);
      ::SetFocus(edit);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND:
      if (state == nullptr) return FALSE;
      if (LOWORD(wparam) == IDOK) {
        state->typed = WindowText(::GetDlgItem(dialog, kInputEditId));
        ::EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        ::EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      if (state != nullptr) state->host.RemoveDialog(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK BoxProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    return OnMessage(dialog, message, wparam, lparam);
  } catch (...) {
    // Out of memory for the typed text: the box acts as if cancelled.
    ::EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
}

}  // namespace

std::optional<std::u16string> RunInputBox(Win32UiHost& host, HWND owner, std::u16string_view prompt,
                                          std::u16string_view title, std::u16string_view initial) {
  // Dialog units; the prompt has room for four lines.
  DialogTemplate box(DS_MODALFRAME | DS_SETFONT | DS_CENTER | DS_SETFOREGROUND | WS_POPUP |
                         WS_CAPTION | WS_SYSMENU,
                     250, 74, 4, title, 9, JapaneseFace());
  box.Item(SS_LEFT | SS_NOPREFIX, 0, 7, 7, 180, 40, kInputPromptId, kStaticClass, L"");
  box.Item(ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, 7, 54, 236, 13, kInputEditId,
           kEditClass, L"");
  box.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 193, 7, 50, 14, IDOK, kButtonClass, L"OK");
  box.Item(BS_PUSHBUTTON | WS_TABSTOP, 0, 193, 25, 50, 14, IDCANCEL, kButtonClass, L"キャンセル");
  BoxState state{host, prompt, title, initial, std::nullopt};
  const INT_PTR result = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), box.Get(), owner,
                                                   BoxProc, reinterpret_cast<LPARAM>(&state));
  if (result != IDOK) return std::nullopt;
  return state.typed;
}

}  // namespace qrx::win32
