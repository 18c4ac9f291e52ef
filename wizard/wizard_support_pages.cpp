// Binding of the controls that show the product's support files: rich
// edits (readme and licence in rich text), the page viewer (the index page,
// its links and its meta refresh) and the movie frame.

#include <windows.h>

#include <mmsystem.h>
#include <shellapi.h>

#include <algorithm>

#include "engine/engine.h"
#include "platform/file_system.h"
#include "platform/system_library.h"
#include "script/ansi_text.h"
#include "script/path_text.h"
#include "wizard/binding_texts.h"
#include "wizard/media_controls.h"
#include "wizard/standard_controls.h"
#include "wizard/text_controls.h"
#include "wizard/wizard.h"

namespace qm {

namespace {

constexpr int kUnableToPlayMovie = 112;

// A meta refresh's URL as a path below the support folder: %XX escapes
// decoded from the left (up to the first one that is none), and a URL with
// slashes turned into a Windows path.
std::string url_to_path(std::string url) {
  std::string decoded;
  std::size_t at = 0;
  for (; at < url.size(); ++at) {
    if (url[at] != '%') {
      decoded += url[at];
      continue;
    }
    const auto digit = [](char c) -> int {
      if (c >= '0' && c <= '9') return c - '0';
      if (c >= 'a' && c <= 'f') return c - 'a' + 10;
      if (c >= 'A' && c <= 'F') return c - 'A' + 10;
      return -1;
    };
    if (at + 2 >= url.size() || digit(url[at + 1]) < 0 || digit(url[at + 2]) < 0) break;
    decoded += static_cast<char>(digit(url[at + 1]) * 16 + digit(url[at + 2]));
    at += 2;
  }
  decoded += url.substr(std::min(at, url.size()));
  if (decoded.find('/') == std::string::npos) return decoded;
  for (const char* prefix : {"file:///", "file://"}) {
    if (decoded.size() >= std::string_view(prefix).size() &&
        ascii_equal_ignore_case(std::string_view(decoded).substr(0, std::string_view(prefix).size()), prefix)) {
      decoded.erase(0, std::string_view(prefix).size());
      break;
    }
  }
  std::replace(decoded.begin(), decoded.end(), '|', ':');
  std::replace(decoded.begin(), decoded.end(), '/', '\\');
  return decoded;
}

bool contains_ignoring_case(const std::string& text, std::string_view part) {
  return ansi_upper(text).find(ansi_upper(std::string(part))) != std::string::npos;
}

}  // namespace

const char* const Wizard::kMissingIndexText =
    "Add an index.htm file to your project to display it here, along with any other additional support/linked files.";

void Wizard::bind_rich_edit(Dialog& dialog, Control& control) {
  auto& edit = static_cast<RichEditControl&>(control);
  Engine& engine = *engine_;
  const std::string text = template_text(*dialog.page, edit, edit.property_text("Lines").value_or(""));
  edit.show_both_scroll_bars();
  edit.set_property_text("ReadOnly", edit.hint().empty() ? "True" : "False");
  if (!edit.hint().empty() && engine.variables.exists(edit.hint())) {
    edit.load_plain_text(collapse_backslash_pairs(substituted(engine, engine.variables.get(edit.hint()))));
  } else if (edit.hint().empty()) {
    edit.load_plain_text(substituted(engine, text));
  }
  const std::string& language = engine.translations.current_language;
  const auto show_support = [&](const char* base) {
    const std::string folder = engine.startup.support_folder;
    for (const std::string& name : {std::string(base) + "." + language + ".rtf", std::string(base) + ".rtf"}) {
      if (auto rtf = platform::read_whole_file(folder + name); rtf && edit.load_rich_text(*rtf)) return;
    }
    for (const std::string& name : {std::string(base) + "." + language + ".txt", std::string(base) + ".txt"}) {
      if (auto plain = platform::read_whole_file(folder + name)) {
        edit.load_plain_text(*plain);
        return;
      }
    }
    edit.load_plain_text("Add a " + std::string(base) + "." + language + ".rtf or " + base + ".rtf, or " + base + "." +
                         language + ".txt or " + base + ".txt file to your project as a support file/creative to "
                         "display it here.");
  };
  if (edit.tag() == 1) show_support("readme");
  if (edit.tag() == 2) show_support("license");
  edit.set_handler(ControlEvent::kChange, [this, &dialog](Control& changed, EventDetails&) {
    if (binding_) return;
    std::string joined;
    for (const std::string& line : static_cast<RichEditControl&>(changed).lines()) joined += line + "$NEWLINE$";
    // Lines joined as the memo writes them: a break between lines, none after the last.
    if (joined.size() >= 9) joined.resize(joined.size() - 9);
    const std::string name = ansi_upper(changed.hint());
    if (!name.empty()) engine_->variables.define(name, joined, "RichEdit1Change");
    update_size_texts(dialog);
    apply_rules(dialog);
  });
}

void Wizard::bind_viewer(Dialog& dialog, Control& control) {
  auto& viewer = static_cast<HtmlViewerControl&>(control);
  viewer.set_handler(ControlEvent::kHotSpotClick,
                     [this](Control& clicked, EventDetails& details) { on_hot_spot(clicked, details); });
  viewer.set_handler(ControlEvent::kMetaRefresh, [this, &dialog](Control& refreshing, EventDetails& details) {
    on_meta_refresh(dialog, refreshing, details);
  });
  if (viewer.tag() != 1) return;
  const std::string& language = engine_->translations.current_language;
  const std::string folder = engine_->startup.support_folder;
  for (const std::string& name : {"index." + language + ".htm", std::string("index.htm")}) {
    if (platform::file_exists(folder + name) && viewer.load_file(folder + name)) return;
  }
  viewer.show_text(kMissingIndexText);
}

// Local programs and sounds run from a link; web and mail links go to the
// shell; anything else is left to the viewer.
void Wizard::on_hot_spot(Control& control, EventDetails& details) {
  auto& viewer = static_cast<HtmlViewerControl&>(control);
  const std::string& link = details.link;
  const std::size_t colon = link.find(':');
  const bool local = colon == std::string::npos || colon == 1 || colon == 2 || contains_ignoring_case(link, "FILE:");
  if (local) {
    std::size_t split = link.find(' ');
    if (split == std::string::npos) split = link.find('?');
    const std::string target = link.substr(0, split);
    const std::string parameters = split == std::string::npos ? "" : link.substr(split + 1);
    const std::string file = viewer.file_name_of_link(target);
    const std::string extension = ansi_upper(extension_of(file));
    if (extension == ".WAV") {
      using PlaySound = BOOL(WINAPI*)(LPCSTR, HMODULE, DWORD);
      if (HMODULE sound = platform::load_system_library("winmm.dll")) {
        if (auto play = reinterpret_cast<PlaySound>(reinterpret_cast<void*>(GetProcAddress(sound, "PlaySoundA"))))
          play(file.c_str(), nullptr, SND_ASYNC | SND_FILENAME | SND_NODEFAULT);
      }
      details.handled = true;
    } else if (extension == ".EXE") {
      ShellExecuteA(nullptr, nullptr, file.c_str(), parameters.empty() ? nullptr : parameters.c_str(), nullptr,
                    SW_SHOWNORMAL);
      details.handled = true;
    }
    return;
  }
  if (contains_ignoring_case(link, "MAILTO:") || contains_ignoring_case(link, "HTTP:")) {
    ShellExecuteA(nullptr, nullptr, link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    details.handled = true;
  }
}

// A page that asks to be replaced after a delay: the replacement comes from
// the support folder, and only while the viewer still shows the page that
// asked.
void Wizard::on_meta_refresh(Dialog& dialog, Control& control, EventDetails& details) {
  auto& viewer = static_cast<HtmlViewerControl&>(control);
  const std::string target = engine_->startup.support_folder + url_to_path(details.link);
  if (!platform::file_exists(target)) return;
  dialog.refresh_viewer = &viewer;
  dialog.refresh_document = viewer.document_path();
  dialog.refresh_target = target;
  SetTimer(dialog.page->window(), kMetaRefreshTimer, static_cast<UINT>(std::max(0, details.delay)) * 1000, nullptr);
}

void Wizard::meta_refresh_due(Dialog& dialog) {
  KillTimer(dialog.page->window(), kMetaRefreshTimer);
  if (dialog.refresh_viewer == nullptr || dialog.refresh_viewer->document_path() != dialog.refresh_document) return;
  if (dialog.refresh_viewer->load_file(dialog.refresh_target))
    dialog.page->form().set_property_text("Caption", dialog.refresh_viewer->document_title());
}

void Wizard::bind_movie(Control& control) {
  auto& frame = static_cast<FlashFrameControl&>(control);
  const std::string folder = engine_->startup.support_folder;
  frame.set_movie_component(folder + "flash.ocx");
  if (frame.tag() != 1) return;
  const std::string& language = engine_->translations.current_language;
  for (const std::string& name : {"movie." + language + ".swf", std::string("movie.swf")}) {
    if (platform::file_exists(folder + name)) {
      // No player here: the frame says so instead of staying blank.
      if (!frame.load_movie(folder + name)) frame.set_property_text("Caption", engine_->messages.text(kUnableToPlayMovie));
      return;
    }
  }
  frame.set_property_text("Caption", "Add a movie.swf file to your project to display it here.");
}

}  // namespace qm
