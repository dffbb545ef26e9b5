#include "network/host_lookup.h"

#include <gtest/gtest.h>

#include "network/fake_winsock.h"
#include "tests/native/error_of.h"
#include "tests/native/icu_text_services.h"
#include "tests/native/test_text.h"

namespace tarn {
namespace {

using testing::ErrorOf;
using testing::FakeWinSock;
using testing::Narrow;
using testing::TestTextServices;

// Every test ends with Windows Sockets cleaned up as often as it was started.
class HostLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    winsock.hosts["localhost"] = {{127, 0, 0, 1}};
    winsock.hosts["fakehost"] = {{192, 168, 1, 200}, {10, 0, 0, 1}};
    winsock.addresses["127.0.0.1"] = {127, 0, 0, 1};
    winsock.names[{127, 0, 0, 1}] = std::string("localhost\0", 10);
  }
  void TearDown() override { EXPECT_EQ(winsock.cleanups, winsock.startups); }

  std::u16string GetIp(std::u16string_view name) { return tarn::GetIp(winsock, TestTextServices(), name); }
  std::u16string HostByAddr(std::u16string_view address) {
    return tarn::HostByAddr(winsock, TestTextServices(), address);
  }

  FakeWinSock winsock;
};

TEST(FormatDottedAddress, WritesEachByteUnsignedWithoutPadding) {
  const struct {
    Ipv4Bytes bytes;
    const char16_t* text;
  } rows[] = {
      {{10, 0, 0, 1}, u"10.0.0.1"},
      {{192, 168, 1, 200}, u"192.168.1.200"},
      {{0, 0, 0, 0}, u"0.0.0.0"},
      {{255, 128, 127, 9}, u"255.128.127.9"},
  };
  for (const auto& row : rows) EXPECT_EQ(FormatDottedAddress(row.bytes), row.text) << Narrow(row.text);
}

TEST_F(HostLookup, GetIpAnswersTheFirstAddressOfTheNameGivenUnchanged) {
  EXPECT_EQ(GetIp(u"localhost"), u"127.0.0.1");
  EXPECT_EQ(GetIp(u"fakehost"), u"192.168.1.200");
  EXPECT_EQ(GetIp(u" localhost"), u"");  // not trimmed
  EXPECT_EQ(GetIp(u"nowhere.invalid"), u"");
  EXPECT_EQ(winsock.names_looked_up,
            (std::vector<std::string>{"localhost", "fakehost", " localhost", "nowhere.invalid"}));
  EXPECT_EQ(winsock.startups, 4);
}

TEST_F(HostLookup, GetIpTakesNamesUpToSixtyFourCharacters) {
  const std::u16string longest(64, u'a');
  winsock.hosts[std::string(64, 'a')] = {{10, 1, 2, 3}};
  EXPECT_EQ(GetIp(longest), u"10.1.2.3");
  std::u16string description;
  EXPECT_EQ(ErrorOf([&] { GetIp(longest + u"a"); }, &description), 5);
  EXPECT_EQ(description, u"Invalid procedure call or argument");
  EXPECT_EQ(winsock.names_looked_up.size(), 1u);  // the long name reached no resolver
  EXPECT_EQ(winsock.startups, 2);                 // the check comes after the start-up
}

TEST_F(HostLookup, GetIpWithoutANameLooksUpTheLocalMachine) {
  EXPECT_EQ(GetIp(u""), u"192.168.1.200");
  // A name that fills the whole field: nothing past the field is read.
  winsock.local_name = std::string(256, 'h');
  winsock.hosts[winsock.local_name] = {{10, 9, 8, 7}};
  EXPECT_EQ(GetIp(u""), u"10.9.8.7");
  EXPECT_EQ(winsock.names_looked_up, (std::vector<std::string>{"fakehost", std::string(256, 'h')}));
}

TEST_F(HostLookup, GetIpWhenTheLocalNameIsNotAvailableAnswersEmptyAndSaysWhy) {
  winsock.host_name_result = -1;
  winsock.local_name = "fakeh";  // what a failed call may leave behind
  winsock.last_error = 10050;
  EXPECT_EQ(GetIp(u""), u"");
  EXPECT_TRUE(winsock.names_looked_up.empty());
  EXPECT_EQ(winsock.last_error_calls, 1);
  ASSERT_EQ(winsock.traces.size(), 1u);
  EXPECT_NE(winsock.traces[0].find(u"The network subsystem has failed."), std::u16string::npos);
}

TEST_F(HostLookup, AnEmptyAddressListReadsAsNotFound) {
  winsock.hosts["empty"] = {};
  EXPECT_EQ(GetIp(u"empty"), u"");
}

TEST_F(HostLookup, StartUpAndCleanUpErrorsReachTheCaller) {
  winsock.startup_result = 10091;
  EXPECT_EQ(ErrorOf([&] { GetIp(u"localhost"); }), -2147161503);
  EXPECT_EQ(ErrorOf([&] { HostByAddr(u"127.0.0.1"); }), -2147161503);
  EXPECT_TRUE(winsock.names_looked_up.empty());
  EXPECT_TRUE(winsock.addresses_looked_up.empty());

  winsock.startup_result = 0;
  winsock.agreed.version = 0x0001;
  EXPECT_EQ(ErrorOf([&] { GetIp(u"localhost"); }), -2147161500);
  winsock.agreed = {0x0101, 0};
  EXPECT_EQ(ErrorOf([&] { HostByAddr(u"127.0.0.1"); }), -2147161499);
  EXPECT_TRUE(winsock.names_looked_up.empty());

  // A failed clean-up turns a lookup that found its answer into an error.
  winsock.agreed = {0x0101, 1};
  winsock.cleanup_result = -1;
  EXPECT_EQ(ErrorOf([&] { GetIp(u"localhost"); }), -2147161502);
  EXPECT_EQ(ErrorOf([&] { HostByAddr(u"127.0.0.1"); }), -2147161502);
  EXPECT_EQ(winsock.names_looked_up.size(), 1u);
}

TEST_F(HostLookup, HostByAddrAnswersTheOfficialNameAsTheResolverGivesIt) {
  winsock.addresses["192.0.2.200"] = {192, 0, 2, 200};
  winsock.names[{192, 0, 2, 200}] = std::string("Mixed.Case\xE8.example\0", 21);
  EXPECT_EQ(HostByAddr(u"127.0.0.1"), u"localhost");
  EXPECT_EQ(HostByAddr(u"192.0.2.200"), u"Mixed.Case\u00e8.example");
  EXPECT_EQ(HostByAddr(u"10.0.0.1"), u"");  // no name
}

TEST_F(HostLookup, HostByAddrLooksUpTextThatIsNoAddressAsAllOnes) {
  winsock.names[{255, 255, 255, 255}] = std::string("broadcast\0", 10);
  EXPECT_EQ(HostByAddr(u"localhost"), u"broadcast");
  EXPECT_EQ(winsock.addresses_looked_up, (std::vector<Ipv4Bytes>{{255, 255, 255, 255}}));
}

TEST_F(HostLookup, HostByAddrReadsNamesUpTo255BytesAndRejectsOnesWithoutAnEnd) {
  winsock.addresses["10.0.0.2"] = {10, 0, 0, 2};
  winsock.names[{10, 0, 0, 2}] = std::string(255, 'n') + '\0';
  EXPECT_EQ(HostByAddr(u"10.0.0.2"), std::u16string(255, u'n'));
  // Exactly 256 bytes and no NUL: the buffer ends there, so a read past it
  // would show under the address sanitizer.
  winsock.names[{10, 0, 0, 2}] = std::string(256, 'n');
  EXPECT_EQ(ErrorOf([&] { HostByAddr(u"10.0.0.2"); }), 5);
}

}  // namespace
}  // namespace tarn
