// The language dialog as a real window: this thread shows it, a second thread
// finds it on the screen and uses it as a user would.

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <thread>

#include "engine/language_dialog.h"
#include "platform/dialog_form.h"
#include "script/message_catalogue.h"
#include "tests/support/screen_capture.h"
#include "tests/support/window_finder.h"

namespace qm {
namespace {

const std::vector<std::string> kLanguages = {"English", "German", "French"};

HWND child(HWND window, const char* window_class, const char* text = nullptr) {
  return FindWindowExA(window, nullptr, window_class, text);
}

std::string text_of(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// Shows the dialog on this thread while `user` acts on it from another.
std::optional<std::string> show_with_user(const MessageCatalogue& messages, int preselected,
                                          const std::function<void(HWND)>& user) {
  std::thread acting([&] {
    HWND window = test::wait_for_own_window("QuillmoreDialogForm", messages.text(message::kSelectLanguageCaption).c_str());
    if (window == nullptr) return;  // the test fails on the result below
    user(window);
  });
  std::optional<std::string> chosen = ask_for_language(messages, kLanguages, preselected, nullptr);
  acting.join();
  return chosen;
}

void press(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }

TEST(LanguageDialogTest, ItsLayoutAndTexts) {
  const MessageCatalogue messages;
  std::string label, ok, cancel, selected;
  std::vector<std::string> items;
  RECT client{};
  const auto chosen = show_with_user(messages, 1, [&](HWND window) {
    label = text_of(child(window, "Static", messages.text(message::kSelectLanguagePrompt).c_str()));
    ok = text_of(child(window, "Button", "&OK"));
    cancel = text_of(child(window, "Button", "&Cancel"));
    HWND list = child(window, "ComboBox");
    const int count = static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char item[64] = {};
      SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
      items.push_back(item);
    }
    selected = platform::DialogForm::selected_text(list);
    GetClientRect(window, &client);
    // The form's thread paints it when its queue is empty: have it paint now.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    test::save_window_picture(window, "language_dialog");
    press(child(window, "Button", "&OK"));
  });
  EXPECT_EQ(label, "Please select the language to use during the installation:");
  EXPECT_EQ(ok, "&OK");
  EXPECT_EQ(cancel, "&Cancel");
  EXPECT_EQ(items, kLanguages) << "offered in the order given";
  EXPECT_EQ(selected, "German") << "the preselection";
  const platform::DpiScale scale = platform::DpiScale::of_screen();
  EXPECT_EQ(client.right, scale(241));
  EXPECT_EQ(client.bottom, scale(127));
  EXPECT_EQ(chosen, "German");
}

TEST(LanguageDialogTest, WhatTheUserDoes) {
  const MessageCatalogue messages;
  const struct {
    const char* what;
    std::function<void(HWND)> user;
    std::optional<std::string> chosen;
  } cases[] = {
      {"chooses French and presses OK",
       [](HWND window) {
         SendMessageA(child(window, "ComboBox"), CB_SETCURSEL, 2, 0);
         press(child(window, "Button", "&OK"));
       },
       "French"},
      {"presses Cancel", [](HWND window) { press(child(window, "Button", "&Cancel")); }, std::nullopt},
      {"closes the window", [](HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }, std::nullopt},
      {"presses Escape",
       [](HWND window) {
         PostMessageA(child(window, "ComboBox"), WM_KEYDOWN, VK_ESCAPE, 0);
       },
       std::nullopt},
      {"presses Enter: the default button",
       [](HWND window) { PostMessageA(child(window, "ComboBox"), WM_KEYDOWN, VK_RETURN, 0); }, "German"},
  };
  for (const auto& c : cases) EXPECT_EQ(show_with_user(messages, 1, c.user), c.chosen) << c.what;
}

// The engine's texts in another language reach the dialog.
TEST(LanguageDialogTest, TextsFromTheCatalogue) {
  MessageCatalogue messages;
  std::string catalogue;
  for (int slot = 1; slot <= MessageCatalogue::kSlots; ++slot) catalogue += "Text " + std::to_string(slot) + "\r\n";
  messages.load_text(catalogue, "");
  std::string ok;
  const auto chosen = show_with_user(messages, -1, [&](HWND window) {
    ok = text_of(child(window, "Button", "Text 38"));
    press(child(window, "Button", "Text 39"));
  });
  EXPECT_EQ(ok, "Text 38");
  EXPECT_EQ(chosen, std::nullopt);
}

}  // namespace
}  // namespace qm
