// The window as laid out: every control where the design puts it, with its text and state.

#include <QAccessible>
#include <QAction>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>

#include "config/siteconfig.h"
#include "form1controls.h"
#include "qtbridge/qtbridge.h"
#include "ui/detailpanel.h"
#include "ui/form1.h"

using thornvale::DetailPanel;
using thornvale::Form1;

namespace {

// Where a widget lies on the client area, whichever of its widgets it is a child of.
QRect onClient(const QWidget *w)
{
    const QWidget *client = w->window()->findChild<QWidget *>(QStringLiteral("client"));
    return QRect(w->mapTo(client, QPoint(0, 0)), w->size());
}

} // namespace

class TestForm1Layout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void window();
    void controls_data();
    void controls();
    void headerLabels_data();
    void headerLabels();
    void grid_data();
    void grid();
    void lines_data();
    void lines();
    void colours();
    void longNicknameRunsUnderServer();
    void columns();
    void tabOrder();
    void menuBar();
    void popupMenu();
    void accessibleNames();

private:
    Form1 *m_form = nullptr;
    std::optional<uitest::Form1Controls> m_ui;
};

void TestForm1Layout::initTestCase()
{
    m_form = new Form1(thornvale::SiteConfig::compiledIn());
    m_ui.emplace(*m_form);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void TestForm1Layout::cleanupTestCase()
{
    delete m_form;
}

void TestForm1Layout::window()
{
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Thornvale 캐릭터 정보검색 프로그램"));
    QCOMPARE(m_form->centralWidget()->size(), QSize(737, 479));
    QCOMPARE(m_form->centralWidget()->y(), m_form->menuBar()->height());
    // Fixed size: the user cannot resize it.
    QCOMPARE(m_form->minimumSize(), m_form->maximumSize());
    const Qt::WindowFlags flags = m_form->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));

    // The face: the design's where installed, else a Hangul face of the system, at 9 point.
    QCOMPARE(m_form->font().pointSize(), 9);
    const QStringList families = QFontDatabase::families();
    if (families.contains(QStringLiteral("맑은 고딕")))
        QCOMPARE(m_form->font().family(), QStringLiteral("맑은 고딕"));
    else if (families.contains(QStringLiteral("Noto Sans CJK KR")))
        QCOMPARE(m_form->font().family(), QStringLiteral("Noto Sans CJK KR"));

    QCOMPARE(m_ui->Timer2->interval(), 1024);
    QVERIFY(!m_ui->Timer2->isActive());
    QCOMPARE(m_form->pageCounter(), 0);
    QCOMPARE(m_ui->LV->model()->rowCount(), 0);
}

void TestForm1Layout::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("visible");

    auto row = [](const char *name, const char *kind, const QString &text, QRect geometry,
                   bool enabled = true, bool visible = true) {
        QTest::newRow(name) << QString::fromLatin1(name) << QByteArray(kind) << text << geometry << enabled
                            << visible;
    };
    row("txtName", "QLineEdit", QString(), QRect(8, 8, 329, 22));
    row("txtnick", "QLineEdit", QStringLiteral("닉네임"), QRect(8, 34, 121, 22));
    row("txtAdd", "QLineEdit", QStringLiteral("서버명"), QRect(136, 33, 121, 22));
    row("Command3", "QPushButton", QStringLiteral("상세검색"), QRect(264, 33, 73, 23));
    row("LV", "QTreeView", QString(), QRect(8, 60, 329, 391));
    row("Command1 starts disabled", "QPushButton", QStringLiteral("처음으로"), QRect(8, 456, 169, 17), false);
    row("Command2", "QPushButton", QStringLiteral("다음 페이지"), QRect(184, 456, 153, 17));
    row("P is invisible", "QWidget", QString(), QRect(408, 16, 20, 22), true, false);
    row("pic1 height rounds 320 twips", "QWidget", QString(), QRect(512, 16, 210, 21));
    row("Label2", "QLabel", QStringLiteral("음악 출저 : 하늘음악창고"), QRect(560, 37, 161, 17));
}

void TestForm1Layout::controls()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, kind);
    QFETCH(QString, text);
    QFETCH(QRect, geometry);
    QFETCH(bool, enabled);
    QFETCH(bool, visible);

    const QString objectName = name.section(QLatin1Char(' '), 0, 0);
    auto *w = m_form->findChild<QWidget *>(objectName);
    QVERIFY2(w, qPrintable(objectName));
    QCOMPARE(QByteArray(w->metaObject()->className()), kind);
    QCOMPARE(w->geometry(), geometry);
    QCOMPARE(w->isEnabled(), enabled);
    QCOMPARE(w->isVisible(), visible);
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        QCOMPARE(edit->text(), text);
    else if (auto *button = qobject_cast<QPushButton *>(w))
        QCOMPARE(button->text(), text);
    else if (auto *label = qobject_cast<QLabel *>(w))
        QCOMPARE(label->text(), text);
}

void TestForm1Layout::headerLabels_data()
{
    QTest::addColumn<int>("element");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QPoint>("topLeft");
    QTest::addColumn<bool>("bold");

    QTest::newRow("Label1(0) title") << int(DetailPanel::Title) << QStringLiteral("칭호") << QPoint(352, 8)
                                     << false;
    QTest::newRow("Label1(5) nickname, bold")
        << int(DetailPanel::Nickname) << QStringLiteral("닉네임") << QPoint(352, 24) << true;
    QTest::newRow("Label1(4) server")
        << int(DetailPanel::Server) << QStringLiteral("서버") << QPoint(432, 24) << false;
    QTest::newRow("Label1(3) level line")
        << int(DetailPanel::SubLine) << QStringLiteral("레벨 종족 원정대") << QPoint(352, 40) << false;
    QTest::newRow("Label1(2) class") << int(DetailPanel::Job) << QStringLiteral("직업( 3특성)")
                                     << QPoint(352, 56) << false;
}

void TestForm1Layout::headerLabels()
{
    QFETCH(int, element);
    QFETCH(QString, text);
    QFETCH(QPoint, topLeft);
    QFETCH(bool, bold);

    QLabel *label = m_ui->Label1[std::size_t(element)];
    QVERIFY(label);
    QCOMPARE(label->objectName(), QStringLiteral("Label1_%1").arg(element));
    QCOMPARE(label->text(), text);
    QCOMPARE(onClient(label).topLeft(), topLeft);
    QCOMPARE(label->font().bold(), bold);
    // Auto-sized: the label is as wide as its caption, whatever the face measures.
    QCOMPARE(label->size(), label->sizeHint());
    QVERIFY(!m_form->findChild<QLabel *>(QStringLiteral("Label1_1")));
}

void TestForm1Layout::grid_data()
{
    QTest::addColumn<int>("element");
    QTest::addColumn<QPoint>("itemPos");

    // Row r of the grid (0-based) has its name at y = 88 + 40 r; grades sit 16 pixels lower.
    QTest::newRow("Litem(1) in row 9, right column") << 1 << QPoint(544, 408);
    QTest::newRow("Litem(2) row 1 left") << 2 << QPoint(352, 88);
    QTest::newRow("Litem(3) row 1 right") << 3 << QPoint(544, 88);
    QTest::newRow("Litem(4) row 2 left") << 4 << QPoint(352, 128);
    QTest::newRow("Litem(11) row 5 right") << 11 << QPoint(544, 248);
    QTest::newRow("Litem(17) row 8 right") << 17 << QPoint(544, 368);
    QTest::newRow("Litem(18) row 9 left") << 18 << QPoint(352, 408);
    QTest::newRow("Litem(19) row 10 right, no grade") << 19 << QPoint(544, 448);
    QTest::newRow("Litem(20) row 10 left, no grade") << 20 << QPoint(352, 448);
}

void TestForm1Layout::grid()
{
    QFETCH(int, element);
    QFETCH(QPoint, itemPos);

    QLabel *name = m_ui->Litem[std::size_t(element)];
    QVERIFY(name);
    QCOMPARE(name->objectName(), QStringLiteral("Litem_%1").arg(element));
    QCOMPARE(name->text(), QStringLiteral("장비명"));
    QCOMPARE(onClient(name), QRect(itemPos, QSize(180, 15)));
    QVERIFY(name->font().bold());

    auto *grade = m_form->findChild<QLabel *>(QStringLiteral("LDitem_%1").arg(element));
    if (element > 18) {
        QVERIFY(!grade);
        return;
    }
    QVERIFY(grade);
    QCOMPARE(grade, m_ui->LDitem[std::size_t(element)]);
    QCOMPARE(grade->text(), QStringLiteral("등급"));
    QCOMPARE(onClient(grade), QRect(itemPos + QPoint(0, 16), QSize(180, 15)));
    QVERIFY(grade->font().bold());
}

void TestForm1Layout::lines_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("border");

    QTest::newRow("Line10 top of header box") << "Line10" << QRect(344, 8, 385, 1) << false;
    QTest::newRow("Line8 left of header box") << "Line8" << QRect(344, 8, 1, 73) << false;
    QTest::newRow("Line9 right of header box") << "Line9" << QRect(728, 8, 1, 73) << false;
    QTest::newRow("Line1 top of grid") << "Line1" << QRect(344, 80, 385, 1) << false;
    QTest::newRow("Line4 left of grid") << "Line4" << QRect(344, 80, 1, 393) << false;
    QTest::newRow("Line3 right of grid") << "Line3" << QRect(728, 80, 1, 393) << false;
    QTest::newRow("Line2 bottom of grid") << "Line2" << QRect(344, 472, 385, 1) << false;
    QTest::newRow("Line5 column divider") << "Line5" << QRect(536, 80, 1, 393) << true;
    QTest::newRow("Line6(0)") << "Line6_0" << QRect(344, 120, 385, 1) << true;
    QTest::newRow("Line7") << "Line7" << QRect(344, 160, 385, 1) << true;
    QTest::newRow("Line6(1)") << "Line6_1" << QRect(344, 200, 385, 1) << true;
    QTest::newRow("Line6(7) last separator") << "Line6_7" << QRect(344, 440, 385, 1) << true;
}

void TestForm1Layout::lines()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(bool, border);

    auto *line = m_form->findChild<QWidget *>(name);
    QVERIFY(line);
    QCOMPARE(onClient(line), geometry);

    // The line's colour is the role's: look at the pixel it paints.
    const QImage image = line->grab().toImage();
    const QColor expected = line->palette().color(border ? QPalette::Mid : QPalette::Text);
    QCOMPARE(QColor(image.pixel(0, 0)).rgb(), expected.rgb());
}

void TestForm1Layout::colours()
{
    QCOMPARE(m_ui->pic1->backgroundRole(), QPalette::Base);
    QCOMPARE(m_ui->pic1->foregroundRole(), QPalette::Text);
    QVERIFY(m_ui->pic1->autoFillBackground());
    QCOMPARE(m_ui->LV->backgroundRole(), QPalette::Base);
    QCOMPARE(m_ui->LV->foregroundRole(), QPalette::Text);
    QCOMPARE(m_ui->Label1[DetailPanel::Nickname]->foregroundRole(), QPalette::Highlight);
}

// A long nickname grows to the right under the server label: hidden where that label paints,
// showing again past it.
void TestForm1Layout::longNicknameRunsUnderServer()
{
    QLabel *nickname = m_ui->Label1[DetailPanel::Nickname];
    QLabel *server = m_ui->Label1[DetailPanel::Server];
    QWidget *panel = server->parentWidget();
    QCOMPARE(nickname->parentWidget(), panel);
    QVERIFY(panel->children().indexOf(server) > panel->children().indexOf(nickname));
    QVERIFY(server->autoFillBackground());
    QCOMPARE(server->backgroundRole(), panel->backgroundRole());

    const QString before = nickname->text();
    nickname->setText(QStringLiteral("가시골짜기의이슬을모으는자"));
    nickname->adjustSize();
    QVERIFY(nickname->geometry().right() > server->geometry().right() + 20);

    const QImage image = panel->grab().toImage();
    const QColor ink = nickname->palette().color(QPalette::Highlight);
    auto inkIn = [&](const QRect &area) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                count += image.pixelColor(x, y) == ink;
        return count;
    };
    const QRect under = server->geometry();
    const QRect past(
        under.right() + 1, under.top(), nickname->geometry().right() - under.right(), under.height());
    QCOMPARE(inkIn(under), 0);
    QVERIFY(inkIn(past) > 0);

    nickname->setText(before);
    nickname->adjustSize();
}

void TestForm1Layout::columns()
{
    QHeaderView *header = m_ui->LV->header();
    const QStringList captions = { QStringLiteral("번"), QStringLiteral("닉네임"), QStringLiteral("서버"),
        QStringLiteral("렙"), QStringLiteral("직업"), QStringLiteral("종족"), QStringLiteral("주소") };
    const QList<int> widths = { 27, 67, 87, 33, 87, 73, 0 };
    QCOMPARE(header->count(), 7);
    for (int c = 0; c < 7; ++c) {
        QCOMPARE(m_ui->LV->model()->headerData(c, Qt::Horizontal).toString(), captions[c]);
        QCOMPARE(header->sectionSize(c), widths[c]);
        QVERIFY(!header->isSectionHidden(c));
        const auto align
            = m_ui->LV->model()->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>();
        QVERIFY(align.testFlag(Qt::AlignLeft));
    }
    QVERIFY(header->isVisible());
    // Six readable columns are wider than the list: it scrolls sideways.
    QVERIFY(header->length() > m_ui->LV->viewport()->width());
}

void TestForm1Layout::tabOrder()
{
    const QList<QWidget *> expected = { m_ui->txtName, m_ui->LV, m_ui->pic1, m_ui->txtAdd, m_ui->Command1,
        m_ui->Command2, m_ui->txtnick, m_ui->Command3 };
    QList<QWidget *> chain;
    QWidget *w = m_ui->txtName;
    do {
        if (expected.contains(w) && !chain.contains(w))
            chain << w;
        w = w->nextInFocusChain();
    } while (w != m_ui->txtName);
    QCOMPARE(chain, expected);
    for (QWidget *focusable : expected)
        QVERIFY(focusable->focusPolicy() & Qt::TabFocus);
    // First show: the focus is in the name box.
    QCOMPARE(m_form->focusWidget(), m_ui->txtName);
}

void TestForm1Layout::menuBar()
{
    auto captions = [](const QList<QAction *> &actions) {
        QStringList texts;
        for (const QAction *a : actions)
            texts << a->text();
        return texts;
    };
    const QList<QAction *> top = m_form->menuBar()->actions();
    QCOMPARE(captions(top), (QStringList { QStringLiteral("트레이"), QStringLiteral("메뉴") }));
    QCOMPARE(top[0], m_ui->menu2);
    QVERIFY(!m_ui->menu2->menu());
    QCOMPARE(top[1]->menu(), m_ui->menu);

    QCOMPARE(captions(m_ui->menu->actions()),
        (QStringList { QStringLiteral("노래"), QStringLiteral("유틸리티"), QStringLiteral("홈페이지") }));
    QCOMPARE(m_ui->menu->actions()[0]->menu(), m_ui->mm2);
    QCOMPARE(m_ui->menu->actions()[1]->menu(), m_ui->umenu);
    QCOMPARE(m_ui->menu->actions()[2]->menu(), m_ui->mm3);
    QCOMPARE(m_ui->mm2->actions(), (QList<QAction *> { m_ui->gayo, m_ui->pop, m_ui->club }));
    QCOMPARE(captions(m_ui->mm2->actions()),
        (QStringList { QStringLiteral("가요"), QStringLiteral("팝송"), QStringLiteral("클럽") }));
    QCOMPARE(m_ui->umenu->actions(), (QList<QAction *> { m_ui->Down1, m_ui->Down2, m_ui->Down3 }));
    const auto &downloads = thornvale::SiteConfig::compiledIn().downloads;
    for (int i = 0; i < 3; ++i)
        QCOMPARE(m_ui->umenu->actions()[i]->text(), thornvale::toQString(downloads[std::size_t(i)].caption));
    QCOMPARE(m_ui->mm3->actions(), (QList<QAction *> { m_ui->inven, m_ui->gong, m_ui->naver }));
    QCOMPARE(captions(m_ui->mm3->actions()),
        (QStringList { QStringLiteral("토른인벤"), QStringLiteral("토른공홈"), QStringLiteral("네이버?") }));

    for (QAction *a : { m_ui->menu2, m_ui->gayo, m_ui->pop, m_ui->club, m_ui->Down1, m_ui->Down2, m_ui->Down3,
             m_ui->inven, m_ui->gong, m_ui->naver }) {
        QVERIFY(a->isEnabled());
        QVERIFY(a->isVisible());
        QVERIFY(a->shortcut().isEmpty());
    }
}

void TestForm1Layout::popupMenu()
{
    QCOMPARE(m_ui->menu34->title(), QStringLiteral("메에뉴"));
    QCOMPARE(m_ui->menu34->actions(), (QList<QAction *> { m_ui->gourl, m_ui->cmdcmd }));
    QCOMPARE(m_ui->gourl->text(), QStringLiteral("주소접속"));
    QCOMPARE(m_ui->cmdcmd->text(), QStringLiteral("바로검색"));
    // Never in the menu bar, at any depth.
    const QList<QMenu *> inBar = m_form->menuBar()->findChildren<QMenu *>();
    QVERIFY(!inBar.contains(m_ui->menu34));
    for (QAction *a : m_form->menuBar()->actions())
        QVERIFY(a->menu() != m_ui->menu34);
}

// Every control a screen reader meets says what it is for.
void TestForm1Layout::accessibleNames()
{
    QStringList unnamed;
    std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *node) {
        const QAccessible::State state = node->state();
        const QAccessible::Role role = node->role();
        const bool interactive = (state.focusable && !state.invisible) || role == QAccessible::PushButton
            || role == QAccessible::EditableText || role == QAccessible::MenuItem;
        if (interactive && node->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << QStringLiteral("%1 (role %2)")
                           .arg(node->object() ? node->object()->objectName() : QString())
                           .arg(int(role));
        for (int i = 0; i < node->childCount(); ++i) {
            if (QAccessibleInterface *child = node->child(i))
                walk(child);
        }
    };
    walk(QAccessible::queryAccessibleInterface(m_form));
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));

    const QList<std::pair<QWidget *, QString>> named {
        { m_ui->txtName, QStringLiteral("캐릭터 이름") },
        { m_ui->txtnick, QStringLiteral("닉네임") },
        { m_ui->txtAdd, QStringLiteral("서버명") },
        { m_ui->LV, QStringLiteral("검색 결과") },
        { m_ui->pic1, QStringLiteral("음악") },
        { m_ui->Command3, QStringLiteral("상세검색") },
    };
    for (const auto &[widget, name] : named)
        QCOMPARE(QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name), name);
    // An equipment label speaks its scraped name and says which piece it is.
    QAccessibleInterface *item = QAccessible::queryAccessibleInterface(m_ui->Litem[7]);
    QCOMPARE(item->text(QAccessible::Name), QStringLiteral("장비명"));
    QCOMPARE(item->text(QAccessible::Description), QStringLiteral("장비 7"));
}

QTEST_MAIN(TestForm1Layout)
#include "tst_form1_layout.moc"
