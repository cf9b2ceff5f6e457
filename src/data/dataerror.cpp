#include "data/dataerror.h"

#include "data/integrity_p.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>

#include <sqlite3.h>

namespace kq::data {

NumberedError::NumberedError(int number, const QString &description, const QString &source,
                             const QString &detail)
    : std::runtime_error(description.toStdString())
    , m_info{number, description, source, detail}
{}

QString readOnlyDiskText(const QString &folder)
{
    return QStringLiteral("A pasta de dados %1 está num disco somente para leitura: os dados "
                          "podem ser consultados, mas nada pode ser gravado.")
        .arg(folder);
}

QString fileErrorReason(int errnum, const QString &otherText)
{
    switch (errnum) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("não há espaço livre no disco");
    case EACCES:
    case EPERM:
        return QStringLiteral("sem permissão: o arquivo ou a sua pasta é somente leitura para "
                              "este usuário");
    case EROFS:
        return QStringLiteral("o disco é somente leitura");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("o arquivo ou a pasta não existe");
    case EISDIR:
        return QStringLiteral("o nome é de uma pasta");
    case EIO:
        return QStringLiteral("erro de leitura ou gravação no disco");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("o arquivo está em uso por outro programa");
    default:
        return otherText;
    }
}

bool isFileFailure(int code)
{
    switch (code & 0xFF) {
    case SQLITE_FULL:
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
        return true;
    default:
        return false;
    }
}

DataError databaseError(int code, const QString &engineText, const QString &path,
                        const QString &source, int otherNumber)
{
    const QString detail = QStringLiteral("SQLite %1: %2 (%3)").arg(code).arg(engineText, path);
    auto error = [&](int number, const QString &text) {
        return DataError(number, text.arg(path), source, detail);
    };
    // A file on a read-only disk can be read (without its WAL), never written.
    const int primary = code & 0xFF;
    if ((primary == SQLITE_READONLY || primary == SQLITE_CANTOPEN || primary == SQLITE_PERM)
        && !path.isEmpty() && internal::onReadOnlyDisk(path))
        return DataError(ErrorNumber::ReadOnly, readOnlyDiskText(QFileInfo(path).absolutePath()),
                         source, detail);
    switch (primary) {
    case SQLITE_FULL:
        return error(ErrorNumber::DiskFull,
                     QStringLiteral("Não há espaço livre no disco para gravar o arquivo \"%1\". "
                                    "Nada foi gravado: libere espaço e tente de novo."));
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return error(ErrorNumber::ReadOnly,
                     QStringLiteral("O arquivo \"%1\" não pode ser alterado: ele ou a sua pasta "
                                    "é somente leitura. Peça permissão de gravação ao "
                                    "responsável pelo computador."));
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return error(ErrorNumber::Locked,
                     QStringLiteral("O arquivo \"%1\" está em uso por outro programa (talvez em "
                                    "outra estação). Aguarde o fim da outra operação e tente de "
                                    "novo."));
    case SQLITE_CORRUPT:
        return error(ErrorNumber::Damaged,
                     QStringLiteral("O arquivo \"%1\" está danificado. Restaure a última cópia "
                                    "de segurança da pasta de dados."));
    case SQLITE_NOTADB:
        return error(ErrorNumber::NotADatabase,
                     QStringLiteral("O arquivo \"%1\" não é um banco de dados do sistema "
                                    "(SQLite 3)."));
    case SQLITE_IOERR:
        return error(ErrorNumber::DiskError,
                     QStringLiteral("Erro de leitura ou gravação no arquivo \"%1\". Verifique o "
                                    "disco e tente de novo."));
    case SQLITE_CANTOPEN:
        return error(ErrorNumber::DatabaseOpen,
                     QStringLiteral("Não foi possível abrir o arquivo \"%1\". Verifique se a "
                                    "pasta existe e se pode ser lida."));
    case SQLITE_CONSTRAINT:
        if (code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY)
            return error(ErrorNumber::WriteFailed,
                         QStringLiteral("Já existe um registro com essa chave no arquivo "
                                        "\"%1\"."));
        return DataError(ErrorNumber::WriteFailed, engineText, source, detail);
    default:
        break;
    }
    static const QRegularExpression missing(QStringLiteral("^no such (table|column): (.+)$"));
    const QRegularExpressionMatch m = missing.match(engineText);
    if (m.hasMatch()) {
        const QString name = m.captured(2);
        if (m.captured(1) == QLatin1String("table"))
            return DataError(
                ErrorNumber::NoSuchTable,
                QStringLiteral("A tabela \"%1\" não existe no arquivo \"%2\".").arg(name, path),
                source, detail);
        return DataError(
            ErrorNumber::UnknownField,
            QStringLiteral("O campo \"%1\" não existe no arquivo \"%2\".").arg(name, path), source,
            detail);
    }
    return DataError(otherNumber, engineText, source, detail);
}

} // namespace kq::data

namespace kq::data {

bool isStorageFailure(int errorNumber)
{
    switch (errorNumber) {
    case ErrorNumber::DiskFull:
    case ErrorNumber::ReadOnly:
    case ErrorNumber::Locked:
    case ErrorNumber::Damaged:
    case ErrorNumber::NotADatabase:
    case ErrorNumber::DiskError:
    case ErrorNumber::DatabaseOpen:
    case ErrorNumber::ServerUnavailable:
        return true;
    default:
        return false;
    }
}

bool isConnectionFailure(const QString &sqlstate)
{
    return sqlstate.startsWith(QLatin1String("08")) || sqlstate == QLatin1String("57P01")
           || sqlstate == QLatin1String("57P02") || sqlstate == QLatin1String("57P03");
}

DataError serverError(const QString &sqlstate, const QString &engineText, const QString &serverName,
                      const QString &source, int otherNumber)
{
    const QString detail
        = QStringLiteral("PostgreSQL %1: %2 (%3)")
              .arg(sqlstate.isEmpty() ? QStringLiteral("-") : sqlstate, engineText, serverName);
    auto error = [&](int number, const QString &text) {
        return DataError(number, text.arg(serverName), source, detail);
    };
    // The first name the server's message quotes (in any of its languages).
    static const QRegularExpression quoted(QStringLiteral("\"([^\"]+)\""));
    const QString name = quoted.match(engineText).captured(1);
    const QString cls = sqlstate.left(2);
    if (isConnectionFailure(sqlstate))
        return error(ErrorNumber::ServerUnavailable,
                     QStringLiteral("A conexão com o servidor de banco de dados \"%1\" foi "
                                    "perdida e a operação foi desfeita. Verifique se o "
                                    "servidor está ligado e a rede funcionando, e tente de "
                                    "novo."));
    if (sqlstate == QLatin1String("23505"))
        return error(ErrorNumber::WriteFailed,
                     QStringLiteral("Já existe um registro com essa chave no banco de dados do "
                                    "servidor \"%1\"."));
    if (cls == QLatin1String("23"))
        return DataError(ErrorNumber::WriteFailed, engineText, source, detail);
    if (sqlstate == QLatin1String("40001") || sqlstate == QLatin1String("40P01")
        || sqlstate == QLatin1String("55P03"))
        return error(ErrorNumber::Locked,
                     QStringLiteral("O banco de dados do servidor \"%1\" estava ocupado com a "
                                    "gravação de outra estação e nada foi gravado. Tente de "
                                    "novo."));
    if (sqlstate == QLatin1String("53100"))
        return error(ErrorNumber::DiskFull,
                     QStringLiteral("O servidor de banco de dados \"%1\" não tem espaço livre "
                                    "em disco. Nada foi gravado: avise o responsável pelo "
                                    "servidor."));
    if (sqlstate == QLatin1String("42501") || sqlstate == QLatin1String("25006"))
        return error(ErrorNumber::ReadOnly,
                     QStringLiteral("O usuário não tem permissão de gravar no banco de dados do "
                                    "servidor \"%1\". Peça a permissão ao responsável pelo "
                                    "servidor."));
    if (sqlstate == QLatin1String("42P01") && !name.isEmpty())
        return DataError(ErrorNumber::NoSuchTable,
                         QStringLiteral("A tabela \"%1\" não existe no banco de dados do "
                                        "servidor \"%2\".")
                             .arg(name, serverName),
                         source, detail);
    if (sqlstate == QLatin1String("42703") && !name.isEmpty())
        return DataError(ErrorNumber::UnknownField,
                         QStringLiteral("O campo \"%1\" não existe no banco de dados do "
                                        "servidor \"%2\".")
                             .arg(name, serverName),
                         source, detail);
    // A value the column's type does not take, as the screens refuse it.
    if (sqlstate == QLatin1String("22P02") && !name.isEmpty())
        return DataError(ErrorNumber::TypeMismatch,
                         QStringLiteral("Tipos incompatíveis: \"%1\" não é um número.").arg(name),
                         source, detail);
    if ((sqlstate == QLatin1String("22007") || sqlstate == QLatin1String("22008"))
        && !name.isEmpty())
        return DataError(ErrorNumber::TypeMismatch,
                         QStringLiteral("Tipos incompatíveis: \"%1\" não é uma data.").arg(name),
                         source, detail);
    if (cls == QLatin1String("22"))
        return DataError(ErrorNumber::TypeMismatch,
                         QStringLiteral("Tipos incompatíveis: %1").arg(engineText), source, detail);
    return DataError(otherNumber, engineText, source, detail);
}

} // namespace kq::data
