#include "kovocom/capture_board_object.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "kovocom/server_fixture.h"
#include "platform/selector_table.h"

namespace kovocom {
namespace {

using namespace platform;

constexpr DWORD kDriver = 0xD0000017;

class CaptureBoardObjectTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    board_ = Create<ICaptureBoard>(IID_ICaptureBoard);
    ASSERT_NE(board_, nullptr);
    Partner().SetResult(kOpenDriver, kDriver);
  }
  void TearDown() override {
    if (board_ != nullptr) board_->Release();
    ServerTest::TearDown();
  }
  // The driver names entry 17 was asked to open.
  static std::vector<std::string> Opened() {
    std::vector<std::string> names;
    for (const PartnerCall& call : Partner().Calls())
      if (call.entry == kOpenDriver) names.push_back(call.name);
    return names;
  }

  ICaptureBoard* board_ = nullptr;
};

TEST_F(CaptureBoardObjectTest, OpenBoardPicksTheDriverFromTheNameAndSystemIni) {
  const char* none = nullptr;
  struct Case {
    const char* name;
    const char* codec;  // VIDC.MJPG, or none for no SYSTEM.INI
    HRESULT expected;
    const char* driver;  // the driver opened, or none
  } cases[] = {
      {"QX62", "qx63xxx.drv", 0, "KOVOQX62.DRV"},
      {"KovoVIDEO QX62", none, 0, "KOVOQX62.DRV"},
      {"QX63 board", "vesk2.drv", 0, "VESKCAP.DRV"},
      {"QX63 board", "qx63xxx.drv", 0, "QX63CAP.DRV"},
      {"QX61", "Qx63-Vesk.drv", 0, "QX63CAP.DRV"},
      {"QVM", "vesk.drv", 0, "VESKCAP.DRV"},
      {"QX63+QX61", "mjpeg.drv", 1, none},
      {"QX63", none, 1, none},
      {"QX63", "012345678901234567890123456789vesk.drv", 1, none},  // past the 29 seen
      {"qx62", "vesk.drv", 1, none},
      {"", "vesk.drv", 1, none},
  };
  for (const Case& c : cases) {
    std::remove((dir_ / "windows" / "SYSTEM.INI").c_str());
    if (c.codec != nullptr) WriteSystemIni(std::string("[Drivers]\nVIDC.MJPG=") + c.codec + "\n");
    ICaptureBoard* board = Create<ICaptureBoard>(IID_ICaptureBoard);
    ASSERT_NE(board, nullptr);
    Partner().ClearCalls();
    EXPECT_EQ(board->OpenBoard(c.name), c.expected) << c.name << " / " << (c.codec ? c.codec : "");
    EXPECT_EQ(Opened(),
              c.driver != nullptr ? std::vector<std::string>{c.driver} : std::vector<std::string>{})
        << c.name;
    EXPECT_EQ(SelectorsInUse(), ConnectedSelectors());
    Partner().ClearCalls();
    board->Release();
    // Only an opened driver is closed, with its own handle.
    std::vector<PartnerCall> calls = Partner().Calls();
    ASSERT_EQ(calls.size(), c.driver != nullptr ? 1u : 0u) << c.name;
    if (c.driver != nullptr) {
      EXPECT_EQ(calls[0].entry, kCloseDriver);
      EXPECT_EQ(calls[0].raw[0], kDriver);
    }
  }
}

TEST_F(CaptureBoardObjectTest, FailedOpenKeepsTheKindAndAnOpenDriverStaysOpen) {
  EXPECT_EQ(board_->OpenBoard(nullptr), 1);
  Partner().SetResult(kOpenDriver, 0);
  EXPECT_EQ(board_->OpenBoard("QX62"), 1);  // the partner found no driver
  EXPECT_EQ(board_->CheckSupport(1), 0);    // but the board is known
  EXPECT_EQ(board_->OpenBoard("unknown"), 1);
  EXPECT_EQ(board_->CheckSupport(1), 0);  // and stays known
  Partner().SetResult(kOpenDriver, kDriver);
  WriteSystemIni("[Drivers]\nVIDC.MJPG=vesk.drv\n");
  EXPECT_EQ(board_->OpenBoard("QX63"), 0);
  EXPECT_EQ(board_->CheckSupport(3), 0);    // now a QX63
  EXPECT_EQ(board_->OpenBoard("QX62"), 1);  // a driver is open already
  EXPECT_EQ(board_->CheckSupport(3), 0);
  EXPECT_EQ(Opened(), (std::vector<std::string>{"KOVOQX62.DRV", "VESKCAP.DRV"}));
}

TEST_F(CaptureBoardObjectTest, CheckSupportAnswersByBoardKind) {
  WriteSystemIni("[Drivers]\nVIDC.MJPG=vesk.drv\n");
  struct Case {
    const char* board;   // none: before any board
    HRESULT answers[5];  // for the numbers 0 to 4
  } cases[] = {
      {nullptr, {1, 1, 1, 1, 1}},
      {"QX61", {0, 0, 1, 0, 1}},
      {"QX62", {0, 0, 1, 1, 1}},
      {"QX63", {0, 0, 1, 0, 1}},
  };
  for (const Case& c : cases) {
    ICaptureBoard* board = Create<ICaptureBoard>(IID_ICaptureBoard);
    ASSERT_NE(board, nullptr);
    if (c.board != nullptr) board->OpenBoard(c.board);
    for (uint32_t number = 0; number < 5; ++number)
      EXPECT_EQ(board->CheckSupport(number), c.answers[number])
          << (c.board ? c.board : "none") << " " << number;
    EXPECT_EQ(board->CheckSupport(0xFFFFFFFF), 1);
    board->Release();
  }
}

TEST_F(CaptureBoardObjectTest, CheckFormatRewrites720AndChecksTheModeTable) {
  FormatRecord early = {0, 720, 240};
  EXPECT_EQ(board_->CheckFormat(&early), 1);  // no board yet, but rewritten
  EXPECT_EQ(early.width, 704u);
  EXPECT_EQ(board_->CheckFormat(nullptr), 1);

  ASSERT_EQ(board_->OpenBoard("QX62"), 0);
  struct Case {
    FormatRecord record;
    HRESULT expected;
    uint32_t widthAfter;
  } cases[] = {
      {{0, 720, 240}, 0, 704},          {{0, 640, 240}, 0, 640}, {{3, 704, 240}, 0, 704},
      {{5, 640, 240}, 0, 640},          {{8, 704, 240}, 0, 704}, {{0, 704, 288}, 1, 704},
      {{0, 768, 240}, 1, 768},          {{1, 720, 288}, 0, 704}, {{2, 768, 288}, 0, 768},
      {{4, 704, 288}, 0, 704},          {{1, 640, 288}, 1, 640}, {{1, 704, 240}, 1, 704},
      {{6, 704, 240}, 1, 704},          {{7, 704, 288}, 1, 704}, {{9, 704, 240}, 1, 704},
      {{0xFFFFFFFF, 640, 240}, 1, 640},
  };
  for (Case c : cases) {
    const FormatRecord before = c.record;
    EXPECT_EQ(board_->CheckFormat(&c.record), c.expected)
        << before.mode << ": " << before.width << " x " << before.height;
    EXPECT_EQ(c.record.width, c.widthAfter);
    EXPECT_EQ(c.record.height, before.height);
    EXPECT_EQ(c.record.mode, before.mode);
  }
}

TEST_F(CaptureBoardObjectTest, SubmitFormatCallsThePartnerOnlyForUsableFormats) {
  ASSERT_EQ(board_->OpenBoard("QX62"), 0);
  Partner().ClearCalls();
  FormatRecord refused = {6, 704, 240};
  EXPECT_EQ(board_->SubmitFormat(&refused), 1);
  EXPECT_EQ(board_->SubmitFormat(nullptr), 1);
  EXPECT_TRUE(Partner().Calls().empty());

  Partner().SetResult(kSubmitFormat, 0x80004005);
  FormatRecord wide = {1, 720, 288};
  EXPECT_EQ(static_cast<DWORD>(board_->SubmitFormat(&wide)), 0x80004005u);
  std::vector<PartnerCall> calls = Partner().Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].entry, kSubmitFormat);
  EXPECT_EQ(calls[0].raw[0], kDriver);
  EXPECT_EQ(calls[0].flat[1], &wide);
  EXPECT_EQ(calls[0].format.width, 704u);  // rewritten before the partner saw it
}

TEST_F(CaptureBoardObjectTest, RequestsPassTheDriverHandleEvenWhenNoneIsOpen) {
  char record[4] = "rec";
  struct Case {
    const char* what;
    std::function<HRESULT()> call;
    DWORD entry;
    bool pointer;  // the second argument is `record`, else the value 0x1234
  } cases[] = {
      {"Request15", [&] { return board_->Request15(record); }, kRequest15, true},
      {"Request13", [&] { return board_->Request13(record); }, kRequest13, true},
      {"Request12", [&] { return board_->Request12(record); }, kRequest12, true},
      {"Request1", [&] { return board_->Request1(record); }, kRequest1, true},
      {"Request0", [&] { return board_->Request0(0x1234); }, kRequest0, false},
  };
  for (DWORD handle : {DWORD{0}, kDriver}) {
    if (handle != 0) {
      ASSERT_EQ(board_->OpenBoard("QX62"), 0);
    }
    for (const Case& c : cases) {
      Partner().ClearCalls();
      Partner().SetResult(c.entry, 0x80000000 | c.entry);
      EXPECT_EQ(static_cast<DWORD>(c.call()), 0x80000000 | c.entry) << c.what;
      std::vector<PartnerCall> calls = Partner().Calls();
      ASSERT_EQ(calls.size(), 1u) << c.what;
      EXPECT_EQ(calls[0].entry, c.entry) << c.what;
      EXPECT_TRUE(calls[0].countAsScripted) << c.what;
      EXPECT_EQ(calls[0].raw[0], handle) << c.what;
      if (c.pointer) {
        EXPECT_EQ(calls[0].flat[1], record) << c.what;
      } else {
        EXPECT_EQ(calls[0].raw[1], 0x1234u) << c.what;
      }
      EXPECT_EQ(SelectorsInUse(), ConnectedSelectors()) << c.what;
    }
  }
}

}  // namespace
}  // namespace kovocom
