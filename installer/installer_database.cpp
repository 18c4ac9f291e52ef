#include "installer/installer_database.h"

#include <utility>

namespace qm {

namespace {

// Texts read back from a database: long enough for any value a product
// keeps; a longer one is read again at its size.
constexpr DWORD kTextBuffer = 10240;

}  // namespace

InstallerDatabase::InstallerDatabase(platform::MsiLibrary& msi, platform::UniqueMsiHandle handle)
    : msi_(&msi), handle_(std::move(handle)) {}

std::optional<InstallerDatabase> InstallerDatabase::open(platform::MsiLibrary& msi, const std::string& path,
                                                         Mode mode) {
  const auto open_database = msi.function<UINT WINAPI(LPCSTR, LPCSTR, MSIHANDLE*)>("MsiOpenDatabaseA");
  MSIHANDLE handle = 0;
  const LPCSTR persist = mode == Mode::kTransact ? MSIDBOPEN_TRANSACT : MSIDBOPEN_READONLY;
  if (open_database(path.c_str(), persist, &handle) != ERROR_SUCCESS || handle == 0) return std::nullopt;
  return InstallerDatabase(msi, platform::UniqueMsiHandle(handle));
}

platform::UniqueMsiHandle InstallerDatabase::executed_view(const std::string& statement,
                                                           const std::vector<std::string>& parameters) {
  const auto open_view = msi_->function<UINT WINAPI(MSIHANDLE, LPCSTR, MSIHANDLE*)>("MsiDatabaseOpenViewA");
  const auto execute_view = msi_->function<UINT WINAPI(MSIHANDLE, MSIHANDLE)>("MsiViewExecute");
  MSIHANDLE view = 0;
  if (open_view(handle_.get(), statement.c_str(), &view) != ERROR_SUCCESS || view == 0) return {};
  platform::UniqueMsiHandle owned(view);
  platform::UniqueMsiHandle bound;
  if (!parameters.empty()) {
    const auto create_record = msi_->function<MSIHANDLE WINAPI(UINT)>("MsiCreateRecord");
    bound = platform::UniqueMsiHandle(create_record(static_cast<UINT>(parameters.size())));
    if (!bound) return {};
    for (std::size_t i = 0; i < parameters.size(); ++i)
      set_record_text(bound.get(), static_cast<unsigned>(i + 1), parameters[i]);
  }
  if (execute_view(view, bound.get()) != ERROR_SUCCESS) return {};
  return owned;
}

void InstallerDatabase::close_view(MSIHANDLE view) {
  msi_->function<UINT WINAPI(MSIHANDLE)>("MsiViewClose")(view);
}

bool InstallerDatabase::execute(const std::string& statement, const std::vector<std::string>& parameters) {
  platform::UniqueMsiHandle view = executed_view(statement, parameters);
  if (!view) return false;
  close_view(view.get());
  return true;
}

std::optional<std::vector<std::string>> InstallerDatabase::texts(const std::string& query,
                                                                 const std::vector<std::string>& parameters,
                                                                 unsigned field) {
  platform::UniqueMsiHandle view = executed_view(query, parameters);
  if (!view) return std::nullopt;
  const auto fetch = msi_->function<UINT WINAPI(MSIHANDLE, MSIHANDLE*)>("MsiViewFetch");
  std::vector<std::string> found;
  MSIHANDLE record = 0;
  UINT result = ERROR_SUCCESS;
  while ((result = fetch(view.get(), &record)) == ERROR_SUCCESS) {
    const platform::UniqueMsiHandle owned(record);
    found.push_back(record_text(record, field));
  }
  close_view(view.get());
  if (result != ERROR_NO_MORE_ITEMS) return std::nullopt;
  return found;
}

void InstallerDatabase::update_each(const std::string& query, const std::function<void(MSIHANDLE)>& change) {
  platform::UniqueMsiHandle view = executed_view(query, {});
  if (!view) return;
  const auto fetch = msi_->function<UINT WINAPI(MSIHANDLE, MSIHANDLE*)>("MsiViewFetch");
  const auto modify = msi_->function<UINT WINAPI(MSIHANDLE, MSIMODIFY, MSIHANDLE)>("MsiViewModify");
  MSIHANDLE record = 0;
  while (fetch(view.get(), &record) == ERROR_SUCCESS) {
    const platform::UniqueMsiHandle owned(record);
    change(record);
    modify(view.get(), MSIMODIFY_UPDATE, record);
  }
  close_view(view.get());
}

bool InstallerDatabase::move_record(const std::string& table, const std::string& key_column, const std::string& from,
                                    const std::string& to) {
  const auto fetch = msi_->function<UINT WINAPI(MSIHANDLE, MSIHANDLE*)>("MsiViewFetch");
  const auto modify = msi_->function<UINT WINAPI(MSIHANDLE, MSIMODIFY, MSIHANDLE)>("MsiViewModify");
  platform::UniqueMsiHandle record;
  {
    platform::UniqueMsiHandle view =
        executed_view("SELECT * FROM `" + table + "` WHERE `" + key_column + "`=?", {from});
    if (!view) return false;
    MSIHANDLE found = 0;
    const UINT fetched = fetch(view.get(), &found);
    close_view(view.get());
    if (fetched != ERROR_SUCCESS) return false;
    record = platform::UniqueMsiHandle(found);
  }
  // Taken out and put back under its new key; the insert goes through a
  // view of the whole table, which is not being walked.
  if (!execute("DELETE FROM `" + table + "` WHERE `" + key_column + "`=?", {from})) return false;
  set_record_text(record.get(), 1, to);
  platform::UniqueMsiHandle table_view = executed_view("SELECT * FROM `" + table + "`", {});
  if (!table_view) return false;
  const bool inserted = modify(table_view.get(), MSIMODIFY_INSERT, record.get()) == ERROR_SUCCESS;
  close_view(table_view.get());
  return inserted;
}

std::string InstallerDatabase::record_text(MSIHANDLE record, unsigned field) {
  const auto get_string = msi_->function<UINT WINAPI(MSIHANDLE, UINT, LPSTR, DWORD*)>("MsiRecordGetStringA");
  std::string text(kTextBuffer, '\0');
  DWORD size = kTextBuffer;
  UINT result = get_string(record, field, text.data(), &size);
  if (result == ERROR_MORE_DATA) {
    text.assign(static_cast<std::size_t>(size) + 1, '\0');
    size += 1;
    result = get_string(record, field, text.data(), &size);
  }
  if (result != ERROR_SUCCESS) return {};
  text.resize(size);
  return text;
}

void InstallerDatabase::set_record_text(MSIHANDLE record, unsigned field, const std::string& text) {
  msi_->function<UINT WINAPI(MSIHANDLE, UINT, LPCSTR)>("MsiRecordSetStringA")(record, field, text.c_str());
}

int InstallerDatabase::record_integer(MSIHANDLE record, unsigned field) {
  return msi_->function<int WINAPI(MSIHANDLE, UINT)>("MsiRecordGetInteger")(record, field);
}

void InstallerDatabase::set_record_integer(MSIHANDLE record, unsigned field, int value) {
  msi_->function<UINT WINAPI(MSIHANDLE, UINT, int)>("MsiRecordSetInteger")(record, field, value);
}

platform::UniqueMsiHandle InstallerDatabase::summary(UINT updates) {
  const auto get_summary =
      msi_->function<UINT WINAPI(MSIHANDLE, LPCSTR, UINT, MSIHANDLE*)>("MsiGetSummaryInformationA");
  MSIHANDLE info = 0;
  if (get_summary(handle_.get(), nullptr, updates, &info) != ERROR_SUCCESS) return {};
  return platform::UniqueMsiHandle(info);
}

std::string InstallerDatabase::summary_text(UINT property) {
  const platform::UniqueMsiHandle info = summary(0);
  if (!info) return {};
  const auto get_property = msi_->function<UINT WINAPI(MSIHANDLE, UINT, UINT*, INT*, FILETIME*, LPSTR, DWORD*)>(
      "MsiSummaryInfoGetPropertyA");
  char text[260] = {};
  DWORD size = sizeof text;
  UINT type = 0;
  INT number = 0;
  FILETIME time{};
  if (get_property(info.get(), property, &type, &number, &time, text, &size) != ERROR_SUCCESS) return {};
  return text;
}

void InstallerDatabase::set_summary_text(UINT property, const std::string& text) {
  const platform::UniqueMsiHandle info = summary(1);
  if (!info) return;
  msi_->function<UINT WINAPI(MSIHANDLE, UINT, UINT, INT, FILETIME*, LPCSTR)>("MsiSummaryInfoSetPropertyA")(
      info.get(), property, VT_LPSTR, 0, nullptr, text.c_str());
  msi_->function<UINT WINAPI(MSIHANDLE)>("MsiSummaryInfoPersist")(info.get());
}

void InstallerDatabase::set_summary_integer(UINT property, int value) {
  const platform::UniqueMsiHandle info = summary(1);
  if (!info) return;
  msi_->function<UINT WINAPI(MSIHANDLE, UINT, UINT, INT, FILETIME*, LPCSTR)>("MsiSummaryInfoSetPropertyA")(
      info.get(), property, VT_I4, value, nullptr, nullptr);
  msi_->function<UINT WINAPI(MSIHANDLE)>("MsiSummaryInfoPersist")(info.get());
}

bool InstallerDatabase::commit() {
  return msi_->function<UINT WINAPI(MSIHANDLE)>("MsiDatabaseCommit")(handle_.get()) == ERROR_SUCCESS;
}

}  // namespace qm
