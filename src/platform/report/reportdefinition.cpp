#include "platform/report/reportdefinition.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kq::platform {

namespace {

const QString kFormat = QStringLiteral("kq-730-relatorio");

} // namespace

std::optional<ReportDefinition> ReportDefinition::load(const QString &path, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Não foi possível abrir o relatório \"%1\".").arg(path);
        return std::nullopt;
    }
    QString why;
    auto def = parse(f.readAll(), &why);
    if (!def && error)
        *error = QStringLiteral("O relatório \"%1\" não pôde ser lido: %2").arg(path, why);
    return def;
}

std::optional<ReportDefinition> ReportDefinition::parse(const QByteArray &text, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &pe);
    if (!doc.isObject())
        return fail(pe.error != QJsonParseError::NoError ? pe.errorString()
                                                         : QStringLiteral("formato desconhecido"));
    const QJsonObject o = doc.object();
    if (o.value("formato").toString() != kFormat)
        return fail(QStringLiteral("não é um arquivo de relatório do sistema"));
    if (o.value("versao").toInt() != 1)
        return fail(QStringLiteral("versão %1 não suportada").arg(o.value("versao").toInt()));
    ReportDefinition d;
    d.title = o.value("titulo").toString();
    d.landscape = o.value("orientacao").toString() == QLatin1String("paisagem");
    d.select = o.value("campos").toString().trimmed();
    d.from = o.value("tabelas").toString().trimmed();
    d.filter = o.value("filtro").toString().trimmed();
    d.orderBy = o.value("ordem").toString().trimmed();
    for (const QJsonValue &v : o.value("colunas").toArray()) {
        const QJsonObject c = v.toObject();
        ReportColumn col;
        col.field = c.value("campo").toString();
        col.caption = c.value("titulo").toString(col.field);
        col.format = c.value("formato").toString();
        col.width = qMax(1, c.value("largura").toInt(10));
        col.alignment = c.value("alinhamento").toString();
        col.total = c.value("total").toString();
        if (col.field.isEmpty())
            return fail(QStringLiteral("coluna sem campo"));
        d.columns << col;
    }
    for (const QJsonValue &v : o.value("grupos").toArray()) {
        const QJsonObject g = v.toObject();
        ReportGroup grp{g.value("campo").toString(), g.value("titulo").toString(),
                        g.value("formato").toString()};
        if (grp.field.isEmpty())
            return fail(QStringLiteral("grupo sem campo"));
        d.groups << grp;
    }
    if (d.select.isEmpty() || d.from.isEmpty() || d.columns.isEmpty())
        return fail(QStringLiteral("faltam \"campos\", \"tabelas\" ou \"colunas\""));
    // One statement only: the texts are parts of a SELECT.
    for (const QString &part : {d.select, d.from, d.filter, d.orderBy})
        if (part.contains(u';'))
            return fail(QStringLiteral("\";\" não é permitido"));
    return d;
}

QByteArray ReportDefinition::toJson() const
{
    QJsonObject o;
    o["formato"] = kFormat;
    o["versao"] = 1;
    o["titulo"] = title;
    o["orientacao"] = landscape ? QStringLiteral("paisagem") : QStringLiteral("retrato");
    o["campos"] = select;
    o["tabelas"] = from;
    if (!filter.isEmpty())
        o["filtro"] = filter;
    if (!orderBy.isEmpty())
        o["ordem"] = orderBy;
    QJsonArray cols;
    for (const ReportColumn &c : columns) {
        QJsonObject j{{"campo", c.field}, {"titulo", c.caption}, {"largura", c.width}};
        if (!c.format.isEmpty())
            j["formato"] = c.format;
        if (!c.alignment.isEmpty())
            j["alinhamento"] = c.alignment;
        if (!c.total.isEmpty())
            j["total"] = c.total;
        cols << j;
    }
    o["colunas"] = cols;
    QJsonArray groups;
    for (const ReportGroup &g : this->groups) {
        QJsonObject j{{"campo", g.field}, {"titulo", g.caption}};
        if (!g.format.isEmpty())
            j["formato"] = g.format;
        groups << j;
    }
    if (!groups.isEmpty())
        o["grupos"] = groups;
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

} // namespace kq::platform
