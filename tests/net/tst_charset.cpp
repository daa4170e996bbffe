// How a body becomes text: a byte-order mark, the header's charset, a <meta> declaration, UTF-8.

#include <QTest>

#include "net/charset.h"

using namespace thornvale::net;

namespace {

// "캐릭터 검색결과" in EUC-KR, and 똠, a syllable only the Windows code page 949 has.
const QByteArray EucKrHeading = QByteArray::fromHex("c4b3b8afc5cd20b0cbbbf6b0e1b0fa");
const QByteArray Cp949Ddom = QByteArray::fromHex("8c63");
const QString Heading = QStringLiteral("캐릭터 검색결과");

QByteArray padding(qsizetype n)
{
    return QByteArray(n, ' ');
}

} // namespace

class TestCharset final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void contentType_data();
    void contentType();
    void meta_data();
    void meta();
    void decode_data();
    void decode();
    void junkDecodesToSomething_data();
    void junkDecodesToSomething();
};

void TestCharset::contentType_data()
{
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("charset");

    QTest::newRow("unquoted") << QByteArray("text/html; charset=utf-8") << QByteArray("utf-8");
    QTest::newRow("quoted") << QByteArray("text/html; charset=\"EUC-KR\"") << QByteArray("EUC-KR");
    QTest::newRow("upper-case key") << QByteArray("text/html; CHARSET=euc-kr") << QByteArray("euc-kr");
    QTest::newRow("no space after ;") << QByteArray("text/html;charset=UTF-8") << QByteArray("UTF-8");
    QTest::newRow("spaces around =") << QByteArray("text/html ; charset = utf-8 ") << QByteArray("utf-8");
    QTest::newRow("after another param")
        << QByteArray("text/html; q=1; charset=euc-kr") << QByteArray("euc-kr");
    QTest::newRow("; inside a quoted param")
        << QByteArray("text/html; x=\"a;charset=bad\"; charset=euc-kr") << QByteArray("euc-kr");
    QTest::newRow("escaped quote in value")
        << QByteArray("text/html; charset=\"u\\\"x\"") << QByteArray("u\"x");
    QTest::newRow("param without value")
        << QByteArray("text/html; flag; charset=utf-8") << QByteArray("utf-8");
    QTest::newRow("no charset") << QByteArray("text/html") << QByteArray();
    QTest::newRow("empty header") << QByteArray() << QByteArray();
    QTest::newRow("empty value") << QByteArray("text/html; charset=") << QByteArray();
    QTest::newRow("unterminated quote") << QByteArray("text/html; charset=\"euc-kr") << QByteArray("euc-kr");
    QTest::newRow("charsetx is another key") << QByteArray("text/html; charsetx=utf-8") << QByteArray();
}

void TestCharset::contentType()
{
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, charset);
    QCOMPARE(CharsetFromContentType(contentType), charset);
}

// The page's own declaration, found as a browser's prescan finds it; the rows after the first
// block are the HTML standard's own cases and the traces real sites leave.
void TestCharset::meta_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("charset");

    const QByteArray cp949("windows-949");
    const auto row = [](const char *name, const QByteArray &body, const QByteArray &charset) {
        QTest::newRow(name) << body << charset;
    };
    row("meta charset quoted", "<html><head><meta charset=\"euc-kr\">", cp949);
    row("meta charset unquoted", "<meta charset=euc-kr>", cp949);
    row("single quotes, upper-case label", "<meta charset='EUC-KR'>", cp949);
    row("self-closing", "<meta charset=\"utf-8\"/>", "utf-8");
    row("upper-case tag and attribute", "<META CHARSET=\"EUC-KR\">", cp949);
    row("http-equiv content", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=euc-kr\">",
        cp949);
    row("http-equiv after content",
        "<meta content='text/html;charset=ks_c_5601-1987' http-equiv='content-type'>", "ks_c_5601-1987");
    row("first meta without charset",
        "<meta name=\"viewport\" content=\"width=device-width\"><meta charset=\"euc-kr\">", cp949);
    row("metadata is not meta", "<metadata charset=\"euc-kr\">", {});
    row("charset outside any tag", "<p>charset=euc-kr</p>", {});
    row("no meta", "<html><body>hello</body></html>", {});
    row("empty body", {}, {});
    row("just within 1024 bytes", padding(1024 - 21) + "<meta charset=euc-kr>", cp949);
    row("beyond 1024 bytes", padding(1100) + "<meta charset=\"euc-kr\">", {});
    row("tag cut by the 1024th byte", padding(1010) + "<meta charset=\"euc-kr\">", {});
    row("unclosed tag", "<meta charset=\"euc-kr\"", {});
    row("ends after <meta", "<meta", {});

    row("commented-out declaration", "<!-- <meta charset=\"euc-kr\"> --><meta charset=\"utf-8\">", "utf-8");
    row("<!--> is a whole comment", "<!--><meta charset=\"euc-kr\">", cp949);
    row("comment never closed", "<!-- <meta charset=\"euc-kr\">", {});
    row("unknown label scans on", "<meta charset=\"bogus\"><meta charset=\"euc-kr\">", cp949);
    row("iso-2022-kr is not supported", "<meta charset=\"iso-2022-kr\"><meta charset=\"utf-8\">", "utf-8");
    row("content without the pragma", "<meta content=\"text/html; charset=euc-kr\"><meta charset=utf-8>",
        "utf-8");
    row("content without the pragma, alone", "<meta content=\"text/html; charset=euc-kr\">", {});
    row("charset attribute outranks content",
        "<meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\" charset=\"euc-kr\">", cp949);
    row("first of two charset attributes", "<meta charset=\"euc-kr\" charset=\"utf-8\">", cp949);
    row("'>' inside a quoted value", "<meta name=\"a>b\" charset=\"euc-kr\">", cp949);
    row("charset= inside another value", "<meta name=\"charset=euc-kr\" charset=\"utf-8\">", "utf-8");
    row("newline inside content", "<meta content=\"text/html;\ncharset=euc-kr\" http-equiv=content-type>",
        cp949);
    row("a meta inside another tag's attribute",
        "<div title=\"<meta charset=euc-kr>\"><meta charset=\"utf-8\">", "utf-8");
    row("<? and <! skipped", "<?xml version=\"1.0\" encoding=\"x\"?><!DOCTYPE html><meta charset=\"euc-kr\">",
        cp949);
    row("an end tag's attributes skipped", "</p charset=\"euc-kr\"><meta charset=utf-8>", "utf-8");
    row("utf-16 label gives utf-8", "<meta charset=\"UTF-16LE\">", "utf-8");
    row("x-user-defined gives windows-1252", "<meta charset=\"x-user-defined\">", "windows-1252");
    row("unmatched quote in content", "<meta http-equiv=\"content-type\" content=\"charset='euc-kr\">", {});
    row("slash after the tag name", "<meta/charset=\"euc-kr\">", cp949);
    row("spaces around =", "<meta charset = \"euc-kr\" >", cp949);
    row("upper-case pragma and content",
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; CHARSET=EUC-KR\">", cp949);
}

void TestCharset::meta()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, charset);
    QCOMPARE(CharsetFromMeta(body), charset);
}

void TestCharset::decode_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QString>("text");

    const QByteArray utf8Heading = Heading.toUtf8();
    const QByteArray metaEucKr = "<meta charset=\"euc-kr\">";

    QTest::newRow("utf-8 by header") << utf8Heading << QByteArray("text/html; charset=utf-8") << Heading;
    QTest::newRow("euc-kr by header") << EucKrHeading << QByteArray("text/html; charset=euc-kr") << Heading;
    QTest::newRow("euc-kr label upper-case, quoted")
        << EucKrHeading << QByteArray("text/html; charset=\"EUC-KR\"") << Heading;
    QTest::newRow("ks_c_5601-1987 label")
        << EucKrHeading << QByteArray("text/html; charset=ks_c_5601-1987") << Heading;
    QTest::newRow("cp949 syllable under euc-kr label")
        << QByteArray(Cp949Ddom + EucKrHeading) << QByteArray("text/html; charset=euc-kr")
        << QString(QStringLiteral("똠") + Heading);
    QTest::newRow("euc-kr by meta only") << QByteArray(metaEucKr + EucKrHeading) << QByteArray("text/html")
                                         << QString(QString::fromLatin1(metaEucKr) + Heading);
    QTest::newRow("euc-kr by http-equiv, no header")
        << QByteArray(
               "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=euc-kr\">" + EucKrHeading)
        << QByteArray()
        << QString(QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=euc-kr\">")
               + Heading);
    QTest::newRow("unknown header charset falls back to meta")
        << QByteArray(metaEucKr + EucKrHeading) << QByteArray("text/html; charset=x-no-such-thing")
        << QString(QString::fromLatin1(metaEucKr) + Heading);
    QTest::newRow("unknown header charset, no meta: utf-8")
        << utf8Heading << QByteArray("text/html; charset=x-no-such-thing") << Heading;
    QTest::newRow("unknown header and meta charset: utf-8")
        << QByteArray("<meta charset=bogus>" + utf8Heading) << QByteArray("text/html; charset=bogus")
        << QString(QStringLiteral("<meta charset=bogus>") + Heading);
    QTest::newRow("header outranks meta")
        << QByteArray(metaEucKr + utf8Heading) << QByteArray("text/html; charset=utf-8")
        << QString(QString::fromLatin1(metaEucKr) + Heading);
    QTest::newRow("meta beyond 1024 bytes ignored")
        << QByteArray(padding(1100) + metaEucKr + utf8Heading) << QByteArray("text/html")
        << QString(QString::fromLatin1(padding(1100) + metaEucKr) + Heading);
    QTest::newRow("meta utf-16 read as utf-8")
        << QByteArray("<meta charset=utf-16>" + utf8Heading) << QByteArray()
        << QString(QStringLiteral("<meta charset=utf-16>") + Heading);
    QTest::newRow("nothing declared: utf-8") << utf8Heading << QByteArray() << Heading;
    QTest::newRow("BOM stripped") << QByteArray("\xEF\xBB\xBF" + utf8Heading)
                                  << QByteArray("text/html; charset=utf-8") << Heading;
    QTest::newRow("BOM outranks a wrong label")
        << QByteArray("\xEF\xBB\xBF" + utf8Heading) << QByteArray("text/html; charset=euc-kr") << Heading;
    QTest::newRow("BOM only") << QByteArray("\xEF\xBB\xBF") << QByteArray() << QString();
    QTest::newRow("empty body") << QByteArray() << QByteArray("text/html; charset=euc-kr") << QString();
    QTest::newRow("euc-kr cut inside a character")
        << EucKrHeading.left(3) << QByteArray("text/html; charset=euc-kr") << QStringLiteral("캐");
    QTest::newRow("utf-16le BOM") << QByteArray::fromHex("fffe00ac") << QByteArray("text/html; charset=utf-8")
                                  << QStringLiteral("가");
    QTest::newRow("utf-16be BOM") << QByteArray::fromHex("feffac00") << QByteArray() << QStringLiteral("가");
    QTest::newRow("commented-out euc-kr on a utf-8 page")
        << QByteArray("<!--<meta charset=\"euc-kr\">-->" + utf8Heading) << QByteArray("text/html")
        << QString(QStringLiteral("<!--<meta charset=\"euc-kr\">-->") + Heading);
    QTest::newRow("iso-2022-kr header: meta decides")
        << QByteArray(metaEucKr + EucKrHeading) << QByteArray("text/html; charset=iso-2022-kr")
        << QString(QString::fromLatin1(metaEucKr) + Heading);
    QTest::newRow("latin-1 label") << QByteArray("caf\xE9") << QByteArray("text/plain; charset=iso-8859-1")
                                   << QStringLiteral("café");
}

void TestCharset::decode()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, contentType);
    QFETCH(QString, text);
    QCOMPARE(DecodeBody(body, contentType), text);
}

// A page in the wrong charset, or no text at all, must still come out as some text: the scraper
// then simply finds no markers in it.
void TestCharset::junkDecodesToSomething_data()
{
    QTest::addColumn<QByteArray>("contentType");

    QTest::newRow("utf-8") << QByteArray("text/html; charset=utf-8");
    QTest::newRow("euc-kr") << QByteArray("text/html; charset=euc-kr");
    QTest::newRow("utf-16") << QByteArray("text/html; charset=utf-16");
    QTest::newRow("nothing declared") << QByteArray();
    QTest::newRow("unknown label") << QByteArray("application/octet-stream; charset=\x01\xff");
}

void TestCharset::junkDecodesToSomething()
{
    QFETCH(QByteArray, contentType);
    QByteArray junk;
    for (int round = 0; round < 4; ++round)
        for (int b = 255; b >= 0; --b)
            junk.append(char(b));
    const QString text = DecodeBody(junk, contentType);
    QVERIFY(!text.isEmpty());
    // A truncated page of any of these still decodes.
    for (qsizetype cut : { 1, 2, 3, 511, 1023 })
        DecodeBody(junk.left(cut), contentType);
}

QTEST_GUILESS_MAIN(TestCharset)
#include "tst_charset.moc"
