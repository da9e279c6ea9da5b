// The parameter report's spreadsheet export: the installed ODBC drivers, the
// connection string that makes the spreadsheet driver create the file, and
// the statements that write the list into it (one table, a text column per
// list column, a row per list row). Plain C++: the ODBC calls go through
// IOdbc, so tests need no driver.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace report {

class IOdbc {
public:
    virtual ~IOdbc() = default;
    // The ODBC installer's list of installed driver descriptions
    // (SQLGetInstalledDrivers) in a buffer of kDriverListBytes: entries
    // ending in a zero byte, the list ending with an empty entry. False when
    // the call fails.
    virtual bool InstalledDriverList(std::vector<char>& buffer) = 0;
    // Connects with a complete connection string, never prompting; on
    // failure the driver's message.
    virtual bool Connect(const std::string& connection, std::string& error) = 0;
    // The character that delimits a name in the connected driver's SQL.
    virtual std::string IdentifierQuote() = 0;
    virtual bool Execute(const std::string& sql, std::string& error) = 0;
    virtual void Disconnect() = 0;
};

// The system's ODBC driver manager (unixODBC).
class COdbc : public IOdbc {
public:
    COdbc();
    ~COdbc() override;
    COdbc(const COdbc&) = delete;
    COdbc& operator=(const COdbc&) = delete;

    bool InstalledDriverList(std::vector<char>& buffer) override;
    bool Connect(const std::string& connection, std::string& error) override;
    std::string IdentifierQuote() override;
    bool Execute(const std::string& sql, std::string& error) override;
    void Disconnect() override;

private:
    void* env_ = nullptr;
    void* dbc_ = nullptr;
};

constexpr size_t kDriverListBytes = 2000;

// The entries of an installer's driver list, up to its empty entry; an entry
// the buffer's end cuts short is left out.
std::vector<std::string> DriverListEntries(const std::vector<char>& buffer);
// The descriptions of the installed drivers; false when asking failed.
bool InstalledDrivers(IOdbc& odbc, std::vector<std::string>& drivers);
// The first installed driver whose description contains "Excel"; empty when
// there is none or the list could not be read.
std::string SpreadsheetDriver(IOdbc& odbc);

// DRIVER={driver};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB="file";DBQ=file
std::string SpreadsheetConnectionString(const std::string& driver, const std::string& file);

// A text as an SQL string literal: in single quotes, each quote doubled.
std::string SqlText(const std::string& text);
// A column name: a plain word (letters, digits, underscores, not starting
// with a digit) as it is; any other name delimited by the driver's quote,
// that character doubled inside.
std::string SqlName(const std::string& name, const std::string& quote);

// CREATE TABLE table (  A TEXT,  B TEXT )
std::string CreateTableSql(const std::string& table, const std::vector<std::string>& headings,
                           const std::string& quote);
// INSERT INTO table ( A ,  B ) VALUES( 'x' ,  'y' )
std::string InsertSql(const std::string& table, const std::vector<std::string>& headings,
                      const std::vector<std::string>& cells, const std::string& quote);

} // namespace report
