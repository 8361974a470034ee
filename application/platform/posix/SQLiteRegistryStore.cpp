// The settings store on SQLite: one database file stands for the machine-wide registry.
//
// Schema (user_version 1):
//   registry_keys(path TEXT PRIMARY KEY COLLATE NOCASE)
//       one row per key, the full path from the root with parts joined by "\" (the root itself, the empty
//       path, has no row and always exists);
//   registry_values(key_path TEXT COLLATE NOCASE, name TEXT COLLATE NOCASE, data BLOB,
//                   PRIMARY KEY(key_path, name))
//       one row per string value, its text without terminator ("" is the key's default value).
// NOCASE folds ASCII letters only, which is what the installer's key and value names use. The subkeys of
// P are the paths in [P + "\", P + "]"): "]" follows "\" and both are outside the folded letters, so the
// range holds exactly the paths that start with P and a separator.
//
// Every call opens the database, does its work in one transaction and closes it: writes take the write
// lock up front (BEGIN IMMEDIATE) and all calls wait out a busy database for kBusyTimeoutMs, so writers in
// other threads and processes are serialised instead of failing. The rollback journal (not WAL) keeps the
// store a single self-contained file that a plain copy backs up.

#include "application/RegistryStore.h"

#include "foundation/VLog.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace VApplication {

namespace {

constexpr int kBusyTimeoutMs = 15000;

constexpr const char* kCreateSchema = "CREATE TABLE IF NOT EXISTS registry_keys("
                                      "  path TEXT NOT NULL PRIMARY KEY COLLATE NOCASE"
                                      ") WITHOUT ROWID;"
                                      "CREATE TABLE IF NOT EXISTS registry_values("
                                      "  key_path TEXT NOT NULL COLLATE NOCASE,"
                                      "  name TEXT NOT NULL COLLATE NOCASE,"
                                      "  data BLOB NOT NULL,"
                                      "  PRIMARY KEY(key_path, name)"
                                      ") WITHOUT ROWID;";
constexpr int kSchemaVersion = 1;

class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        m_status = sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool IsValid() const { return m_status == SQLITE_OK && m_statement; }
    // A statement that could not be prepared only because the store has no tables yet (an empty file).
    bool LacksTable(sqlite3* db) const {
        return m_status == SQLITE_ERROR && std::strncmp(sqlite3_errmsg(db), "no such table", 13) == 0;
    }
    Statement& Bind(int index, const std::string& text) {
        if (IsValid())
            sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()),
                              SQLITE_TRANSIENT);
        return *this;
    }
    Statement& BindBlob(int index, const std::string& data) {
        if (IsValid())
            sqlite3_bind_blob(m_statement, index, data.data(), static_cast<int>(data.size()),
                              SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step() { return IsValid() ? sqlite3_step(m_statement) : m_status; }
    void Reset() {
        if (IsValid()) sqlite3_reset(m_statement);
    }
    int ColumnInt(int column) const { return sqlite3_column_int(m_statement, column); }
    std::string ColumnBlob(int column) const {
        const void* data = sqlite3_column_blob(m_statement, column);
        const int size = sqlite3_column_bytes(m_statement, column);
        return data ? std::string(static_cast<const char*>(data), static_cast<size_t>(size)) : std::string();
    }

private:
    sqlite3_stmt* m_statement = nullptr;
    int m_status = SQLITE_ERROR;
};

class SQLiteRegistryStore : public IRegistryStore {
public:
    explicit SQLiteRegistryStore(std::string location) : m_location(std::move(location)) {}
    ~SQLiteRegistryStore() override { Close(); }

    Result SetValue(const std::string& keyPath, const std::string& name, const std::string& data) override;
    Result GetValue(const std::string& keyPath, const std::string& name, std::string& data) override;
    Result DeleteSubkey(const std::string& keyPath, const std::string& subkeyPath) override;
    Result DeleteValue(const std::string& keyPath, const std::string& name) override;
    Result ListKey(const std::string& keyPath, std::vector<std::string>& subkeys,
                   std::vector<std::pair<std::string, std::string>>& values) override;

private:
    // Read: a shared transaction. Create: the write lock, making the database (and its folder) when missing.
    // Modify: the write lock on an existing database only.
    enum class Access { Read, Create, Modify };

    // Opens the database; a read of a store that does not exist yet is NoKey, not a failure.
    Result Open(Access access);
    void Close();
    Result Fail(const char* doing);
    bool Execute(const char* sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }
    // Runs body inside one transaction and commits when it returns Done; anything else rolls back.
    template <typename Body> Result InTransaction(Access access, Body body);
    // Whether the key exists, NoKey when not; Failed on an error.
    Result FindKey(const std::string& keyPath);

    std::string m_location;
    sqlite3* m_db = nullptr;
};

IRegistryStore::Result SQLiteRegistryStore::Open(Access access) {
    Close();
    std::error_code error;
    if (access != Access::Create && !std::filesystem::exists(m_location, error)) return Result::NoKey;
    if (access == Access::Create) {
        const std::filesystem::path folder = std::filesystem::path(m_location).parent_path();
        // Whoever may write the store's folder may replace the store: it is never writable for others.
        if (!folder.empty() && std::filesystem::create_directories(folder, error))
            std::filesystem::permissions(
                folder, std::filesystem::perms::others_write | std::filesystem::perms::group_write,
                std::filesystem::perm_options::remove, error);
    }
    const int flags =
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX | (access == Access::Create ? SQLITE_OPEN_CREATE : 0);
    int status = sqlite3_open_v2(m_location.c_str(), &m_db, flags, nullptr);
    // A reader may lack write permission on a store made by an administrator.
    if (status != SQLITE_OK && access == Access::Read) {
        Close();
        status =
            sqlite3_open_v2(m_location.c_str(), &m_db, SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX, nullptr);
    }
    if (status != SQLITE_OK) return Fail("open");
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    return Result::Done;
}

void SQLiteRegistryStore::Close() {
    if (m_db) sqlite3_close_v2(m_db);
    m_db = nullptr;
}

IRegistryStore::Result SQLiteRegistryStore::Fail(const char* doing) {
    VFoundation::LogPrintf("VRegistry: cannot %s the settings store %s: %s\n", doing, m_location.c_str(),
                           m_db ? sqlite3_errmsg(m_db) : "out of memory");
    return Result::Failed;
}

template <typename Body> IRegistryStore::Result SQLiteRegistryStore::InTransaction(Access access, Body body) {
    Result result = Open(access);
    if (result != Result::Done) return result;
    if (!Execute(access == Access::Read ? "BEGIN" : "BEGIN IMMEDIATE")) {
        result = Fail(access == Access::Read ? "read" : "lock");
    } else {
        result = body();
        if (result == Result::Done || (access == Access::Read && result != Result::Failed)) {
            if (!Execute("COMMIT")) result = Fail("write");
        }
        if (sqlite3_get_autocommit(m_db) == 0) Execute("ROLLBACK");
    }
    Close();
    return result;
}

IRegistryStore::Result SQLiteRegistryStore::FindKey(const std::string& keyPath) {
    if (keyPath.empty()) return Result::Done;
    Statement find(m_db, "SELECT 1 FROM registry_keys WHERE path = ?1");
    // A store made by a reader of an empty file has no tables yet: nothing in it exists. Any other
    // failure (a damaged file, a folder in its place) is the store's, not a missing key.
    if (!find.IsValid()) return find.LacksTable(m_db) ? Result::NoKey : Fail("read");
    const int step = find.Bind(1, keyPath).Step();
    if (step == SQLITE_ROW) return Result::Done;
    return step == SQLITE_DONE ? Result::NoKey : Fail("read");
}

IRegistryStore::Result SQLiteRegistryStore::SetValue(const std::string& keyPath, const std::string& name,
                                                     const std::string& data) {
    return InTransaction(Access::Create, [&]() -> Result {
        if (!Execute(kCreateSchema)) return Fail("prepare");
        Statement version(m_db, "PRAGMA user_version");
        if (version.Step() == SQLITE_ROW && version.ColumnInt(0) == 0) {
            const std::string setVersion = "PRAGMA user_version = " + std::to_string(kSchemaVersion);
            if (!Execute(setVersion.c_str())) return Fail("prepare");
        }
        Statement addKey(m_db, "INSERT OR IGNORE INTO registry_keys(path) VALUES(?1)");
        for (size_t end = 0; end != std::string::npos && !keyPath.empty();) {
            end = keyPath.find('\\', end + 1);
            const std::string prefix = keyPath.substr(0, end);
            if (addKey.Bind(1, prefix).Step() != SQLITE_DONE) return Fail("write");
            addKey.Reset();
        }
        Statement setValue(m_db, "INSERT INTO registry_values(key_path, name, data) VALUES(?1, ?2, ?3) "
                                 "ON CONFLICT(key_path, name) DO UPDATE SET data = excluded.data");
        if (setValue.Bind(1, keyPath).Bind(2, name).BindBlob(3, data).Step() != SQLITE_DONE)
            return Fail("write");
        return Result::Done;
    });
}

IRegistryStore::Result SQLiteRegistryStore::GetValue(const std::string& keyPath, const std::string& name,
                                                     std::string& data) {
    return InTransaction(Access::Read, [&]() -> Result {
        const Result key = FindKey(keyPath);
        if (key != Result::Done) return key;
        Statement getValue(m_db, "SELECT data FROM registry_values WHERE key_path = ?1 AND name = ?2");
        if (!getValue.IsValid()) return getValue.LacksTable(m_db) ? Result::NoValue : Fail("read");
        const int step = getValue.Bind(1, keyPath).Bind(2, name).Step();
        if (step == SQLITE_DONE) return Result::NoValue;
        if (step != SQLITE_ROW) return Fail("read");
        data = getValue.ColumnBlob(0);
        return Result::Done;
    });
}

IRegistryStore::Result SQLiteRegistryStore::DeleteSubkey(const std::string& keyPath,
                                                         const std::string& subkeyPath) {
    const std::string fullPath = keyPath.empty() ? subkeyPath : keyPath + "\\" + subkeyPath;
    return InTransaction(Access::Modify, [&]() -> Result {
        Result found = FindKey(keyPath);
        if (found == Result::Done) found = FindKey(fullPath);
        if (found != Result::Done) return found;

        Statement child(m_db, "SELECT 1 FROM registry_keys WHERE path >= ?1 AND path < ?2 LIMIT 1");
        const int step = child.Bind(1, fullPath + "\\").Bind(2, fullPath + "]").Step();
        if (step == SQLITE_ROW) return Result::HasSubkeys;
        if (step != SQLITE_DONE) return Fail("read");

        Statement dropValues(m_db, "DELETE FROM registry_values WHERE key_path = ?1");
        Statement dropKey(m_db, "DELETE FROM registry_keys WHERE path = ?1");
        if (dropValues.Bind(1, fullPath).Step() != SQLITE_DONE ||
            dropKey.Bind(1, fullPath).Step() != SQLITE_DONE)
            return Fail("write");
        return Result::Done;
    });
}

IRegistryStore::Result SQLiteRegistryStore::DeleteValue(const std::string& keyPath, const std::string& name) {
    return InTransaction(Access::Modify, [&]() -> Result {
        const Result found = FindKey(keyPath);
        if (found != Result::Done) return found;
        Statement dropValue(m_db, "DELETE FROM registry_values WHERE key_path = ?1 AND name = ?2");
        if (dropValue.Bind(1, keyPath).Bind(2, name).Step() != SQLITE_DONE) return Fail("write");
        return sqlite3_changes(m_db) > 0 ? Result::Done : Result::NoValue;
    });
}

IRegistryStore::Result
SQLiteRegistryStore::ListKey(const std::string& keyPath, std::vector<std::string>& subkeys,
                             std::vector<std::pair<std::string, std::string>>& values) {
    subkeys.clear();
    values.clear();
    return InTransaction(Access::Read, [&]() -> Result {
        const Result found = FindKey(keyPath);
        if (found != Result::Done) return found;
        // The root's subkeys are the paths without a separator; a key's are those one part below it.
        const std::string prefix = keyPath.empty() ? std::string() : keyPath + "\\";
        Statement children(m_db, keyPath.empty()
                                     ? "SELECT path FROM registry_keys WHERE instr(path, '\\') = 0"
                                     : "SELECT path FROM registry_keys WHERE path >= ?1 AND path < ?2");
        if (!children.IsValid()) return Result::Done;
        if (!keyPath.empty()) children.Bind(1, prefix).Bind(2, keyPath + "]");
        int step;
        while ((step = children.Step()) == SQLITE_ROW) {
            const std::string path = children.ColumnBlob(0);
            if (path.find('\\', prefix.size()) == std::string::npos)
                subkeys.push_back(path.substr(prefix.size()));
        }
        if (step != SQLITE_DONE) return Fail("read");
        Statement named(m_db, "SELECT name, data FROM registry_values WHERE key_path = ?1 ORDER BY name");
        if (!named.IsValid()) return Result::Done;
        named.Bind(1, keyPath);
        while ((step = named.Step()) == SQLITE_ROW)
            values.emplace_back(named.ColumnBlob(0), named.ColumnBlob(1));
        if (step != SQLITE_DONE) return Fail("read");
        std::sort(subkeys.begin(), subkeys.end(), [](const std::string& a, const std::string& b) {
            return sqlite3_stricmp(a.c_str(), b.c_str()) < 0;
        });
        return Result::Done;
    });
}

} // namespace

std::unique_ptr<IRegistryStore> OpenRegistryStore(const std::string& location) {
    return std::make_unique<SQLiteRegistryStore>(location);
}

} // namespace VApplication
