#pragma once
// The Windows Installer properties a run has decided, kept until "Apply
// Changes" hands them over.
//
// Installer property list: name/value pairs written into the Property table of
// the product's package before the installation. Handed over once per
// installation; properties recorded after that start a new list.
//
// Pass-through list: one flat list "name, value, name, value, ..." that goes
// to the package's own actions through the installer property file and is
// kept beside the installed product as "<engine name>.par", one item per line,
// for later maintenance runs.
//
// Both lists keep duplicates in recording order, so the value recorded last
// for a name is the one that takes effect. Names and values are stored with
// every CR LF replaced by "$NEWLINE$", so no item spans two lines of a file.
// The lists are used by one thread at a time (recording on the user-interface
// thread, reading by the installer worker while that thread waits) and hold no
// lock.

#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct InstallerProperty {
  std::string name;
  std::string value;

  bool operator==(const InstallerProperty&) const = default;
};

class InstallerPropertyLists {
 public:
  // Appends to the installer property list only.
  void set_installer_property(std::string_view name, std::string_view value);
  // Appends to both lists.
  void record(std::string_view name, std::string_view value);

  const std::vector<InstallerProperty>& installer_properties() const { return installer_; }
  // Hands the installer property list over and starts a new, empty one.
  std::vector<InstallerProperty> take_installer_properties();

  const std::vector<std::string>& pass_through() const { return pass_through_; }
  // The pass-through list as comma text, for the installer worker.
  std::string pass_through_comma_text() const;

  // The pass-through list in the form of a ".par" file: one item per line,
  // CR LF after each.
  std::string pass_through_text() const;
  // Appends the pairs of a ".par" file's text to the pass-through list, so
  // they come ahead of everything recorded afterwards. Items are kept as
  // stored (still encoded); an unpaired last item is dropped.
  void append_pass_through_text(std::string_view text);

  void clear_pass_through() { pass_through_.clear(); }
  void clear();

 private:
  std::vector<InstallerProperty> installer_;
  std::vector<std::string> pass_through_;
};

}  // namespace qm
