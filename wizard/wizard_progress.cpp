// The progress display on the current page: the Tag 1 text and bars show
// the progress, Tag 100 bars follow their variables, captions follow the
// variables they name while a page stays up.

#include <windows.h>

#include "engine/engine.h"
#include "engine/progress.h"
#include "script/integer_text.h"
#include "wizard/drawn_controls.h"
#include "wizard/wizard.h"

namespace qm {

namespace {

// A progress bar counts in 32 bits: numbers past that are shown in units of
// 1024 (a 5,000,000,000 byte total becomes a bar of 4,882,812).
void show_on_bar(Control& bar, const Engine& engine, const ProgressState& progress) {
  const bool marquee = engine.variables.exists("PROGRESSMODE") && engine.variables.get("PROGRESSMODE") == "MARQUEE";
  if (marquee) {
    bar.set_property_text("MarqueeInterval", "100");
    bar.set_property_text("Style", "pbstMarquee");
    return;
  }
  bar.set_property_text("Style", "pbstNormal");
  const bool scaled = progress.maximum > 2147483647;
  const auto shown = [scaled](std::int64_t value) { return std::to_string(scaled ? value / 1024 : value); };
  bar.set_property_text("Max", shown(progress.maximum));
  bar.set_property_text("Min", shown(progress.minimum));
  bar.set_property_text("Position", shown(progress.position));
}

// A bar with Tag 100 shows its variable on a 0 to 100 scale; a value that is
// no number fills it.
void follow_variable(Control& bar, const Engine& engine, const char* position_property) {
  if (bar.hint().empty() || !engine.variables.exists(bar.hint())) return;
  const std::string position = std::to_string(parse_integer_text(engine.variables.get(bar.hint())).value_or(100));
  if (bar.property_text(position_property) != position) bar.set_property_text(position_property, position);
}

}  // namespace

void Wizard::show_progress(Engine& engine, const ProgressState& progress) {
  engine_ = &engine;
  Dialog* dialog = current_dialog();
  if (dialog == nullptr) return;
  WizardPage& page = *dialog->page;
  for (Control* control : page.controls()) {
    const bool caption_follows = control->is_a("TLabel") || control->is_a("TButton") ||
                                 control->is_a("TRzBmpButton") || control->is_a("TTabSheet") ||
                                 (control->is_a("TStaticText") && control->tag() != 1);
    if (caption_follows) {
      const std::string current = control->property_text("Caption").value_or("");
      const std::string wanted = substituted_template(page, *control, current);
      if (current != wanted) control->set_property_text("Caption", wanted);
    }
    if (control->is_a("TStaticText") && control->tag() == 1) control->set_property_text("Caption", progress.text);
    if (control->is_a("TProgressBar") && control->tag() == 1) show_on_bar(*control, engine, progress);
    if (control->is_a("TProgressBar") && control->tag() == 100) {
      control->set_property_text("Max", "100");
      control->set_property_text("Min", "0");
      follow_variable(*control, engine, "Position");
    }
    // A gauge counts in 32 bits like the bar: larger numbers are scaled
    // down rather than cut to their low 32 bits, which would show nonsense.
    if (control->is_a("TGauge") && control->tag() == 1)
      static_cast<GaugeControl*>(control)->show_progress(progress.minimum, progress.maximum, progress.position);
    if (control->is_a("TGauge") && control->tag() == 100) {
      control->set_property_text("MaxValue", "100");
      control->set_property_text("MinValue", "0");
      follow_variable(*control, engine, "Progress");
    }
  }
  apply_rules(*dialog);
}

}  // namespace qm
