#include "core/message_catalogue.h"

#include "core/context.h"
#include "core/ini_access.h"

namespace qrx {
namespace {

// The same texts as in DEF.MSG (a test compares them).
constexpr BuiltInText kBuiltIn[] = {
    {u"BOX_UPGRADE",
     u"バージョンアップありがとうございます\\n機能の追加や変更点があるので、\\n"
     u"ドキュメントを良く読んでからのご利用をお勧めします"},
    {u"BOX_DOWNGRADE",
     u"バージョンダウン悲しいです（；＿；\\nバグ取りや機能の追加があるので、\\n"
     u"なるべく新しいバージョンのご利用をお勧めします"},
    {u"BOX_NEWFILE", u"#A\\nを新規作成しました"},
    {u"BOX_WRITE-ERR", u"#A\\nへの書き込みに失敗しました"},
    {u"BOX_DROP-ERR", u"その形式には対応していません\\nごめんなさい"},
    {u"KEY_BACK", u"[戻る]押されたのぉ"},
    {u"KEY_FORWARD", u"[進む]押されたのぉ"},
    {u"ACTIVEKEY_ERR", u"呼び出しキー #A を登録できませんでした（ほかのプログラムが使っています）"},
    {u"ACTIVEKEY_NONE",
     u"呼び出しキー #A はこのデスクトップでは使えません。"
     u"デスクトップのショートカット設定で quorix --show を割り当ててください"},
    {u"SYSTEM_TRAY-ERR", u"通知領域にアイコンを置けませんでした"},
    {u"BOX_SOCKET-ERR", u"えら～だって"},
    {u"MCI_EMPTY", u"コマンドを入力してね"},
    {u"MCI_UNKNOWN", u"その他のエラーです"},
};

}  // namespace

void MakeMessageFile(Context& ctx) {
  if (ctx.os.FileExists(ctx.paths.message)) return;
  ctx.os.CopyFile(ctx.paths.default_messages, ctx.paths.message);
}

void MergeMessages(Context& ctx, std::u16string_view catalogue) {
  const std::u16string& defaults = ctx.paths.default_messages;
  for (const auto& section : GetSectionNames(ctx, defaults)) {
    for (const auto& key : GetKeyNames(ctx, section, defaults)) {
      if (!ReadIni(ctx, section, key, u"", catalogue).empty()) continue;
      WriteIni(ctx, section, key, ReadIni(ctx, section, key, u"", defaults), catalogue);
    }
  }
}

std::u16string CatalogueText(Context& ctx, std::u16string_view key) {
  std::u16string_view fallback = key;
  for (const BuiltInText& built_in : kBuiltIn) {
    if (built_in.key == key) fallback = built_in.text;
  }
  const size_t cut = key.find(u'_');
  if (cut == std::u16string_view::npos) return std::u16string(fallback);
  return ReadIni(ctx, key.substr(0, cut), key.substr(cut + 1), fallback, ctx.paths.message);
}

std::u16string BoxText(Context& ctx, std::u16string_view key, std::u16string_view subject) {
  const std::u16string text = CatalogueText(ctx, key);
  std::u16string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t next = i + 1 < text.size() ? text[i + 1] : u'\0';
    if (text[i] == u'\\' && next == u'n') {
      out += u'\r';
    } else if (text[i] == u'#' && (next == u'A' || next == u'a')) {
      out += subject;
    } else if (text[i] == u'#' && next == u'#') {
      out += u'#';
    } else {
      out += text[i];
      continue;
    }
    ++i;
  }
  return out;
}

std::span<const BuiltInText> BuiltInTexts() {
  return kBuiltIn;
}

}  // namespace qrx
