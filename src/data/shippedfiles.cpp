#include "data/shippedfiles.h"

#include "data/datafolder.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
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
<style:font-face style:name="Liberation Serif" svg:font-family="'Liberation Serif'"
 style:font-family-generic="roman"/>
<style:font-face style:name="Liberation Mono" svg:font-family="'Liberation Mono'"
 style:font-family-generic="modern" style:font-pitch="fixed"/>
</office:font-face-decls>
<office:styles>
<style:default-style style:family="paragraph">
<style:paragraph-properties fo:margin-top="0cm" fo:margin-bottom="0.2cm"/>
<style:text-properties style:font-name="Liberation Serif" fo:font-size="12pt"
 fo:language="pt" fo:country="BR"/>
</style:default-style>
<style:style style:name="P" style:family="paragraph">
<style:paragraph-properties fo:text-align="justify"/>
</style:style>
<style:style style:name="Titulo" style:family="paragraph">
<style:paragraph-properties fo:text-align="center" fo:margin-bottom="0.6cm"/>
<style:text-properties fo:font-size="14pt" fo:font-weight="bold"/>
</style:style>
<style:style style:name="Direita" style:family="paragraph">
<style:paragraph-properties fo:text-align="end" fo:margin-top="0.4cm"
 fo:margin-bottom="0.6cm"/>
</style:style>
<style:style style:name="Lista" style:family="paragraph">
<style:paragraph-properties fo:margin-bottom="0cm"/>
<style:text-properties style:font-name="Liberation Mono" fo:font-size="9pt"/>
</style:style>
<style:style style:name="Assinatura" style:family="paragraph">
<style:paragraph-properties fo:text-align="center" fo:margin-top="0.8cm"
 fo:margin-bottom="0cm"/>
</style:style>
</office:styles>
<office:automatic-styles>
<style:page-layout style:name="pm1">
<style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm"
 fo:margin-top="2cm" fo:margin-bottom="2cm" fo:margin-left="2.5cm" fo:margin-right="2cm"/>
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
    return {{"Titulo", title},     {"P", "Ilmo(a). Sr(a). @NomeDev"},
            {"P", "@Enderecodev"}, {"P", "@Bairrodev - @cidadedev"},
            {"P", "CEP @cepdev"},  {"Direita", "@cidade, @dia de @mes de @ano."}};
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
struct Col
{
    const char *field;
    const char *caption;
    const char *format;
    int width;
    const char *total; // "", "soma", "contagem"
    const char *alignment = "";
};

struct Report
{
    const char *title;
    const char *select;
    const char *from;
    const char *order;
    const char *groupField;
    const char *groupCaption;
    const char *groupFormat;
    QVector<Col> columns;
};

QByteArray reportFile(const Report &r)
{
    QJsonArray cols;
    for (const Col &c : r.columns) {
        QJsonObject o{
            {"campo", c.field}, {"titulo", QString::fromUtf8(c.caption)}, {"largura", c.width}};
        if (*c.format)
            o["formato"] = c.format;
        if (*c.total)
            o["total"] = c.total;
        if (*c.alignment)
            o["alinhamento"] = c.alignment;
        cols << o;
    }
    QJsonObject group{{"campo", r.groupField}, {"titulo", QString::fromUtf8(r.groupCaption)}};
    if (*r.groupFormat)
        group["formato"] = r.groupFormat;
    const QJsonObject o{{"formato", "kq-730-relatorio"},
                        {"versao", 1},
                        {"titulo", QString::fromUtf8(r.title)},
                        {"orientacao", "paisagem"},
                        {"campos", r.select},
                        {"tabelas", r.from},
                        {"ordem", r.order},
                        {"grupos", QJsonArray{group}},
                        {"colunas", cols}};
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

QByteArray relCheques()
{
    return reportFile(
        {"Cheques Devolvidos por Data de Depósito",
         "LOJAS.DS_LOJA, DEVOLVIDOS.DT_DEPOSITO, CLIENTES.NM_CLIENTE, DEVOLVIDOS.CD_BANCO, "
         "DEVOLVIDOS.NR_CHEQUE, DEVOLVIDOS.NM_EMITENTE, SITUACOES.DS_SITUACAO, "
         "DEVOLVIDOS.VL_CHEQUE, DEVOLVIDOS.vl_atualizado",
         "DEVOLVIDOS INNER JOIN CLIENTES ON CLIENTES.CD_CLIENTE = DEVOLVIDOS.CD_CLIENTE "
         "INNER JOIN LOJAS ON LOJAS.CD_LOJA = DEVOLVIDOS.CD_LOJA "
         "LEFT JOIN SITUACOES ON SITUACOES.CD_SITUACAO = DEVOLVIDOS.CD_SITUACAO",
         "DEVOLVIDOS.DT_DEPOSITO, CLIENTES.NM_CLIENTE",
         "DS_LOJA",
         "Empresa",
         "",
         {{"DT_DEPOSITO", "Depósito", "dd/mm/yyyy", 10, ""},
          {"NM_CLIENTE", "Devedor", "", 28, "contagem"},
          {"CD_BANCO", "Bnc", "", 5, ""},
          {"NR_CHEQUE", "Cheque", "", 9, ""},
          {"NM_EMITENTE", "Emitente", "", 24, ""},
          {"DS_SITUACAO", "Situação", "", 14, ""},
          {"VL_CHEQUE", "Valor", "0.00", 10, "soma"},
          {"vl_atualizado", "Atualizado", "0.00", 10, "soma"}}});
}

QByteArray relContatos()
{
    return reportFile({"Contatos de Vantesca por Data",
                       "VANTESCA.DT_VANTESCA, CLIENTES.NM_CLIENTE, VANTESCA.DS_ENVOLVIDO, "
                       "VANTESCA.DS_COBRADOR, VANTESCA.DS_HISTORICO",
                       "VANTESCA INNER JOIN CLIENTES ON CLIENTES.CD_CLIENTE = VANTESCA.CD_CLIENTE",
                       "CLIENTES.NM_CLIENTE",
                       "DT_VANTESCA",
                       "Data",
                       "dd/mm/yyyy",
                       {{"NM_CLIENTE", "Devedor", "", 24, "contagem"},
                        {"DS_ENVOLVIDO", "Envolvido", "", 14, ""},
                        {"DS_COBRADOR", "Cobrador", "", 12, ""},
                        {"DS_HISTORICO", "Histórico", "", 50, ""}}});
}

QByteArray relContatosCliente()
{
    return reportFile({"Contatos de Vantesca do Cliente",
                       "CLIENTES.NM_CLIENTE, VANTESCA.CD_VANTESCA, VANTESCA.DT_VANTESCA, "
                       "VANTESCA.DS_ENVOLVIDO, VANTESCA.DS_COBRADOR, VANTESCA.DS_HISTORICO",
                       "VANTESCA INNER JOIN CLIENTES ON CLIENTES.CD_CLIENTE = VANTESCA.CD_CLIENTE",
                       "VANTESCA.DT_VANTESCA, VANTESCA.CD_VANTESCA",
                       "NM_CLIENTE",
                       "Devedor",
                       "",
                       {{"CD_VANTESCA", "Nº", "", 5, "contagem"},
                        {"DT_VANTESCA", "Data", "dd/mm/yyyy", 10, ""},
                        {"DS_ENVOLVIDO", "Envolvido", "", 14, ""},
                        {"DS_COBRADOR", "Cobrador", "", 12, ""},
                        {"DS_HISTORICO", "Histórico", "", 55, ""}}});
}

QByteArray relAcordos()
{
    return reportFile(
        {"Acordos por Data",
         "lojas.ds_loja, acordos.cd_acordo, acordos.dt_acordo, CLIENTES.NM_CLIENTE, "
         "acordos.vl_aberto, acordos.nr_parcelas, acordos.vl_parcela, acordos.vl_financiado, "
         "acordos.dt_1vencimento, acordos.cd_status",
         "acordos INNER JOIN CLIENTES ON CLIENTES.CD_CLIENTE = acordos.CD_CLIENTE "
         "INNER JOIN lojas ON lojas.cd_loja = acordos.cd_loja",
         "acordos.dt_acordo, acordos.cd_acordo",
         "ds_loja",
         "Empresa",
         "",
         {{"cd_acordo", "Acordo", "", 7, "contagem"},
          {"dt_acordo", "Data", "dd/mm/yyyy", 10, ""},
          {"NM_CLIENTE", "Devedor", "", 28, ""},
          {"vl_aberto", "Dívida", "0.00", 11, "soma"},
          {"nr_parcelas", "Parcelas", "", 7, "", "direita"},
          {"vl_parcela", "Valor Parcela", "0.00", 11, ""},
          {"vl_financiado", "Total Financiado", "0.00", 12, "soma"},
          {"dt_1vencimento", "1º Vencimento", "dd/mm/yyyy", 11, ""},
          {"cd_status", "Cancelado", "", 8, "", "centro"}}});
}

QByteArray relParcelas()
{
    return reportFile(
        {"Parcelas por Vencimento",
         "lojas.ds_loja, parcelas.dt_vencimento, parcelas.cd_acordo, parcelas.cd_parcela, "
         "CLIENTES.NM_CLIENTE, parcelas.vl_parcela, status.ds_status, parcelas.DT_BAIXA",
         "parcelas INNER JOIN CLIENTES ON CLIENTES.CD_CLIENTE = parcelas.CD_CLIENTE "
         "INNER JOIN lojas ON lojas.cd_loja = parcelas.cd_loja "
         "LEFT JOIN status ON status.cd_status = parcelas.cd_status",
         "parcelas.dt_vencimento, parcelas.cd_acordo, parcelas.cd_parcela",
         "ds_loja",
         "Empresa",
         "",
         {{"dt_vencimento", "Vencimento", "dd/mm/yyyy", 10, ""},
          {"cd_acordo", "Acordo", "", 7, ""},
          {"cd_parcela", "Parcela", "", 6, "contagem"},
          {"NM_CLIENTE", "Devedor", "", 30, ""},
          {"vl_parcela", "Valor", "0.00", 11, "soma"},
          {"ds_status", "Situação", "", 11, ""},
          {"DT_BAIXA", "Baixa", "dd/mm/yyyy", 10, ""}}});
}

} // namespace

QVector<QPair<QString, QByteArray>> shippedFiles()
{
    return {
        {QStringLiteral("1_Cheques por Data de Deposito.rpt"), relCheques()},
        {QStringLiteral("2_Contatos por Data.rpt"), relContatos()},
        {QStringLiteral("3_Contatos do Cliente.rpt"), relContatosCliente()},
        {QStringLiteral("4_Acordos por Data.rpt"), relAcordos()},
        {QStringLiteral("5_Parcelas por Vencimento.rpt"), relParcelas()},
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
