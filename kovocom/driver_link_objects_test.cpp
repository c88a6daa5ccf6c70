// PlaceholderObject, DriverLinkObject and DriverLinkExObject.
#include <functional>
#include <vector>

#include "kovocom/server_fixture.h"
#include "platform/selector_table.h"

namespace kovocom {
namespace {

using namespace platform;

using DriverLinkObjectsTest = ServerTest;

TEST_F(DriverLinkObjectsTest, PlaceholderAnswersWithoutCallingThePartner) {
  Partner().SetResult(kOpenPlaceholderLink, 0x5A5A0001);
  IPlaceholder* placeholder = Create<IPlaceholder>(IID_IPlaceholder);
  ASSERT_NE(placeholder, nullptr);
  Partner().ClearCalls();
  EXPECT_EQ(placeholder->Reserved3(1, 2, 3), 0);
  EXPECT_EQ(placeholder->Reserved4(1, 2, 3), 0);
  EXPECT_EQ(placeholder->Reserved5(), 0);
  DWORD out = 0xFFFFFFFF;
  EXPECT_EQ(placeholder->Reserved6(&out), 1);
  EXPECT_EQ(out, 0u);
  EXPECT_EQ(placeholder->Reserved6(nullptr), 1);
  EXPECT_EQ(placeholder->Reserved7(9), 0);
  EXPECT_EQ(placeholder->Reserved8(9), 0);
  EXPECT_EQ(placeholder->Reserved9(), 0);
  EXPECT_EQ(placeholder->Reserved10(), 0);
  EXPECT_EQ(placeholder->Reserved11(), 0);
  EXPECT_TRUE(Partner().Calls().empty());

  EXPECT_EQ(placeholder->Release(), 0u);
  std::vector<PartnerCall> calls = Partner().Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].entry, kClosePlaceholderLink);
  EXPECT_EQ(calls[0].raw[0], 0x5A5A0001u);
}

TEST_F(DriverLinkObjectsTest, RequestsPassTheLinkAndArgumentsAndReturnTheResultUnchanged) {
  // Open entries without arguments hand back their full 32-bit value.
  constexpr DWORD kLink = 0xFEDC0003;
  constexpr DWORD kLinkEx = 0x80000009;
  Partner().SetResult(kOpenDriverLink, kLink);
  Partner().SetResult(kOpenDriverLinkEx, kLinkEx);
  IDriverLink* link = Create<IDriverLink>(IID_IDriverLink);
  IDriverLinkEx* linkEx = Create<IDriverLinkEx>(IID_IDriverLinkEx);
  ASSERT_NE(link, nullptr);
  ASSERT_NE(linkEx, nullptr);

  char record[8] = "first";
  char second[8] = "second";
  struct Case {
    const char* what;
    std::function<HRESULT()> call;
    DWORD entry;
    DWORD handle;
    const void* pointers[3];  // expected flat pointers by position
    DWORD values[3];          // expected values where no pointer is expected
  } cases[] = {
      {"Link::Request7",
       [&] { return link->Request7(record); },
       kRequest7,
       kLink,
       {nullptr, record},
       {}},
      {"Link::Request6",
       [&] { return link->Request6(0xCAFEF00D); },
       kRequest6,
       kLink,
       {},
       {0, 0xCAFEF00D}},
      {"LinkEx::Request5",
       [&] { return linkEx->Request5(record, second); },
       kRequest5,
       kLinkEx,
       {nullptr, record, second},
       {}},
      {"LinkEx::Request4",
       [&] { return linkEx->Request4(record, 0x87654321); },
       kRequest4,
       kLinkEx,
       {nullptr, record},
       {0, 0, 0x87654321}},
      {"LinkEx::Request7",
       [&] { return linkEx->Request7(second); },
       kRequest7,
       kLinkEx,
       {nullptr, second},
       {}},
      {"LinkEx::Request6", [&] { return linkEx->Request6(7); }, kRequest6, kLinkEx, {}, {0, 7}},
  };
  DWORD answer = 0x80040000;
  for (const Case& c : cases) {
    Partner().ClearCalls();
    Partner().SetResult(c.entry, ++answer);
    EXPECT_EQ(static_cast<DWORD>(c.call()), answer) << c.what;
    EXPECT_EQ(SelectorsInUse(), ConnectedSelectors()) << c.what << ": a mapping was kept";
    std::vector<PartnerCall> calls = Partner().Calls();
    ASSERT_EQ(calls.size(), 1u) << c.what;
    const PartnerCall& call = calls[0];
    EXPECT_EQ(call.entry, c.entry) << c.what;
    EXPECT_TRUE(call.countAsScripted) << c.what;
    EXPECT_EQ(call.raw[0], c.handle) << c.what;
    for (DWORD i = 1; i < call.count; ++i) {
      if (c.pointers[i] != nullptr) {
        EXPECT_EQ(call.flat[i], c.pointers[i]) << c.what << " argument " << i;
        EXPECT_NE(call.raw[i], 0u) << c.what;
      } else {
        EXPECT_EQ(call.raw[i], c.values[i]) << c.what << " argument " << i;
      }
    }
  }
  Partner().ClearCalls();
  link->Release();
  linkEx->Release();
  std::vector<PartnerCall> calls = Partner().Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].entry, kCloseDriverLink);
  EXPECT_EQ(calls[0].raw[0], kLink);
  EXPECT_EQ(calls[1].entry, kCloseDriverLinkEx);
  EXPECT_EQ(calls[1].raw[0], kLinkEx);
}

}  // namespace
}  // namespace kovocom
