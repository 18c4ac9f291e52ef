// The setup package reader: what the bootstrap does with the bytes of its own
// file. A setup program is the engine's image followed by the package; an input
// that is a PE image is cut where the image ends, any other input is read as a
// package on its own. A package that cannot be read must say so with a
// PackageError; every other exception is a fault. A package that was read is
// then walked as the interpreter and the run initialisation walk it.

#include "fuzz_input.h"
#include "script/ansi_text.h"
#include "script/labels.h"
#include "script/package_reader.h"
#include "script/pe_image.h"
#include "script/setup_package.h"

namespace {

void walk(const qm::SetupPackage& package) {
  QM_FUZZ_CHECK(package.line_ids.size() == package.line_count());
  QM_FUZZ_CHECK(package.line_states.size() == package.line_count());
  QM_FUZZ_CHECK(package.line_media_folders.size() == package.line_count());
  QM_FUZZ_CHECK(package.parameter_lists.size() == 1);
  for (std::size_t line = 0; line < package.line_count(); ++line) {
    (void)package.command(line);
    (void)package.is_commented_out(line);
    QM_FUZZ_CHECK(package.line_ids.find(package.line_id(line)) <= line);
    for (std::size_t n = 0; n < 8; ++n) (void)package.field_of_line(line, n);
    (void)package.header(line, qm::HeaderLookup::kTolerant);
    try {
      QM_FUZZ_CHECK(!package.header(line).empty());
    } catch (const qm::ScriptError& error) {
      QM_FUZZ_CHECK(error.what() == qm::kMissingHeaderMessage);
    }
  }
  // One past the last line: run initialisation's walk may ask for it.
  (void)package.header(package.line_count(), qm::HeaderLookup::kTolerant);
  for (const std::string& entry : package.parameter_lists.front().entries())
    QM_FUZZ_CHECK(!qm::equal_ignore_case(entry, "$DOLLAR$") && !qm::equal_ignore_case(entry, "$WILD_DOLLAR$"));
  for (const qm::Label& label : qm::collect_labels(package)) QM_FUZZ_CHECK(label.line < package.line_count());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text = qm::fuzz::as_text(data, size);
  if (const auto image_end = qm::pe_image_end(data, size)) {
    if (*image_end <= size) text.remove_prefix(*image_end);
  }
  try {
    walk(qm::parse_package(text));
  } catch (const qm::PackageError&) {
    // refused with its reason: the bootstrap reports it
  }
  return 0;
}
