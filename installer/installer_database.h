#pragma once
// A product's installer database, opened through the engine's Windows
// Installer binding: statements with bound parameters, queries, record
// updates and the summary information.
//
// Every text that goes into a statement from outside (property names,
// translated names, values read back from the database) is a bound
// parameter ("?"), never part of the statement's text: a quote, a backquote
// or a bracket in it is stored as it is and cannot change the statement.

#include <windows.h>
#include <msiquery.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/msi_library.h"

namespace qm {

class InstallerDatabase {
 public:
  enum class Mode { kReadOnly, kTransact };

  // Nothing when the package cannot be opened.
  static std::optional<InstallerDatabase> open(platform::MsiLibrary& msi, const std::string& path, Mode mode);

  // Runs a statement with `parameters` bound to its "?" in order; false when
  // it failed (the database is left as it was).
  bool execute(const std::string& statement, const std::vector<std::string>& parameters = {});

  // Field `field` of every record a query gives, as text; nothing when the
  // query fails.
  std::optional<std::vector<std::string>> texts(const std::string& query,
                                                const std::vector<std::string>& parameters = {}, unsigned field = 1);

  // Calls `change` for every record of a query and writes the record back
  // (an update of the fields the query selected).
  void update_each(const std::string& query, const std::function<void(MSIHANDLE record)>& change);

  // Moves the record whose primary key (its first column, the table's only
  // key column) is `from` to the key `to`: a statement cannot change a
  // primary key. False when there is no such record or the move failed.
  bool move_record(const std::string& table, const std::string& key_column, const std::string& from,
                   const std::string& to);

  std::string summary_text(UINT property);
  void set_summary_text(UINT property, const std::string& text);
  void set_summary_integer(UINT property, int value);

  bool commit();

  // For the record editing callbacks.
  std::string record_text(MSIHANDLE record, unsigned field);
  void set_record_text(MSIHANDLE record, unsigned field, const std::string& text);
  int record_integer(MSIHANDLE record, unsigned field);
  void set_record_integer(MSIHANDLE record, unsigned field, int value);

 private:
  InstallerDatabase(platform::MsiLibrary& msi, platform::UniqueMsiHandle handle);
  // A view on the statement, executed with its parameters; 0 when it failed.
  platform::UniqueMsiHandle executed_view(const std::string& statement, const std::vector<std::string>& parameters);
  void close_view(MSIHANDLE view);
  // The summary information, open for `updates` changes.
  platform::UniqueMsiHandle summary(UINT updates);

  platform::MsiLibrary* msi_;
  platform::UniqueMsiHandle handle_;
};

}  // namespace qm
