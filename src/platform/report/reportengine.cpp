#include "platform/report/reportengine.h"

#include "data/database.h"
#include "data/dataerror.h"
#include "platform/dialogs.h"
#include "platform/format.h"
#include "platform/placement.h"
#include "platform/report/selectionformula.h"

#include <QAction>
#include <QFileInfo>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QToolBar>
#include <QVBoxLayout>

namespace kq::platform {

namespace {

bool isNumber(const QVariant &v)
{
    const int t = v.metaType().id();
    return t == QMetaType::Double || t == QMetaType::Int || t == QMetaType::LongLong
           || t == QMetaType::UInt || t == QMetaType::ULongLong;
}

QString cellText(const QVariant &v, const QString &format)
{
    if (!v.isValid() || v.isNull())
        return QString();
    return formatValue(v, format);
}

// The fields a formula may name: columns of the tables the report reads.
FieldResolver resolverFor(const ReportDefinition &def, const QString &dbPath)
{
    return [def, dbPath](const QString &table, const QString &field) -> QString {
        const QRegularExpression named(
            QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(table)),
            QRegularExpression::CaseInsensitiveOption);
        if (!def.from.contains(named))
            return QString();
        QSqlQuery q = kq::data::exec(
            dbPath, QStringLiteral("SELECT name FROM pragma_table_info(?)"), {table});
        while (q.next())
            if (q.value(0).toString().compare(field, Qt::CaseInsensitive) == 0)
                return table + QLatin1Char('.') + q.value(0).toString();
        return QString();
    };
}

} // namespace

std::optional<ReportData> runReport(const ReportDefinition &def, const QString &dbPath,
                                    const QString &formula, QString *error)
{
    try {
        QString why;
        const auto cond = parseSelectionFormula(formula, resolverFor(def, dbPath), &why);
        if (!cond) {
            if (error)
                *error = why;
            return std::nullopt;
        }
        QStringList where;
        if (!def.filter.isEmpty())
            where << QLatin1Char('(') + def.filter + QLatin1Char(')');
        if (!cond->where.isEmpty())
            where << QLatin1Char('(') + cond->where + QLatin1Char(')');
        QStringList order;
        for (const ReportGroup &g : def.groups)
            order << g.field;
        if (!def.orderBy.isEmpty())
            order << def.orderBy;
        QString sql = QStringLiteral("SELECT ") + def.select + QStringLiteral(" FROM ") + def.from;
        if (!where.isEmpty())
            sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
        if (!order.isEmpty())
            sql += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
        QSqlQuery q = kq::data::exec(dbPath, sql, cond->values);
        const QSqlRecord rec = q.record();
        QVector<int> index;
        QStringList fields;
        for (const ReportColumn &c : def.columns)
            fields << c.field;
        for (const ReportGroup &g : def.groups)
            fields << g.field;
        for (const QString &f : fields) {
            QString name = f.section(u'.', -1);
            int i = -1;
            for (int k = 0; k < rec.count(); ++k)
                if (rec.fieldName(k).compare(name, Qt::CaseInsensitive) == 0)
                    i = k;
            if (i < 0) {
                if (error)
                    *error = QStringLiteral("O campo \"%1\" não está na consulta do relatório.")
                                 .arg(f);
                return std::nullopt;
            }
            index << i;
        }
        ReportData data;
        data.def = def;
        data.formula = formula;
        data.made = QDateTime::currentDateTime();
        while (q.next()) {
            QVariantList row;
            for (int i : index)
                row << (q.value(i).isNull() ? QVariant() : q.value(i));
            data.rows << row;
        }
        return data;
    } catch (const kq::data::DataError &e) {
        if (error)
            *error = e.description();
        return std::nullopt;
    }
}

QVector<ReportLine> reportLines(const ReportData &data)
{
    const ReportDefinition &def = data.def;
    const int nc = int(def.columns.size());
    const int ng = int(def.groups.size());
    QVector<ReportLine> lines;
    // Running totals: one set per group level, and the grand one at ng.
    QVector<QVector<double>> sums(ng + 1, QVector<double>(nc, 0));
    QVector<QVector<int>> counts(ng + 1, QVector<int>(nc, 0));
    auto totalLine = [&](int level, const QString &caption) {
        ReportLine l;
        l.kind = level == ng ? ReportLine::GrandTotal : ReportLine::GroupTotal;
        l.level = level;
        l.text = caption;
        for (int c = 0; c < nc; ++c) {
            const QString t = def.columns[c].total;
            if (t == QLatin1String("soma"))
                l.cells << cellText(sums[level][c], def.columns[c].format.isEmpty()
                                                        ? QStringLiteral("0.00")
                                                        : def.columns[c].format);
            else if (t == QLatin1String("contagem"))
                l.cells << QString::number(counts[level][c]);
            else
                l.cells << QString();
        }
        sums[level].fill(0);
        counts[level].fill(0);
        lines << l;
    };
    QVariantList current; // group values of the open groups
    QStringList captions;
    for (int r = 0; r < data.rows.size(); ++r) {
        const QVariantList &row = data.rows[r];
        int changed = ng;
        for (int g = 0; g < ng; ++g)
            if (current.size() < ng || current[g] != row[nc + g]) {
                changed = g;
                break;
            }
        if (changed < ng) {
            if (current.size() == ng)
                for (int g = ng - 1; g >= changed; --g)
                    totalLine(g, QStringLiteral("Total ") + captions[g]);
            current = row.mid(nc);
            captions.resize(ng);
            for (int g = changed; g < ng; ++g) {
                const ReportGroup &grp = def.groups[g];
                const QString value = cellText(row[nc + g], grp.format);
                captions[g] = grp.caption.isEmpty() ? value : grp.caption + QStringLiteral(": ")
                                                                 + value;
                ReportLine h;
                h.kind = ReportLine::GroupHeader;
                h.level = g;
                h.text = captions[g];
                lines << h;
            }
        }
        ReportLine d;
        for (int c = 0; c < nc; ++c) {
            d.cells << cellText(row[c], def.columns[c].format);
            if (row[c].isValid())
                for (int level = 0; level <= ng; ++level) {
                    sums[level][c] += row[c].toDouble();
                    ++counts[level][c];
                }
        }
        lines << d;
    }
    if (current.size() == ng)
        for (int g = ng - 1; g >= 0; --g)
            totalLine(g, QStringLiteral("Total ") + captions[g]);
    bool anyTotal = false;
    for (const ReportColumn &c : def.columns)
        anyTotal = anyTotal || !c.total.isEmpty();
    if (anyTotal)
        totalLine(ng, QStringLiteral("Total Geral"));
    return lines;
}

int renderReport(QPrinter *printer, const ReportData &data)
{
    const ReportDefinition &def = data.def;
    const QVector<ReportLine> lines = reportLines(data);
    QPainter p;
    if (!p.begin(printer))
        return 0;
    const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
    const QRectF area(0, 0, page.width(), page.height());
    QFont body(QStringLiteral("Sans Serif"), 8);
    QFont bold = body;
    bold.setBold(true);
    QFont titleFont = body;
    titleFont.setPointSize(13);
    titleFont.setBold(true);
    p.setFont(body);
    const qreal lineH = p.fontMetrics().height() * 1.3;
    p.setFont(titleFont);
    const qreal titleH = p.fontMetrics().height() * 1.4;
    const qreal headTop = titleH + lineH * 1.2;
    const qreal bodyTop = headTop + lineH * 1.4;
    const qreal footH = lineH * 1.6;
    const qreal pad = lineH * 0.3; // between columns
    const int perPage = qMax(1, int((area.height() - bodyTop - footH) / lineH));
    const int pages = qMax(1, int((lines.size() + perPage - 1) / perPage));

    int weight = 0;
    for (const ReportColumn &c : def.columns)
        weight += c.width;
    QVector<qreal> xs{0};
    for (const ReportColumn &c : def.columns)
        xs << xs.last() + area.width() * c.width / weight;
    auto alignOf = [&](int c, const QString &sample) -> Qt::Alignment {
        const QString a = def.columns[c].alignment;
        if (a == QLatin1String("direita"))
            return Qt::AlignRight;
        if (a == QLatin1String("centro"))
            return Qt::AlignHCenter;
        if (a == QLatin1String("esquerda"))
            return Qt::AlignLeft;
        const QString f = def.columns[c].format.toLower();
        const bool numeric = f == QLatin1String("0.00") || f == QLatin1String("currency")
                             || (!sample.isEmpty() && isNumber(sample));
        return numeric ? Qt::AlignRight : Qt::AlignLeft;
    };
    const QString made = formatDate(data.made.date()) + QLatin1Char(' ')
                         + data.made.time().toString(QStringLiteral("hh:mm"));
    for (int pg = 0; pg < pages; ++pg) {
        if (pg > 0)
            printer->newPage();
        p.setFont(titleFont);
        p.drawText(QRectF(0, 0, area.width(), titleH), Qt::AlignLeft | Qt::AlignVCenter,
                   def.title);
        p.setFont(body);
        p.drawText(QRectF(0, titleH, area.width(), lineH), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Emitido em ") + made);
        p.setFont(bold);
        for (int c = 0; c < def.columns.size(); ++c)
            p.drawText(QRectF(xs[c] + pad, headTop, xs[c + 1] - xs[c] - 2 * pad, lineH),
                       alignOf(c, QString()) | Qt::AlignVCenter, def.columns[c].caption);
        p.drawLine(QPointF(0, headTop + lineH), QPointF(area.width(), headTop + lineH));
        qreal y = bodyTop;
        for (int i = pg * perPage; i < qMin(int(lines.size()), (pg + 1) * perPage); ++i) {
            const ReportLine &l = lines[i];
            if (l.kind == ReportLine::GroupHeader) {
                p.setFont(bold);
                p.drawText(QRectF(pad + l.level * 2 * pad, y, area.width(), lineH),
                           Qt::AlignLeft | Qt::AlignVCenter, l.text);
            } else {
                p.setFont(l.kind == ReportLine::Detail ? body : bold);
                if (l.kind != ReportLine::Detail) {
                    p.drawLine(QPointF(0, y), QPointF(area.width(), y));
                    p.drawText(QRectF(pad, y, area.width() / 2, lineH),
                               Qt::AlignLeft | Qt::AlignVCenter, l.text);
                }
                for (int c = 0; c < l.cells.size(); ++c)
                    if (!l.cells[c].isEmpty())
                        p.drawText(QRectF(xs[c] + pad, y, xs[c + 1] - xs[c] - 2 * pad, lineH),
                                   alignOf(c, l.cells[c]) | Qt::AlignVCenter, l.cells[c]);
            }
            y += lineH;
        }
        p.setFont(body);
        const qreal fy = area.height() - lineH;
        p.drawLine(QPointF(0, fy - 2), QPointF(area.width(), fy - 2));
        p.drawText(QRectF(0, fy, area.width(), lineH), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("Página %1 de %2").arg(pg + 1).arg(pages));
        p.drawText(QRectF(0, fy, area.width(), lineH), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("%1 registro(s)").arg(data.rows.size()));
    }
    p.end();
    return pages;
}

ReportPreview::ReportPreview(const ReportData &data, QWidget *parent)
    : QWidget(parent, Qt::Window), m_data(data)
{
    setObjectName(QStringLiteral("ReportPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(data.def.title);
    resize(900, 700);
    placeOnFirstShow(this);
    m_printer = new QPrinter(QPrinter::HighResolution);
    m_printer->setPageSize(QPageSize(QPageSize::A4));
    m_printer->setPageOrientation(data.def.landscape ? QPageLayout::Landscape
                                                     : QPageLayout::Portrait);
    m_printer->setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_toolBar = new QToolBar(this);
    QAction *print = m_toolBar->addAction(QStringLiteral("&Imprimir..."), this,
                                          [this] { printPages(); });
    print->setObjectName(QStringLiteral("imprimir"));
    QAction *pdf = m_toolBar->addAction(QStringLiteral("Salvar &PDF..."), this,
                                        [this] { savePdf(); });
    pdf->setObjectName(QStringLiteral("salvarPdf"));
    QAction *close = m_toolBar->addAction(QStringLiteral("&Fechar"), this,
                                          [this] { this->close(); });
    close->setObjectName(QStringLiteral("fechar"));
    layout->addWidget(m_toolBar);
    m_preview = new QPrintPreviewWidget(m_printer, this);
    m_preview->setObjectName(QStringLiteral("paginas"));
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter *printer) { renderReport(printer, m_data); });
    layout->addWidget(m_preview, 1);
    m_preview->updatePreview();
}

ReportPreview::~ReportPreview()
{
    delete m_printer;
}

int ReportPreview::pageCount() const
{
    return m_preview->pageCount();
}

void ReportPreview::printPages()
{
    if (Dialogs::printDialog(m_printer))
        renderReport(m_printer, m_data);
}

bool ReportPreview::savePdf(const QString &path)
{
    QString file = path;
    if (file.isEmpty())
        file = Dialogs::saveFile(QStringLiteral("Salvar PDF"), QString(),
                                 QStringLiteral("PDF (*.pdf)"));
    if (file.isEmpty())
        return false;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".pdf");
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(file);
    pdf.setPageLayout(m_printer->pageLayout());
    if (renderReport(&pdf, m_data) == 0) {
        Dialogs::message(QStringLiteral("Não foi possível gravar o arquivo \"%1\".").arg(file),
                         QString(), Buttons::Ok, Icon::Warning);
        return false;
    }
    return true;
}

ReportEngine::ReportEngine(QObject *parent) : QObject(parent) {}

void ReportEngine::setDataFiles(int index, const QString &path)
{
    if (index == 0)
        m_dataFile = path;
}

bool ReportEngine::run()
{
    m_error.clear();
    if (m_reportFile.isEmpty() || QFileInfo(m_reportFile).isDir()) {
        m_error = QStringLiteral("Escolha o relatório a emitir.");
    } else if (auto def = ReportDefinition::load(m_reportFile, &m_error)) {
        if (auto data = runReport(*def, m_dataFile, m_formula, &m_error)) {
            auto *window = new ReportPreview(*data);
            m_preview = window;
            if (m_windowState == 2)
                window->showMaximized();
            else
                window->show();
            return true;
        }
    }
    Dialogs::message(m_error, QString(), Buttons::Ok, Icon::Warning);
    return false;
}

} // namespace kq::platform
