#include "ui/form1design.h"

#include <QAction>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include <array>
#include <string_view>
#include <type_traits>

#include "config/siteconfig.h"
#include "qtbridge/qtbridge.h"
#include "search/ranklookup.h"
#include "search/resultlist.h"
#include "ui/design.h"
#include "ui/detailpanel.h"

namespace thornvale {

namespace {

using namespace std::string_view_literals;

const QString Caption = QStringLiteral("Thornvale 캐릭터 정보검색 프로그램");
constexpr int PointSize = 9;
// The client area below the menu bar, in twips.
constexpr int ClientWidth = 11055;
constexpr int ClientHeight = 7185;
// The focus timer's tick.
constexpr int FocusTick = 1024;
// The list's columns in twips; the address column is one twip wide on purpose: it carries the
// address without showing it.
constexpr std::array<int, ResultRow::CellCount> ColumnWidths = { 400, 1000, 1300, 500, 1300, 1100, 1 };

// A control as designed: its design text (a button's or label's caption, a box's first contents),
// its place in twips, and what a screen reader says it is for; buttons and labels speak their
// captions.
struct ControlDesign {
    const char *name;
    std::u16string_view text;
    int left, top, width, height;
    std::u16string_view accessibleName;
};

// The face the layout was drawn with, else a Hangul face the system has.
QString hangulFamily()
{
    const QStringList families = QFontDatabase::families();
    for (const QString &name : { QStringLiteral("맑은 고딕"), QStringLiteral("Malgun Gothic"),
             QStringLiteral("Noto Sans CJK KR") }) {
        if (families.contains(name))
            return name;
    }
    return {};
}

// W is the kind of control, so that the caller keeps what it gets with no lookup or cast.
template <typename W> W *makeControl(QWidget *client, const ControlDesign &d)
{
    W *w = nullptr;
    if constexpr (std::is_same_v<W, QTreeView> || std::is_same_v<W, QWidget>)
        w = new W(client);
    else
        w = new W(toQString(d.text), client);
    if constexpr (std::is_same_v<W, QPushButton>)
        w->setAutoDefault(false);
    if constexpr (std::is_same_v<W, QLabel>)
        w->setTextFormat(Qt::PlainText);
    w->setObjectName(QLatin1String(d.name));
    w->setGeometry(pxRect(d.left, d.top, d.width, d.height));
    if (!d.accessibleName.empty())
        w->setAccessibleName(toQString(d.accessibleName));
    return w;
}

void setUpList(QTreeView *list, QAbstractItemModel *results)
{
    list->setModel(results);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setBackgroundRole(design::WindowBackground);
    list->setForegroundRole(design::WindowText);
    QHeaderView *header = list->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setMinimumSectionSize(0);
    for (int c = 0; c < ResultRow::CellCount; ++c)
        header->resizeSection(c, px(ColumnWidths[std::size_t(c)]));
}

QAction *addItem(QWidget *owner, const char *name, std::u16string_view caption)
{
    auto *action = new QAction(toQString(caption), owner);
    action->setObjectName(QLatin1String(name));
    owner->addAction(action);
    return action;
}

QMenu *makeMenu(QWidget *owner, const char *name, std::u16string_view caption, const QFont &face)
{
    auto *menu = new QMenu(toQString(caption), owner);
    menu->setObjectName(QLatin1String(name));
    // Popups are windows of their own and would not inherit the window's face otherwise.
    menu->setAttribute(Qt::WA_WindowPropagation);
    menu->setFont(face);
    return menu;
}

// Owner: the menu bar or a menu.
template <typename Owner>
QMenu *addSubmenu(Owner *owner, const char *name, std::u16string_view caption, const QFont &face)
{
    QMenu *sub = makeMenu(owner, name, caption, face);
    owner->addMenu(sub);
    return sub;
}

} // namespace

void Form1Design::setupUi(QMainWindow *form, const SiteConfig &config, QAbstractItemModel *results)
{
    form->setObjectName(QStringLiteral("Form1"));
    form->setWindowTitle(Caption);
    QFont face = form->font();
    if (const QString family = hangulFamily(); !family.isEmpty())
        face.setFamilies({ family });
    face.setPointSize(PointSize);
    form->setFont(face);

    createControls(form, results);
    createMenus(form, config, face);
    // The window keeps its design size; the menu bar's height comes on top of the client area.
    form->layout()->setSizeConstraint(QLayout::SetFixedSize);
    applyTabOrder();
}

void Form1Design::createControls(QMainWindow *form, QAbstractItemModel *results)
{
    auto *client = new QWidget(form);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(px(ClientWidth), px(ClientHeight));
    form->setCentralWidget(client);

    // In creation order, which is the stacking order: the detail panel goes first, beneath all.
    panel = new DetailPanel(client);
    txtName = makeControl<QLineEdit>(client, { "txtName", u""sv, 120, 120, 4935, 330, u"캐릭터 이름"sv });
    txtnick = makeControl<QLineEdit>(client, { "txtnick", NicknameHint, 120, 510, 1815, 330, u"닉네임"sv });
    txtAdd = makeControl<QLineEdit>(client, { "txtAdd", ServerHint, 2040, 495, 1815, 330, u"서버명"sv });
    Command3 = makeControl<QPushButton>(client, { "Command3", u"상세검색"sv, 3960, 495, 1095, 345, {} });
    LV = makeControl<QTreeView>(client, { "LV", {}, 120, 900, 4935, 5865, u"검색 결과"sv });
    Command1 = makeControl<QPushButton>(client, { "Command1", u"처음으로"sv, 120, 6840, 2535, 255, {} });
    Command2 = makeControl<QPushButton>(client, { "Command2", u"다음 페이지"sv, 2760, 6840, 2295, 255, {} });
    P = makeControl<QWidget>(client, { "P", {}, 6120, 240, 300, 330, {} });
    pic1 = makeControl<QWidget>(client, { "pic1", {}, 7680, 240, 3150, 320, u"음악"sv });
    Label2
        = makeControl<QLabel>(client, { "Label2", u"음악 출저 : 하늘음악창고"sv, 8400, 555, 2415, 255, {} });

    setUpList(LV, results);
    Command1->setEnabled(false);
    P->setVisible(false);
    pic1->setBackgroundRole(design::WindowBackground);
    pic1->setForegroundRole(design::WindowText);
    pic1->setAutoFillBackground(true);
    pic1->setFocusPolicy(Qt::TabFocus);

    copyRow = new QAction(LV);
    copyRow->setObjectName(QStringLiteral("copyRow"));
    copyRow->setShortcut(QKeySequence::Copy);
    copyRow->setShortcutContext(Qt::WidgetShortcut);
    LV->addAction(copyRow);

    Timer2 = new QTimer(form);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(FocusTick);
    Timer2->setSingleShot(true);
}

void Form1Design::createMenus(QMainWindow *form, const SiteConfig &config, const QFont &face)
{
    QMenuBar *bar = form->menuBar();
    // The client area lies below the menu bar in every desktop, never in a global menu.
    bar->setNativeMenuBar(false);
    menu2 = addItem(bar, "menu2", u"트레이"sv);
    QMenu *menu = addSubmenu(bar, "menu", u"메뉴"sv, face);
    QMenu *mm2 = addSubmenu(menu, "mm2", u"노래"sv, face);
    gayo = addItem(mm2, "gayo", u"가요"sv);
    pop = addItem(mm2, "pop", u"팝송"sv);
    club = addItem(mm2, "club", u"클럽"sv);
    QMenu *umenu = addSubmenu(menu, "umenu", u"유틸리티"sv, face);
    Down1 = addItem(umenu, "Down1", config.downloads[0].caption);
    Down2 = addItem(umenu, "Down2", config.downloads[1].caption);
    Down3 = addItem(umenu, "Down3", config.downloads[2].caption);
    QMenu *mm3 = addSubmenu(menu, "mm3", u"홈페이지"sv, face);
    inven = addItem(mm3, "inven", u"토른인벤"sv);
    gong = addItem(mm3, "gong", u"토른공홈"sv);
    naver = addItem(mm3, "naver", u"네이버?"sv);
    // A popup of the window's own, in no menu: the list opens it.
    menu34 = makeMenu(form, "menu34", u"메에뉴"sv, face);
    gourl = addItem(menu34, "gourl", u"주소접속"sv);
    cmdcmd = addItem(menu34, "cmdcmd", u"바로검색"sv);
}

void Form1Design::applyTabOrder()
{
    QWidget *const chain[] = { txtName, LV, pic1, txtAdd, Command1, Command2, txtnick, Command3 };
    for (std::size_t i = 1; i < std::size(chain); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

} // namespace thornvale
