#include "ui/win32/drop_target.h"

#include <ole2.h>
#include <shellapi.h>

#include <algorithm>
#include <climits>
#include <string>

#include "platform/win32/scoped_win.h"

namespace qrx::win32 {
namespace {

// The storage medium of one format, released once read.
class Medium {
 public:
  Medium(IDataObject* data, CLIPFORMAT format) {
    FORMATETC fe{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    ok_ = SUCCEEDED(data->GetData(&fe, &medium_)) && medium_.tymed == TYMED_HGLOBAL;
  }
  ~Medium() {
    if (ok_) ::ReleaseStgMedium(&medium_);
  }
  Medium(const Medium&) = delete;
  Medium& operator=(const Medium&) = delete;
  HGLOBAL Get() const { return ok_ ? medium_.hGlobal : nullptr; }

 private:
  STGMEDIUM medium_{};
  bool ok_ = false;
};

std::optional<std::u16string> ReadUnicodeText(IDataObject* data) {
  Medium medium(data, CF_UNICODETEXT);
  if (medium.Get() == nullptr) return std::nullopt;
  const GlobalLockGuard<const char16_t> block(medium.Get());
  if (block.Get() == nullptr) return std::nullopt;
  return std::u16string(block.TextUpToNul());
}

std::optional<std::u16string> ReadAnsiText(IDataObject* data) {
  Medium medium(data, CF_TEXT);
  if (medium.Get() == nullptr) return std::nullopt;
  const GlobalLockGuard<const char> block(medium.Get());
  if (block.Get() == nullptr) return std::nullopt;
  const std::string_view ansi = block.TextUpToNul();
  if (ansi.empty()) return std::u16string();
  const char* p = ansi.data();
  const int length = static_cast<int>(std::min<size_t>(ansi.size(), INT_MAX));
  const int wide = ::MultiByteToWideChar(CP_ACP, 0, p, length, nullptr, 0);
  if (wide <= 0) return std::nullopt;
  std::u16string text(static_cast<size_t>(wide), u'\0');
  ::MultiByteToWideChar(CP_ACP, 0, p, length, reinterpret_cast<wchar_t*>(text.data()), wide);
  return text;
}

DropData ReadDataObject(IDataObject* data) {
  DropData drop;
  {
    Medium medium(data, CF_HDROP);
    if (medium.Get() != nullptr) drop = ReadFileDrop(static_cast<HDROP>(medium.Get()));
  }
  drop.text = ReadUnicodeText(data);
  if (!drop.text) drop.text = ReadAnsiText(data);
  return drop;
}

// Copying is what a drop means here; a source that only offers to move gets nothing moved.
DWORD Effect(DWORD allowed) {
  if (allowed & DROPEFFECT_COPY) return DROPEFFECT_COPY;
  if (allowed & DROPEFFECT_LINK) return DROPEFFECT_LINK;
  return DROPEFFECT_NONE;
}

}  // namespace

DropData ReadFileDrop(HDROP drop) {
  DropData data;
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
    std::wstring name(length + 1, L'\0');
    const UINT got = ::DragQueryFileW(drop, i, name.data(), length + 1);
    data.files.emplace_back(name.begin(), name.begin() + got);
  }
  return data;
}

// Every kind of data may be dropped: one the program cannot use is refused with a message
// after the drop, not with a "no" cursor before it.
class DropTarget : public IDropTarget {
 public:
  explicit DropTarget(std::function<void(DropData)> on_drop) : on_drop_(std::move(on_drop)) {}
  virtual ~DropTarget() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (riid == __uuidof(IUnknown) || riid == __uuidof(IDropTarget)) {
      *out = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    *effect = Effect(*effect);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect = Effect(*effect);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    *effect = Effect(*effect);
    try {
      on_drop_(ReadDataObject(data));
    } catch (...) {
      *effect = DROPEFFECT_NONE;  // out of memory: nothing was taken
    }
    return S_OK;
  }

 private:
  std::function<void(DropData)> on_drop_;
  ULONG refs_ = 1;
};

DropRegistration::DropRegistration(HWND window, std::function<void(DropData)> on_drop)
    : window_(window), target_(new DropTarget(std::move(on_drop))) {
  registered_ = SUCCEEDED(::RegisterDragDrop(window_, target_));
}

DropRegistration::~DropRegistration() {
  if (registered_) ::RevokeDragDrop(window_);
  target_->Release();
}

}  // namespace qrx::win32
