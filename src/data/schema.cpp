#include "data/schema.h"

#include "data/datafolder.h"

namespace kq::data {

namespace {

const char *const kDevolvidosSchema = R"SQL(
CREATE TABLE usuarios (
  CD_usuario   VARCHAR(3)   NOT NULL COLLATE NOCASE PRIMARY KEY,
  usuario      VARCHAR(20)  COLLATE PTBR,
  senha        TEXT         COLLATE BINARY
);
-- Users listed by name: "select * from  usuarios order by usuario".
CREATE INDEX ix_usuarios_usuario ON usuarios(usuario);

CREATE TABLE parametros (
  ds_empresa    TEXT        NOT NULL DEFAULT '' COLLATE PTBR,
  ds_endereco   TEXT        NOT NULL DEFAULT '' COLLATE PTBR,
  ds_bairro     TEXT        NOT NULL DEFAULT '' COLLATE PTBR,
  ds_cidade     TEXT        NOT NULL DEFAULT '' COLLATE PTBR,
  ds_estado     VARCHAR(2)  NOT NULL DEFAULT '' COLLATE PTBR,
  cd_cep        VARCHAR(9)  NOT NULL DEFAULT '' COLLATE NOCASE,
  NR_TELEFONE   TEXT        NOT NULL DEFAULT '' COLLATE NOCASE,
  ds_cabecalho  TEXT        NOT NULL DEFAULT '' COLLATE PTBR,
  ds_prazo      TEXT        NOT NULL DEFAULT '' COLLATE PTBR,
  ds_forma      TEXT        NOT NULL DEFAULT '' COLLATE PTBR,
  permiteacordo VARCHAR(31) NOT NULL DEFAULT '' COLLATE NOCASE
);
CREATE TRIGGER parametros_one_row BEFORE INSERT ON parametros
  WHEN (SELECT count(*) FROM parametros) >= 1
  BEGIN SELECT RAISE(ABORT, 'A tabela parametros tem um único registro.'); END;

CREATE TABLE destinos (
  CD_destino   VARCHAR(3)   NOT NULL COLLATE NOCASE PRIMARY KEY,
  DS_destino   TEXT         COLLATE PTBR
);
CREATE TABLE domicilios (
  CD_domicilio VARCHAR(3)   NOT NULL COLLATE NOCASE PRIMARY KEY,
  nm_domicilio TEXT         COLLATE PTBR
);
CREATE TABLE documentos (
  CD_documento VARCHAR(2)   NOT NULL COLLATE NOCASE PRIMARY KEY,
  DS_documento TEXT         COLLATE PTBR
);

CREATE TABLE CLIENTES (
  CD_cliente       VARCHAR(5)  NOT NULL COLLATE NOCASE PRIMARY KEY,
  nm_cliente       VARCHAR(50) COLLATE PTBR,
  DS_endereco      VARCHAR(50) COLLATE PTBR,
  DS_bairro        VARCHAR(50) COLLATE PTBR,
  DS_cidade        VARCHAR(50) COLLATE PTBR,
  ds_estado        TEXT        COLLATE PTBR,
  nr_telefones     TEXT        COLLATE NOCASE,
  nr_documento     VARCHAR(50) COLLATE NOCASE,
  cd_cep           VARCHAR(50) COLLATE NOCASE,
  ds_obs           VARCHAR(50) COLLATE PTBR,
  nr_contatos      INTEGER     NOT NULL DEFAULT 0,
  dt_ultimocontato DATE        CHECK (dt_ultimocontato IS NULL
                                      OR date(dt_ultimocontato) = dt_ultimocontato),
  cd_tipo          TEXT        COLLATE NOCASE
);
-- Debtors listed by name: "select * from  clientes order by nm_cliente".
CREATE INDEX ix_clientes_nome ON CLIENTES(nm_cliente);
-- A debtor found by document in the debtors register.
CREATE INDEX ix_clientes_doc  ON CLIENTES(nr_documento);

CREATE TABLE lojas (
  CD_loja           VARCHAR(3)  NOT NULL COLLATE NOCASE PRIMARY KEY,
  DS_loja           VARCHAR(50) COLLATE PTBR,
  nm_fantasia       VARCHAR(50) COLLATE PTBR,
  DS_endereco       VARCHAR(50) COLLATE PTBR,
  DS_complemento    VARCHAR(50) COLLATE PTBR,
  DS_cidade         VARCHAR(50) COLLATE PTBR,
  DS_bairro         VARCHAR(50) COLLATE PTBR,
  cd_uf             TEXT        COLLATE NOCASE,
  nr_cep            VARCHAR(9)  COLLATE NOCASE,
  nr_telefone       VARCHAR(50) COLLATE NOCASE,
  cd_cgc            VARCHAR(50) COLLATE NOCASE,
  nr_inscricao      VARCHAR(50) COLLATE NOCASE,
  DS_email          VARCHAR(50) COLLATE PTBR,
  cd_cor            TEXT        COLLATE NOCASE,
  vl_jurospraticado REAL        DEFAULT 0,
  vl_honorarios     REAL        DEFAULT 0,
  vl_multa          REAL        DEFAULT 0,
  nr_parcelasacordo INTEGER     DEFAULT 0,
  vl_jurosacordo    REAL        DEFAULT 0
);
-- Stores listed by name: "select * from  lojas order by ds_loja".
CREATE INDEX ix_lojas_nome ON lojas(DS_loja);

CREATE TABLE situacoes (
  CD_situacao  VARCHAR(3)   NOT NULL COLLATE NOCASE PRIMARY KEY,
  DS_situacao  TEXT         COLLATE PTBR,
  CD_ACORDO    VARCHAR(1)   COLLATE NOCASE CHECK (CD_ACORDO IS NULL OR CD_ACORDO IN ('0','1'))
);

CREATE TABLE correcao (
  cd_ref       VARCHAR(7)   NOT NULL COLLATE NOCASE PRIMARY KEY,
  fator        REAL,
  ano          VARCHAR(4)   COLLATE NOCASE
);

CREATE TABLE DEVOLVIDOS (
  CD_DEVOLVIDO    VARCHAR(10) NOT NULL COLLATE NOCASE PRIMARY KEY,
  CD_CLIENTE      VARCHAR(5)  COLLATE NOCASE,
  CD_LOJA         VARCHAR(3)  COLLATE NOCASE,
  DT_VANTESCA     DATE        CHECK (DT_VANTESCA  IS NULL OR date(DT_VANTESCA)  = DT_VANTESCA),
  DT_DEPOSITO     DATE        CHECK (DT_DEPOSITO  IS NULL OR date(DT_DEPOSITO)  = DT_DEPOSITO),
  VL_CHEQUE       REAL,
  CD_SITUACAO     VARCHAR(3)  COLLATE NOCASE,
  CD_DESTINO      VARCHAR(3)  COLLATE NOCASE,
  CD_BANCO        VARCHAR(3)  COLLATE NOCASE,
  CD_AGENCIA      VARCHAR(5)  COLLATE NOCASE,
  CD_CONTA        VARCHAR(12) COLLATE NOCASE,
  NR_CHEQUE       VARCHAR(15) COLLATE NOCASE,
  NM_EMITENTE     VARCHAR(30) COLLATE PTBR,
  NR_DOCUMENTO    VARCHAR(22) COLLATE NOCASE,
  cd_ref          VARCHAR(7)  COLLATE NOCASE,
  CD_ALINEA       VARCHAR(3)  COLLATE NOCASE,
  CD_documento    VARCHAR(2)  COLLATE NOCASE,
  CD_chave        VARCHAR(20) COLLATE NOCASE,
  vl_atualizado   REAL,
  ref_atualizacao VARCHAR(7)  COLLATE NOCASE,
  cd_acordo       VARCHAR(5)  COLLATE NOCASE,
  dt_pagamento    DATE        CHECK (dt_pagamento IS NULL OR date(dt_pagamento) = dt_pagamento)
);
-- A debtor's cheques ("where cd_cliente=... order by dt_deposito"), at a
-- store for the agreement ("devolvidos.cd_cliente=... and devolvidos.cd_loja=...").
CREATE INDEX ix_devolvidos_cliente  ON DEVOLVIDOS(CD_CLIENTE, CD_LOJA);
-- Cheque query by deposit period: "where dt_deposito between ... and ...".
CREATE INDEX ix_devolvidos_deposito ON DEVOLVIDOS(DT_DEPOSITO);
-- A cheque found by its bank key at entry: "WHERE CD_CHAVE = ?".
CREATE INDEX ix_devolvidos_chave    ON DEVOLVIDOS(CD_chave);
-- Cheque query by document ("nr_documento like '...*'", NOCASE like LIKE)
-- and the document history at entry ("where nr_documento=...").
CREATE INDEX ix_devolvidos_doc      ON DEVOLVIDOS(NR_DOCUMENTO);
-- An agreement's cheques: "where cd_ACORDO=...", cancel and delete.
CREATE INDEX ix_devolvidos_acordo   ON DEVOLVIDOS(cd_acordo);

CREATE TABLE VANTESCA (
  CD_CLIENTE   VARCHAR(5)   COLLATE NOCASE,
  CD_VANTESCA  VARCHAR(4)   COLLATE NOCASE,
  DT_VANTESCA  DATE         CHECK (DT_VANTESCA IS NULL OR date(DT_VANTESCA) = DT_VANTESCA),
  DS_HISTORICO VARCHAR(200) COLLATE PTBR,
  DS_ENVOLVIDO TEXT         COLLATE PTBR,
  DS_COBRADOR  TEXT         COLLATE PTBR
);
-- A debtor's contacts: "where cd_cliente=... order by dt_vantesca" (and one
-- contact by its number).
CREATE INDEX ix_vantesca_cliente ON VANTESCA(CD_CLIENTE, CD_VANTESCA);
-- Contacts by date (reports).
CREATE INDEX ix_vantesca_data    ON VANTESCA(DT_VANTESCA);

CREATE TABLE agenda (
  cd_agenda      VARCHAR(10)  NOT NULL COLLATE NOCASE PRIMARY KEY,
  dt_lancamento  DATE         CHECK (dt_lancamento IS NULL OR date(dt_lancamento) = dt_lancamento),
  dt_marcada     DATE         CHECK (dt_marcada    IS NULL OR date(dt_marcada)    = dt_marcada),
  nm_envolvido   TEXT         COLLATE PTBR,
  nm_responsavel TEXT         COLLATE PTBR,
  ds_historico   VARCHAR(200) COLLATE PTBR,
  cd_ref         VARCHAR(7)   COLLATE NOCASE,
  status         BOOLEAN      NOT NULL DEFAULT 0 CHECK (status IN (0,1))
);
-- The diary in date order: "SELECT * From agenda order by dt_marcada".
CREATE INDEX ix_agenda_marcada ON agenda(dt_marcada);

CREATE TABLE acordos (
  cd_acordo      VARCHAR(5)   NOT NULL COLLATE NOCASE PRIMARY KEY,
  dt_acordo      DATE         CHECK (dt_acordo IS NULL OR date(dt_acordo) = dt_acordo),
  cd_loja        VARCHAR(3)   COLLATE NOCASE,
  vl_aberto      REAL,
  tx_juros       REAL,
  vl_multa       REAL,
  vl_honorarios  REAL,
  vl_jurosacordo REAL,
  nr_parcelas    REAL,
  vl_parcela     REAL,
  vl_correcao    REAL,
  CD_CLIENTE     VARCHAR(5)   COLLATE NOCASE,
  vl_financiado  REAL,
  dt_1vencimento DATE         CHECK (dt_1vencimento IS NULL
                                     OR date(dt_1vencimento) = dt_1vencimento),
  vl_juros       REAL,
  cd_status      VARCHAR(1)   COLLATE NOCASE,
  vl_desconto    REAL         DEFAULT 0
);
-- Agreement query by debtor: "where acordos.cd_cliente=...".
CREATE INDEX ix_acordos_cliente ON acordos(CD_CLIENTE);
-- ... by store and period: "acordos.cd_loja=... and dt_acordo between ...".
CREATE INDEX ix_acordos_loja    ON acordos(cd_loja, dt_acordo);

CREATE TABLE parcelas (
  cd_acordo     VARCHAR(5)    NOT NULL COLLATE NOCASE,
  cd_parcela    VARCHAR(2)    NOT NULL COLLATE NOCASE,
  cd_loja       VARCHAR(3)    COLLATE NOCASE,
  vl_parcela    REAL,
  dt_vencimento DATE          CHECK (dt_vencimento IS NULL OR date(dt_vencimento) = dt_vencimento),
  vl_honorarios REAL,
  CD_CLIENTE    VARCHAR(5)    COLLATE NOCASE,
  cd_status     VARCHAR(1)    COLLATE NOCASE,
  DT_BAIXA      DATE          CHECK (DT_BAIXA IS NULL OR date(DT_BAIXA) = DT_BAIXA),
  cd_refbaixa   VARCHAR(7)    COLLATE NOCASE,
  PRIMARY KEY (cd_acordo, cd_parcela)
);
-- Instalment query by due period, and the open ones of a month to write
-- off: "dt_vencimento between ... and ..." ("... AND parcelas.CD_STATUS='A'").
CREATE INDEX ix_parcelas_venc    ON parcelas(dt_vencimento, cd_status);
-- Instalment query by debtor: "where parcelas.cd_cliente=...".
CREATE INDEX ix_parcelas_cliente ON parcelas(CD_CLIENTE);

CREATE TABLE status (
  cd_status    VARCHAR(1)   NOT NULL COLLATE NOCASE PRIMARY KEY,
  ds_status    TEXT         COLLATE PTBR
);
)SQL";

// Indexes for the record sources and filters of the screens, each after the
// query it serves. They are made with the database and added to an older
// one when it is opened (IF NOT EXISTS costs nothing when they are there).
// Code tables of a few dozen rows (situations, destinations...) need none,
// nor the rows of one debtor, found by ix_devolvidos_cliente and few enough
// to be sorted as they are read.
const char *const kDevolvidosIndexes[] = {
    // Cheque query filtered by store: "where devolvidos.cd_loja=... order by
    // nm_emitente" reads the store's cheques already in issuer order.
    "CREATE INDEX IF NOT EXISTS ix_devolvidos_loja_emitente"
    " ON DEVOLVIDOS(CD_LOJA, NM_EMITENTE)",
    // ... by store and deposit period: "devolvidos.cd_loja=... and
    // dt_deposito between ... and ...".
    "CREATE INDEX IF NOT EXISTS ix_devolvidos_loja_deposito"
    " ON DEVOLVIDOS(CD_LOJA, DT_DEPOSITO)",
    // ... by a deposit period of many cheques: "where +dt_deposito between
    // ... order by nm_emitente, dt_deposito" walks the issuers in order, the
    // dates read from the index.
    "CREATE INDEX IF NOT EXISTS ix_devolvidos_emitente_deposito"
    " ON DEVOLVIDOS(NM_EMITENTE, DT_DEPOSITO)",
    // Instalment query by store and due period: "parcelas.cd_loja=... and
    // dt_vencimento between ... and ...".
    "CREATE INDEX IF NOT EXISTS ix_parcelas_loja_venc ON parcelas(cd_loja, dt_vencimento)",
    // ... by a due period of many instalments, the debtors walked in name
    // order: "CLIENTES CROSS JOIN parcelas ... where parcelas.CD_CLIENTE =
    // CLIENTES.CD_CLIENTE and dt_vencimento between ... and ...".
    "CREATE INDEX IF NOT EXISTS ix_parcelas_cliente_venc ON parcelas(CD_CLIENTE, dt_vencimento)"
    " WHERE dt_vencimento IS NOT NULL",
    // Agreement query by period: "where dt_acordo between ... and ...".
    "CREATE INDEX IF NOT EXISTS ix_acordos_data ON acordos(dt_acordo)",
};

const char *const kDevolvidosSeed = R"SQL(
INSERT INTO parametros DEFAULT VALUES;
INSERT INTO situacoes (CD_situacao, DS_situacao, CD_ACORDO) VALUES
  ('001', 'EM COBRANÇA', '0'),
  ('002', 'EM ACORDO', '1'),
  ('007', 'SEM CARTA', '0');
INSERT INTO status (cd_status, ds_status) VALUES
  ('A', 'ABERTA'), ('B', 'BAIXADA'), ('C', 'CANCELADA');
INSERT INTO destinos (CD_destino, DS_destino) VALUES ('001', 'ESCRITÓRIO');
INSERT INTO documentos (CD_documento, DS_documento) VALUES ('01', 'CHEQUE');
)SQL";

const char *const kMenuSchema = R"SQL(
CREATE TABLE CONFIG (
  GRUPO     INTEGER NOT NULL CHECK (GRUPO BETWEEN 1 AND 6),
  OPCAO     INTEGER NOT NULL,
  descricao TEXT    COLLATE PTBR,
  ds_tootip TEXT    COLLATE PTBR,
  opcoes    TEXT    COLLATE NOCASE,
  PRIMARY KEY (GRUPO, OPCAO)
);
)SQL";

// One row per line of the menu's dispatch table that opens a screen:
// caption = short name of the screen, tooltip = the screen's caption.
const char *const kMenuSeed = R"SQL(
INSERT INTO CONFIG (GRUPO, OPCAO, descricao, ds_tootip, opcoes) VALUES
 (1, 1, 'Inadimplentes', 'Cadastro de Clientes Negativados', NULL),
 (1, 2, 'Usuários', 'Tabela de Usuários', NULL),
 (1, 3, 'Empresas', 'Tabela de Empresas', NULL),
 (1, 4, 'Destinos', 'Cadastro de Destinos', NULL),
 (1, 5, 'Situações', 'Cadastro de Situações', NULL),
 (1, 6, 'Contas', 'Cadastro de Contas', NULL),
 (1, 7, 'Documentos', 'Tabela de Documentos', NULL),
 (1, 8, 'Tutorial', 'Tutorial do Sistema', NULL),
 (2, 1, 'Cheques Devolvidos', 'Lançamento de Cheques devolvidos', NULL),
 (2, 2, 'Vantesca', 'Módulo de Vantesca', NULL),
 (2, 3, 'Agenda', 'Agenda', NULL),
 (2, 4, 'Baixa de Parcelas', 'Seleção de Baixa', NULL),
 (2, 5, 'Correção Monetária', 'Tabela de Correção monetária', NULL),
 (3, 1, 'Documentos', 'CONSULTA DE DOCUMENTOS', NULL),
 (3, 2, 'Parcelamentos', 'CONSULTAS DE PARCELAMENTOS', NULL),
 (3, 3, 'Acordos', 'CONSULTAS DE ACORDOS', NULL),
 (4, 1, 'Cheques', 'Relatórios do Sistema', NULL),
 (4, 2, 'Vantesca', 'Relatórios do Sistema', NULL),
 (4, 3, 'Clientes', 'Relatórios de Clientes', NULL),
 (4, 4, 'Financeiros', 'Relatórios Financeiros', NULL),
 (5, 1, 'Parâmetros', 'Parametros', NULL),
 (5, 2, 'Log de Operação', 'Log de Operação', NULL),
 (6, 1, 'B.I.', 'Bi - Business Inteligence', NULL);
)SQL";

const char *const kHelpSchema = R"SQL(
CREATE TABLE help (
  cd_modulo TEXT NOT NULL COLLATE NOCASE PRIMARY KEY,
  ds_help   TEXT COLLATE PTBR
);
)SQL";

const char *const kTutorialSchema = R"SQL(
CREATE TABLE filmes (
  CD_SISTEMA    TEXT    COLLATE NOCASE,
  DS_MODULO     TEXT    COLLATE PTBR,
  DS_LINK       TEXT    COLLATE NOCASE,
  DS_SISTEMA    TEXT    COLLATE PTBR,
  cd_sequencial INTEGER
);
CREATE INDEX ix_filmes_ordem ON filmes(CD_SISTEMA, cd_sequencial);
)SQL";

bool is(const QString &fileName, const QString &name)
{
    return fileName.compare(name, Qt::CaseInsensitive) == 0;
}

} // namespace

QStringList databaseFileNames()
{
    return {kDevolvidos, kMenu, kHelp, kTutorial};
}

QString schemaSql(const QString &fileName)
{
    if (is(fileName, kDevolvidos))
        return QString::fromUtf8(kDevolvidosSchema);
    if (is(fileName, kMenu))
        return QString::fromUtf8(kMenuSchema);
    if (is(fileName, kHelp))
        return QString::fromUtf8(kHelpSchema);
    if (is(fileName, kTutorial))
        return QString::fromUtf8(kTutorialSchema);
    return QString();
}

QStringList analyzedTables(const QString &fileName)
{
    if (is(fileName, kDevolvidos))
        return {QStringLiteral("DEVOLVIDOS"), QStringLiteral("parcelas"), QStringLiteral("acordos"),
                QStringLiteral("VANTESCA"), QStringLiteral("agenda")};
    return {};
}

QStringList indexStatements(const QString &fileName)
{
    QStringList out;
    if (is(fileName, kDevolvidos)) {
        for (const char *sql : kDevolvidosIndexes)
            out << QString::fromLatin1(sql);
    }
    return out;
}

QString seedSql(const QString &fileName)
{
    if (is(fileName, kDevolvidos))
        return QString::fromUtf8(kDevolvidosSeed);
    if (is(fileName, kMenu))
        return QString::fromUtf8(kMenuSeed);
    return QString();
}

} // namespace kq::data
