// Scripted surfaces of the skinned layout: pictures that load (by path), the main window's
// picture and the message balloon, with a record of what they were asked to show.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "fake/fake_ui.h"
#include "ui/skin_surfaces.h"

namespace qrx::test {

class FakeSkin : public SkinSurface, public BalloonSurface {
 public:
  explicit FakeSkin(FakeUi& ui) : ui_(ui) {}

  // --- scripting -------------------------------------------------------------------------
  // Pictures that load, by path (compared without regard to case).
  void PutPicture(std::u16string_view path, int32_t width, int32_t height) {
    pictures_[UpperCase(path)] = PictureSize{width, height};
  }

  // --- record ----------------------------------------------------------------------------
  std::vector<std::u16string> shown;  // paths of the pictures shown, in order
  SkinLayout layout;                  // of the last picture shown
  std::vector<FakeUi::Answer> balloon_answers;
  std::vector<BalloonPlace> places;
  bool balloon_visible = false;
  int hidden_by_answer = 0;

  std::u16string ShownPicture() const { return shown.empty() ? u"(none)" : shown.back(); }

  // --- SkinSurface ---------------------------------------------------------------------
  std::optional<PictureSize> LoadPicture(std::u16string_view path) override {
    auto it = pictures_.find(UpperCase(path));
    if (it == pictures_.end()) return std::nullopt;
    pending_ = std::u16string(path);
    return it->second;
  }
  void ShowPicture(const SkinLayout& l) override {
    shown.push_back(pending_);
    layout = l;
    ui_.rect.right = ui_.rect.left + l.width;
    ui_.rect.bottom = ui_.rect.top + l.height;
  }
  WindowRect OuterRect() override { return ui_.rect; }

  // --- BalloonSurface --------------------------------------------------------------------
  int32_t Width() override { return 222; }
  WindowRect WorkArea() override { return {0, 0, 1280, 994}; }
  void SetText(std::u16string_view text, int16_t time) override {
    balloon_answers.push_back({std::u16string(text), time});
  }
  void Place(const BalloonPlace& place) override {
    places.push_back(place);
    balloon_visible = true;
  }
  void Show() override { balloon_visible = true; }
  void Hide(bool by_answer) override {
    balloon_visible = false;
    if (by_answer) ++hidden_by_answer;
  }
  bool IsVisible() override { return balloon_visible; }

 private:
  FakeUi& ui_;
  std::map<std::u16string, PictureSize> pictures_;
  std::u16string pending_;
};

}  // namespace qrx::test
