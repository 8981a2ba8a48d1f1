#include "preparedquery.h"

#include <QSqlError>
#include <QSqlRecord>

bool CPreparedQuery::run(const QVariantList &values, QString *error)
{
    if (!m_prepared) {
        m_query = m_db.query();
        if (!m_query.prepare(m_sql)) {
            *error = m_db.explain(m_query.lastError().text());
            return false;
        }
        m_prepared = true;
    }
    for (int i = 0; i < values.size(); ++i)
        m_query.bindValue(i, values.at(i));
    if (!m_query.exec()) {
        *error = m_db.explain(m_query.lastError().text());
        return false;
    }
    return true;
}

QVariantList CPreparedQuery::firstRow()
{
    QVariantList row;
    if (m_query.isActive() && m_query.next()) {
        for (int i = 0; i < m_query.record().count(); ++i)
            row << m_query.value(i);
    }
    m_query.finish();
    return row;
}

QVariant CPreparedQuery::firstValue()
{
    const QVariantList row = firstRow();
    return row.isEmpty() ? QVariant() : row.first();
}
