// Binding: a page's controls filled from the variables each time the page is
// shown, and the handlers that write the user's changes back.

#include <windows.h>

#include <algorithm>

#include "engine/engine.h"
#include "platform/file_system.h"
#include "platform/folder_browser.h"
#include "platform/messages.h"
#include "script/ansi_text.h"
#include "script/integer_text.h"
#include "script/path_text.h"
#include "script/truth_text.h"
#include "wizard/dialog_rules.h"
#include "wizard/dialog_translation.h"
#include "wizard/feature_tree.h"
#include "wizard/media_controls.h"
#include "wizard/binding_texts.h"
#include "wizard/standard_controls.h"
#include "wizard/wizard.h"

namespace qm {

namespace {

bool is_class(const Control& control, std::string_view name) { return ascii_equal_ignore_case(control.class_name(), name); }

// A variable's truth as a check box shows it.
bool checked_value(const std::string& value) { return ansi_upper(value) == "TRUE" || value == "-1"; }

std::string with_line_breaks(std::string text) {
  std::string result;
  for (std::size_t at = 0; at < text.size();) {
    if (text.compare(at, 9, "$NEWLINE$") == 0) {
      result += "\r\n";
      at += 9;
    } else {
      result += text[at++];
    }
  }
  return result;
}

// A memo's text as its variable keeps it: line breaks as $NEWLINE$.
std::string with_newline_markers(const std::string& text) {
  std::string joined;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text.compare(at, 2, "\r\n") == 0) {
      joined += "$NEWLINE$";
      ++at;
    } else if (text[at] == '\n' || text[at] == '\r') {
      joined += "$NEWLINE$";
    } else {
      joined += text[at];
    }
  }
  return joined;
}

std::vector<std::string> non_empty_lines(const std::string& text) {
  std::vector<std::string> kept;
  for (std::string& item : strings_lines(text))
    if (!item.empty()) kept.push_back(std::move(item));
  return kept;
}

ControlProperties properties_of(WizardPage& page) {
  const auto find = [&page](const std::string& name) -> Control* {
    return ascii_equal_ignore_case(name, page.form().name()) ? &page.form() : page.find(name);
  };
  return {[find](const std::string& control, const std::string& property) -> std::optional<std::string> {
            Control* found = find(control);
            return found == nullptr ? std::nullopt : found->property_text(property);
          },
          [find](const std::string& control, const std::string& property, const std::string& value) {
            if (Control* found = find(control)) found->set_property_text(property, value);
          }};
}

}  // namespace

// --- template texts

std::string Wizard::template_text(const WizardPage& page, const Control& control, const std::string& text) {
  const std::string key = ansi_upper(page.file_name()) + "|" + ansi_upper(control.name());
  if (const auto found = template_texts_.find(key); found != template_texts_.end()) return found->second;
  std::string recorded = text;
  if (engine_->translations.active()) {
    if (auto translated = dialog_translation(*engine_, page.file_name(), control.name(), text))
      recorded = std::move(*translated);
  }
  return template_texts_.emplace(key, std::move(recorded)).first->second;
}

std::string Wizard::translated_template(const WizardPage& page, const Control& control, const std::string& text) {
  const std::string cached = template_text(page, control, text);
  if (!engine_->translations.active()) return cached;
  return dialog_translation(*engine_, page.file_name(), control.name(), cached).value_or(cached);
}

std::string Wizard::substituted_template(const WizardPage& page, const Control& control, const std::string& text) {
  return substituted(*engine_, translated_template(page, control, text));
}

void Wizard::bind_caption(Dialog& dialog, Control& control, const char* property) {
  const std::string text = substituted_template(*dialog.page, control, control.property_text(property).value_or(""));
  control.set_property_text(property, text);
}

// The form's caption carries the wizard's name unless VRAKLOGO asks for the
// product's title alone.
void Wizard::bind_form_caption(Dialog& dialog) {
  Control& form = dialog.page->form();
  std::string caption = substituted_template(*dialog.page, form, form.property_text("Caption").value_or(""));
  const std::string suffix = std::string(" - ") + std::string(kProductName) + " Wizard";
  const bool title_only = engine_->variables.exists("VRAKLOGO") && engine_->variables.get("VRAKLOGO") == "TRUE";
  if (title_only && caption.ends_with(suffix)) caption.resize(caption.size() - suffix.size());
  if (!title_only && !caption.ends_with(suffix)) caption += suffix;
  form.set_property_text("Caption", caption);
}

// --- the binding pass

void Wizard::bind(Dialog& dialog) {
  if (engine_->silent()) return;
  binding_ = true;
  for (Control* control : dialog.page->controls()) bind_control(dialog, *control);
  bind_form_caption(dialog);
  update_size_texts(dialog);
  apply_rules(dialog);
  binding_ = false;
  // With the guard down, trees tell their variables (and the size texts)
  // which node they start on.
  for (Control* control : dialog.page->controls()) {
    if (control->is_a("TTreeView")) {
      EventDetails details;
      details.item = reinterpret_cast<LPARAM>(static_cast<TreeViewControl*>(control)->selected());
      control->raise(ControlEvent::kChange, details);
    }
    if (control->is_a("TCheckListBox")) {
      control->raise(ControlEvent::kClick);
      if (control->tag() == 1 || !control->hint().empty()) control->raise(ControlEvent::kClickCheck);
    }
  }
}

// A check list shows its items without the empty ones, ticks those its
// variable lists, and writes the ticked ones back; the feature list (Tag 1)
// shows the top-level components and gives the user's marks to the model.
void Wizard::bind_check_list(Dialog& dialog, Control& control) {
  auto& list = static_cast<CheckListBoxControl&>(control);
  list.set_items(non_empty_lines(substituted_template(*dialog.page, list, list.property_text("Items").value_or(""))));
  list.set_handler(ControlEvent::kClick, [this, &dialog](Control& clicked, EventDetails&) {
    if (binding_) return;
    auto& source = static_cast<CheckListBoxControl&>(clicked);
    if (source.current() >= 0 && source.tag() == 1) {
      dialog.selected_feature = source.items()[static_cast<std::size_t>(source.current())];
      update_size_texts(dialog);
    }
    apply_rules(dialog);
  });
  if (!list.hint().empty() && engine_->variables.exists(list.hint())) {
    const std::vector<std::string> wanted = strings_lines(substituted(*engine_, engine_->variables.get(list.hint())));
    const std::vector<std::string> items = list.items();
    for (std::size_t i = 0; i < items.size(); ++i)
      if (std::find(wanted.begin(), wanted.end(), items[i]) != wanted.end()) list.set_checked(static_cast<int>(i), true);
  }
  // The check handler works during binding too: the variable and the model
  // take the list's first marks.
  if (list.tag() == 1) {
    fill_feature_list(list, engine_->components);
    list.set_handler(ControlEvent::kClickCheck, [this, &dialog](Control& ticked, EventDetails&) {
      apply_feature_list(static_cast<CheckListBoxControl&>(ticked), engine_->components);
      update_size_texts(dialog);
      apply_rules(dialog);
    });
  } else if (!list.hint().empty()) {
    list.set_handler(ControlEvent::kClickCheck, [this, &dialog](Control& ticked, EventDetails&) {
      auto& source = static_cast<CheckListBoxControl&>(ticked);
      std::string value;
      const std::vector<std::string> items = source.items();
      for (std::size_t i = 0; i < items.size(); ++i)
        if (source.checked(static_cast<int>(i))) value += items[i] + "$NEWLINE$";
      write_hint_variable(*engine_, source, value, "CheckListBox1ClickCheck");
      apply_rules(dialog);
    });
  }
}

void Wizard::bind_track_bar(Dialog& dialog, Control& bar) {
  bar.set_handler(ControlEvent::kChange, [this, &dialog](Control& moved, EventDetails&) {
    if (binding_) return;
    write_hint_variable(*engine_, moved, moved.property_text("Position").value_or("0"), "TrackBar1Change");
    apply_rules(dialog);
  });
  if (!bar.hint().empty() && engine_->variables.exists(bar.hint())) {
    if (const auto position = parse_integer_text(substituted(*engine_, engine_->variables.get(bar.hint()))))
      bar.set_property_text("Position", std::to_string(*position));
  }
}

// A tree shows its nodes with the variables substituted; the feature tree
// (Tag 1) shows the components, and a click on a feature's icon (or the
// context-menu key) offers the menu that changes how it is installed.
void Wizard::bind_tree(Dialog& dialog, Control& control) {
  auto& tree = static_cast<TreeViewControl&>(control);
  tree.set_property_text("HideSelection", "False");
  tree.set_property_text("ReadOnly", "True");
  for (HTREEITEM node : tree.all_nodes()) tree.set_node_text(node, substituted(*engine_, tree.node_text(node)));
  tree.set_handler(ControlEvent::kChange, [this, &dialog](Control& changed, EventDetails& details) {
    if (binding_) return;
    auto& source = static_cast<TreeViewControl&>(changed);
    const auto node = reinterpret_cast<HTREEITEM>(details.item);
    if (node != nullptr) write_hint_variable(*engine_, source, source.node_text(node), "TreeView1Change");
    if (source.tag() == 1) {
      dialog.selected_feature = node == nullptr ? "" : source.node_path(node);
      update_size_texts(dialog);
    }
    apply_rules(dialog);
  });
  if (tree.tag() != 1) return;
  if (!feature_images_) feature_images_ = std::make_unique<FeatureImages>(platform::DpiScale::of_window(tree.window()));
  tree.set_images(feature_images_->list());
  fill_feature_tree(tree, engine_->components);
  tree.expand_all();
  if (const std::vector<HTREEITEM> roots = tree.children(nullptr); !roots.empty()) tree.select(roots.front());
  const auto offer_menu = [this, &dialog](TreeViewControl& source, POINT screen) {
    const HTREEITEM node = source.selected();
    if (!feature_menu_offered(source, engine_->components, node)) return;
    if (const auto action = choose_feature_action(dialog.page->window(), screen, engine_->messages))
      apply_feature_action(source, engine_->components, node, *action);
  };
  tree.set_handler(ControlEvent::kMouseUp, [this, &dialog, offer_menu](Control& clicked, EventDetails& details) {
    if (binding_) return;
    auto& source = static_cast<TreeViewControl&>(clicked);
    if (source.selected() != nullptr && source.icon_at(details.point) == source.selected()) {
      POINT screen = details.point;
      ClientToScreen(source.window(), &screen);
      offer_menu(source, screen);
    }
    update_size_texts(dialog);
    apply_rules(dialog);
  });
  tree.set_handler(ControlEvent::kKeyUp, [this, &dialog, offer_menu](Control& pressed, EventDetails& details) {
    if (binding_) return;
    auto& source = static_cast<TreeViewControl&>(pressed);
    if (details.key == VK_APPS && source.selected() != nullptr) {
      const RECT text = source.node_text_bounds(source.selected());
      POINT screen{text.right, text.bottom};
      ClientToScreen(source.window(), &screen);
      offer_menu(source, screen);
    }
    update_size_texts(dialog);
    apply_rules(dialog);
  });
}

void Wizard::bind_control(Dialog& dialog, Control& control) {
  Engine& engine = *engine_;
  const auto on_click_button = [this, &dialog](Control& clicked, EventDetails&) { on_button(dialog, clicked); };
  if (control.is_a("TLabel")) {
    control.set_handler(ControlEvent::kClick, on_click_button);
    bind_caption(dialog, control, "Caption");
  }
  if (control.is_a("TGroupBox") || control.is_a("TTabSheet")) bind_caption(dialog, control, "Caption");
  if (control.is_a("TStaticText")) {
    bind_caption(dialog, control, "Caption");
    if (control.tag() == 1)
      control.set_property_text("Caption", engine.variables.exists("PROGRESSTEXT") ? engine.variables.get("PROGRESSTEXT") : "");
  }
  if ((control.is_a("TProgressBar") || control.is_a("TGauge")) && control.tag() == 1 &&
      engine.variables.exists("PROGRESS")) {
    const std::string progress = engine.variables.get("PROGRESS");
    // A value that is no number shows a full bar.
    if (!progress.empty() || control.is_a("TGauge")) {
      const int position = std::clamp(parse_integer_text(progress).value_or(100), 0, 100);
      control.set_property_text(control.is_a("TGauge") ? "Progress" : "Position", std::to_string(position));
    }
  }
  if (control.is_a("TButton") || control.is_a("TRzBmpButton") || control.is_a("TSpeedButton")) {
    control.set_handler(ControlEvent::kClick, on_click_button);
    bind_caption(dialog, control, "Caption");
  }
  if (control.is_a("TImage")) control.set_handler(ControlEvent::kClick, on_click_button);
  if (control.is_a("TShape")) control.set_handler(ControlEvent::kMouseUp, on_click_button);
  if (control.is_a("TMemo")) bind_memo(dialog, control);
  if (control.is_a("TFileListBox") || control.is_a("TDirectoryListBox") || control.is_a("TDriveComboBox") ||
      control.is_a("TPTShellTree") || control.is_a("TPTShellList") || control.is_a("TPTShellCombo"))
    bind_folder_control(dialog, control);
  if (control.is_a("TTreeView")) bind_tree(dialog, control);
  if (control.is_a("TCheckListBox")) bind_check_list(dialog, control);
  if (control.is_a("TTrackBar")) bind_track_bar(dialog, control);
  if (control.is_a("TRichEdit")) bind_rich_edit(dialog, control);
  if (control.is_a("THTMLViewer")) bind_viewer(dialog, control);
  if (control.is_a("TFlashFrame")) bind_movie(control);
  // An animation that cannot play stays still; the page goes on.
  if (control.is_a("TAnimate")) control.set_property_text("Active", "True");
  if (control.is_a("TRzCheckBox") || control.is_a("TRzRadioButton")) bind_check_box(dialog, control);
  if (control.is_a("TListBox")) bind_list_box(dialog, control);
  if (control.is_a("TComboBox")) bind_combo_box(dialog, control);
  if (is_class(control, "TMaskEdit")) {
    bind_edit(dialog, control, false);
  } else if (control.is_a("TEdit")) {
    bind_edit(dialog, control, true);
  }
}

void Wizard::bind_check_box(Dialog& dialog, Control& box) {
  bind_caption(dialog, box, "Caption");
  if (const auto value = hint_value(*engine_, box)) box.set_property_text("Checked", checked_value(*value) ? "True" : "False");
  if (box.is_a("TRzRadioButton")) {
    // A radio button unticks its neighbours: every bound one writes its state.
    box.set_handler(ControlEvent::kClick, [this, &dialog](Control&, EventDetails&) {
      if (binding_) return;
      for (Control* radio : dialog.page->controls()) {
        if (!radio->is_a("TRzRadioButton") || radio->hint().empty()) continue;
        write_hint_variable(*engine_, *radio, radio->property_text("Checked") == "True" ? "TRUE" : "FALSE",
                            "RadioButton1Click");
      }
      apply_rules(dialog);
    });
    return;
  }
  box.set_handler(ControlEvent::kClick, [this, &dialog](Control& clicked, EventDetails&) {
    if (binding_) return;
    write_hint_variable(*engine_, clicked, clicked.property_text("Checked") == "True" ? "TRUE" : "FALSE",
                        "CheckBox1Click");
    apply_rules(dialog);
  });
}

// An edit shows its variable, or its template with the variables in; empty,
// its Tag picks a default (start menu folder, target folder, user, company).
void Wizard::bind_edit(Dialog& dialog, Control& edit, bool collapse) {
  Engine& engine = *engine_;
  const auto shown = [collapse](std::string text) { return collapse ? collapse_backslash_pairs(text) : text; };
  edit.set_property_text("Text", translated_template(*dialog.page, edit, edit.property_text("Text").value_or("")));
  if (const auto value = hint_value(engine, edit)) edit.set_property_text("Text", shown(*value));
  if (edit.property_text("Text").value_or("").empty()) {
    static const char* const kDefaults[] = {"", "$STARTMENU$", "$TARGETDIR$", "$USERNAME$", "$USERCOMPANY$"};
    if (edit.tag() >= 1 && edit.tag() <= 4) edit.set_property_text("Text", kDefaults[edit.tag()]);
  }
  edit.set_property_text("Text", shown(substituted(engine, edit.property_text("Text").value_or(""))));
  const char* handler = collapse ? "Edit1Change" : "MaskEdit1Change";
  edit.set_handler(ControlEvent::kChange, [this, &dialog, handler, collapse](Control& changed, EventDetails&) {
    if (binding_) return;
    write_hint_variable(*engine_, changed, changed.property_text("Text").value_or(""), handler);
    update_size_texts(dialog);
    refresh_from_variables(dialog);
    apply_rules(dialog);
    // A full edit hands the focus on, as in a serial number split over boxes.
    const int limit = parse_integer_text(changed.property_text("MaxLength").value_or("0")).value_or(0);
    if (collapse && limit > 0 && static_cast<int>(changed.property_text("Text").value_or("").size()) >= limit)
      move_focus_after(dialog, changed);
  });
  if (!collapse) {
    edit.set_handler(ControlEvent::kKeyUp, [this, &dialog](Control& edited, EventDetails&) {
      if (binding_) return;
      DWORD start = 0, end = 0;
      SendMessageA(edited.window(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
      if (start == end) move_focus_after(dialog, edited);
    });
  }
}

void Wizard::move_focus_after(Dialog& dialog, const Control& control) {
  for (Control* other : dialog.page->controls()) {
    if (other->parent() == control.parent() && other->tab_order() == control.tab_order() + 1 && other->window()) {
      SetFocus(other->window());
      return;
    }
  }
}

// The text of a readme or licence: the language's file first, then the
// plain one; none gives the note that tells the author what to add.
std::string Wizard::support_text(const char* base, const std::vector<const char*>& extensions,
                                 const std::string& missing) {
  const std::string& language = engine_->translations.current_language;
  for (const char* extension : extensions) {
    for (const std::string& name : {std::string(base) + "." + language + extension, std::string(base) + extension}) {
      if (auto text = platform::read_whole_file(engine_->startup.support_folder + name)) return *text;
    }
  }
  return missing;
}

// A memo shows its variable's text (lines joined by $NEWLINE$ in the
// variable), or without one its substituted template; Tag 1 and 2 show the
// readme and the licence. Only a memo bound to a variable can be edited.
void Wizard::bind_memo(Dialog& dialog, Control& memo) {
  Engine& engine = *engine_;
  const std::string text = template_text(*dialog.page, memo, memo.property_text("Lines").value_or(""));
  memo.set_property_text("ReadOnly", memo.hint().empty() ? "True" : "False");
  if (const auto value = hint_value(engine, memo)) {
    memo.set_property_text("Lines", collapse_backslash_pairs(*value));
  } else if (memo.hint().empty()) {
    memo.set_property_text("Lines", substituted(engine, text));
  }
  const std::string& language = engine.translations.current_language;
  if (memo.tag() == 1)
    memo.set_property_text("Lines", support_text("readme", {".txt"},
                                                 "Add a readme." + language +
                                                     ".txt or readme.txt file to your project as a support "
                                                     "file/creative to display it here."));
  if (memo.tag() == 2)
    memo.set_property_text("Lines", support_text("license", {".txt"},
                                                 "Add a license." + language +
                                                     ".txt or license.txt file to your project as a support "
                                                     "file/creative to display it here."));
  if (memo.hint().empty()) return;
  memo.set_handler(ControlEvent::kChange, [this, &dialog](Control& changed, EventDetails&) {
    if (binding_) return;
    write_hint_variable(*engine_, changed, with_newline_markers(changed.property_text("Text").value_or("")),
                        "Memo1Change");
    update_size_texts(dialog);
    apply_rules(dialog);
  });
}

// A list box shows its substituted items without the empty ones, selects the
// item its variable holds, and writes the selected items back.
void Wizard::bind_list_box(Dialog& dialog, Control& list) {
  const std::vector<std::string> items =
      non_empty_lines(substituted_template(*dialog.page, list, list.property_text("Items").value_or("")));
  list.set_property_text("Items", strings_text(items));
  list.set_handler(ControlEvent::kClick, [this, &dialog](Control& clicked, EventDetails&) {
    if (binding_) return;
    std::string selected;
    for (const std::string& item : clicked.selected_texts()) selected += item + "$NEWLINE$";
    write_hint_variable(*engine_, clicked, selected, "ListBox1Click");
    apply_rules(dialog);
  });
  if (!list.hint().empty() && engine_->variables.exists(list.hint())) {
    const std::string value = substituted(*engine_, engine_->variables.get(list.hint()));
    const auto found = std::find(items.begin(), items.end(), value);
    if (found != items.end()) list.set_property_text("ItemIndex", std::to_string(found - items.begin()));
  }
}

// A combo box shows its items without the empty ones; bound to a variable, a
// drop-down list selects the item the variable holds, any other style shows
// the value as its text.
void Wizard::bind_combo_box(Dialog& dialog, Control& combo) {
  const std::vector<std::string> items =
      non_empty_lines(substituted_template(*dialog.page, combo, combo.property_text("Items").value_or("")));
  combo.set_property_text("Items", strings_text(items));
  const auto write = [this, &dialog](const char* handler) {
    return [this, &dialog, handler](Control& changed, EventDetails&) {
      if (binding_) return;
      write_hint_variable(*engine_, changed, changed.property_text("Text").value_or(""), handler);
      apply_rules(dialog);
    };
  };
  combo.set_handler(ControlEvent::kChange, write("ComboBox1Change"));
  if (combo.hint().empty()) return;
  combo.set_handler(ControlEvent::kClick, write("ComboBox1Click"));
  const auto value = hint_value(*engine_, combo);
  if (!value) return;
  if (ascii_equal_ignore_case(combo.property_text("Style").value_or(""), "csDropDownList")) {
    const auto found = std::find_if(items.begin(), items.end(),
                                    [&](const std::string& item) { return ascii_equal_ignore_case(item, *value); });
    if (found != items.end()) combo.set_property_text("ItemIndex", std::to_string(found - items.begin()));
  } else {
    combo.set_property_text("Text", *value);
  }
}

void Wizard::unbind(Dialog& dialog) {
  if (engine_->silent()) return;
  binding_ = true;
  unbound_window_ = dialog.page->window();
  for (Control* control : dialog.page->controls()) {
    control->clear_handlers();
    if (control->is_a("TFlashFrame")) static_cast<FlashFrameControl*>(control)->stop();
    if (control->is_a("TTreeView")) control->set_property_text("ReadOnly", "True");
  }
  KillTimer(dialog.page->window(), kMetaRefreshTimer);
  dialog.refresh_viewer = nullptr;
  update_size_texts(dialog);
  apply_rules(dialog);
  binding_ = false;
}

// --- what handlers do afterwards

void Wizard::apply_rules(Dialog& dialog) { apply_dialog_rules(dialog.rules, properties_of(*dialog.page)); }

// Controls with Tag 100 follow their variables whenever another control
// changes one.
void Wizard::refresh_from_variables(Dialog& dialog) {
  const bool guard = binding_;
  binding_ = true;
  for (Control* control : dialog.page->controls()) {
    if (control->tag() != 100 || control->hint().empty() || !engine_->variables.exists(control->hint())) continue;
    const std::string value = substituted(*engine_, engine_->variables.get(control->hint()));
    if (control->is_a("TEdit")) control->set_property_text("Text", collapse_backslash_pairs(value));
    refresh_folder_control(*control, value);
  }
  binding_ = guard;
}

// Static texts by Tag: 2 the selected component's description, 3 its size,
// 4 the size of the selection, 5 the free space on the target drive, 6 what
// remains of it after the selection.
void Wizard::update_size_texts(Dialog& dialog) {
  const ComponentModel& components = engine_->components;
  const auto bytes = [this](std::int64_t count) { return size_text(count, engine_->messages); };
  for (Control* control : dialog.page->controls()) {
    if (!control->is_a("TStaticText") || control->tag() < 2 || control->tag() > 6) continue;
    std::string text;
    const std::int64_t free = components.free_space(engine_->variables);
    switch (control->tag()) {
      case 2: text = with_line_breaks(components.description(dialog.selected_feature)); break;
      case 3: text = dialog.selected_feature.empty() ? "" : bytes(components.size(dialog.selected_feature)); break;
      case 4: text = bytes(components.required_space()); break;
      case 5: text = free < 0 ? "" : bytes(free); break;
      case 6: text = free < 0 ? "" : bytes(components.remaining_space(engine_->variables)); break;
    }
    control->set_property_text("Caption", text);
  }
}

// --- buttons and browsing

void Wizard::end_wait(Dialog& dialog, int result) {
  dialog.result = result;
  // The modal wait sees a result only once GetMessage returns; a click sent
  // from another thread or program is handled inside it, so a posted message
  // wakes the wait.
  PostMessageA(dialog.page->window(), WM_NULL, 0, 0);
}

void Wizard::on_button(Dialog& dialog, Control& control) {
  if (binding_) return;
  Engine& engine = *engine_;
  HWND owner = dialog.page->window();
  dialog.result = kPending;
  switch (control.tag()) {
    case 1:
      end_wait(dialog, kNext);
      break;
    case 2:
      end_wait(dialog, kBack);
      break;
    case 3: {
      const int answer = platform::show_message_box(engine.messages.text(message::kConfirmCancel), engine.caption(),
                                                    MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION, owner);
      if (answer == IDYES) {
        engine.cancel_requested = true;
        control.set_property_text("Enabled", "False");
        end_wait(dialog, kCancel);
      }
      break;
    }
    case 4:
      if (const auto folder = platform::browse_for_folder("", owner)) browse_to_target(dialog, *folder);
      break;
    case 5:
      dialog.custom = control.name();
      end_wait(dialog, kCustom);
      break;
    case 6:
      if (const auto folder = platform::browse_for_folder("", owner); folder && !folder->empty()) {
        engine.variables.define(ansi_upper(control.name()), with_trailing_backslash(*folder),
                                "SetCustomDirectoryEditText");
        update_size_texts(dialog);
        refresh_from_variables(dialog);
      }
      break;
    default:
      break;
  }
  apply_rules(dialog);
}

// TARGETDIR as the page shows it, and the part of it below its nearest
// existing folder, which browsing keeps.
void Wizard::capture_target(Dialog& dialog) {
  if (engine_ == nullptr) return;
  dialog.target_text = target_text(*engine_);
  const std::string existing = nearest_existing_target(*engine_);
  dialog.target_tail = dialog.target_text.size() >= existing.size() &&
                               ascii_equal_ignore_case(dialog.target_text.substr(0, existing.size()), existing)
                           ? dialog.target_text.substr(existing.size())
                           : "";
}

// A folder chosen for the target: the target keeps its own sub-folders below
// the chosen folder ("D:\Tools" + "Vendor\App\"), and stays as it is when it
// already lies inside the chosen folder.
void Wizard::browse_to_target(Dialog& dialog, const std::string& folder) {
  std::string text = dialog.target_text.empty() ? folder : dialog.target_text;
  if (folder.empty()) {
    text.clear();
  } else if (text.size() < folder.size() || !ascii_equal_ignore_case(text.substr(0, folder.size()), folder)) {
    text = with_trailing_backslash(folder) + dialog.target_tail;
  }
  for (Control* control : dialog.page->controls()) {
    if (!control->is_a("TEdit") || control->tag() != 2) continue;
    control->set_property_text("Text", text);
    control->raise(ControlEvent::kChange);
  }
  update_size_texts(dialog);
  apply_rules(dialog);
}

}  // namespace qm
