#include "preparedquery.h"

#include <QSqlError>

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

QVariant CPreparedQuery::firstValue()
{
    if (m_query.isActive() && m_query.next())
        return m_query.value(0);
    return QVariant();
}
