// Windows Installer's messages as the engine answers them: progress records
// turned into a position within a range, message boxes with their titles and
// icons (or none in a silent run), and a confirmed cancel passed back.

#include "installer/installer_messages.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace qm {
namespace {

using Fields = std::array<std::int64_t, 4>;

TEST(InstallerMessagesTest, ProgressRecordFields) {
  const struct {
    const char* text;
    Fields fields;
  } cases[] = {
      {"1: 0 2: 1000 3: 0 4: 1 ", {0, 1000, 0, 1}},
      {"1: 2 2: 250 ", {2, 250, 0, 0}},
      {"1: 2 2: 250", {2, 250, 0, 0}},
      {"1: 3 2: -500 ", {3, -500, 0, 0}},
      {"1: 0 2: 4294967296 3: 1 ", {0, 4294967296LL, 1, 0}},
      {"1: 2 2: many ", {0, 0, 0, 0}},
      {"1: 2 2: 5 3: x ", {0, 0, 0, 0}},
      {"", {0, 0, 0, 0}},
      {"no colon at all", {0, 0, 0, 0}},
      {"1:", {0, 0, 0, 0}},
      {"1: ", {0, 0, 0, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(parse_progress_record(c.text), c.fields) << c.text;
}

struct Position {
  std::int64_t maximum;
  std::int64_t position;
  bool operator==(const Position&) const = default;
};

// A sequence of messages: "P" progress records, "D" action data.
Position after(const std::vector<std::string>& messages) {
  InstallerProgress progress;
  for (const std::string& message : messages) {
    if (message.starts_with("D"))
      progress.action_data(message.substr(1));
    else
      progress.apply_progress_message(message);
  }
  return {progress.maximum(), progress.position()};
}

TEST(InstallerMessagesTest, ProgressArithmetic) {
  EXPECT_EQ(after({"1: 0 2: 1000 3: 0 4: 1 ", "1: 2 2: 250 "}), (Position{1000, 250}));
  EXPECT_EQ(after({"1: 0 2: 1000 3: 1 ", "1: 2 2: 250 "}), (Position{1000, -250}));
  EXPECT_EQ(after({"1: 0 2: 1000 3: 0 ", "1: 1 2: 20 3: 1 ", "Da", "Db", "Dc"}), (Position{1000, 60}));
  // Action info with option 0 stops the stepping again.
  EXPECT_EQ(after({"1: 1 2: 20 3: 1 ", "Da", "1: 1 2: 20 3: 0 ", "Db"}), (Position{0, 20}));
  EXPECT_EQ(after({"1: 0 2: 1000 3: 0 ", "1: 3 2: -500 "}), (Position{1500, 0}));
  EXPECT_EQ(after({"1: 0 2: -800 3: 0 "}), (Position{800, 0}));
  // A reset without a total keeps the total; a damaged record is a reset to nothing.
  EXPECT_EQ(after({"1: 0 2: 1000 3: 0 ", "1: 2 2: 300 ", "1: 0 2: 0 3: 0 "}), (Position{1000, 0}));
  EXPECT_EQ(after({"1: 0 2: 1000 3: 0 ", "1: 2 2: 300 ", "1: 2 2: lots "}), (Position{1000, 0}));
  EXPECT_EQ(after({"1: 0 2: 1000 3: 0 ", "1: 2 2: 300 ", ""}), (Position{1000, 300}));
}

TEST(InstallerMessagesTest, ActionStartShowsTheDescription) {
  InstallerProgress progress;
  progress.action_start("Action 12:00:00: InstallFiles. Copying new files");
  EXPECT_EQ(progress.action_text(), "Copying new files");
  progress.action_start("No description");
  EXPECT_EQ(progress.action_text(), "No description");
  progress.action_start("Ends in a dot.");
  EXPECT_EQ(progress.action_text(), "");
}

struct ShownBox {
  std::string text;
  UINT style;
};

struct HandlerProbe {
  std::vector<ShownBox> boxes;
  int box_answer = IDOK;
  bool go_on = true;
  std::string last_action;
  std::int64_t last_maximum = -1, last_position = -1;

  InstallerMessageHandler handler(bool quiet) {
    return InstallerMessageHandler(
        {.quiet = quiet, .caption = "Sample Product"},
        [this](const std::string& action, std::int64_t, std::int64_t maximum, std::int64_t position) {
          last_action = action;
          last_maximum = maximum;
          last_position = position;
          return go_on;
        },
        [this](const std::string& text, UINT style) {
          boxes.push_back({text, style});
          return box_answer;
        });
  }
};

TEST(InstallerMessagesTest, MessageKindsShowTheirBoxes) {
  const struct {
    UINT type;
    const char* shown;  // nullptr: no box
    UINT style;
    int answer;  // with the box answering IDRETRY
  } cases[] = {
      {0x00000000 | MB_OK, "Fatal Error\r\rit broke", MB_OK | MB_ICONSTOP, IDRETRY},
      {0x01000000 | MB_ABORTRETRYIGNORE, "Error\r\rit broke", MB_ABORTRETRYIGNORE | MB_ICONSTOP, IDRETRY},
      {0x02000000 | MB_OKCANCEL, "Warning\r\rit broke", MB_OKCANCEL | MB_ICONEXCLAMATION, IDRETRY},
      {0x03000000 | MB_YESNO | MB_DEFBUTTON2, "it broke", MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION, IDRETRY},
      {0x05000000 | MB_RETRYCANCEL, "Files in Use\r\rit broke", MB_RETRYCANCEL | MB_ICONEXCLAMATION, IDRETRY},
      {0x19000000 | MB_OKCANCEL, "Files in Use\r\rit broke", MB_OKCANCEL | MB_ICONEXCLAMATION, IDRETRY},
      {0x07000000 | MB_RETRYCANCEL, "Out of Disk Space\r\rit broke", MB_RETRYCANCEL | MB_ICONSTOP, IDRETRY},
      {0x04000000, nullptr, 0, 1},
      {0x06000000, nullptr, 0, 0},
      {0x0B000000, nullptr, 0, 1},
      {0x0C000000, nullptr, 0, 1},
      {0x0D000000, nullptr, 0, 1},
      {0x0E000000, nullptr, 0, 1},
      {0x0F000000, nullptr, 0, 0},
      {0x1A000000, nullptr, 0, 0},
  };
  for (const auto& c : cases) {
    HandlerProbe probe;
    probe.box_answer = IDRETRY;
    InstallerMessageHandler handler = probe.handler(false);
    EXPECT_EQ(handler.handle(c.type, "it broke"), c.answer) << std::hex << c.type;
    if (c.shown) {
      ASSERT_EQ(probe.boxes.size(), 1u) << std::hex << c.type;
      EXPECT_EQ(probe.boxes[0].text, c.shown);
      EXPECT_EQ(probe.boxes[0].style, c.style) << std::hex << c.type;
    } else {
      EXPECT_TRUE(probe.boxes.empty()) << std::hex << c.type;
    }
  }
}

TEST(InstallerMessagesTest, QuietRunShowsNothingButKeepsTheError) {
  const struct {
    UINT type;
    int answer;
  } cases[] = {{0x00000000, 0}, {0x01000000, 1}, {0x02000000, 1}, {0x03000000, 1}, {0x05000000, 1}, {0x07000000, 1}};
  for (const auto& c : cases) {
    HandlerProbe probe;
    InstallerMessageHandler handler = probe.handler(true);
    EXPECT_EQ(handler.handle(c.type | MB_OK, "text"), c.answer) << std::hex << c.type;
    EXPECT_TRUE(probe.boxes.empty());
  }
  HandlerProbe probe;
  InstallerMessageHandler handler = probe.handler(true);
  handler.handle(0x01000000, "Error 1722. A program failed.");
  handler.handle(0x02000000, "only a warning");
  EXPECT_EQ(handler.last_error_message(), "Error 1722. A program failed.");
  handler.handle(0x00000000, "fatal");
  EXPECT_EQ(handler.last_error_message(), "fatal");
}

TEST(InstallerMessagesTest, BoxThatCannotBeShownAnswersNoAction) {
  HandlerProbe probe;
  probe.box_answer = -1;  // Wine's answer when no box can be made
  InstallerMessageHandler handler = probe.handler(false);
  EXPECT_EQ(handler.handle(0x01000000 | MB_OK, "text"), 0);
}

TEST(InstallerMessagesTest, ProgressReachesTheCallbackAndCancelIsAnswered) {
  HandlerProbe probe;
  InstallerMessageHandler handler = probe.handler(false);
  EXPECT_EQ(handler.handle(0x0A000000, "1: 0 2: 1000 3: 0 4: 1 "), 1);
  EXPECT_EQ(handler.handle(0x08000000, "Action 12:00:00: InstallFiles. Copying new files"), 1);
  EXPECT_EQ(handler.handle(0x0A000000, "1: 2 2: 250 "), 1);
  EXPECT_EQ(probe.last_action, "Copying new files");
  EXPECT_EQ(probe.last_maximum, 1000);
  EXPECT_EQ(probe.last_position, 250);

  probe.go_on = false;
  EXPECT_EQ(handler.handle(0x0A000000, "1: 2 2: 250 "), IDCANCEL);
  EXPECT_EQ(handler.handle(0x04000000, "log only"), IDCANCEL);
  // Windows Installer calls through the registered function with the handler as context.
  EXPECT_EQ(InstallerMessageHandler::external_ui(&handler, 0x0A000000, nullptr), IDCANCEL);
}

}  // namespace
}  // namespace qm
