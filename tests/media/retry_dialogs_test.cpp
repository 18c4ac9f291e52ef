// The retry dialogs of a failed web media fetch as real windows: this thread
// shows one, a second thread finds it on the screen and uses it as a user
// would (or leaves it alone until its timer answers).

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "media/retry_dialogs.h"
#include "platform/dialog_form.h"
#include "script/message_catalogue.h"
#include "tests/support/screen_capture.h"
#include "tests/support/window_finder.h"

namespace qm {
namespace {

using namespace std::chrono_literals;

using User = std::function<void(HWND)>;

std::string text_of(HWND window) {
  char text[512] = {};
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

// The texts of the form's controls, in their order on the form (the order
// the keyboard walks them); empty texts are left out.
std::vector<std::string> control_texts(HWND window) {
  std::vector<std::string> texts;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    // The edits hold the proxy settings, which are not the form's texts.
    char window_class[32] = {};
    GetClassNameA(child, window_class, sizeof window_class);
    if (lstrcmpiA(window_class, "Edit") == 0) continue;
    std::string text = text_of(child);
    if (!text.empty()) texts.push_back(text);
  }
  return texts;
}

void press(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }
void press(HWND window, int id) { press(GetDlgItem(window, id)); }
void type(HWND window, int id, const std::string& text) {
  SendMessageA(GetDlgItem(window, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
bool checked(HWND window, int id) { return SendMessageA(GetDlgItem(window, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// Runs `show` on this thread while `user` acts on the window captioned
// `caption` from another; a null `user` leaves the dialog alone.
template <typename Answer>
Answer show_with_user(const std::string& caption, const std::function<Answer()>& show, const User& user) {
  std::thread acting([&] {
    if (!user) return;
    HWND window = test::wait_for_own_window(kRetryDialogClass, caption.c_str());
    if (window == nullptr) return;  // the test fails on the answer
    user(window);
  });
  Answer answer = show();
  acting.join();
  return answer;
}

const ProxySettings kCurrentProxy{"proxy.test", "3128", "alice", "s3cret"};

ProxyRetryAnswer show_proxy(const MessageCatalogue& messages, const User& user, void* owner = nullptr) {
  return show_with_user<ProxyRetryAnswer>(
      messages.text(25), [&] { return ask_retry_download_with_proxy(messages, kCurrentProxy, owner); }, user);
}

ResumeRetryAnswer show_resume(const MessageCatalogue& messages, const User& user,
                              std::chrono::milliseconds timeout = kRetryDialogTimeout) {
  return show_with_user<ResumeRetryAnswer>(
      messages.text(25), [&] { return ask_retry_download(messages, nullptr, timeout); }, user);
}

ExtractRetryAnswer show_extract(const MessageCatalogue& messages, const User& user,
                                std::chrono::milliseconds timeout = kRetryDialogTimeout) {
  return show_with_user<ExtractRetryAnswer>(
      messages.text(33), [&] { return ask_retry_extraction(messages, nullptr, timeout); }, user);
}

void paint_and_save(HWND window, const std::string& name) {
  // The form's thread paints it when its queue is empty: have it paint now.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  test::save_window_picture(window, name);
}

TEST(ProxyRetryDialogTest, ItsTextsAndTheCurrentProxySettings) {
  const MessageCatalogue messages;
  std::vector<std::string> texts;
  ProxySettings shown;
  const auto answer = show_proxy(messages, [&](HWND window) {
    texts = control_texts(window);
    shown = {text_of(GetDlgItem(window, retry_control::kServer)), text_of(GetDlgItem(window, retry_control::kPort)),
             text_of(GetDlgItem(window, retry_control::kUser)),
             text_of(GetDlgItem(window, retry_control::kPassword))};
    paint_and_save(window, "retry_download_proxy");
    press(window, IDYES);
  });
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "Downloading of installation data from the web has failed. Would you like to try again?",
                       " Proxy Information (optional) ", "Proxy &Server:", "Proxy &Port:", "Proxy &User:",
                       "Proxy Pass&word:",
                       "If you choose No, setup will exit. However, you will be able to resume your download from "
                       "where it left off when you re-run setup.",
                       "&Yes", "&No"}));
  EXPECT_EQ(shown, kCurrentProxy) << "the edits show the current settings";
  EXPECT_EQ(answer.result, 6);
  EXPECT_EQ(answer.proxy, kCurrentProxy) << "untouched edits give the settings back unchanged";
}

TEST(ProxyRetryDialogTest, TheAnswerAndTheEditedSettings) {
  const MessageCatalogue messages;
  const ProxySettings edited{"relay.test", "8080", "", "p|a ss"};
  const auto edit_all = [&](HWND window) {
    type(window, retry_control::kServer, edited.server);
    type(window, retry_control::kPort, edited.port);
    type(window, retry_control::kUser, edited.user);
    type(window, retry_control::kPassword, edited.password);
  };
  const struct {
    const char* what;
    User user;
    int result;
  } cases[] = {
      {"edits and presses Yes", [&](HWND w) { edit_all(w), press(w, IDYES); }, 6},
      {"edits and presses No", [&](HWND w) { edit_all(w), press(w, IDNO); }, 7},
      {"edits and presses Enter: Yes is the default",
       [&](HWND w) {
         edit_all(w);
         PostMessageA(GetDlgItem(w, retry_control::kPort), WM_KEYDOWN, VK_RETURN, 0);
       },
       6},
      {"edits and presses Escape: No",
       [&](HWND w) {
         edit_all(w);
         PostMessageA(GetDlgItem(w, retry_control::kServer), WM_KEYDOWN, VK_ESCAPE, 0);
       },
       7},
      {"edits and closes the window: No", [&](HWND w) { edit_all(w), PostMessageA(w, WM_CLOSE, 0, 0); }, 7},
  };
  for (const auto& c : cases) {
    const auto answer = show_proxy(messages, c.user);
    EXPECT_EQ(answer.result, c.result) << c.what;
    EXPECT_EQ(answer.retry(), c.result == 6) << c.what;
    EXPECT_EQ(answer.proxy, edited) << c.what;
  }
}

TEST(ResumeRetryDialogTest, ItsTexts) {
  const MessageCatalogue messages;
  std::vector<std::string> texts;
  bool resume_checked = false;
  bool new_copy_checked = true;
  show_resume(messages, [&](HWND window) {
    texts = control_texts(window);
    resume_checked = checked(window, retry_control::kResume);
    new_copy_checked = checked(window, retry_control::kNewCopy);
    paint_and_save(window, "retry_download_resume");
    press(window, IDCANCEL);
  });
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "Downloading of installation data from the web has failed. Please make sure you are "
                       "connected to the Internet.",
                       "Would you like to:", "Try to &resume the broken download?",
                       "Download a &new copy of the data instead?",
                       "If you choose Cancel, setup will exit. However, you will be able to resume your download "
                       "from where it left off when you re-run setup.",
                       "&OK", "&Cancel"}));
  EXPECT_TRUE(resume_checked);
  EXPECT_FALSE(new_copy_checked);
}

TEST(ResumeRetryDialogTest, TheAnswers) {
  const MessageCatalogue messages;
  const struct {
    const char* what;
    User user;
    std::chrono::milliseconds timeout;
    int result;
    bool resume;
  } cases[] = {
      {"presses OK", [](HWND w) { press(w, IDOK); }, kRetryDialogTimeout, 1, true},
      {"chooses a new copy and presses OK",
       [](HWND w) { press(w, retry_control::kNewCopy), press(w, IDOK); }, kRetryDialogTimeout, 1, false},
      {"chooses a new copy, then resuming again, and presses OK",
       [](HWND w) { press(w, retry_control::kNewCopy), press(w, retry_control::kResume), press(w, IDOK); },
       kRetryDialogTimeout, 1, true},
      {"presses Cancel", [](HWND w) { press(w, IDCANCEL); }, kRetryDialogTimeout, 2, true},
      {"closes the window", [](HWND w) { PostMessageA(w, WM_CLOSE, 0, 0); }, kRetryDialogTimeout, 2, true},
      {"leaves it alone: the timer answers OK", nullptr, 300ms, 1, true},
      {"chooses a new copy and leaves it: the timer keeps the choice",
       [](HWND w) { press(w, retry_control::kNewCopy); }, 2000ms, 1, false},
  };
  for (const auto& c : cases) {
    const auto answer = show_resume(messages, c.user, c.timeout);
    EXPECT_EQ(answer.result, c.result) << c.what;
    EXPECT_EQ(answer.retry(), c.result == 1) << c.what;
    EXPECT_EQ(answer.resume, c.resume) << c.what;
  }
}

TEST(ExtractRetryDialogTest, ItsTexts) {
  const MessageCatalogue messages;
  std::vector<std::string> texts;
  bool download_checked = false;
  bool extract_checked = true;
  show_extract(messages, [&](HWND window) {
    texts = control_texts(window);
    download_checked = checked(window, retry_control::kDownload);
    extract_checked = checked(window, retry_control::kExtract);
    paint_and_save(window, "retry_extraction");
    press(window, IDCANCEL);
  });
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "Extraction of installation data downloaded from the web has failed. What would you like "
                       "to do?",
                       "&Download a fresh copy of the installation data.",
                       "Try to &extract the existing download data again.",
                       "If you choose Cancel, setup will exit. Your existing download data will be preserved.",
                       "&OK", "&Cancel"}));
  EXPECT_TRUE(download_checked);
  EXPECT_FALSE(extract_checked);
}

TEST(ExtractRetryDialogTest, TheAnswers) {
  const MessageCatalogue messages;
  const struct {
    const char* what;
    User user;
    std::chrono::milliseconds timeout;
    int result;
    bool extract;
  } cases[] = {
      {"presses OK: a fresh download", [](HWND w) { press(w, IDOK); }, kRetryDialogTimeout, 1, false},
      {"chooses to extract again and presses OK",
       [](HWND w) { press(w, retry_control::kExtract), press(w, IDOK); }, kRetryDialogTimeout, 1, true},
      {"presses Cancel", [](HWND w) { press(w, IDCANCEL); }, kRetryDialogTimeout, 2, false},
      {"presses Escape",
       [](HWND w) { PostMessageA(GetDlgItem(w, retry_control::kDownload), WM_KEYDOWN, VK_ESCAPE, 0); },
       kRetryDialogTimeout, 2, false},
      {"leaves it alone: the timer chooses a fresh download and OK", nullptr, 300ms, 1, false},
      {"chooses to extract again and leaves it: the timer still chooses a fresh download",
       [](HWND w) { press(w, retry_control::kExtract); }, 2000ms, 1, false},
  };
  for (const auto& c : cases) {
    const auto answer = show_extract(messages, c.user, c.timeout);
    EXPECT_EQ(answer.result, c.result) << c.what;
    EXPECT_EQ(answer.retry(), c.result == 1) << c.what;
    EXPECT_EQ(answer.extract, c.extract) << c.what;
  }
}

// The current dialog window owns the question, is disabled while it is asked
// and has it in its middle.
TEST(RetryDialogTest, OwnedByTheCurrentDialogAndCentredOnIt) {
  const MessageCatalogue messages;
  HWND owner = CreateWindowExA(0, "STATIC", "current page", WS_POPUP | WS_CAPTION | WS_VISIBLE, 40, 30, 700, 520,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(owner, nullptr);
  HWND seen_owner = nullptr;
  bool owner_enabled_meanwhile = true;
  RECT owner_frame{};
  RECT frame{};
  GetWindowRect(owner, &owner_frame);
  const auto answer = show_proxy(
      messages,
      [&](HWND window) {
        seen_owner = GetWindow(window, GW_OWNER);
        owner_enabled_meanwhile = IsWindowEnabled(owner) != FALSE;
        GetWindowRect(window, &frame);
        press(window, IDNO);
      },
      owner);
  EXPECT_EQ(answer.result, 7);
  EXPECT_EQ(seen_owner, owner);
  EXPECT_FALSE(owner_enabled_meanwhile);
  EXPECT_TRUE(IsWindowEnabled(owner)) << "the owner comes back when the question ends";
  EXPECT_NEAR((frame.left + frame.right) / 2, (owner_frame.left + owner_frame.right) / 2, 1);
  EXPECT_NEAR((frame.top + frame.bottom) / 2, (owner_frame.top + owner_frame.bottom) / 2, 1);
  DestroyWindow(owner);
}

// Every text is the engine's, so a translated catalogue translates them all.
TEST(RetryDialogTest, TextsComeFromTheCatalogue) {
  MessageCatalogue messages;
  std::string catalogue;
  for (int slot = 1; slot <= MessageCatalogue::kSlots; ++slot) catalogue += "Text " + std::to_string(slot) + "\r\n";
  messages.load_text(catalogue, "");
  const struct {
    const char* what;
    std::function<std::vector<std::string>()> texts_shown;
    std::vector<std::string> texts;
  } cases[] = {
      {"TqvxProxy",
       [&] {
         std::vector<std::string> texts;
         show_proxy(messages, [&](HWND w) { texts = control_texts(w), press(w, IDNO); });
         return texts;
       },
       {"Text 26", "Text 27", "Text 28", "Text 29", "Text 41", "Text 42", "Text 30", "Text 31", "Text 32"}},
      {"TqvxProxyEx",
       [&] {
         std::vector<std::string> texts;
         show_resume(messages, [&](HWND w) { texts = control_texts(w), press(w, IDCANCEL); });
         return texts;
       },
       {"Text 49", "Text 50", "Text 51", "Text 52", "Text 53", "Text 38", "Text 39"}},
      {"TqvxExtract",
       [&] {
         std::vector<std::string> texts;
         show_extract(messages, [&](HWND w) { texts = control_texts(w), press(w, IDCANCEL); });
         return texts;
       },
       {"Text 34", "Text 35", "Text 36", "Text 37", "Text 38", "Text 39"}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.texts_shown(), c.texts) << c.what;
}

}  // namespace
}  // namespace qm
