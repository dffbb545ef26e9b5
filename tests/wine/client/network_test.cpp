// Network through COM with the real wsock32.dll. Only names this machine
// answers itself: "localhost", its own name, dotted addresses, and the
// reserved .invalid domain for names that do not resolve (the test runner
// keeps those lookups from reaching any DNS server).
#include <gtest/gtest.h>
#include <winsock.h>

#include <cstring>
#include <string>

#include "tests/wine/client/client_support.h"

namespace tarn::client {
namespace {

ComPtr<_Network> NewNetwork() { return CreateFromDll<_Network>(CLSID_Network); }

std::wstring Widen(const char* text) { return std::wstring(text, text + std::strlen(text)); }

std::wstring Dotted(const unsigned char* bytes) {
  return std::to_wstring(bytes[0]) + L"." + std::to_wstring(bytes[1]) + L"." + std::to_wstring(bytes[2]) + L"." +
         std::to_wstring(bytes[3]);
}

// The platform's own answers, asked here directly of wsock32, which shares
// the process's start-up count with every other user of Windows Sockets.
class PlatformWinSock {
 public:
  PlatformWinSock() : module_(LoadLibraryA("wsock32.dll")) {}
  ~PlatformWinSock() { FreeLibrary(module_); }

  template <typename Function>
  Function Get(const char* name) const {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

  // True when a start-up is still outstanding in this process: WSACleanup
  // succeeds only then (and takes that start-up back).
  bool StartUpOutstanding() const { return Get<decltype(&::WSACleanup)>("WSACleanup")() == 0; }

  std::string HostName() const {
    WSADATA data{};
    Get<decltype(&::WSAStartup)>("WSAStartup")(0x0101, &data);
    char name[256] = {};
    Get<decltype(&::gethostname)>("gethostname")(name, sizeof name);
    Get<decltype(&::WSACleanup)>("WSACleanup")();
    return name;
  }

  // The first address of `name`, dotted; empty when it has none.
  std::wstring FirstAddress(const std::string& name) const {
    WSADATA data{};
    Get<decltype(&::WSAStartup)>("WSAStartup")(0x0101, &data);
    const hostent* entry = Get<decltype(&::gethostbyname)>("gethostbyname")(name.c_str());
    std::wstring dotted;
    if (entry && entry->h_addr_list[0]) dotted = Dotted(reinterpret_cast<const unsigned char*>(entry->h_addr_list[0]));
    Get<decltype(&::WSACleanup)>("WSACleanup")();
    return dotted;
  }

 private:
  HMODULE module_;
};

std::wstring CallGetIp(_Network* network, const wchar_t* name, HRESULT* hr = nullptr) {
  Bstr result;
  const HRESULT got = network->GetIp(
      name ? Bstr(std::u16string_view(reinterpret_cast<const char16_t*>(name))).get() : nullptr, result.put());
  if (hr) *hr = got;
  return Text(result.get());
}

std::wstring CallHostByAddr(_Network* network, const wchar_t* address) {
  Bstr result;
  EXPECT_EQ(
      network->HostByAddr(Bstr(std::u16string_view(reinterpret_cast<const char16_t*>(address))).get(), result.put()),
      S_OK)
      << address;
  return Text(result.get());
}

TEST(Network, GetIpOfLocalNamesAndOfTheMachineItself) {
  auto network = NewNetwork();
  ASSERT_TRUE(network);
  const PlatformWinSock platform;
  const std::string own_name = platform.HostName();
  ASSERT_FALSE(own_name.empty());
  const std::wstring own_address = platform.FirstAddress(own_name);
  ASSERT_FALSE(own_address.empty()) << "the machine's own name does not resolve here";

  EXPECT_EQ(CallGetIp(network.Get(), L"localhost"), L"127.0.0.1");
  EXPECT_EQ(CallGetIp(network.Get(), Widen(own_name.c_str()).c_str()), own_address);
  EXPECT_EQ(CallGetIp(network.Get(), nullptr), own_address);  // omitted through the v-table
  EXPECT_EQ(CallGetIp(network.Get(), L""), own_address);
  EXPECT_FALSE(platform.StartUpOutstanding());
}

TEST(Network, GetIpWritesAddressBytesUnsigned) {
  auto network = NewNetwork();
  ASSERT_TRUE(network);
  // A dotted address resolves to itself, without asking any name service.
  for (const wchar_t* address : {L"192.168.1.200", L"10.0.0.1", L"255.254.128.0", L"172.16.0.255"}) {
    EXPECT_EQ(CallGetIp(network.Get(), address), address) << address;
  }
}

TEST(Network, GetIpOfNamesThatDoNotResolveAndOfNamesTooLong) {
  auto network = NewNetwork();
  ASSERT_TRUE(network);
  const PlatformWinSock platform;
  const std::wstring longest = std::wstring(56, L'a') + L".invalid";
  ASSERT_EQ(longest.size(), 64u);
  HRESULT hr = E_FAIL;
  EXPECT_EQ(CallGetIp(network.Get(), L"nowhere.invalid", &hr), L"");
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(CallGetIp(network.Get(), longest.c_str(), &hr), L"");
  EXPECT_EQ(hr, S_OK);

  Bstr result(u"stale");
  EXPECT_EQ(network->GetIp(Bstr(u"b" + std::u16string(longest.begin(), longest.end())).get(), result.put()),
            static_cast<HRESULT>(0x800A0005));
  EXPECT_EQ(result.get(), nullptr);
  const ErrorInfoSnapshot error = TakeErrorInfo();
  EXPECT_TRUE(error.present);
  EXPECT_EQ(error.description, L"Invalid procedure call or argument");
  EXPECT_EQ(error.source, L"TarnLib");
  // The error ended the lookup after Windows Sockets was started; it was
  // cleaned up all the same.
  EXPECT_FALSE(platform.StartUpOutstanding());
}

TEST(Network, HostByAddrAnswersTheResolversNameOrNothing) {
  auto network = NewNetwork();
  ASSERT_TRUE(network);
  const PlatformWinSock platform;
  EXPECT_EQ(CallHostByAddr(network.Get(), L"127.0.0.1"), L"localhost");
  // An address reserved for documentation, in no hosts file.
  EXPECT_EQ(CallHostByAddr(network.Get(), L"198.51.100.7"), L"");
  // Not an address: looked up as 255.255.255.255, which has no name here.
  EXPECT_EQ(CallHostByAddr(network.Get(), L"not an address"), L"");
  EXPECT_FALSE(platform.StartUpOutstanding());
}

TEST(Network, ThroughIDispatchWithTheNameGivenOrOmitted) {
  auto network = NewNetwork();
  ASSERT_TRUE(network);
  const PlatformWinSock platform;
  const std::wstring own_address = platform.FirstAddress(platform.HostName());
  const struct {
    const wchar_t* member;
    std::initializer_list<VARIANT> args;
    std::wstring expected;
  } rows[] = {
      {L"GetIp", {BstrArg(L"localhost")}, L"127.0.0.1"},
      {L"GetIp", {}, own_address},
      {L"GetIp", {MissingArg()}, own_address},
      {L"GetIp", {BstrArg(L"")}, own_address},
      {L"HostByAddr", {BstrArg(L"127.0.0.1")}, L"localhost"},
  };
  int row_number = 0;
  for (const auto& row : rows) {
    ++row_number;
    Variant result;
    EXCEPINFO exception{};
    EXPECT_EQ(InvokeByName(network.Get(), row.member, DISPATCH_METHOD, row.args, result.get(), &exception), S_OK)
        << "row " << row_number;
    ASSERT_EQ(V_VT(result.get()), VT_BSTR) << "row " << row_number;
    EXPECT_EQ(Text(V_BSTR(result.get())), row.expected) << "row " << row_number;
    for (VARIANT arg : row.args) VariantClear(&arg);
  }

  Variant result;
  EXCEPINFO exception{};
  VARIANT too_long = BstrArg(std::wstring(65, L'x').c_str());
  EXPECT_EQ(InvokeByName(network.Get(), L"GetIp", DISPATCH_METHOD, {too_long}, result.get(), &exception),
            DISP_E_EXCEPTION);
  VariantClear(&too_long);
  EXPECT_EQ(exception.scode, static_cast<SCODE>(0x800A0005));
  EXPECT_EQ(Text(exception.bstrDescription), L"Invalid procedure call or argument");
  ReleaseException(exception);
}

TEST(Network, SupportsErrorInfoAndLetsTheModuleUnload) {
  {
    auto network = NewNetwork();
    ASSERT_TRUE(network);
    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(network.As(&support), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID__Network), S_OK);
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

}  // namespace
}  // namespace tarn::client
