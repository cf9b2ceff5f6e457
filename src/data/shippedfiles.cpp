#include "data/shippedfiles.h"

#include "data/datafolder.h"

#include <QFile>
#include <QFileInfo>

namespace kq::data {

namespace {

// A paragraph of a template: its style ("P" body, "Titulo", "Direita",
// "Lista" monospaced for the cheque list, "Assinatura") and its text.
struct Para
{
    const char *style;
    const char *text;
};

// The text of a paragraph: XML-escaped, a blank after a blank as <text:s/>
// (blanks in the file would collapse to one).
QByteArray escaped(const QByteArray &text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == ' ' && i > 0 && text.at(i - 1) == ' ') {
            qsizetype n = 0;
            while (i < text.size() && text.at(i) == ' ') {
                ++n;
                ++i;
            }
            --i;
            out += "<text:s text:c=\"" + QByteArray::number(n) + "\"/>";
            continue;
        }
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
    return out;
}

QByteArray flatOdt(const QVector<Para> &paragraphs)
{
    QByteArray body;
    for (const Para &p : paragraphs)
        body += "<text:p text:style-name=\"" + QByteArray(p.style) + "\">" + escaped(p.text)
                + "</text:p>\n";
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
<office:font-face-decls>
<style:font-face style:name="Liberation Serif" svg:font-family="'Liberation Serif'" style:font-family-generic="roman"/>
<style:font-face style:name="Liberation Mono" svg:font-family="'Liberation Mono'" style:font-family-generic="modern" style:font-pitch="fixed"/>
</office:font-face-decls>
<office:styles>
<style:default-style style:family="paragraph">
<style:paragraph-properties fo:margin-top="0cm" fo:margin-bottom="0.2cm"/>
<style:text-properties style:font-name="Liberation Serif" fo:font-size="12pt" fo:language="pt" fo:country="BR"/>
</style:default-style>
<style:style style:name="P" style:family="paragraph">
<style:paragraph-properties fo:text-align="justify"/>
</style:style>
<style:style style:name="Titulo" style:family="paragraph">
<style:paragraph-properties fo:text-align="center" fo:margin-bottom="0.6cm"/>
<style:text-properties fo:font-size="14pt" fo:font-weight="bold"/>
</style:style>
<style:style style:name="Direita" style:family="paragraph">
<style:paragraph-properties fo:text-align="end" fo:margin-top="0.4cm" fo:margin-bottom="0.6cm"/>
</style:style>
<style:style style:name="Lista" style:family="paragraph">
<style:paragraph-properties fo:margin-bottom="0cm"/>
<style:text-properties style:font-name="Liberation Mono" fo:font-size="9pt"/>
</style:style>
<style:style style:name="Assinatura" style:family="paragraph">
<style:paragraph-properties fo:text-align="center" fo:margin-top="0.8cm" fo:margin-bottom="0cm"/>
</style:style>
</office:styles>
<office:automatic-styles>
<style:page-layout style:name="pm1">
<style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm" fo:margin-top="2cm" fo:margin-bottom="2cm" fo:margin-left="2.5cm" fo:margin-right="2cm"/>
</style:page-layout>
</office:automatic-styles>
<office:master-styles>
<style:master-page style:name="Standard" style:page-layout-name="pm1"/>
</office:master-styles>
<office:body>
<office:text>
)" + body + R"(</office:text>
</office:body>
</office:document>
)";
}

// The debtor's address block, the place and the date: the same nine
// placeholders open every collection letter.
QVector<Para> letterHead(const char *title)
{
    return {{"Titulo", title},
            {"P", "Ilmo(a). Sr(a). @NomeDev"},
            {"P", "@Enderecodev"},
            {"P", "@Bairrodev - @cidadedev"},
            {"P", "CEP @cepdev"},
            {"Direita", "@cidade, @dia de @mes de @ano."}};
}

const Para kListHead = {"Lista", "DOCUMENTO            | DEPÓSITO   | VALOR |DEVEDOR |CPF/CNPJ"};

QByteArray cartaBranda()
{
    QVector<Para> p = letterHead("AVISO DE DÉBITO");
    p += {{"P", "Prezado(a) Sr(a). @NomeDev, CPF/CNPJ @CPF/CNPJDev,"},
          {"P", "Lembramos que constam em aberto, junto à empresa @nomecliente, os documentos "
                "abaixo relacionados, devolvidos pelo banco:"},
          kListHead,
          {"Lista", "@documentos"},
          {"P", "Acreditamos tratar-se de um esquecimento. Pedimos a gentileza de entrar em "
                "contato conosco no prazo de @ndias, pelo telefone @fone, para regularizarmos "
                "a situação da melhor forma."},
          {"P", "Caso o débito já tenha sido quitado, por favor desconsidere este aviso."},
          {"P", "Atenciosamente,"},
          {"Assinatura", "@usuario"}};
    return flatOdt(p);
}

QByteArray cartaIntermediaria()
{
    QVector<Para> p = letterHead("SEGUNDO AVISO DE DÉBITO");
    p += {{"P", "Prezado(a) Sr(a). @NomeDev, CPF/CNPJ @CPF/CNPJDev,"},
          {"P", "Apesar do aviso anterior, continuam em aberto, junto à empresa @nomecliente, "
                "os documentos abaixo relacionados:"},
          kListHead,
          {"Lista", "@documentos"},
          {"P", "Solicitamos o seu comparecimento no prazo de @ndias ao nosso escritório, "
                "situado à @EndComp2, para negociar o pagamento e evitar medidas de cobrança "
                "mais severas."},
          {"P", "Caso o débito já tenha sido quitado, por favor desconsidere este aviso."},
          {"P", "Atenciosamente,"},
          {"Assinatura", "@usuario"}};
    return flatOdt(p);
}

QByteArray cartaIncisiva(const char *title, const char *warning)
{
    QVector<Para> p = letterHead(title);
    p += {{"P", "Sr(a). @NomeDev, CPF/CNPJ @CPF/CNPJDev,"},
          {"P", "Comunicamos que a empresa @nomecliente nos encarregou da cobrança dos "
                "documentos abaixo relacionados, devolvidos pelo banco e até hoje não pagos:"},
          kListHead,
          {"Lista", "@documentos"},
          {"P", warning},
          {"P", "Caso o débito já tenha sido quitado, por favor desconsidere esta carta."},
          {"P", "Atenciosamente,"},
          {"Assinatura", "@usuario"}};
    return flatOdt(p);
}

QByteArray cartaIncisivaTerm()
{
    QVector<Para> p = letterHead("ÚLTIMO AVISO ANTES DAS MEDIDAS LEGAIS");
    p += {{"P", "A empresa @nomecliente comunica ao(à) Sr(a). @NomeDev, CPF/CNPJ @CPF/CNPJDev, "
                "que se esgotaram as tentativas de acordo amigável para o pagamento dos "
                "documentos abaixo relacionados:"},
          kListHead,
          {"Lista", "@documentos"},
          {"P", "Não havendo contato em 48 horas a contar do recebimento desta, o débito será "
                "encaminhado aos órgãos de proteção ao crédito e à cobrança judicial, com os "
                "acréscimos legais."},
          {"P", "Atenciosamente,"},
          {"Assinatura", "@usuario"}};
    return flatOdt(p);
}

QByteArray confissaoDivida()
{
    return flatOdt({
        {"Titulo", "INSTRUMENTO PARTICULAR DE CONFISSÃO DE DÍVIDA"},
        {"P", "DEVEDOR(A): inscrito(a) no CPF/CNPJ sob o número @CPF/CNPJDev, @NomeDev, "
              "residente à @Endereco, bairro @Bairro, telefone @Telefone."},
        {"P", "Pelo presente instrumento, firmado em @cidade, aos @dia dias do mês de @mes de "
              "@ano, o(a) DEVEDOR(A) acima qualificado(a) reconhece e confessa dever a quantia "
              "de R$ @valordevido, sobre a qual lhe é concedido o desconto de R$ @desconto, "
              "resultando no valor acordado de R$ @ValorAC."},
        {"P", "O valor acordado será pago com uma entrada de R$ @Entrada, com vencimento em "
              "@DataEntrada, e o saldo em @QtdParcelas parcela(s) mensal(is) e sucessiva(s) de "
              "R$ @ValorParc, a primeira com vencimento em @VencimentoParc."},
        {"P", "A falta de pagamento de qualquer parcela na data de seu vencimento implicará o "
              "vencimento antecipado das demais, acrescidas de multa e juros legais, podendo o "
              "credor promover a cobrança judicial do saldo devedor."},
        {"P", "E, por estar de pleno acordo, o(a) DEVEDOR(A) assina o presente instrumento."},
        {"Assinatura", "_______________________________________"},
        {"Assinatura", "@NomeDev1"},
        {"Assinatura", "@Endereco1"},
        {"Assinatura", "CPF/CNPJ: @CPF/CNPJDev"},
        {"P", "Testemunhas:"},
        {"P", "1. _______________________________    2. _______________________________"},
        {"Assinatura", "Devedor(a): @NomeDev2"},
    });
}

// Report files: our own JSON format, read by the report engine.
const char kRelCheques[] = R"({
  "formato": "kq-730-relatorio", "versao": 1,
  "titulo": "Cheques Devolvidos por Data de Depósito",
  "orientacao": "paisagem",
  "campos": "LOJAS.DS_LOJA, DEVOLVIDOS.DT_DEPOSITO, CLIENTES.NM_CLIENTE, DEVOLVIDOS.CD_BANCO, DEVOLVIDOS.NR_CHEQUE, DEVOLVIDOS.NM_EMITENTE, SITUACOES.DS_SITUACAO, DEVOLVIDOS.VL_CHEQUE, DEVOLVIDOS.vl_atualizado",
  "tabelas": "DEVOLVIDOS INNER JOIN CLIENTES ON CLIENTES.CD_CLIENTE = DEVOLVIDOS.CD_CLIENTE INNER JOIN LOJAS ON LOJAS.CD_LOJA = DEVOLVIDOS.CD_LOJA LEFT JOIN SITUACOES ON SITUACOES.CD_SITUACAO = DEVOLVIDOS.CD_SITUACAO",
  "ordem": "DEVOLVIDOS.DT_DEPOSITO, CLIENTES.NM_CLIENTE",
  "grupos": [{"campo": "DS_LOJA", "titulo": "Empresa"}],
  "colunas": [
    {"campo": "DT_DEPOSITO", "titulo": "Depósito", "formato": "dd/mm/yyyy", "largura": 10},
    {"campo": "NM_CLIENTE", "titulo": "Devedor", "largura": 28, "total": "contagem"},
    {"campo": "CD_BANCO", "titulo": "Bnc", "largura": 5},
    {"campo": "NR_CHEQUE", "titulo": "Cheque", "largura": 9},
    {"campo": "NM_EMITENTE", "titulo": "Emitente", "largura": 24},
    {"campo": "DS_SITUACAO", "titulo": "Situação", "largura": 14},
    {"campo": "VL_CHEQUE", "titulo": "Valor", "formato": "0.00", "largura": 10, "total": "soma"},
    {"campo": "vl_atualizado", "titulo": "Atualizado", "formato": "0.00", "largura": 10, "total": "soma"}
  ]
}
)";

const char kRelContatos[] = R"({
  "formato": "kq-730-relatorio", "versao": 1,
  "titulo": "Contatos de Vantesca por Data",
  "orientacao": "paisagem",
  "campos": "VANTESCA.DT_VANTESCA, CLIENTES.NM_CLIENTE, VANTESCA.DS_ENVOLVIDO, VANTESCA.DS_COBRADOR, VANTESCA.DS_HISTORICO",
  "tabelas": "VANTESCA INNER JOIN CLIENTES ON CLIENTES.CD_CLIENTE = VANTESCA.CD_CLIENTE",
  "ordem": "CLIENTES.NM_CLIENTE",
  "grupos": [{"campo": "DT_VANTESCA", "titulo": "Data", "formato": "dd/mm/yyyy"}],
  "colunas": [
    {"campo": "NM_CLIENTE", "titulo": "Devedor", "largura": 24, "total": "contagem"},
    {"campo": "DS_ENVOLVIDO", "titulo": "Envolvido", "largura": 14},
    {"campo": "DS_COBRADOR", "titulo": "Cobrador", "largura": 12},
    {"campo": "DS_HISTORICO", "titulo": "Histórico", "largura": 50}
  ]
}
)";

const char kRelContatosCliente[] = R"({
  "formato": "kq-730-relatorio", "versao": 1,
  "titulo": "Contatos de Vantesca do Cliente",
  "orientacao": "paisagem",
  "campos": "CLIENTES.NM_CLIENTE, VANTESCA.CD_VANTESCA, VANTESCA.DT_VANTESCA, VANTESCA.DS_ENVOLVIDO, VANTESCA.DS_COBRADOR, VANTESCA.DS_HISTORICO",
  "tabelas": "VANTESCA INNER JOIN CLIENTES ON CLIENTES.CD_CLIENTE = VANTESCA.CD_CLIENTE",
  "ordem": "VANTESCA.DT_VANTESCA, VANTESCA.CD_VANTESCA",
  "grupos": [{"campo": "NM_CLIENTE", "titulo": "Devedor"}],
  "colunas": [
    {"campo": "CD_VANTESCA", "titulo": "Nº", "largura": 5, "total": "contagem"},
    {"campo": "DT_VANTESCA", "titulo": "Data", "formato": "dd/mm/yyyy", "largura": 10},
    {"campo": "DS_ENVOLVIDO", "titulo": "Envolvido", "largura": 14},
    {"campo": "DS_COBRADOR", "titulo": "Cobrador", "largura": 12},
    {"campo": "DS_HISTORICO", "titulo": "Histórico", "largura": 55}
  ]
}
)";

const char kRelAcordos[] = R"({
  "formato": "kq-730-relatorio", "versao": 1,
  "titulo": "Acordos por Data",
  "orientacao": "paisagem",
  "campos": "lojas.ds_loja, acordos.cd_acordo, acordos.dt_acordo, CLIENTES.NM_CLIENTE, acordos.vl_aberto, acordos.nr_parcelas, acordos.vl_parcela, acordos.vl_financiado, acordos.dt_1vencimento, acordos.cd_status",
  "tabelas": "acordos INNER JOIN CLIENTES ON CLIENTES.CD_CLIENTE = acordos.CD_CLIENTE INNER JOIN lojas ON lojas.cd_loja = acordos.cd_loja",
  "ordem": "acordos.dt_acordo, acordos.cd_acordo",
  "grupos": [{"campo": "ds_loja", "titulo": "Empresa"}],
  "colunas": [
    {"campo": "cd_acordo", "titulo": "Acordo", "largura": 7, "total": "contagem"},
    {"campo": "dt_acordo", "titulo": "Data", "formato": "dd/mm/yyyy", "largura": 10},
    {"campo": "NM_CLIENTE", "titulo": "Devedor", "largura": 28},
    {"campo": "vl_aberto", "titulo": "Dívida", "formato": "0.00", "largura": 11, "total": "soma"},
    {"campo": "nr_parcelas", "titulo": "Parcelas", "largura": 7, "alinhamento": "direita"},
    {"campo": "vl_parcela", "titulo": "Valor Parcela", "formato": "0.00", "largura": 11},
    {"campo": "vl_financiado", "titulo": "Total Financiado", "formato": "0.00", "largura": 12, "total": "soma"},
    {"campo": "dt_1vencimento", "titulo": "1º Vencimento", "formato": "dd/mm/yyyy", "largura": 11},
    {"campo": "cd_status", "titulo": "Cancelado", "largura": 8, "alinhamento": "centro"}
  ]
}
)";

const char kRelParcelas[] = R"({
  "formato": "kq-730-relatorio", "versao": 1,
  "titulo": "Parcelas por Vencimento",
  "orientacao": "paisagem",
  "campos": "lojas.ds_loja, parcelas.dt_vencimento, parcelas.cd_acordo, parcelas.cd_parcela, CLIENTES.NM_CLIENTE, parcelas.vl_parcela, status.ds_status, parcelas.DT_BAIXA",
  "tabelas": "parcelas INNER JOIN CLIENTES ON CLIENTES.CD_CLIENTE = parcelas.CD_CLIENTE INNER JOIN lojas ON lojas.cd_loja = parcelas.cd_loja LEFT JOIN status ON status.cd_status = parcelas.cd_status",
  "ordem": "parcelas.dt_vencimento, parcelas.cd_acordo, parcelas.cd_parcela",
  "grupos": [{"campo": "ds_loja", "titulo": "Empresa"}],
  "colunas": [
    {"campo": "dt_vencimento", "titulo": "Vencimento", "formato": "dd/mm/yyyy", "largura": 10},
    {"campo": "cd_acordo", "titulo": "Acordo", "largura": 7},
    {"campo": "cd_parcela", "titulo": "Parcela", "largura": 6, "total": "contagem"},
    {"campo": "NM_CLIENTE", "titulo": "Devedor", "largura": 30},
    {"campo": "vl_parcela", "titulo": "Valor", "formato": "0.00", "largura": 11, "total": "soma"},
    {"campo": "ds_status", "titulo": "Situação", "largura": 11},
    {"campo": "DT_BAIXA", "titulo": "Baixa", "formato": "dd/mm/yyyy", "largura": 10}
  ]
}
)";

} // namespace

QVector<QPair<QString, QByteArray>> shippedFiles()
{
    return {
        {QStringLiteral("1_Cheques por Data de Deposito.rpt"), kRelCheques},
        {QStringLiteral("2_Contatos por Data.rpt"), kRelContatos},
        {QStringLiteral("3_Contatos do Cliente.rpt"), kRelContatosCliente},
        {QStringLiteral("4_Acordos por Data.rpt"), kRelAcordos},
        {QStringLiteral("5_Parcelas por Vencimento.rpt"), kRelParcelas},
        {QStringLiteral("Carta Branda.doc"), cartaBranda()},
        {QStringLiteral("Carta Intermediaria.doc"), cartaIntermediaria()},
        {QStringLiteral("Carta Incisiva.doc"),
         cartaIncisiva("AVISO DE COBRANÇA",
                       "Solicitamos o pagamento imediato ou o contato com este escritório para a "
                       "negociação do débito, evitando a inclusão do seu nome nos órgãos de "
                       "proteção ao crédito.")},
        {QStringLiteral("Carta Notificacao.doc"),
         cartaIncisiva("NOTIFICAÇÃO EXTRAJUDICIAL",
                       "Fica V. Sa. notificado(a) a liquidar o débito ou procurar este "
                       "escritório para a negociação, sob pena das medidas legais cabíveis.")},
        {QStringLiteral("Carta IncisivaTerm.doc"), cartaIncisivaTerm()},
        {QStringLiteral("confissaodivida.doc"), confissaoDivida()},
    };
}

QStringList writeShippedFiles(const QString &dir)
{
    QStringList written;
    for (const auto &[name, contents] : shippedFiles()) {
        const QString path = dataFile(dir, name);
        if (QFileInfo::exists(path))
            continue;
        QFile f(path);
        if (f.open(QIODevice::WriteOnly) && f.write(contents) == contents.size())
            written << name;
    }
    return written;
}

} // namespace kq::data
