// Soak figures under Wine: private bytes and handles after each block of
// create/call/release rounds, per class and for raised errors, and the slope
// once warmed up; then the same for loading and unloading the DLL, and the
// speed of a long GetRndString. Prints figures; asserts nothing.
//
//   tarnlib_soak_bench [ROUNDS_PER_BLOCK [BLOCKS [ROW]]]   (default 10000 6, every row)
// ROW: run only the rows whose name starts with it ("raised", "load", "GetRndString").
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "tests/wine/lifetime/late_calls.h"
#include "tests/wine/lifetime/process_resources.h"

using namespace tarn::lifetime;

namespace {

bool Round(const wchar_t* prog_id, const std::function<bool(IDispatch*)>& calls) {
  IDispatch* object = Create(prog_id);
  if (!object) return false;
  const bool ok = calls(object);
  object->Release();
  return ok;
}

struct Row {
  const char* name;
  std::function<bool()> round;
  int rounds_scale;  // divides the rounds per block (loading the DLL is slower)
};

void Soak(const Row& row, int rounds, int blocks) {
  rounds /= row.rounds_scale;
  ProcessResources first{};
  ProcessResources last{};
  int failed = 0;
  std::printf("%-16s", row.name);
  for (int b = 0; b < blocks; ++b) {
    for (int i = 0; i < rounds; ++i) {
      if (!row.round()) ++failed;
    }
    const ProcessResources r = Measure();
    if (b == 1) first = r;  // block 0 is the warm-up
    last = r;
    std::printf(" %7.1fK/%ld", static_cast<double>(r.private_bytes) / 1024.0, r.handles);
  }
  const double per = 10000.0 / (static_cast<double>(rounds) * (blocks - 2));
  std::printf(" | slope per 10,000: %+.1f KB, %+.1f handles, %+.1f TLS slots%s\n",
              static_cast<double>(last.private_bytes - first.private_bytes) / 1024.0 * per,
              static_cast<double>(last.handles - first.handles) * per,
              static_cast<double>(first.tls_free - last.tls_free) * per, failed ? " (some calls failed)" : "");
}

void LongRandomText(long length) {
  IDispatch* strings = Create(L"TarnLib.StringFunction");
  if (!strings) return;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const Outcome got = Call(strings, L"GetRndString", {Long(length)});
  QueryPerformanceCounter(&end);
  const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  std::printf("GetRndString(%ld): %s in %.3f s, %.0f MB/s of result\n", length, SUCCEEDED(got.hr) ? "drawn" : "failed",
              seconds, length * 2.0 / 1e6 / seconds);
  strings->Release();
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int blocks = argc > 2 ? std::atoi(argv[2]) : 6;
  const std::string only = argc > 3 ? argv[3] : "";
  auto wanted = [&only](const char* name) { return std::string(name).rfind(only, 0) == 0; };
  if (rounds < 10 || blocks < 3) return 2;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::printf("%d-bit process; %d blocks of %d create/call/release rounds; after each block: private KB/handles\n",
              static_cast<int>(sizeof(void*) * 8), blocks, rounds);
  // One object held keeps the DLL loaded, except in the last row.
  IDispatch* holder = Create(L"TarnLib.TimeUtility");
  if (!holder) {
    std::printf("cannot create TarnLib objects: is the DLL registered?\n");
    return 1;
  }
  const Row rows[] = {
      {"StringFunction",
       [] {
         return Round(L"TarnLib.StringFunction", [](IDispatch* s) {
           return SUCCEEDED(Call(s, L"ReplaceString", {Str(L"one two one"), Str(L"one"), Str(L"three")}).hr) &&
                  SUCCEEDED(Call(s, L"InStrEx", {Long(-1), Str(L"abcabc"), Str(L"b")}).hr) &&
                  SUCCEEDED(Call(s, L"GetRndString", {Long(16)}).hr);
         });
       },
       1},
      {"ExCollection",
       [] {
         return Round(L"TarnLib.ExCollection", [](IDispatch* c) {
           return SUCCEEDED(Call(c, L"Add", {Str(L"one"), Str(L"k1")}).hr) &&
                  SUCCEEDED(Call(c, L"Add", {Str(L"two"), Str(L"k2")}).hr) &&
                  SUCCEEDED(Call(c, L"Key", {Long(2)}).hr) && SUCCEEDED(Call(c, L"Remove", {Str(L"k1")}).hr);
         });
       },
       1},
      {"Network",
       [] {
         return Round(L"TarnLib.Network",
                      [](IDispatch* n) { return SUCCEEDED(Call(n, L"GetIp", {Str(L"127.0.0.1")}).hr); });
       },
       1},
      {"TimeUtility",
       [] {
         return Round(L"TarnLib.TimeUtility", [](IDispatch* t) {
           return SUCCEEDED(Call(t, L"UltimoMese", {Long(2), Long(2024)}).hr) &&
                  SUCCEEDED(Call(t, L"isLeapYear", {Long(2000)}).hr);
         });
       },
       1},
      {"CRegSettings",
       [] {
         return Round(L"TarnLib.CRegSettings", [](IDispatch* r) {
           return SUCCEEDED(Call(r, L"GetSetting", {Str(L"TarnSoakNone"), Str(L"none"), Str(L"d")}).hr);
         });
       },
       1},
      {"GeneralUtility",
       [] {
         return Round(L"TarnLib.GeneralUtility", [](IDispatch* g) {
           return SUCCEEDED(Call(g, L"GetFileName", {Str(L"C:\\a\\b.txt")}).hr) &&
                  SUCCEEDED(Call(g, L"FileExists", {Str(L"C:\\windows\\win.ini")}).hr);
         });
       },
       1},
      {"raised errors",
       [] {
         return Round(L"TarnLib.StringFunction",
                      [](IDispatch* s) {
                        return Call(s, L"GetRndString", {Long(5), Str(L"")}).raised();
                      }) &&
                Round(L"TarnLib.ExCollection",
                      [](IDispatch* c) { return Call(c, L"Remove", {Str(L"missing")}).raised(); });
       },
       1},
  };
  for (const Row& row : rows) {
    if (wanted(row.name)) Soak(row, rounds, blocks);
  }
  holder->Release();
  CoFreeUnusedLibrariesEx(0, 0);
  // The DLL loaded by the first creation and unloaded after every round.
  if (wanted("load-use-unload")) {
    Soak({"load-use-unload",
          [] {
            const bool ok = UseWithRaisedError();
            CoFreeUnusedLibrariesEx(0, 0);
            return ok;
          },
          10},
         rounds, blocks);
  }
  if (wanted("GetRndString")) {
    LongRandomText(16L * 1024 * 1024);
    if (sizeof(void*) == 8) LongRandomText(0x3FFFFFFFL);
  }
  CoUninitialize();
  return 0;
}
