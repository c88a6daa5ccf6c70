#include "platform/registry.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {

enum class Root { kCurrentUser, kLocalMachine, kClassesRoot };

struct RegistryKey {
  Root root;
  int64_t id;  // row of the key; 0 for the three root handles
};

namespace {

RegistryKey currentUser{Root::kCurrentUser, 0};
RegistryKey localMachine{Root::kLocalMachine, 0};
RegistryKey classesRoot{Root::kClassesRoot, 0};

constexpr int kBusyTimeoutMs = 10000;

const char* RootName(Root root) {
  switch (root) {
    case Root::kCurrentUser:
      return "HKEY_CURRENT_USER";
    case Root::kLocalMachine:
      return "HKEY_LOCAL_MACHINE";
    case Root::kClassesRoot:
      return "HKEY_CLASSES_ROOT";
  }
  return "";
}

constexpr char kSchema[] =
    "CREATE TABLE IF NOT EXISTS keys("
    "  id INTEGER PRIMARY KEY,"
    "  parent INTEGER NOT NULL,"
    "  name TEXT NOT NULL COLLATE NOCASE,"
    "  UNIQUE(parent, name));"
    "CREATE TABLE IF NOT EXISTS reg_values("
    "  key INTEGER NOT NULL,"
    "  name TEXT NOT NULL COLLATE NOCASE,"
    "  type INTEGER NOT NULL,"
    "  data BLOB NOT NULL,"
    "  PRIMARY KEY(key, name));";

// Creates `path`'s folders as needed.
void MakeFolders(const std::string& folder, mode_t mode) {
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    mkdir(folder.substr(0, slash).c_str(), mode);
    if (slash == std::string::npos) break;
  }
}

LONG FromSqlite(int code) {
  switch (code & 0xFF) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
      return ERROR_SUCCESS;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return ERROR_BADDB;
    default:
      return ERROR_ACCESS_DENIED;
  }
}

// One open database; statements are prepared per call (the store is small
// and calls are few).
class Database {
 public:
  explicit Database(sqlite3* db) : db_(db) {}
  ~Database() { sqlite3_close_v2(db_); }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  sqlite3* get() const { return db_; }

 private:
  sqlite3* db_;
};

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) {
    status_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int i, int64_t v) {
    if (status_ == SQLITE_OK) status_ = sqlite3_bind_int64(stmt_, i, v);
    return *this;
  }
  Statement& Bind(int i, const std::string& v) {
    if (status_ == SQLITE_OK)
      status_ = sqlite3_bind_text(stmt_, i, v.c_str(), -1, SQLITE_TRANSIENT);
    return *this;
  }
  Statement& BindBlob(int i, const uint8_t* data, uint32_t size) {
    static const uint8_t kEmpty = 0;
    if (status_ == SQLITE_OK) {
      status_ = sqlite3_bind_blob(stmt_, i, size ? data : &kEmpty, static_cast<int>(size),
                                  SQLITE_TRANSIENT);
    }
    return *this;
  }
  // SQLITE_ROW, SQLITE_DONE or an error.
  int Step() {
    if (status_ != SQLITE_OK && status_ != SQLITE_ROW) return status_;
    status_ = sqlite3_step(stmt_);
    return status_;
  }
  int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
  std::string Text(int column) const {
    const auto* text = sqlite3_column_text(stmt_, column);
    return text ? reinterpret_cast<const char*>(text) : "";
  }
  const uint8_t* Blob(int column) const {
    return static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, column));
  }
  int Bytes(int column) const { return sqlite3_column_bytes(stmt_, column); }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  int status_ = SQLITE_OK;
};

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  return home != nullptr && *home != '\0' ? home : "/root";
}

std::mutex storesMutex;
std::map<std::string, std::unique_ptr<Database>>& Stores() {
  static auto* stores = new std::map<std::string, std::unique_ptr<Database>>;
  return *stores;
}

// The database of `root`, opened on first use; none when it cannot be opened.
sqlite3* DatabaseFor(Root root) {
  const bool user = root == Root::kCurrentUser;
  const std::string path = user ? UserRegistryPath() : MachineRegistryPath();
  std::lock_guard<std::mutex> lock(storesMutex);
  auto found = Stores().find(path);
  if (found != Stores().end()) return found->second->get();
  MakeFolders(path.substr(0, path.rfind('/')), user ? 0700 : 0755);
  sqlite3* db = nullptr;
  int code =
      sqlite3_open_v2(path.c_str(), &db,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
  if (code != SQLITE_OK) {
    sqlite3_close_v2(db);
    db = nullptr;
    // A store the user may not write (the machine's) can still be read.
    code =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (code != SQLITE_OK) {
      sqlite3_close_v2(db);
      return nullptr;
    }
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;", nullptr, nullptr, nullptr);
  sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
  Stores()[path] = std::make_unique<Database>(db);
  return db;
}

// BEGIN IMMEDIATE ... COMMIT, rolled back unless committed.
class Transaction {
 public:
  explicit Transaction(sqlite3* db) : db_(db) {
    status_ = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  }
  ~Transaction() {
    if (status_ == SQLITE_OK && !done_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  int status() const { return status_; }
  int Commit() {
    done_ = true;
    return sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
  }

 private:
  sqlite3* db_;
  int status_;
  bool done_ = false;
};

std::vector<std::string> SplitPath(const char* path) {
  std::vector<std::string> parts;
  if (path == nullptr) return parts;
  std::string part;
  for (const char* c = path;; ++c) {
    if (*c == '\\' || *c == '\0') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
      if (*c == '\0') break;
    } else {
      part += *c;
    }
  }
  return parts;
}

// Finds (or, with `create`, makes) the child `name` of key row `parent`.
// 0 when it does not exist; -1 on a database error (in *error).
int64_t Child(sqlite3* db, int64_t parent, const std::string& name, bool create, LONG* error,
              bool* created = nullptr) {
  Statement find(db, "SELECT id FROM keys WHERE parent = ? AND name = ?");
  find.Bind(1, parent).Bind(2, name);
  const int step = find.Step();
  if (step == SQLITE_ROW) return find.Int(0);
  if (step != SQLITE_DONE) {
    *error = FromSqlite(step);
    return -1;
  }
  if (!create) return 0;
  Statement insert(db, "INSERT INTO keys(parent, name) VALUES(?, ?)");
  const int inserted = insert.Bind(1, parent).Bind(2, name).Step();
  if (inserted != SQLITE_DONE) {
    *error = FromSqlite(inserted);
    return -1;
  }
  if (created != nullptr) *created = true;
  return sqlite3_last_insert_rowid(db);
}

// The row of `key` (the root row for a root handle, made on first use).
int64_t KeyRow(sqlite3* db, HKEY key, LONG* error) {
  if (key->id != 0) {
    Statement exists(db, "SELECT 1 FROM keys WHERE id = ?");
    const int step = exists.Bind(1, key->id).Step();
    if (step == SQLITE_ROW) return key->id;
    *error = step == SQLITE_DONE ? ERROR_KEY_DELETED : FromSqlite(step);
    return -1;
  }
  const int64_t row = Child(db, 0, RootName(key->root), false, error);
  if (row != 0) return row;
  return Child(db, 0, RootName(key->root), true, error);
}

bool ValidHandle(HKEY key) {
  return key != nullptr;
}

LONG OpenOrCreate(HKEY key, const char* subKey, HKEY* result, bool create, uint32_t* disposition) {
  if (!ValidHandle(key) || result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  sqlite3* db = DatabaseFor(key->root);
  if (db == nullptr) return ERROR_ACCESS_DENIED;
  LONG error = ERROR_SUCCESS;
  std::optional<Transaction> transaction;
  if (create) {
    transaction.emplace(db);
    if (transaction->status() != SQLITE_OK) return FromSqlite(transaction->status());
  }
  int64_t row = KeyRow(db, key, &error);
  if (row < 0) return error;
  bool created = false;
  for (const std::string& part : SplitPath(subKey)) {
    row = Child(db, row, part, create, &error, &created);
    if (row < 0) return error;
    if (row == 0) return ERROR_FILE_NOT_FOUND;
  }
  if (transaction) {
    const int committed = transaction->Commit();
    if (committed != SQLITE_OK) return FromSqlite(committed);
  }
  if (disposition != nullptr)
    *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = new RegistryKey{key->root, row};
  return ERROR_SUCCESS;
}

LONG DeleteKey(HKEY key, const char* subKey, bool tree) {
  if (!ValidHandle(key)) return ERROR_INVALID_PARAMETER;
  const std::vector<std::string> parts = SplitPath(subKey);
  if (parts.empty()) return ERROR_INVALID_PARAMETER;  // a key is not deleted through itself
  sqlite3* db = DatabaseFor(key->root);
  if (db == nullptr) return ERROR_ACCESS_DENIED;
  Transaction transaction(db);
  if (transaction.status() != SQLITE_OK) return FromSqlite(transaction.status());
  LONG error = ERROR_SUCCESS;
  int64_t row = KeyRow(db, key, &error);
  if (row < 0) return error;
  for (const std::string& part : parts) {
    row = Child(db, row, part, false, &error);
    if (row < 0) return error;
    if (row == 0) return ERROR_FILE_NOT_FOUND;
  }
  if (!tree) {
    Statement children(db, "SELECT 1 FROM keys WHERE parent = ? LIMIT 1");
    const int step = children.Bind(1, row).Step();
    if (step == SQLITE_ROW) return ERROR_ACCESS_DENIED;
    if (step != SQLITE_DONE) return FromSqlite(step);
  }
  Statement values(db,
                   "WITH RECURSIVE sub(id) AS (SELECT ? UNION ALL SELECT k.id FROM keys k JOIN sub "
                   "ON k.parent = sub.id) "
                   "DELETE FROM reg_values WHERE key IN sub");
  int step = values.Bind(1, row).Step();
  if (step != SQLITE_DONE) return FromSqlite(step);
  Statement keys(db,
                 "WITH RECURSIVE sub(id) AS (SELECT ? UNION ALL SELECT k.id FROM keys k JOIN sub "
                 "ON k.parent = sub.id) "
                 "DELETE FROM keys WHERE id IN sub");
  step = keys.Bind(1, row).Step();
  if (step != SQLITE_DONE) return FromSqlite(step);
  return FromSqlite(transaction.Commit());
}

LONG Enumerate(HKEY key, uint32_t index, std::string* name, const char* sql) {
  if (!ValidHandle(key) || name == nullptr) return ERROR_INVALID_PARAMETER;
  sqlite3* db = DatabaseFor(key->root);
  if (db == nullptr) return ERROR_ACCESS_DENIED;
  LONG error = ERROR_SUCCESS;
  const int64_t row = KeyRow(db, key, &error);
  if (row < 0) return error;
  Statement list(db, sql);
  const int step = list.Bind(1, row).Bind(2, static_cast<int64_t>(index)).Step();
  if (step == SQLITE_DONE) return ERROR_FILE_NOT_FOUND;
  if (step != SQLITE_ROW) return FromSqlite(step);
  *name = list.Text(0);
  return ERROR_SUCCESS;
}

}  // namespace

const HKEY HKEY_CURRENT_USER = &currentUser;
const HKEY HKEY_LOCAL_MACHINE = &localMachine;
const HKEY HKEY_CLASSES_ROOT = &classesRoot;

std::string UserRegistryPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::string folder =
      config != nullptr && *config == '/' ? config : HomeFolder() + "/.config";
  return folder + "/kovo/registry.db";
}

std::string MachineRegistryPath() {
  const char* machine = std::getenv("KOVO_MACHINE_DIR");
  return std::string(machine != nullptr && *machine != '\0' ? machine : "/var/lib/kovo") +
         "/registry.db";
}

LONG RegOpenKeyA(HKEY key, const char* subKey, HKEY* result) {
  return OpenOrCreate(key, subKey, result, false, nullptr);
}

LONG RegCreateKeyA(HKEY key, const char* subKey, HKEY* result) {
  return OpenOrCreate(key, subKey, result, true, nullptr);
}

LONG RegCreateKeyExA(HKEY key, const char* subKey, uint32_t /*reserved*/, const char* /*keyClass*/,
                     uint32_t /*options*/, uint32_t /*access*/, const void* /*security*/,
                     HKEY* result, uint32_t* disposition) {
  return OpenOrCreate(key, subKey, result, true, disposition);
}

LONG RegQueryValueExA(HKEY key, const char* name, uint32_t* /*reserved*/, uint32_t* type,
                      uint8_t* data, uint32_t* size) {
  if (!ValidHandle(key) || (data != nullptr && size == nullptr)) return ERROR_INVALID_PARAMETER;
  sqlite3* db = DatabaseFor(key->root);
  if (db == nullptr) return ERROR_ACCESS_DENIED;
  LONG error = ERROR_SUCCESS;
  const int64_t row = KeyRow(db, key, &error);
  if (row < 0) return error;
  Statement value(db, "SELECT type, data FROM reg_values WHERE key = ? AND name = ?");
  const int step = value.Bind(1, row).Bind(2, name != nullptr ? name : "").Step();
  if (step == SQLITE_DONE) return ERROR_FILE_NOT_FOUND;
  if (step != SQLITE_ROW) return FromSqlite(step);
  const auto bytes = static_cast<uint32_t>(value.Bytes(1));
  if (type != nullptr) *type = static_cast<uint32_t>(value.Int(0));
  if (data == nullptr) {
    if (size != nullptr) *size = bytes;
    return ERROR_SUCCESS;
  }
  if (bytes > *size) {
    *size = bytes;
    return ERROR_MORE_DATA;
  }
  if (bytes != 0) std::memcpy(data, value.Blob(1), bytes);
  *size = bytes;
  return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY key, const char* name, uint32_t /*reserved*/, uint32_t type,
                    const uint8_t* data, uint32_t size) {
  if (!ValidHandle(key) || (data == nullptr && size != 0)) return ERROR_INVALID_PARAMETER;
  sqlite3* db = DatabaseFor(key->root);
  if (db == nullptr) return ERROR_ACCESS_DENIED;
  Transaction transaction(db);
  if (transaction.status() != SQLITE_OK) return FromSqlite(transaction.status());
  LONG error = ERROR_SUCCESS;
  const int64_t row = KeyRow(db, key, &error);
  if (row < 0) return error;
  Statement set(db, "INSERT OR REPLACE INTO reg_values(key, name, type, data) VALUES(?, ?, ?, ?)");
  const int step = set.Bind(1, row)
                       .Bind(2, name != nullptr ? name : "")
                       .Bind(3, static_cast<int64_t>(type))
                       .BindBlob(4, data, size)
                       .Step();
  if (step != SQLITE_DONE) return FromSqlite(step);
  return FromSqlite(transaction.Commit());
}

LONG RegSetValueA(HKEY key, const char* subKey, uint32_t type, const char* data,
                  uint32_t /*size*/) {
  if (type != REG_SZ || data == nullptr) return ERROR_INVALID_PARAMETER;
  HKEY sub = nullptr;
  LONG result = RegCreateKeyA(key, subKey, &sub);
  if (result != ERROR_SUCCESS) return result;
  result = RegSetValueExA(sub, "", 0, REG_SZ, reinterpret_cast<const uint8_t*>(data),
                          static_cast<uint32_t>(std::strlen(data) + 1));
  RegCloseKey(sub);
  return result;
}

LONG RegDeleteValueA(HKEY key, const char* name) {
  if (!ValidHandle(key)) return ERROR_INVALID_PARAMETER;
  sqlite3* db = DatabaseFor(key->root);
  if (db == nullptr) return ERROR_ACCESS_DENIED;
  LONG error = ERROR_SUCCESS;
  const int64_t row = KeyRow(db, key, &error);
  if (row < 0) return error;
  Statement erase(db, "DELETE FROM reg_values WHERE key = ? AND name = ?");
  const int step = erase.Bind(1, row).Bind(2, name != nullptr ? name : "").Step();
  if (step != SQLITE_DONE) return FromSqlite(step);
  return sqlite3_changes(db) == 0 ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

LONG RegDeleteKeyA(HKEY key, const char* subKey) {
  return DeleteKey(key, subKey, false);
}

LONG RegDeleteTreeA(HKEY key, const char* subKey) {
  return DeleteKey(key, subKey, true);
}

LONG RegEnumKey(HKEY key, uint32_t index, std::string* name) {
  return Enumerate(key, index, name,
                   "SELECT name FROM keys WHERE parent = ? ORDER BY id LIMIT 1 OFFSET ?");
}

LONG RegEnumValue(HKEY key, uint32_t index, std::string* name) {
  return Enumerate(key, index, name,
                   "SELECT name FROM reg_values WHERE key = ? ORDER BY rowid LIMIT 1 OFFSET ?");
}

LONG RegFlushKey(HKEY key) {
  if (!ValidHandle(key)) return ERROR_INVALID_HANDLE;
  sqlite3* db = DatabaseFor(key->root);
  if (db == nullptr) return ERROR_ACCESS_DENIED;
  LONG error = ERROR_SUCCESS;
  return KeyRow(db, key, &error) < 0 ? error : ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  if (key == nullptr) return ERROR_INVALID_HANDLE;
  if (key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE || key == HKEY_CLASSES_ROOT) {
    return ERROR_SUCCESS;
  }
  delete key;
  return ERROR_SUCCESS;
}

}  // namespace platform
