// kovoreg: reads and writes the suite's settings store, for people and
// installers.
//
//   kovoreg query KEY [/v NAME | /ve]
//   kovoreg add KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD|REG_BINARY] [/d DATA]
//   kovoreg delete KEY [/v NAME | /ve]
//   kovoreg export KEY FILE
//   kovoreg import FILE
//
// Exit status 0 on success, 1 on any error (with a message on standard error).
#include <strings.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "kovoreg/key_path.h"
#include "kovoreg/reg_file.h"
#include "kovoreg/values.h"
#include "platform/registry.h"

namespace {

using namespace platform;
using kovoreg::KeyPath;

constexpr char kUsage[] =
    "usage: kovoreg query KEY [/v NAME | /ve]\n"
    "       kovoreg add KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD|REG_BINARY] [/d DATA]\n"
    "       kovoreg delete KEY [/v NAME | /ve]\n"
    "       kovoreg export KEY FILE\n"
    "       kovoreg import FILE\n"
    "\n"
    "KEY starts with its root: HKEY_CURRENT_USER (HKCU), HKEY_LOCAL_MACHINE (HKLM) or\n"
    "HKEY_CLASSES_ROOT (HKCR), e.g. \"HKCU\\Software\\Kovo Computer Products\\Montage\".\n"
    "/ve names the key's default value. REG_DWORD data is decimal or 0x hex, REG_BINARY\n"
    "data hex digits. delete without /v deletes the key with everything below it.\n"
    "The per-user store is in $XDG_CONFIG_HOME/kovo (else ~/.config/kovo), the machine's\n"
    "in $KOVO_MACHINE_DIR (else /var/lib/kovo).\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "kovoreg: %s\n", message.c_str());
  return 1;
}

struct Request {
  std::optional<KeyPath> key;
  std::optional<std::string> valueName;  // "" for /ve
  std::optional<uint32_t> type;
  std::optional<std::string> data;
};

std::string ParseRequest(const std::vector<std::string>& args, Request* request) {
  if (args.empty()) return "KEY missing";
  request->key = kovoreg::ParseKeyPath(args[0]);
  if (!request->key) return "'" + args[0] + "' does not start with HKCU, HKLM or HKCR";
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if ((arg == "/v" || arg == "-v") && hasValue) {
      request->valueName = args[++i];
    } else if (arg == "/ve" || arg == "-ve") {
      request->valueName = "";
    } else if ((arg == "/t" || arg == "-t") && hasValue) {
      request->type = kovoreg::ParseTypeName(args[++i]);
      if (!request->type) return "unknown type '" + args[i] + "' (REG_SZ, REG_DWORD or REG_BINARY)";
    } else if ((arg == "/d" || arg == "-d") && hasValue) {
      request->data = args[++i];
    } else {
      return "unexpected '" + arg + "'";
    }
  }
  return "";
}

void PrintValue(const kovoreg::Value& value) {
  std::printf("    %s    %s    %s\n", value.name.empty() ? "(Default)" : value.name.c_str(),
              kovoreg::TypeName(value.type).c_str(), kovoreg::ShowData(value).c_str());
}

int Query(const Request& request) {
  HKEY key = nullptr;
  LONG result = RegOpenKeyA(request.key->root, request.key->subKey.c_str(), &key);
  if (result != ERROR_SUCCESS) {
    return Fail("cannot open '" + request.key->Full() + "': " + kovoreg::DescribeResult(result));
  }
  std::printf("%s\n", request.key->Full().c_str());
  if (request.valueName) {
    const auto value = kovoreg::ReadValue(key, *request.valueName, &result);
    if (!value) {
      RegCloseKey(key);
      return Fail("value '" + *request.valueName + "' of '" + request.key->Full() +
                  "': " + kovoreg::DescribeResult(result));
    }
    // Shown with its name as stored, whatever case it was asked for in.
    kovoreg::Value shown = *value;
    for (const kovoreg::Value& stored : kovoreg::ReadValues(key)) {
      if (strcasecmp(stored.name.c_str(), value->name.c_str()) == 0) shown.name = stored.name;
    }
    RegCloseKey(key);
    PrintValue(shown);
    return 0;
  }
  for (const kovoreg::Value& value : kovoreg::ReadValues(key)) PrintValue(value);
  for (const std::string& name : kovoreg::SubKeyNames(key)) {
    std::printf("%s\\%s\n", request.key->Full().c_str(), name.c_str());
  }
  RegCloseKey(key);
  return 0;
}

int Add(const Request& request) {
  std::optional<std::vector<uint8_t>> data;
  const uint32_t type = request.type.value_or(REG_SZ);
  if (request.valueName || request.data) {
    data = kovoreg::ParseData(type, request.data.value_or(""));
    if (!data)
      return Fail("'" + request.data.value_or("") + "' is not valid " + kovoreg::TypeName(type) +
                  " data");
  }
  HKEY key = nullptr;
  LONG result = RegCreateKeyA(request.key->root, request.key->subKey.c_str(), &key);
  if (result != ERROR_SUCCESS) {
    return Fail("cannot create '" + request.key->Full() + "': " + kovoreg::DescribeResult(result));
  }
  if (data) {
    result = RegSetValueExA(key, request.valueName.value_or("").c_str(), 0, type, data->data(),
                            static_cast<uint32_t>(data->size()));
  }
  RegCloseKey(key);
  if (result != ERROR_SUCCESS)
    return Fail("cannot set the value: " + kovoreg::DescribeResult(result));
  return 0;
}

int Delete(const Request& request) {
  if (!request.valueName) {
    if (request.key->subKey.empty()) return Fail("a root key cannot be deleted");
    const LONG result = RegDeleteTreeA(request.key->root, request.key->subKey.c_str());
    if (result != ERROR_SUCCESS) {
      return Fail("cannot delete '" + request.key->Full() +
                  "': " + kovoreg::DescribeResult(result));
    }
    return 0;
  }
  HKEY key = nullptr;
  LONG result = RegOpenKeyA(request.key->root, request.key->subKey.c_str(), &key);
  if (result == ERROR_SUCCESS) {
    result = RegDeleteValueA(key, request.valueName->c_str());
    RegCloseKey(key);
  }
  if (result != ERROR_SUCCESS) {
    return Fail("cannot delete value '" + *request.valueName + "' of '" + request.key->Full() +
                "': " + kovoreg::DescribeResult(result));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "/?") {
    std::fputs(kUsage, args.empty() ? stderr : stdout);
    return args.empty() ? 1 : 0;
  }
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "export") {
    if (args.size() != 2) return Fail("export takes KEY and FILE");
    const std::string error = kovoreg::ExportKey(args[0], args[1]);
    return error.empty() ? 0 : Fail(error);
  }
  if (command == "import") {
    if (args.size() != 1) return Fail("import takes FILE");
    const std::string error = kovoreg::ImportFile(args[0]);
    return error.empty() ? 0 : Fail(error);
  }
  Request request;
  const std::string error = ParseRequest(args, &request);
  if (!error.empty()) return Fail(error);
  if (command == "query") return Query(request);
  if (command == "add") return Add(request);
  if (command == "delete") return Delete(request);
  return Fail("unknown command '" + command + "'; see kovoreg --help");
}
