#include "shell/trayicondata.h"
#include "shell/traynotification.h"

#include <QTest>

#include <stdexcept>

using namespace thornvale;
using namespace Qt::StringLiterals;

namespace {

template <std::size_t N> void setField(std::array<char16_t, N> &field, const QString &text)
{
    field.fill(u'\0');
    for (qsizetype i = 0; i < text.size() && std::size_t(i) < N; ++i)
        field[std::size_t(i)] = text[i].unicode();
}

template <std::size_t N> QString wholeField(const std::array<char16_t, N> &field)
{
    return QString(reinterpret_cast<const QChar *>(field.data()), qsizetype(N));
}

const QString kPair = u"\U0001F600"_s; // D83D DE00

} // namespace

class TestTrayIconData final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fillForTrayMode_data()
    {
        QTest::addColumn<quint32>("actual");
        QTest::addColumn<quint32>("expected");
        TrayIconData record;
        FillForTrayMode(record, 0xC0DE1234u, 0x00AB00CDu);
        QTest::newRow("cbSize: the wide record, 64-bit") << record.cbSize << 952u;
        QTest::newRow("hWnd") << record.hWnd << 0xC0DE1234u;
        QTest::newRow("uID") << record.uID << 1u;
        QTest::newRow("uFlags: message, icon, tip, info") << record.uFlags << 23u;
        QTest::newRow("uCallbackMessage: WM_MOUSEMOVE") << record.uCallbackMessage << 512u;
        QTest::newRow("hIcon") << record.hIcon << 0x00AB00CDu;
        QTest::newRow("dwState never written") << record.dwState << 0u;
        QTest::newRow("dwStateMask never written") << record.dwStateMask << 0u;
        QTest::newRow("uTimeout") << record.uTimeout << 100000u;
        QTest::newRow("dwInfoFlags: information icon") << record.dwInfoFlags << 1u;
    }
    void fillForTrayMode()
    {
        QFETCH(quint32, actual);
        QFETCH(quint32, expected);
        QCOMPARE(actual, expected);
    }

    void balloonInTheRecord()
    {
        TrayIconData record;
        FillForTrayMode(record, 1, 2);
        QCOMPARE(FieldText(record.szInfo.data(), record.szInfo.size()), tray::kBalloonText);
        QCOMPARE(record.szInfo[15], u'\0');
        for (std::size_t i = 16; i < record.szInfo.size(); ++i)
            QCOMPARE(record.szInfo[i], u' ');
    }

    void tipAndTitleStayEmpty()
    {
        TrayIconData record;
        FillForTrayMode(record, 1, 2);
        QCOMPARE(wholeField(record.szTip), QString(128, QChar(0)));
        QCOMPARE(wholeField(record.szInfoTitle), QString(64, QChar(0)));
    }

    // Fields tray mode never writes keep what the record held.
    void untouchedFieldsKeepTheirValues()
    {
        TrayIconData record;
        setField(record.szTip, u"팁"_s);
        record.dwState = 7;
        FillForTrayMode(record, 1, 2);
        QCOMPARE(wholeField(record.szTip).left(2), u"팁\0"_s);
        QCOMPARE(record.dwState, 7u);
    }

    void copyWideField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("expected"); // all `width` units of the native field

        const QString nul(QChar(0));
        QTest::newRow("shorter: the rest zero") << u"abc"_s << 8 << (u"abc"_s + QString(5, QChar(0)));
        QTest::newRow("empty") << QString() << 4 << QString(4, QChar(0));
        QTest::newRow("width - 1 units: all kept") << u"abcdefg"_s << 8 << (u"abcdefg"_s + nul);
        QTest::newRow("longer: cut to width - 1") << u"abcdefghij"_s << 8 << (u"abcdefg"_s + nul);
        QTest::newRow("width 1: the NUL alone") << u"abc"_s << 1 << nul;
        QTest::newRow("pair across the cut goes whole")
            << (u"abcdef"_s + kPair + u"x"_s) << 8 << (u"abcdef"_s + nul + nul);
        QTest::newRow("pair just before the cut stays")
            << (u"abcde"_s + kPair + u"x"_s) << 8 << (u"abcde"_s + kPair + nul);
        QTest::newRow("lone high surrogate before the cut stays")
            << (u"abcdef"_s + QChar(0xD800) + u"x"_s) << 8 << (u"abcdef"_s + QChar(0xD800) + nul);
        QTest::newRow("Hangul, 64 into the title's 64")
            << QString(64, u'가') << 64 << (QString(63, u'가') + nul);

        TrayIconData record;
        FillForTrayMode(record, 1, 2);
        QTest::newRow("the balloon: text, NUL, spaces, NUL at the end") << wholeField(
            record.szInfo) << 256 << (u"트레이모드가 시전되었습니다."_s + nul + QString(239, u' ') + nul);
        QTest::newRow("the empty tip") << wholeField(record.szTip) << 128 << QString(128, QChar(0));
    }
    void copyWideField()
    {
        QFETCH(QString, field);
        QFETCH(int, width);
        QFETCH(QString, expected);
        // Whatever the native field held before is overwritten to its end, and not a unit past it.
        std::u16string dest(std::size_t(width) + 1, u'#');
        CopyWideField(
            std::u16string_view(reinterpret_cast<const char16_t *>(field.utf16()), std::size_t(field.size())),
            dest.data(), std::size_t(width));
        QCOMPARE(QString::fromStdU16String(dest.substr(0, std::size_t(width))), expected);
        QCOMPARE(dest[std::size_t(width)], u'#');
    }

    void decode_data()
    {
        QTest::addColumn<double>("xTwips");
        QTest::addColumn<double>("twipsPerPixel");
        QTest::addColumn<int>("expected");

        QTest::newRow("left release at 96 dpi") << 514.0 * 15 << 15.0 << 514;
        QTest::newRow("left release at 120 dpi") << 6168.0 << 12.0 << 514;
        QTest::newRow("513.5 goes up to the even 514") << 7702.5 << 15.0 << 514;
        QTest::newRow("514.5 goes down to the even 514") << 7717.5 << 15.0 << 514;
        QTest::newRow("515.5 goes up to 516") << 7732.5 << 15.0 << 516;
        QTest::newRow("just above a half") << 7717.6 << 15.0 << 515;
        QTest::newRow("pointer move") << 512.0 * 15 << 15.0 << 512;
        QTest::newRow("-0.5 to zero") << -7.5 << 15.0 << 0;
        QTest::newRow("-1.5 to -2") << -22.5 << 15.0 << -2;
        QTest::newRow("zero factor") << 7710.0 << 0.0 << 0;
        QTest::newRow("past 32 bits") << 1e12 << 15.0 << 0;
    }
    void decode()
    {
        QFETCH(double, xTwips);
        QFETCH(double, twipsPerPixel);
        QFETCH(int, expected);
        QCOMPARE(DecodeTrayMessage(xTwips, twipsPerPixel), expected);
    }

    void onlyLeftReleaseShows_data()
    {
        QTest::addColumn<int>("message");
        QTest::addColumn<int>("shows");
        QTest::newRow("left release") << 514 << 1;
        QTest::newRow("left press") << 513 << 0;
        QTest::newRow("left double click") << 515 << 0;
        QTest::newRow("right press") << 516 << 0;
        QTest::newRow("right release") << 517 << 0;
        QTest::newRow("pointer move") << 512 << 0;
    }
    void onlyLeftReleaseShows()
    {
        QFETCH(int, message);
        QFETCH(int, shows);
        int shown = 0;
        TrayNotificationHandler handler([&] { ++shown; });
        handler.mouseMove(message * 15.0, 15.0);
        QCOMPARE(shown, shows);
        QCOMPARE(handler.trayMessage(), message);
        QVERIFY(!handler.trayBusy());
    }

    // Showing the window lets further notifications through: they only update trayMessage.
    void busyWhileShowing()
    {
        int shown = 0;
        TrayNotificationHandler *self = nullptr;
        QList<int> seenInside;
        TrayNotificationHandler handler([&] {
            ++shown;
            QVERIFY(self->trayBusy());
            self->message(514);
            self->message(512);
            seenInside.append(self->trayMessage());
        });
        self = &handler;
        handler.message(514);
        QCOMPARE(shown, 1);
        QCOMPARE(seenInside, QList<int> { 512 });
        QCOMPARE(handler.trayMessage(), 512);
        QVERIFY(!handler.trayBusy());
        handler.message(514);
        QCOMPARE(shown, 2);
    }

    void failingShowStillClearsBusy()
    {
        TrayNotificationHandler handler([] { throw std::runtime_error("no window"); });
        handler.message(514);
        QVERIFY(!handler.trayBusy());
        QCOMPARE(handler.trayMessage(), 514);
    }
};

QTEST_GUILESS_MAIN(TestTrayIconData)
#include "tst_trayicondata.moc"
