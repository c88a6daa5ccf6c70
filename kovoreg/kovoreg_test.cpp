#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fixture/shell.h"
#include "platform/registry.h"

namespace {

namespace fs = std::filesystem;

// Runs kovoreg against stores in the test's own folder.
class KovoregTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::path(testing::TempDir()) /
        ("kovoreg_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    setenv("XDG_CONFIG_HOME", (dir_ / "user").c_str(), 1);
    setenv("KOVO_MACHINE_DIR", (dir_ / "machine").c_str(), 1);
  }

  std::string Command(const std::vector<std::string>& args) const {
    std::string command =
        "cd " + fixture::ShellQuoted(dir_.string()) + " && " + fixture::ShellQuoted(KOVOREG);
    for (const std::string& arg : args) command += " " + fixture::ShellQuoted(arg);
    return command;
  }

  // Exit code; stdout and stderr in out_ and err_.
  int Run(const std::vector<std::string>& args) {
    const int status = std::system((Command(args) + " >out.txt 2>err.txt").c_str());
    out_ = fixture::ReadText((dir_ / "out.txt").string());
    err_ = fixture::ReadText((dir_ / "err.txt").string());
    return WEXITSTATUS(status);
  }

  fs::path dir_;
  std::string out_;
  std::string err_;
};

TEST_F(KovoregTest, AddQueryExportDeleteImport) {
  const std::string key = "HKCU\\Software\\Kovo Computer Products\\RUV Izadaveve";
  EXPECT_EQ(Run({"add", key, "/v", "Mode", "/t", "REG_DWORD", "/d", "0x2"}), 0) << err_;
  EXPECT_EQ(Run({"add", "hkey_current_user\\software\\kovo computer products\\ruv izadaveve", "/v",
                 "LastDirectory", "/d", "C:\\clips \"new\""}),
            0);
  EXPECT_EQ(Run({"add", key, "/ve", "/t", "REG_BINARY", "/d", "00ff10"}), 0);
  EXPECT_EQ(Run({"add", "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup"}), 0);
  EXPECT_EQ(Run({"query", key}), 0);
  EXPECT_EQ(out_,
            "HKEY_CURRENT_USER\\Software\\Kovo Computer Products\\RUV Izadaveve\n"
            "    Mode    REG_DWORD    0x2\n"
            "    LastDirectory    REG_SZ    C:\\clips \"new\"\n"
            "    (Default)    REG_BINARY    00FF10\n");
  EXPECT_EQ(Run({"export", "HKCU\\Software\\Kovo Computer Products", "saved.reg"}), 0) << err_;
  EXPECT_EQ(fixture::ReadText((dir_ / "saved.reg").string()),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Kovo Computer Products]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Kovo Computer Products\\RUV Izadaveve]\r\n"
            "\"Mode\"=dword:00000002\r\n"
            "\"LastDirectory\"=\"C:\\\\clips \\\"new\\\"\"\r\n"
            "@=hex:00,ff,10\r\n\r\n");
  EXPECT_EQ(Run({"delete", "HKCU\\Software\\Kovo Computer Products"}), 0);
  EXPECT_EQ(Run({"query", key}), 1);
  EXPECT_EQ(Run({"import", "saved.reg"}), 0) << err_;
  EXPECT_EQ(Run({"query", key, "/v", "lastdirectory"}), 0);
  EXPECT_EQ(out_,
            "HKEY_CURRENT_USER\\Software\\Kovo Computer Products\\RUV Izadaveve\n"
            "    LastDirectory    REG_SZ    C:\\clips \"new\"\n");
  EXPECT_EQ(Run({"delete", key, "/v", "Mode"}), 0);
  EXPECT_EQ(Run({"query", key, "/v", "Mode"}), 1);
  EXPECT_NE(err_.find("not found"), std::string::npos);
}

TEST_F(KovoregTest, BadInputIsRefusedWithAReason) {
  std::ofstream(dir_ / "bad.reg")
      << "Windows Registry Editor Version 5.00\n\n[HKCU\\X]\n\"a\"=dword:xyz\n";
  std::ofstream(dir_ / "nohead.reg") << "[HKCU\\X]\n";
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"add", "HKXX\\Software"}, "does not start with HKCU, HKLM or HKCR"},
      {{"add", "HKCU\\S", "/v", "n", "/t", "REG_DWORD", "/d", "4294967296"},
       "not valid REG_DWORD data"},
      {{"add", "HKCU\\S", "/v", "n", "/t", "REG_BINARY", "/d", "abc"}, "not valid REG_BINARY data"},
      {{"add", "HKCU\\S", "/t", "REG_QWORD"}, "unknown type 'REG_QWORD'"},
      {{"query", "HKCU\\Missing"}, "cannot open 'HKEY_CURRENT_USER\\Missing': not found"},
      {{"delete", "HKCU"}, "a root key cannot be deleted"},
      {{"import", "bad.reg"}, "bad.reg:4: the value's data is not"},
      {{"import", "nohead.reg"}, "is not a registry file"},
      {{"import", "missing.reg"}, "cannot read 'missing.reg'"},
      {{"frobnicate", "HKCU\\S"}, "unknown command 'frobnicate'"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run(c.args), 1) << c.args[0];
    EXPECT_NE(err_.find(c.message), std::string::npos) << err_;
  }
}

TEST_F(KovoregTest, TwoProcessesWritingAtOnceBothSucceed) {
  // Two imports of 150 values each, every value its own write, at the same time.
  for (int writer = 0; writer < 2; ++writer) {
    std::ofstream file(dir_ / ("w" + std::to_string(writer) + ".reg"));
    file << "Windows Registry Editor Version 5.00\n\n[HKCU\\Software\\Shared]\n";
    for (int i = 0; i < 150; ++i)
      file << "\"w" << writer << "-" << i << "\"=dword:" << std::hex << i << std::dec << "\n";
  }
  const int status = std::system((Command({"import", "w0.reg"}) + " & " +
                                  Command({"import", "w1.reg"}) + " & wait %1 && wait %2")
                                     .c_str());
  EXPECT_EQ(WEXITSTATUS(status), 0);
  platform::HKEY key = nullptr;
  ASSERT_EQ(platform::RegOpenKeyA(platform::HKEY_CURRENT_USER, "Software\\Shared", &key),
            platform::ERROR_SUCCESS);
  for (int writer = 0; writer < 2; ++writer) {
    for (int i = 0; i < 150; ++i) {
      uint8_t data[4] = {};
      uint32_t size = 4;
      const std::string name = "w" + std::to_string(writer) + "-" + std::to_string(i);
      ASSERT_EQ(platform::RegQueryValueExA(key, name.c_str(), nullptr, nullptr, data, &size),
                platform::ERROR_SUCCESS)
          << name;
      EXPECT_EQ(data[0], i);
    }
  }
  platform::RegCloseKey(key);
}

TEST_F(KovoregTest, AWriterKilledMidwayLeavesTheStoreWhole) {
  {
    std::ofstream file(dir_ / "big.reg");
    file << "Windows Registry Editor Version 5.00\n\n[HKCU\\Software\\Busy]\n";
    std::string hex;
    for (int i = 0; i < 2000; ++i) hex += (i ? ",ab" : "ab");
    for (int i = 0; i < 3000; ++i) file << "\"v" << i << "\"=hex:" << hex << "\n";
  }
  const pid_t writer = fork();
  if (writer == 0) {
    execl(KOVOREG, KOVOREG, "import", (dir_ / "big.reg").c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  // Kill it once its writes have begun, in the middle of the file.
  for (int waited = 0; waited < 200; ++waited) {
    platform::HKEY busy = nullptr;
    uint32_t size = 0;
    const bool started = platform::RegOpenKeyA(platform::HKEY_CURRENT_USER, "Software\\Busy",
                                               &busy) == platform::ERROR_SUCCESS &&
                         platform::RegQueryValueExA(busy, "v5", nullptr, nullptr, nullptr, &size) ==
                             platform::ERROR_SUCCESS;
    if (busy != nullptr) platform::RegCloseKey(busy);
    if (started) break;
    usleep(50 * 1000);
  }
  kill(writer, SIGKILL);
  int status = 0;
  waitpid(writer, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status)) << "the import finished before it was killed";

  sqlite3* db = nullptr;
  ASSERT_EQ(
      sqlite3_open_v2(platform::UserRegistryPath().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr),
      SQLITE_OK);
  sqlite3_stmt* check = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
  ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
  sqlite3_finalize(check);
  sqlite3_close(db);

  // Every value there is whole, and they are the first ones of the file.
  platform::HKEY key = nullptr;
  ASSERT_EQ(platform::RegOpenKeyA(platform::HKEY_CURRENT_USER, "Software\\Busy", &key),
            platform::ERROR_SUCCESS);
  int present = 0;
  for (int i = 0; i < 3000; ++i) {
    std::vector<uint8_t> data(2100);
    uint32_t size = static_cast<uint32_t>(data.size());
    const platform::LONG result = platform::RegQueryValueExA(key, ("v" + std::to_string(i)).c_str(),
                                                             nullptr, nullptr, data.data(), &size);
    if (result != platform::ERROR_SUCCESS) break;
    EXPECT_EQ(size, 2000u);
    ++present;
  }
  std::string name;
  uint32_t count = 0;
  while (platform::RegEnumValue(key, count, &name) == platform::ERROR_SUCCESS) ++count;
  EXPECT_EQ(count, static_cast<uint32_t>(present));
  platform::RegCloseKey(key);
}

}  // namespace
