#include "shell/links.h"

#include <QTemporaryFile>
#include <QTest>

#include <cstdio>
#include <unistd.h>

using namespace thornvale;
using namespace Qt::StringLiterals;

namespace {

// Runs fn with stderr sent to a file and returns what it wrote there.
template <typename Fn> QByteArray captureStderr(Fn fn)
{
    QTemporaryFile file;
    if (!file.open())
        return "<no temporary file>";
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(file.handle(), STDERR_FILENO);
    fn();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    file.seek(0);
    return file.readAll();
}

} // namespace

class TestLinks final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_opened.clear(); }

    void launchCommandLine_data()
    {
        QTest::addColumn<QString>("windir");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("expected");

        QTest::newRow("windir set") << u"C:\\WINDOWS"_s << u"http://www.thornvale.example/"_s
                                    << u"C:\\WINDOWS\\explorer.exe \"http://www.thornvale.example/\""_s;
        QTest::newRow("windir unset: root of the current drive")
            << QString() << u"http://www.thornvale.example/"_s
            << u"\\explorer.exe \"http://www.thornvale.example/\""_s;
        QTest::newRow("empty cell 6: empty quotes")
            << u"C:\\WINDOWS"_s << QString() << u"C:\\WINDOWS\\explorer.exe \"\""_s;
        QTest::newRow("query kept verbatim")
            << u"D:\\Win"_s << u"http://h.example/c/%EA%B0%80?a=1&b=2"_s
            << u"D:\\Win\\explorer.exe \"http://h.example/c/%EA%B0%80?a=1&b=2\""_s;
        // Backslashes before the closing quote would escape it: they go out doubled.
        QTest::newRow("ends in one backslash")
            << u"C:\\W"_s << u"http://h.example/a\\"_s << u"C:\\W\\explorer.exe \"http://h.example/a\\\\\""_s;
        QTest::newRow("ends in two backslashes") << u"C:\\W"_s << u"http://h.example/a\\\\"_s
                                                 << u"C:\\W\\explorer.exe \"http://h.example/a\\\\\\\\\""_s;
        QTest::newRow("backslash in the middle stays single")
            << u"C:\\W"_s << u"http://h.example/a\\b"_s << u"C:\\W\\explorer.exe \"http://h.example/a\\b\""_s;
    }
    void launchCommandLine()
    {
        QFETCH(QString, windir);
        QFETCH(QString, address);
        QFETCH(QString, expected);
        QCOMPARE(LaunchCommandLine(windir, address), expected);
    }

    void safeAddress_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("safe");

        QTest::newRow("http") << u"http://www.thornvale.example/"_s << true;
        QTest::newRow("https with path and query") << u"https://h.example/a/b?x=1&y=%20"_s << true;
        QTest::newRow("scheme in capitals") << u"HTTP://h.example"_s << true;
        QTest::newRow("port") << u"http://127.0.0.1:18080/characters/abc"_s << true;
        QTest::newRow("space inside the path") << u"http://h.example/a b"_s << true;
        QTest::newRow("Hangul in the path") << u"http://h.example/캐릭터"_s << true;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("javascript") << u"javascript:alert(1)"_s << false;
        QTest::newRow("file") << u"file:///C:/Windows/System32/calc.exe"_s << false;
        QTest::newRow("ftp") << u"ftp://h.example/x"_s << false;
        QTest::newRow("relative path") << u"/characters/abc"_s << false;
        QTest::newRow("no scheme") << u"www.thornvale.example"_s << false;
        QTest::newRow("http without host") << u"http:///path"_s << false;
        QTest::newRow("http, no slashes") << u"http:h.example"_s << false;
        QTest::newRow("double quote ends the argument") << u"http://h.example/\" /select,C:\\x"_s << false;
        QTest::newRow("CR LF") << u"http://h.example/\r\nx"_s << false;
        QTest::newRow("tab") << u"http://h.example/\tx"_s << false;
        QTest::newRow("NUL") << QString(u"http://h.example/"_s + QChar(0) + u"x"_s) << false;
        QTest::newRow("DEL") << QString(u"http://h.example/"_s + QChar(0x7f)) << false;
        QTest::newRow("C1 control") << QString(u"http://h.example/"_s + QChar(0x85)) << false;
    }
    void safeAddress()
    {
        QFETCH(QString, address);
        QFETCH(bool, safe);
        QCOMPARE(IsSafeBrowserAddress(address), safe);
    }

    // Every click starts one more launch; nothing is remembered between them.
    void opensSafeAddressEachTime()
    {
        const QString address = u"http://h.example/characters/x?q=1"_s;
        const QByteArray err = captureStderr([&] {
            ShellOpenUrl(address, m_launch);
            ShellOpenUrl(address, m_launch);
        });
        QCOMPARE(m_opened, QStringList({ address, address }));
        QVERIFY(err.isEmpty());
    }

    void refusesUnsafeAddressWithOneLine_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("empty cell 6") << QString();
        QTest::newRow("javascript") << u"javascript:alert(1)"_s;
        QTest::newRow("quote") << u"http://h.example/\"x"_s;
        QTest::newRow("line break") << u"http://h.example/\nx"_s;
        QTest::newRow("CR LF and NUL") << QString(u"http://h.example/\r\n"_s + QChar(0) + u"x"_s);
    }
    void refusesUnsafeAddressWithOneLine()
    {
        QFETCH(QString, address);
        const QByteArray err = captureStderr([&] { ShellOpenUrl(address, m_launch); });
        QVERIFY(m_opened.isEmpty());
        QCOMPARE(err.count('\n'), 1);
        QVERIFY(err.endsWith('\n'));
    }

private:
    QStringList m_opened;
    const BrowserLauncher m_launch = [this](const QString &address) { m_opened.append(address); };
};

QTEST_GUILESS_MAIN(TestLinks)
#include "tst_links.moc"
