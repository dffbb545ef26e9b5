// A Windows Sockets stand-in for native tests: answers from tables, injects
// failures, counts start-ups and clean-ups, and hands out host entries in
// buffers of exactly their size, so that a read past a name or an address
// shows up under the address sanitizer.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "network/winsock_api.h"

namespace tarn::testing {

class FakeWinSock final : public WinSockApi {
 public:
  // What WSAStartup answers and agrees to.
  int32_t startup_result = 0;
  WinSockStartupData agreed{0x0101, 32767};
  int32_t cleanup_result = 0;
  int32_t last_error = 0;

  // What gethostname answers; `local_name` bytes are written as they are, with
  // a NUL after them when there is room.
  int32_t host_name_result = 0;
  std::string local_name = "fakehost";

  // Names and their addresses; addresses and their official names (the raw
  // bytes of the name, NUL included when the test wants one).
  std::map<std::string, std::vector<Ipv4Bytes>> hosts;
  std::map<Ipv4Bytes, std::string> names;
  // Texts inet_addr understands; any other text gives all bits set.
  std::map<std::string, Ipv4Bytes> addresses;

  int startups = 0;  // successful ones
  int cleanups = 0;
  int last_error_calls = 0;
  std::vector<std::string> names_looked_up;
  std::vector<Ipv4Bytes> addresses_looked_up;
  std::vector<std::u16string> traces;

  int32_t Startup(uint16_t requested_version, WinSockStartupData& data) override {
    requested = requested_version;
    if (startup_result != 0) return startup_result;
    ++startups;
    data = agreed;
    return 0;
  }
  int32_t Cleanup() override {
    ++cleanups;
    return cleanup_result;
  }
  int32_t LastError() override {
    ++last_error_calls;
    return last_error;
  }
  int32_t GetHostName(char* buffer, int32_t length) override {
    const size_t room = static_cast<size_t>(length);
    std::memcpy(buffer, local_name.data(), std::min(room, local_name.size()));
    if (local_name.size() < room) buffer[local_name.size()] = '\0';
    return host_name_result;
  }
  std::optional<HostEntry> HostByName(const char* name) override {
    names_looked_up.emplace_back(name);
    const auto found = hosts.find(name);
    if (found == hosts.end()) return std::nullopt;
    address_bytes_.clear();
    address_list_.clear();
    for (const Ipv4Bytes& address : found->second) {
      address_bytes_.push_back(std::make_unique<char[]>(address.size()));
      std::memcpy(address_bytes_.back().get(), address.data(), address.size());
      address_list_.push_back(address_bytes_.back().get());
    }
    address_list_.push_back(nullptr);
    return HostEntry{nullptr, address_list_.data()};
  }
  Ipv4Bytes InetAddr(const char* text) override {
    const auto found = addresses.find(text);
    return found == addresses.end() ? Ipv4Bytes{255, 255, 255, 255} : found->second;
  }
  std::optional<HostEntry> HostByAddr(const Ipv4Bytes& address) override {
    addresses_looked_up.push_back(address);
    const auto found = names.find(address);
    if (found == names.end()) return std::nullopt;
    name_bytes_ = std::make_unique<char[]>(found->second.size());
    std::memcpy(name_bytes_.get(), found->second.data(), found->second.size());
    return HostEntry{name_bytes_.get(), nullptr};
  }
  void Trace(std::u16string_view message) override { traces.emplace_back(message); }

  uint16_t requested = 0;

 private:
  std::vector<std::unique_ptr<char[]>> address_bytes_;
  std::vector<const char*> address_list_;
  std::unique_ptr<char[]> name_bytes_;
};

}  // namespace tarn::testing
