#include "store/statements.h"

#include <string>

#include "runtime/convert.h"
#include "store/statement_piece.h"

Text QuoteSqlText(const Text& value) {
    // A GBK trail byte is never 0x27, so doubling byte-wise is safe.
    std::string out = "'";
    for (char c : value.view()) {
        out += c;
        if (c == '\'') out += '\'';
    }
    out += '\'';
    return Text(out);
}

Text LogInsertSql(const Text& name, const Text& ip, int listId, int time, int color,
                  const Text& date, int type) {
    return "INSERT INTO record (name, ip, list_id, time, color, date, type) VALUES ( " +
           QuoteSqlText(name) + ", " + QuoteSqlText(ip) + ", " + toText(listId) + ", " +
           toText(time) + ", " + toText(color) + ", " + QuoteSqlText(date) + "," + toText(type) +
           ");";
}

Text HostLoadSql(int id) { return "select * from serverlist where id = " + toText(id); }

Text HostDeleteSql(int id) { return "DELETE from serverlist WHERE id = " + toText(id); }

Text LogClearSql() { return "delete from record"; }

Text LogQueryCondition(bool byTime, const Text& start, const Text& end, int type) {
    Text condition;
    if (byTime)
        condition = "where date >=" + QuoteSqlText(start) + " and date <= " + QuoteSqlText(end);
    if (type == 3 || type == 4)
        condition += (condition.empty() ? "where type = " : " and type = ") + toText(type);
    return condition;
}

Text LogQuerySql(const Text& condition) {
    if (condition.empty()) return "select * from record order by id desc limit 1000;";
    return "select * from record " + condition + " order by id desc limit 1000;";
}

Text LogExportSql(const Text& condition, bool walkTable) {
    return Text("select date, name, ip, time, type from record ") + (walkTable ? "not indexed " : "") +
           (condition.empty() ? Text() : condition + " ") + "order by id desc;";
}

Text LogExportCountSql(const Text& condition) {
    return "select count(*) from record" + (condition.empty() ? Text() : " " + condition) + ";";
}

Text LogIdSpanSql() { return "select max(id) - min(id) + 1 from record;"; }

Text TaskHostCondition(int id) { return "id=" + toText(id); }

Text HostSaveCondition(int id) { return "id = " + toText(id); }

Text BeginTransactionSql(const Text& name) {
    std::string sql;
    return appendPiece(sql, "BEGIN TRANSACTION %s", name) ? Text(sql) : Text();
}

Text CommitTransactionSql(const Text& name) {
    std::string sql;
    return appendPiece(sql, "COMMIT TRANSACTION %s", name) ? Text(sql) : Text();
}
