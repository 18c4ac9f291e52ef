// The product's support files on a page, in this process: the licence in
// rich text, the index page and its meta refresh, the movie frame and the
// notes that tell the author what to add when a file is missing.

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <thread>

#include "engine/engine.h"
#include "platform/messages.h"
#include "tests/support/engine_run.h"
#include "tests/support/script_text.h"
#include "wizard/media_controls.h"
#include "wizard/text_controls.h"
#include "wizard/wizard.h"

namespace qm {
namespace {

constexpr const char* kPage = R"(object PoolTemplate: TPoolTemplate
  Caption = 'Read me'
  ClientWidth = 400
  ClientHeight = 300
  object Readme: TRichEdit
    Tag = 1
    Left = 8
    Top = 8
    Width = 380
    Height = 60
  end
  object License: TRichEdit
    Tag = 2
    Left = 8
    Top = 72
    Width = 380
    Height = 60
  end
  object Index: THTMLViewer
    Tag = 1
    Left = 8
    Top = 136
    Width = 380
    Height = 100
  end
  object Movie: TFlashFrame
    Tag = 1
    Left = 8
    Top = 240
    Width = 380
    Height = 50
  end
end
)";

class SupportPagesTest : public ::testing::Test {
 protected:
  SupportPagesTest() : run_(test::script_package("Display Dialog | support | R | FALSE | | |")) {
    run_.engine().commands.replace("Display Dialog", [](Engine&, const ScriptLine&) {});
    run_.run();
    Engine& engine = run_.engine();
    engine.set_silent(false);
    CreateDirectoryA(engine.startup.support_folder.c_str(), nullptr);
    write("support.dfm", kPage);
  }

  void write(const std::string& name, const std::string& text) {
    test::write_file(run_.engine().startup.support_folder + name, text);
  }

  WizardPage& show() {
    Engine& engine = run_.engine();
    wizard_.preload_dialog(engine, 1);
    wizard_.show_dialog(engine, 1, false);
    return *wizard_.page(1);
  }

  test::EngineRun run_;
  Wizard wizard_;
};

TEST_F(SupportPagesTest, MissingFilesShowWhatToAdd) {
  WizardPage& page = show();
  auto& readme = static_cast<RichEditControl&>(*page.find("Readme"));
  EXPECT_EQ(readme.text(),
            "Add a readme..rtf or readme.rtf, or readme..txt or readme.txt file to your project as a support "
            "file/creative to display it here.");
  EXPECT_EQ(static_cast<HtmlViewerControl&>(*page.find("Index")).document_path(), "");
  EXPECT_EQ(page.find("Movie")->property_text("Caption"), "Add a movie.swf file to your project to display it here.");
}

TEST_F(SupportPagesTest, RichTextFirstThenPlainText) {
  write("license.rtf", R"({\rtf1\ansi {\b Terms} of use\par Second line\par})");
  write("readme.txt", "Plain readme");
  write("movie.swf", "FWS");
  WizardPage& page = show();
  EXPECT_EQ(static_cast<RichEditControl&>(*page.find("License")).lines(),
            (std::vector<std::string>{"Terms of use", "Second line"}));
  EXPECT_EQ(static_cast<RichEditControl&>(*page.find("Readme")).text(), "Plain readme");
  EXPECT_EQ(page.find("Movie")->property_text("Caption"), "Unable to play Flash movie") << "no player here";
}

TEST_F(SupportPagesTest, AMetaRefreshReplacesTheIndexPageAndTheCaption) {
  write("index.htm", R"(<html><head><title>Start</title><meta http-equiv="refresh" content="1; url=next%20page.htm"></head>
<body><p>Welcome</p></body></html>)");
  write("next page.htm", "<html><head><title>Second page</title></head><body><p>More</p></body></html>");
  WizardPage& page = show();
  auto& viewer = static_cast<HtmlViewerControl&>(*page.find("Index"));
  EXPECT_EQ(viewer.document_title(), "Start");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (viewer.document_title() != "Second page" && std::chrono::steady_clock::now() < deadline) {
    platform::process_pending_messages();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(viewer.document_title(), "Second page");
  EXPECT_EQ(page.form().property_text("Caption"), "Second page");
}

}  // namespace
}  // namespace qm
