// How long a silent install of the demo product takes through the engine
// (setup.exe /s: the package read, the resources unpacked, the script run,
// the package prepared, Windows Installer, the engine cache written), against
// Windows Installer alone installing the same package with the same
// properties (msiexec /i ... /qn), in the same run. Reports the medians and
// the ratio; the goal is at most 1.15. Never fails on time.

#include <windows.h>
#include <msi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/stopwatch.h"
#include "platform/registry.h"
#include "script/text_lines.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr const char* kProductCode = "{6F1C2A0B-3D4E-4F50-8A61-72B3C4D5E6F7}";
constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sample Product";

std::string demo_folder() {
  const std::string path = qm::test::program_folder() + "..\\setups\\demo\\";
  char full[MAX_PATH] = {};
  GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return full;
}

double timed_run(const std::string& command_line, std::uint32_t& exit_code) {
  qm::bench::Stopwatch watch;
  exit_code = qm::test::run_and_wait(command_line);
  return watch.elapsed_ms();
}

// The properties the engine handed over, as the engine cache keeps them
// (one item a line, name then value), written as a command line's
// NAME="value" pairs.
std::string kept_properties(const std::string& par_file) {
  const std::vector<std::string> items = qm::split_lines(qm::test::read_file(par_file));
  std::string pairs;
  for (std::size_t i = 0; i + 1 < items.size(); i += 2) {
    std::string value;
    for (char c : items[i + 1]) value += c == '"' ? std::string("\"\"") : std::string(1, c);
    pairs += " " + items[i] + "=\"" + value + "\"";
  }
  return pairs;
}

std::string uninstall_command() {
  const auto key = qm::platform::RegistryKey::open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_READ);
  return key.read_string("UninstallString").value_or("");
}

bool quick() {
  char value[8] = {};
  return GetEnvironmentVariableA("QM_BENCH_QUICK", value, sizeof value) > 0 && value[0] == '1';
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  const std::string folder = demo_folder();
  const std::string setup = "\"" + folder + "setup.exe\"";
  const int rounds = quick() ? 1 : 5;
  std::vector<double> engine_ms, msiexec_ms;
  std::string properties;
  for (int round = 0; round <= rounds; ++round) {  // round 0 warms up
    std::uint32_t code = 0;
    const double engine = timed_run(setup + " /s", code);
    if (code != 0 || MsiQueryProductStateA(kProductCode) != INSTALLSTATE_DEFAULT) {
      std::printf("install_bench: setup.exe /s did not install the demo product (exit code %u)\n", code);
      return 1;
    }
    if (properties.empty()) {
      char cache[MAX_PATH] = {};
      const std::string uninstall = uninstall_command();
      const std::size_t end = uninstall.find('"', 1);
      if (uninstall.size() > 1 && end != std::string::npos)
        lstrcpynA(cache, uninstall.substr(1, end - 1).c_str(), MAX_PATH);
      std::string par = cache;
      par = par.substr(0, par.size() >= 4 ? par.size() - 4 : 0) + ".par";
      properties = kept_properties(par) + " ALLUSERS=1";
    }
    qm::test::run_and_wait(uninstall_command() + " /s");

    const std::string msiexec = "msiexec /i \"" + folder + "setup.msi\" /qn" + properties;
    const double alone = timed_run(msiexec, code);
    if (code != 0 || MsiQueryProductStateA(kProductCode) != INSTALLSTATE_DEFAULT) {
      std::printf("install_bench: msiexec did not install the demo product (exit code %u)\n", code);
      return 1;
    }
    qm::test::run_and_wait(std::string("msiexec /x ") + kProductCode + " /qn" + properties);
    if (round == 0) continue;
    engine_ms.push_back(engine);
    msiexec_ms.push_back(alone);
  }
  const double engine = median(engine_ms);
  const double alone = median(msiexec_ms);
  std::printf("silent install of the demo product: setup.exe /s %.0f ms, msiexec /i /qn %.0f ms (median of %d)\n",
              engine, alone, rounds);
  std::printf("ratio %.2f (goal: at most 1.15)\n", engine / alone);
  return 0;
}
