#include "files/SpreadsheetExport.h"

#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cctype>
#include <cstddef>

namespace report {

namespace {

// The driver's first message about a handle.
std::string Diagnostic(SQLSMALLINT type, SQLHANDLE handle) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR text[SQL_MAX_MESSAGE_LENGTH] = {};
    SQLSMALLINT length = 0;
    if (!handle ||
        !SQL_SUCCEEDED(SQLGetDiagRec(type, handle, 1, state, &native, text, sizeof text, &length)))
        return "ODBC error";
    return std::string(reinterpret_cast<const char*>(text));
}

bool PlainName(const std::string& name) {
    if (name.empty()) return false;
    if (std::isdigit(static_cast<unsigned char>(name[0]))) return false;
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        // Bytes of non-ASCII characters (UTF-8) count as letters.
        if (!(std::isalnum(c) || c == '_' || c >= 0x80)) return false;
    }
    return true;
}

} // namespace

COdbc::COdbc() {
    SQLHENV env = SQL_NULL_HENV;
    if (SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        env_ = env;
    }
}

COdbc::~COdbc() {
    Disconnect();
    if (env_) SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

bool COdbc::InstalledDriverList(std::vector<char>& buffer) {
    buffer.assign(kDriverListBytes, '\0');
    WORD length = 0;
    const BOOL ok =
        SQLGetInstalledDrivers(buffer.data(), static_cast<WORD>(buffer.size()), &length);
    return ok != 0;
}

bool COdbc::Connect(const std::string& connection, std::string& error) {
    Disconnect();
    if (!env_) {
        error = "ODBC is not available";
        return false;
    }
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc))) {
        error = Diagnostic(SQL_HANDLE_ENV, env_);
        return false;
    }
    std::string text = connection;
    SQLCHAR out[1024] = {};
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc =
        SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS, out,
                         sizeof out, &outLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        error = Diagnostic(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        return false;
    }
    dbc_ = dbc;
    return true;
}

std::string COdbc::IdentifierQuote() {
    if (!dbc_) return "\"";
    SQLCHAR quote[8] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(dbc_, SQL_IDENTIFIER_QUOTE_CHAR, quote, sizeof quote, &length)))
        return "\"";
    return std::string(reinterpret_cast<const char*>(quote));
}

bool COdbc::Execute(const std::string& sql, std::string& error) {
    if (!dbc_) {
        error = "not connected";
        return false;
    }
    SQLHSTMT statement = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &statement))) {
        error = Diagnostic(SQL_HANDLE_DBC, dbc_);
        return false;
    }
    std::string text = sql;
    const SQLRETURN rc = SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS);
    const bool ok = SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA;
    if (!ok) error = Diagnostic(SQL_HANDLE_STMT, statement);
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return ok;
}

void COdbc::Disconnect() {
    if (!dbc_) return;
    SQLDisconnect(dbc_);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    dbc_ = nullptr;
}

std::vector<std::string> DriverListEntries(const std::vector<char>& buffer) {
    std::vector<std::string> entries;
    size_t start = 0;
    while (start < buffer.size() && buffer[start] != '\0') {
        const auto end =
            std::find(buffer.begin() + static_cast<std::ptrdiff_t>(start), buffer.end(), '\0');
        if (end == buffer.end()) break;
        const auto stop = static_cast<size_t>(end - buffer.begin());
        entries.emplace_back(buffer.data() + start, stop - start);
        start = stop + 1;
    }
    return entries;
}

bool InstalledDrivers(IOdbc& odbc, std::vector<std::string>& drivers) {
    drivers.clear();
    std::vector<char> buffer;
    if (!odbc.InstalledDriverList(buffer)) return false;
    drivers = DriverListEntries(buffer);
    return true;
}

std::string SpreadsheetDriver(IOdbc& odbc) {
    std::vector<std::string> drivers;
    if (!InstalledDrivers(odbc, drivers)) return std::string();
    for (const std::string& d : drivers)
        if (d.find("Excel") != std::string::npos) return d;
    return std::string();
}

std::string SpreadsheetConnectionString(const std::string& driver, const std::string& file) {
    return "DRIVER={" + driver + "};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB=\"" + file +
           "\";DBQ=" + file;
}

std::string SqlText(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

std::string SqlName(const std::string& name, const std::string& quote) {
    if (PlainName(name)) return name;
    // A driver without a quote character for names: the standard one.
    const std::string q = quote.empty() || quote == " " ? std::string("\"") : quote;
    std::string out = q;
    for (size_t i = 0; i < name.size();) {
        if (name.compare(i, q.size(), q) == 0) {
            out += q + q;
            i += q.size();
        } else {
            out += name[i++];
        }
    }
    return out + q;
}

std::string CreateTableSql(const std::string& table, const std::vector<std::string>& headings,
                           const std::string& quote) {
    std::string columns;
    for (size_t i = 0; i < headings.size(); ++i) {
        if (i > 0) columns += ", ";
        columns += " " + SqlName(headings[i], quote) + " TEXT";
    }
    return "CREATE TABLE " + table + " ( " + columns + " ) ";
}

std::string InsertSql(const std::string& table, const std::vector<std::string>& headings,
                      const std::vector<std::string>& cells, const std::string& quote) {
    std::string names, values;
    for (size_t i = 0; i < headings.size(); ++i) {
        if (i > 0) names += ", ";
        names += " " + SqlName(headings[i], quote) + " ";
    }
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) values += ", ";
        values += " " + SqlText(cells[i]) + " ";
    }
    return "INSERT INTO " + table + " (" + names + ")" + " VALUES(" + values + ")";
}

} // namespace report
