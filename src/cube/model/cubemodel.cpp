#include "cube/model/cubemodel.h"

#include "cube/model/cubemodel_p.h"

#include <QRegularExpression>

namespace kq::platform {

CubeModel::Data::Data(CubeModel *model)
    : q(model)
{
    collections[0].reset(new CubeFields(model, -1));
    for (int o = 0; o < 5; ++o)
        collections[o + 1].reset(new CubeFields(model, o));
}

void CubeModel::Data::fieldSourceChanged(CubeField *f)
{
    evals.remove(f);
}

void CubeModel::Data::moveToArea(CubeField *f, int orientation)
{
    order[f->m_orientation].removeAll(f);
    const bool wasData = f->m_orientation == OrientData;
    f->m_orientation = orientation;
    order[orientation].append(f);
    if (orientation == OrientData && f->m_dataIndex == 0)
        f->m_dataIndex = nextDataIndex++;
    if (wasData != (orientation == OrientData))
        evals.remove(f);
}

bool CubeModel::Data::fail(int code, const QString &description, const QString &source)
{
    lastCode = code;
    lastError = description;
    bool handled = false;
    emit q->errorOccurred(code, description, source, &handled);
    return false;
}

CubeResult CubeModel::Data::failed(int code, const QString &description, const QString &source)
{
    fail(code, description, source);
    return result();
}

void CubeModel::Data::clearError()
{
    lastCode = 0;
    lastError.clear();
}

CubeResult CubeModel::Data::result() const
{
    return CubeResult{lastCode == 0, lastCode, lastError};
}

CubeModel::CubeModel(QObject *parent)
    : QObject(parent)
    , d(new Data(this))
{}

CubeModel::~CubeModel()
{
    qDeleteAll(d->fields);
}

int CubeModel::connectType() const
{
    return d->connectType;
}

void CubeModel::setConnectType(int type)
{
    if (d->connectType == type)
        return;
    d->connectType = type;
    d->sourceDirty = true;
    invalidate();
}

QString CubeModel::connect() const
{
    return d->connect;
}

void CubeModel::setConnect(const QString &connect)
{
    if (d->connect == connect)
        return;
    d->connect = connect;
    d->sourceDirty = true;
    invalidate();
}

QString CubeModel::databaseName() const
{
    return d->databaseName;
}

void CubeModel::setDatabaseName(const QString &path)
{
    if (d->databaseName == path)
        return;
    d->databaseName = path;
    d->sourceDirty = true;
    invalidate();
}

QString CubeModel::databasePath() const
{
    if (d->connectType == 5 || (d->databaseName.isEmpty() && !d->connect.isEmpty())) {
        static const QRegularExpression re(QStringLiteral("Data Source\\s*=\\s*([^;]*)"),
                                           QRegularExpression::CaseInsensitiveOption);
        const auto m = re.match(d->connect);
        if (m.hasMatch())
            return m.captured(1).trimmed();
    }
    return d->databaseName;
}

QString CubeModel::recordSource() const
{
    return d->recordSource;
}

void CubeModel::setRecordSource(const QString &source)
{
    if (d->recordSource == source)
        return;
    d->recordSource = source;
    d->sourceDirty = true;
    invalidate();
}

bool CubeModel::autoDataRefresh() const
{
    return d->autoRefresh;
}
void CubeModel::setAutoDataRefresh(bool on)
{
    d->autoRefresh = on;
}

QString CubeModel::sqlYearPart() const
{
    return d->yearPart;
}
void CubeModel::setSqlYearPart(const QString &t)
{
    d->yearPart = t;
}
QString CubeModel::sqlQuarterPart() const
{
    return d->quarterPart;
}
void CubeModel::setSqlQuarterPart(const QString &t)
{
    d->quarterPart = t;
}
QString CubeModel::sqlMonthPart() const
{
    return d->monthPart;
}
void CubeModel::setSqlMonthPart(const QString &t)
{
    d->monthPart = t;
}
QString CubeModel::sqlWeekPart() const
{
    return d->weekPart;
}
void CubeModel::setSqlWeekPart(const QString &t)
{
    d->weekPart = t;
}
QString CubeModel::headerCaption() const
{
    return d->header;
}
void CubeModel::setHeaderCaption(const QString &c)
{
    d->header = c;
}
QString CubeModel::footerCaption() const
{
    return d->footer;
}
void CubeModel::setFooterCaption(const QString &c)
{
    d->footer = c;
}

CubeStyle &CubeModel::style()
{
    return d->style;
}
const CubeStyle &CubeModel::style() const
{
    return d->style;
}
void CubeModel::setStyle(const CubeStyle &style)
{
    d->style = style;
}

CubeFields *CubeModel::fields()
{
    return d->collections[0].get();
}
CubeFields *CubeModel::rowFields()
{
    return d->collections[OrientRow + 1].get();
}
CubeFields *CubeModel::columnFields()
{
    return d->collections[OrientColumn + 1].get();
}
CubeFields *CubeModel::dataFields()
{
    return d->collections[OrientData + 1].get();
}
CubeFields *CubeModel::pageFields()
{
    return d->collections[OrientPage + 1].get();
}

CubeField *CubeModel::addField(const QString &source, const QString &caption, int orientation)
{
    auto *f = new CubeField(this);
    f->m_source = source;
    f->m_caption = caption;
    f->m_name = source;
    if (orientation < OrientHidden || orientation > OrientPage)
        orientation = OrientHidden;
    f->m_orientation = orientation;
    if (orientation == OrientData)
        f->m_dataIndex = d->nextDataIndex++;
    d->fields.append(f);
    d->order[orientation].append(f);
    invalidate();
    return f;
}

void CubeModel::removeField(CubeField *field)
{
    if (!field || !d->fields.contains(field))
        return;
    d->fields.removeAll(field);
    d->order[field->m_orientation].removeAll(field);
    d->evals.remove(field);
    delete field;
    invalidate();
}

void CubeModel::removeAllFields()
{
    d->evals.clear();
    const auto old = d->fields;
    d->fields.clear();
    for (auto &o : d->order)
        o.clear();
    d->nextDataIndex = 1;
    d->rows = CubeAxis();
    d->cols = CubeAxis();
    d->rows.reset();
    d->cols.reset();
    d->clearCells();
    qDeleteAll(old);
    invalidate();
}

CubeField *CubeModel::field(const QString &name) const
{
    return d->collections[0]->item(name);
}

CubeField *CubeModel::dataFieldByIndex(int dataIndex) const
{
    for (CubeField *f : d->order[OrientData]) {
        if (f->dataIndex() == dataIndex)
            return f;
    }
    return nullptr;
}

int CubeModel::shownDataFieldCount() const
{
    return int(shownDataFields().size());
}

QList<CubeField *> CubeModel::shownDataFields() const
{
    QList<CubeField *> out;
    for (CubeField *f : d->order[OrientData]) {
        if (f->shown())
            out.append(f);
    }
    return out;
}

QString CubeModel::password() const
{
    return d->password;
}
void CubeModel::setPassword(const QString &password)
{
    d->password = password;
}
int CubeModel::lastErrorCode() const
{
    return d->lastCode;
}
QString CubeModel::lastError() const
{
    return d->lastError;
}
int CubeModel::layoutCount() const
{
    return d->layouts;
}

void CubeModel::invalidate(bool structural)
{
    if (structural)
        d->aggDirty = true;
    d->displayDirty = true;
    emit invalidated();
}

} // namespace kq::platform
