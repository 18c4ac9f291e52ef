// A plug-in library for the tests. RunTimeExecute does what the first word of
// its parameter text asks; the result is the store text it was given, with
// variables appended as NAME,VALUE pairs where noted.
//
//   append NAME=VALUE   appends NAME,VALUE
//   inspect             appends PARAMETER (the whole parameter text) and
//                       WINDOW (the window handle, in decimal)
//   empty               the empty result
//   shorter             announces 50 bytes more than it then writes
//   no-terminator       fills the terminator's place with a non-zero byte
//   fail                -1 from the first call
//   fail-second         a length from the first call, -1 from the second
//   crash-first         an access violation in the first call
//   crash-second        an access violation in the second call
//   crash-nested        an access violation under an exception registration
//                       of its own, which counts the unwinds it sees
//                       (test_plugin_unwind_count)
//   raise               a non-continuable exception, as an uncaught C++
//                       exception of another compiler raises it
//   recurse             a stack overflow
//   overrun             announces 4 bytes, then writes a megabyte
//   huge                announces nearly 2 GB
//   progress N          reports N steps ("step 1", ...), stopping when the
//                       callback answers 0; appends REPORTS (steps answered 1)
//   progress-odd        reports position -5 with a null text, then 250 with
//                       "high"; appends ANSWERS (the two answers)
//   progress-thread     reports 30 "from another thread" from a thread of its own
//   wait-for-cancel     reports 50 "waiting" until the callback answers 0;
//                       appends CANCELLED (FALSE when it gave up after a minute)
//   dump FILE           writes the store text it was given to FILE in the
//                       folder that the store's EXEDIR names (end-to-end
//                       tests read a real setup's variables so)
// Anything else fails (-1).
//
// The work is done by the first call, as real plug-ins do it; the second only
// copies the result.
#include <windows.h>
#include <excpt.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Progress = int(__stdcall*)(int position, const char* text);

std::string g_result;
volatile LONG g_unwinds = 0;

std::string quoted(const std::string& item) {
  bool plain = !item.empty();
  for (char c : item)
    if (static_cast<unsigned char>(c) <= 32 || c == '"' || c == ',') plain = false;
  if (plain) return item;
  std::string out = "\"";
  for (char c : item) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string with_variable(const std::string& store, const std::string& name, const std::string& value) {
  return store + (store.empty() ? "" : ",") + quoted(name) + "," + quoted(value);
}

// The items of comma text: quoted items with doubled inner quotes, or plain.
std::vector<std::string> comma_items(const std::string& text) {
  std::vector<std::string> items;
  std::size_t at = 0;
  while (at <= text.size()) {
    std::string item;
    if (at < text.size() && text[at] == '"') {
      for (++at; at < text.size(); ++at) {
        if (text[at] == '"' && (at + 1 >= text.size() || text[at + 1] != '"')) break;
        if (text[at] == '"') ++at;
        item += text[at];
      }
      ++at;
    } else {
      while (at < text.size() && text[at] != ',') item += text[at++];
    }
    items.push_back(item);
    if (at >= text.size()) break;
    ++at;  // the comma
  }
  return items;
}

bool dump_store(const std::string& store, const std::string& file_name) {
  const std::vector<std::string> items = comma_items(store);
  std::string folder;
  for (std::size_t i = 0; i + 1 < items.size(); i += 2)
    if (items[i] == "EXEDIR") folder = items[i + 1];
  if (folder.empty()) return false;
  HANDLE file = CreateFileA((folder + file_name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL wrote = WriteFile(file, store.data(), static_cast<DWORD>(store.size()), &written, nullptr);
  CloseHandle(file);
  return wrote && written == store.size();
}

void crash() {
  volatile int* volatile nowhere = nullptr;
  *nowhere = 1;
}

EXCEPTION_DISPOSITION __cdecl count_unwinds(EXCEPTION_RECORD* exception, void*, CONTEXT*, void*) {
  if (exception->ExceptionFlags & EXCEPTION_UNWINDING) InterlockedIncrement(&g_unwinds);
  return ExceptionContinueSearch;
}

struct Registration {
  Registration* next;
  void* handler;
};

// What a __try/__finally of a library built with another compiler leaves on
// the chain when something inside it faults.
__attribute__((noinline)) void crash_under_own_registration() {
  Registration record{nullptr, reinterpret_cast<void*>(&count_unwinds)};
  asm volatile("movl %%fs:0, %0" : "=r"(record.next));
  asm volatile("movl %0, %%fs:0" : : "r"(&record) : "memory");
  crash();
  asm volatile("movl %0, %%fs:0" : : "r"(record.next) : "memory");
}

__attribute__((noinline)) int recurse(int depth) {
  volatile char block[4096];
  block[0] = static_cast<char>(depth);
  if (depth == 0x7FFFFFFF) return 0;
  return recurse(depth + 1) + block[0];
}

int deliver(const std::string& text, char* buffer) {
  if (buffer != nullptr) std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<int>(text.size());
}

DWORD WINAPI report_from_thread(void* callback) {
  reinterpret_cast<Progress>(callback)(30, "from another thread");
  return 0;
}

// The first call's work; false when it fails.
bool work(const std::string& mode, const std::string& argument, const std::string& store, const std::string& parameter,
          HWND window, Progress progress) {
  if (mode == "append") {
    const std::size_t equals = argument.find('=');
    const std::string value = equals == std::string::npos ? "" : argument.substr(equals + 1);
    g_result = with_variable(store, argument.substr(0, equals), value);
  } else if (mode == "inspect") {
    g_result = with_variable(with_variable(store, "PARAMETER", parameter), "WINDOW",
                             std::to_string(reinterpret_cast<UINT_PTR>(window)));
  } else if (mode == "empty") {
    g_result.clear();
  } else if (mode == "progress") {
    const int steps = std::stoi(argument);
    int answered = 0;
    for (int step = 1; step <= steps; ++step) {
      const std::string text = "step " + std::to_string(step);
      if (progress(step * 100 / steps, text.c_str()) == 0) break;
      ++answered;
    }
    g_result = with_variable(store, "REPORTS", std::to_string(answered));
  } else if (mode == "progress-odd") {
    const int low = progress(-5, nullptr);
    const int high = progress(250, "high");
    g_result = with_variable(store, "ANSWERS", std::to_string(low) + std::to_string(high));
  } else if (mode == "progress-thread") {
    HANDLE thread = CreateThread(nullptr, 0, report_from_thread, reinterpret_cast<void*>(progress), 0, nullptr);
    if (thread == nullptr) return false;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    g_result = store;
  } else if (mode == "wait-for-cancel") {
    // Gives up after a minute, so that a caller that never cancels sees a
    // wrong answer rather than a call that never returns.
    const ULONGLONG give_up = GetTickCount64() + 60000;
    bool cancelled = false;
    while (!cancelled && GetTickCount64() < give_up) {
      cancelled = progress(50, "waiting") == 0;
      if (!cancelled) Sleep(1);
    }
    g_result = with_variable(store, "CANCELLED", cancelled ? "TRUE" : "FALSE");
  } else if (mode == "dump") {
    if (!dump_store(store, argument)) return false;
    g_result = store;
  } else if (mode == "crash-first") {
    crash();
  } else if (mode == "crash-nested") {
    crash_under_own_registration();
  } else if (mode == "raise") {
    RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  } else if (mode == "recurse") {
    recurse(0);
  } else if (mode == "huge") {
    g_result = store;
  } else if (mode == "overrun") {
    g_result = "A,1";
  } else if (mode == "shorter" || mode == "no-terminator" || mode == "fail-second" || mode == "crash-second") {
    g_result = store;
  } else {
    return false;
  }
  return true;
}

}  // namespace

extern "C" __declspec(dllexport) int __stdcall RunTimeExecute(HWND window, const char* store, const char* parameter,
                                                              Progress progress, int* /*reserved*/, char* buffer) {
  const std::string text = parameter;
  const std::size_t blank = text.find(' ');
  const std::string mode = text.substr(0, blank);
  const std::string argument = blank == std::string::npos ? "" : text.substr(blank + 1);

  if (buffer == nullptr) {
    if (!work(mode, argument, store, parameter, window, progress)) return -1;
    if (mode == "shorter") return static_cast<int>(g_result.size()) + 50;
    if (mode == "huge") return 0x7FFFFFF0;
    return static_cast<int>(g_result.size());
  }
  if (mode == "fail-second") return -1;
  if (mode == "crash-second") crash();
  if (mode == "overrun") {
    std::memset(buffer, 'x', 1 << 20);
    return 4;
  }
  if (mode == "no-terminator") {
    std::memcpy(buffer, g_result.data(), g_result.size());
    buffer[g_result.size()] = 'x';
    return static_cast<int>(g_result.size());
  }
  return deliver(g_result, buffer);
}

// How many unwinds the registration of "crash-nested" has seen.
extern "C" __declspec(dllexport) LONG test_plugin_unwind_count() { return g_unwinds; }
