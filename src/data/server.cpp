#include "data/server.h"

#include "data/dataerror.h"
#include "data/datafolder.h"
#include "data/pgserver_p.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QUrl>

namespace kq::data {

namespace {

const QString kSource = QStringLiteral("kq_data");
const QString kGroup = QStringLiteral("servidor");

// The words of a libpq connection text: key=value, a value with blanks
// between single quotes (\' and \\ inside).
std::optional<QList<QPair<QString, QString>>> keywords(const QString &text, QString *error)
{
    QList<QPair<QString, QString>> out;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        while (i < n && text.at(i).isSpace())
            ++i;
        if (i >= n)
            break;
        const qsizetype eq = text.indexOf(QLatin1Char('='), i);
        if (eq < 0) {
            *error = QStringLiteral("falta \"=\" depois de \"%1\"").arg(text.mid(i).trimmed());
            return std::nullopt;
        }
        const QString key = text.mid(i, eq - i).trimmed();
        i = eq + 1;
        while (i < n && text.at(i).isSpace())
            ++i;
        QString value;
        if (i < n && text.at(i) == QLatin1Char('\'')) {
            ++i;
            bool closed = false;
            while (i < n) {
                const QChar c = text.at(i++);
                if (c == QLatin1Char('\\') && i < n) {
                    value += text.at(i++);
                } else if (c == QLatin1Char('\'')) {
                    closed = true;
                    break;
                } else {
                    value += c;
                }
            }
            if (!closed) {
                *error = QStringLiteral("aspas sem fim no valor de \"%1\"").arg(key);
                return std::nullopt;
            }
        } else {
            while (i < n && !text.at(i).isSpace())
                value += text.at(i++);
        }
        if (key.isEmpty()) {
            *error = QStringLiteral("nome vazio antes de \"=\"");
            return std::nullopt;
        }
        out.append({key.toLower(), value});
    }
    return out;
}

std::optional<ServerSettings> fromUrl(const QString &text, QString *error)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid()) {
        *error = QStringLiteral("endereço inválido");
        return std::nullopt;
    }
    if (!url.password().isEmpty()) {
        *error = QStringLiteral("a senha não vai na conexão: use o arquivo ~/.pgpass ou "
                                "digite-a ao abrir o programa");
        return std::nullopt;
    }
    ServerSettings s;
    s.host = url.host();
    s.port = url.port(5432);
    s.user = url.userName();
    s.database = url.path().mid(1);
    return s;
}

} // namespace

QString ServerSettings::name() const
{
    return QStringLiteral("%1:%2/%3").arg(host).arg(port).arg(database);
}

std::optional<ServerSettings> parseServerConnection(const QString &text, QString *error)
{
    QString why;
    std::optional<ServerSettings> s;
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1String("postgresql://"))
        || t.startsWith(QLatin1String("postgres://"))) {
        s = fromUrl(t, &why);
    } else if (const auto words = keywords(t, &why)) {
        s = ServerSettings();
        for (const auto &[key, value] : *words) {
            if (key == QLatin1String("host") || key == QLatin1String("hostaddr")) {
                s->host = value;
            } else if (key == QLatin1String("port")) {
                bool ok = false;
                s->port = value.toInt(&ok);
                if (!ok || s->port <= 0 || s->port > 65535) {
                    why = QStringLiteral("porta inválida: \"%1\"").arg(value);
                    s.reset();
                    break;
                }
            } else if (key == QLatin1String("dbname")) {
                s->database = value;
            } else if (key == QLatin1String("user")) {
                s->user = value;
            } else if (key == QLatin1String("password")) {
                why = QStringLiteral("a senha não vai na conexão: use o arquivo ~/.pgpass ou "
                                     "digite-a ao abrir o programa");
                s.reset();
                break;
            } else {
                why = QStringLiteral("parâmetro desconhecido: \"%1\"").arg(key);
                s.reset();
                break;
            }
        }
    }
    if (s && !s->isValid())
        why = s->host.isEmpty() ? QStringLiteral("falta o servidor (host)")
                                : QStringLiteral("falta o banco de dados (dbname)");
    if (!s || !s->isValid()) {
        if (error)
            *error = why;
        return std::nullopt;
    }
    return s;
}

std::optional<ServerSettings> readServerSettings(const QString &dataFolder)
{
    const QString path = dataFile(dataFolder, kServerSettings);
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QSettings ini(path, QSettings::IniFormat);
    ini.beginGroup(kGroup);
    ServerSettings s;
    s.host = ini.value(QStringLiteral("host")).toString().trimmed();
    s.port = ini.value(QStringLiteral("port"), 5432).toInt();
    s.database = ini.value(QStringLiteral("dbname")).toString().trimmed();
    s.user = ini.value(QStringLiteral("user")).toString().trimmed();
    if (ini.status() != QSettings::NoError || !s.isValid())
        throw DataError(ErrorNumber::DatabaseOpen,
                        QStringLiteral("O arquivo \"%1\" não indica o servidor de banco de dados: "
                                       "ele precisa de host, port, dbname e user na seção "
                                       "[servidor].")
                            .arg(path),
                        kSource);
    return s;
}

void writeServerSettings(const QString &dataFolder, const ServerSettings &settings)
{
    const QString path = dataFile(dataFolder, kServerSettings);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        throw DataError(ErrorNumber::DatabaseOpen,
                        QStringLiteral("Não foi possível gravar o arquivo \"%1\": %2")
                            .arg(path, f.errorString()),
                        kSource);
    // QSettings writes a value with blanks or a "/" between quotes.
    const auto value = [](const QString &v) {
        if (v.isEmpty() || v.contains(QRegularExpression(QStringLiteral("[\\s;,=\"\\\\/#]"))))
            return QLatin1Char('"')
                   + QString(v)
                         .replace(QLatin1Char('\\'), QLatin1String("\\\\"))
                         .replace(QLatin1Char('"'), QLatin1String("\\\""))
                   + QLatin1Char('"');
        return v;
    };
    const QString text = QStringLiteral("; Banco de dados do sistema num servidor PostgreSQL.\n"
                                        "; A senha vem do arquivo ~/.pgpass do usuário ou é "
                                        "pedida ao abrir o programa.\n"
                                        "[servidor]\n"
                                        "host=%1\nport=%2\ndbname=%3\nuser=%4\n")
                             .arg(value(settings.host))
                             .arg(settings.port)
                             .arg(value(settings.database), value(settings.user));
    if (f.write(text.toUtf8()) < 0 || !f.flush())
        throw DataError(ErrorNumber::DatabaseOpen,
                        QStringLiteral("Não foi possível gravar o arquivo \"%1\": %2")
                            .arg(path, f.errorString()),
                        kSource);
}

void setPasswordPrompt(PasswordPrompt prompt)
{
    internal::passwordPrompt() = std::move(prompt);
}

} // namespace kq::data
