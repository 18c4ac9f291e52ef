// A stand-in for the IIS administration objects, as an in-process COM server
// (test_metabase.dll) whose objects answer late-bound calls by name the way
// the metabase's ADSI objects do:
//
//   "IISNamespace"  GetObject("IIsWebService", "localhost/w3svc") gives the
//                   web service key W3SVC.
//   every key       GetObject/Create/Delete(class, relative path), SetInfo,
//                   Get(name)/Put(name, value), its properties by name, Class
//                   and Name, and IADsContainer's enumerator of its children.
//                   Create makes a key that exists only once SetInfo commits
//                   it; Put changes a cache that SetInfo commits.
//   sites           Start, Stop, Pause (of a started site only), Continue
//                   (of a paused or started site); Status 2 started,
//                   4 stopped, 6 paused; changed at once.
//   folders         AppCreate2(mode), committed with SetInfo.
//   the service     EnableWebServiceExtension, EnableExtensionFile,
//                   committed with SetInfo.
//   "MimeMap"       Extension and MimeType.
//
// Properties have types (text, truth, number, MIME map): a value that does
// not convert is refused, a name outside the table is unknown. The state is
// the metabase file that QM_TEST_METABASE names (metabase.h); every call is
// appended to its call log.

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
// After the automation types it uses.
#include <iads.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/commands/iis/metabase_server/metabase.h"

namespace {

using qm::test::Metabase;
using qm::test::MetabaseNode;
using qm::test::same_text_ignoring_case;

constexpr CLSID kNamespaceClass = {0x5b1f0c3a, 0x8e2d, 0x4a6b, {0x9c, 0x71, 0x3d, 0x2e, 0x4f, 0x5a, 0x6b, 0x01}};
constexpr CLSID kMimeMapClass = {0x5b1f0c3a, 0x8e2d, 0x4a6b, {0x9c, 0x71, 0x3d, 0x2e, 0x4f, 0x5a, 0x6b, 0x02}};
constexpr IID kContainerInterface = {0x001677d0, 0xfd16, 0x11ce, {0xab, 0xc4, 0x02, 0x60, 0x8c, 0x9e, 0x75, 0x53}};

constexpr HRESULT kPropertyNotFound = static_cast<HRESULT>(0x8000500D);  // E_ADS_PROPERTY_NOT_FOUND
constexpr HRESULT kPathNotFound = HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
constexpr HRESULT kAlreadyExists = HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
constexpr HRESULT kNotActive = HRESULT_FROM_WIN32(ERROR_SERVICE_NOT_ACTIVE);

constexpr long kStarted = 2;
constexpr long kStopped = 4;
constexpr long kPaused = 6;

// ---------------------------------------------------------------------------
// Texts and VARIANTs.

std::string narrow(const wchar_t* text, std::size_t length) {
  if (length == 0) return {};
  const int bytes = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), result.data(), bytes, nullptr, nullptr);
  return result;
}

std::string narrow(BSTR text) { return text == nullptr ? std::string() : narrow(text, SysStringLen(text)); }

BSTR wide_bstr(const std::string& text) {
  const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(units));
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result, units);
  return result;
}

std::optional<VARIANT> converted(const VARIANT& value, VARTYPE type) {
  VARIANT result;
  VariantInit(&result);
  if (FAILED(VariantChangeType(&result, const_cast<VARIANT*>(&value), 0, type))) return std::nullopt;
  return result;
}

std::optional<std::string> text_of(const VARIANT& value) {
  std::optional<VARIANT> text = converted(value, VT_BSTR);
  if (!text) return std::nullopt;
  std::string result = narrow(text->bstrVal);
  VariantClear(&*text);
  return result;
}

std::optional<long> number_of(const VARIANT& value) {
  std::optional<VARIANT> number = converted(value, VT_I4);
  if (!number) return std::nullopt;
  return number->lVal;
}

// ---------------------------------------------------------------------------
// The server's state, shared by the objects of one namespace.

class Server {
 public:
  explicit Server(std::string file) : file_(std::move(file)), metabase_(Metabase::load(file_)) {}

  Metabase& metabase() { return metabase_; }
  void save() const { metabase_.save(file_); }

  void log(const std::string& path, const std::string& member, const std::vector<std::string>& arguments) const {
    std::string line = path + "|" + member;
    for (const std::string& argument : arguments) line += "|" + argument;
    std::ofstream out(qm::test::call_log_of(file_), std::ios::binary | std::ios::app);
    out << line << "\r\n";
  }

 private:
  std::string file_;
  Metabase metabase_;
};

// ---------------------------------------------------------------------------
// Property types.

enum class PropertyType { kText, kTruth, kNumber, kMimeMap };

struct PropertyDefinition {
  const wchar_t* name;
  PropertyType type;
  bool read_only = false;
};

constexpr PropertyDefinition kProperties[] = {
    {L"ServerComment", PropertyType::kText},      {L"ServerBindings", PropertyType::kText},
    {L"SecureBindings", PropertyType::kText},     {L"ConnectionTimeout", PropertyType::kNumber},
    {L"AllowKeepAlive", PropertyType::kTruth},    {L"LogType", PropertyType::kNumber},
    {L"DontLog", PropertyType::kTruth},           {L"MaxConnections", PropertyType::kNumber},
    {L"ServerSize", PropertyType::kNumber},       {L"Status", PropertyType::kNumber, true},
    {L"ServerAutoStart", PropertyType::kTruth},   {L"AnonymousUserName", PropertyType::kText},
    {L"Path", PropertyType::kText},               {L"AccessSource", PropertyType::kTruth},
    {L"AccessRead", PropertyType::kTruth},        {L"AccessWrite", PropertyType::kTruth},
    {L"EnableDirBrowsing", PropertyType::kTruth}, {L"ContentIndexed", PropertyType::kTruth},
    {L"AppPoolId", PropertyType::kText},          {L"AppFriendlyName", PropertyType::kText},
    {L"AppIsolated", PropertyType::kNumber},      {L"AppRoot", PropertyType::kText},
    {L"AccessScript", PropertyType::kTruth},      {L"AccessExecute", PropertyType::kTruth},
    {L"EnableDefaultDoc", PropertyType::kTruth},  {L"DefaultDoc", PropertyType::kText},
    {L"EnableDocFooter", PropertyType::kTruth},   {L"DefaultDocFooter", PropertyType::kText},
    {L"AuthAnonymous", PropertyType::kTruth},     {L"AuthNTLM", PropertyType::kTruth},
    {L"AuthBasic", PropertyType::kTruth},         {L"MimeMap", PropertyType::kMimeMap},
    {L"AppPoolIdentityType", PropertyType::kNumber},
};
constexpr DISPID kFirstPropertyId = 1000;

std::string property_name(std::size_t index) {
  const wchar_t* name = kProperties[index].name;
  return narrow(name, wcslen(name));
}

std::optional<std::size_t> property_index(const std::string& name) {
  for (std::size_t i = 0; i < std::size(kProperties); ++i)
    if (same_text_ignoring_case(property_name(i), name)) return i;
  return std::nullopt;
}

// ---------------------------------------------------------------------------
// A reference-counted IDispatch base.

template <typename Interface>
class Unknown : public Interface {
 public:
  virtual ~Unknown() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || accepts(iid)) {
      *object = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual bool accepts(REFIID) const { return false; }

 private:
  std::atomic<ULONG> references_{1};
};

// Members by name: methods first, then the properties of the table.
struct MemberName {
  const wchar_t* name;
  DISPID id;
};

enum Member : DISPID {
  kGetObject = 1, kCreate, kDelete, kSetInfo, kGet, kPut, kStart, kStop, kPause, kContinue, kAppCreate2,
  kEnableWebServiceExtension, kEnableExtensionFile, kClass, kName, kExtension, kMimeType
};

constexpr MemberName kMembers[] = {
    {L"GetObject", kGetObject}, {L"Create", kCreate}, {L"Delete", kDelete}, {L"SetInfo", kSetInfo},
    {L"Get", kGet}, {L"Put", kPut}, {L"Start", kStart}, {L"Stop", kStop}, {L"Pause", kPause},
    {L"Continue", kContinue}, {L"AppCreate2", kAppCreate2},
    {L"EnableWebServiceExtension", kEnableWebServiceExtension}, {L"EnableExtensionFile", kEnableExtensionFile},
    {L"Class", kClass}, {L"Name", kName},
};

// Arguments in parameter order, without their references.
std::vector<VARIANT> arguments_of(const DISPPARAMS* parameters) {
  std::vector<VARIANT> arguments;
  for (UINT i = parameters->cArgs; i > 0; --i) {
    VARIANT copy;
    VariantInit(&copy);
    VariantCopyInd(&copy, &parameters->rgvarg[i - 1]);
    arguments.push_back(copy);
  }
  return arguments;
}

void clear(std::vector<VARIANT>& arguments) {
  for (VARIANT& argument : arguments) VariantClear(&argument);
}

template <typename Interface>
class Dispatch : public Unknown<Interface> {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (count != 1) return DISP_E_UNKNOWNNAME;
    const std::string name = narrow(names[0], wcslen(names[0]));
    for (const MemberName& member : kMembers)
      if (same_text_ignoring_case(narrow(member.name, wcslen(member.name)), name)) {
        *ids = member.id;
        return S_OK;
      }
    if (std::optional<DISPID> id = extra_member(name)) {
      *ids = *id;
      return S_OK;
    }
    if (const std::optional<std::size_t> index = property_index(name)) {
      *ids = kFirstPropertyId + static_cast<DISPID>(*index);
      return S_OK;
    }
    *ids = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD kind, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    // A property write names its value DISPID_PROPERTYPUT, as automation requires.
    if ((kind & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0 &&
        (parameters->cNamedArgs != 1 || parameters->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT))
      return DISP_E_PARAMNOTOPTIONAL;
    std::vector<VARIANT> arguments = arguments_of(parameters);
    VARIANT ignored;
    VariantInit(&ignored);
    const HRESULT outcome = perform(id, kind, arguments, result != nullptr ? result : &ignored);
    VariantClear(&ignored);
    clear(arguments);
    return outcome;
  }

 protected:
  bool accepts(REFIID iid) const override { return iid == IID_IDispatch || also_accepts(iid); }
  virtual bool also_accepts(REFIID) const { return false; }
  virtual std::optional<DISPID> extra_member(const std::string&) const { return std::nullopt; }
  virtual HRESULT perform(DISPID id, WORD kind, const std::vector<VARIANT>& arguments, VARIANT* result) = 0;
};

// ---------------------------------------------------------------------------
// "MimeMap" entries.

class MimeEntry : public Dispatch<IDispatch> {
 public:
  MimeEntry(std::string extension = {}, std::string type = {})
      : extension_(std::move(extension)), type_(std::move(type)) {}

 protected:
  std::optional<DISPID> extra_member(const std::string& name) const override {
    if (same_text_ignoring_case(name, "Extension")) return kExtension;
    if (same_text_ignoring_case(name, "MimeType")) return kMimeType;
    return std::nullopt;
  }
  HRESULT perform(DISPID id, WORD kind, const std::vector<VARIANT>& arguments, VARIANT* result) override {
    std::string* field = id == kExtension ? &extension_ : id == kMimeType ? &type_ : nullptr;
    if (field == nullptr) return DISP_E_MEMBERNOTFOUND;
    if (kind & DISPATCH_PROPERTYPUT) {
      const std::optional<std::string> text = arguments.size() == 1 ? text_of(arguments[0]) : std::nullopt;
      if (!text) return DISP_E_TYPEMISMATCH;
      *field = *text;
      return S_OK;
    }
    result->vt = VT_BSTR;
    result->bstrVal = wide_bstr(*field);
    return S_OK;
  }

 private:
  std::string extension_;
  std::string type_;
};

// A property of any object read through its IDispatch, by name.
std::optional<std::string> dispatch_text(IDispatch* object, const wchar_t* name) {
  DISPID id = 0;
  LPOLESTR names = const_cast<LPOLESTR>(name);
  if (FAILED(object->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id))) return std::nullopt;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VARIANT value;
  VariantInit(&value);
  if (FAILED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr)))
    return std::nullopt;
  std::optional<std::string> text = text_of(value);
  VariantClear(&value);
  return text;
}

// A MimeMap value (an array of entry objects) in the metabase's text form.
std::optional<std::string> mime_map_text(const VARIANT& value) {
  if (value.vt != (VT_ARRAY | VT_VARIANT) || value.parray == nullptr || SafeArrayGetDim(value.parray) != 1)
    return std::nullopt;
  LONG lower = 0;
  LONG upper = -1;
  SafeArrayGetLBound(value.parray, 1, &lower);
  SafeArrayGetUBound(value.parray, 1, &upper);
  std::string text;
  for (LONG i = lower; i <= upper; ++i) {
    VARIANT element;
    VariantInit(&element);
    if (FAILED(SafeArrayGetElement(value.parray, &i, &element))) return std::nullopt;
    std::optional<std::string> extension;
    std::optional<std::string> type;
    if (element.vt == VT_DISPATCH && element.pdispVal != nullptr) {
      extension = dispatch_text(element.pdispVal, L"Extension");
      type = dispatch_text(element.pdispVal, L"MimeType");
    }
    VariantClear(&element);
    if (!extension || !type) return std::nullopt;
    if (!text.empty()) text += ";";
    text += *extension + "," + *type;
  }
  return text;
}

// The metabase's text form back as an array of entry objects.
void mime_map_value(const std::string& text, VARIANT* result) {
  std::vector<std::pair<std::string, std::string>> entries;
  std::size_t start = 0;
  while (!text.empty() && start <= text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    const std::string entry = text.substr(start, end - start);
    const std::size_t comma = entry.find(',');
    entries.emplace_back(entry.substr(0, comma), comma == std::string::npos ? "" : entry.substr(comma + 1));
    start = end + 1;
  }
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(entries.size()));
  for (LONG i = 0; i < static_cast<LONG>(entries.size()); ++i) {
    VARIANT element;
    VariantInit(&element);
    element.vt = VT_DISPATCH;
    element.pdispVal = new MimeEntry(entries[i].first, entries[i].second);
    SafeArrayPutElement(array, &i, &element);
    VariantClear(&element);
  }
  result->vt = VT_ARRAY | VT_VARIANT;
  result->parray = array;
}

// A value as the metabase keeps it; nothing when it does not convert.
std::optional<std::string> stored_text(PropertyType type, const VARIANT& value) {
  switch (type) {
    case PropertyType::kText: return text_of(value);
    case PropertyType::kNumber: {
      const std::optional<long> number = number_of(value);
      return number ? std::optional<std::string>(std::to_string(*number)) : std::nullopt;
    }
    case PropertyType::kTruth: {
      std::optional<VARIANT> truth = converted(value, VT_BOOL);
      if (!truth) return std::nullopt;
      return std::string(truth->boolVal != VARIANT_FALSE ? "TRUE" : "FALSE");
    }
    case PropertyType::kMimeMap: return mime_map_text(value);
  }
  return std::nullopt;
}

void typed_value(PropertyType type, const std::string& text, VARIANT* result) {
  switch (type) {
    case PropertyType::kText:
      result->vt = VT_BSTR;
      result->bstrVal = wide_bstr(text);
      return;
    case PropertyType::kNumber:
      result->vt = VT_I4;
      result->lVal = std::strtol(text.c_str(), nullptr, 10);
      return;
    case PropertyType::kTruth:
      result->vt = VT_BOOL;
      result->boolVal = text == "TRUE" ? VARIANT_TRUE : VARIANT_FALSE;
      return;
    case PropertyType::kMimeMap: mime_map_value(text, result); return;
  }
}

// ---------------------------------------------------------------------------
// Keys of the metabase.

class Key;

class ChildEnumerator : public Unknown<IEnumVARIANT> {
 public:
  explicit ChildEnumerator(std::vector<IDispatch*> children) : children_(std::move(children)) {}
  ~ChildEnumerator() override {
    for (IDispatch* child : children_) child->Release();
  }
  HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* values, ULONG* fetched) override {
    ULONG given = 0;
    for (; given < wanted && next_ < children_.size(); ++given, ++next_) {
      VariantInit(&values[given]);
      values[given].vt = VT_DISPATCH;
      values[given].pdispVal = children_[next_];
      children_[next_]->AddRef();
    }
    if (fetched != nullptr) *fetched = given;
    return given == wanted ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    next_ += count;
    return next_ <= children_.size() ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    next_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT**) override { return E_NOTIMPL; }

 protected:
  bool accepts(REFIID iid) const override { return iid == IID_IEnumVARIANT; }

 private:
  std::vector<IDispatch*> children_;
  std::size_t next_ = 0;
};

class Key : public Dispatch<IADsContainer> {
 public:
  Key(std::shared_ptr<Server> server, std::string path, std::string class_name, bool committed)
      : server_(std::move(server)), path_(std::move(path)), class_name_(std::move(class_name)),
        committed_(committed) {}

  // IADsContainer: the engine uses only the enumerator; the rest goes by name.
  HRESULT STDMETHODCALLTYPE get_Count(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) override {
    server_->log(path_, "_NewEnum", {});
    std::vector<IDispatch*> children;
    for (const MetabaseNode* node : server_->metabase().children(path_))
      children.push_back(new Key(server_, node->path, node->class_name, true));
    *enumerator = static_cast<IEnumVARIANT*>(new ChildEnumerator(std::move(children)));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Filter(VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Filter(VARIANT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Hints(VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Hints(VARIANT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetObject(BSTR, BSTR, IDispatch**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Create(BSTR, BSTR, IDispatch**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Delete(BSTR, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CopyHere(BSTR, BSTR, IDispatch**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE MoveHere(BSTR, BSTR, IDispatch**) override { return E_NOTIMPL; }

 protected:
  bool also_accepts(REFIID iid) const override { return iid == kContainerInterface; }

  HRESULT perform(DISPID id, WORD kind, const std::vector<VARIANT>& arguments, VARIANT* result) override {
    std::vector<std::string> texts;
    for (const VARIANT& argument : arguments) texts.push_back(text_of(argument).value_or("<object>"));
    if (id == DISPID_NEWENUM) {
      IUnknown* enumerator = nullptr;
      get__NewEnum(&enumerator);
      result->vt = VT_UNKNOWN;
      result->punkVal = enumerator;
      return S_OK;
    }
    if (id >= kFirstPropertyId && id < kFirstPropertyId + static_cast<DISPID>(std::size(kProperties))) {
      const std::size_t index = static_cast<std::size_t>(id - kFirstPropertyId);
      if (kind & DISPATCH_PROPERTYPUT) {
        server_->log(path_, property_name(index) + ":=", texts);
        return arguments.size() == 1 ? put(index, arguments[0]) : DISP_E_BADPARAMCOUNT;
      }
      server_->log(path_, property_name(index), texts);
      return get(index, result);
    }
    std::string member = "?";
    for (const MemberName& known : kMembers)
      if (known.id == id) member = narrow(known.name, wcslen(known.name));
    server_->log(path_, member, texts);
    switch (id) {
      case kGetObject: return texts.size() == 2 ? get_object(texts[0], texts[1], result) : DISP_E_BADPARAMCOUNT;
      case kCreate: return texts.size() == 2 ? create(texts[0], texts[1], result) : DISP_E_BADPARAMCOUNT;
      case kDelete: return texts.size() == 2 ? remove(texts[0], texts[1]) : DISP_E_BADPARAMCOUNT;
      case kSetInfo: return set_info();
      case kGet: {
        const std::optional<std::size_t> index = texts.size() == 1 ? property_index(texts[0]) : std::nullopt;
        return index ? get(*index, result) : kPropertyNotFound;
      }
      case kPut: {
        const std::optional<std::size_t> index = texts.size() == 2 ? property_index(texts[0]) : std::nullopt;
        return index ? put(*index, arguments[1]) : kPropertyNotFound;
      }
      case kStart: case kStop: case kPause: case kContinue: return control(static_cast<Member>(id));
      case kAppCreate2: return app_create(arguments);
      case kEnableWebServiceExtension: return enable("EnabledExtensions", texts);
      case kEnableExtensionFile: return enable("EnabledFiles", texts);
      case kClass: return text_result(class_name_, result);
      case kName: return text_result(path_.substr(path_.rfind('/') + 1), result);
      default: return DISP_E_MEMBERNOTFOUND;
    }
  }

 private:
  bool is(const char* class_name) const { return same_text_ignoring_case(class_name_, class_name); }

  static HRESULT text_result(const std::string& text, VARIANT* result) {
    result->vt = VT_BSTR;
    result->bstrVal = wide_bstr(text);
    return S_OK;
  }

  std::string child_path(const std::string& relative) const { return path_ + "/" + relative; }

  HRESULT get_object(const std::string& class_name, const std::string& relative, VARIANT* result) {
    const MetabaseNode* node = server_->metabase().find(child_path(relative));
    if (node == nullptr || !same_text_ignoring_case(node->class_name, class_name)) return kPathNotFound;
    result->vt = VT_DISPATCH;
    result->pdispVal = new Key(server_, node->path, node->class_name, true);
    return S_OK;
  }

  HRESULT create(const std::string& class_name, const std::string& relative, VARIANT* result) {
    if (server_->metabase().find(child_path(relative)) != nullptr) return kAlreadyExists;
    result->vt = VT_DISPATCH;
    result->pdispVal = new Key(server_, child_path(relative), class_name, false);
    return S_OK;
  }

  HRESULT remove(const std::string& class_name, const std::string& relative) {
    const MetabaseNode* node = server_->metabase().find(child_path(relative));
    if (node == nullptr || !same_text_ignoring_case(node->class_name, class_name)) return kPathNotFound;
    server_->metabase().remove_tree(child_path(relative));
    server_->save();
    return S_OK;
  }

  // The key as committed; a key made by Create exists only after SetInfo.
  MetabaseNode* node() const { return committed_ ? server_->metabase().find(path_) : nullptr; }

  HRESULT set_info() {
    Metabase& metabase = server_->metabase();
    if (!committed_) {
      if (metabase.find(path_) != nullptr) return kAlreadyExists;
      MetabaseNode& made = metabase.add(path_, class_name_);
      // What IIS gives every new site.
      if (is("IIsWebServer")) {
        made.set("AnonymousUserName", "IUSR_METABASE");
        made.set("Status", std::to_string(kStopped));
      }
      committed_ = true;
    }
    MetabaseNode* target = node();
    if (target == nullptr) return kPathNotFound;
    for (const auto& [name, value] : cache_) {
      if (name == "EnabledExtensions" || name == "EnabledFiles") {
        const std::string before = target->get(name).value_or("");
        target->set(name, before.empty() ? value : before + ";" + value);
      } else {
        target->set(name, value);
      }
    }
    cache_.clear();
    server_->save();
    return S_OK;
  }

  HRESULT get(std::size_t index, VARIANT* result) {
    const std::string name = property_name(index);
    std::optional<std::string> value;
    for (const auto& [cached, text] : cache_)
      if (same_text_ignoring_case(cached, name)) value = text;
    if (!value && node() != nullptr) value = node()->get(name);
    if (!value) return kPropertyNotFound;
    typed_value(kProperties[index].type, *value, result);
    return S_OK;
  }

  HRESULT put(std::size_t index, const VARIANT& value) {
    if (kProperties[index].read_only) return E_ACCESSDENIED;
    const std::optional<std::string> text = stored_text(kProperties[index].type, value);
    if (!text) return DISP_E_TYPEMISMATCH;
    cache(property_name(index), *text);
    return S_OK;
  }

  void cache(const std::string& name, const std::string& value) {
    for (auto& [cached, text] : cache_)
      if (same_text_ignoring_case(cached, name)) {
        text = value;
        return;
      }
    cache_.emplace_back(name, value);
  }

  HRESULT control(Member action) {
    MetabaseNode* site = node();
    if (site == nullptr || !is("IIsWebServer")) return DISP_E_MEMBERNOTFOUND;
    const long status = std::strtol(site->get("Status").value_or("4").c_str(), nullptr, 10);
    long next = status;
    switch (action) {
      case kStart: next = kStarted; break;
      case kStop: next = kStopped; break;
      case kPause:
        if (status != kStarted) return kNotActive;
        next = kPaused;
        break;
      case kContinue:
        if (status != kPaused && status != kStarted) return kNotActive;
        next = kStarted;
        break;
      default: return DISP_E_MEMBERNOTFOUND;
    }
    site->set("Status", std::to_string(next));
    server_->save();
    return S_OK;
  }

  HRESULT app_create(const std::vector<VARIANT>& arguments) {
    if (!is("IIsWebVirtualDir")) return DISP_E_MEMBERNOTFOUND;
    if (arguments.size() != 1) return DISP_E_BADPARAMCOUNT;
    const std::optional<long> mode = number_of(arguments[0]);
    if (!mode || *mode < 0 || *mode > 2) return E_INVALIDARG;
    cache("AppIsolated", std::to_string(*mode));
    cache("AppRoot", "/LM/" + path_);
    return S_OK;
  }

  HRESULT enable(const char* list, const std::vector<std::string>& texts) {
    if (!is("IIsWebService")) return DISP_E_MEMBERNOTFOUND;
    if (texts.size() != 1) return DISP_E_BADPARAMCOUNT;
    cache(list, texts[0]);
    return S_OK;
  }

  std::shared_ptr<Server> server_;
  std::string path_;
  std::string class_name_;
  bool committed_;
  std::vector<std::pair<std::string, std::string>> cache_;
};

// ---------------------------------------------------------------------------
// "IISNamespace".

class Namespace : public Dispatch<IDispatch> {
 public:
  explicit Namespace(std::shared_ptr<Server> server) : server_(std::move(server)) {}

 protected:
  HRESULT perform(DISPID id, WORD, const std::vector<VARIANT>& arguments, VARIANT* result) override {
    std::vector<std::string> texts;
    for (const VARIANT& argument : arguments) texts.push_back(text_of(argument).value_or("<object>"));
    server_->log("IISNamespace", id == kGetObject ? "GetObject" : "?", texts);
    if (id != kGetObject) return DISP_E_MEMBERNOTFOUND;
    if (texts.size() != 2 || !same_text_ignoring_case(texts[0], "IIsWebService") ||
        !same_text_ignoring_case(texts[1], "localhost/w3svc"))
      return kPathNotFound;
    const MetabaseNode* service = server_->metabase().find("W3SVC");
    if (service == nullptr) return kPathNotFound;
    result->vt = VT_DISPATCH;
    result->pdispVal = new Key(server_, service->path, service->class_name, true);
    return S_OK;
  }

 private:
  std::shared_ptr<Server> server_;
};

// ---------------------------------------------------------------------------
// The class factory and the library's exports.

class Factory : public Unknown<IClassFactory> {
 public:
  explicit Factory(CLSID made) : made_(made) {}
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    IDispatch* created = nullptr;
    if (made_ == kMimeMapClass) {
      created = new MimeEntry();
    } else {
      // The process environment, not the C library's copy of it: a test sets
      // the variable after its start.
      char file[MAX_PATH] = {};
      const DWORD length = GetEnvironmentVariableA(qm::test::kMetabaseVariable, file, MAX_PATH);
      if (length == 0 || length >= MAX_PATH) return E_FAIL;
      created = new Namespace(std::make_shared<Server>(file));
    }
    const HRESULT outcome = created->QueryInterface(iid, object);
    created->Release();
    return outcome;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 protected:
  bool accepts(REFIID iid) const override { return iid == IID_IClassFactory; }

 private:
  CLSID made_;
};

}  // namespace

extern "C" __declspec(dllexport) HRESULT __stdcall DllGetClassObject(REFCLSID class_id, REFIID iid, void** object) {
  *object = nullptr;
  if (class_id != kNamespaceClass && class_id != kMimeMapClass) return CLASS_E_CLASSNOTAVAILABLE;
  Factory* factory = new Factory(class_id);
  const HRESULT outcome = factory->QueryInterface(iid, object);
  factory->Release();
  return outcome;
}

// The tests load and unload the server many times in one process; it stays.
extern "C" __declspec(dllexport) HRESULT __stdcall DllCanUnloadNow() { return S_FALSE; }
