#pragma once

#include "import/source.h"

#include <QList>

#include <list>

namespace kq::test {

// An old database held in memory: tables of rows, read as the Jet reader
// gives them.
class MemoryDatabase : public kq::import::SourceDatabase
{
public:
    struct Table
    {
        QString name;
        QStringList columns;
        QList<kq::import::SourceRow> rows;
    };

    explicit MemoryDatabase(const QString &file = QStringLiteral("antigo.mdb"))
        : m_file(file)
    {}
    Table &add(const QString &name, const QStringList &columns)
    {
        m_tables.push_back({name, columns, {}});
        return m_tables.back();
    }
    Table *find(const QString &name)
    {
        for (Table &t : m_tables)
            if (t.name == name)
                return &t;
        return nullptr;
    }

    QString fileName() const override { return m_file; }
    QStringList tableNames() const override
    {
        QStringList names;
        for (const Table &t : m_tables)
            names << t.name;
        return names;
    }
    std::unique_ptr<kq::import::SourceTable> table(const QString &name) override
    {
        for (const Table &t : m_tables)
            if (t.name == name)
                return std::make_unique<Reader>(t);
        return nullptr;
    }

private:
    class Reader : public kq::import::SourceTable
    {
    public:
        explicit Reader(const Table &t)
            : m_table(t)
        {}
        QString name() const override { return m_table.name; }
        QStringList columns() const override { return m_table.columns; }
        qint64 rowCount() const override { return m_table.rows.size(); }
        bool next(kq::import::SourceRow &row) override
        {
            if (m_next >= m_table.rows.size())
                return false;
            row = m_table.rows.at(m_next++);
            return true;
        }

    private:
        const Table &m_table;
        int m_next = 0;
    };

    QString m_file;
    std::list<Table> m_tables;
};

} // namespace kq::test
