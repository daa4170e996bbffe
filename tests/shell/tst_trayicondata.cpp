#include "shell/trayicondata.h"
#include "shell/traynotification.h"

#include <QTest>

#include <stdexcept>

using namespace thornvale;
using namespace Qt::StringLiterals;

namespace {

using Packed = std::array<std::uint8_t, tray::kAnsiSize>;

std::uint32_t u32At(const Packed &p, std::size_t offset)
{
    return std::uint32_t(p[offset]) | std::uint32_t(p[offset + 1]) << 8 |
           std::uint32_t(p[offset + 2]) << 16 | std::uint32_t(p[offset + 3]) << 24;
}

QByteArray bytesAt(const Packed &p, std::size_t offset, std::size_t count)
{
    return QByteArray(reinterpret_cast<const char *>(p.data() + offset), qsizetype(count));
}

// "트레이모드가 시전되었습니다." in code page 949.
const QByteArray kBalloonCp949 = QByteArray::fromHex("c6aeb7b9c0ccb8f0b5e5b0a1"
                                                     "20bdc3c0fcb5c7befabdc0b4"
                                                     "cfb4d92e");

template <std::size_t N>
void setField(std::array<char16_t, N> &field, const QString &text)
{
    field.fill(u'\0');
    for (qsizetype i = 0; i < text.size() && std::size_t(i) < N; ++i)
        field[std::size_t(i)] = text[i].unicode();
}

} // namespace

class TestTrayIconData final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void numbersAtTheirOffsets_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<quint32>("expected");
        QTest::newRow("cbSize") << 0 << 488u;
        QTest::newRow("hWnd") << 4 << 0xC0DE1234u;
        QTest::newRow("uID") << 8 << 1u;
        QTest::newRow("uFlags: message, icon, tip, info") << 12 << 23u;
        QTest::newRow("uCallbackMessage: WM_MOUSEMOVE") << 16 << 512u;
        QTest::newRow("hIcon") << 20 << 0x00AB00CDu;
        QTest::newRow("dwState never written") << 152 << 0u;
        QTest::newRow("dwStateMask never written") << 156 << 0u;
        QTest::newRow("uTimeout") << 416 << 100000u;
        QTest::newRow("dwInfoFlags: information icon") << 484 << 1u;
    }
    void numbersAtTheirOffsets()
    {
        QFETCH(int, offset);
        QFETCH(quint32, expected);
        TrayIconData record;
        FillForTrayMode(record, 0xC0DE1234u, 0x00AB00CDu);
        const Packed packed = PackAnsi(record, EncodeCp949);
        QCOMPARE(u32At(packed, std::size_t(offset)), expected);
        // Little-endian: the lowest byte first.
        QCOMPARE(packed[std::size_t(offset)], std::uint8_t(expected & 0xff));
    }

    void balloonInCp949()
    {
        TrayIconData record;
        FillForTrayMode(record, 1, 2);
        const Packed packed = PackAnsi(record, EncodeCp949);
        QCOMPARE(bytesAt(packed, tray::kOffInfo, 28), kBalloonCp949);
        QCOMPARE(packed[tray::kOffInfo + 28], std::uint8_t(0));
        QCOMPARE(bytesAt(packed, tray::kOffInfo + 29, 256 - 29), QByteArray(256 - 29, ' '));
        // The field ends where uTimeout starts.
        QCOMPARE(u32At(packed, tray::kOffTimeout), 100000u);
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

    void tipAndTitleStayEmpty_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("width");
        QTest::newRow("szTip: no tooltip") << 24 << 128;
        QTest::newRow("szInfoTitle: no balloon title") << 420 << 64;
    }
    void tipAndTitleStayEmpty()
    {
        QFETCH(int, offset);
        QFETCH(int, width);
        TrayIconData record;
        FillForTrayMode(record, 1, 2);
        QCOMPARE(bytesAt(PackAnsi(record, EncodeCp949), std::size_t(offset), std::size_t(width)),
                 QByteArray(width, '\0'));
    }

    // Fields tray mode never writes keep what the record held.
    void untouchedFieldsKeepTheirValues()
    {
        TrayIconData record;
        setField(record.szTip, u"팁"_s);
        record.dwState = 7;
        FillForTrayMode(record, 1, 2);
        const Packed packed = PackAnsi(record, EncodeCp949);
        QCOMPARE(bytesAt(packed, tray::kOffTip, 3), QByteArray::fromHex("c6c100"));
        QCOMPARE(u32At(packed, tray::kOffState), 7u);
    }

    void textCutToWidth_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QByteArray>("expected"); // the 64 bytes of szInfoTitle

        QTest::newRow("fits") << u"가a"_s << QByteArray::fromHex("b0a161").leftJustified(64, '\0');
        QTest::newRow("64 Hangul: the first 32 fill the field")
            << QString(64, u'가') << QByteArray::fromHex("b0a1").repeated(32);
        QTest::newRow("odd start: no half character at the end")
            << (u"a"_s + QString(63, u'가'))
            << (QByteArray("a") + QByteArray::fromHex("b0a1").repeated(31) + QByteArray(1, '\0'));
        QTest::newRow("64 ASCII") << QString(64, u'x') << QByteArray(64, 'x');
        QTest::newRow("lone high surrogate just before the cut: its '?' kept")
            << (QString(31, u'가') + QChar(0xD800) + QString(32, u'가'))
            << (QByteArray::fromHex("b0a1").repeated(31) + QByteArray("?") + QByteArray(1, '\0'));
    }
    void textCutToWidth()
    {
        QFETCH(QString, title);
        QFETCH(QByteArray, expected);
        TrayIconData record;
        setField(record.szInfoTitle, title);
        record.dwInfoFlags = 0x11223344;
        const Packed packed = PackAnsi(record, EncodeCp949);
        QCOMPARE(bytesAt(packed, tray::kOffInfoTitle, 64), expected);
        QCOMPARE(u32At(packed, tray::kOffInfoFlags), 0x11223344u);
    }

    // The Windows table, not the other vendor's 949 that ICU names "CP949".
    void windowsCodePage949_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("backslash") << u"\\"_s << QByteArray("\\");
        QTest::newRow("DEL") << QString(QChar(0x7F)) << QByteArray("\x7f");
        QTest::newRow("0x1A") << QString(QChar(0x1A)) << QByteArray("\x1a");
        QTest::newRow("가, in KS X 1001") << u"가"_s << QByteArray::fromHex("b0a1");
        QTest::newRow("똠, outside KS X 1001") << u"똠"_s << QByteArray::fromHex("8c63");
        QTest::newRow("힣, the last syllable") << u"힣"_s << QByteArray::fromHex("c652");
        QTest::newRow("lone high surrogate at the end") << (u"a"_s + QChar(0xD800)) << QByteArray("a?");
    }
    void windowsCodePage949()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, expected);
        const std::string bytes = EncodeCp949(std::u16string_view(reinterpret_cast<const char16_t *>(text.utf16()),
                                                                  std::size_t(text.size())));
        QCOMPARE(QByteArray::fromStdString(bytes), expected);
    }

    // The code page is the caller's: the same record through another encoder.
    void encoderIsAParameter()
    {
        TrayIconData record;
        FillForTrayMode(record, 1, 2);
        const Packed packed = PackAnsi(record, [](std::u16string_view text) {
            std::string out;
            for (char16_t c : text)
                out += c < 0x80 ? char(c) : '?';
            return out;
        });
        QCOMPARE(bytesAt(packed, tray::kOffInfo, 17), QByteArray("?????? ???????.\0 ", 17));
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
        QCOMPARE(seenInside, QList<int>{512});
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
