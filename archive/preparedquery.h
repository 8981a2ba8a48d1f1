#pragma once
// A statement prepared once and run many times with positional values: an
// import runs the same few statements for every file, and on PostgreSQL a
// fresh preparation would cost a round trip each time.

#include "archivedb.h"

#include <QSqlQuery>
#include <QVariantList>

class CPreparedQuery {
public:
    CPreparedQuery(CArchiveDb &db, QString sql) : m_db(db), m_sql(std::move(sql)) {}
    // Runs the statement; false with the reason. Read rows with query().
    bool run(const QVariantList &values, QString *error);
    QSqlQuery &query() { return m_query; }
    // The first column of the first row, or an invalid value when no row.
    // Ends the statement: a transaction cannot commit while one is open.
    QVariant firstValue();
    // The first row's columns (empty when no row); ends the statement too.
    QVariantList firstRow();

private:
    CArchiveDb &m_db;
    QString m_sql;
    QSqlQuery m_query;
    bool m_prepared = false;
};
